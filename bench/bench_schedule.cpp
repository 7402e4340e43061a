// Automation mode over a whole day in simulated time: 300 events (daily plays and stops, some
// once only, one at midnight, one at half past two in the Europe/Berlin night the clocks go back)
// through the real air frame against a Device that finishes every command at once. Counts what
// was due, played, missed and played twice (all but "due" should be what the schedule says: no
// misses, nothing twice), and how late in its second the latest Play came.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "air/air_frame.h"
#include "air/air_session.h"
#include "air/auto_event.h"
#include "air/block_schedule.h"
#include "air/seq_doc.h"
#include "air_commands.h"
#include "app/zentrix_app.h"
#include "demo/demo_root.h"
#include "demo/schedule_playout.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "ktgsim/embedded.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "platform/event_loop.h"
#include "platform/files.h"

namespace {

constexpr int kPlays = 150;
constexpr int kSpacing = 86400 / kPlays;  // 576 s between plays; each stop 120 s after its play

// The 300 events, from the midnight play on: every tenth play is once only, on the 26th.
std::vector<air::AutoEvent> DayEvents(const std::string& sequence) {
    std::vector<air::AutoEvent> events;
    for (int k = 0; k < kPlays; ++k) {
        int t = k * kSpacing;
        if (k == 16) t = 2 * 3600 + 30 * 60;  // 02:30:00, twice on the clock that night
        air::AutoEvent e;
        e.hour = uint16_t(t / 3600);
        e.minute = uint8_t(t / 60 % 60);
        e.second = uint8_t(t % 60);
        e.weekdays = 127;
        e.active = 1;
        e.fileName = sequence;
        if (k % 10 == 5) {
            e.onceOnly = 1;
            e.year = 2025;
            e.month = 10;
            e.day = 26;
        }
        events.push_back(e);
        air::AutoEvent stop = e;
        stop.active = 0;
        stop.fileName.clear();
        const int s = t + 120;
        stop.hour = uint16_t(s / 3600);
        stop.minute = uint8_t(s / 60 % 60);
        stop.second = uint8_t(s % 60);
        events.push_back(stop);
    }
    return events;
}

struct Day {
    std::string dir = platform::RuntimeDir() + "zx_bench_schedule/";
    pages::CFontManager fonts;

    Day() {
        platform::MakeDirectories(dir + "Pages");
        platform::MakeDirectories(dir + "Sequences");
        platform::WriteFileAtomic(dir + "ZENTRIX.INI", std::string("[Hardware]\nModel=1\n"));
        app::CZentrixApp app;
        app.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", dir}));
        pages::CPageDoc doc(fonts);
        pages::CPageImage img;
        img.thumbnail.create(pages::THUMB_WIDTH, pages::THUMB_HEIGHT);
        img.device.stillSize = 829442;
        img.data.assign(829442, 0x5A);
        doc.Save(dir + "Pages/p.zxg", img);
        platform::ManualClock clock;
        air::CSeqDoc seq(app.folders(), clock);
        air::ShowParams p;
        p.showTime = 20;
        seq.AppendPage(dir + "Pages/p.zxg", p);
        seq.SaveSequence(dir + "Sequences/s.zxs");
        air::SaveEventFile(dir + "schedule.dat", DayEvents("Sequences/s.zxs"));
    }
};

struct Zone {
    std::string old;
    Zone() {
        if (const char* tz = std::getenv("TZ")) old = tz;
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
    }
    ~Zone() {
        if (old.empty()) unsetenv("TZ");
        else setenv("TZ", old.c_str(), 1);
        tzset();
    }
};

}  // namespace

