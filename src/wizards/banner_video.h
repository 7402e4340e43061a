// A video file as the banner converter sees it, through FFmpeg (libavformat, libavcodec,
// libswscale): its frame count, rate and size, and each frame in turn as a 32-bit picture with
// transparency. AVI above all (uncompressed RGB, MJPEG, DV, MPEG-4, H.264, HuffYUV, UT Video,
// FFV1, Cinepak, MS Video 1/RLE, PNG...), and what else FFmpeg opens (".mov", ".mp4", ".mkv",
// ".webm", ".gif").
//
// Transparency: uncompressed 32-bit frames store it in their fourth byte (inverted with
// "InverseTGA", as 32-bit pictures are); a decoder with an alpha channel gives opacity, so the
// transparency is 255 - alpha; every other frame is opaque.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "pages/bitmap32.h"

namespace wizards {

// Messages of the video source.
enum : int {
    IDS_VIDEO_OPEN = 3000,         // "Error opening file:\n\n%1"
    IDS_VIDEO_FORMAT = 3002,       // "Read error - invalid file format:\n\n%1"
    IDS_VIDEO_NO_STREAM = 19534,   // "File has no video streams!" (also a zero rate)
    IDS_VIDEO_TOO_LARGE = 19535,   // "Video frame size is too large!..."
    IDS_VIDEO_NO_DECODER = 19536,  // "Can't find suitable decompressor to decode video stream!"
};

struct VideoInfo {
    int32_t width = 0, height = 0;
    uint32_t frames = 0;           // the stream's count, or counted by reading the stream through
    uint32_t rate100 = 0;          // frames per second × 100
    int bitsPerPixel = 24;         // 32 when the frames carry transparency
    bool rawTransparency = false;  // uncompressed 32-bit: the fourth byte is stored transparency
    bool counted = false;          // the count came from reading the stream
    std::string codec, pixelFormat, container;
};

// What happened to the frames while decoding.
struct VideoDecodeStats {
    uint32_t badFrames = 0;  // frames that did not decode: the previous one stands in
};

class CBannerVideo {
public:
    CBannerVideo();
    ~CBannerVideo();
    CBannerVideo(const CBannerVideo&) = delete;
    CBannerVideo& operator=(const CBannerVideo&) = delete;

    // Opens a file and decodes its first frame: 0, or 3000 (missing, unreadable), 3002 (no
    // demuxer recognises it), 19534 (no video stream, a zero rate), 19536 (no decoder, a first
    // frame that does not decode, a pixel format that cannot be converted).
    int Open(const std::string& path);
    // The same on a file image in memory (kept by the caller while open).
    int OpenMemory(const uint8_t* data, size_t size);
    void Close();

    const VideoInfo& info() const { return info_; }
    const VideoDecodeStats& stats() const { return stats_; }

    // The next frame into out (width × height, rows top to bottom). False at the end of the
    // stream. A frame that does not decode gives the previous one again (counted in stats).
    bool NextFrame(pages::CBitmap32& out, bool inverseTGA);

private:
    struct Impl;
    int openWith(const std::string& path, const uint8_t* data, size_t size);
    std::unique_ptr<Impl> impl_;
    VideoInfo info_;
    VideoDecodeStats stats_;
};

}  // namespace wizards
