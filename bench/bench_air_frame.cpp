// The sequence document and the air controller's own work per page. Loading a sequence reads the
// header of every page; moving through a list loads each page for air (frames without pictures,
// thumbnail, Device data) and hands the Device data to the engine, while the page before it is
// still on air, so that the next in-effect is only a command.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "air/air_frame.h"
#include "air/device_commands.h"
#include "air/seq_doc.h"
#include "air_commands.h"
#include "app/zentrix_app.h"
#include "device/engine.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "platform/event_loop.h"
#include "platform/files.h"

namespace {

// A folder with ZENTRIX.INI and `pages` page files of full stills (no frames).
struct Setup {
    std::string dir = platform::RuntimeDir() + "zx_bench_air_frame/";
    pages::CFontManager fonts;
    app::CZentrixApp app;

    explicit Setup(int pages) {
        platform::MakeDirectories(dir + "Pages");
        if (!platform::FileExists(dir + "ZENTRIX.INI"))
            platform::WriteFileAtomic(dir + "ZENTRIX.INI", std::string("\n"));
        app.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", dir}));
        app.folders().setEntry(app::FOLDER_PAGES, dir + "Pages/");
        for (int i = 0; i < pages; ++i) {
            const std::string path = page(i);
            if (platform::FileExists(path)) continue;
            pages::CPageDoc doc(fonts);
            pages::CPageImage img;
            img.thumbnail.create(pages::THUMB_WIDTH, pages::THUMB_HEIGHT);
            img.device.stillSize = 829442;
            img.data.assign(829442, 0x5A);
            doc.Save(path, img);
        }
    }
    std::string page(int i) const { return dir + "Pages/p" + std::to_string(i) + ".zxg"; }
};

}  // namespace

static void BM_SeqLoad(benchmark::State& state) {
    Setup s(8);
    platform::ManualClock clock;
    air::CSeqDoc seq(s.app.folders(), clock);
    for (int i = 0; i < state.range(0); ++i) seq.AppendPage(s.page(i % 8), air::ShowParams{});
    const std::string file = s.dir + "bench.zxs";
    seq.SaveSequence(file);
    for (auto _ : state) {
        air::CSeqDoc back(s.app.folders(), clock);
        benchmark::DoNotOptimize(back.LoadSequence(file));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SeqLoad)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// One step of a list on air: the next page loaded for air and its Device data handed over.
static void BM_AirNextPageCued(benchmark::State& state) {
    Setup s(8);
    platform::ManualClock clock;
    platform::EventLoop loop(clock);
    pages::CPageDoc page(s.fonts);
    pages::CPageImage image;
    air::CSeqDoc seq(s.app.folders(), clock);
    for (int i = 0; i < 8; ++i) seq.AppendPage(s.page(i), air::ShowParams{});
    seq.loop = 1;
    zxbench::NullCommands commands;
    air::AirObjects o;
    o.page = &page;
    o.pageImage = &image;
    o.sequence = &seq;
    air::CAirFrame frame(s.app, commands, loop, clock, o);
    frame.OnEngine(device::NOTE_LINK_UP, 0);
    frame.OnEngine(device::NOTE_FINISHED, 0, commands.last());
    frame.PlayPageList();
    frame.OnEngine(device::NOTE_FINISHED, 0, commands.last());
    for (auto _ : state) {
        frame.OnNext();  // cued: the cue moves to the next page
        frame.OnEngine(device::NOTE_FINISHED, 0, commands.last());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(image.data.size()));
}
BENCHMARK(BM_AirNextPageCued)->Unit(benchmark::kMillisecond);
