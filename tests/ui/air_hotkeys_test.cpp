#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QShortcut>
#include <QWidget>

#include "air/hotkeys.h"
#include "air_qt_app.h"
#include "app/message_boxes.h"
#include "ui/air/accelerators.h"
#include "ui/air/hotkey_edit.h"
#include "ui/air/hotkeys_dialog.h"
#include "ui/air/virtual_keys.h"

using namespace ui;

namespace {

// Qt reports a letter of another alphabet by its upper-case character: here Cyrillic "К",
// which sits on the R key.
constexpr Qt::Key kCyrillicKa = Qt::Key(0x041A);

void press(QWidget* w, int key, Qt::KeyboardModifiers m = Qt::NoModifier, quint32 scanCode = 0) {
    QKeyEvent down(QEvent::KeyPress, key, m, scanCode, 0, 0);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, m, scanCode, 0, 0);
    QApplication::sendEvent(w, &up);
}

TEST(VirtualKeys, BothWays) {
    zxtest::EnsureQtApp();
    // Every code with a Qt key comes back as itself.
    int mapped = 0;
    for (int vk = 1; vk < 256; ++vk) {
        QKeyCombination k = KeyOfVirtualKey(uint8_t(vk));
        if (k.key() == Qt::Key_unknown) continue;
        ++mapped;
        EXPECT_EQ(VirtualKeyOfKey(k), vk) << std::hex << vk;
    }
    EXPECT_GT(mapped, 100);
    EXPECT_EQ(KeyOfVirtualKey(0x74), QKeyCombination(Qt::Key_F5));
    EXPECT_EQ(KeyOfVirtualKey(0x65), QKeyCombination(Qt::KeypadModifier, Qt::Key_5));
    EXPECT_EQ(KeyOfVirtualKey(0xBB), QKeyCombination(Qt::Key_Equal));
    // Shifted symbols name the key they are on.
    EXPECT_EQ(VirtualKeyOfKey(QKeyCombination(Qt::ShiftModifier, Qt::Key_Exclam)), '1');
    EXPECT_EQ(VirtualKeyOfKey(QKeyCombination(Qt::ShiftModifier, Qt::Key_Plus)), 0xBB);
    EXPECT_EQ(VirtualKeyOfKey(QKeyCombination(Qt::KeypadModifier, Qt::Key_Plus)), 0x6B);
    // Keypad arrows (Num Lock off) are the arrow keys.
    EXPECT_EQ(VirtualKeyOfKey(QKeyCombination(Qt::KeypadModifier, Qt::Key_Left)), 0x25);
    // A letter of another layout is placed by its key.
    EXPECT_EQ(VirtualKeyOfKey(QKeyCombination(kCyrillicKa), 27), 'R');
    EXPECT_EQ(VirtualKeyOfKey(QKeyCombination(kCyrillicKa)), 0);
}

TEST(VirtualKeys, HotkeyValues) {
    zxtest::EnsureQtApp();
    EXPECT_EQ(HotkeyOfKey(QKeyCombination(Qt::ControlModifier, Qt::Key_R)), 0x20052u);
    EXPECT_EQ(HotkeyOfKey(QKeyCombination(Qt::ShiftModifier | Qt::AltModifier, Qt::Key_F3)), 0x50072u);
    EXPECT_EQ(HotkeyOfKey(QKeyCombination(Qt::Key_Left)), 0x25u | air::HOTKEY_EXT);
    EXPECT_EQ(HotkeyOfKey(QKeyCombination(Qt::Key(0x0410))), 0u);
    EXPECT_EQ(ShortcutOfHotkey(0x20052), QKeySequence(Qt::CTRL | Qt::Key_R));
    EXPECT_EQ(ShortcutOfHotkey(0x74), QKeySequence(Qt::Key_F5));
    EXPECT_TRUE(ShortcutOfHotkey(0).isEmpty());
    EXPECT_TRUE(ShortcutOfHotkey(air::HOTKEY_CTRL | 0xFF).isEmpty());
    // The keypad's Enter keeps its place through the stored value.
    uint32_t enter = HotkeyOfKey(QKeyCombination(Qt::KeypadModifier, Qt::Key_Enter));
    EXPECT_EQ(KeyOfHotkey(enter), QKeyCombination(Qt::KeypadModifier, Qt::Key_Enter));
    for (uint32_t v : air::DefaultHotkeys()) EXPECT_EQ(HotkeyOfKey(KeyOfHotkey(v)), v);
}

