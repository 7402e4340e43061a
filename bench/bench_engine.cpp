// The command engine with the virtual Device over the Ethernet link on loopback, from PutCmd to
// the finished notification:
//   EngineLoadRectFullScreen: one full-screen picture (829,442 bytes) into the hidden bank
//   EngineInEffect: a top-to-bottom wipe, 18 fields of the Device (360 ms at its real speed)
// Counters per command: msgs = messages sent (command, data and status-request messages),
// round_trips = status reads (each a request and its answer).
#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/embedded_device.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "ktgsim/server.h"
#include "platform/files.h"

using namespace device;

namespace {

// Counts what the engine sends and reads through the Ethernet link.
class CountingLink final : public EngineLink {
public:
    int connect() override { return net_.connect(); }
    void disconnect() override { net_.disconnect(); }
    int sendPacket(const Packet& p, bool moreFollows) override {
        int e = net_.sendPacket(p, moreFollows);
        if (net_.batchCount() == 0) ++messages;
        return e;
    }
    int sendData(const uint8_t* data, size_t length) override {
        messages += (length + kNetChunk - 1) / kNetChunk;
        return net_.sendData(data, length);
    }
    int readStatus(uint8_t* buffer, size_t length) override {
        ++messages;
        ++roundTrips;
        return net_.readStatus(buffer, length);
    }
    int batchCount() override { return net_.batchCount(); }
    void resetBatch() override { net_.resetBatch(); }
    bool hammingCoded() const override { return false; }
    void close() override { net_.close(); }

    std::atomic<uint64_t> messages{0}, roundTrips{0};

private:
    NetEngineLink net_;
};

class Finished final : public platform::MessageTarget {
public:
    void post(uint32_t, uintptr_t code, intptr_t) override {
        std::lock_guard l(m_);
        if (code == NOTE_FINISHED) ++finished_;
        if (code == NOTE_LINK_UP) up_ = true;
        if (code == NOTE_COMMAND_ERROR || code == NOTE_LINK_ERROR) failed_ = true;
        cv_.notify_all();
    }
    intptr_t send(uint32_t msg, uintptr_t w, intptr_t l) override {
        post(msg, w, l);
        return 0;
    }
    bool waitUp() {
        std::unique_lock l(m_);
        return cv_.wait_for(l, std::chrono::seconds(10), [&] { return up_; });
    }
    bool waitFinished(int n) {
        std::unique_lock l(m_);
        return cv_.wait_for(l, std::chrono::seconds(30), [&] { return finished_ >= n || failed_; }) && !failed_;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    int finished_ = 0;
    bool up_ = false, failed_ = false;
};

struct Rig {
    Rig() {
        ktgsim::ServerOptions o;
        o.device.statusClass = 1;
        o.device.checkData = false;  // the bench block carries no checksum
        o.listen = "127.0.0.1:0";
        server = std::make_unique<ktgsim::Server>(o);
        std::string why;
        if (!server->start(why)) return;
        const std::string address = server->netAddress();
        SetEmbeddedDevice({[address] { return address; }, {}});
        std::string dir = platform::RuntimeDir() + "zx_bench_engine/";
        platform::MakeDirectories(dir);
        NetSetLockFolder(dir);
        NetSetStatusClass(1);
        if (NetOpen() != 0) return;
        link = std::make_shared<CountingLink>();
        engine.OpenWith(link, 1);
        engine.Init(&notes);
        ok = notes.waitUp();
    }
    ~Rig() {
        engine.Done();
        engine.Close();
        SetEmbeddedDevice({});
        server->stop();
    }

    std::unique_ptr<ktgsim::Server> server;
    std::shared_ptr<CountingLink> link;
    CEngine engine{CEngine::Options{nullptr, kStopWaitMs, false}};
    Finished notes;
    bool ok = false;
};

template <class Post>
void RunCommands(benchmark::State& state, Post post) {
    Rig rig;
    if (!rig.ok) {
        state.SkipWithError("no virtual Device");
        return;
    }
    int done = 0;
    const uint64_t m0 = rig.link->messages, r0 = rig.link->roundTrips;
    for (auto _ : state) {
        post(rig.engine);
        if (!rig.notes.waitFinished(++done)) {
            state.SkipWithError("the command failed");
            return;
        }
    }
    const double n = double(state.iterations());
    state.counters["msgs"] = double(rig.link->messages - m0) / n;
    state.counters["round_trips"] = double(rig.link->roundTrips - r0) / n;
}

void BM_EngineLoadRectFullScreen(benchmark::State& state) {
    auto page = std::make_shared<std::vector<uint8_t>>(RectBlockSize(720, 576), uint8_t(0x80));
    RunCommands(state, [&](CEngine& e) { e.LoadRect({0, 0, 720, 576}, DataRef::Share(page), 0); });
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page->size()));
}
BENCHMARK(BM_EngineLoadRectFullScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EngineInEffect(benchmark::State& state) {
    // Border 1, vertical step 32: the bottom edge crosses 575 lines in 18 fields.
    RunCommands(state, [](CEngine& e) { e.InEffect(0x0001, 0x08000A02); });
}
BENCHMARK(BM_EngineInEffect)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
