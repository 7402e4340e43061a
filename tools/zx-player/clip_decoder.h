// One clip opened for playing: its pictures in order with their times, decoded with
// libavformat and libavcodec and handed out as 32-bit pictures.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "pages/bitmap32.h"

namespace zxplayer {

class ClipDecoder {
public:
    ClipDecoder();
    ~ClipDecoder();
    ClipDecoder(const ClipDecoder&) = delete;
    ClipDecoder& operator=(const ClipDecoder&) = delete;

    // Opens the clip and decodes its first picture: false with a reason when it cannot be
    // played (not there, not MPEG, no picture that decodes).
    bool Open(const std::string& path, std::string& error);
    // The next picture and its time from the clip's start (ms); false at the end.
    bool Next(int64_t& ms);
    // Back to the first picture (a looped clip).
    bool Rewind();
    // The picture Next gave last, converted on demand.
    const pages::CBitmap32& Picture();
    int64_t FramePeriodMs() const;
    int64_t DurationMs() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace zxplayer
