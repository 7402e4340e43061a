#include "pages/picture_io.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "pages/file_result.h"
#include "platform/bytes.h"
#include "platform/file_reader.h"
#include "platform/files.h"

namespace pages {

namespace {

// The most a reader looks at: the largest picture stored in the least thrifty way (run-length
// packets of one 32-bit pixel each) plus room for headers and colour maps. Bytes beyond are
// never needed, so a huge file costs no more memory than this.
constexpr size_t kMaxPictureFileBytes = size_t(kMaxPicturePixels) * 5 + (size_t(1) << 20);

// One source pixel (2, 3 or 4 bytes) into blue, green, red, transparency.
template <int Depth>
inline void convertPixel(const uint8_t* s, uint8_t* d, uint8_t invert) {
    if constexpr (Depth == 2) {
        const unsigned v = unsigned(s[0]) | unsigned(s[1]) << 8;
        d[PIX_BLUE] = uint8_t((v << 3) & 0xF8);
        d[PIX_GREEN] = uint8_t((v >> 2) & 0xF8);
        d[PIX_RED] = uint8_t((v >> 7) & 0xF8);
        d[PIX_TRANS] = 0;
    } else if constexpr (Depth == 3) {
        d[PIX_BLUE] = s[0];
        d[PIX_GREEN] = s[1];
        d[PIX_RED] = s[2];
        d[PIX_TRANS] = 0;
    } else {
        d[PIX_BLUE] = s[0];
        d[PIX_GREEN] = s[1];
        d[PIX_RED] = s[2];
        d[PIX_TRANS] = uint8_t(s[3] ^ invert);  // 255 - v == v ^ 255
    }
}

template <int Depth>
void convertRow(const uint8_t* s, uint8_t* d, int32_t count, uint8_t invert) {
    if constexpr (Depth == 4) {
        if (!invert) {
            std::memcpy(d, s, size_t(count) * 4);
            return;
        }
        // Whole pixels as little-endian words, so the loop vectorises.
        for (int32_t i = 0; i < count; ++i, s += 4, d += 4) {
            uint32_t v;
            std::memcpy(&v, s, 4);
            v ^= 0xFF000000u;
            std::memcpy(d, &v, 4);
        }
        return;
    }
    for (int32_t i = 0; i < count; ++i, s += Depth, d += 4) convertPixel<Depth>(s, d, invert);
}

using RowFn = void (*)(const uint8_t*, uint8_t*, int32_t, uint8_t);

RowFn rowFnFor(int bytesPerPixel) {
    switch (bytesPerPixel) {
        case 2: return convertRow<2>;
        case 3: return convertRow<3>;
        default: return convertRow<4>;
    }
}

// Plain rows: row y of the file goes to row y (top-down) or height - 1 - y (bottom-up).
void readRows(const uint8_t* src, size_t rowBytes, int bytesPerPixel, bool topDown, uint8_t invert, CBitmap32& bmp) {
    const RowFn fn = rowFnFor(bytesPerPixel);
    const int32_t h = bmp.height();
    for (int32_t y = 0; y < h; ++y, src += rowBytes)
        fn(src, bmp.pixel(0, topDown ? y : h - 1 - y), bmp.width(), invert);
}

template <int Depth>
bool decodeRle(const uint8_t* p, const uint8_t* end, bool topDown, uint8_t invert, CBitmap32& bmp) {
    const int32_t w = bmp.width(), h = bmp.height();
    int32_t row = 0, x = 0;
    uint8_t* dst = bmp.pixel(0, topDown ? 0 : h - 1);
    int64_t left = int64_t(w) * h;
    while (left > 0) {
        if (p >= end) return false;  // the data ends before the picture
        const uint8_t head = *p++;
        int32_t count = (head & 0x7F) + 1;
        if (count > left) return false;  // the packet runs past the last row
        left -= count;
        const bool repeat = head & 0x80;
        uint8_t px[4];
        if (repeat) {
            if (end - p < Depth) return false;
            convertPixel<Depth>(p, px, invert);
            p += Depth;
        } else if (end - p < ptrdiff_t(count) * Depth) {
            return false;
        }
        // Packets may cross rows: fill the rest of the row, then carry on in the next one.
        while (count > 0) {
            const int32_t n = std::min(count, w - x);
            uint8_t* d = dst + size_t(x) * 4;
            if (repeat) {
                for (int32_t i = 0; i < n; ++i, d += 4) std::memcpy(d, px, 4);
            } else {
                convertRow<Depth>(p, d, n, invert);
                p += size_t(n) * Depth;
            }
            x += n;
            count -= n;
            if (x == w) {
                x = 0;
                if (++row < h) dst = bmp.pixel(0, topDown ? row : h - 1 - row);
            }
        }
    }
    return true;
}

}  // namespace

int DecodeBmp(const uint8_t* data, size_t size, CBitmap32& out) {
    platform::ByteReader r(data, size);
    const uint8_t b = r.u8(), m = r.u8();
    r.skip(8);  // file size, reserved
    const uint32_t offset = r.u32();
    const uint32_t infoSize = r.u32();
    const int32_t width = r.i32();
    const int32_t height = r.i32();
    const uint16_t planes = r.u16();
    const uint16_t bits = r.u16();
    const uint32_t compression = r.u32();
    if (!r.ok() || b != 'B' || m != 'M') return PICTURE_FORMAT_ERROR;
    // Older (core) headers hold 16-bit sizes at other places: not ours.
    if (infoSize < 40 || planes != 1 || compression != 0) return PICTURE_FORMAT_ERROR;
    if (bits != 16 && bits != 24 && bits != 32) return PICTURE_FORMAT_ERROR;
    if (width <= 0 || height == 0 || height == INT32_MIN) return PICTURE_FORMAT_ERROR;
    const bool topDown = height < 0;
    const int32_t h = topDown ? -height : height;
    if (int64_t(width) * h > kMaxPicturePixels) return PICTURE_FORMAT_ERROR;
    const int bpp = bits / 8;
    const size_t rowBytes = (size_t(bits) * size_t(width) + 31) / 32 * 4;
    // The last row need not carry its padding.
    const size_t need = rowBytes * size_t(h - 1) + size_t(width) * size_t(bpp);
    if (offset > size || size - offset < need) return PICTURE_FORMAT_ERROR;

    CBitmap32 bmp(width, h);
    readRows(data + offset, rowBytes, bpp, topDown, 0, bmp);
    out = std::move(bmp);
    return PICTURE_OK;
}

int DecodeTga(const uint8_t* data, size_t size, bool inverseTGA, CBitmap32& out) {
    if (size < 18) return PICTURE_FORMAT_ERROR;
    platform::ByteReader r(data, size);
    const uint8_t idLength = r.u8();
    r.u8();  // colour map type: the map's size below is what counts
    const uint8_t type = r.u8();
    r.u16();  // first colour map entry
    const uint16_t mapEntries = r.u16();
    const uint8_t mapBits = r.u8();
    r.skip(4);  // origin
    const uint16_t width = r.u16();
    const uint16_t height = r.u16();
    const uint8_t depth = r.u8();
    const uint8_t descriptor = r.u8();
    if (type != 2 && type != 10) return PICTURE_FORMAT_ERROR;
    if (depth != 15 && depth != 16 && depth != 24 && depth != 32) return PICTURE_FORMAT_ERROR;
    if (width == 0 || height == 0 || (descriptor & 0x10)) return PICTURE_FORMAT_ERROR;
    const bool topDown = descriptor & 0x20;
    const int bpp = (depth + 7) / 8;
    const uint8_t invert = (depth == 32 && inverseTGA) ? 0xFF : 0;
    const int64_t pixels = int64_t(width) * height;
    if (pixels > kMaxPicturePixels) return PICTURE_FORMAT_ERROR;

    const size_t start = 18 + size_t(idLength) + size_t(mapEntries) * ((size_t(mapBits) + 7) / 8);
    if (start > size) return PICTURE_FORMAT_ERROR;
    const size_t avail = size - start;
    const uint8_t* p = data + start;

    if (type == 2) {
        if (avail < size_t(pixels) * size_t(bpp)) return PICTURE_FORMAT_ERROR;
        CBitmap32 bmp(width, height);
        readRows(p, size_t(width) * size_t(bpp), bpp, topDown, invert, bmp);
        out = std::move(bmp);
        return PICTURE_OK;
    }
    // Each packet takes at least a head and one pixel and gives at most 128 pixels: a header
    // promising more than the data can give is refused before anything is allocated.
    if (int64_t(avail / size_t(1 + bpp)) * 128 < pixels) return PICTURE_FORMAT_ERROR;
    CBitmap32 bmp(width, height);
    bool ok = false;
    switch (bpp) {
        case 2: ok = decodeRle<2>(p, p + avail, topDown, invert, bmp); break;
        case 3: ok = decodeRle<3>(p, p + avail, topDown, invert, bmp); break;
        default: ok = decodeRle<4>(p, p + avail, topDown, invert, bmp); break;
    }
    if (!ok) return PICTURE_FORMAT_ERROR;
    out = std::move(bmp);
    return PICTURE_OK;
}

int DecodePicture(const uint8_t* data, size_t size, bool inverseTGA, CBitmap32& out) {
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') return DecodeBmp(data, size, out);
    return DecodeTga(data, size, inverseTGA, out);
}

namespace {

// How far into a file the decoder may look, judged from its header alone: a file that is not a
// picture at all (a video chosen by mistake) is then refused after its first block rather than
// after reading hundreds of megabytes. The decoders still check everything themselves.
size_t bytesWanted(const uint8_t* head, size_t n) {
    platform::ByteReader r(head, n);
    if (n >= 2 && head[0] == 'B' && head[1] == 'M') {
        r.seek(10);
        const uint32_t offset = r.u32();
        r.seek(18);
        const int32_t w = r.i32(), h = r.i32();
        r.u16();
        const uint16_t bits = r.u16();
        if (!r.ok() || w <= 0 || h == 0 || h == INT32_MIN || bits > 32) return n;
        const int64_t rows = h < 0 ? -int64_t(h) : h;
        if (w * rows > kMaxPicturePixels) return n;
        return size_t(offset) + (size_t(bits) * size_t(w) + 31) / 32 * 4 * size_t(rows);
    }
    if (n < 18) return n;
    const size_t idLength = r.u8();
    r.u8();
    const bool rle = r.u8() == 10;
    r.u16();
    const size_t mapEntries = r.u16();
    const size_t mapBits = r.u8();
    r.skip(4);
    const size_t width = r.u16();
    const size_t pixels = width * r.u16();
    const size_t bpp = (size_t(r.u8()) + 7) / 8;
    const size_t start = 18 + idLength + mapEntries * ((mapBits + 7) / 8);
    if (pixels > size_t(kMaxPicturePixels)) return n;
    return start + pixels * (rle ? 1 + bpp : bpp);
}

}  // namespace

int ReadPictureFile(const std::string& path, bool inverseTGA, CBitmap32& out) {
    platform::FileReader f(path);
    if (!f.ok()) return PICTURE_OPEN_ERROR;
    const size_t fileSize = std::min(f.size(), kMaxPictureFileBytes);
    std::vector<uint8_t> data(std::min<size_t>(fileSize, 65536));
    f.bytes(data.data(), data.size());
    if (f.ok() && data.size() < fileSize) {
        const size_t have = data.size();
        data.resize(std::min(fileSize, std::max(have, bytesWanted(data.data(), have))));
        f.bytes(data.data() + have, data.size() - have);
    }
    if (!f.ok()) return PICTURE_OPEN_ERROR;
    return DecodePicture(data.data(), data.size(), inverseTGA, out);
}

std::vector<uint8_t> EncodeTga(const CBitmap32& bitmap) {
    std::vector<uint8_t> out;
    if (bitmap.empty() || bitmap.width() > 0xFFFF || bitmap.height() > 0xFFFF) return out;
    out.reserve(18 + bitmap.byteSize());
    platform::ByteWriter w(out);
    w.u8(0);     // no image ID
    w.u8(0);     // no colour map
    w.u8(2);     // uncompressed true-colour
    w.zeros(5);  // colour map fields
    w.u16(0);    // origin
    w.u16(0);
    w.u16(uint16_t(bitmap.width()));
    w.u16(uint16_t(bitmap.height()));
    w.u8(32);
    w.u8(0x28);  // rows top-down, 8 attribute bits
    w.bytes(bitmap.bits(), bitmap.byteSize());
    return out;
}

int WriteTGA(const CBitmap32& bitmap, const std::string& path) {
    const std::vector<uint8_t> data = EncodeTga(bitmap);
    if (data.empty() || !platform::WriteFileAtomic(path, data)) return FILE_SAVE_ERROR;
    return FILE_OK;
}

}  // namespace pages
