// The first run's costs: making the demo data root, one snapshot of the program output (grabbing
// the Device's picture, encoding it as PNG), and the program monitor's feed per frame and per
// idle poll.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "demo/demo_root.h"
#include "device/program_feed.h"
#include "ktgsim/check_code.h"
#include "ktgsim/device.h"
#include "pages/device_picture.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "pages/png_io.h"

namespace {

std::string TempRoot() {
    char name[] = "/tmp/zx-bench-demo-XXXXXX";
    const char* d = mkdtemp(name);
    return d ? std::string(d) + "/" : std::string("/tmp/");
}

// One root for the benchmarks that read demo files, removed at exit.
const std::string& DemoRoot() {
    struct Root {
        std::string path = TempRoot();
        Root() {
            demo::DemoResult result;
            std::string error;
            demo::MakeDemoRoot(path, {}, result, error);
        }
        ~Root() { std::filesystem::remove_all(path); }
    };
    static const Root root;
    return root.path;
}

void BM_DemoMakeRoot(benchmark::State& state) {
    const std::string root = TempRoot();
    demo::DemoResult result;
    std::string error;
    for (auto _ : state)
        if (!demo::MakeDemoRoot(root, {}, result, error)) state.SkipWithError(error.c_str());
    state.counters["files"] = double(result.files.size());
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_DemoMakeRoot)->Unit(benchmark::kMillisecond)->Iterations(5);

void Write(ktgsim::Device& d, uint8_t reg, uint16_t v) {
    uint8_t p[5];
    ktgsim::BuildPacket(reg, v, p);
    d.packet(p);
}

// The Device with the festival page (a full-screen picture) on air, rendered and turned into the
// bitmap a snapshot is written from.
void BM_DemoSnapshotGrab(benchmark::State& state) {
    pages::CFontManager fonts;
    fonts.setFolder(DemoRoot() + "Fonts/");
    fonts.Enumerate();
    pages::CPageDoc page(fonts);
    pages::CPageImage image;
    page.Load(pages::LOAD_FRAMES, DemoRoot() + "Pages/Festival.zxg", image);
    image.Compile(page, pages::COMPILE_DEVICE | pages::COMPILE_FILTER);
    std::vector<uint8_t> block(pages::DeviceBlockSize(720, 576));
    image.picture.toDevice(block.data(), 0, 0, 720, 576, true);
    ktgsim::Device d;
    Write(d, 0x60, 0);
    Write(d, 0x61, 0);
    Write(d, 0x62, 575);
    Write(d, 0x63, 719);
    Write(d, 0x80, 0);
    d.block(block.data(), block.size());
    Write(d, 0x40, 0x1400);  // bank 0 on air, keyed inside its window
    ktgsim::Picture pic;
    ktgsim::Background black;
    pages::CBitmap32 out(720, 576);
    for (auto _ : state) {
        d.render(pic, black);
        const uint8_t* s = pic.rgba.data();
        uint8_t* o = out.bits();
        for (size_t i = 0; i < size_t(720) * 576; ++i, s += 4, o += 4) {
            o[pages::PIX_RED] = s[0], o[pages::PIX_GREEN] = s[1], o[pages::PIX_BLUE] = s[2];
            o[pages::PIX_TRANS] = uint8_t(255 - s[3]);
        }
        benchmark::DoNotOptimize(out.bits());
    }
}
BENCHMARK(BM_DemoSnapshotGrab)->Unit(benchmark::kMillisecond);

// The PNG of that picture (on the writer thread, away from the playout).
void BM_DemoSnapshotEncode(benchmark::State& state) {
    pages::CFontManager fonts;
    fonts.setFolder(DemoRoot() + "Fonts/");
    fonts.Enumerate();
    pages::CPageDoc page(fonts);
    pages::CPageImage image;
    page.Load(pages::LOAD_FRAMES, DemoRoot() + "Pages/Festival.zxg", image);
    image.Compile(page, pages::COMPILE_FILTER);
    std::vector<uint8_t> png;
    for (auto _ : state) {
        png.clear();
        pages::EncodePng(image.picture.view(), png);
        benchmark::DoNotOptimize(png.data());
    }
    state.counters["bytes"] = double(png.size());
}
BENCHMARK(BM_DemoSnapshotEncode)->Unit(benchmark::kMillisecond);

// The monitor's feed: one new frame handed over, and a poll that finds nothing new.
void BM_ProgramFeedFrame(benchmark::State& state) {
    device::ProgramFeed feed;
    std::vector<uint8_t> frame(720 * 576 * 4, 7), taken;
    uint64_t seen = 0;
    int w = 0, h = 0;
    for (auto _ : state) {
        feed.publish(frame.data(), 720, 576);
        benchmark::DoNotOptimize(feed.take(seen, taken, w, h));
    }
}
BENCHMARK(BM_ProgramFeedFrame);

void BM_ProgramFeedIdlePoll(benchmark::State& state) {
    device::ProgramFeed feed;
    std::vector<uint8_t> frame(720 * 576 * 4, 7), taken;
    feed.publish(frame.data(), 720, 576);
    uint64_t seen = 0;
    int w = 0, h = 0;
    feed.take(seen, taken, w, h);
    for (auto _ : state) benchmark::DoNotOptimize(feed.take(seen, taken, w, h));
}
BENCHMARK(BM_ProgramFeedIdlePoll);

}  // namespace
