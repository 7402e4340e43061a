// The interactive system: counting a vote with duplicate callers checked must not slow down as
// the log grows (a busy vote gets hundreds of thousands of calls and messages), and a vote's
// picture update — every changed rectangle of the demo page drawn and converted for the Device —
// runs on the air frame's 500 ms tick.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/zentrix_app.h"
#include "demo/demo_root.h"
#include "demo/demo_vote.h"
#include "interactive/itv_doc.h"
#include "interactive/itv_picture.h"
#include "interactive/itv_votes.h"
#include "pages/font_manager.h"
#include "platform/clock.h"

namespace {

interactive::CallRecord Caller(int line, uint32_t n) {
    interactive::CallRecord r;
    r.line = uint8_t(line);
    std::snprintf(r.number, sizeof r.number, "+49170%08u", n);
    r.hasNumber = 1;
    return r;
}

}  // namespace

// Items: votes counted per second with a log of range(0) entries (every caller new, so each vote
// is checked against the whole log's numbers).
static void BM_ItvVoteCount(benchmark::State& state) {
    interactive::CVoteCounter counter;
    interactive::VoteRules rules;
    rules.ignoreDuplicates = true;
    rules.lineTable = {1, 2, 3, 4, 0, 0, 0, 0};
    counter.setRules(rules);
    const platform::LocalTime t;
    const uint32_t before = uint32_t(state.range(0));
    for (uint32_t i = 0; i < before; ++i) counter.Add(Caller(int(i % 4), i), t, i);
    uint32_t n = before;
    for (auto _ : state) {
        // Half new callers, half calling again.
        const uint32_t number = (n & 1) ? n : n / 2;
        benchmark::DoNotOptimize(counter.Add(Caller(int(n % 4), number), t, n));
        ++n;
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
    state.counters["log"] = double(counter.log().size());
}
BENCHMARK(BM_ItvVoteCount)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// One vote on the demo page: the bars, counts, percentages, total and caller redrawn and converted
// (the clock on, so its frame is redrawn as on every tick).
static void BM_ItvPictureUpdate(benchmark::State& state) {
    char name[] = "/tmp/zx-bench-itv-XXXXXX";
    const char* d = ::mkdtemp(name);
    const std::string root = std::string(d ? d : "/tmp") + "/";
    demo::DemoResult made;
    std::string error;
    if (!demo::MakeDemoRoot(root, {}, made, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", root}));
    pages::CFontManager fonts;
    fonts.setFolder(theApp.GetPath(app::FOLDER_FONTS));
    fonts.Enumerate();
    interactive::CITVDoc doc;
    if (doc.Load(root + demo::kVoteSystem) != 0) {
        state.SkipWithError("the demo's interactive system does not load");
        return;
    }
    platform::ManualClock clock;
    interactive::CVoteCounter counter;
    counter.setRules(interactive::VoteRules::Of(doc));
    interactive::CITVPicture picture(fonts, clock, doc, counter);
    if (picture.Load(doc.PageFile(theApp.GetPath(app::FOLDER_PAGES))) != 0) {
        state.SkipWithError("the demo's vote page does not load");
        return;
    }
    picture.PrepareBase();
    picture.Rebuild();
    while (!picture.QueueEmpty()) picture.PopFront();
    uint32_t n = 0;
    size_t rects = 0;
    for (auto _ : state) {
        counter.Add(Caller(int(n % 3), n), clock.localTime(), n);
        ++n;
        picture.Update();
        for (; !picture.QueueEmpty(); picture.PopFront()) ++rects;
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
    state.counters["rects"] = benchmark::Counter(double(rects), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ItvPictureUpdate)->Unit(benchmark::kMillisecond);
