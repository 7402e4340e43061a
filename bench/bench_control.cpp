// The control interface on loopback: one GET /api/v1/state answered (the median must stay under
// 1 ms), and the delay from a change of the air state on the air frame's thread to its event on a
// reader's stream (under 5 ms). The air frame is a stand-in that changes its state on demand; the
// server, the state board, the event stream and the client are the real ones.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "control/control_server.h"
#include "platform/event_loop.h"

namespace {

using Clock = std::chrono::steady_clock;

class BenchHost final : public control::AirHost {
public:
    int n = 0;
    control::AirSnapshot Snapshot() override {
        control::AirSnapshot s;
        s.frameOpen = true;
        s.mode = "live";
        s.frame.kind = air::KIND_PAGE;
        s.frame.state = air::AIR_WAIT_OUT;
        s.frame.current = n;
        s.frame.actions = air::ACTION_PAUSE | air::ACTION_STOP;
        s.frame.pageName = "/data/Pages/News/Headline.zxg";
        s.frame.elapsedText = "0:03.2  ";
        s.frame.remainingText = "0:06.8  ";
        s.frame.linkUp = true;
        s.isOnAir = true;
        s.file = "Sequences/Evening show.zxs";
        s.content = "sequence";
        s.pageOnAir = s.frame.pageName;
        s.root = "/data/";
        s.device = "embedded";
        return s;
    }
    control::OpResult Action(uint16_t, const control::EffectChanges*, air::ShowParams*) override { return {}; }
    control::OpResult Titles(std::vector<air::TitlesNode>&, std::string&) override { return {}; }
    control::OpResult TitleFields(const std::string&, control::TitleInfo&) override { return {}; }
    control::OpResult RenderTitle(const std::string&, const std::vector<control::FieldValue>&, bool,
                                  control::TitleInfo&) override {
        return {};
    }
    control::OpResult Play(const std::string&, bool) override { return {}; }
    bool Preview(pages::CBitmap32&) override { return false; }
};

// The air frame's thread: an event loop with the host, and the server over it.
struct Rig {
    platform::EventLoop loop;
    platform::LoopTarget target{loop, [](uint32_t, uintptr_t, intptr_t) -> intptr_t { return 0; }};
    BenchHost host;
    control::ControlServer server;
    std::atomic<bool> quit{false};
    std::thread air;

    Rig() : server(host, target, options()) {
        std::string why;
        if (!server.start(why)) std::abort();
        server.board().update(host.Snapshot());
        air = std::thread([this] {
            while (!quit) loop.runOnce(5);
        });
    }
    ~Rig() {
        server.stop();
        quit = true;
        air.join();
    }
    static control::ServerOptions options() {
        control::ServerOptions o;
        o.listen = {"127.0.0.1", 0};
        return o;
    }
};

void Report(benchmark::State& state, std::vector<double>& us) {
    if (us.empty()) return;
    std::sort(us.begin(), us.end());
    state.counters["median_us"] = us[us.size() / 2];
    state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
}

}  // namespace

static void BM_ControlStateRequest(benchmark::State& state) {
    Rig rig;
    httplib::Client client("127.0.0.1", rig.server.port());
    client.set_keep_alive(true);
    std::vector<double> us;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        auto res = client.Get("/api/v1/state");
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        if (!res || res->status != 200) {
            state.SkipWithError("GET /api/v1/state failed");
            break;
        }
        benchmark::DoNotOptimize(res->body.data());
    }
    Report(state, us);
}
BENCHMARK(BM_ControlStateRequest)->UseRealTime();

static void BM_ControlEventDelay(benchmark::State& state) {
    Rig rig;
    std::mutex m;
    std::condition_variable cv;
    int events = 0;
    Clock::time_point arrived;
    httplib::Client client("127.0.0.1", rig.server.port());
    client.set_read_timeout(60, 0);
    std::thread reader([&] {
        std::string buffer;
        client.Get("/api/v1/events", [&](const char* data, size_t n) {
            buffer.append(data, n);
            for (size_t end; (end = buffer.find("\n\n")) != std::string::npos; buffer.erase(0, end + 2)) {
                if (buffer.substr(0, end).find("event: state\n") == std::string::npos) continue;
                std::lock_guard<std::mutex> lock(m);
                arrived = Clock::now();
                ++events;
                cv.notify_all();
            }
            return !rig.quit.load();
        });
    });
    {
        // The stream's first event is the state as it is.
        std::unique_lock<std::mutex> lock(m);
        cv.wait_for(lock, std::chrono::seconds(10), [&] { return events >= 1; });
    }
    std::vector<double> us;
    for (auto _ : state) {
        int before;
        {
            std::lock_guard<std::mutex> lock(m);
            before = events;
        }
        std::atomic<int64_t> changedAt{0};
        // The change happens on the air frame's thread, which tells the board at once.
        rig.target.postCall([&] {
            ++rig.host.n;
            changedAt = Clock::now().time_since_epoch().count();
            rig.server.board().update(rig.host.Snapshot());
        });
        std::unique_lock<std::mutex> lock(m);
        if (!cv.wait_for(lock, std::chrono::seconds(5), [&] { return events > before; })) {
            state.SkipWithError("no event");
            break;
        }
        us.push_back(
            std::chrono::duration<double, std::micro>(arrived.time_since_epoch() - Clock::duration(changedAt.load()))
                .count());
    }
    Report(state, us);
    rig.quit = true;
    client.stop();
    reader.join();
}
BENCHMARK(BM_ControlEventDelay)->UseRealTime()->Iterations(500);
