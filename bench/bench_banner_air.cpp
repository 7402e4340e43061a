// A TV banner on air: the program's share of each frame while a 712 x 568 banner plays at 25
// frames a second on the embedded virtual Device (the player reading the block, the air frame's
// two steps, the engine sending the block and flipping the display). It is the process's CPU
// time while the banner plays less the same time with the Device connected and idle, per frame;
// it should stay under 4 ms of the 40 ms a frame lasts. The Device's own emulation of loading
// the block is counted in it, so the program's share is below the figure.
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "air/air_session.h"
#include "app/zentrix_app.h"
#include "demo/demo_root.h"
#include "demo/playout.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "ktgsim/embedded.h"
#include "pages/font_manager.h"
#include "pages/picture_io.h"
#include "platform/event_loop.h"
#include "wizards/banner_converter.h"
#include "wizards/banner_player.h"

namespace {

constexpr int W = 712, H = 568, kFrames = 25;
constexpr uint32_t kPlayMs = 4000;

double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
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

void BM_BannerOnAir(benchmark::State& state) {
    char name[] = "/tmp/zx-bench-banner-air-XXXXXX";
    const char* made = mkdtemp(name);
    if (!made) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string root = std::string(made) + "/";
    demo::DemoResult result;
    std::string error;
    if (!demo::MakeDemoRoot(root, {}, result, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    // The largest banner the converter makes, looping.
    std::vector<std::string> pictures;
    for (int i = 0; i < kFrames; ++i) {
        pictures.push_back(root + "Pictures/air" + std::to_string(100 + i) + ".tga");
        pages::WriteTGA(Frame(i), pictures.back());
    }
    wizards::BannerSource source;
    wizards::BannerReport report;
    wizards::BannerOptions o;
    o.fps = 25;
    o.loop = true;
    const std::string banner = root + "Banners/Air.zxa";
    if (!wizards::OpenBannerSource(pictures, source, report) ||
        wizards::ConvertBanner(source, o, banner, nullptr, report) != wizards::CONVERT_OK) {
        state.SkipWithError("conversion failed");
        return;
    }

    air::ScaledClock clock{1};
    ktgsim::EmbeddedOptions eo;
    eo.timeScale = 1;
    ktgsim::RegisterEmbeddedDevice(std::move(eo));
    {
        app::CZentrixApp app;
        device::CEngine engine{device::CEngine::Options{&clock, device::kStopWaitMs, false}};
        platform::EventLoop loop{clock};
        pages::CFontManager fonts;
        app.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", root}));
        app.setDeviceLink(&engine);
        device::NetSetLockFolder(root);
        app.StartHardware();
        fonts.setFolder(app.GetPath(app::FOLDER_FONTS));
        fonts.Enumerate();
        double share = 0, idle = 0, busy = 0;
        for (auto _ : state) {
            // The Device connected and idle for as long as the banner will play.
            const double i0 = ProcessCpuMs();
            std::this_thread::sleep_for(std::chrono::milliseconds(kPlayMs));
            idle = ProcessCpuMs() - i0;

            wizards::CBannerPlayer player;
            std::ostringstream out;
            demo::CPlayout playout(app, engine, fonts, loop, out);
            playout.setBanner(&player);
            demo::PlayOptions po;
            po.file = banner;
            po.durationMs = kPlayMs;
            const double b0 = ProcessCpuMs();
            if (playout.Run(po, error) != demo::PLAY_OK) {
                state.SkipWithError(error.c_str());
                break;
            }
            busy = ProcessCpuMs() - b0;
            share = (busy - idle) / (kPlayMs / 40.0);
        }
        state.counters["ms_per_frame"] = share;
        state.counters["idle_cpu_ms"] = idle;
        state.counters["playing_cpu_ms"] = busy;
        app.StopHardware();
    }
    ktgsim::UnregisterEmbeddedDevice();
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_BannerOnAir)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
