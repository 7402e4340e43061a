// The demo's two clocks, made by the clock maker from pictures drawn here: a large studio clock
// in the middle of the picture with shadows and a minute's hand that moves every second, and a
// small clock in the lower right corner whose hands turn below its bezel. Their source pictures
// stay under the names the maker fills in by itself, to try the wizard on.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "pages/bitmap32.h"
#include "wizards/clock_image.h"
#include "wizards/clock_maker.h"

namespace demo {

constexpr char kStudioClock[] = "Clock/Studio clock.zck";
constexpr char kCornerClock[] = "Clock/Corner clock.zck";
// Where the pictures go, below the data root.
constexpr char kClockPictures[] = "Pictures/Clock/";

enum class DemoClock { Studio, Corner };

// The five pictures (face, hour's, minute's, second's hand, marker), 720 x 576 each, the hands
// pointing to 3 o'clock. The numerals are set in DejaVu Sans Bold from fontFolder. False with a
// reason when the font cannot be read.
bool DrawDemoClockPictures(DemoClock which, const std::string& fontFolder,
                           std::array<pages::CBitmap32, wizards::SRC_COUNT>& out, std::string& error);
// The maker's settings of each.
wizards::ClockSettings DemoClockSettings(DemoClock which);
// The clock made in memory from the drawn pictures (benchmarks, tests).
bool MakeDemoClock(DemoClock which, const std::string& fontFolder, wizards::CClockImage& clock, std::string& error);

// Writes the source pictures below the root (the studio clock's as TGA pictures with their
// transparency, the corner clock's as BMP pairs on black and on white), makes both clocks from
// those files with the maker and saves them in the Clock folder. Appends the files written,
// relative to the root.
bool WriteDemoClocks(const std::string& root, const std::string& fontFolder, std::vector<std::string>& files,
                     std::string& error);

std::vector<std::string> DemoClockFiles();

}  // namespace demo