static void BM_ScheduleDay(benchmark::State& state) {
    Zone berlin;
    Day day;
    // 2025-10-25 23:58:00 CEST, to 2025-10-26 23:58:00 CET: 25 hours of the PC's clock.
    const time_t start = 1761429480;
    const uint32_t runMs = 25 * 3600 * 1000u;
    int64_t due = 0, played = 0, missed = 0, twice = 0, latestMs = 0;
    for (auto _ : state) {
        platform::ManualClock clock(1000, start);
        platform::EventLoop loop(clock);
        app::CZentrixApp app;
        app.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", day.dir}));
        pages::CPageDoc page(day.fonts, &clock);
        pages::CPageImage image;
        air::CSeqDoc shared(app.folders(), clock);
        zxbench::NullCommands commands;
        air::AirObjects o;
        o.page = &page;
        o.pageImage = &image;
        o.sequence = &shared;
        air::CAirFrame frame(app, commands, loop, clock, o);
        air::CBlockSchedule schedule(app, frame, loop, clock, o);
        frame.setView(&schedule.viewTarget());
        std::set<std::pair<int, int64_t>> seen;  // (event, occurrence) played
        schedule.setReporter([&](const std::string& line) {
            if (line.rfind("play", 0) != 0) return;
            const int64_t occurrence = schedule.startTime();
            const platform::LocalTime now = clock.localTime();
            if (air::CivilSeconds(now) == occurrence) latestMs = std::max<int64_t>(latestMs, now.millisecond);
            else latestMs = std::max<int64_t>(latestMs, 1000 * (air::CivilSeconds(now) - occurrence) + now.millisecond);
            if (!seen.insert({std::atoi(line.c_str() + 6), occurrence}).second) ++twice;
        });
        frame.OpenAir(true);
        frame.OnEngine(device::NOTE_LINK_UP, 0);
        uint16_t finished = 0;
        auto pump = [&] {
            while (commands.last() != finished) {
                finished = commands.last();
                frame.OnEngine(device::NOTE_FINISHED, 0, finished);
            }
        };
        pump();
        schedule.Load();
        const int64_t from = air::CivilSeconds(clock.localTime());
        schedule.Start();
        // The Device finishes what it was given by the next look, a fifth of a second on.
        for (uint32_t t = 0; t < runMs; t += 200) {
            loop.advance(200);
            pump();
        }
        const int64_t to = air::CivilSeconds(clock.localTime());
        due = 0;
        for (const air::Occurrence& oc : schedule.Upcoming(from, -1)) due += oc.play && oc.civil < to;
        played = schedule.counters().played;
        missed = schedule.counters().missed;
    }
    state.counters["due"] = double(due);
    state.counters["played"] = double(played);
    state.counters["missed"] = double(missed);
    state.counters["twice"] = double(twice);
    state.counters["latest_play_ms"] = double(latestMs);
}
BENCHMARK(BM_ScheduleDay)->Unit(benchmark::kSecond)->Iterations(1);

// The same day through the real air frame on the embedded virtual Device, in scaled time: the
// Device, the engine, the frame and the schedule all 144 times faster (a day in ten minutes), on
// the demo's News loop. The argument is the hours of the day to run from 23:58 on the 25th (3:
// midnight and the night the clocks go back); 25 runs the whole day.
static void BM_ScheduleDaySoak(benchmark::State& state) {
    Zone berlin;
    constexpr double kScale = 144;
    char name[] = "/tmp/zx-bench-schedule-XXXXXX";
    const char* made = mkdtemp(name);
    if (!made) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string root = std::string(made) + "/";
    demo::DemoResult result;
    std::string error;
    if (!demo::MakeDemoRoot(root, {}, result, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    air::SaveEventFile(root + "schedule.dat", DayEvents(demo::kNewsSequence));
    demo::ScheduleSummary summary;
    for (auto _ : state) {
        ktgsim::EmbeddedOptions eo;
        eo.timeScale = kScale;
        ktgsim::RegisterEmbeddedDevice(std::move(eo));
        {
            app::CZentrixApp app;
            app.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", root}));
            app.profile().beginBatch();
            air::ScaledClock clock(kScale, int64_t(1761429480) * 1000);
            device::CEngine engine{device::CEngine::Options{&clock, device::kStopWaitMs, false}};
            app.setDeviceLink(&engine);
            device::NetSetLockFolder(root);
            app.StartHardware();
            pages::CFontManager fonts;
            fonts.setFolder(app.GetPath(app::FOLDER_FONTS));
            fonts.Enumerate();
            platform::EventLoop loop(clock);
            std::ostringstream out;
            demo::CSchedulePlayout playout(app, engine, fonts, loop, out);
            demo::SchedulePlayOptions o;
            o.durationMs = uint32_t(state.range(0)) * 3600 * 1000;
            if (playout.Run(o, error) != demo::PLAY_OK) state.SkipWithError(error.c_str());
            summary = playout.summary();
            app.StopHardware();
        }
        ktgsim::UnregisterEmbeddedDevice();
    }
    state.counters["due"] = double(summary.due);
    state.counters["played"] = double(summary.played);
    state.counters["missed"] = double(summary.missed);
    state.counters["late"] = double(summary.late);
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_ScheduleDaySoak)->Arg(3)->Unit(benchmark::kSecond)->Iterations(1);
