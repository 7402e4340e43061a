// The interactive system: counting a vote with duplicate callers checked must not slow down as
// the log grows (a busy vote gets hundreds of thousands of calls and messages); a vote's picture
// update — every changed rectangle of the demo page drawn and converted for the Device — runs on
// the air frame's 500 ms tick; a burst of calls and messages leaves the view's thread mostly idle
// and loses nothing; and a vote reaches the Device's program output within a tick and a flip.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "air/air_frame.h"
#include "air/air_session.h"
#include "app/profile.h"
#include "app/zentrix_app.h"
#include "demo/demo_root.h"
#include "demo/demo_vote.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "interactive/itv_doc.h"
#include "interactive/itv_model.h"
#include "interactive/itv_picture.h"
#include "interactive/itv_votes.h"
#include "interactive/usb_engine.h"
#include "interactive/usb_ports.h"
#include "ktgsim/embedded.h"
#include "pages/font_manager.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "sms/sms_types.h"

namespace {

interactive::CallRecord Caller(int line, uint32_t n) {
    interactive::CallRecord r;
    r.line = uint8_t(line);
    std::snprintf(r.number, sizeof r.number, "+49170%08u", n);
    r.hasNumber = 1;
    return r;
}

}  // namespace

// Items: votes counted per second with a log of range(0) entries (every caller new, so each vote
// is checked against the whole log's numbers).
static void BM_ItvVoteCount(benchmark::State& state) {
    interactive::CVoteCounter counter;
    interactive::VoteRules rules;
    rules.ignoreDuplicates = true;
    rules.lineTable = {1, 2, 3, 4, 0, 0, 0, 0};
    counter.setRules(rules);
    const platform::LocalTime t;
    const uint32_t before = uint32_t(state.range(0));
    for (uint32_t i = 0; i < before; ++i) counter.Add(Caller(int(i % 4), i), t, i);
    uint32_t n = before;
    for (auto _ : state) {
        // Half new callers, half calling again.
        const uint32_t number = (n & 1) ? n : n / 2;
        benchmark::DoNotOptimize(counter.Add(Caller(int(n % 4), number), t, n));
        ++n;
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
    state.counters["log"] = double(counter.log().size());
}
BENCHMARK(BM_ItvVoteCount)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// One vote on the demo page: the bars, counts, percentages, total and caller redrawn and converted
// (the clock on, so its frame is redrawn as on every tick).
static void BM_ItvPictureUpdate(benchmark::State& state) {
    char name[] = "/tmp/zx-bench-itv-XXXXXX";
    const char* d = ::mkdtemp(name);
    const std::string root = std::string(d ? d : "/tmp") + "/";
    demo::DemoResult made;
    std::string error;
    if (!demo::MakeDemoRoot(root, {}, made, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", root}));
    pages::CFontManager fonts;
    fonts.setFolder(theApp.GetPath(app::FOLDER_FONTS));
    fonts.Enumerate();
    interactive::CITVDoc doc;
    if (doc.Load(root + demo::kVoteSystem) != 0) {
        state.SkipWithError("the demo's interactive system does not load");
        return;
    }
    platform::ManualClock clock;
    interactive::CVoteCounter counter;
    counter.setRules(interactive::VoteRules::Of(doc));
    interactive::CITVPicture picture(fonts, clock, doc, counter);
    if (picture.Load(doc.PageFile(theApp.GetPath(app::FOLDER_PAGES))) != 0) {
        state.SkipWithError("the demo's vote page does not load");
        return;
    }
    picture.PrepareBase();
    picture.Rebuild();
    while (!picture.QueueEmpty()) picture.PopFront();
    uint32_t n = 0;
    size_t rects = 0;
    for (auto _ : state) {
        counter.Add(Caller(int(n % 3), n), clock.localTime(), n);
        ++n;
        picture.Update();
        for (; !picture.QueueEmpty(); picture.PopFront()) ++rects;
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
    state.counters["rects"] = benchmark::Counter(double(rects), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ItvPictureUpdate)->Unit(benchmark::kMillisecond);

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string UsbSim(const std::string& line) {
    static auto control = [] {
        void* h = ::dlopen(interactive::VoiceBoardLibraryFile("sim").c_str(), RTLD_NOW | RTLD_LOCAL);
        return h ? reinterpret_cast<VoiceBoardSim_Control_t>(::dlsym(h, "VoiceBoardSim_Control")) : nullptr;
    }();
    if (!control) return "ERR no simulated library";
    char reply[256];
    control(line.c_str(), reply, sizeof reply);
    return reply;
}

// A data folder of the demo's, removed at the end.
struct DemoFolder {
    std::string root;
    std::string error;
    DemoFolder() {
        char name[] = "/tmp/zx-bench-itv-XXXXXX";
        const char* d = ::mkdtemp(name);
        root = std::string(d ? d : "/tmp") + "/";
        demo::DemoResult made;
        if (!demo::MakeDemoRoot(root, {}, made, error) && error.empty()) error = "no demo";
    }
    ~DemoFolder() {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
};

struct UsbVotes final : interactive::UsbSink {
    interactive::CVoteCounter& counter;
    int calls = 0;
    explicit UsbVotes(interactive::CVoteCounter& c) : counter(c) {}
    void OnCall(const interactive::CallRecord& r) override {
        counter.Add(r, platform::LocalTime{}, 0);
        ++calls;
    }
    void OnStatus(const std::string&) override {}
};

}  // namespace

// 30 USB ports ringing again as soon as each call is over, and 100 SMS records a second from
// the modem engine's thread, for 10 s into one counter (a station runs one kind of hardware;
// both at once is the worst case); the demo's picture is updated and converted every 500 ms as
// the air frame's tick does. Nothing may be lost; ui_busy_pct is the share of the time the view's
// thread spends handling them (the Qt form's own refresh is not in it).
static void BM_ItvBurst(benchmark::State& state) {
    DemoFolder folder;
    if (!folder.error.empty() || UsbSim("reset").rfind("OK", 0) != 0) {
        state.SkipWithError(folder.error.empty() ? "no simulated USB library" : folder.error.c_str());
        return;
    }
    UsbSim("scale 1");
    UsbSim("ports 101-108,201-208,301-308,401-406");
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", folder.root}));
    pages::CFontManager fonts;
    fonts.setFolder(theApp.GetPath(app::FOLDER_FONTS));
    fonts.Enumerate();
    interactive::CITVDoc doc;
    if (doc.Load(folder.root + demo::kVoteSystem) != 0) {
        state.SkipWithError("the demo's interactive system does not load");
        return;
    }
    platform::ManualClock still;
    interactive::CVoteCounter counter;
    interactive::VoteRules rules = interactive::VoteRules::Of(doc);
    // Every port's line counts (ports 101-108 are lines 0-7 of each board), SMS by answer index.
    rules.lineTable = {1, 2, 3, 1, 2, 3, 1, 2};
    counter.setRules(rules);
    interactive::CITVPicture picture(fonts, still, doc, counter);
    if (picture.Load(doc.PageFile(theApp.GetPath(app::FOLDER_PAGES))) != 0) {
        state.SkipWithError("the demo's vote page does not load");
        return;
    }
    picture.PrepareBase();
    picture.Rebuild();
    while (!picture.QueueEmpty()) picture.PopFront();

    interactive::CUSBEngine engine;
    engine.SetLibrarySetting("sim");
    UsbVotes usbVotes(counter);
    interactive::UsbPortTable table(engine.calls(), usbVotes);
    platform::EventLoop loop;
    Clock::duration usbBusy{}, smsBusy{}, tickBusy{};
    int smsCounted = 0;
    platform::LoopTarget target(loop, [&](uint32_t msg, uintptr_t w, intptr_t l) -> intptr_t {
        const auto t0 = Clock::now();
        if (msg == interactive::CUSBEngine::Message()) {
            table.OnNotify(w, l);
            usbBusy += Clock::now() - t0;
        } else if (msg == sms::WM_SMSENGINE_NOTIFY && w == sms::SMS_NOTE_RECORD && l) {
            counter.countSms();
            interactive::CallRecord vote;
            if (interactive::SmsVote(doc, *reinterpret_cast<const sms::SMSRecord*>(l), vote)) {
                counter.Add(vote, platform::LocalTime{}, 0);
                ++smsCounted;
            }
            smsBusy += Clock::now() - t0;
        }
        return 0;
    });
    int rects = 0;
    loop.setTimer(500, [&] {
        const auto t0 = Clock::now();
        picture.SetBufferFlag(!picture.BufferFlag());
        picture.Update();
        for (; !picture.QueueEmpty(); picture.PopFront()) ++rects;
        tickBusy += Clock::now() - t0;
    });
    interactive::UsbLineConfig config;
    config.assigned = 0xFF;
    table.Start(config);
    if (!engine.Start(&target, false, false, 1) ||
        !loop.runUntil([&] { return table.Counts().listening == 30; }, 10000)) {
        state.SkipWithError("the USB adapter did not start");
        return;
    }
    constexpr int kRunMs = 10000;
    int rung = 0, sent = 0;
    for (auto _ : state) {
        std::atomic<bool> stop{false};
        // The modem engine's thread: a record every 10 ms, each from a new number.
        std::thread modem([&] {
            const char* words[] = {"tea please", "Coffee!", "i say JUICE"};
            auto next = Clock::now();
            for (int i = 0; !stop; ++i) {
                sms::SMSRecord r;
                r.kind = sms::SMS_KIND_DELIVER;
                std::snprintf(r.number, sizeof r.number, "+3816%07d", i);
                r.textLength = std::snprintf(r.text, sizeof r.text, "%s", words[i % 3]);
                target.postBlock(sms::WM_SMSENGINE_NOTIFY, sms::SMS_NOTE_RECORD,
                                 std::make_shared<platform::BlockCopy<sms::SMSRecord>>(r, nullptr));
                ++sent;
                next += std::chrono::milliseconds(10);
                std::this_thread::sleep_until(next);
            }
        });
        // The callers: each port rung again once its call is over.
        std::thread callers([&] {
            while (!stop) {
                for (int board = 1; board <= 4; ++board)
                    for (int p = 1; p <= (board == 4 ? 6 : 8); ++p)
                        if (UsbSim("ring " + std::to_string(board * 100 + p) + " --rings 3").rfind("OK", 0) == 0)
                            ++rung;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
        const auto start = Clock::now();
        loop.runUntil([&] { return Ms(Clock::now() - start) >= kRunMs; }, kRunMs + 5000);
        stop = true;
        modem.join();
        callers.join();
        const auto ran = Clock::now() - start;
        // The calls under way end, the last messages arrive.
        loop.runUntil([&] { return usbVotes.calls >= rung && smsCounted >= sent && table.Counts().listening == 30; },
                      10000);
        state.counters["ui_busy_pct"] = 100.0 * Ms(usbBusy + smsBusy + tickBusy) / Ms(ran);
    }
    engine.Stop();
    table.Stop();
    if (usbVotes.calls != rung || smsCounted != sent || counter.total() != rung + sent)
        state.SkipWithError("votes lost");
    state.counters["calls"] = rung;
    state.counters["sms"] = sent;
    state.counters["lost"] = double(rung + sent - counter.total());
    state.counters["usb_ms"] = Ms(usbBusy);
    state.counters["sms_ms"] = Ms(smsBusy);
    state.counters["ticks_ms"] = Ms(tickBusy);
    state.counters["rects"] = rects;
}
BENCHMARK(BM_ItvBurst)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

namespace {

class NoHardware final : public interactive::ItvHardware {
public:
    class NoCalls final : public interactive::UsbCalls {
    public:
        int GetNumber(int, char (&n)[32]) override {
            n[0] = 0;
            return 1;
        }
        int OffHook(int) override { return 1; }
        int Pause(int, int) override { return 1; }
        int PlayFile(int, const std::string&) override { return 1; }
        int Hangup(int) override { return 1; }
    };
    int OpenAdapter(platform::MessageTarget*) override { return 1; }
    void CloseAdapter() override {}
    bool StartLines(uint8_t, uint16_t) override { return false; }
    bool WriteVoice(uint8_t, uint16_t, uint8_t*) override { return false; }
    bool ReadVoice(uint8_t, uint8_t*) override { return false; }
    void AbortVoice() override {}
    void OpenSms(platform::MessageTarget*, int, uint32_t, bool, bool, bool) override {}
    void CloseSms() override {}
    bool StartUsb(platform::MessageTarget*, const std::string&, bool, bool, int) override { return false; }
    void StopUsb() override {}
    interactive::UsbCalls& usbCalls() override { return calls; }
    uint32_t usbMessage() const override { return 0; }
    NoCalls calls;
};

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

}  // namespace

// A vote by the button, at a random moment of the 500 ms tick, to the flip that shows it on the
// embedded virtual Device, in real time with the demo's picture on air (its clock on, so every
// tick updates): median and worst over range(0) votes, and where the time goes — waiting for the
// tick (with the drawing and conversion of the changed rectangles), loading them into the
// Device's hidden half, and the flip.
static void BM_ItvVoteToDevice(benchmark::State& state) {
    DemoFolder folder;
    if (!folder.error.empty()) {
        state.SkipWithError(folder.error.c_str());
        return;
    }
    air::ScaledClock clock{1};
    ktgsim::EmbeddedOptions eo;
    eo.timeScale = 1;
    ktgsim::RegisterEmbeddedDevice(std::move(eo));
    std::vector<double> total, toTick, loading, flip;
    {
        app::CZentrixApp theApp;
        device::CEngine engine{device::CEngine::Options{&clock, device::kStopWaitMs, false}};
        platform::EventLoop loop{clock};
        pages::CFontManager fonts;
        theApp.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", folder.root}));
        theApp.settings().itv = 0;
        theApp.setDeviceLink(&engine);
        device::NetSetLockFolder(folder.root);
        theApp.StartHardware();
        fonts.setFolder(theApp.GetPath(app::FOLDER_FONTS));
        fonts.Enumerate();
        {
            air::CAirSession session(theApp, engine, fonts, loop);
            air::CAirFrame& frame = session.frame();
            NoHardware hardware;
            interactive::CITVModel model(theApp, fonts, frame, loop, loop.clock(), hardware);
            session.setViewObserver([&](int c, intptr_t v) { model.OnMessage(platform::MSG_AIR, uintptr_t(c), v); });
            if (model.Load(folder.root + demo::kVoteSystem) != 0) {
                state.SkipWithError("the demo's interactive system does not load");
            } else {
                session.Open();
                const bool linked = session.RunUntil([&] { return frame.CanStart(); }, 20000);
                model.Start();
                const bool onAir = linked && session.RunUntil(
                                                 [&] {
                                                     if (frame.State().state == air::AIR_CUED) frame.OnPlay();
                                                     return frame.State().state == air::AIR_ITV_RUN;
                                                 },
                                                 20000);
                if (!onAir) state.SkipWithError("the picture did not go on air");
                std::mt19937 random(7);
                const int votes = int(state.range(0));
                for (auto _ : state) {
                    for (int i = 0; i < votes && onAir; ++i) {
                        // A moment of the tick at random.
                        const auto wait = Clock::now() + std::chrono::milliseconds(random() % 500);
                        session.RunUntil([&] { return Clock::now() >= wait; }, 1000);
                        const auto t0 = Clock::now();
                        model.VoteButton(1 + i % 3);
                        Clock::time_point t1{}, t2{}, t3{};
                        int phase = 0;
                        session.RunUntil(
                            [&] {
                                const int st = frame.State().state;
                                if (phase == 0 && st == air::AIR_ITV_UPDATING) t1 = Clock::now(), phase = 1;
                                if (phase == 1 && st == air::AIR_ITV_FLIPPING) t2 = Clock::now(), phase = 2;
                                if (phase == 2 && st == air::AIR_ITV_RUN) t3 = Clock::now(), phase = 3;
                                return phase == 3;
                            },
                            5000);
                        if (phase != 3) {
                            state.SkipWithError("no flip after a vote");
                            break;
                        }
                        total.push_back(Ms(t3 - t0));
                        toTick.push_back(Ms(t1 - t0));
                        loading.push_back(Ms(t2 - t1));
                        flip.push_back(Ms(t3 - t2));
                    }
                }
                model.Stop();
            }
        }
        theApp.StopHardware();
    }
    ktgsim::UnregisterEmbeddedDevice();
    state.counters["median_ms"] = Percentile(total, 0.5);
    state.counters["worst_ms"] = total.empty() ? 0 : *std::max_element(total.begin(), total.end());
    state.counters["to_tick_median_ms"] = Percentile(toTick, 0.5);
    state.counters["to_tick_worst_ms"] = toTick.empty() ? 0 : *std::max_element(toTick.begin(), toTick.end());
    state.counters["loading_median_ms"] = Percentile(loading, 0.5);
    state.counters["loading_worst_ms"] = loading.empty() ? 0 : *std::max_element(loading.begin(), loading.end());
    state.counters["flip_median_ms"] = Percentile(flip, 0.5);
    state.counters["flip_worst_ms"] = flip.empty() ? 0 : *std::max_element(flip.begin(), flip.end());
}
BENCHMARK(BM_ItvVoteToDevice)->Arg(40)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
