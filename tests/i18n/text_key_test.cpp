#include <gtest/gtest.h>

#include <set>

#include "i18n/text_key.h"

using namespace i18n;

TEST(TextKey, KnownValuesAndKinds) {
    EXPECT_EQ(StringKey(16024), 0xC0003E98u);
    EXPECT_EQ(DialogKey(309, 1261), 0x813504EDu);
    EXPECT_EQ(KindOf(StringKey(16024)), TextKind::String);
    EXPECT_EQ(KindOf(DialogKey(309, 1261)), TextKind::Dialog);

    // The same number as menu, dialog and string gives three keys.
    std::set<uint32_t> keys{MenuKey(128, 0, 128), DialogKey(128, 128), StringKey(128)};
    EXPECT_EQ(keys.size(), 3u);
}

TEST(TextKey, PopupCounterFollowsTheWalk) {
    MenuKeyWalker w(128);
    EXPECT_EQ(w.popup(), 0x48010000u);  // first pop-up of menu 128
    EXPECT_EQ(w.popup(), 0x48020000u);
    EXPECT_EQ(w.item(32771), 0x48028003u);  // "&Hardware..." in the second pop-up
    // A nested pop-up raises the count; items met after it keep the new count.
    EXPECT_EQ(w.popup(), MenuKey(128, 3, 0));
    EXPECT_EQ(w.item(5), MenuKey(128, 3, 5));
    EXPECT_EQ(w.item(6), MenuKey(128, 3, 6));
    // Each menu starts again from 0.
    MenuKeyWalker other(129);
    EXPECT_EQ(other.item(7), MenuKey(129, 0, 7));
    EXPECT_EQ(other.popup(), MenuKey(129, 1, 0));
}

TEST(TextKey, SeventeenthPopupCollidesWithTheFirst) {
    // Only the low four bits of the count reach the key: a menu with seventeen pop-ups collides,
    // which the base-file check of the resources must reject.
    EXPECT_EQ(MenuKey(128, 17, 0), MenuKey(128, 1, 0));
}
