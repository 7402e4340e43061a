// TV banners: the converter turns every frame into a Device block once (a 712 x 568 MJPEG clip
// should convert at 100 frames a second or more), and on air the player reads one block per frame
// period (a 712 x 568 frame in well under 2 ms). Per frame, in real time.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "pages/picture_io.h"
#include "platform/files.h"
#include "wizards/banner_converter.h"
#include "wizards/banner_player.h"
#include "wizards/video_writer.h"

namespace {

constexpr int W = 712, H = 568, kFrames = 20;

std::string Folder() {
    static const std::string dir = [] {
        char name[] = "/tmp/zx-bench-banners-XXXXXX";
        const char* d = ::mkdtemp(name);
        return std::string(d ? d : "/tmp") + "/";
    }();
    return dir;
}

pages::CBitmap32 Frame(int i) {
    pages::CBitmap32 b(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            uint8_t* p = b.pixel(x, y);
            p[0] = uint8_t(x + i * 8), p[1] = uint8_t(y), p[2] = uint8_t((x ^ y) + i), p[3] = uint8_t(y / 3);
        }
    return b;
}

const std::string& Clip() {
    static const std::string path = [] {
        std::vector<pages::CBitmap32> frames;
        for (int i = 0; i < kFrames; ++i) frames.push_back(Frame(i));
        const std::string p = Folder() + "clip.avi";
        wizards::WriteAviFile(p, frames, 25, wizards::VIDEO_MJPEG);
        return p;
    }();
    return path;
}

void Convert(benchmark::State& state, const std::vector<std::string>& files) {
    wizards::BannerSource source;
    wizards::BannerReport report;
    if (!wizards::OpenBannerSource(files, source, report)) {
        state.SkipWithError("the source does not open");
        return;
    }
    wizards::BannerOptions o;
    o.fps = 25;
    for (auto _ : state)
        if (wizards::ConvertBanner(source, o, Folder() + "out.zxa", nullptr, report) != wizards::CONVERT_OK)
            state.SkipWithError("conversion failed");
    state.SetItemsProcessed(int64_t(state.iterations()) * source.frames);
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()) * source.frames, benchmark::Counter::kIsRate);
}

void BM_BannerConvertVideo(benchmark::State& state) { Convert(state, {Clip()}); }
BENCHMARK(BM_BannerConvertVideo)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BannerConvertPictures(benchmark::State& state) {
    std::vector<std::string> files;
    for (int i = 0; i < 10; ++i) {
        files.push_back(Folder() + "f" + std::to_string(10 + i) + ".tga");
        if (!platform::FileExists(files.back())) pages::WriteTGA(Frame(i), files.back());
    }
    Convert(state, files);
}
BENCHMARK(BM_BannerConvertPictures)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BannerNextFrame(benchmark::State& state) {
    wizards::BannerReport report;
    wizards::BannerSource source;
    const std::string out = Folder() + "play.zxa";
    if (!platform::FileExists(out)) {
        wizards::BannerOptions o;
        o.loop = true;
        if (!wizards::OpenBannerSource({Clip()}, source, report) ||
            wizards::ConvertBanner(source, o, out, nullptr, report) != wizards::CONVERT_OK) {
            state.SkipWithError("conversion failed");
            return;
        }
    }
    wizards::CBannerPlayer player;
    if (player.open(out) != 0) {
        state.SkipWithError("the banner does not open");
        return;
    }
    player.Rewind();
    for (auto _ : state) {
        player.NextFrame();
        benchmark::DoNotOptimize(player.block());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(player.blockSize()));
}
BENCHMARK(BM_BannerNextFrame)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
