#include <gtest/gtest.h>

#include "app/message_boxes.h"
#include "pages/background_placement.h"
#include "pages/picture_test_util.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace pages;
using zxtest::PixelOf;

namespace {

using Px = std::array<uint8_t, 4>;

BackgroundPlacement place(int w, int h, int anchor, int x = 0, int y = 0) {
    return PlaceBackground(w, h, {anchor, x, y}, 720, 576);
}

TEST(BackgroundPlacement, NineAnchorsForSmallAndLargePictures) {
    // {x, y, sourceX, sourceY, width, height}; a 100 × 50 picture sits inside the page.
    EXPECT_EQ(place(100, 50, ANCHOR_TL), (BackgroundPlacement{0, 0, 0, 0, 100, 50}));
    EXPECT_EQ(place(100, 50, ANCHOR_CL), (BackgroundPlacement{0, 263, 0, 0, 100, 50}));
    EXPECT_EQ(place(100, 50, ANCHOR_BL), (BackgroundPlacement{0, 526, 0, 0, 100, 50}));
    EXPECT_EQ(place(100, 50, ANCHOR_TC), (BackgroundPlacement{310, 0, 0, 0, 100, 50}));
    EXPECT_EQ(place(100, 50, ANCHOR_C), (BackgroundPlacement{310, 263, 0, 0, 100, 50}));
    EXPECT_EQ(place(100, 50, ANCHOR_BC), (BackgroundPlacement{310, 526, 0, 0, 100, 50}));
    EXPECT_EQ(place(100, 50, ANCHOR_TR), (BackgroundPlacement{620, 0, 0, 0, 100, 50}));
    EXPECT_EQ(place(100, 50, ANCHOR_CR), (BackgroundPlacement{620, 263, 0, 0, 100, 50}));
    EXPECT_EQ(place(100, 50, ANCHOR_BR), (BackgroundPlacement{620, 526, 0, 0, 100, 50}));
    // Larger than the page: the anchor picks which part shows.
    EXPECT_EQ(place(801, 601, ANCHOR_TL), (BackgroundPlacement{0, 0, 0, 0, 720, 576}));
    EXPECT_EQ(place(801, 601, ANCHOR_C), (BackgroundPlacement{0, 0, 40, 12, 720, 576}));
    EXPECT_EQ(place(801, 601, ANCHOR_BR), (BackgroundPlacement{0, 0, 81, 25, 720, 576}));
    // Wider only: centred vertically, right end shown.
    EXPECT_EQ(place(1000, 76, ANCHOR_CR), (BackgroundPlacement{0, 250, 280, 0, 720, 76}));
    // The page's size: everywhere (0, 0).
    for (int a = ANCHOR_TL; a <= ANCHOR_BR; ++a)
        EXPECT_EQ(place(720, 576, a), (BackgroundPlacement{0, 0, 0, 0, 720, 576}));
}

TEST(BackgroundPlacement, ManualPositionIsKeptOnThePage) {
    EXPECT_EQ(place(100, 50, ANCHOR_MANUAL, 33, 44), (BackgroundPlacement{33, 44, 0, 0, 100, 50}));
    EXPECT_EQ(place(100, 50, ANCHOR_MANUAL, -5, -1), (BackgroundPlacement{0, 0, 0, 0, 100, 50}));
    EXPECT_EQ(place(100, 50, ANCHOR_MANUAL, 5000, 5000), (BackgroundPlacement{718, 574, 0, 0, 2, 2}));
    // The copied part stops at the page's edge, so the background rectangle stays on the page.
    const BackgroundPlacement p = place(720, 576, ANCHOR_MANUAL, 700, 560);
    EXPECT_EQ(p, (BackgroundPlacement{700, 560, 0, 0, 20, 16}));
    EXPECT_EQ(p.rect(), (Rect{700, 560, 720, 576}));
}

class BackgroundImport : public ::testing::Test {
protected:
    void SetUp() override { app::SetMessageBoxes(&boxes); }
    void TearDown() override { app::SetMessageBoxes(nullptr); }
    app::HeadlessMessageBoxes boxes;
    zxtest::TempDir dir;
};

TEST_F(BackgroundImport, AsksForAPositionUnlessThePictureIsPageSized) {
    auto grey = [](int, int) { return Px{90, 90, 90, 0}; };
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("full.tga"), zxtest::MakeTga(72, 57, 24, 0x20, grey)));
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("small.tga"), zxtest::MakeTga(10, 6, 24, 0x20, grey)));
    int asked = 0;
    bool accept = true;
    auto ask = [&](int32_t w, int32_t h, BackgroundPosition& pos) {
        ++asked;
        EXPECT_EQ(w, 10);
        EXPECT_EQ(h, 6);
        EXPECT_EQ(pos.anchor, ANCHOR_C);  // the dialog opens on the centre
        pos = {ANCHOR_BR};
        return accept;
    };
    CBitmap32 picture;
    BackgroundPlacement at;
    ASSERT_TRUE(ImportBackgroundPicture(dir.file("full.tga"), false, 72, 57, ask, picture, at));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(at, (BackgroundPlacement{0, 0, 0, 0, 72, 57}));
    ASSERT_TRUE(ImportBackgroundPicture(dir.file("small.tga"), false, 72, 57, ask, picture, at));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(at, (BackgroundPlacement{62, 51, 0, 0, 10, 6}));
    EXPECT_EQ(picture.colourAt(9, 5), 0x005A5A5Au);
    // Dither reaches the picture.
    ASSERT_TRUE(ImportBackgroundPicture(dir.file("small.tga"), true, 72, 57, ask, picture, at));
    int dithered = 0;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) dithered += picture.colourAt(x, y) != 0x005A5A5Au;
    EXPECT_GT(dithered, 40);
    // Cancelled, or unreadable: nothing changes.
    accept = false;
    const CBitmap32 before = picture;
    EXPECT_FALSE(ImportBackgroundPicture(dir.file("small.tga"), false, 72, 57, ask, picture, at));
    EXPECT_FALSE(ImportBackgroundPicture(dir.file("none.bmp"), false, 72, 57, ask, picture, at));
    EXPECT_TRUE(std::equal(before.bits(), before.bits() + before.byteSize(), picture.bits()));
    EXPECT_EQ(at, (BackgroundPlacement{62, 51, 0, 0, 10, 6}));
    EXPECT_EQ(boxes.count(), 1);  // 3030 for the missing file
}

TEST_F(BackgroundImport, ReferenceBackgroundIsTiledOrBlack) {
    CBitmap32 out;
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("tile.bmp"), zxtest::MakeBmp(3, 2, 32, false, zxtest::Pattern)));
    ASSERT_TRUE(MakeReferenceBackground(true, dir.file("tile.bmp"), true, 8, 5, out));
    ASSERT_EQ(out.width(), 8);
    ASSERT_EQ(out.height(), 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(PixelOf(out, x, y), zxtest::Pattern(x % 3, y % 2)) << x << "," << y;
    // Off, or unreadable (reported when asked): opaque black.
    for (bool show : {false, true}) {
        EXPECT_FALSE(MakeReferenceBackground(show, dir.file(show ? "none.tga" : "tile.bmp"), true, 8, 5, out));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 8; ++x) ASSERT_EQ(out.colourAt(x, y), 0u);
    }
    EXPECT_EQ(boxes.count(), 1);
}

}  // namespace
