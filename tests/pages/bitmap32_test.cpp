#include <gtest/gtest.h>

#include <random>

#include "pages/bitmap32.h"

using namespace pages;

namespace {

CBitmap32 noise(int w, int h, uint32_t seed) {
    std::mt19937 rng(seed);
    CBitmap32 b(w, h);
    for (size_t i = 0; i < b.byteSize(); ++i) {
        const unsigned r = rng();
        // Plenty of the extremes, which the rules treat specially (0, 255, >= 240).
        b.bits()[i] = r % 6 == 0 ? 0 : r % 6 == 1 ? 255 : r % 6 == 2 ? uint8_t(240 + r % 16) : uint8_t(r >> 8);
    }
    return b;
}

}  // namespace

TEST(Bitmap32, BlendedFillFollowsTheRuleOnEveryPixel) {
    for (uint32_t colour : {0x80336699u, 0x00FFFFFFu, 0xFF000000u, 0x10FF8000u, 0xEF0A0B0Cu}) {
        const CBitmap32 before = noise(37, 5, colour);
        CBitmap32 b = before;
        b.fill(colour, 0, 0, 0, 0, true);  // 0 × 0: the whole bitmap
        const unsigned t = colour >> 24;
        const unsigned ck[3] = {(colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF};
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 37; ++x) {
                const uint8_t* d0 = before.pixel(x, y);
                const uint8_t* d = b.pixel(x, y);
                const unsigned m = std::min(t, 255u - d0[3]);
                for (int k = 0; k < 3; ++k) ASSERT_EQ(d[k], (m * d0[k] + ck[k] * (255 - t)) / 255) << x << "," << y;
                ASSERT_EQ(d[3], std::min<unsigned>(t, d0[3]));
            }
    }
}

TEST(Bitmap32, FillIsCutAtTheEdges) {
    CBitmap32 b(6, 4);
    b.fillAll(0x00000000);
    b.fill(0x00112233, 4, 2, 10, 10, false);
    EXPECT_EQ(b.colourAt(5, 3), 0x00112233u);
    EXPECT_EQ(b.colourAt(3, 3), 0x00000000u);
    EXPECT_EQ(b.colourAt(4, 1), 0x00000000u);
    // w = 0 reaches the right edge from x; a rectangle starting outside changes nothing.
    b.fill(0x00445566, 2, 0, 0, 1, false);
    EXPECT_EQ(b.colourAt(1, 0), 0x00000000u);
    EXPECT_EQ(b.colourAt(5, 0), 0x00445566u);
    const CBitmap32 same = b;
    b.fill(0x00FFFFFF, 6, 0, 3, 3, false);
    b.fill(0x00FFFFFF, -5, -5, 3, 3, true);
    EXPECT_TRUE(b == same);
}

TEST(Bitmap32, BlendedBlitFollowsTheRuleAndSkipsNearlyTransparentSource) {
    const CBitmap32 src = noise(41, 7, 3);
    const CBitmap32 before = noise(50, 9, 4);
    CBitmap32 b = before;
    b.blit(src, 5, 1, 41, 7, 0, 0, BLIT_BLEND);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 50; ++x) {
            const uint8_t* d0 = before.pixel(x, y);
            const uint8_t* d = b.pixel(x, y);
            const bool inside = x >= 5 && x < 46 && y >= 1 && y < 8;
            const uint8_t* s = inside ? src.pixel(x - 5, y - 1) : nullptr;
            if (!s || s[3] >= 240) {
                for (int k = 0; k < 4; ++k) ASSERT_EQ(d[k], d0[k]);
                continue;
            }
            const unsigned ts = s[3], m = std::min(ts, 255u - d0[3]);
            for (int k = 0; k < 3; ++k) ASSERT_EQ(d[k], (s[k] * (255 - ts) + m * d0[k]) / 255);
            ASSERT_EQ(d[3], std::min<unsigned>(ts, d0[3]));
        }
}

