// The clock maker: five pictures (face, hour's, minute's and second's hand, and a marker of the
// hands' centre) and the operator's settings become a clock. What the wizard and zx share: the
// names filled in from the face's, the settings with their defaults, and the steps that build
// the face, the hands and the thumbnail, put the settings into the header and time one render.
//
// The maker builds into a clock object of its own, never into the program's shared one, which
// may be on air.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pages/bitmap32.h"
#include "platform/clock.h"
#include "wizards/clock_image.h"

namespace wizards {

// Messages of the maker.
enum : int {
    IDS_CLOCK_PAIR_SIZES = 22080,    // "Picture size on black and white background are not the same!..."
    IDS_CLOCK_SIZES = 22081,         // "Pictures sizes are not the same!..."
    IDS_CLOCK_NO_CENTRE = 22082,     // "Can't determine hands center point!"
    IDS_CLOCK_CENTRE_RANGE = 22084,  // "Hands center point coordinates are beyound range!"
    IDS_CLOCK_SLOW = 22085,          // "Diasplaying this clock requires too much CPU usage!..."
    IDS_CLOCK_HAND_CUT = 22086,      // "Hand image is too large. It will be cut..."
    IDS_CLOCK_STEP_SEC = 22145,      // "%d sec."
    IDS_CLOCK_STEP_MIN = 22146,      // "%d min."
    IDS_CLOCK_LIGHT_FIRST = 22147,   // "left", "center", "right", "top", "center", "bottom"
};

// The five fields of the first page, in the order of the page.
enum : int { SRC_FACE = 0, SRC_HOUR = 1, SRC_MINUTE = 2, SRC_SECOND = 3, SRC_MARKER = 4, SRC_COUNT = 5 };
extern const char* const kClockSourceNames[SRC_COUNT];  // "Clock face", "Hour's hand", ...

struct ClockSources {
    std::array<std::string, SRC_COUNT> paths;
    bool complete() const;
};

// The names filled in when the clock face is chosen: when the last letter of its title (before a
// "_w" of a ".bmp" file) is F, H, M, S or C, the five names with that letter replaced by F, H, M,
// S and C in turn, the marker without the "_w". False, leaving out alone, otherwise.
bool AutoFillClockSources(const std::string& facePath, ClockSources& out);

struct ClockSettings {
    int minuteStep = 2;  // choices into kClockSteps: 5 sec.
    int hourStep = 2;    // 5 min.
    bool shadows = false;
    int lightH = 0;  // choices into kLightDirections: left / top
    int lightV = 0;
    int handHeight = 2;  // choice into kHandHeights: 6
    bool differentHeights = false;
    bool belowFace = false;
};

// A message of the maker: its id and up to two texts for %1 and %2.
struct ClockMessage {
    int id = 0;
    std::vector<std::string> args;
    std::string text() const;
};

// What a run of the maker has to say.
struct ClockReport {
    ClockMessage error;  // id 0: none
    std::vector<ClockMessage> warnings;
    uint32_t renderMs = 0;  // the timed render
    bool ok() const { return error.id == 0; }
};

// The centre marked on a uniform picture: x from the first pixel (row by row) that differs from
// the top-left one, y from the leftmost column that holds a pixel differing from its top pixel.
// False when there is no such mark.
bool FindMarkerCentre(const pages::CBitmap32& marker, int32_t& x, int32_t& y);

// The part of a hand picture that holds the hand: rows and columns, from 1 on, with a pixel of
// transparency below 245; right and bottom exclusive. Empty (all zero) when there is none.
pages::Rect HandUsedRect(const pages::CBitmap32& hand);

// Steps 1-6: reads the pictures (pairs for the face and hands), finds the centre, builds the face
// block, the three hand pictures and the thumbnail into clock. False with the message in
// report.error; report.warnings gets a hand that had to be cut.
bool BuildClock(const ClockSources& sources, CClockImage& clock, ClockReport& report);
// Steps 2-6 on pictures already read (names: the files they came from, for the messages).
bool BuildClockFromPictures(const std::array<pages::CBitmap32, SRC_COUNT>& pictures, const ClockSources& names,
                            CClockImage& clock, ClockReport& report);

// Step 7: the settings into the header (steps, shadows and their offsets, the face above the
// hands).
void ApplyClockSettings(const ClockSettings& settings, ClockHeader& header);

// The timed render at 3:00:37 (step 8) on the injectable clock; warns when it took 900 ms or more.
void TimeClockRender(CClockImage& clock, const platform::Clock& time, ClockReport& report);

// Steps 1-8 in one go (zx clock make).
bool MakeClock(const ClockSources& sources, const ClockSettings& settings, CClockImage& clock,
               const platform::Clock& time, ClockReport& report);

// How long a render may take before the maker warns.
constexpr uint32_t kClockSlowRenderMs = 900;

}  // namespace wizards
