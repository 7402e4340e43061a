// What the air frame's files share among themselves (the frame's steps are spread over one file
// per content: air_frame.cpp and air_frame_<content>.cpp). Nothing outside them includes this.
#pragma once

#include "device/command_set.h"

namespace air {

inline constexpr device::Rect kWholeFrame{0, 0, 720, 576};

// Message of link error n, of a failed start of the MPEG players, of a switcher error n.
inline constexpr int IDS_LINK_ERROR_BASE = 4090;
inline constexpr int IDS_MPEG_INIT_FAILED = 3047;
inline constexpr int IDS_REMOTE_ERROR_BASE = 18004;

// (left − 1, top, right − 2, bottom − 1) of a rectangle, shrunk by b on every side: the window
// a banner's or caption's own effect opens.
inline device::Rect EffectWindow(const device::Rect& r, int b) {
    return {r.left - 1 + b, r.top + b, r.right - 2 - b, r.bottom - 1 - b};
}

}  // namespace air
