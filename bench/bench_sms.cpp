// The SMS engine's speed: decoding PDUs, parsing a full receive buffer of listing replies, and the
// time from a message arriving at the modem simulator to the owner's notification over a
// pseudo-terminal.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "gsmsim/simulator.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "sms/engine_core.h"
#include "sms/pdu.h"
#include "sms/serial_modem_port.h"
#include "sms/sms_engine.h"

namespace {

// 7-bit, 7-bit with a concatenation header, 8-bit with one, UCS2 with one, an alphanumeric sender.
const std::vector<std::pair<std::string, int>>& MixedPdus() {
    static const std::vector<std::pair<std::string, int>> pdus = {
        {"07918361030000F0040791214365F700007030214100000005E8329BFD06", 22},
        {"00440791214365F7000070302141000000110500032A02018C69F99C0E8287E574", 32},
        {"00440791214365F70004703021410000000A05000307020248690021", 27},
        {"00440791214365F700087030214100000012050003070202041F04400438043204350442", 35},
        {"00040DD0CDBC30EC5EC70000009910123123595902E834", 22},
    };
    return pdus;
}

void BM_PduDecode(benchmark::State& state) {
    const platform::CodePage cp(1251);
    const auto& pdus = MixedPdus();
    sms::PduResult r;
    size_t i = 0;
    for (auto _ : state) {
        const auto& p = pdus[i++ % pdus.size()];
        benchmark::DoNotOptimize(sms::DecodePdu(p.first, p.second, cp, r));
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_PduDecode);

class NullPort final : public sms::ModemPort {
public:
    bool Open(uint32_t, long& handle) override {
        handle = 3;
        return true;
    }
    void Close() override {}
    void Write(std::string_view) override {}
};

void BM_ReplyLines(benchmark::State& state) {
    const platform::CodePage cp(1251);
    std::string listing;
    for (int slot = 1;; ++slot) {
        std::string entry = "\r\n+CMGL: " + std::to_string(slot) + ",0,,22\r\n" + MixedPdus()[0].first + "\r\n";
        if (listing.size() + entry.size() > sms::kReceiveBufferSize) break;
        listing += entry;
    }
    NullPort port;
    sms::ReceiveBuffer rx;
    size_t lines = 0;
    for (auto _ : state) {
        sms::EngineCore core(port, rx, cp, {});
        core.Seed(sms::EngineState::List, 0, 0, 0);
        rx.append(listing.data(), listing.size());
        core.Pass(1000, sms::Wake::Data);
        lines = core.view().queuedSlots.size();
        benchmark::DoNotOptimize(lines);
    }
    state.counters["slots"] = double(lines);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(listing.size()));
}
BENCHMARK(BM_ReplyLines)->Unit(benchmark::kMicrosecond);

// The owner: wakes the benchmark when a record arrives.
class Owner final : public platform::MessageTarget {
public:
    void post(uint32_t, uintptr_t, intptr_t) override {}
    intptr_t send(uint32_t, uintptr_t, intptr_t) override { return 0; }
    void postBlock(uint32_t, uintptr_t code, platform::PostedBlockPtr block) override {
        std::lock_guard l(m_);
        if (code == sms::SMS_NOTE_RECORD) ++records_;
        else ready_ = ready_ || static_cast<const sms::SMSStatus*>(block->data())->status == sms::SMS_READY;
        cv_.notify_all();
    }
    bool wait(const std::function<bool()>& pred, int ms) {
        std::unique_lock l(m_);
        return cv_.wait_for(l, std::chrono::milliseconds(ms), pred);
    }
    int records_ = 0;
    bool ready_ = false;
    std::mutex m_;
    std::condition_variable cv_;
};

// Arg 0: replies at once; otherwise the simulator paces them at that baud rate, which the engine
// sets on the line.
void BM_SmsLatency(benchmark::State& state) {
    const uint32_t baud = state.range(0) ? uint32_t(state.range(0)) : 115200;
    gsmsim::SimulatorOptions o;
    o.link = platform::RuntimeDir() + "zx_bench_gsmsim";
    o.pacing = state.range(0) != 0;
    gsmsim::Simulator sim(o);
    std::string error;
    if (!sim.start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    sms::EngineOptions eo;
    std::string path = o.link;
    eo.makePort = [path](int) { return std::make_unique<sms::SerialModemPort>([path] { return path; }); };
    eo.codePage = 1251;
    Owner owner;
    sms::CSMSEngine engine(eo);
    engine.Open(&owner, 0, baud, true, true, false);
    if (!owner.wait([&] { return owner.ready_; }, 20000)) {
        state.SkipWithError("the engine did not connect");
        engine.Close();
        return;
    }
    // Let the first polls and the listing pass.
    owner.wait([] { return false; }, 1500);
    std::vector<double> ms;
    for (auto _ : state) {
        int before;
        {
            std::lock_guard l(owner.m_);
            before = owner.records_;
        }
        auto t0 = std::chrono::steady_clock::now();
        sim.control("sms --from +38164111222 latency test");
        bool got = owner.wait([&] { return owner.records_ > before; }, 5000);
        auto t1 = std::chrono::steady_clock::now();
        if (!got) {
            state.SkipWithError("no notification");
            break;
        }
        double elapsed = std::chrono::duration<double>(t1 - t0).count();
        state.SetIterationTime(elapsed);
        ms.push_back(elapsed * 1000);
    }
    engine.Close();
    if (!ms.empty()) {
        std::sort(ms.begin(), ms.end());
        state.counters["median_ms"] = ms[ms.size() / 2];
        state.counters["max_ms"] = ms.back();
    }
}
BENCHMARK(BM_SmsLatency)->Arg(0)->Arg(19200)->Iterations(40)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
