// Windows virtual-key codes, as the settings file keeps the hotkeys, against Qt's keys. The
// mapping lives at this edge so that the stored values stay those of the Windows edition.
#pragma once

#include <QKeySequence>
#include <Qt>
#include <cstdint>

namespace ui {

// The Qt key of a virtual-key code, with Qt::KeypadModifier for keys of the numeric keypad;
// Qt::Key_unknown when Qt has no such key.
QKeyCombination KeyOfVirtualKey(uint8_t virtualKey);
// The virtual-key code of a Qt key (its modifiers other than the keypad one are ignored); 0 when
// there is none. Symbols typed with Shift give the key they are on (US layout): "!" is '1'.
// nativeScanCode (the X keycode) places letters of other layouts: Cyrillic "К" is 'R'.
uint8_t VirtualKeyOfKey(QKeyCombination key, quint32 nativeScanCode = 0);

// A stored hotkey value (key in bits 0-7, Shift/Ctrl/Alt in bits 16-18) as a Qt key with
// modifiers, and back. 0 / an empty combination when there is no key.
QKeyCombination KeyOfHotkey(uint32_t hotkey);
uint32_t HotkeyOfKey(QKeyCombination key, quint32 nativeScanCode = 0);
QKeySequence ShortcutOfHotkey(uint32_t hotkey);

}  // namespace ui
