// Small fonts built in memory for the font tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pages/bitmap_font.h"
#include "pages/font_manager.h"

namespace fonttest {

// A font of the given glyph widths and height; every glyph pixel of glyph g in the glyph layer
// is (intensity or blue) = 10 × g + 1 and opaque; shadows (when asked) are half transparent.
// The character 'A' + k maps to glyph k.
inline void MakeFont(pages::CBitmapFont& font, const std::vector<int>& widths, int height, uint32_t flags) {
    font.Create(flags, int(widths.size()), height);
    for (size_t g = 0; g < widths.size(); ++g) {
        font.header().widths[g] = uint8_t(widths[g]);
        font.header().map['A' + g] = uint8_t(g);
    }
    font.Allocate();
    const int bpp = font.bytesPerPixel();
    for (size_t g = 0; g < widths.size(); ++g) {
        for (int layer = 0; layer < (font.hasShadow() ? 2 : 1); ++layer) {
            uint8_t* p = font.glyphPixels(pages::FontLayer(layer), int(g));
            for (int i = 0; i < widths[g] * height; ++i, p += bpp) {
                p[0] = uint8_t(10 * g + 1);
                if (bpp == 4) {
                    p[1] = uint8_t(g + 2);
                    p[2] = uint8_t(g + 3);
                }
                p[bpp - 1] = layer == 0 ? 0 : 128;
            }
        }
    }
}

// "Block": blank for ' ', a white block for every other character, 6 wide and 16 high with the base
// line at 12, so that where a text lands is plain to see. Saved at path through the manager.
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

}  // namespace fonttest
