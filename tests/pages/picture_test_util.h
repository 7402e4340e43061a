// Picture files made in the tests: BMP and TGA bytes from pixels given as blue, green, red and a
// fourth byte, so every case is built here rather than kept as a binary file.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pages/bitmap32.h"
#include "platform/bytes.h"

namespace zxtest {

// The four stored bytes of pixel (x, y), top row first.
using PixelFn = std::function<std::array<uint8_t, 4>(int x, int y)>;

// A BMP of 16 (the first two bytes of each pixel are the little-endian 5-5-5 value), 24 or 32
// bits; padding bytes are 0xEE so that a reader that takes them for pixels shows it.
inline std::vector<uint8_t> MakeBmp(int w, int h, int bits, bool topDown, const PixelFn& px, uint32_t gap = 0) {
    const int bpp = bits / 8;
    const int rowBytes = (bits * w + 31) / 32 * 4;
    std::vector<uint8_t> out;
    platform::ByteWriter wr(out);
    const uint32_t offset = 54 + gap;
    wr.u8('B');
    wr.u8('M');
    wr.u32(offset + uint32_t(rowBytes * h));
    wr.u32(0);
    wr.u32(offset);
    wr.u32(40);
    wr.i32(w);
    wr.i32(topDown ? -h : h);
    wr.u16(1);
    wr.u16(uint16_t(bits));
    wr.zeros(24);  // compression 0, image size, resolution, palette counts
    wr.zeros(gap);
    for (int row = 0; row < h; ++row) {
        const int y = topDown ? row : h - 1 - row;
        for (int x = 0; x < w; ++x) {
            auto p = px(x, y);
            wr.bytes(p.data(), size_t(bpp));
        }
        for (int i = w * bpp; i < rowBytes; ++i) wr.u8(0xEE);
    }
    return out;
}

// A TGA header with the given fields, followed by idLength bytes of ID and the colour map.
inline std::vector<uint8_t> TgaHeader(uint8_t type, int w, int h, uint8_t depth, uint8_t descriptor,
                                      uint8_t idLength = 0, uint16_t mapEntries = 0, uint8_t mapBits = 0) {
    std::vector<uint8_t> out;
    platform::ByteWriter wr(out);
    wr.u8(idLength);
    wr.u8(mapEntries ? 1 : 0);
    wr.u8(type);
    wr.u16(0);
    wr.u16(mapEntries);
    wr.u8(mapBits);
    wr.u32(0);
    wr.u16(uint16_t(w));
    wr.u16(uint16_t(h));
    wr.u8(depth);
    wr.u8(descriptor);
    for (int i = 0; i < idLength; ++i) wr.u8(uint8_t('a' + i));
    wr.zeros(size_t(mapEntries) * ((mapBits + 7u) / 8u));
    return out;
}

// An uncompressed TGA (type 2) of 15/16, 24 or 32 bits in the row order of descriptor bit 5.
inline std::vector<uint8_t> MakeTga(int w, int h, uint8_t depth, uint8_t descriptor, const PixelFn& px,
                                    uint8_t idLength = 0, uint16_t mapEntries = 0, uint8_t mapBits = 0) {
    std::vector<uint8_t> out = TgaHeader(2, w, h, depth, descriptor, idLength, mapEntries, mapBits);
    const int bpp = (depth + 7) / 8;
    const bool topDown = descriptor & 0x20;
    for (int row = 0; row < h; ++row) {
        const int y = topDown ? row : h - 1 - row;
        for (int x = 0; x < w; ++x) {
            auto p = px(x, y);
            out.insert(out.end(), p.begin(), p.begin() + bpp);
        }
    }
    return out;
}

// The bitmap's pixel (x, y) as its four bytes.
inline std::array<uint8_t, 4> PixelOf(const pages::CBitmap32& b, int x, int y) {
    const uint8_t* p = b.pixel(x, y);
    return {p[0], p[1], p[2], p[3]};
}

// A pixel pattern where every pixel differs: (x, y) → blue x, green y, red x ^ y, fourth 7x+y.
inline std::array<uint8_t, 4> Pattern(int x, int y) {
    return {uint8_t(x * 3 + 1), uint8_t(y * 5 + 2), uint8_t((x ^ y) + 100), uint8_t(7 * x + y)};
}

}  // namespace zxtest