TEST(HotkeysDialog, FieldsTakeKeys) {
    zxtest::EnsureQtApp();
    CHotkeysDialog dlg;
    dlg.setTable(air::DefaultHotkeys());
    EXPECT_EQ(dlg.windowTitle(), "Hotkeys");
    EXPECT_EQ(dlg.field(0)->text(), "F5");
    EXPECT_EQ(dlg.field(6)->text(), "Ctrl + R");
    zxtest::SaveScreenshot(dlg, "hotkeys_dialog");

    press(dlg.field(0), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(dlg.field(0)->text(), "Ctrl + Shift + P");
    press(dlg.field(1), Qt::Key_Backspace);
    EXPECT_EQ(dlg.field(1)->text(), "None");
    press(dlg.field(2), Qt::Key_Tab);     // moves on, changes nothing
    press(dlg.field(3), Qt::Key_Return);  // the dialog's default button, not a hotkey
    press(dlg.field(4), kCyrillicKa, Qt::ControlModifier, 27);
    air::HotkeyTable t = dlg.table();
    EXPECT_EQ(t[0], air::HOTKEY_CTRL | air::HOTKEY_SHIFT | 'P');
    EXPECT_EQ(t[1], 0u);
    EXPECT_EQ(t[2], 0x76u);
    EXPECT_EQ(t[3], 0x77u);
    EXPECT_EQ(t[4], air::HOTKEY_CTRL | 'R');  // the same key as entry 6 is allowed

    // Stored bits outside the key and its modifiers do not survive the dialog.
    air::HotkeyTable odd = air::DefaultHotkeys();
    odd[5] = 0x7F000071;
    dlg.setTable(odd);
    EXPECT_EQ(dlg.table()[5], 0x71u);
}

TEST(HotkeysDialog, RefusesAKeyGivenTwice) {
    zxtest::EnsureQtApp();
    app::HeadlessMessageBoxes boxes;
    app::SetMessageBoxes(&boxes);
    CHotkeysDialog dlg;
    dlg.setTable(air::DefaultHotkeys());
    EXPECT_TRUE(dlg.problem().isEmpty());
    press(dlg.field(2), Qt::Key_F5);  // Next on Play's key
    EXPECT_EQ(dlg.problem(), "The key F5 is given to both \"Play\" and \"Next\": give each hotkey a key of its own.");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);  // still open
    EXPECT_EQ(boxes.lastText(), dlg.problem().toStdString());
    press(dlg.field(2), Qt::Key_F7);
    EXPECT_TRUE(dlg.problem().isEmpty());
    dlg.setKeysInUse({{QKeySequence(Qt::Key_F7), "Refresh", "Sequence editor"}});
    EXPECT_EQ(dlg.problem(),
              "The key F7 for \"Next\" is already used by \"Refresh\" in Sequence editor: choose another key.");
    dlg.setKeysInUse({});
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    app::SetMessageBoxes(nullptr);
}

TEST(Accelerators, RebuiltAsAWhole) {
    zxtest::EnsureQtApp();
    QWidget frame;
    std::vector<int> commands;
    CAccelTable table(&frame, [&](int c) { commands.push_back(c); });
    air::HotkeyTable keys = air::DefaultHotkeys();
    table.rebuild(air::BuildAccelerators(keys));
    EXPECT_EQ(table.keyOf(0), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(table.keyOf(6), QKeySequence(Qt::CTRL | Qt::Key_R));
    keys[7] = 0x74;  // Prev on F5 as well: Play keeps it
    table.rebuild(air::BuildAccelerators(keys));
    EXPECT_EQ(frame.findChildren<QShortcut*>().size(), 7);
    EXPECT_TRUE(table.keyOf(7).isEmpty());
    // A shortcut sends its entry's command.
    QShortcut* play = nullptr;
    for (QShortcut* s : frame.findChildren<QShortcut*>())
        if (s->key() == QKeySequence(Qt::Key_F5)) play = s;
    ASSERT_NE(play, nullptr);
    emit play->activated();
    EXPECT_EQ(commands, std::vector<int>{air::CMD_PLAY});
}

}  // namespace
