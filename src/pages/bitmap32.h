// The program's 32-bit bitmap: pixels of four bytes blue, green, red, transparency (0 opaque,
// 255 fully transparent), rows top to bottom. All drawing is our own integer code on this memory.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace pages {

// A rectangle in pixels; right and bottom are exclusive.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool operator==(const Rect&) const = default;
};

// Colours are 0xTTBBGGRR: red in the low byte, transparency in the top byte.
inline uint8_t RedOf(uint32_t c) { return uint8_t(c); }
inline uint8_t GreenOf(uint32_t c) { return uint8_t(c >> 8); }
inline uint8_t BlueOf(uint32_t c) { return uint8_t(c >> 16); }
inline uint8_t TransparencyOf(uint32_t c) { return uint8_t(c >> 24); }

// Pixel byte positions inside one 32-bit pixel.
enum : int { PIX_BLUE = 0, PIX_GREEN = 1, PIX_RED = 2, PIX_TRANS = 3 };

// A view of 32-bit pixel memory owned elsewhere: what the drawing code writes into. A bitmap
// hands one out; so can a screen buffer or a strip, as long as stride covers width × 4.
struct BitmapView {
    uint8_t* bits = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;  // bytes from one row to the next

    bool empty() const { return !bits || width <= 0 || height <= 0; }
    uint8_t* pixel(int32_t x, int32_t y) const { return bits + size_t(y) * size_t(stride) + size_t(x) * 4; }
    Rect bounds() const { return {0, 0, width, height}; }
};

class CBitmap32 {
public:
    CBitmap32() = default;
    CBitmap32(int32_t width, int32_t height) { create(width, height); }

    // Allocates width × height pixels, dropping the old ones. The new pixels are zero (opaque
    // black), so a bitmap never shows stale memory. A size of zero or below leaves it empty.
    void create(int32_t width, int32_t height) {
        if (width <= 0 || height <= 0) width = height = 0;
        width_ = width;
        height_ = height;
        bits_.assign(size_t(width) * size_t(height) * 4, 0);
    }
    void clear() { create(0, 0); }

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t stride() const { return width_ * 4; }
    bool empty() const { return bits_.empty(); }
    Rect bounds() const { return {0, 0, width_, height_}; }

    uint8_t* bits() { return bits_.data(); }
    const uint8_t* bits() const { return bits_.data(); }
    size_t byteSize() const { return bits_.size(); }
    uint8_t* pixel(int32_t x, int32_t y) { return bits_.data() + (size_t(y) * size_t(width_) + size_t(x)) * 4; }
    const uint8_t* pixel(int32_t x, int32_t y) const {
        return bits_.data() + (size_t(y) * size_t(width_) + size_t(x)) * 4;
    }
    // The pixel as a colour value 0xTTBBGGRR.
    uint32_t colourAt(int32_t x, int32_t y) const {
        const uint8_t* p = pixel(x, y);
        return uint32_t(p[PIX_RED]) | uint32_t(p[PIX_GREEN]) << 8 | uint32_t(p[PIX_BLUE]) << 16 |
               uint32_t(p[PIX_TRANS]) << 24;
    }

    BitmapView view() { return {bits_.data(), width_, height_, width_ * 4}; }

    // Sets every pixel to a colour (no blending).
    void fillAll(uint32_t colour) {
        const uint8_t px[4] = {BlueOf(colour), GreenOf(colour), RedOf(colour), TransparencyOf(colour)};
        for (size_t i = 0; i < bits_.size(); i += 4) std::copy(px, px + 4, bits_.data() + i);
    }

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint8_t> bits_;
};

}  // namespace pages
