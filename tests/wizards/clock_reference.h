// The clock's render written down plainly, step by step as the rule reads: pixel after pixel,
// pair after pair from right to left, rows from the bottom up, every layer tested at every pixel,
// the Device conversion and the checksum bit by bit. The program's render must give the same
// bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "device/command_set.h"
#include "pages/bitmap32.h"
#include "wizards/clock_image.h"

namespace clockref {

struct Result {
    pages::Rect box;   // the hands' box (the buffer's new last area)
    pages::Rect area;  // what was produced
    device::Rect target;
    std::vector<uint8_t> block;
    pages::CBitmap32 pixels;  // the area's pixels before conversion
};

// One render of a clock's header and hand pictures into `buffer`, whose last area is `last`.
Result Render(const wizards::CClockImage& clock, const pages::Rect& last, int buffer, int hours, int minutes,
              int seconds, bool checksum);

}  // namespace clockref
