#include "pages/png_io.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

#include "platform/files.h"

namespace pages {

namespace {

void appendData(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void noFlush(png_structp) {}

}  // namespace

bool EncodePng(const BitmapView& bitmap, std::vector<uint8_t>& out) {
    out.clear();
    if (bitmap.empty()) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    std::vector<uint8_t> row(size_t(bitmap.width) * 4);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        out.clear();
        return false;
    }
    png_set_write_fn(png, &out, appendData, noFlush);
    png_set_IHDR(png, info, png_uint_32(bitmap.width), png_uint_32(bitmap.height), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < bitmap.height; ++y) {
        const uint8_t* p = bitmap.pixel(0, y);
        for (int32_t x = 0; x < bitmap.width; ++x, p += 4) {
            uint8_t* q = row.data() + size_t(x) * 4;
            q[0] = p[PIX_RED];
            q[1] = p[PIX_GREEN];
            q[2] = p[PIX_BLUE];
            q[3] = uint8_t(255 - p[PIX_TRANS]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

namespace {

struct Source {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

void readData(png_structp png, png_bytep out, png_size_t n) {
    auto* src = static_cast<Source*>(png_get_io_ptr(png));
    if (n > src->size - src->pos) png_error(png, "short file");
    std::memcpy(out, src->data + src->pos, n);
    src->pos += n;
}

// libpng reports damage through longjmp; the warnings stay quiet.
void quietWarning(png_structp, png_const_charp) {}
void failError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

}  // namespace

bool DecodePng(const uint8_t* data, size_t size, CBitmap32& out) {
    out.clear();
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failError, quietWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    Source src{data, size, 0};
    // Declared before the jump point: a longjmp out of libpng must not skip their destructors.
    std::vector<uint8_t> rgba;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        out.clear();
        return false;
    }
    png_set_read_fn(png, &src, readData);
    // Pictures larger than anything the Device shows many times over are refused.
    png_set_user_limits(png, 16384, 16384);
    png_read_info(png, info);
    // Every colour type becomes 8-bit RGBA.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != size_t(w) * 4) png_error(png, "unexpected row size");
    rgba.resize(size_t(w) * h * 4);
    rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y) rows[y] = rgba.data() + size_t(y) * w * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    out.create(int32_t(w), int32_t(h));
    for (size_t i = 0; i < rgba.size(); i += 4) {
        uint8_t* p = out.bits() + i;
        p[PIX_BLUE] = rgba[i + 2];
        p[PIX_GREEN] = rgba[i + 1];
        p[PIX_RED] = rgba[i];
        p[PIX_TRANS] = uint8_t(255 - rgba[i + 3]);
    }
    return !out.empty();
}

bool ReadPng(const std::string& path, CBitmap32& out) {
    std::vector<uint8_t> data;
    out.clear();
    return platform::ReadFile(path, data) && DecodePng(data.data(), data.size(), out);
}

bool WritePng(const std::string& path, const BitmapView& bitmap) {
    std::vector<uint8_t> data;
    return EncodePng(bitmap, data) && platform::WriteFileAtomic(path, data);
}

}  // namespace pages
