// The USB adapter on the simulated library: 30 ports (four boards) ringing at once at a time
// scale, their events handled on an event loop as on the view's thread. Every rung call must give
// exactly one call record; the counter is the handler's time per event.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <chrono>
#include <string>

#include "interactive/usb_engine.h"
#include "interactive/usb_ports.h"
#include "platform/event_loop.h"

namespace {

using namespace interactive;

std::string Sim(const std::string& line) {
    static auto control = [] {
        void* h = ::dlopen(VoiceBoardLibraryFile("sim").c_str(), RTLD_NOW | RTLD_LOCAL);
        return h ? reinterpret_cast<VoiceBoardSim_Control_t>(::dlsym(h, "VoiceBoardSim_Control")) : nullptr;
    }();
    if (!control) return "ERR no simulated library";
    char reply[256];
    control(line.c_str(), reply, sizeof reply);
    return reply;
}

struct CountSink final : UsbSink {
    int calls = 0;
    void OnCall(const CallRecord&) override { ++calls; }
    void OnStatus(const std::string&) override {}
};

void BM_UsbThirtyPorts(benchmark::State& state) {
    if (Sim("reset").rfind("OK", 0) != 0) {
        state.SkipWithError("no simulated library");
        return;
    }
    Sim("scale 50");
    Sim("ports 101-108,201-208,301-308,401-406");
    CUSBEngine engine;
    engine.SetLibrarySetting("sim");
    CountSink sink;
    UsbPortTable table(engine.calls(), sink);
    platform::EventLoop loop;
    double handlerSeconds = 0;
    long events = 0;
    platform::LoopTarget target(loop, [&](uint32_t msg, uintptr_t w, intptr_t l) -> intptr_t {
        if (msg != CUSBEngine::Message()) return 0;
        const auto t0 = std::chrono::steady_clock::now();
        table.OnNotify(w, l);
        handlerSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        ++events;
        return 0;
    });
    UsbLineConfig config;
    config.assigned = 0xFF;
    table.Start(config);
    if (!engine.Start(&target, false, false, 1) ||
        !loop.runUntil([&] { return table.Counts().listening == 30; }, 10000)) {
        state.SkipWithError("no start");
        return;
    }
    int rung = 0;
    for (auto _ : state) {
        for (int board = 1; board <= 4; ++board)
            for (int p = 1; p <= (board == 4 ? 6 : 8); ++p)
                Sim("ring " + std::to_string(board * 100 + p) + " --rings 2");
        rung += 30;
        if (!loop.runUntil([&] { return sink.calls >= rung && table.Counts().listening == 30; }, 10000)) {
            state.SkipWithError("calls lost");
            break;
        }
    }
    engine.Stop();
    table.Stop();
    if (sink.calls != rung) state.SkipWithError("a call gave more than one record");
    state.counters["us_per_event"] = events ? handlerSeconds * 1e6 / double(events) : 0;
    state.counters["calls"] = double(sink.calls);
    Sim("reset");
}
BENCHMARK(BM_UsbThirtyPorts)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
