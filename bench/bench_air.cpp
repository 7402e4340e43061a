// Effects and the air log. The sequence editor recomputes every show time after each change
// (totals of lists with thousands of pages); the air log appends one line per page on air.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "air/air_log.h"
#include "air/effect_dialog_model.h"
#include "air/effects.h"
#include "app/folders.h"
#include "app/settings.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace {

std::vector<air::ShowParams> records(size_t n) {
    std::vector<air::ShowParams> v(n);
    for (size_t i = 0; i < n; ++i) {
        v[i].inType = int(i % 19);
        v[i].inSpeed = int(i % 20);
        v[i].inFade = int(i % 2);
        v[i].scrollSpeed = int(i % 7);
        v[i].showTime = int(1 + i % 120);
    }
    return v;
}

air::PageMotion scroller() {
    air::PageMotion m;
    m.movingType = 1;
    m.flags = air::PageMotion::FLAG_MOVING;
    m.stripLength = 2400;
    m.right = 720;
    return m;
}

}  // namespace

static void BM_ShowTimeOfList(benchmark::State& state) {
    auto items = records(size_t(state.range(0)));
    air::PageMotion moving = scroller(), still;
    for (auto _ : state) {
        long total = 0;
        for (size_t i = 0; i < items.size(); ++i) total += air::ShowTimeOf(items[i], i % 3 ? still : moving);
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ShowTimeOfList)->Arg(1000)->Arg(10000);

static void BM_EffectWordAndParam(benchmark::State& state) {
    auto items = records(1000);
    for (auto _ : state) {
        uint32_t x = 0;
        for (const auto& p : items) x ^= air::EffectParam(p, true) ^ air::EffectWord(p, true);
        benchmark::DoNotOptimize(x);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 1000);
}
BENCHMARK(BM_EffectWordAndParam);

// "Change effect" on a large selection: merge, then apply to every page.
static void BM_EffectDialogSeveralPages(benchmark::State& state) {
    auto items = records(size_t(state.range(0)));
    std::vector<air::PageMotion> pages(items.size(), scroller());
    for (auto _ : state) {
        auto m = air::CEffectDialogModel::ForPages(items, pages, true);
        m.setTimeChoice(air::CEffectDialogModel::TimeChoice::Fixed);
        m.setShowTime(30);
        for (size_t i = 0; i < items.size(); ++i) benchmark::DoNotOptimize(m.apply(items[i], &pages[i]));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_EffectDialogSeveralPages)->Arg(1000);

static void BM_AirLogLine(benchmark::State& state) {
    std::string dir = platform::RuntimeDir() + "zx_bench_airlog/";
    platform::MakeDirectories(dir);
    app::Settings settings;
    settings.airLog = 1;
    app::FolderTable folders;
    folders.setProgramFolder(dir);
    folders.setEntry(app::FOLDER_PAGES, "/data/Pages/");
    platform::ManualClock clock;
    air::CAirLog log(settings, folders, clock);
    for (auto _ : state) {
        log.setPageOnAir("/data/Pages/News/headline.zxg");
        log.openPage(true);
        clock.advance(12000);
        log.closePage();
    }
    std::remove(log.path().c_str());
}
BENCHMARK(BM_AirLogLine);
