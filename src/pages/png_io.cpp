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

bool WritePng(const std::string& path, const BitmapView& bitmap) {
    std::vector<uint8_t> data;
    return EncodePng(bitmap, data) && platform::WriteFileAtomic(path, data);
}

}  // namespace pages
