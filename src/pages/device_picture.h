// The Device's picture format and the anti-flicker filter.
//
// A Device picture block is 2 checksum bytes (low byte first) and then the pixels of a region in
// raster order, two at a time as two 16-bit words, each stored high byte first:
//   bits 15-12  opacity 15 - (T >> 4)
//   bits 11-6   chroma >> 2: Cb in the left pixel's word, Cr in the right pixel's
//   bits 5-0    luma >> 2
// with, per pixel pair L, R (bytes blue, green, red, transparency T):
//   Y  = (7472 × blue + 38469 × green + 19595 × red) >> 16
//   Cb = 128 + (blueL + blueR - YL - YR) × 65536 / 227069    (truncating toward zero)
//   Cr = 128 + (redL + redR - YL - YR) × 65536 / 179660
//   Y clamped to 16..235, Cb and Cr to 16..240.
// The checksum is a 16-bit shift register fed with the data bytes from the last to the first,
// then two 0xFF bytes, each byte most significant bit first; per bit:
//   register = ((register << 1) & 0xFFFF) ^ (bit 15 was set ? 0x4003 : 0) ^ bit.
//
// The filter mixes every byte (transparency included) of rows y + 1 .. y + h - 2 with the
// unfiltered bytes a above and b below:
//   g' = (b × W(b - g) + (65536 - W(a - g) - W(b - g)) × g + a × W(a - g)) >> 16
//   W(d) = floor(21846 × sqrt(|d| / 255)).
//
// The vector code gives the same bytes as the plain code; the tests hold both to the rules above.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pages/bitmap32.h"

namespace pages {

enum : int32_t {
    DEVICE_WIDTH = 720,
    DEVICE_HEIGHT = 576,
    DEVICE_STILL_SIZE = 2 + DEVICE_WIDTH * DEVICE_HEIGHT * 2,  // 829442
    DEVICE_UNIFORM_STILL_SIZE = 6,                             // one pixel pair that fills the screen
};

// Bytes of the block of a w × h region.
inline size_t DeviceBlockSize(int32_t w, int32_t h) { return 2 + size_t(w) * size_t(h) * 2; }

// Converts the w × h region at (x, y) of a bitmap into a block at out (DeviceBlockSize bytes).
// Without checksum both checksum bytes are 0. False, writing nothing, when the region is not
// inside the bitmap or w is odd.
bool ToDevice(const BitmapView& src, int32_t x, int32_t y, int32_t w, int32_t h, uint8_t* out, bool checksum);

// A block of a w × h region decoded back into a bitmap, for looking at what a page file holds: the
// stored bits widened to the middle of their step (6 of luma and chroma, 4 of opacity). Empty when
// w is odd or not positive, h not positive, or the block is shorter than DeviceBlockSize(w, h).
CBitmap32 FromDevice(const uint8_t* block, size_t size, int32_t w, int32_t h);

// The checksum of n data bytes (the block without its two checksum bytes).
uint16_t DeviceChecksum(const uint8_t* data, size_t n);

// Filters the region in place (0 for w or h: the whole width or height from x or y).
void VerticalFilter(const BitmapView& bmp, int32_t x, int32_t y, int32_t w, int32_t h);

// The filter weight W(d) for d = -255..255.
int FilterWeight(int d);

// --- Implementations, for the tests and the benchmarks -----------------------------------------
// The program picks the fastest the processor has; the tests run every one it has against the
// written rules.
enum class PictureIsa : int { Scalar = 0, Avx2 = 1 };

struct PictureKernels {
    // pairs pixel pairs of 32-bit pixels → pairs × 4 bytes of words.
    void (*convert)(const uint8_t* src, size_t pairs, uint8_t* out);
    // The checksum register after the bytes data[n-1] .. data[0] (without the two 0xFF bytes).
    uint16_t (*feed)(const uint8_t* data, size_t n);
    // Filters one row of n bytes in place; above and below hold the unfiltered neighbours, wUp
    // the weights W(above - row); the weights W(below - row) go to wDown.
    void (*filterRow)(const uint8_t* above, uint8_t* row, const uint8_t* below, size_t n, const int32_t* wUp,
                      int32_t* wDown);
};

bool PictureIsaAvailable(PictureIsa isa);
const PictureKernels& PictureKernelsFor(PictureIsa isa);
// What ToDevice, DeviceChecksum and VerticalFilter use (the best available unless changed).
PictureIsa ActivePictureIsa();
// Chooses the kernels (benchmarks compare them); an unavailable one is refused (false).
bool UsePictureIsa(PictureIsa isa);

}  // namespace pages
