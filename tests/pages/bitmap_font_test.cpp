#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "font_test_util.h"
#include "pages/bitmap_font.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace pages;

namespace {

// One glyph of one pixel, drawn with the font list's colour onto one target pixel.
struct OnePixel {
    CBitmapFont font;
    CFontManager fonts;
    CBitmap32 target{1, 1};

    OnePixel(bool colour, const std::vector<uint8_t>& glyph, const std::vector<uint8_t>& shadow = {}) {
        font.Create((colour ? uint32_t(FONT_COLOUR) : 0u) | (shadow.empty() ? 0u : uint32_t(FONT_SHADOW)), 1, 1);
        font.header().widths[0] = 1;
        font.Allocate();
        std::copy(glyph.begin(), glyph.end(), font.glyphPixels(LAYER_GLYPHS, 0));
        if (!shadow.empty()) std::copy(shadow.begin(), shadow.end(), font.glyphPixels(LAYER_SHADOWS, 0));
        fonts.SetCurrent(&font);
    }
    // Target bytes blue, green, red, transparency before the draw; the bytes after it.
    std::vector<uint8_t> draw(std::vector<uint8_t> before, FontLayer layer, bool inverted) {
        std::copy(before.begin(), before.end(), target.bits());
        fonts.Draw("x", 0, 0, target.bounds(), target, layer, inverted);
        return {target.bits(), target.bits() + 4};
    }
};

using Px = std::vector<uint8_t>;

TEST(FontBlending, ColourFontWorkedByHand) {
    // S = blue 200, green 100, red 50, T = 100 over D = 10, 20, 30, transparency 200.
    OnePixel p(true, {200, 100, 50, 100});
    // (S × 155 + 100 × D) / 255: 32000/255, 17500/255, 10750/255, truncated.
    EXPECT_EQ(p.draw({10, 20, 30, 200}, LAYER_GLYPHS, false), (Px{125, 68, 42, 100}));
    // Inverted: ((255 - S) × 155 + 100 × 127) / 255: 21225/255, 36725/255, 44475/255.
    EXPECT_EQ(p.draw({10, 20, 30, 200}, LAYER_GLYPHS, true), (Px{83, 144, 174, 100}));
    // The transparency only ever goes down: an opaque target stays opaque.
    EXPECT_EQ(p.draw({10, 20, 30, 0}, LAYER_GLYPHS, false)[3], 0);

    // A fully transparent glyph pixel leaves the target alone; inverted it shows mid-grey.
    OnePixel clear(true, {9, 9, 9, 255});
    EXPECT_EQ(clear.draw({10, 20, 30, 40}, LAYER_GLYPHS, false), (Px{10, 20, 30, 40}));
    EXPECT_EQ(clear.draw({10, 20, 30, 40}, LAYER_GLYPHS, true), (Px{127, 127, 127, 40}));
    // An opaque one replaces it.
    OnePixel solid(true, {1, 2, 3, 0});
    EXPECT_EQ(solid.draw({10, 20, 30, 40}, LAYER_GLYPHS, false), (Px{1, 2, 3, 0}));
}

TEST(FontBlending, MonochromeFontWorkedByHand) {
    // I = 200, T = 55, so P = 200 × 200 = 40000; colour 0x00FF8040: blue 255, green 128, red 64.
    OnePixel p(false, {200, 55}, {100, 155});
    p.fonts.SetColour(0x12FF8040);  // the transparency byte is ignored
    EXPECT_EQ(p.fonts.Colour(), 0x00FF8040u);
    // (P × C / 255 + 55 × D) / 255: blue (40000 + 550)/255; green (20078 + 1100)/255;
    // red (10039 + 1650)/255. The target was more opaque (30) and stays so.
    EXPECT_EQ(p.draw({10, 20, 30, 30}, LAYER_GLYPHS, false), (Px{159, 83, 45, 30}));
    // Inverted: ((255 - C) × P / 255 + 55 × 127) / 255: blue (0 + 6985)/255;
    // green (19921 + 6985)/255; red (29960 + 6985)/255.
    EXPECT_EQ(p.draw({10, 20, 30, 30}, LAYER_GLYPHS, true), (Px{27, 105, 144, 30}));
    // Shadow: I = 100, T = 155, P = 10000, no tint: (10000 + 155 × D) / 255, and the inverted flag
    // changes nothing. Transparency min(155, 200).
    EXPECT_EQ(p.draw({10, 20, 30, 200}, LAYER_SHADOWS, false), (Px{45, 51, 57, 155}));
    EXPECT_EQ(p.draw({10, 20, 30, 200}, LAYER_SHADOWS, true), (Px{45, 51, 57, 155}));

    // An opaque white glyph pixel gives exactly the colour.
    OnePixel white(false, {255, 0});
    white.fonts.SetColour(0x00FF8040);
    EXPECT_EQ(white.draw({10, 20, 30, 255}, LAYER_GLYPHS, false), (Px{255, 128, 64, 0}));
    // A transparent pixel keeps the target, inverted it gives grey 127.
    OnePixel clear(false, {77, 255});
    EXPECT_EQ(clear.draw({10, 20, 30, 40}, LAYER_GLYPHS, false), (Px{10, 20, 30, 40}));
    EXPECT_EQ(clear.draw({10, 20, 30, 40}, LAYER_GLYPHS, true), (Px{127, 127, 127, 40}));
}

// The drawing rules written out plainly, pixel by pixel: the fast drawing code must give the
// same bytes in every case.
void referenceDraw(const CBitmapFont& f, std::string_view s, int x, int y, const Rect& clip, CBitmap32& t,
                   FontLayer layer, bool inv, const uint8_t C[3]) {
    const FontHeader& h = f.header();
    if ((layer == LAYER_SHADOWS && !f.hasShadow()) || y < 0) return;
    int rows = std::min<int>(int(h.height), std::max(0, (clip.bottom - clip.top) - y));
    if (rows <= 0) return;
    for (size_t i = 0; i < s.size(); ++i) {
        int g = h.map[static_cast<unsigned char>(s[i])], w = h.widths[g];
        if (x >= 0) {
            int cols = std::min(w, std::max(0, (clip.right - clip.left) - x));
            if (cols <= 0) break;
            const uint8_t* src = f.glyphPixels(layer, g);
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < cols; ++c) {
                    const uint8_t* sp = src + (r * w + c) * f.bytesPerPixel();
                    uint8_t* d = t.pixel(clip.left + x + c, clip.top + y + r);
                    int T = sp[f.bytesPerPixel() - 1];
                    for (int k = 0; k < 3; ++k) {
                        if (!f.isMonochrome()) {
                            int S = sp[k];
                            d[k] = inv ? uint8_t(((255 - S) * (255 - T) + T * 127) / 255)
                                       : uint8_t((S * (255 - T) + T * d[k]) / 255);
                        } else {
                            int P = (255 - T) * sp[0];
                            if (layer == LAYER_SHADOWS) d[k] = uint8_t((P + T * d[k]) / 255);
                            else if (inv) d[k] = uint8_t(((255 - C[k]) * P / 255 + T * 127) / 255);
                            else d[k] = uint8_t((P * C[k] / 255 + T * d[k]) / 255);
                        }
                    }
                    d[3] = uint8_t(std::min<int>(T, d[3]));
                }
        }
        x += h.hSpacing + w - f.rightBearing(g);
        if (i + 1 < s.size()) x -= f.leftBearing(h.map[static_cast<unsigned char>(s[i + 1])]);
    }
}

