// Air playlists (".zxp") as they come from disk: any bytes give a result code and never a crash;
// damage leaves the playlist as it was; a file that parses is written back to the same bytes'
// meaning, and the air frame's view of it stays in time order.
#include <cstdint>

#include "pages/file_result.h"
#include "video/playlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    video::CPlaylist pl("/data/");
    pl.AddButton({5, "KEEP", 0});
    const int code = pl.Parse({data, size});
    if (code != pages::FILE_OK) {
        if (code != pages::FILE_FORMAT_ERROR && code != pages::FILE_VERSION_ERROR) __builtin_trap();
        if (pl.Events().size() != 1 || pl.Events()[0].name != "KEEP") __builtin_trap();
        return 0;
    }
    for (int k = 0; k < 2; ++k) {
        const auto& track = pl.Track(k);
        if (track.size() != pl.Clips(k).size()) __builtin_trap();
        for (size_t i = 1; i < track.size(); ++i)
            if (track[i - 1].startMs > track[i].startMs) __builtin_trap();
    }
    for (size_t i = 1; i < pl.Buttons().size(); ++i)
        if (pl.Buttons()[i - 1].timeMs > pl.Buttons()[i].timeMs) __builtin_trap();
    video::CPlaylist back("/data/");
    if (back.Parse(pl.Serialize()) != pages::FILE_OK) __builtin_trap();
    if (back.Clips(0) != pl.Clips(0) || back.Clips(1) != pl.Clips(1) || back.Events() != pl.Events() ||
        back.LogoOff() != pl.LogoOff())
        __builtin_trap();
    return 0;
}
