// Writing a short AVI through FFmpeg: the demo's clip, and the clips the tests and benchmarks
// convert. Bit-exact, so that every run gives the same file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pages/bitmap32.h"

namespace wizards {

enum VideoCodec : int {
    VIDEO_RAW24 = 0,  // uncompressed 24-bit RGB
    VIDEO_RAW32 = 1,  // uncompressed 32-bit: the fourth byte as the picture's transparency byte
    VIDEO_MJPEG = 2,
    VIDEO_PNG = 3,  // PNG frames with an alpha channel (opacity = 255 - transparency)
};

// Writes the frames (all of one size, an even one for MJPEG) at fps frames per second. False
// when FFmpeg cannot write the file.
bool WriteAviFile(const std::string& path, const std::vector<pages::CBitmap32>& frames, int fps, VideoCodec codec);
// The same into memory.
bool EncodeAvi(const std::vector<pages::CBitmap32>& frames, int fps, VideoCodec codec, std::vector<uint8_t>& out);

}  // namespace wizards
