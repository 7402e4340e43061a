#include <gtest/gtest.h>

#include "air/hotkeys.h"
#include "app/profile.h"
#include "support/temp_dir.h"

using namespace air;

namespace {

TEST(Hotkeys, DefaultsAndMissingKeys) {
    zxtest::TempDir dir;
    zxtest::WriteText(dir.file("Z.INI"), "[hotkeys]\nkey3=65\nKey6=\n");
    app::Profile ini(dir.file("Z.INI"));
    HotkeyTable t = LoadHotkeys(ini);
    const uint32_t defaults[] = {0x74, 0x75, 0x76, 0x77, 0x78, 0x71, 0x20052, 0x72};
    for (int i = 0; i < kHotkeyCount; ++i) {
        if (i == 3) continue;
        EXPECT_EQ(t[size_t(i)], defaults[i]) << i;
    }
    EXPECT_EQ(t[3], 65u);  // section and key match in any letter case
    EXPECT_EQ(DefaultHotkeys()[6], 0x20052u);
    EXPECT_STREQ(kHotkeyEntries[6].label, "Refresh list");
    EXPECT_EQ(kHotkeyEntries[7].command, 32961);
}

TEST(Hotkeys, RoundTripThroughTheSettingsFile) {
    zxtest::TempDir dir;
    app::Profile ini(dir.file("Z.INI"));
    HotkeyTable t = DefaultHotkeys();
    t[0] = HOTKEY_CTRL | HOTKEY_SHIFT | 'P';
    t[4] = HOTKEY_ALT | 0x78;
    ASSERT_TRUE(SaveHotkeys(ini, t));
    app::Profile again(dir.file("Z.INI"));
    EXPECT_EQ(LoadHotkeys(again), t);
    // Decimal values under "Key%d".
    EXPECT_EQ(again.getString("HotKeys", "Key0"), "196688");
    EXPECT_EQ(again.getString("HotKeys", "Key6"), "131154");
}

TEST(Hotkeys, Accelerators) {
    HotkeyTable t = DefaultHotkeys();
    t[1] = HOTKEY_SHIFT | HOTKEY_ALT | 0x75;
    t[2] = 0x74;  // the same key as Play is not rejected
    std::vector<Accelerator> a = BuildAccelerators(t);
    ASSERT_EQ(a.size(), 8u);
    EXPECT_EQ(a[0].flags, ACCEL_VIRTKEY);
    EXPECT_EQ(a[0].key, 0x74);
    EXPECT_EQ(a[0].command, CMD_PLAY);
    EXPECT_EQ(a[1].flags, ACCEL_VIRTKEY | ACCEL_SHIFT | ACCEL_ALT);
    EXPECT_EQ(a[1].command, CMD_PAUSE);
    EXPECT_EQ(a[2].key, 0x74);
    EXPECT_EQ(a[6].flags, ACCEL_VIRTKEY | ACCEL_CONTROL);
    EXPECT_EQ(a[6].key, 'R');
    EXPECT_EQ(a[6].command, CMD_REFRESH_LIST);
    EXPECT_EQ(a[5].command, CMD_RENDER);
}

TEST(Hotkeys, Texts) {
    EXPECT_EQ(HotkeyText(0x74), "F5");
    EXPECT_EQ(HotkeyText(0x20052), "Ctrl + R");
    EXPECT_EQ(HotkeyText(HOTKEY_CTRL | HOTKEY_SHIFT | HOTKEY_ALT | 0x87), "Ctrl + Shift + Alt + F24");
    EXPECT_EQ(HotkeyText(HOTKEY_CTRL), "None");
}

}  // namespace
