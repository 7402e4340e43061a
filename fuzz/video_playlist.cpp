// Video playlists (".vid") as they come from disk: any bytes give a result code and never a
// crash; damage leaves the playlist as it was; a file that parses converts for one and for two
// boards with every time at 0 or later and in order, and is written back to the same rows.
#include <cstdint>

#include "pages/file_result.h"
#include "video/video_playlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    video::CVideoPlaylist vid("/v/");
    vid.Reset({});
    int boards = 0;
    const int code = vid.Parse({data, size}, &boards);
    if (code != pages::FILE_OK) {
        if (code != pages::FILE_FORMAT_ERROR && code != pages::FILE_VERSION_ERROR) __builtin_trap();
        if (vid.Rows().size() != 1 || !vid.IsClosing(0)) __builtin_trap();
        return 0;
    }
    for (const video::VideoRow& r : vid.Rows()) {
        if (r.transition < 0 || r.transition >= video::kTransitionCount) __builtin_trap();
        for (uint8_t e : r.extras)
            if (e > video::kExtraCommandCount) __builtin_trap();
    }
    video::CVideoPlaylist back;
    if (back.Parse(vid.Serialize(boards)) != pages::FILE_OK || back.Rows() != vid.Rows()) __builtin_trap();
    for (int b = 1; b <= 2; ++b) {
        video::CPlaylist air;
        vid.ConvertTo(air, b, {7, 6});
        if (vid.Total() < 0) __builtin_trap();
        for (size_t i = 0; i < air.Events().size(); ++i)
            if (air.Events()[i].time < 0 || (i && air.Events()[i - 1].time > air.Events()[i].time)) __builtin_trap();
        for (int k = 0; k < 2; ++k)
            for (const video::ClipRecord& c : air.Clips(k))
                if (c.start < 0 || !c.absolute) __builtin_trap();
    }
    return 0;
}