TEST(FontBlending, FastDrawingMatchesTheRulesBitForBit) {
    std::mt19937 rng(7);
    auto rnd = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int round = 0; round < 300; ++round) {
        CBitmapFont f;
        const int n = rnd(1, 6), H = rnd(1, 9);
        f.Create(uint32_t(rnd(0, 3)), n, H);
        for (int g = 0; g < n; ++g) {
            f.header().widths[g] = uint8_t(rnd(1, 7));
            f.setBearings(g, int8_t(rnd(-3, 3)), int8_t(rnd(-3, 3)));
        }
        for (int c = 0; c < 256; ++c) f.header().map[c] = uint8_t(rnd(0, n - 1));
        f.header().hSpacing = rnd(-2, 3);
        f.Allocate();
        for (int layer = 0; layer < (f.hasShadow() ? 2 : 1); ++layer) {
            uint8_t* p = f.glyphPixels(FontLayer(layer), 0);
            for (size_t i = 0; i < f.layerSize(); ++i) p[i] = uint8_t(rnd(0, 255));
            // Plenty of the two special transparencies.
            for (size_t i = size_t(f.bytesPerPixel() - 1); i < f.layerSize(); i += size_t(f.bytesPerPixel()))
                if (int k = rnd(0, 3); k < 2) p[i] = k ? 255 : 0;
        }
        CBitmap32 a(24, 12), b;
        for (size_t i = 0; i < a.byteSize(); ++i) a.bits()[i] = uint8_t(rnd(0, 255));
        b = CBitmap32(24, 12);
        std::copy(a.bits(), a.bits() + a.byteSize(), b.bits());
        Rect clip{rnd(0, 8), rnd(0, 4), 0, 0};
        clip.right = rnd(clip.left, 24);
        clip.bottom = rnd(clip.top, 12);
        std::string s;
        for (int i = rnd(0, 8); i > 0; --i) s += char(rnd(0, 255));
        const int x = rnd(-6, 14), y = rnd(-1, 6);
        const FontLayer layer = FontLayer(rnd(0, 1));
        const bool inv = rnd(0, 1);
        const uint8_t C[3] = {uint8_t(rnd(0, 255)), uint8_t(rnd(0, 255)), uint8_t(rnd(0, 255))};
        f.DrawText(s, x, y, clip, a.view(), layer, inv, C);
        referenceDraw(f, s, x, y, clip, b, layer, inv, C);
        ASSERT_EQ(0, std::memcmp(a.bits(), b.bits(), a.byteSize())) << "round " << round;
    }
}

