#include <gtest/gtest.h>

#include <png.h>

#include <cstring>

#include "pages/font_manager.h"
#include "pages/png_io.h"
#include "pages/scalable_font.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace pages;

namespace {

const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

bool makeDejaVu(CBitmapFont& font, ScalableFontOptions opt = {}) {
    opt.fontFile = kDejaVuSans;
    std::string error;
    bool ok = MakeFontFromScalable(opt, font, error);
    EXPECT_TRUE(ok) << error;
    return ok;
}

// The columns of a bitmap that hold ink (a pixel more opaque than the background).
std::vector<bool> inkColumns(const CBitmap32& b, int& top, int& bottom) {
    std::vector<bool> cols(size_t(b.width()), false);
    top = b.height();
    bottom = -1;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.pixel(x, y)[PIX_TRANS] != 255) {
                cols[size_t(x)] = true;
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return cols;
}

TEST(ScalableFont, DejaVuSansMeasuresAndDrawsHelloWorld) {
    if (!platform::FileExists(kDejaVuSans)) GTEST_SKIP() << "fonts-dejavu-core is not installed";
    CBitmapFont font;
    ScalableFontOptions opt;
    opt.height = 32;
    ASSERT_TRUE(makeDejaVu(font, opt));
    const FontHeader& h = font.header();
    EXPECT_EQ(h.height, 32u);
    EXPECT_EQ(h.scriptShift, 8);
    EXPECT_TRUE(font.isMonochrome());
    EXPECT_FALSE(font.hasShadow());
    // Most of the cell above the base line, room below it for descenders.
    EXPECT_GT(h.baseline, 18);
    EXPECT_LT(h.baseline, 28);
    // Every letter of the code page is there; unassigned 0x98 and the controls are glyph 0.
    for (unsigned char c : std::string("Hello,world\xC0\xDF\xE0\xFF")) EXPECT_NE(font.glyphOf(c), 0) << int(c);
    EXPECT_EQ(font.glyphOf(' '), 0);
    EXPECT_EQ(font.glyphOf(0x98), 0);
    EXPECT_EQ(font.glyphOf('\t'), 0);

    CFontManager fonts;
    fonts.SetCurrent(&font);
    fonts.SetColour(0xFFFFFF);
    const std::string text = "Hello, world";
    const int width = fonts.TextWidth(text);
    // DejaVu Sans at about 24 pixels to the em: roughly 0.55 em a character.
    EXPECT_GT(width, 120);
    EXPECT_LT(width, 190);
    EXPECT_EQ(fonts.CharAdvance(' '), h.widths[0]);
    EXPECT_GT(fonts.CharAdvance('w'), fonts.CharAdvance('l'));
    EXPECT_EQ(fonts.TextWidth("ll"), fonts.TextWidth("l") + fonts.CharAdvance('l'));

    CBitmap32 picture(width + 20, 40);
    picture.fillAll(0xFF000000);
    fonts.Draw(text, 10, 4, picture.bounds(), picture, LAYER_GLYPHS, false);
    int top = 0, bottom = 0;
    std::vector<bool> ink = inkColumns(picture, top, bottom);
    // The ink starts where the text starts and ends within its width.
    int first = -1, last = -1;
    for (int x = 0; x < picture.width(); ++x)
        if (ink[size_t(x)]) {
            if (first < 0) first = x;
            last = x;
        }
    EXPECT_EQ(first, 10);
    EXPECT_LE(last, 10 + width);
    EXPECT_GE(last, 10 + width - 4);
    // 'H', 'l' reach up near the top of the cell; the comma goes below the base line.
    EXPECT_LE(top, 4 + h.baseline - 16);
    EXPECT_GT(bottom, 4 + h.baseline);
    EXPECT_LT(bottom, 4 + 32);
    // Separate letters: columns without ink between them, the widest one at the space.
    int gaps = 0, widest = 0, run = 0;
    for (int x = first; x <= last; ++x) {
        if (!ink[size_t(x)]) {
            ++run;
        } else if (run) {
            ++gaps;
            widest = std::max(widest, run);
            run = 0;
        }
    }
    EXPECT_GE(gaps, 7);
    EXPECT_GE(widest, fonts.CharAdvance(' ') - 2);
    // Drawn in the tint: full white inside the strokes.
    bool white = false;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) white |= picture.colourAt(x, y) == 0x00FFFFFFu;
    EXPECT_TRUE(white);

    // Saved and read back, the font draws the very same picture.
    zxtest::TempDir dir;
    ASSERT_TRUE(fonts.Save(font, dir.file("DejaVu.bmf")));
    fonts.setFolder(dir.path());
    fonts.Enumerate();
    ASSERT_TRUE(fonts.Select("dejavu", 1));
    fonts.SetColour(0xFFFFFF);
    CBitmap32 again(picture.width(), picture.height());
    again.fillAll(0xFF000000);
    fonts.Draw(text, 10, 4, again.bounds(), again, LAYER_GLYPHS, false);
    EXPECT_EQ(0, std::memcmp(again.bits(), picture.bits(), picture.byteSize()));
}

