#include "demo/schedule_playout.h"

#include <cstdio>
#include <memory>

#include "air/air_frame.h"
#include "air/air_session.h"
#include "air/block_schedule.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "demo/snapshot_writer.h"
#include "device/engine.h"
#include "device/link_errors.h"
#include "pages/file_result.h"
#include "platform/event_loop.h"
#include "platform/files.h"

namespace demo {

CSchedulePlayout::CSchedulePlayout(app::CZentrixApp& app, device::CEngine& engine, pages::CFontManager& fonts,
                                   platform::EventLoop& loop, std::ostream& out)
    : app_(app), engine_(engine), fonts_(fonts), loop_(loop), out_(out) {}

CSchedulePlayout::~CSchedulePlayout() = default;

int CSchedulePlayout::Run(const SchedulePlayOptions& o, std::string& error) {
    summary_ = {};
    snapshotFiles_.clear();
    std::unique_ptr<CSnapshotWriter> writer;
    std::string snapDir;
    if (!o.snapshots.empty()) {
        snapDir = app::WithSlash(o.snapshots);
        if (!platform::MakeDirectories(snapDir)) {
            error = "cannot create the snapshots folder " + o.snapshots;
            return PLAY_OUTPUT_ERROR;
        }
        writer = std::make_unique<CSnapshotWriter>();
    }

    platform::Clock& clock = loop_.clock();
    auto when = [&] {
        const platform::LocalTime t = clock.localTime();
        char s[48];
        std::snprintf(s, sizeof s, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute,
                      t.second, t.millisecond);
        return std::string(s);
    };
    auto snapshot = [&](const std::string& why) {
        if (!writer || !grabber_) return;
        pages::CBitmap32 pic;
        if (!grabber_(pic)) return;
        char name[64];
        std::snprintf(name, sizeof name, "%04zu-%s.png", snapshotFiles_.size() + 1, why.c_str());
        snapshotFiles_.push_back(name);
        writer->put(snapDir + name, std::move(pic));
    };

    air::AirObjects objects;
    objects.clock = clock_;
    objects.remote = remote_;
    int linkError = 0;
    bool cuedOnce = false;
    air::CAirSession session(app_, engine_, fonts_, loop_, objects);
    air::CAirFrame& frame = session.frame();
    air::CBlockSchedule schedule(app_, frame, loop_, clock, objects);
    frame.setView(&schedule.viewTarget());
    session.setEngineObserver([&](int c, int value) {
        if (c == device::NOTE_LINK_ERROR || c == device::NOTE_COMMAND_ERROR) linkError = value;
    });
    schedule.setAirObserver([&](int c, intptr_t) {
        if (c == air::AIRNOTE_PREVIEW && frame.State().linkUp) cuedOnce = true;
    });
    schedule.setReporter([&](const std::string& line) { out_ << when() << "  " << line << std::endl; });
    const int code = schedule.Load();
    if (code != pages::FILE_OK) {
        error = OneLine(app::FileResultText(code, schedule.schedulePath() + " or " + schedule.bindsPath())) +
                " (the file was moved aside to .bad)";
        return PLAY_FILE_ERROR;
    }
    out_ << "schedule " << schedule.schedulePath() << ": " << schedule.events().size() << " events; "
         << schedule.bindingCount() << " item keys" << std::endl;

    session.Open(true);
    const bool ready = session.RunUntil(
        [&] { return (o.interrupted && o.interrupted->load()) || linkError != 0 || cuedOnce; }, o.linkWaitMs);
    if (o.interrupted && o.interrupted->load()) {
        error = "interrupted before the Device was ready";
        return PLAY_INTERRUPTED;
    }
    if (linkError || !ready) {
        error = linkError ? "link error " + std::to_string(linkError) + ": " + OneLine(device::LinkErrorText(linkError))
                          : "the Device did not answer";
        return PLAY_LINK_ERROR;
    }

    const int64_t start = air::CivilSeconds(clock.localTime());
    const int64_t end = start + int64_t(o.durationMs / 1000);
    for (const air::Occurrence& oc : schedule.Upcoming(start, -1))
        if (oc.play && oc.civil < end) ++summary_.due;
    out_ << when() << "  Automation mode from " << air::CivilText(start) << " to " << air::CivilText(end) << ", "
         << summary_.due << " play events due" << std::endl;
    schedule.Start();

    AirLogTail airLog(frame.airLog().path());
    if (!app_.settings().airLog) out_ << "(the air log is off: [Start] AirLog=0)\n";
    std::vector<bool> pressed(o.presses.size());
    int32_t lastState = -1;
    int lastReply = readReply_ ? readReply_() : -1;
    uint32_t lastLook = clock.ticks();
    session.RunUntil(
        [&] {
            if ((o.interrupted && o.interrupted->load()) || linkError) return true;
            const int64_t now = air::CivilSeconds(clock.localTime());
            for (size_t i = 0; i < o.presses.size(); ++i) {
                if (pressed[i] || now < o.presses[i].at) continue;
                pressed[i] = true;
                std::string why;
                const bool ok = press_ && press_(o.presses[i].code, why);
                out_ << when() << "  press " << o.presses[i].code << (ok ? "" : ": " + why) << std::endl;
            }
            int32_t st = frame.State().state;
            // A clock's loads and flips every second are one state here.
            if (st == air::AIR_CLOCK_LOADING || st == air::AIR_CLOCK_FLIPPING) st = air::AIR_CLOCK_RUN;
            if (st != lastState) {
                lastState = st;
                out_ << when() << "  " << air::AirStateName(st) << std::endl;
                snapshot(air::AirStateName(st));
            }
            if (clock.ticks() - lastLook >= 100) {
                lastLook = clock.ticks();
                airLog.print(out_);
                if (readReply_) {
                    const int r = readReply_();
                    if (r >= 0 && r != lastReply) {
                        out_ << when() << "  reply: the Device shows " << r << std::endl;
                        lastReply = r;
                    }
                }
            }
            return now >= end;
        },
        UINT32_MAX);
    airLog.print(out_);
    schedule.Stop();
    const air::ScheduleCounters& c = schedule.counters();
    summary_.played = c.played;
    summary_.missed = c.missed;
    summary_.late = c.late;
    summary_.stopped = c.stopped;
    summary_.items = c.items;
    summary_.refused = c.refused;
    if (writer) {
        const std::string failed = writer->finish();
        if (!failed.empty()) {
            error = "cannot write " + failed;
            return PLAY_OUTPUT_ERROR;
        }
        out_ << snapshotFiles_.size() << " snapshots in " << o.snapshots << "\n";
    }
    out_ << "summary: due " << summary_.due << ", played " << summary_.played << ", missed " << summary_.missed
         << ", late " << summary_.late << ", stopped " << summary_.stopped << ", item keys " << summary_.items
         << " cued, " << summary_.refused << " refused" << std::endl;
    LogMessage("CSchedulePlayout::Run: %d due, %d played, %d missed", summary_.due, summary_.played, summary_.missed);
    if (o.interrupted && o.interrupted->load()) {
        error = "interrupted";
        return PLAY_INTERRUPTED;
    }
    if (linkError) {
        error = "link error " + std::to_string(linkError) + ": " + OneLine(device::LinkErrorText(linkError));
        return PLAY_LINK_ERROR;
    }
    return PLAY_OK;
}

}  // namespace demo
