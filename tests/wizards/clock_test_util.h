// Clocks for the tests, made in memory: tapered hands with soft edges and colour that changes
// along them (so that a wrong byte, weight or row shows), on a face of rings; and the five source
// pictures of the maker written as BMP files.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>

#include "pages/bitmap32.h"
#include "pages/device_picture.h"
#include "pages/picture_io.h"
#include "platform/files.h"
#include "wizards/clock_image.h"
#include "wizards/clock_maker.h"

namespace clocktest {

// A hand pointing right from (cx, cy): `length` pixels long, `width` thick at the root, a tail of
// `tail` pixels, colour (b, g, r) darkening towards the tip, edges softened over two pixels.
inline void DrawHand(pages::CBitmap32& pic, int cx, int cy, int length, int width, int tail, int b, int g, int r) {
    for (int y = std::max(0, cy - width); y < std::min(pic.height(), cy + width + 1); ++y)
        for (int x = std::max(0, cx - tail); x < std::min(pic.width(), cx + length + 1); ++x) {
            const double along = double(x - cx) / length;
            const double half = width / 2.0 * (1.0 - 0.7 * std::max(0.0, along));
            const double d = std::fabs(double(y - cy)) - half;
            const double endCut = std::max(double(x - cx - length), double(cx - tail - x));
            const double edge = std::max(d, endCut);
            if (edge >= 2) continue;
            const int cover = edge <= 0 ? 255 : int(255 * (2 - edge) / 2);
            uint8_t* p = pic.pixel(x, y);
            const double shade = 1.0 - 0.5 * std::clamp(along, 0.0, 1.0);
            p[pages::PIX_BLUE] = uint8_t(b * shade);
            p[pages::PIX_GREEN] = uint8_t(g * shade);
            p[pages::PIX_RED] = uint8_t(r * shade);
            p[pages::PIX_TRANS] = uint8_t(255 - cover);
        }
}

// A clock as the maker would make it from hands of these lengths, with the centre at (x0, y0).
inline void MakeTestClock(wizards::CClockImage& clock, int x0 = 360, int y0 = 288, int second = 200, int minute = 180,
                          int hour = 120) {
    clock.Clear();
    wizards::ClockHeader& h = clock.header();
    h.centreX = x0;
    h.centreY = y0;
    const int r = wizards::HandRadius(x0, y0);
    const int lengths[3] = {second, minute, hour};
    const int widths[3] = {4, 10, 14};
    const int colours[3][3] = {{40, 40, 230}, {240, 240, 240}, {200, 220, 60}};
    for (int i = 0; i < 3; ++i) {
        pages::CBitmap32& c = clock.hand(i);
        c.create(wizards::CLOCK_CANVAS, wizards::CLOCK_CANVAS);
        c.fillAll(0xFF000000);
        const int len = std::min(lengths[i], r);
        DrawHand(c, 384, 384, len, widths[i], 20, colours[i][0], colours[i][1], colours[i][2]);
        h.hands[i] = {std::max(-r, -20 - 5), -widths[i] - 3, std::min(r, len + 5), widths[i] + 3};
    }
    pages::CBitmap32 face(pages::DEVICE_WIDTH, pages::DEVICE_HEIGHT);
    face.fillAll(0xFF000000);
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x) {
            const double d = std::hypot(x - x0, (y - y0) * 16.0 / 15);
            if (d > 230 && d < 245) {
                uint8_t* p = face.pixel(x, y);
                p[0] = 90, p[1] = 60, p[2] = 30, p[3] = 0;
            }
        }
    std::vector<uint8_t> block(wizards::CLOCK_FACE_BYTES);
    face.toDevice(block.data(), 0, 0, pages::DEVICE_WIDTH, pages::DEVICE_HEIGHT, true);
    clock.thumbnail().create(wizards::CLOCK_THUMB_WIDTH, wizards::CLOCK_THUMB_HEIGHT);
    clock.thumbnail().reduce(face);
    clock.setFace(std::move(block));
}

}  // namespace clocktest
