// The switcher's remote control: one window message there and back (a playlist's buttons go out
// from the air frame's 50 ms tick, so one must cost far less than that; the target is a median
// under 0.2 ms), and the queries of a Seize that finds its input and effect last in the tables
// (the air frame waits for them before Play; the target is under 10 ms without the Part's sleeps).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <thread>

#include "platform/copydata_channel.h"
#include "platform/event.h"
#include "platform/event_loop.h"
#include "video/remote_cmd.h"
#include "zx-remote/server.h"

namespace {

// A folder of its own for the sockets, removed at the end.
struct RunDir {
    std::string path;
    RunDir() {
        char tmpl[] = "/tmp/zxbench-remote-XXXXXX";
        path = std::string(mkdtemp(tmpl)) + "/";
    }
    ~RunDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

void BM_CopyDataRoundTrip(benchmark::State& state) {
    RunDir dir;
    platform::Event ready;
    platform::EventLoop* loop = nullptr;
    uintptr_t handle = 0;
    std::thread owner([&] {
        platform::EventLoop l;
        platform::LoopTarget target(l, [](uint32_t, uintptr_t, intptr_t) -> intptr_t { return 1; });
        l.processPending();
        platform::CopyDataWindow window;
        window.Open(&target, "Bench", dir.path);
        handle = window.handle();
        loop = &l;
        ready.set();
        l.run();
        window.Close();
    });
    ready.wait();
    platform::CopyDataChannel::Options o;
    o.dir = dir.path;
    platform::CopyDataChannel ch(o);
    std::vector<uint8_t> block;
    video::EncodeRemotePayload(video::REMOTE_PUSH, "IN1", block);
    for (auto _ : state)
        if (ch.Send(handle, video::REMOTE_MSG_COMMAND, 0, block) != 1) state.SkipWithError("no reply");
    loop->quit();
    owner.join();
}
BENCHMARK(BM_CopyDataRoundTrip)->Unit(benchmark::kMicrosecond)->Repetitions(5)->DisplayAggregatesOnly();

void BM_SeizeScan(benchmark::State& state) {
    RunDir dir;
    zxremote::ServerOptions so;
    so.dir = dir.path;
    so.controlPath = dir.path + "ctl.sock";
    so.setup.program = video::kRemoteInputCount - 1;  // PIC4: every input is asked
    so.setup.effect = video::kRemoteEffectCount - 1;  // EFFECT8: every effect is asked
    so.setup.fast = true;
    zxremote::RemoteServer server(so);
    platform::Event ready;
    std::string error;
    std::thread owner([&] {
        server.Run(error, [&] { ready.set(); });
        ready.set();
    });
    ready.wait();
    video::CRemoteCmd::Options o;
    o.channel.dir = dir.path;
    o.sleep = [](uint32_t) {};  // the Part's sleeps are not measured
    video::CRemoteCmd remote(o);
    for (auto _ : state) {
        if (remote.Seize(false) != video::SEIZE_OK || remote.activeInput() != video::kRemoteInputCount - 1)
            state.SkipWithError("seize failed");
    }
    server.Quit();
    owner.join();
}
BENCHMARK(BM_SeizeScan)->Unit(benchmark::kMillisecond);

}  // namespace
