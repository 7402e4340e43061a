// The phone-lines adapter link against its stand-in on a pseudo-terminal: packet round trips
// without pacing, answered calls a second on eight ringing lines, and a one-second voice message
// written at the line's pace.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "interactive/interactive.h"
#include "interactive/itv_result.h"
#include "interactive/serial.h"
#include "phonesim/simulator.h"

namespace {

using namespace interactive;

std::unique_ptr<phonesim::Simulator> StartSim(bool pace, uint32_t eraseMs = 0) {
    phonesim::SimulatorOptions o;
    o.adapter.version = 2;
    o.adapter.eraseMs = eraseMs;
    o.pace = pace;
    auto sim = std::make_unique<phonesim::Simulator>(o);
    std::string error;
    if (!sim->start(error)) return nullptr;
    return sim;
}

void BM_PacketRoundTrip(benchmark::State& state) {
    auto sim = StartSim(false);
    SerialAdapterPort port;
    if (!sim || port.Open(sim->devicePath(), ITV_VERSION_2) != ITV_OK) {
        state.SkipWithError("no stand-in");
        return;
    }
    CSerial serial(port, platform::SystemClock::instance());
    uint8_t reply[kReplyBufferSize];
    for (auto _ : state)
        if (serial.SendRecvPacket(CMD_POLL, 0, nullptr, reply, false) != ITV_OK) {
            state.SkipWithError("exchange failed");
            break;
        }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_PacketRoundTrip)->UseRealTime();

class Counter final : public platform::MessageTarget {
public:
    void post(uint32_t msg, uintptr_t w, intptr_t l) override {
        if (msg != platform::MSG_INTERACTIVE) return;
        std::lock_guard lk(m_);
        if (w == ITV_NOTE_DONE) {
            done_ = true;
            result_ = int(l);
        }
        cv_.notify_all();
    }
    intptr_t send(uint32_t msg, uintptr_t w, intptr_t) override {
        if (msg != platform::MSG_INTERACTIVE || w != ITV_NOTE_CALL) return 0;
        std::lock_guard lk(m_);
        ++calls_;
        cv_.notify_all();
        return 0;
    }
    bool waitCalls(int n) {
        std::unique_lock lk(m_);
        return cv_.wait_for(lk, std::chrono::seconds(30), [&] { return calls_ >= n; });
    }
    bool waitDone(int& result) {
        std::unique_lock lk(m_);
        bool ok = cv_.wait_for(lk, std::chrono::seconds(60), [&] { return done_; });
        done_ = false;
        result = result_;
        return ok;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    int calls_ = 0;
    bool done_ = false;
    int result_ = 0;
};

InteractiveOptions OnSim(const std::string& path) {
    InteractiveOptions o;
    o.makePort = [path](int, int v, int& result) -> std::unique_ptr<AdapterPort> {
        auto p = std::make_unique<SerialAdapterPort>();
        result = p->Open(path, v);
        if (result) return nullptr;
        return p;
    };
    return o;
}

void BM_CallsPerSecond(benchmark::State& state) {
    auto sim = StartSim(true);
    if (!sim) {
        state.SkipWithError("no stand-in");
        return;
    }
    Counter owner;
    CInteractive engine(OnSim(sim->devicePath()));
    engine.Configure(0, false, 1, ITV_VERSION_2, 0);
    int r = 0;
    if (engine.Open(&owner) != ITV_OK || !engine.StartLines(0xFF, 3) || !owner.waitDone(r) || r) {
        state.SkipWithError("no start");
        return;
    }
    int calls = 0;
    for (auto _ : state) {
        for (int line = 0; line < 8; ++line) sim->control("ring " + std::to_string(line) + " --rings 0");
        calls += 8;
        if (!owner.waitCalls(calls)) {
            state.SkipWithError("calls lost");
            break;
        }
    }
    engine.Close();
    state.counters["calls_per_s"] = benchmark::Counter(double(calls), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CallsPerSecond)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_VoiceWrite(benchmark::State& state) {
    auto sim = StartSim(true, 0);
    if (!sim) {
        state.SkipWithError("no stand-in");
        return;
    }
    Counter owner;
    CInteractive engine(OnSim(sim->devicePath()));
    engine.Configure(0, false, 1, ITV_VERSION_2, 0);
    if (engine.Open(&owner) != ITV_OK) {
        state.SkipWithError("no port");
        return;
    }
    std::vector<uint8_t> message(8000, 0x55);
    double seconds = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        int r = 0;
        if (!engine.WriteVoiceMessage(0x01, uint16_t(message.size()), message.data()) || !owner.waitDone(r) || r) {
            state.SkipWithError("write failed");
            break;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    engine.Close();
    // The bytes' line time at 19200 baud: each 32-byte piece costs its size plus 12 over the line.
    const double lineSeconds = double((8000 / 32) * (32 + 12)) * 10.0 / 19200.0;
    state.counters["x_line_time"] = seconds / double(state.iterations()) / lineSeconds;
}
BENCHMARK(BM_VoiceWrite)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
