// Fonts with round measures for the page tests, and a decoder of Device pictures for looking at
// what the conversion made.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "pages/bitmap_font.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "support/temp_dir.h"

namespace pagetest {

// Every printable character is a solid block `width` wide (intensity 255, opaque); the space
// and codes below 32 are blank, spaceWidth wide. With shadows, the shadow layer holds opaque
// black blocks for both.
inline void MakeBlockFont(pages::CBitmapFont& f, int width, int spaceWidth, int height, int baseline, int vSpacing,
                          uint32_t flags = 0) {
    f.Create(flags, 2, height);
    f.header().widths[0] = uint8_t(spaceWidth);
    f.header().widths[1] = uint8_t(width);
    for (int c = 33; c < 256; ++c) f.header().map[c] = 1;
    f.header().baseline = baseline;
    f.header().vSpacing = vSpacing;
    f.Allocate();
    const int bpp = f.bytesPerPixel();
    auto solid = [&](pages::FontLayer layer, int g, uint8_t value) {
        uint8_t* p = f.glyphPixels(layer, g);
        for (int i = 0; i < f.header().widths[g] * height; ++i, p += bpp) {
            for (int k = 0; k < bpp - 1; ++k) p[k] = value;
            p[bpp - 1] = 0;
        }
    };
    solid(pages::LAYER_GLYPHS, 1, 255);
    if (f.hasShadow()) {
        solid(pages::LAYER_SHADOWS, 1, 0);
        solid(pages::LAYER_SHADOWS, 0, 0);  // even a space casts a shadow, to tell the passes apart
    }
}

// A Fonts folder with three fonts:
//   "Grid": blocks 10 wide, space 10, height 20, base line 16, vertical spacing 2, shadows;
//   "Tall": blocks 12 wide, space 6, height 30, base line 24, no spacing;
//   "Paint": a colour font like Grid without shadows.
struct PageFixture : ::testing::Test {
    zxtest::TempDir dir;
    pages::CFontManager fonts;

    void SetUp() override {
        pages::CBitmapFont grid, tall, paint;
        MakeBlockFont(grid, 10, 10, 20, 16, 2, pages::FONT_SHADOW);
        MakeBlockFont(tall, 12, 6, 30, 24, 0);
        MakeBlockFont(paint, 10, 10, 20, 16, 2, pages::FONT_COLOUR);
        ASSERT_TRUE(fonts.Save(grid, dir.file("Grid.bmf")));
        ASSERT_TRUE(fonts.Save(tall, dir.file("Tall.bmf")));
        ASSERT_TRUE(fonts.Save(paint, dir.file("Paint.bmf")));
        fonts.setFolder(dir.path());
        fonts.Enumerate();
        ASSERT_EQ(fonts.GetCount(), 3);
    }

    static pages::TextFormat format(const std::string& font, uint32_t colour = 0x00FFFFFF, int level = 1) {
        pages::TextFormat t;
        t.setFontName(font);
        t.level = level;
        t.tint = font == "Paint" ? 0 : 1;
        t.colour = colour;
        return t;
    }

    // A frame at rect with one paragraph of text in a font, laid out.
    std::unique_ptr<pages::CPageFrame> frame(const pages::Rect& r, const std::string& text,
                                             const std::string& font = "Grid") {
        auto f = std::make_unique<pages::CPageFrame>();
        f->rect = r;
        f->paragraphs.front().runs.front().format = format(font);
        f->InsertText(text, fonts);
        f->ResetView();
        return f;
    }
};

// Back from Device words to pixels (Y, Cb, Cr of 6 bits each, opacity of 4): for looking at
// what the Device will show, not exact.
inline pages::CBitmap32 DecodeDeviceBlock(const uint8_t* block, int w, int h) {
    pages::CBitmap32 b(w, h);
    const uint8_t* d = block + 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; x += 2, d += 4) {
            const int wl = d[0] << 8 | d[1], wr = d[2] << 8 | d[3];
            const double cb = ((wl >> 6) & 63) * 4 + 2 - 128.0, cr = ((wr >> 6) & 63) * 4 + 2 - 128.0;
            for (int k = 0; k < 2; ++k) {
                const int word = k ? wr : wl;
                const double luma = (word & 63) * 4 + 2;
                auto clamp = [](double v) { return uint8_t(std::clamp(v + 0.5, 0.0, 255.0)); };
                // The inverse of the conversion's weights (its chroma scales are 0.577 and 0.730).
                const double red = luma + 1.3697 * cr, blue = luma + 1.7325 * cb;
                uint8_t* p = b.pixel(x + k, y);
                p[pages::PIX_RED] = clamp(red);
                p[pages::PIX_GREEN] = clamp((luma - 0.299 * red - 0.114 * blue) / 0.587);
                p[pages::PIX_BLUE] = clamp(blue);
                p[pages::PIX_TRANS] = uint8_t(255 - (word >> 12) * 17);
            }
        }
    return b;
}

}  // namespace pagetest