TEST(Bitmap32, BlitIsCutToBothBitmaps) {
    CBitmap32 src(4, 4), dst(5, 5);
    src.fillAll(0x00AAAAAA);
    src.fill(0x00123456, 0, 0, 1, 1, false);
    dst.fillAll(0x00000000);
    // Two pixels off the target's left and top edge: the source moves along.
    dst.blit(src, -2, -2, 4, 4, 0, 0, BLIT_COPY);
    EXPECT_EQ(dst.colourAt(0, 0), 0x00AAAAAAu);
    EXPECT_EQ(dst.colourAt(1, 1), 0x00AAAAAAu);
    EXPECT_EQ(dst.colourAt(2, 2), 0x00000000u);
    // A source region reaching past the source.
    dst.fillAll(0);
    dst.blit(src, 3, 3, 10, 10, 0, 0, BLIT_COPY);
    EXPECT_EQ(dst.colourAt(3, 3), 0x00123456u);
    EXPECT_EQ(dst.colourAt(4, 4), 0x00AAAAAAu);
}

TEST(Bitmap32, RegionReduceFlattenCheckerboardAndGuides) {
    CBitmap32 b(8, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) b.fill(uint32_t(y * 16 + x), x, y, 1, 1, false);
    CBitmap32 r;
    r.copyRegion(b, 6, 4, 5, 5);  // cut to 2 × 2
    ASSERT_EQ(r.width(), 2);
    ASSERT_EQ(r.height(), 2);
    EXPECT_EQ(r.colourAt(1, 1), uint32_t(5 * 16 + 7));

    CBitmap32 half(4, 3);
    half.reduce(b);
    EXPECT_EQ(half.colourAt(3, 2), uint32_t(4 * 16 + 6));  // source (6, 4)

    // Flatten: 50 % transparent white onto black and onto white.
    CBitmap32 f(1, 1);
    f.fillAll(0x80FFFFFF);
    CBitmap32 g = f;
    f.flatten(false);
    g.flatten(true);
    EXPECT_EQ(f.colourAt(0, 0), 0x007F7F7Fu);  // 255 × 127 / 255
    EXPECT_EQ(g.colourAt(0, 0), 0x00FFFFFFu);  // (128 × 255 + 255 × 127) / 255

    CBitmap32 c(17, 9);
    c.checkerboard();
    EXPECT_EQ(c.colourAt(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(c.colourAt(8, 0), 0x00A0A0A0u);
    EXPECT_EQ(c.colourAt(8, 8), 0x00FFFFFFu);
    EXPECT_EQ(c.colourAt(16, 8), 0x00A0A0A0u);

    c.invertRow(8);
    EXPECT_EQ(c.colourAt(8, 8), 0x00000000u);
    EXPECT_EQ(c.colourAt(0, 8), 0x005F5F5Fu);
    c.invertColumn(0);
    EXPECT_EQ(c.colourAt(0, 8), 0x00A0A0A0u);  // crossed twice
    const CBitmap32 same = c;
    c.invertRow(9);
    c.invertColumn(-1);
    EXPECT_TRUE(c == same);
}

TEST(Bitmap32, FlattenFollowsTheRuleOnEveryPixel) {
    for (bool white : {false, true}) {
        const CBitmap32 before = noise(33, 7, white ? 11 : 12);  // an odd count for the tail
        CBitmap32 b = before;
        b.flatten(white);
        const unsigned back = white ? 255 : 0;
        for (size_t i = 0; i < b.byteSize(); i += 4) {
            const uint8_t* s = before.bits() + i;
            const uint8_t* d = b.bits() + i;
            for (int k = 0; k < 3; ++k) ASSERT_EQ(d[k], (s[3] * back + s[k] * (255u - s[3])) / 255) << i;
            ASSERT_EQ(d[3], 0);
        }
    }
}
