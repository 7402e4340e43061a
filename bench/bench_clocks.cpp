// Clocks: the hands are rendered on the user-interface thread once a second, one second ahead,
// while the clock is on air; the maker warns at 900 ms. Each iteration renders the 60 seconds of a
// minute into alternating buffers, as the air frame does, and reports the median render (the
// slowest in the counter), in the thread's processor time: the machines that run the benchmarks
// are shared, and a render waiting for a processor is not a slow render.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <vector>

#include "demo/demo_clocks.h"
#include "demo/demo_root.h"
#include "wizards/clock_image.h"

namespace {

double ThreadMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000 + double(ts.tv_nsec) / 1e6;
}

// Renders each second of 10:10 and reports the median as the iteration's time.
void RenderMinute(benchmark::State& state, wizards::CClockImage& clock) {
    clock.Prepare();
    std::vector<double> ms(60);
    double slowest = 0;
    for (auto _ : state) {
        for (int s = 0; s < 60; ++s) {
            const double t0 = ThreadMs();
            clock.Render(10, 10, s, true);
            ms[size_t(s)] = ThreadMs() - t0;
            benchmark::DoNotOptimize(clock.block(clock.currentBuffer()));
            clock.SwitchBuffer();
        }
        std::vector<double> sorted = ms;
        std::nth_element(sorted.begin(), sorted.begin() + 30, sorted.end());
        slowest = std::max(slowest, *std::max_element(ms.begin(), ms.end()));
        state.SetIterationTime(sorted[30] / 1000.0);
    }
    state.counters["slowest_ms"] = slowest;
    state.counters["block_KB"] = double(clock.blockSize(clock.currentBuffer() ^ 1)) / 1024;
}

// The studio clock of the demo: large, centred, shadows, a minute's hand that moves each second.
void BM_ClockRender(benchmark::State& state) {
    static wizards::CClockImage clock;
    static bool made = false;
    static std::string error;
    if (!made && error.empty()) made = demo::MakeDemoClock(demo::DemoClock::Studio, demo::kDejaVuFolder, clock, error);
    if (!made) {
        state.SkipWithError(("the demo clock cannot be made: " + error).c_str());
        return;
    }
    RenderMinute(state, clock);
}
BENCHMARK(BM_ClockRender)->UseManualTime()->Unit(benchmark::kMillisecond);

// The largest clock the maker makes: radius 254, every hand opaque over its whole ±254 × ±50
// rectangle, shadows 8 pixels away, the hands spread apart.
void BM_ClockRenderLargest(benchmark::State& state) {
    static wizards::CClockImage clock;
    if (!clock.loaded()) {
        wizards::ClockHeader& h = clock.header();
        h.centreX = 360;
        h.centreY = 288;
        h.shadows = true;
        h.steps[wizards::HAND_MINUTE] = 0;
        h.steps[wizards::HAND_HOUR] = 0;
        for (int i = 0; i < wizards::HAND_COUNT; ++i) {
            h.hands[i] = {-254, -50, 254, 50};
            h.shadowX[i] = -8 + 8 * i;
            h.shadowY[i] = 8 - 4 * i;
            pages::CBitmap32& c = clock.hand(i);
            c.create(wizards::CLOCK_CANVAS, wizards::CLOCK_CANVAS);
            c.fillAll(0xFF000000);
            for (int y = 384 - 50; y <= 384 + 51; ++y)
                for (int x = 384 - 254; x <= 384 + 255; ++x) {
                    uint8_t* p = c.pixel(x, y);
                    p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(40 * i), p[3] = uint8_t((x + y) % 64);
                }
        }
        clock.thumbnail().create(wizards::CLOCK_THUMB_WIDTH, wizards::CLOCK_THUMB_HEIGHT);
        clock.setFace(std::vector<uint8_t>(wizards::CLOCK_FACE_BYTES));
    }
    RenderMinute(state, clock);
}
BENCHMARK(BM_ClockRenderLargest)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
