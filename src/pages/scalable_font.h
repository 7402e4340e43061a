// Bitmap fonts made from scalable fonts (TrueType, OpenType, Type 1 ... through FreeType): every
// printable character of a code page rendered once into a ".bmf" font, so that operators have
// fonts before they draw a single alphabet. Only font making uses FreeType; drawing never does.
#pragma once

#include <cstdint>
#include <string>

#include "pages/bitmap_font.h"

namespace pages {

struct ScalableFontOptions {
    std::string fontFile;      // the scalable font
    int height = 32;           // H: rows of every glyph cell, outline and shadow included
    bool colour = false;       // a colour font in `fill`; otherwise monochrome (tinted when drawn)
    uint32_t fill = 0xFFFFFF;  // 0xTTBBGGRR fill of a colour font (the transparency byte is ignored)
    bool shadow = false;       // make a shadow layer
    int shadowDx = 2;          // shadow offset, pixels right
    int shadowDy = 2;          // shadow offset, pixels down
    int outline = 0;           // width of a black outline around every glyph, pixels
    int codePage = 1251;       // the 8-bit code page the font's character codes belong to
};

// Limits of the options (a glyph is at most 255 pixels wide, bearings fit a signed byte).
enum : int {
    SCALABLE_MIN_HEIGHT = 6,
    SCALABLE_MAX_HEIGHT = 200,
    SCALABLE_MAX_OUTLINE = 16,
    SCALABLE_MAX_SHADOW = 32,
};

// Builds the font in memory (loaded, not yet saved): glyph 0 is a blank of the space's width
// and stands for every code without a printable character in the font; every other glyph is
// cut to its ink, with bearings that keep the scalable font's advances; the base line sits where
// the tallest character still fits; the script shift is H / 4. False with a message in error
// when the font cannot be read or the options do not fit.
bool MakeFontFromScalable(const ScalableFontOptions& options, CBitmapFont& font, std::string& error);

}  // namespace pages
