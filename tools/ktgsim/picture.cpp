#include "ktgsim/picture.h"

#include <algorithm>
#include <cstring>

#include "pages/png_io.h"

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
    pages::CBitmap32 src;
    if (!pages::ReadPng(text, src)) {
        error = "cannot read the background picture " + text + " (a PNG file is expected)";
        return false;
    }
    out.kind = Image;
    out.rgba.assign(size_t(kFrameWidth) * kFrameHeight * 4, 0);
    for (size_t i = 3; i < out.rgba.size(); i += 4) out.rgba[i] = 255;
    for (int y = 0; y < std::min(src.height(), kFrameHeight); ++y)
        for (int x = 0; x < std::min(src.width(), kFrameWidth); ++x) {
            const uint8_t* s = src.pixel(x, y);
            const unsigned alpha = 255u - s[pages::PIX_TRANS];
            uint8_t* d = &out.rgba[(size_t(y) * kFrameWidth + x) * 4];
            // A transparent background picture shows black behind it.
            d[0] = uint8_t(s[pages::PIX_RED] * alpha / 255);
            d[1] = uint8_t(s[pages::PIX_GREEN] * alpha / 255);
            d[2] = uint8_t(s[pages::PIX_BLUE] * alpha / 255);
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

pages::CBitmap32 ToBitmap(const Picture& pic) {
    pages::CBitmap32 out(pic.width, pic.height);
    const uint8_t* src = pic.rgba.data();
    uint8_t* dst = out.bits();
    for (size_t i = 0, n = size_t(pic.width) * size_t(pic.height); i < n; ++i, src += 4, dst += 4) {
        dst[pages::PIX_RED] = src[0];
        dst[pages::PIX_GREEN] = src[1];
        dst[pages::PIX_BLUE] = src[2];
        dst[pages::PIX_TRANS] = uint8_t(255 - src[3]);
    }
    return out;
}

bool WritePng(const std::string& path, const Picture& pic) {
    pages::CBitmap32 bitmap = ToBitmap(pic);
    return pages::WritePng(path, bitmap);
}

}  // namespace ktgsim
