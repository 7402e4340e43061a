// The program output as an RGBA picture, the conversion of Device picture words back to colour,
// the backgrounds the output is keyed over, and PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ktgsim/frame_store.h"

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

// Encodes as PNG and saves atomically. False when the file cannot be written.
bool WritePng(const std::string& path, const Picture& pic);
// Reads any PNG into RGBA of its own size.
bool ReadPng(const std::string& path, int& width, int& height, std::vector<uint8_t>& rgba);

}  // namespace ktgsim
