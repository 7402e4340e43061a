// The show-parameters record: how one page goes on air (how it comes in, how long it stays, how
// its moving frame scrolls, how the last page goes out). Sequences, schedules, captions and the
// "DefEffect" settings store it as 64 bytes: sixteen signed 32-bit fields in this order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace app {
class Profile;
}
namespace platform {
class ByteReader;
class ByteWriter;
}  // namespace platform

namespace air {

struct ShowParams {
    int32_t timeMode = 0;       // moving-frame page: 0 = time follows the scroll, 1 = at least showTime
    int32_t showTime = 10;      // seconds
    int32_t plusTime = 0;       // seconds added to a scrolling page
    int32_t scrollSpeed = 0;    // 0..6; the Device step is scrollSpeed + 1
    int32_t stopScrolling = 0;  // 1 = the scroll ends when the text has come in
    int32_t inType = 0;         // effect catalogue row, 0..18
    int32_t inSpeed = 0;        // 0..19
    int32_t inBorder = 0;       // 0..14
    int32_t inNewMoves = 0;     // "New page is moving"
    int32_t inOldMoves = 0;     // "Old page is moving"
    int32_t outType = 0;        // out-effect of the last page, 0..18
    int32_t outSpeed = 0;
    int32_t outBorder = 0;
    int32_t outMoves = 0;  // "Page is moving"
    int32_t inFade = 0;    // "Fade"
    int32_t outFade = 0;   // "Fade out"

    bool operator==(const ShowParams&) const = default;
};
static_assert(sizeof(ShowParams) == 64, "ShowParams is stored as 64 bytes");

constexpr size_t kShowParamsSize = 64;
constexpr int kShowParamsFields = 16;

// The fields in stored order, for code that walks the record (reading, writing, comparing).
inline constexpr std::array<int32_t ShowParams::*, kShowParamsFields> kShowParamsFieldList = {
    &ShowParams::timeMode,      &ShowParams::showTime,   &ShowParams::plusTime, &ShowParams::scrollSpeed,
    &ShowParams::stopScrolling, &ShowParams::inType,     &ShowParams::inSpeed,  &ShowParams::inBorder,
    &ShowParams::inNewMoves,    &ShowParams::inOldMoves, &ShowParams::outType,  &ShowParams::outSpeed,
    &ShowParams::outBorder,     &ShowParams::outMoves,   &ShowParams::inFade,   &ShowParams::outFade,
};

// Field indexes in stored order.
enum ShowField : int {
    SP_TIME_MODE,
    SP_SHOW_TIME,
    SP_PLUS_TIME,
    SP_SCROLL_SPEED,
    SP_STOP_SCROLLING,
    SP_IN_TYPE,
    SP_IN_SPEED,
    SP_IN_BORDER,
    SP_IN_NEW_MOVES,
    SP_IN_OLD_MOVES,
    SP_OUT_TYPE,
    SP_OUT_SPEED,
    SP_OUT_BORDER,
    SP_OUT_MOVES,
    SP_IN_FADE,
    SP_OUT_FADE,
};

inline int32_t& Field(ShowParams& p, int index) { return p.*kShowParamsFieldList[size_t(index)]; }
inline int32_t Field(const ShowParams& p, int index) { return p.*kShowParamsFieldList[size_t(index)]; }

// The record used when none is stored: every field 0 and a show time of 10 seconds.
inline ShowParams DefaultShowParams() { return ShowParams{}; }

// Reads 64 bytes field by field; false (and p untouched) when the reader runs short.
bool ReadShowParams(platform::ByteReader& r, ShowParams& p);
void WriteShowParams(platform::ByteWriter& w, const ShowParams& p);

// A record kept in the settings file as a 64-byte binary structure ("DefEffect" of the air frame
// and of the sequence editor). A missing or damaged entry gives DefaultShowParams().
ShowParams LoadShowParams(const app::Profile& ini, std::string_view section, std::string_view key);
bool SaveShowParams(app::Profile& ini, std::string_view section, std::string_view key, const ShowParams& p);

}  // namespace air
