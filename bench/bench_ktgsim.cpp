// The virtual Device's hot paths: the program output it renders per frame for a viewer, and the
// full-page block it checks and lands on every page load.
#include <benchmark/benchmark.h>

#include <vector>

#include "ktgsim/check_code.h"
#include "ktgsim/device.h"

namespace {

std::vector<uint8_t> FullPage(uint16_t base) {
    std::vector<uint8_t> b(2 + 720 * 576 * 2);
    for (size_t i = 2; i < b.size(); i += 2) {
        uint16_t w = uint16_t(base | ((i / 2) & 0x0FFF));
        b[i] = uint8_t(w >> 8);
        b[i + 1] = uint8_t(w);
    }
    uint16_t c = ktgsim::DataChecksum(b.data() + 2, b.size() - 2);
    b[0] = uint8_t(c);
    b[1] = uint8_t(c >> 8);
    return b;
}

void Write(ktgsim::Device& d, uint8_t reg, uint16_t v) {
    uint8_t p[5];
    ktgsim::BuildPacket(reg, v, p);
    d.packet(p);
}

void Load(ktgsim::Device& d, int bank, const std::vector<uint8_t>& page) {
    Write(d, 0x60, bank ? 0x800 : 0);
    Write(d, 0x61, 0);
    Write(d, 0x62, 575);
    Write(d, 0x63, 719);
    Write(d, 0x80, 0);
    d.block(page.data(), page.size());
}

void BM_KtgsimChecksumFullPage(benchmark::State& state) {
    auto page = FullPage(0xF000);
    for (auto _ : state) benchmark::DoNotOptimize(ktgsim::DataChecksum(page.data() + 2, page.size() - 2));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.size()));
}
BENCHMARK(BM_KtgsimChecksumFullPage);

void BM_KtgsimLoadFullPage(benchmark::State& state) {
    ktgsim::Device d;
    auto page = FullPage(0xF000);
    for (auto _ : state) Load(d, 0, page);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.size()));
}
BENCHMARK(BM_KtgsimLoadFullPage);

// Both banks keyed, half transparent on top: every pixel blends twice.
void BM_KtgsimRenderTwoBanks(benchmark::State& state) {
    ktgsim::Device d;
    Load(d, 0, FullPage(0xF000));
    Load(d, 1, FullPage(0x8000));
    Write(d, 0x40, 0x1F11);
    ktgsim::Picture pic;
    ktgsim::Background bg;
    for (auto _ : state) {
        d.render(pic, bg);
        benchmark::DoNotOptimize(pic.rgba.data());
    }
}
BENCHMARK(BM_KtgsimRenderTwoBanks)->Unit(benchmark::kMillisecond);

// A full-width roll under a nearly opaque page (a background frame), 160 lines high: those
// lines blend two banks into one layer.
void BM_KtgsimRenderBackgroundFrame(benchmark::State& state) {
    ktgsim::Device d;
    Load(d, 0, FullPage(0xE000));
    Load(d, 1, FullPage(0xF000));
    const uint16_t window[4] = {400, 0, 559, 719};
    for (int i = 0; i < 4; ++i) Write(d, uint8_t(12 + i), window[i]);
    Write(d, 2, 0);
    Write(d, 6, 0x8100);
    Write(d, 26, 0x0101);
    Write(d, 0x40, 0x1E00);  // both banks on air inside their windows, bank 0 on top
    Write(d, 0x80, 0x1000);  // the roll starts
    ktgsim::Picture pic;
    ktgsim::Background bg;
    for (auto _ : state) {
        d.render(pic, bg);
        benchmark::DoNotOptimize(pic.rgba.data());
    }
}
BENCHMARK(BM_KtgsimRenderBackgroundFrame)->Unit(benchmark::kMillisecond);

// A push with both pages moving: twelve units per field.
void BM_KtgsimField(benchmark::State& state) {
    ktgsim::Device d;
    for (int r = 0; r < 36; ++r) Write(d, uint8_t(r), r < 24 ? 0x7FFF : 0x0101);
    Write(d, 0x80, 0x7FF8);
    for (auto _ : state) d.advanceFields(1);
}
BENCHMARK(BM_KtgsimField);

}  // namespace
