#include "ui/air/virtual_keys.h"

#include <array>

#include "air/hotkeys.h"

namespace ui {

namespace {

struct KeyPair {
    uint8_t vk;
    Qt::Key key;
    bool keypad;
};

// Named keys; letters, digits, F-keys and keypad digits are ranges handled in code.
constexpr KeyPair kPairs[] = {
    {0x08, Qt::Key_Backspace, false},  {0x09, Qt::Key_Tab, false},
    {0x0C, Qt::Key_Clear, false},      {0x0D, Qt::Key_Return, false},
    {0x13, Qt::Key_Pause, false},      {0x14, Qt::Key_CapsLock, false},
    {0x1B, Qt::Key_Escape, false},     {0x20, Qt::Key_Space, false},
    {0x21, Qt::Key_PageUp, false},     {0x22, Qt::Key_PageDown, false},
    {0x23, Qt::Key_End, false},        {0x24, Qt::Key_Home, false},
    {0x25, Qt::Key_Left, false},       {0x26, Qt::Key_Up, false},
    {0x27, Qt::Key_Right, false},      {0x28, Qt::Key_Down, false},
    {0x29, Qt::Key_Select, false},     {0x2A, Qt::Key_Printer, false},
    {0x2C, Qt::Key_Print, false},      {0x2D, Qt::Key_Insert, false},
    {0x2E, Qt::Key_Delete, false},     {0x2F, Qt::Key_Help, false},
    {0x5B, Qt::Key_Super_L, false},    {0x5C, Qt::Key_Super_R, false},
    {0x5D, Qt::Key_Menu, false},       {0x5F, Qt::Key_Sleep, false},
    {0x6A, Qt::Key_Asterisk, true},    {0x6B, Qt::Key_Plus, true},
    {0x6D, Qt::Key_Minus, true},       {0x6E, Qt::Key_Period, true},
    {0x6F, Qt::Key_Slash, true},       {0x90, Qt::Key_NumLock, false},
    {0x91, Qt::Key_ScrollLock, false}, {0xAD, Qt::Key_VolumeMute, false},
    {0xAE, Qt::Key_VolumeDown, false}, {0xAF, Qt::Key_VolumeUp, false},
    {0xB0, Qt::Key_MediaNext, false},  {0xB1, Qt::Key_MediaPrevious, false},
    {0xB2, Qt::Key_MediaStop, false},  {0xB3, Qt::Key_MediaTogglePlayPause, false},
    {0xBA, Qt::Key_Semicolon, false},  {0xBB, Qt::Key_Equal, false},
    {0xBC, Qt::Key_Comma, false},      {0xBD, Qt::Key_Minus, false},
    {0xBE, Qt::Key_Period, false},     {0xBF, Qt::Key_Slash, false},
    {0xC0, Qt::Key_QuoteLeft, false},  {0xDB, Qt::Key_BracketLeft, false},
    {0xDC, Qt::Key_Backslash, false},  {0xDD, Qt::Key_BracketRight, false},
    {0xDE, Qt::Key_Apostrophe, false},
};

// Keys Qt reports for the shifted symbols of a US keyboard, and a few other spellings.
constexpr KeyPair kAlsoFrom[] = {
    {'1', Qt::Key_Exclam, false},     {'2', Qt::Key_At, false},          {'3', Qt::Key_NumberSign, false},
    {'4', Qt::Key_Dollar, false},     {'5', Qt::Key_Percent, false},     {'6', Qt::Key_AsciiCircum, false},
    {'7', Qt::Key_Ampersand, false},  {'8', Qt::Key_Asterisk, false},    {'9', Qt::Key_ParenLeft, false},
    {'0', Qt::Key_ParenRight, false}, {0xBA, Qt::Key_Colon, false},      {0xBB, Qt::Key_Plus, false},
    {0xBC, Qt::Key_Less, false},      {0xBD, Qt::Key_Underscore, false}, {0xBE, Qt::Key_Greater, false},
    {0xBF, Qt::Key_Question, false},  {0xC0, Qt::Key_AsciiTilde, false}, {0xDB, Qt::Key_BraceLeft, false},
    {0xDC, Qt::Key_Bar, false},       {0xDD, Qt::Key_BraceRight, false}, {0xDE, Qt::Key_QuoteDbl, false},
    {0x09, Qt::Key_Backtab, false},   {0x0D, Qt::Key_Enter, false},      {0x6E, Qt::Key_Comma, true},
    {0x0D, Qt::Key_Enter, true},      {0xB3, Qt::Key_MediaPlay, false},
};

// X keycodes (evdev + 8) of the keys that carry letters, digits and symbols, by their US meaning.
struct ScanPair {
    quint32 code;
    uint8_t vk;
};
constexpr ScanPair kScanCodes[] = {
    {10, '1'},  {11, '2'},  {12, '3'},  {13, '4'},  {14, '5'},  {15, '6'},  {16, '7'},  {17, '8'}, {18, '9'}, {19, '0'},
    {20, 0xBD}, {21, 0xBB}, {24, 'Q'},  {25, 'W'},  {26, 'E'},  {27, 'R'},  {28, 'T'},  {29, 'Y'}, {30, 'U'}, {31, 'I'},
    {32, 'O'},  {33, 'P'},  {34, 0xDB}, {35, 0xDD}, {38, 'A'},  {39, 'S'},  {40, 'D'},  {41, 'F'}, {42, 'G'}, {43, 'H'},
    {44, 'J'},  {45, 'K'},  {46, 'L'},  {47, 0xBA}, {48, 0xDE}, {49, 0xC0}, {51, 0xDC}, {52, 'Z'}, {53, 'X'}, {54, 'C'},
    {55, 'V'},  {56, 'B'},  {57, 'N'},  {58, 'M'},  {59, 0xBC}, {60, 0xBE}, {61, 0xBF},
};

// The keys the hotkey control marks as extended: the navigation block and a few others.
bool isExtended(uint8_t vk, bool keypad) {
    if (keypad) return vk == 0x6F || vk == 0x0D;
    return (vk >= 0x21 && vk <= 0x28) || vk == 0x2D || vk == 0x2E || vk == 0x90 || vk == 0x5B || vk == 0x5C ||
           vk == 0x5D;
}

}  // namespace

QKeyCombination KeyOfVirtualKey(uint8_t vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return QKeyCombination(Qt::Key(vk));
    if (vk >= 0x60 && vk <= 0x69) return QKeyCombination(Qt::KeypadModifier, Qt::Key(Qt::Key_0 + (vk - 0x60)));
    if (vk >= 0x70 && vk <= 0x87) return QKeyCombination(Qt::Key(Qt::Key_F1 + (vk - 0x70)));
    for (const KeyPair& p : kPairs)
        if (p.vk == vk) return p.keypad ? QKeyCombination(Qt::KeypadModifier, p.key) : QKeyCombination(p.key);
    return QKeyCombination(Qt::Key_unknown);
}

uint8_t VirtualKeyOfKey(QKeyCombination combination, quint32 nativeScanCode) {
    const int key = combination.key();
    const bool keypad = combination.keyboardModifiers().testFlag(Qt::KeypadModifier);
    if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9) return uint8_t(0x60 + (key - Qt::Key_0));
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) return uint8_t(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return uint8_t(0x70 + (key - Qt::Key_F1));
    // The keypad's own keys first, then the same keys elsewhere on the keyboard.
    for (bool wantKeypad : {keypad, false}) {
        for (const KeyPair& p : kPairs)
            if (p.key == key && p.keypad == wantKeypad) return p.vk;
        for (const KeyPair& p : kAlsoFrom)
            if (p.key == key && p.keypad == wantKeypad) return p.vk;
    }
    if (nativeScanCode)
        for (const ScanPair& s : kScanCodes)
            if (s.code == nativeScanCode) return s.vk;
    return 0;
}

