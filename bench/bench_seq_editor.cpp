// The sequence editor's commands on long sequences: every command rebuilds the order or walks
// every item and computes the totals again, so each should stay far below a keystroke's time
// with a few thousand pages.
#include <benchmark/benchmark.h>

#include <string>

#include "air/seqedit/seq_editor.h"
#include "app/folders.h"
#include "platform/clock.h"

namespace {

struct Sequence {
    app::FolderTable folders;
    platform::ManualClock clock;
    air::CSeqDoc doc{folders, clock};
    air::CSeqEditor ed{doc};

    explicit Sequence(int n) {
        folders.setEntry(app::FOLDER_PAGES, "/srv/zentrix/Pages/");
        for (int i = 0; i < n; ++i) {
            air::SeqItem it;
            it.pageName = "news/p" + std::to_string((i * 7919) % n) + ".zxg";
            it.pathKind = 0;
            it.showParams.showTime = 2 + (i * 31) % 60;
            it.loaded = true;
            it.comment = std::to_string(i % 13);
            doc.items.push_back(it);
        }
    }
};

}  // namespace

static void BM_SeqEditorSort(benchmark::State& state) {
    Sequence s(int(state.range(0)));
    const int column = int(state.range(1));
    bool invert = false;
    for (auto _ : state) {
        s.ed.setInvert(invert = !invert);  // a real reorder each time
        benchmark::DoNotOptimize(s.ed.Sort(column));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SeqEditorSort)
    ->Args({1000, air::SEQ_COL_PAGE})
    ->Args({1000, air::SEQ_COL_TIME})
    ->Args({5000, air::SEQ_COL_PAGE})
    ->Unit(benchmark::kMicrosecond);

static void BM_SeqEditorMoveHalf(benchmark::State& state) {
    Sequence s(int(state.range(0)));
    std::vector<int> every2nd;
    for (int i = 1; i < s.doc.count(); i += 2) every2nd.push_back(i);
    s.ed.setSelection(every2nd);
    bool up = true;
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.ed.MoveSelection(up));
        up = !up;
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SeqEditorMoveHalf)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);

static void BM_SeqEditorCheckByDate(benchmark::State& state) {
    Sequence s(int(state.range(0)));
    air::CheckByDateSettings rule;
    rule.mode = air::CHECK_NOT_EXPIRED;
    for (int i = 0; i < s.doc.count(); i += 3) {
        s.doc.items[size_t(i)].useDate = 1;
        s.doc.items[size_t(i)].dateFrom = {2023, 1, 1};
        s.doc.items[size_t(i)].dateTo = {2024, 1, uint8_t(1 + i % 28)};
    }
    for (auto _ : state) benchmark::DoNotOptimize(s.ed.CheckByDate(rule));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SeqEditorCheckByDate)->Arg(5000)->Unit(benchmark::kMicrosecond);