// Glyphs 4 wide and 3 high, each opaque in its own intensity (10 × g + 1), white tint.
struct Strip : ::testing::Test {
    CBitmapFont font;
    CFontManager fonts;
    CBitmap32 target{20, 6};
    const Rect clip{2, 1, 14, 5};  // 12 × 4

    void SetUp() override {
        fonttest::MakeFont(font, {4, 4, 4, 4}, 3, 0);
        font.setBearings(3, 0, 10);  // 'D': advance 4 - 10 = -6
        fonts.SetCurrent(&font);
        fonts.SetColour(0xFFFFFF);
        target.fillAll(0xFF000000);
    }
    // The intensity drawn at a target pixel (blue byte), or -1 when untouched.
    int at(int x, int y) const { return target.pixel(x, y)[3] == 255 ? -1 : target.pixel(x, y)[0]; }
    void draw(std::string_view s, int x, int y) { fonts.Draw(s, x, y, clip, target, LAYER_GLYPHS, false); }
};

TEST_F(Strip, CharactersLeftOfTheClipAreSkippedWhole) {
    draw("BC", -2, 0);  // B at -2 is skipped, C lands at clip x 2
    for (int x = 0; x < 4; ++x) EXPECT_EQ(at(x, 1), -1) << x;
    for (int x = 4; x < 8; ++x) EXPECT_EQ(at(x, 1), 21) << x;
    EXPECT_EQ(at(8, 1), -1);
}

TEST_F(Strip, TheFirstInvisibleCharacterEndsTheString) {
    // B at 10 shows 2 columns; D at 14 has none and ends the string, so the C that would follow
    // at 14 + 4 - 10 = 8 is never drawn.
    draw("BDC", 10, 0);
    EXPECT_EQ(at(12, 1), 11);
    EXPECT_EQ(at(13, 1), 11);
    EXPECT_EQ(at(14, 1), -1);  // right of the clip
    EXPECT_EQ(at(10, 1), -1);  // where C would have been
    EXPECT_EQ(at(11, 1), -1);
}

TEST_F(Strip, RowsAreCutAtTheBottomAndNegativeYDrawsNothing) {
    draw("A", 0, -1);
    for (int y = 0; y < 6; ++y) EXPECT_EQ(at(2, y), -1);
    draw("A", 0, 2);  // rows = min(3, 4 - 2) = 2: target rows 3 and 4
    EXPECT_EQ(at(2, 2), -1);
    EXPECT_EQ(at(2, 3), 1);
    EXPECT_EQ(at(2, 4), 1);
    EXPECT_EQ(at(2, 5), -1);
}

TEST_F(Strip, AShadowLayerOfAFontWithoutShadowsDrawsNothing) {
    fonts.Draw("ABC", 0, 0, clip, target, LAYER_SHADOWS, false);
    for (int x = 0; x < 20; ++x) EXPECT_EQ(at(x, 2), -1);
    EXPECT_GE(font.useCount(), 2);  // the use still counts
}

TEST_F(Strip, AnUnmappedCharacterIsABlankOfGlyphZerosWidth) {
    CBitmapFont blank;
    blank.Create(0, 2, 3);
    blank.header().widths[0] = 5;  // glyph 0: transparent, 5 wide
    blank.header().widths[1] = 2;
    blank.header().map['A'] = 1;
    blank.Allocate();
    std::fill_n(blank.glyphPixels(LAYER_GLYPHS, 1), 2 * 3 * 2, uint8_t(0));  // black, opaque
    fonts.SetCurrent(&blank);
    EXPECT_EQ(fonts.CharAdvance('?'), 5);
    EXPECT_EQ(fonts.TextWidth("A?A"), 9);
    draw("A?A", 0, 0);
    EXPECT_EQ(at(2, 1), 0);
    EXPECT_EQ(at(3, 1), 0);
    for (int x = 4; x < 9; ++x) EXPECT_EQ(at(x, 1), -1) << x;
    EXPECT_EQ(at(9, 1), 0);
}

