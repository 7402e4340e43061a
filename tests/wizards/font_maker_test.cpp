// The font maker: the names it fills in, the letters it reads (code-page letters, UTF-8 files),
// the characters it separates, the font it builds (space, map, blank glyph, pixels, bearings),
// the caps that keep the font's tables whole, and the round trip through the font list.
#include <gtest/gtest.h>

#include <cstring>

#include "app/log/event_log.h"
#include "app/zentrix_app.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/picture_import.h"
#include "pages/picture_io.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "wizards/font_maker.h"

using namespace wizards;

namespace {

// A band of characters: each {x, width} a solid block of colour rows top..bottom, on white (W)
// and on black (B), so that the pair gives opaque characters on a transparent ground.
struct Band {
    int width = 100, height = 20;
    struct Block {
        int x, w, top, bottom;
    };
    std::vector<Block> blocks;
    pages::CBitmap32 picture(bool onWhite) const {
        pages::CBitmap32 b(width, height);
        b.fillAll(onWhite ? 0x00FFFFFF : 0x00000000);
        for (const Block& k : blocks) b.fill(0x00204080, k.x, k.top, k.w, k.bottom - k.top + 1, false);
        return b;
    }
};

std::array<pages::CBitmap32, FONT_PICTURES> Pictures(const Band& band, bool shadows = false) {
    std::array<pages::CBitmap32, FONT_PICTURES> p;
    p[FONT_CHARS_W] = band.picture(true);
    p[FONT_CHARS_B] = band.picture(false);
    if (shadows) {
        Band s = band;
        for (auto& k : s.blocks) k.x += 1;
        p[FONT_SHADOWS_W] = s.picture(true);
        p[FONT_SHADOWS_B] = s.picture(false);
    }
    return p;
}

std::vector<uint8_t> Letters(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

FontFlags NoShadows() {
    FontFlags f;
    f.noShadows = true;
    return f;
}

}  // namespace

TEST(FontMakerNames, AutoFillsTheFourPicturesFromAnyOfThem) {
    FontSources s;
    ASSERT_TRUE(AutoFillFontSources("/p/Headline_1_b.bmp", s));
    EXPECT_EQ(s.pictures[FONT_CHARS_W], "/p/Headline_0_W.bmp");
    EXPECT_EQ(s.pictures[FONT_CHARS_B], "/p/Headline_0_B.bmp");
    EXPECT_EQ(s.pictures[FONT_SHADOWS_W], "/p/Headline_1_W.bmp");
    EXPECT_EQ(s.pictures[FONT_SHADOWS_B], "/p/Headline_1_B.bmp");
    FontSources untouched;
    EXPECT_FALSE(AutoFillFontSources("/p/abc_W.bmp", untouched));
    EXPECT_FALSE(AutoFillFontSources("/p/a_x_W.bmp", untouched));
    EXPECT_TRUE(untouched.pictures[0].empty());
}

TEST(FontMakerNames, NextNeedsTheMappingFileAndThePicturesInUse) {
    FontSources s;
    s.pictures[0] = "a", s.pictures[1] = "b";
    EXPECT_FALSE(FontSourcesComplete(s, NoShadows()));
    s.letters = "l.txt";
    EXPECT_TRUE(FontSourcesComplete(s, NoShadows()));
    EXPECT_FALSE(FontSourcesComplete(s, FontFlags{}));
    s.pictures[2] = "c", s.pictures[3] = "d";
    EXPECT_TRUE(FontSourcesComplete(s, FontFlags{}));
}

TEST(FontMakerLetters, SkipsBlanksAndControlsAndKeepsCodePageLetters) {
    // 0xC0 is Cyrillic A in 1251: above 32 compared unsigned, so it is a letter.
    EXPECT_EQ(LettersOf("A B\r\n\tC\xC0\xFF", 1251), Letters("ABC\xC0\xFF"));
}

TEST(FontMakerLetters, AtMost256) {
    const std::string text(300, 'x');
    EXPECT_EQ(LettersOf(text, 1251).size(), 256u);
}

TEST(FontMakerLetters, Utf8FilesAreConvertedToTheCodePage) {
    // "АБВ" as a Linux editor writes it, with and without the byte order mark.
    EXPECT_EQ(LettersOf("\xD0\x90\xD0\x91\xD0\x92", 1251), Letters("\xC0\xC1\xC2"));
    EXPECT_EQ(LettersOf("\xEF\xBB\xBF"
                        "A\xD0\x90",
                        1251),
              Letters("A\xC0"));
    // Bytes that are no UTF-8 stay as the code page's letters.
    EXPECT_EQ(LettersOf("\xC0\xC1 \xC2", 1251), Letters("\xC0\xC1\xC2"));
}

TEST(FontMakerSeparation, ColumnZeroNeverStartsAndTheRightEdgeDrops) {
    Band band;
    band.blocks = {{0, 3, 2, 10}, {10, 4, 2, 10}, {96, 4, 2, 10}};
    pages::CBitmap32 glyphs;
    ASSERT_TRUE(pages::CombinePair(band.picture(true), band.picture(false), false, glyphs));
    const auto chars = SeparateColumns(glyphs, nullptr);
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_EQ(chars[0], (FontChar{1, 2}));
    EXPECT_EQ(chars[1], (FontChar{10, 4}));
}

TEST(FontMakerSeparation, WideCharactersAreCutIn255ColumnPieces) {
    Band band;
    band.width = 700;
    band.blocks = {{5, 600, 1, 5}};
    FontSeparation sep;
    FontReport rep;
    ASSERT_TRUE(SeparateFont(Pictures(band), Letters("abc"), NoShadows(), sep, rep));
    ASSERT_EQ(sep.chars.size(), 3u);
    EXPECT_EQ(sep.chars[0], (FontChar{5, 255}));
    EXPECT_EQ(sep.chars[1], (FontChar{260, 255}));
    EXPECT_EQ(sep.chars[2], (FontChar{515, 90}));
}

TEST(FontMakerSeparation, HeightFromTheFirstAndLastRowAndItsLogLine) {
    app::ResetEventLog();
    Band band;
    band.blocks = {{2, 3, 4, 15}, {8, 3, 6, 9}};
    FontSeparation sep;
    FontReport rep;
    ASSERT_TRUE(SeparateFont(Pictures(band), Letters("ab"), NoShadows(), sep, rep));
    EXPECT_EQ(sep.top, 4);
    EXPECT_EQ(sep.height, 12);
    EXPECT_EQ(sep.upper, 0);
    EXPECT_EQ(sep.lower, 12);
    EXPECT_TRUE(rep.warnings.empty());
}

TEST(FontMakerSeparation, TheShadowsCountForEmptyRowsAndColumns) {
    Band band;
    band.blocks = {{2, 3, 4, 15}, {7, 3, 4, 15}};
    FontSeparation sep;
    FontReport rep;
    // The shadows move one column right and close the gap of one column between the characters.
    Band b2 = band;
    b2.blocks[0].w = 4;
    ASSERT_TRUE(SeparateFont(Pictures(b2, true), Letters("ab"), FontFlags{}, sep, rep));
    EXPECT_TRUE(sep.shadowsUsed());
    ASSERT_EQ(sep.chars.size(), 1u);
    EXPECT_EQ(sep.chars[0], (FontChar{2, 9}));
    EXPECT_EQ(rep.warnings.size(), 1u);
    EXPECT_EQ(rep.warnings[0].id, IDS_FONT_COUNT);
}

TEST(FontMakerSeparation, EachFailureHasItsMessage) {
    FontSeparation sep;
    FontReport rep;
    Band band;
    band.blocks = {{2, 3, 4, 15}};
    auto pics = Pictures(band);
    pics[FONT_CHARS_B] = pages::CBitmap32(99, 20);
    EXPECT_FALSE(SeparateFont(pics, Letters("a"), NoShadows(), sep, rep));
    EXPECT_EQ(rep.error.id, IDS_FONT_SIZES);
    // Shadows in use: their size counts too.
    pics = Pictures(band, true);
    pics[FONT_SHADOWS_B] = pages::CBitmap32(100, 21);
    EXPECT_FALSE(SeparateFont(pics, Letters("a"), FontFlags{}, sep, rep));
    EXPECT_EQ(rep.error.id, IDS_FONT_SIZES);
    // One row only: T = B.
    band.blocks = {{2, 3, 4, 4}};
    EXPECT_FALSE(SeparateFont(Pictures(band), Letters("a"), NoShadows(), sep, rep));
    EXPECT_EQ(rep.error.id, IDS_FONT_HEIGHT);
    EXPECT_EQ(rep.error.text(), "Can't determine font height!");
    // Only a character at the right edge.
    band.blocks = {{97, 3, 2, 8}};
    EXPECT_FALSE(SeparateFont(Pictures(band), Letters("a"), NoShadows(), sep, rep));
    EXPECT_EQ(rep.error.id, IDS_FONT_SEPARATE);
}

TEST(FontMakerSeparation, At255CharactersSoTheFontHoldsGlyphZeroToo) {
    Band band;
    band.width = 2 * 300 + 2;
    for (int i = 0; i < 300; ++i) band.blocks.push_back({1 + 2 * i, 1, 1, 5});
    FontSeparation sep;
    FontReport rep;
    ASSERT_TRUE(SeparateFont(Pictures(band), LettersOf(std::string(300, 'x'), 1251), NoShadows(), sep, rep));
    EXPECT_EQ(sep.chars.size(), 255u);
    EXPECT_EQ(sep.letters.size(), 256u);
    pages::CBitmapFont font;
    BuildFont(sep, NoShadows(), font);
    EXPECT_EQ(font.header().glyphCount, 256u);
    EXPECT_FALSE(font.Serialize().empty());
}

class FontMakerBuild : public ::testing::Test {
protected:
    Band band;
    FontSeparation sep;
    FontReport rep;
    void SetUp() override {
        band.blocks = {{2, 4, 2, 17}, {10, 6, 2, 17}, {20, 10, 2, 17}};
        ASSERT_TRUE(SeparateFont(Pictures(band), Letters("abc"), NoShadows(), sep, rep));
    }
};

TEST_F(FontMakerBuild, HeaderMapAndBlankGlyphZero) {
    pages::CBitmapFont font;
    BuildFont(sep, NoShadows(), font);
    const pages::FontHeader& h = font.header();
    EXPECT_EQ(h.glyphCount, 4u);
    EXPECT_EQ(h.height, 16u);
    EXPECT_EQ(h.scriptShift, 4);
    EXPECT_EQ(h.flags, uint32_t(pages::FONT_COLOUR));
    EXPECT_EQ(h.baseline, 12);  // (16 / 4) × 3
    // b = total / 2n = 20 / 6 = 3
    EXPECT_EQ(h.widths[0], 3);
    EXPECT_EQ(h.widths[1], 4);
    EXPECT_EQ(h.widths[3], 10);
    EXPECT_EQ(h.map['a'], 1);
    EXPECT_EQ(h.map['c'], 3);
    EXPECT_EQ(h.map['d'], 0);
    for (int i = 0; i < 3 * 16; ++i) EXPECT_EQ(font.glyphPixels(pages::LAYER_GLYPHS, 0)[i * 4 + 3], 255);
    // The pixels of the characters as combined.
    const uint8_t* g2 = font.glyphPixels(pages::LAYER_GLYPHS, 2);
    EXPECT_EQ(g2[3], 0);
    EXPECT_EQ(std::memcmp(g2, sep.glyphs.pixel(10, 2), 4), 0);
    FontSpace sp = SpaceOf(sep, false);
    EXPECT_EQ(sp.c, 3);
}

TEST_F(FontMakerBuild, MoreLettersThanCharactersMapToTheLast) {
    sep.letters = Letters("abcdef");
    pages::CBitmapFont font;
    BuildFont(sep, NoShadows(), font);
    EXPECT_EQ(font.header().map['d'], 3);
    EXPECT_EQ(font.header().map['f'], 3);
}

TEST_F(FontMakerBuild, MonochromeKeepsIntensityAndTransparency) {
    FontFlags f = NoShadows();
    f.monochrome = true;
    ASSERT_TRUE(SeparateFont(Pictures(band), Letters("abc"), f, sep, rep));
    pages::CBitmapFont font;
    BuildFont(sep, f, font);
    EXPECT_EQ(font.bytesPerPixel(), 2);
    const uint8_t* g = font.glyphPixels(pages::LAYER_GLYPHS, 1);
    EXPECT_EQ(g[0], sep.glyphs.pixel(2, 2)[0]);
    EXPECT_EQ(g[1], 0);
}

TEST_F(FontMakerBuild, FixedWidthAdvancesEveryCharacterByB) {
    FontFlags f = NoShadows();
    f.fixedWidth = true;
    pages::CBitmapFont font;
    BuildFont(sep, f, font);
    EXPECT_EQ(font.header().widths[0], 10);
    EXPECT_EQ(SpaceOf(sep, true).c, 9);  // 10 - 10 / 8
    font.header().hSpacing = 2;
    for (unsigned char c : {'a', 'b', 'c'}) EXPECT_EQ(font.CharAdvance(c), 12) << c;
}

TEST_F(FontMakerBuild, BearingsFromTheRowsBetweenTheMarks) {
    // Character b gets a stub of two columns that only reaches into rows 0..1 of the band.
    Band b2 = band;
    b2.blocks[1] = {10, 2, 2, 17};
    b2.blocks.push_back({12, 4, 2, 3});
    ASSERT_TRUE(SeparateFont(Pictures(b2), Letters("abc"), NoShadows(), sep, rep));
    ASSERT_EQ(sep.chars[1], (FontChar{10, 6}));
    sep.upper = 4, sep.lower = 10;
    pages::CBitmapFont font;
    BuildFont(sep, NoShadows(), font);
    EXPECT_EQ(font.leftBearing(2), 0);
    EXPECT_EQ(font.rightBearing(2), 4);  // 6 - 1 - 1
    // Only outside the marks: 1 and 1.
    sep.upper = sep.lower = 0;
    Band b3;
    b3.blocks = {{2, 4, 2, 17}, {10, 6, 10, 17}};
    b3.blocks.push_back({30, 2, 2, 17});
    ASSERT_TRUE(SeparateFont(Pictures(b3), Letters("abc"), NoShadows(), sep, rep));
    sep.upper = 0, sep.lower = 3;
    BuildFont(sep, NoShadows(), font);
    EXPECT_EQ(font.leftBearing(2), 1);
    EXPECT_EQ(font.rightBearing(2), 1);
}

TEST_F(FontMakerBuild, BearingsStayInsideASignedByte) {
    Band wide;
    wide.width = 400;
    wide.blocks = {{2, 1, 2, 17}, {11, 250, 2, 3}, {200, 61, 5, 17}};
    // One character: a stub at the left, a long top line, the body at columns 190..250 of it.
    ASSERT_TRUE(SeparateFont(Pictures(wide), Letters("ab"), NoShadows(), sep, rep));
    sep.upper = 4, sep.lower = 15;
    pages::CBitmapFont font;
    BuildFont(sep, NoShadows(), font);
    EXPECT_EQ(font.leftBearing(2), 127);
}

TEST(FontMakerFiles, RoundTripThroughTheFontList) {
    zxtest::TempDir dir;
    Band band;
    band.blocks = {{2, 4, 2, 17}, {10, 6, 2, 17}};
    auto pics = Pictures(band, true);
    FontSources src;
    AutoFillFontSources(dir.file("Test_0_W.tga"), src);
    for (int i = 0; i < FONT_PICTURES; ++i)
        ASSERT_EQ(pages::WriteTGA(pics[size_t(i)], src.pictures[size_t(i)]), pages::FILE_OK);
    src.letters = dir.file("letters.txt");
    ASSERT_TRUE(zxtest::WriteText(src.letters, "\xD0\x96 \xD0\xAF\n"));  // Cyrillic in UTF-8
    FontSeparation sep;
    FontReport rep;
    ASSERT_TRUE(SeparateFontFiles(src, FontFlags{}, 1251, sep, rep)) << rep.error.id;
    EXPECT_EQ(sep.letters, Letters("\xC6\xDF"));
    pages::CBitmapFont font;
    BuildFont(sep, FontFlags{}, font);
    ApplyFontSettings({10, -1, 2}, font);
    ASSERT_TRUE(platform::MakeDirectories(dir.file("Fonts")));
    pages::CFontManager fonts;
    fonts.setFolder(dir.file("Fonts/"));
    fonts.SetCurrent(&font);
    ASSERT_TRUE(SaveFont(fonts, font, dir.file("Fonts/Test.bmf")));
    EXPECT_NE(fonts.Current(), &font);
    ASSERT_EQ(fonts.GetCount(), 1);
    ASSERT_TRUE(fonts.Select("test", pages::LEVEL_NORMAL));
    const pages::CBitmapFont* back = fonts.Current();
    EXPECT_EQ(back->header().baseline, 10);
    EXPECT_EQ(back->header().hSpacing, -1);
    EXPECT_EQ(back->header().vSpacing, 2);
    EXPECT_EQ(back->header().map[0xC6], 1);
    EXPECT_EQ(back->header().map[0xDF], 2);
    EXPECT_TRUE(back->hasShadow());
    EXPECT_EQ(back->header().version, 1u);
}

TEST(FontMakerFiles, MissingFilesGiveTheirMessages) {
    zxtest::TempDir dir;
    FontSources src;
    src.pictures = {dir.file("a.tga"), dir.file("b.tga"), "", ""};
    src.letters = dir.file("none.txt");
    FontSeparation sep;
    FontReport rep;
    EXPECT_FALSE(SeparateFontFiles(src, NoShadows(), 1251, sep, rep));
    EXPECT_EQ(rep.error.id, pages::PICTURE_OPEN_ERROR);
    Band band;
    band.blocks = {{2, 4, 2, 17}};
    ASSERT_EQ(pages::WriteTGA(band.picture(true), src.pictures[0]), pages::FILE_OK);
    ASSERT_EQ(pages::WriteTGA(band.picture(false), src.pictures[1]), pages::FILE_OK);
    EXPECT_FALSE(SeparateFontFiles(src, NoShadows(), 1251, sep, rep));
    EXPECT_EQ(rep.error.id, 3000);
}
