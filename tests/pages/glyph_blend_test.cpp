#include <gtest/gtest.h>

#include <vector>

#include "pages/glyph_blend.h"

using namespace pages;

namespace {

// The rule of a mode for one target byte k (0..2) or the transparency (k == 3), written out.
int rule(BlendMode mode, const uint8_t* s, const uint8_t* d, int k, const uint8_t* C) {
    const bool mono = mode == BLEND_MONO || mode == BLEND_MONO_INVERTED || mode == BLEND_MONO_SHADOW;
    const int T = mono ? s[1] : s[3];
    if (k == 3) return std::min<int>(T, d[3]);
    const int D = d[k];
    if (!mono) {
        const int S = s[k];
        return mode == BLEND_COLOUR ? (S * (255 - T) + T * D) / 255 : ((255 - S) * (255 - T) + T * 127) / 255;
    }
    const int P = (255 - T) * s[0];
    if (mode == BLEND_MONO) return (P * C[k] / 255 + T * D) / 255;
    if (mode == BLEND_MONO_INVERTED) return ((255 - C[k]) * P / 255 + T * 127) / 255;
    return (P + T * D) / 255;
}

// Every glyph pixel value (intensity or colour with every transparency) over a set of targets
// and tints, through the vector code (long rows, in pairs) and the plain code (odd tails).
TEST(GlyphBlend, EveryGlyphPixelAgainstTheWrittenRules) {
    const uint8_t targets[][4] = {{0, 0, 0, 0}, {255, 255, 255, 255}, {1, 127, 128, 254}, {200, 13, 77, 90}};
    const uint8_t tints[][3] = {{0, 0, 0}, {255, 255, 255}, {64, 128, 255}, {1, 254, 99}};
    for (BlendMode mode : {BLEND_COLOUR, BLEND_COLOUR_INVERTED, BLEND_MONO, BLEND_MONO_INVERTED, BLEND_MONO_SHADOW}) {
        const bool mono = mode >= BLEND_MONO;
        const int sb = mono ? 2 : 4;
        std::vector<uint8_t> src(size_t(65536) * size_t(sb));
        for (int v = 0; v < 65536; ++v) {
            uint8_t* s = src.data() + size_t(v) * size_t(sb);
            const uint8_t value = uint8_t(v >> 8), t = uint8_t(v);
            if (mono) {
                s[0] = value;
                s[1] = t;
            } else {
                s[0] = value;
                s[1] = uint8_t(255 - value);
                s[2] = uint8_t(value ^ 0x5A);
                s[3] = t;
            }
        }
        for (const auto& target : targets)
            for (const auto& tint : tints)
                for (BlendRowFn fn : {BlendRowFor(mode), PlainBlendRowFor(mode)}) {
                    std::vector<uint8_t> dst(size_t(65536) * 4);
                    for (size_t i = 0; i < dst.size(); i += 4) std::copy(target, target + 4, dst.data() + i);
                    // An odd count leaves one pixel for the tail of the vector code.
                    fn(src.data(), dst.data(), 65535, tint);
                    fn(src.data() + size_t(65535) * size_t(sb), dst.data() + size_t(65535) * 4, 1, tint);
                    for (int v = 0; v < 65536; ++v)
                        for (int k = 0; k < 4; ++k)
                            ASSERT_EQ(dst[size_t(v) * 4 + size_t(k)],
                                      rule(mode, src.data() + size_t(v) * size_t(sb), target, k, tint))
                                << "mode " << mode << " pixel " << v << " byte " << k;
                }
    }
}

TEST(GlyphBlend, SpansLeaveTheRestOfTheRowAlone) {
    // Three rows of six monochrome pixels: opaque white in columns 2..3 only.
    std::vector<uint8_t> glyph(3 * 6 * 2);
    for (size_t i = 0; i < glyph.size(); i += 2) glyph[i + 1] = 255;
    for (int r = 0; r < 3; ++r)
        for (int c = 2; c < 4; ++c) {
            glyph[size_t(r * 6 + c) * 2] = 255;
            glyph[size_t(r * 6 + c) * 2 + 1] = 0;
        }
    const uint8_t spans[] = {2, 4, 3, 4, 6, 0};  // the second row claims less; the third is empty
    std::vector<uint8_t> target(3 * 6 * 4, 9);
    const uint8_t white[3] = {255, 255, 255};
    // Columns 1..5 visible: the target starts at column 1.
    BlendGlyphFor(BLEND_MONO)(glyph.data(), 12, target.data(), 24, 3, 1, 6, spans, white);
    auto at = [&](int r, int c) { return target[size_t(r * 6 + c - 1) * 4]; };
    EXPECT_EQ(at(0, 1), 9);
    EXPECT_EQ(at(0, 2), 255);
    EXPECT_EQ(at(0, 3), 255);
    EXPECT_EQ(at(0, 4), 9);
    EXPECT_EQ(at(1, 2), 9);  // outside the row's span: not touched
    EXPECT_EQ(at(1, 3), 255);
    EXPECT_EQ(at(2, 3), 9);
}

}  // namespace