TEST(ScalableFont, ColourOutlineAndShadowStayInsideTheCells) {
    if (!platform::FileExists(kDejaVuSans)) GTEST_SKIP() << "fonts-dejavu-core is not installed";
    CBitmapFont font;
    ScalableFontOptions opt;
    opt.height = 40;
    opt.colour = true;
    opt.fill = 0x0000D0FF;  // yellow
    opt.outline = 2;
    opt.shadow = true;
    opt.shadowDx = 3;
    opt.shadowDy = 3;
    ASSERT_TRUE(makeDejaVu(font, opt));
    EXPECT_EQ(font.bytesPerPixel(), 4);
    EXPECT_TRUE(font.hasShadow());
    CFontManager fonts;
    fonts.SetCurrent(&font);
    const int w = fonts.TextWidth("Hello");
    CBitmap32 pic(w + 10, 50);
    pic.fillAll(0x00800000);  // opaque dark blue
    fonts.Draw("Hello", 5, 5, pic.bounds(), pic, LAYER_SHADOWS, false);
    fonts.Draw("Hello", 5, 5, pic.bounds(), pic, LAYER_GLYPHS, false);
    int yellow = 0, black = 0;
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x) {
            uint32_t c = pic.colourAt(x, y);
            yellow += c == 0x0000D0FFu;
            black += c == 0u;
        }
    EXPECT_GT(yellow, 100);  // the fill
    EXPECT_GT(black, 100);   // outline and shadow
    // The glyph 'H': its shadow is its silhouette moved 3 right and 3 down.
    const int g = font.glyphOf('H');
    const uint8_t* glyph = font.glyphPixels(LAYER_GLYPHS, g);
    const uint8_t* shadow = font.glyphPixels(LAYER_SHADOWS, g);
    const int cw = font.header().widths[g];
    for (int y = 0; y + 3 < 40; ++y)
        for (int x = 0; x + 3 < cw; ++x)
            ASSERT_EQ(glyph[(y * cw + x) * 4 + 3], shadow[((y + 3) * cw + x + 3) * 4 + 3]) << x << "," << y;
}

TEST(ScalableFont, BadInputGivesAClearError) {
    CBitmapFont font;
    std::string error;
    ScalableFontOptions opt;
    opt.fontFile = "/nonexistent/font.ttf";
    EXPECT_FALSE(MakeFontFromScalable(opt, font, error));
    EXPECT_NE(error.find("cannot read"), std::string::npos);
    zxtest::TempDir dir;
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("junk.ttf"), std::string("not a font at all")));
    opt.fontFile = dir.file("junk.ttf");
    EXPECT_FALSE(MakeFontFromScalable(opt, font, error));
    opt.fontFile = kDejaVuSans;
    opt.height = 3;
    EXPECT_FALSE(MakeFontFromScalable(opt, font, error));
    EXPECT_NE(error.find("height"), std::string::npos);
    opt.height = 10;
    opt.outline = 4;  // leaves 2 rows
    EXPECT_FALSE(MakeFontFromScalable(opt, font, error));
    opt.outline = 0;
    opt.codePage = 4242;
    EXPECT_FALSE(MakeFontFromScalable(opt, font, error));
    EXPECT_NE(error.find("code page"), std::string::npos);
}

TEST(PngWriter, PixelsAndTransparencyRoundTrip) {
    CBitmap32 b(3, 2);
    b.fillAll(0x00000000);
    b.pixel(0, 0)[PIX_RED] = 200;
    b.pixel(1, 0)[PIX_BLUE] = 100;
    b.pixel(2, 1)[PIX_TRANS] = 255;
    b.pixel(1, 1)[PIX_TRANS] = 64;
    std::vector<uint8_t> data;
    ASSERT_TRUE(EncodePng(b.view(), data));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, data.data(), data.size()));
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr));
    ASSERT_EQ(image.width, 3u);
    ASSERT_EQ(image.height, 2u);
    EXPECT_EQ(rgba[0], 200);          // red
    EXPECT_EQ(rgba[3], 255);          // opaque
    EXPECT_EQ(rgba[4 + 2], 100);      // blue
    EXPECT_EQ(rgba[4 * 4 + 3], 191);  // alpha = 255 - 64
    EXPECT_EQ(rgba[5 * 4 + 3], 0);    // fully transparent
    CBitmap32 none;
    EXPECT_FALSE(EncodePng(none.view(), data));
}

}  // namespace
