// A font for the interactive system's tests: blank for ' ', a white block for every other
// character, 6 wide and 16 high, so that where a text lands is plain to see.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "pages/bitmap_font.h"
#include "pages/font_manager.h"

namespace itvtest {

inline void WriteBlockFont(pages::CFontManager& fonts, const std::string& path) {
    pages::CBitmapFont font;
    font.Create(0, 2, 16);
    font.header().baseline = 12;
    font.header().widths[0] = 4;
    font.header().widths[1] = 6;
    for (int c = 33; c < 256; ++c) font.header().map[c] = 1;
    font.Allocate();
    const int bpp = font.bytesPerPixel();
    for (int g = 0; g < 2; ++g) {
        uint8_t* p = font.glyphPixels(pages::LAYER_GLYPHS, g);
        for (int i = 0; i < font.header().widths[g] * 16; ++i, p += bpp) {
            p[0] = 255;
            p[bpp - 1] = g == 0 ? 255 : 0;
        }
    }
    font.setName("Block");
    ASSERT_TRUE(fonts.Save(font, path));
}

}  // namespace itvtest
