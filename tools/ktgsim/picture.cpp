#include "ktgsim/picture.h"

#include <png.h>

#include <algorithm>
#include <cstring>

#include "platform/files.h"

namespace ktgsim {

Rgb YuvToRgb(unsigned y6, unsigned cb6, unsigned cr6) {
    // The program scales chroma by 65536/227069 (blue) and 65536/179660 (red) of the pair's
    // summed differences, so one pixel's difference is chroma times half the divisor.
    const double y = double((y6 & 63) << 2);
    const double cb = double((cb6 & 63) << 2) - 128.0;
    const double cr = double((cr6 & 63) << 2) - 128.0;
    const double r = y + cr * (179660.0 / 131072.0);
    const double b = y + cb * (227069.0 / 131072.0);
    const double g = (y * 65536.0 - 19595.0 * r - 7472.0 * b) / 38469.0;
    auto clamp = [](double v) { return uint8_t(std::clamp(v + 0.5, 0.0, 255.0)); };
    return {clamp(r), clamp(g), clamp(b)};
}

bool Background::Parse(const std::string& text, Background& out, std::string& error) {
    out = Background{};
    if (text.empty() || text == "black") return true;
    if (text == "checker" || text == "checkerboard") {
        out.kind = Checkerboard;
        return true;
    }
    if (text == "none") {
        out.kind = None;
        return true;
    }
    int w = 0, h = 0;
    std::vector<uint8_t> src;
    if (!ReadPng(text, w, h, src)) {
        error = "cannot read the background picture " + text + " (a PNG file is expected)";
        return false;
    }
    out.kind = Image;
    out.rgba.assign(size_t(kFrameWidth) * kFrameHeight * 4, 0);
    for (size_t i = 3; i < out.rgba.size(); i += 4) out.rgba[i] = 255;
    for (int y = 0; y < std::min(h, kFrameHeight); ++y)
        for (int x = 0; x < std::min(w, kFrameWidth); ++x) {
            const uint8_t* s = &src[(size_t(y) * w + x) * 4];
            uint8_t* d = &out.rgba[(size_t(y) * kFrameWidth + x) * 4];
            // A transparent background picture shows black behind it.
            for (int c = 0; c < 3; ++c) d[c] = uint8_t(s[c] * s[3] / 255);
            d[3] = 255;
        }
    return true;
}

void Background::paint(Picture& pic) const {
    switch (kind) {
        case Black:
        case None:
            for (size_t i = 0; i < pic.rgba.size(); i += 4) {
                pic.rgba[i] = pic.rgba[i + 1] = pic.rgba[i + 2] = 0;
                pic.rgba[i + 3] = kind == None ? 0 : 255;
            }
            break;
        case Checkerboard:
            for (int y = 0; y < pic.height; ++y)
                for (int x = 0; x < pic.width; ++x) {
                    uint8_t v = ((x / 8) & 1) == ((y / 8) & 1) ? 0xFF : 0xA0;
                    uint8_t* p = pic.pixel(x, y);
                    p[0] = p[1] = p[2] = v;
                    p[3] = 255;
                }
            break;
        case Image: std::memcpy(pic.rgba.data(), rgba.data(), std::min(rgba.size(), pic.rgba.size())); break;
    }
}

namespace {

void AppendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

}  // namespace

bool WritePng(const std::string& path, const Picture& pic) {
    std::vector<uint8_t> encoded;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    std::vector<png_bytep> rows(size_t(pic.height));
    for (int y = 0; y < pic.height; ++y) rows[size_t(y)] = const_cast<png_bytep>(&pic.rgba[size_t(y) * pic.width * 4]);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &encoded, AppendToVector, nullptr);
    png_set_IHDR(png, info, png_uint_32(pic.width), png_uint_32(pic.height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 3);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return platform::WriteFileAtomic(path, encoded);
}

bool ReadPng(const std::string& path, int& width, int& height, std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> file;
    if (!platform::ReadFile(path, file) || file.empty()) return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return false;
    // Pictures larger than a few store sizes are not backgrounds; refuse before allocating.
    if (image.width == 0 || image.height == 0 || image.width > 8192 || image.height > 8192) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    rgba.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    width = int(image.width);
    height = int(image.height);
    return true;
}

}  // namespace ktgsim
