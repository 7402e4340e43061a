// Captions: F2 renders the caption before it goes on air, so the render (two lines into a
// 640 × 96 box, the filter, the conversion with its checksum) must feel instant; and a long
// titles file is read at once.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include "air/captions.h"
#include "app/zentrix_app.h"
#include "bench_support.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"

namespace {

std::string TempFolder() {
    char name[] = "/tmp/zx-bench-captions-XXXXXX";
    const char* d = ::mkdtemp(name);
    return std::string(d ? d : "/tmp") + "/";
}

}  // namespace

static void BM_CaptionRender(benchmark::State& state) {
    const std::string dir = TempFolder();
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", dir}));
    theApp.profile().beginBatch();
    pages::CFontManager fonts;
    if (!zxbench::MakeSans32Folder(dir + "Fonts/", fonts)) {
        state.SkipWithError("DejaVu Sans is not installed");
        return;
    }
    {
        pages::CPageDoc page(fonts);
        pages::FrameFormat ff;
        ff.colour = 0x60501800;
        ff.vAlign = pages::VALIGN_CENTER;
        pages::ParaFormat pf;
        pf.align = pages::ALIGN_CENTER;
        pages::TextFormat tf;
        tf.setFontName("Sans32");
        tf.tint = 1;
        page.CreateFrame({40, 460, 680, 556}, ff, pf, tf, "Caption");
        pages::CPageImage image;
        image.Compile(page, pages::COMPILE_THUMBNAIL | pages::COMPILE_FILTER);
        page.Save(dir + "caption.zxg", image);
    }
    air::CCaptions captions(theApp, fonts);
    if (captions.OpenPage(dir + "caption.zxg") != 0) {
        state.SkipWithError("the caption page cannot be opened");
        return;
    }
    air::WriteCaptionsFile(dir + "two.txt", {"The city council met today\r\nto discuss the new bridge"});
    captions.LoadCaptions(dir + "two.txt");
    for (auto _ : state) {
        captions.Render(0);
        benchmark::DoNotOptimize(captions.state().devicePixels->data());
    }
    state.counters["box"] = double(captions.state().captionBitmap.width() * captions.state().captionBitmap.height());
}
BENCHMARK(BM_CaptionRender)->Unit(benchmark::kMillisecond);

static void BM_CaptionFile(benchmark::State& state) {
    air::CaptionList list;
    for (int i = 0; i < 5000; ++i)
        list.push_back("Caption number " + std::to_string(i) + (i % 3 ? "\r\nwith a second line of text" : ""));
    const std::string file = air::FormatCaptions(list);
    for (auto _ : state) {
        air::CaptionList read = air::ParseCaptions(file);
        benchmark::DoNotOptimize(read.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
    state.SetItemsProcessed(int64_t(state.iterations()) * 5000);
}
BENCHMARK(BM_CaptionFile)->Unit(benchmark::kMicrosecond);
