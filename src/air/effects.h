// The Device's transition effects and the show time of a page: the effect catalogue, the words
// and parameters of the Device's effect command, and the rule that says how long a page stays.
#pragma once

#include <cstdint>
#include <string>

#include "air/show_params.h"
#include "pages/page_format.h"

namespace air {

// One row of the effect catalogue.
struct EffectInfo {
    int dx;  // motion distance in pixels
    int dy;
    uint16_t newMoves;  // word bits when the new page moves
    uint16_t oldMoves;  // word bits when the old page moves
    uint16_t param;     // low half of the effect parameter
    uint16_t base;      // base effect word
};

constexpr int kEffectTypes = 19;  // selectable types 0..18
constexpr int kEffectRows = 20;   // plus the empty row 19
extern const EffectInfo kEffectCatalogue[kEffectRows];

// The catalogue row of a type. A type outside the table (a damaged record) plays as type 0, the
// plain switch, so the page still goes on air.
const EffectInfo& EffectOf(int type);

// Word bits fixed by the Device.
enum : uint16_t {
    EFFECT_IN = 0x0001,       // added by the air controller for an in-effect
    EFFECT_REPLACE = 0x0002,  // a page replaces a page; also the out-effect bit
    EFFECT_FADE = 0x0400,
    EFFECT_RECT = 0x4000,  // use the given rectangle instead of the whole frame
};

// Fixed effect words of other content.
enum : uint16_t {
    WORD_INTERACTIVE = 0x0A01,
    WORD_CLOCK = 0x0A01,
    WORD_CLOCK_BELOW_FACE = 0x1A01,  // bit 12: the face's bank stays on top of the hands'
    WORD_BANNER = 0x6201,
    WORD_CAPTION = 0x4201,
    WORD_CAPTION_FADE = 0x4601,
};

// Effect speeds and borders outside their ranges (damaged records) are taken to the nearest
// end, so that no computation divides by zero or spills into a neighbouring bit field.
constexpr int kMaxEffectSpeed = 19;
constexpr int kMaxEffectBorder = 14;
constexpr int kMaxScrollSpeed = 6;

// Milliseconds an effect lasts: one step moves speed + 1 pixels per 20 ms field; with fade it
// lasts at least 1000 ms.
int EffectDuration(int type, int speed, bool fade);

// The 16-bit effect word of the in-effect (in = true) or of the out-effect, without the bits the
// air controller adds (EFFECT_IN, EFFECT_REPLACE).
uint16_t EffectWord(const ShowParams& p, bool in);

// The 32-bit effect parameter: catalogue parameter, step bits and border.
uint32_t EffectParam(const ShowParams& p, bool in);
// The same for an explicit type, speed and border (also used by tools).
uint32_t EffectParam(int type, int speed, int border);

// The facts of a page summary that the show time needs (PageMotionOf a compiled page's summary).
struct PageMotion {
    enum : int32_t { FLAG_MOVING = 0x02, FLAG_ROLL = 0x04 };  // summary flag bits 1 and 2
    int32_t movingType = 0;                                   // 0 none, 1 Scroller, 2 Roll
    int32_t flags = 0;                                 // bit 1: has a moving frame; bit 2: it is a Roll (vertical)
    int32_t stripLength = 0;                           // text length along the motion, pixels
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // the moving-frame rectangle

    bool hasMovingFrame() const { return (flags & FLAG_MOVING) != 0; }
    bool isRoll() const { return (flags & FLAG_ROLL) != 0; }
};

// The show time of a page in seconds (at least 2).
int ShowTimeOf(const ShowParams& p, const PageMotion& page);

inline PageMotion PageMotionOf(const pages::PageSummary& s) {
    return PageMotion{s.movingType, int32_t(s.flags), s.textLength,   s.moving.left,
                      s.moving.top, s.moving.right,   s.moving.bottom};
}
inline int ShowTimeOf(const ShowParams& p, const pages::PageSummary& s) { return ShowTimeOf(p, PageMotionOf(s)); }
// A page with no summary (none loaded): no moving frame.
inline int ShowTimeOf(const ShowParams& p) { return ShowTimeOf(p, PageMotion{}); }

// The page's computed show time: what the in-effect and the scroll need, ignoring showTime
// (the show time of "Variable time", and the least a fixed time can be).
int ComputedShowTime(const ShowParams& p, const PageMotion& page);

// Milliseconds as whole seconds the way show times round: up to the next second unless less
// than 200 ms are over (3190 ms → 3 s, 3200 ms → 4 s).
int RoundedSeconds(int64_t ms);

// Milliseconds as "%d.%d" (seconds and tenths), as the effect dialog shows durations.
std::string SecondsAndTenths(int ms);

}  // namespace air
