// The banner converter's video reader (FFmpeg through an AVIOContext on memory) on any bytes: a
// code of its own, never a crash or a hang; every frame it gives has the size it announced.
#include <cstdint>

#include "pages/bitmap32.h"
#include "wizards/banner_video.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    wizards::CBannerVideo video;
    const int rc = video.OpenMemory(data, size);
    if (rc != 0) {
        if (rc != wizards::IDS_VIDEO_OPEN && rc != wizards::IDS_VIDEO_FORMAT && rc != wizards::IDS_VIDEO_NO_STREAM &&
            rc != wizards::IDS_VIDEO_NO_DECODER)
            __builtin_trap();
        return 0;
    }
    const wizards::VideoInfo& info = video.info();
    if (info.width <= 0 || info.height <= 0 || info.rate100 == 0) __builtin_trap();
    // Large frames are refused by the converter before decoding; here a few are enough.
    if (int64_t(info.width) * info.height > 1024 * 1024) return 0;
    pages::CBitmap32 frame;
    for (int i = 0; i < 16 && video.NextFrame(frame, i & 1); ++i)
        if (frame.width() != info.width || frame.height() != info.height) __builtin_trap();
    return 0;
}
