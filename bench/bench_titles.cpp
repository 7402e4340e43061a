// Live mode: what the operator waits for after F2 (a title with two fields filled, compiled with
// the filter, handed to the air frame), and the titles tree built over a large folder.
#include <benchmark/benchmark.h>

#include <string>

#include "air/air_frame.h"
#include "air/device_commands.h"
#include "air/seq_doc.h"
#include "air/titles_tree.h"
#include "air/titr_model.h"
#include "air_commands.h"
#include "app/zentrix_app.h"
#include "bench_support.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "platform/event_loop.h"
#include "platform/files.h"

namespace {

struct Home {
    std::string dir;
    app::CZentrixApp app;
    explicit Home(const std::string& name) : dir(platform::RuntimeDir() + name + "/") {
        platform::MakeDirectories(dir);
        if (!platform::FileExists(dir + "ZENTRIX.INI"))
            platform::WriteFileAtomic(dir + "ZENTRIX.INI", std::string("\n"));
        app.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", dir}));
        for (int f : {app::FOLDER_PAGES, app::FOLDER_TITLES, app::FOLDER_SEQUENCES, app::FOLDER_CLOCK,
                      app::FOLDER_BANNERS, app::FOLDER_FONTS})
            platform::MakeDirectories(app.GetPath(f));
    }
};

}  // namespace

// F2 on a lower third: two fields filled, the page compiled with the filter and its thumbnail,
// the air-log line, and the compiled title handed to the air frame and cued.
static void BM_TitleRender(benchmark::State& state) {
    Home h("zx_bench_titles");
    pages::CFontManager fonts;
    if (!zxbench::MakeSans32Folder(h.app.GetPath(app::FOLDER_FONTS), fonts)) {
        state.SkipWithError("fonts-dejavu-core is not installed");
        return;
    }
    pages::CPageDoc doc(fonts);
    doc.NewPage();
    doc.SetBackgroundColour(0xFF000000);
    const char* names[3] = {"Bar", "Name", "Role"};
    for (int k = 0; k < 3; ++k) {
        pages::FrameFormat ff;
        ff.colour = k == 0 ? 0x30602008 : 0xFF000000;
        pages::TextFormat tf;
        tf.setFontName(fonts.FontAt(0)->name());
        tf.colour = 0x00FFFFFF;
        const int i = doc.CreateFrame({60, 420 + k * 44, 660, 462 + k * 44}, ff, pages::ParaFormat{}, tf, names[k]);
        doc.frame(i)->InsertText(k ? "Template text" : "", fonts);
        doc.frame(i)->lock = k == 0;
    }
    pages::CPageImage img;
    img.Compile(doc, pages::COMPILE_DEVICE | pages::COMPILE_THUMBNAIL | pages::COMPILE_FILTER);
    const std::string page = h.app.GetPath(app::FOLDER_PAGES) + "lower third.zxg";
    doc.Save(page, img);
    platform::ManualClock clock;
    air::CSeqDoc seq(h.app.folders(), clock);
    seq.AppendPage(page, air::ShowParams{});
    const std::string title = h.app.GetPath(app::FOLDER_TITLES) + "Lower third.zxs";
    seq.SaveSequence(title);

    platform::EventLoop loop(clock);
    pages::CPageDoc shared(fonts);
    pages::CPageImage sharedImage;
    zxbench::NullCommands commands;
    air::AirObjects o;
    o.page = &shared;
    o.pageImage = &sharedImage;
    air::CAirFrame frame(h.app, commands, loop, clock, o);
    frame.OnEngine(device::NOTE_LINK_UP, 0);
    frame.OnEngine(device::NOTE_FINISHED, 0, commands.last());
    air::CTitrModel model(h.app, fonts, frame, o, clock);
    const air::TitlesNode* node = air::FindTitlesNode(model.tree(), title);
    if (!node || model.Select(*node) != air::CTitrModel::SELECT_LOADED) {
        state.SkipWithError("the title cannot be selected");
        return;
    }
    int n = 0;
    for (auto _ : state) {
        model.setFieldText(0, "Anna Petrova " + std::to_string(n++ % 10));
        model.setFieldText(1, "Reporter, Moscow");
        benchmark::DoNotOptimize(model.Render());
        frame.OnEngine(device::NOTE_FINISHED, 0, commands.last());  // cued again for the next round
    }
}
BENCHMARK(BM_TitleRender)->Unit(benchmark::kMillisecond);

// The tree over 1,000 files in 50 folders (Ctrl+R on a full titles folder).
static void BM_TitleTree(benchmark::State& state) {
    Home h("zx_bench_titles_tree");
    const std::string titr = h.app.GetPath(app::FOLDER_TITLES);
    for (int f = 0; f < 50; ++f) {
        const std::string folder = titr + "Show " + std::to_string(f) + "/";
        platform::MakeDirectories(folder);
        for (int i = 0; i < 20; ++i) {
            const std::string file = folder + "Title " + std::to_string(i) + ".zxs";
            if (!platform::FileExists(file)) platform::WriteFileAtomic(file, std::string("x"));
        }
    }
    air::TitlesTreeOptions options;
    for (auto _ : state) benchmark::DoNotOptimize(air::BuildTitlesTree(h.app.folders(), options));
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_TitleTree)->Unit(benchmark::kMillisecond);
