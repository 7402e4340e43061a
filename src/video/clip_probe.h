// How long an MPEG clip plays. The file name may say it ("news_30.mpg" plays 30 s,
// "jingle_1500ms.mpg" 1.5 s) and is believed without opening the file; otherwise the clip is
// opened with libavformat, held to the MPEG demuxers, a bounded probe and a deadline, so that a
// damaged or foreign file answers quickly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace video {

// Probe results; an editor adding such a clip shows 3046 + the code.
enum : int { PROBE_OK = 0, PROBE_OPEN_FAILED = 2, PROBE_NO_STREAM = 3 };
inline constexpr int IDS_MPEG_ERROR_BASE = 3046;
inline constexpr int IDS_MPEG_INIT_FAILED = 3047;

// The file-name rule: true with the duration when the name carries one. Digits that do not fit
// a 32-bit count (in ms) are no duration.
bool DurationFromName(std::string_view path, uint32_t& ms);

// The name rule, then the file itself: PROBE_OK with the duration in ms, or the failure code.
// A clip of no length counts as PROBE_NO_STREAM.
int ProbeDuration(const std::string& path, uint32_t& ms);

}  // namespace video
