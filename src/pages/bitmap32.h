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

// --- Operations on any 32-bit pixel memory ----------------------------------------------------
// Every rectangle is cut to the bitmaps involved; nothing outside the pixels is ever touched.
// All arithmetic is integer with truncating division, exactly as each rule says.

// Fills a rectangle (w = 0: to the right edge, h = 0: to the bottom edge). Plain: every pixel
// becomes the colour. Blended, with T the colour's transparency, Td the pixel's and Ck a colour
// byte: D = (min(T, 255 - Td) × D + Ck × (255 - T)) / 255, then Td = min(T, Td).
void Fill(const BitmapView& dst, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h, bool blend);

enum BlitMode : int { BLIT_COPY = 0, BLIT_BLEND = 1 };
// Copies the w × h region at (sx, sy) of the source to (x, y). BLIT_COPY takes all four bytes;
// BLIT_BLEND skips source pixels of transparency Ts >= 240 and otherwise sets
// D = (S × (255 - Ts) + min(Ts, 255 - Td) × D) / 255 and Td = min(Ts, Td).
void Blit(const BitmapView& dst, const BitmapView& src, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx,
          int32_t sy, BlitMode mode);

// XOR 0xFFFFFF into the colour bytes of a row or column (guide lines); outside: nothing.
void InvertRow(const BitmapView& dst, int32_t y);
void InvertColumn(const BitmapView& dst, int32_t x);

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
    bool operator==(const CBitmap32& o) const { return width_ == o.width_ && height_ == o.height_ && bits_ == o.bits_; }

    BitmapView view() { return {bits_.data(), width_, height_, width_ * 4}; }
    // Read-only callers get the same view; they must not write through it.
    BitmapView view() const { return {const_cast<uint8_t*>(bits_.data()), width_, height_, width_ * 4}; }

    // Sets every pixel to a colour (no blending).
    void fillAll(uint32_t colour) { Fill(view(), colour, 0, 0, 0, 0, false); }

    // --- The renderer's operations ---------------------------------------------------------
    void fill(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h, bool blend) {
        Fill(view(), colour, x, y, w, h, blend);
    }
    void blit(const CBitmap32& source, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx, int32_t sy,
              BlitMode mode) {
        Blit(view(), source.view(), x, y, w, h, sx, sy, mode);
    }
    // Becomes a copy of the w × h region at (x, y) of the source (cut to the source).
    void copyRegion(const CBitmap32& source, int32_t x, int32_t y, int32_t w, int32_t h);
    // Point sampling 2 : 1 into this bitmap's existing size: pixel (x, y) = source (2x, 2y) for
    // x < min(width, source width / 2), y < min(height, source height / 2).
    void reduce(const CBitmap32& source);
    // Composites onto opaque black or white: byte = (T × (white ? 255 : 0) + byte × (255 - T)) / 255,
    // then T = 0.
    void flatten(bool white);
    // Opaque 8 × 8 checkerboard of white (0xFFFFFF) and grey (0xA0A0A0), white where x / 8 and
    // y / 8 have the same parity.
    void checkerboard();
    void invertRow(int32_t y) { InvertRow(view(), y); }
    void invertColumn(int32_t x) { InvertColumn(view(), x); }
    // The anti-flicker filter over a region (0 for w or h: the whole width or height); see
    // device_picture.h.
    void verticalFilter(int32_t x, int32_t y, int32_t w, int32_t h);
    // Writes one Device picture block of the w × h region at (x, y): 2 checksum bytes (zero
    // without checksum), then the words. False, writing nothing, when the region is not inside
    // the bitmap or w is odd. The buffer holds 2 + w × h × 2 bytes.
    bool toDevice(uint8_t* buffer, int32_t x, int32_t y, int32_t w, int32_t h, bool checksum) const;

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint8_t> bits_;
};

}  // namespace pages
