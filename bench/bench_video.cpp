// MPEG clips: the "Refresh" of a video folder of 1,000 clips that must each be opened (the
// target is under 1.5 s, a bounded probe about 1 ms), the catalogue read, a 500-row video
// playlist converted with its total (under 0.2 ms: the editor recomputes it after every edit), an
// air playlist of 1,000 clips and 2,000 buttons parsed, and one command to a player and back.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/copydata_channel.h"
#include "platform/files.h"
#include "video/mpeg_writer.h"
#include "video/playlist.h"
#include "video/video_cmd.h"
#include "video/video_library.h"
#include "video/video_playlist.h"
#include "zx-player/server.h"

namespace {

struct RunDir {
    std::string path;
    RunDir() {
        char tmpl[] = "/tmp/zxbench-video-XXXXXX";
        path = std::string(mkdtemp(tmpl)) + "/";
    }
    ~RunDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

void BM_CatalogueRefresh(benchmark::State& state) {
    RunDir dir;
    video::MpegClipOptions o;
    o.frames = 25;
    o.audio = false;
    if (!video::WriteMpegClip(dir.path + "clip.mpg", o, {})) return state.SkipWithError("no clip");
    platform::MakeDirectories(dir.path + "Video/");
    // No length in the names: every clip is opened.
    for (int i = 0; i < 1000; ++i) {
        const std::string to = dir.path + "Video/clip" + std::to_string(i) + ".mpg";
        if (::link((dir.path + "clip.mpg").c_str(), to.c_str()) != 0) return state.SkipWithError("no link");
    }
    video::CVideoLibrary lib(dir.path + "Video/");
    for (auto _ : state)
        if (lib.Refresh() != 0 || lib.Entries().size() != 1000) state.SkipWithError("refresh failed");
}
BENCHMARK(BM_CatalogueRefresh)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CatalogueRead(benchmark::State& state) {
    std::vector<video::LibraryEntry> entries;
    for (int i = 0; i < 1000; ++i)
        entries.push_back({i % 7 == 0, "News/clip number " + std::to_string(i) + ".mpg", uint32_t(i * 100),
                           "Description of clip " + std::to_string(i)});
    const std::string text = video::CVideoLibrary::Format(entries);
    for (auto _ : state) {
        auto read = video::CVideoLibrary::Parse(text);
        benchmark::DoNotOptimize(read.data());
    }
}
BENCHMARK(BM_CatalogueRead)->Unit(benchmark::kMicrosecond);

void BM_PlaylistConvert(benchmark::State& state) {
    video::CVideoPlaylist vid("/video/");
    for (int i = 0; i < 500; ++i) {
        video::VideoRow r;
        r.name = "clip" + std::to_string(i) + ".mpg";
        r.duration = 5000 + i;
        r.transition = i % 8;
        r.interleave = 500;
        r.spacing = 300;
        r.extras = {uint8_t(i % 9), 0, 0};
        vid.Rows().push_back(r);
    }
    vid.Rows().push_back({});
    video::CPlaylist air;
    for (auto _ : state) {
        vid.ConvertTo(air, 2, {7, 6});
        benchmark::DoNotOptimize(air.Track(1).size());
    }
}
BENCHMARK(BM_PlaylistConvert)->Unit(benchmark::kMicrosecond);

void BM_AirPlaylistLoad(benchmark::State& state) {
    video::CPlaylist pl("/data/");
    for (int i = 0; i < 1000; ++i)
        pl.AddClip(i % 2, pl.MakeClip("/data/Video/c" + std::to_string(i) + ".mpg", 0, 4000, false));
    for (int i = 0; i < 2000; ++i) pl.Events().push_back({i * 10, "IN" + std::to_string(1 + i % 16), 0});
    const std::vector<uint8_t> bytes = pl.Serialize();
    video::CPlaylist back("/data/");
    for (auto _ : state) {
        if (back.Parse(bytes) != 0) state.SkipWithError("damaged");
        benchmark::DoNotOptimize(back.Track(0).size());
    }
}
BENCHMARK(BM_AirPlaylistLoad)->Unit(benchmark::kMicrosecond);

// One command to a zx-player (the library, on its own thread) and its reply.
void BM_PlayerRoundTrip(benchmark::State& state) {
    RunDir dir;
    zxplayer::ServerOptions o;
    o.player.title = "MPEG2_Video_Window_9";
    o.player.windowDir = dir.path;
    o.controlPath = dir.path + "ctl.sock";
    zxplayer::PlayerServer server(o);
    std::atomic<bool> ready{false};
    std::thread t([&] {
        std::string error;
        server.Run(error, [&] { ready = true; });
    });
    while (!ready) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    platform::CopyDataChannel::Options co;
    co.dir = dir.path;
    platform::CopyDataChannel ch(co);
    const uintptr_t w = ch.FindWindow(o.player.title);
    std::vector<uint8_t> block;
    video::EncodePlayerPath("", block);
    for (auto _ : state)
        if (ch.Send(w, video::PLAYER_ATTACH, 0, block) != 1) state.SkipWithError("no reply");
    server.Quit();
    t.join();
}
BENCHMARK(BM_PlayerRoundTrip)->Unit(benchmark::kMicrosecond)->Repetitions(5)->DisplayAggregatesOnly();

}  // namespace
