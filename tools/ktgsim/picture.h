// The program output as an RGBA picture, the conversion of Device picture words back to colour,
// the backgrounds the output is keyed over, and PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ktgsim/frame_store.h"
#include "pages/bitmap32.h"

namespace ktgsim {

// 720 x 576 pixels, bytes red, green, blue, alpha, rows top to bottom.
struct Picture {
    int width = kFrameWidth;
    int height = kFrameHeight;
    std::vector<uint8_t> rgba = std::vector<uint8_t>(size_t(kFrameWidth) * kFrameHeight * 4, 0);

    uint8_t* pixel(int x, int y) { return &rgba[(size_t(y) * width + x) * 4]; }
    const uint8_t* pixel(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

// Colour of a pixel from its 6-bit luma and the pair's two 6-bit chroma values (Cb from the
// pair's left word, Cr from its right word): the inverse of the conversion the program uses.
// Written here from the Device's side on purpose, not taken from the program's picture code: an
// independent check, so that a fault in the program's conversion shows in the output instead of
// being undone by the same fault.
Rgb YuvToRgb(unsigned y6, unsigned cb6, unsigned cr6);

// What the output is keyed over.
struct Background {
    enum Kind { Black, Checkerboard, None, Image } kind = Black;
    std::vector<uint8_t> rgba;  // Image: a 720 x 576 picture

    // "black", "checker", "none" or the name of a PNG file (placed at the top left, cut to the
    // frame). False with a message when the file cannot be read.
    static bool Parse(const std::string& text, Background& out, std::string& error);
    void paint(Picture& pic) const;
};

// The picture as a page bitmap (transparency = 255 - alpha), the form of the program's pictures.
pages::CBitmap32 ToBitmap(const Picture& pic);
// Saves as PNG, through the program's own PNG code, atomically. False when it cannot be written.
bool WritePng(const std::string& path, const Picture& pic);

}  // namespace ktgsim
