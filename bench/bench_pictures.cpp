// Picture import: a page-sized 32-bit TGA is what operators import most (backgrounds, logos
// from paint programs, often run-length encoded), and a pair on white and black is combined
// every time such a BMP pair is imported or a clock or font is made from pictures.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "pages/picture_import.h"
#include "pages/picture_io.h"

namespace {

constexpr int W = 720, H = 576;

// Title-like artwork: a flat transparent area, a soft-edged disc and a gradient band, so that
// run-length packets come in both kinds and lengths.
pages::CBitmap32 artwork() {
    pages::CBitmap32 b(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            uint8_t* p = b.pixel(x, y);
            const double d = std::hypot(x - 360.0, y - 250.0);
            if (d < 150) {
                p[0] = 30, p[1] = 140, p[2] = 250;
                p[3] = uint8_t(std::clamp((d - 140) * 25, 0.0, 255.0));
            } else if (y > 440 && y < 520) {
                p[0] = uint8_t(x / 3), p[1] = uint8_t(y), p[2] = 90, p[3] = 64;
            } else {
                p[3] = 255;
            }
        }
    return b;
}

// Type 10 of the same picture, bottom-up, packets crossing rows as paint programs write them.
std::vector<uint8_t> encodeRle(const pages::CBitmap32& b) {
    std::vector<uint8_t> out = pages::EncodeTga(b);
    out.resize(18);
    out[2] = 10;
    out[17] = 0x08;
    std::vector<uint32_t> px;
    for (int y = H - 1; y >= 0; --y)
        for (int x = 0; x < W; ++x) {
            uint32_t v;
            std::memcpy(&v, b.pixel(x, y), 4);
            px.push_back(v);
        }
    for (size_t i = 0; i < px.size();) {
        size_t run = 1;
        while (i + run < px.size() && run < 128 && px[i + run] == px[i]) ++run;
        if (run > 1) {
            out.push_back(uint8_t(0x80 | (run - 1)));
            const uint8_t* v = reinterpret_cast<const uint8_t*>(&px[i]);
            out.insert(out.end(), v, v + 4);
            i += run;
            continue;
        }
        size_t raw = 1;
        while (i + raw < px.size() && raw < 128 && px[i + raw] != px[i + raw - 1]) ++raw;
        out.push_back(uint8_t(raw - 1));
        const uint8_t* v = reinterpret_cast<const uint8_t*>(&px[i]);
        out.insert(out.end(), v, v + raw * 4);
        i += raw;
    }
    return out;
}

void BM_ReadTga32Plain(benchmark::State& state) {
    const std::vector<uint8_t> file = pages::EncodeTga(artwork());
    pages::CBitmap32 b;
    for (auto _ : state) {
        if (pages::DecodeTga(file.data(), file.size(), state.range(0) != 0, b) != pages::PICTURE_OK)
            state.SkipWithError("not read");
        benchmark::DoNotOptimize(b.bits());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}
BENCHMARK(BM_ReadTga32Plain)->Arg(0)->Arg(1)->ArgName("inverse")->Unit(benchmark::kMicrosecond);

void BM_ReadTga32Rle(benchmark::State& state) {
    const std::vector<uint8_t> file = encodeRle(artwork());
    pages::CBitmap32 b;
    for (auto _ : state) {
        if (pages::DecodeTga(file.data(), file.size(), false, b) != pages::PICTURE_OK) state.SkipWithError("not read");
        benchmark::DoNotOptimize(b.bits());
    }
    state.counters["file_kB"] = double(file.size()) / 1024;
    state.SetItemsProcessed(int64_t(state.iterations()) * W * H);
}
BENCHMARK(BM_ReadTga32Rle)->Unit(benchmark::kMicrosecond);

void BM_CombinePair(benchmark::State& state) {
    // The artwork as saved over black and over white.
    const pages::CBitmap32 art = artwork();
    pages::CBitmap32 white(W, H), black(W, H), out;
    for (size_t i = 0; i < art.byteSize(); i += 4) {
        const int a = 255 - art.bits()[i + 3];
        for (size_t k = 0; k < 3; ++k) {
            black.bits()[i + k] = uint8_t(art.bits()[i + k] * a / 255);
            white.bits()[i + k] = uint8_t((art.bits()[i + k] * a + 255 * (255 - a)) / 255);
        }
    }
    for (auto _ : state) {
        pages::CombinePair(white, black, state.range(0) != 0, out);
        benchmark::DoNotOptimize(out.bits());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * W * H);
}
BENCHMARK(BM_CombinePair)->Arg(0)->Arg(1)->ArgName("mono")->Unit(benchmark::kMicrosecond);

void BM_DitherPage(benchmark::State& state) {
    pages::CBitmap32 b = artwork();
    pages::DitherRandom rng;
    for (auto _ : state) {
        pages::Dither(b, rng);
        benchmark::DoNotOptimize(b.bits());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * W * H);
}
BENCHMARK(BM_DitherPage)->Unit(benchmark::kMicrosecond);

}  // namespace
