// The page editor: what every keystroke costs. The editor draws its picture of the page again
// and records an undo step after each edit, on pages with a background picture and several
// frames, so both must stay well inside a frame time of the display.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench_support.h"
#include "pages/editor/page_editor.h"
#include "pages/font_manager.h"
#include "pages/preview_page.h"
#include "pages/sample_pages.h"
#include "platform/files.h"

namespace {

struct EditorPage {
    std::string folder = platform::RuntimeDir() + "zx_bench_editor/";
    pages::CFontManager fonts;
    std::unique_ptr<pages::CPageDoc> page;
    std::unique_ptr<pages::CPageEditor> editor;
    bool ok = false;

    EditorPage() {
        if (!zxbench::MakeSans32Folder(folder, fonts)) return;
        page = std::make_unique<pages::CPageDoc>(fonts);
        // A background picture with a title, and a caption frame to type into.
        pages::BuildSamplePage(*page, pages::SamplePage::Picture, "Sans32");
        editor = std::make_unique<pages::CPageEditor>(*page, fonts);
        editor->styles.LoadText("Body,0,0,-1610612736,0,8,8,0,4,4,0,Sans32,1,1,16777215,0,0\n", fonts);
        editor->DocumentChanged();
        editor->CreateFrame({40, 400, 680, 540});
        editor->Type("Anna Petrova\nreporter");
        ok = true;
    }
    static EditorPage& get() {
        static EditorPage p;
        return p;
    }
};

bool ready(benchmark::State& state) {
    if (EditorPage::get().ok) return true;
    state.SkipWithError("DejaVu Sans is not installed (fonts-dejavu-core)");
    return false;
}

// The editor's picture of the page: reference background, page, frames, text and selection.
void BM_EditorDrawScreen(benchmark::State& state) {
    if (!ready(state)) return;
    EditorPage& e = EditorPage::get();
    e.editor->SetCaret({0, 0}, false);
    e.editor->SetCaret({0, 4}, true);
    pages::CBitmap32 screen;
    for (auto _ : state) {
        e.editor->DrawScreen(screen);
        benchmark::DoNotOptimize(screen.bits());
    }
}
BENCHMARK(BM_EditorDrawScreen)->Unit(benchmark::kMillisecond);

// One typed character as its own undo step: insert, lay out, compare and record the page.
void BM_EditorTypeWithUndoStep(benchmark::State& state) {
    if (!ready(state)) return;
    EditorPage& e = EditorPage::get();
    e.editor->SetCaret({1, 0}, false);
    for (auto _ : state) {
        e.editor->history.BreakMerge();
        e.editor->Type("x");
        state.PauseTiming();
        if (e.editor->selectedFrame()->paragraphs[1].length() > 40) {
            e.editor->SetCaret({1, 0}, false);
            e.editor->SetCaret({1, 40}, true);
            e.editor->Backspace();
        }
        state.ResumeTiming();
    }
    state.counters["history_MB"] = double(e.editor->history.bytes()) / (1 << 20);
}
BENCHMARK(BM_EditorTypeWithUndoStep)->Unit(benchmark::kMicrosecond);

// Undo and redo of one step: the page is rebuilt from the shared state and laid out again.
void BM_EditorUndoRedo(benchmark::State& state) {
    if (!ready(state)) return;
    EditorPage& e = EditorPage::get();
    e.editor->history.BreakMerge();
    e.editor->Type("y");
    for (auto _ : state) {
        e.editor->Undo();
        e.editor->Redo();
    }
}
BENCHMARK(BM_EditorUndoRedo)->Unit(benchmark::kMicrosecond);

// "Play page!": the compile of the page and the copy handed to the air frame, which the operator
// waits for before the preview opens.
void BM_EditorPlayPageHandOver(benchmark::State& state) {
    if (!ready(state)) return;
    EditorPage& e = EditorPage::get();
    for (auto _ : state) {
        e.editor->Render();
        pages::PreviewPage p = pages::MakePreviewPage(*e.page, e.editor->image);
        benchmark::DoNotOptimize(p.image.get());
    }
}
BENCHMARK(BM_EditorPlayPageHandOver)->Unit(benchmark::kMillisecond);

// The copy alone: what the hand-over adds to the compile.
void BM_EditorPreviewCopy(benchmark::State& state) {
    if (!ready(state)) return;
    EditorPage& e = EditorPage::get();
    e.editor->Render();
    for (auto _ : state) {
        pages::PreviewPage p = pages::MakePreviewPage(*e.page, e.editor->image);
        benchmark::DoNotOptimize(p.image.get());
    }
}
BENCHMARK(BM_EditorPreviewCopy)->Unit(benchmark::kMillisecond);

}  // namespace
