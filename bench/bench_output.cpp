// The video output: one frame's encoding per codec at 720 x 576 (frames a second, against the
// 25 a second a sink must keep), and three sinks at once fed at the Device's pace, where the
// field loop's cost of handing a frame over is what counts.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "output/output.h"

namespace {

constexpr int kW = 720, kH = 576;

// A lower third with a soft edge over nothing, moved a little each frame.
std::vector<uint8_t> Picture(int n) {
    std::vector<uint8_t> p(size_t(kW) * kH * 4, 0);
    for (int y = 380; y < 500; ++y)
        for (int x = 40; x < 680; ++x) {
            uint8_t* d = &p[(size_t(y) * kW + x) * 4];
            d[0] = uint8_t(20 + (x + n) % 200);
            d[1] = uint8_t(60 + y / 4);
            d[2] = 200;
            d[3] = uint8_t(y < 390 ? (y - 380) * 25 : 230);
        }
    return p;
}

std::string TempName(const char* ext) { return "/tmp/zx-bench-output-" + std::to_string(getpid()) + ext; }

// One sink that waits for room: the time a frame takes is the encoder's.
void Encode(benchmark::State& state, const std::string& codec, const char* ext, const char* background) {
    if (!output::HasEncoder(codec)) {
        state.SkipWithError(("no " + codec + " in this FFmpeg").c_str());
        return;
    }
    output::Output out;
    output::SinkOptions o;
    o.target = TempName(ext);
    o.codec = codec;
    o.background = background;
    o.lossless = true;
    o.queueFrames = 2;
    std::string error;
    if (!out.add(o, kW, kH, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    out.start();
    const std::vector<uint8_t> pics[2] = {Picture(0), Picture(7)};
    uint64_t field = 0;
    for (auto _ : state) {
        out.frame(pics[field / 2 % 2].data(), kW, kH, field);
        field += 2;
    }
    out.stop();
    std::remove(o.target.c_str());
    state.SetItemsProcessed(int64_t(state.iterations()));
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_OutputEncode_qtrle(benchmark::State& state) { Encode(state, "qtrle", ".mov", "none"); }
void BM_OutputEncode_png(benchmark::State& state) { Encode(state, "png", ".mov", "none"); }
void BM_OutputEncode_prores_ks(benchmark::State& state) { Encode(state, "prores_ks", ".mov", "none"); }
void BM_OutputEncode_prores_aw(benchmark::State& state) { Encode(state, "prores_aw", ".mov", "none"); }
void BM_OutputEncode_libx264(benchmark::State& state) { Encode(state, "libx264", ".mkv", "black"); }
void BM_OutputEncode_mpeg2video(benchmark::State& state) { Encode(state, "mpeg2video", ".mpg", "black"); }
BENCHMARK(BM_OutputEncode_qtrle)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OutputEncode_png)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OutputEncode_prores_ks)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OutputEncode_prores_aw)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OutputEncode_libx264)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OutputEncode_mpeg2video)->UseRealTime()->Unit(benchmark::kMillisecond);

// A lossless recording, a compressed one and a stream, fed a frame every 40 ms: the measured
// time is the field loop's hand-over of one frame (never waiting); dropped frames are counted.
void BM_OutputFanOut(benchmark::State& state) {
    output::Output out;
    output::SinkOptions mov, mkv, udp;
    mov.target = TempName(".mov");
    mkv.target = TempName(".mkv");
    udp.target = "udp://127.0.0.1:9?pkt_size=1316";  // the discard port: nobody listens
    std::string error;
    for (const output::SinkOptions* o : {&mov, &mkv, &udp})
        if (!out.add(*o, kW, kH, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    out.start();
    const std::vector<uint8_t> pics[2] = {Picture(0), Picture(7)};
    uint64_t field = 0;
    double worst = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        out.frame(pics[field / 2 % 2].data(), kW, kH, field);
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(took);
        worst = std::max(worst, took);
        field += 2;
        std::this_thread::sleep_for(std::chrono::milliseconds(40) - std::chrono::duration<double>(took));
    }
    out.stop();
    const auto st = out.stats();
    state.counters["worst_ms"] = worst * 1000;
    state.counters["dropped_mov"] = double(st[0].dropped);
    state.counters["dropped_mkv"] = double(st[1].dropped);
    state.counters["dropped_udp"] = double(st[2].dropped);
    std::remove(mov.target.c_str());
    std::remove(mkv.target.c_str());
}
BENCHMARK(BM_OutputFanOut)->UseManualTime()->Iterations(75)->Unit(benchmark::kMicrosecond);

}  // namespace