TEST_F(Strip, AClipReachingPastTheTargetNeverWritesOutside) {
    // The sanitizer run catches any write outside the 20 × 6 pixels.
    fonts.Draw("ABCABC", 0, 0, Rect{-3, -2, 40, 30}, target, LAYER_GLYPHS, false);
    EXPECT_EQ(at(0, 0), 1);  // glyph A's column 3, row 2
    fonts.Draw("BBBBBB", 2, 4, Rect{0, 0, 100, 100}, target, LAYER_GLYPHS, false);
    EXPECT_EQ(at(19, 5), 11);  // the fifth B, cut at the target's right and bottom edges
}

TEST(FontMeasure, AdvanceWidthAndBaseline) {
    CBitmapFont f;
    fonttest::MakeFont(f, {5, 7, 9}, 10, 0);
    f.setBearings(0, 1, 2);
    f.setBearings(1, 3, -1);
    f.setBearings(2, -2, 4);
    f.header().hSpacing = 2;
    f.header().baseline = 8;
    f.header().scriptShift = 3;
    CFontManager fonts;
    EXPECT_EQ(fonts.TextWidth("ABC"), 0);  // no current font
    fonts.SetCurrent(&f);
    EXPECT_EQ(fonts.CharAdvance('A'), 2 + 5 - 1 - 2);
    EXPECT_EQ(fonts.CharAdvance('B'), 2 + 7 - 3 + 1);
    // 3 × 2 + (5 - 2) + (7 + 1) + (9 - 4) - 3 - (-2): the first left bearing does not count.
    EXPECT_EQ(fonts.TextWidth("ABC"), 6 + 3 + 8 + 5 - 3 + 2);
    EXPECT_EQ(fonts.TextWidth(""), 0);
    EXPECT_EQ(fonts.TextWidth("ABC"),
              fonts.CharAdvance('A') + fonts.CharAdvance('B') + fonts.CharAdvance('C') + f.leftBearing(0));
    EXPECT_FALSE(fonts.Select("nothing", 0));
    EXPECT_EQ(fonts.Baseline(), 5);
    fonts.Select("nothing", 2);
    EXPECT_EQ(fonts.Baseline(), 11);
    fonts.Select("nothing", 7);  // out of range: the nearest level
    EXPECT_EQ(fonts.TextLevel(), 2);
    EXPECT_EQ(fonts.Height(), 10);
    EXPECT_TRUE(fonts.IsMonochrome());
}

TEST(FontFile, Version1RoundTrip) {
    zxtest::TempDir dir;
    CBitmapFont f;
    fonttest::MakeFont(f, {3, 6, 2}, 4, FONT_COLOUR | FONT_SHADOW);
    f.setBearings(1, -5, 7);
    f.header().baseline = 3;
    f.header().hSpacing = -1;
    f.header().vSpacing = 2;
    f.header().map[200] = 2;
    CFontManager fonts;
    ASSERT_TRUE(fonts.Save(f, dir.file("Round.bmf")));
    std::vector<uint8_t> file;
    ASSERT_TRUE(platform::ReadFile(dir.file("Round.bmf"), file));
    ASSERT_EQ(file.size(), 1088u + 2 * 4 * 11 * 4);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "FONT");
    EXPECT_EQ(file[32], 1);                 // version
    EXPECT_EQ(int8_t(file[576 + 1]), -5);   // left bearing of glyph 1
    EXPECT_EQ(int8_t(file[832 + 1]), 7);    // right bearing of glyph 1
    EXPECT_EQ(file[1088 + 4 * 4 * 3], 11);  // glyph 1 starts after 3 columns × 4 rows

    CBitmapFont g;
    ASSERT_EQ(g.ReadHeader(dir.file("Round.bmf")), FILE_OK);
    EXPECT_EQ(g.name(), "Round");
    EXPECT_FALSE(g.loaded());
    EXPECT_EQ(g.dataOffset(), 1088u);
    EXPECT_EQ(g.totalWidth(), 11u);
    EXPECT_EQ(g.startColumn(2), 9u);
    EXPECT_EQ(g.bytesPerPixel(), 4);
    EXPECT_TRUE(g.hasShadow());
    EXPECT_EQ(g.header().hSpacing, -1);
    EXPECT_EQ(g.header().vSpacing, 2);
    EXPECT_EQ(g.header().map[200], 2);
    EXPECT_EQ(g.leftBearing(1), -5);
    EXPECT_EQ(g.rightBearing(1), 7);
    ASSERT_TRUE(g.Load());
    EXPECT_EQ(0, std::memcmp(g.glyphPixels(LAYER_GLYPHS, 0), f.glyphPixels(LAYER_GLYPHS, 0), f.layerSize()));
    EXPECT_EQ(0, std::memcmp(g.glyphPixels(LAYER_SHADOWS, 0), f.glyphPixels(LAYER_SHADOWS, 0), f.layerSize()));
    EXPECT_EQ(g.Serialize(), file);
}