QKeyCombination KeyOfHotkey(uint32_t hotkey) {
    QKeyCombination k = KeyOfVirtualKey(air::HotkeyKey(hotkey));
    if (k.key() == Qt::Key_unknown) return QKeyCombination();
    // Enter marked extended is the keypad's.
    if (k.key() == Qt::Key_Return && (hotkey & air::HOTKEY_EXT)) k = QKeyCombination(Qt::KeypadModifier, Qt::Key_Enter);
    Qt::KeyboardModifiers m = k.keyboardModifiers();
    if (hotkey & air::HOTKEY_SHIFT) m |= Qt::ShiftModifier;
    if (hotkey & air::HOTKEY_CTRL) m |= Qt::ControlModifier;
    if (hotkey & air::HOTKEY_ALT) m |= Qt::AltModifier;
    return QKeyCombination(m, k.key());
}

uint32_t HotkeyOfKey(QKeyCombination key, quint32 nativeScanCode) {
    uint8_t vk = VirtualKeyOfKey(key, nativeScanCode);
    if (vk == 0) return 0;
    Qt::KeyboardModifiers m = key.keyboardModifiers();
    uint32_t v = vk;
    if (m.testFlag(Qt::ShiftModifier)) v |= air::HOTKEY_SHIFT;
    if (m.testFlag(Qt::ControlModifier)) v |= air::HOTKEY_CTRL;
    if (m.testFlag(Qt::AltModifier)) v |= air::HOTKEY_ALT;
    if (isExtended(vk, m.testFlag(Qt::KeypadModifier))) v |= air::HOTKEY_EXT;
    return v;
}

QKeySequence ShortcutOfHotkey(uint32_t hotkey) {
    QKeyCombination k = KeyOfHotkey(hotkey);
    if (k.key() == Qt::Key_unknown || k.toCombined() == 0) return QKeySequence();
    return QKeySequence(k);
}

}  // namespace ui
