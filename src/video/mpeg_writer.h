// Writing MPEG-2 program streams (720 x 576, 25 frames a second, MPEG-2 video and MPEG audio
// layer II) through FFmpeg: the demo's clips and the clips of the tests and benchmarks.
// Bit-exact with one thread, so every run gives the same bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pages/bitmap32.h"

namespace video {

inline constexpr int kClipWidth = 720;
inline constexpr int kClipHeight = 576;
inline constexpr int kClipFps = 25;

struct MpegClipOptions {
    int frames = 25;
    bool audio = true;  // a quiet tone beside the picture
    int gop = 25;       // frames from one full picture to the next
};

// Draws frame `index` into a 720 x 576 picture (cleared to black before each call).
using FrameFn = std::function<void(int index, pages::CBitmap32& frame)>;

bool EncodeMpegClip(const MpegClipOptions& options, const FrameFn& draw, std::vector<uint8_t>& out);
bool WriteMpegClip(const std::string& path, const MpegClipOptions& options, const FrameFn& draw);

}  // namespace video
