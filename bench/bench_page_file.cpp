// Page files. Playout reads the summary and the Device data of every page it cues, the editor
// and the sequence views read frames, and every save writes the whole file: the record reading
// and writing must stay a small part of each.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_frame.h"
#include "pages/page_image.h"
#include "pages/sample_pages.h"
#include "platform/files.h"

namespace {

// The lower third with its Device data, and a page of many short runs (words set in alternating
// colours), saved once to files that the loads read again and again.
struct PageFiles {
    std::string folder = platform::RuntimeDir() + "zx_bench_page_file/";
    pages::CFontManager fonts;
    std::unique_ptr<pages::CPageDoc> lowerThird, manyRuns;
    pages::CPageImage lowerThirdImage, manyRunsImage;
    std::string lowerThirdPath = folder + "lower_third.zxg", manyRunsPath = folder + "many_runs.zxg";
    bool ok = false;

    PageFiles() {
        if (!zxbench::MakeSans32Folder(folder + "Fonts/", fonts)) return;
        lowerThird = std::make_unique<pages::CPageDoc>(fonts);
        pages::BuildSamplePage(*lowerThird, pages::SamplePage::LowerThird, "Sans32");
        lowerThirdImage.Compile(*lowerThird, pages::COMPILE_DEVICE | pages::COMPILE_THUMBNAIL);

        manyRuns = std::make_unique<pages::CPageDoc>(fonts);
        pages::BuildSamplePage(*manyRuns, pages::SamplePage::Text, "Sans32");
        for (auto& frame : manyRuns->frames)
            for (pages::CParagraph& para : frame->paragraphs) {
                const pages::TextRun first = para.runs.front();
                para.runs.clear();
                for (int i = 0; i < 64; ++i) {
                    pages::TextRun run = first;
                    run.text = "word ";
                    run.format.colour = i % 2 ? 0x0000FFFFu : 0x00FFFFFFu;
                    para.runs.push_back(run);
                }
            }
        manyRunsImage.Compile(*manyRuns, pages::COMPILE_THUMBNAIL);
        ok = lowerThird->Save(lowerThirdPath, lowerThirdImage) == pages::FILE_OK &&
             manyRuns->Save(manyRunsPath, manyRunsImage) == pages::FILE_OK;
    }
    static PageFiles& get() {
        static PageFiles p;
        return p;
    }
};

bool ready(benchmark::State& state) {
    if (PageFiles::get().ok) return true;
    state.SkipWithError("DejaVu Sans is not installed (fonts-dejavu-core), or the files cannot be written");
    return false;
}

void load(benchmark::State& state, const std::string& path, int mode) {
    if (!ready(state)) return;
    pages::CPageDoc page(PageFiles::get().fonts);
    pages::CPageImage image;
    int64_t bytes = 0;
    for (auto _ : state) {
        if (page.Load(mode, path, image) != pages::FILE_OK) {
            state.SkipWithError("the page does not load");
            return;
        }
        bytes += int64_t(image.data.size());
        benchmark::DoNotOptimize(image.data.data());
    }
    if (bytes) state.SetBytesProcessed(bytes);  // the Device data, where it is read
}

// What playout reads of a page it cues: the summary and the Device data.
void BM_PageLoadPlayout(benchmark::State& state) {
    load(state, PageFiles::get().lowerThirdPath, pages::LOAD_SUMMARY | pages::LOAD_DEVICE);
}
// The editor's open: every frame with its pictures (layout included).
void BM_PageLoadFrames(benchmark::State& state) { load(state, PageFiles::get().lowerThirdPath, pages::LOAD_FRAMES); }
// Many small records: the format blocks of 64 runs per paragraph, pictures skipped.
void BM_PageLoadManyRuns(benchmark::State& state) {
    load(state, PageFiles::get().manyRunsPath, pages::LOAD_SUMMARY | pages::LOAD_FRAMES | pages::LOAD_NO_PICTURES);
}

void serialize(benchmark::State& state, const pages::CPageDoc& page, const pages::CPageImage& image) {
    int64_t bytes = 0;
    for (auto _ : state) {
        const std::vector<uint8_t> out = page.Serialize(image);
        bytes += int64_t(out.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(bytes);
}

// A save's file image (the write to disk and its flush come on top).
void BM_PageSerializeDevice(benchmark::State& state) {
    if (ready(state)) serialize(state, *PageFiles::get().lowerThird, PageFiles::get().lowerThirdImage);
}
void BM_PageSerializeManyRuns(benchmark::State& state) {
    if (ready(state)) serialize(state, *PageFiles::get().manyRuns, PageFiles::get().manyRunsImage);
}

}  // namespace

BENCHMARK(BM_PageLoadPlayout)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageLoadFrames)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageLoadManyRuns)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageSerializeDevice)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageSerializeManyRuns)->Unit(benchmark::kMicrosecond);