TEST(FontFile, Version0HasNoBearingsAndPixelsAt576) {
    CBitmapFont f;
    fonttest::MakeFont(f, {2, 3}, 2, 0);
    f.setBearings(1, 4, 4);
    std::vector<uint8_t> v1 = f.Serialize();
    // The same font as an older program wrote it: no bearing tables, version 0.
    std::vector<uint8_t> v0(v1.begin(), v1.begin() + 576);
    v0.insert(v0.end(), v1.begin() + 1088, v1.end());
    v0[32] = 0;
    CBitmapFont g;
    ASSERT_EQ(g.ParseHeader(v0.data(), v0.size(), v0.size()), FILE_OK);
    EXPECT_EQ(g.dataOffset(), 576u);
    EXPECT_EQ(g.rightBearing(1), 0);
    ASSERT_TRUE(g.LoadFromMemory(v0.data(), v0.size()));
    EXPECT_EQ(g.glyphPixels(LAYER_GLYPHS, 1)[0], 11);
    EXPECT_EQ(g.CharAdvance('B'), 3);
    // Saving it again writes version 1 with zero bearings.
    std::vector<uint8_t> again = g.Serialize();
    EXPECT_EQ(again.size(), v1.size());
    EXPECT_EQ(again[32], 1);
    EXPECT_EQ(again[576 + 1], 0);
}

TEST(FontFile, DamagedHeadersAreRefused) {
    CBitmapFont f;
    fonttest::MakeFont(f, {2, 3}, 2, FONT_SHADOW);
    const std::vector<uint8_t> good = f.Serialize();
    CBitmapFont g;
    auto parse = [&](std::vector<uint8_t> v) { return g.ParseHeader(v.data(), v.size(), v.size()); };
    ASSERT_EQ(parse(good), FILE_OK);
    std::vector<uint8_t> v = good;
    v[32] = 2;
    EXPECT_EQ(parse(v), FILE_VERSION_ERROR);
    // One byte short of the shadow layer.
    EXPECT_EQ(parse(std::vector<uint8_t>(good.begin(), good.end() - 1)), FILE_FORMAT_ERROR);
    EXPECT_EQ(parse(std::vector<uint8_t>(good.begin(), good.begin() + 1000)), FILE_FORMAT_ERROR);
    EXPECT_EQ(parse({}), FILE_FORMAT_ERROR);
    v = good;
    v[8] = 0;  // no glyphs
    EXPECT_EQ(parse(v), FILE_FORMAT_ERROR);
    v = good;
    v[9] = 1;  // 258 glyphs
    EXPECT_EQ(parse(v), FILE_FORMAT_ERROR);
    v = good;
    v[15] = 0x40;  // a height of a billion rows
    EXPECT_EQ(parse(v), FILE_FORMAT_ERROR);
    v = good;
    v[27] = 0x7F;  // a horizontal spacing of two billion pixels
    EXPECT_EQ(parse(v), FILE_FORMAT_ERROR);
    // Extra bytes after the layers do no harm.
    v = good;
    v.resize(v.size() + 10);
    EXPECT_EQ(parse(v), FILE_OK);
}

TEST(FontFile, AMapEntryPastTheGlyphCountDrawsNothingButStillAdvances) {
    CBitmapFont f;
    fonttest::MakeFont(f, {2}, 1, 0);
    f.header().map['Z'] = 9;  // a damaged map: glyph 9 of a one-glyph font
    f.header().widths[9] = 3;
    f.ComputeColumns();
    CBitmap32 t(10, 1);
    t.fillAll(0xFF000000);
    const uint8_t white[3] = {255, 255, 255};
    f.DrawText("ZA", 0, 0, t.bounds(), t.view(), LAYER_GLYPHS, false, white);
    EXPECT_EQ(t.colourAt(0, 0), 0xFF000000u);
    EXPECT_EQ(t.colourAt(2, 0), 0xFF000000u);
    EXPECT_EQ(t.colourAt(3, 0), 0x00010101u);  // A after Z's 3 columns
}

}  // namespace
