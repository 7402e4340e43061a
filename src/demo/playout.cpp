#include "demo/playout.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "air/air_frame.h"
#include "air/air_session.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "demo/snapshot_writer.h"
#include "device/engine.h"
#include "device/link_errors.h"
#include "pages/file_result.h"
#include "pages/png_io.h"
#include "platform/event_loop.h"
#include "platform/files.h"

namespace demo {

namespace {

// The players' and the switcher's traffic, printed as it goes, with the time of the playout.
class Traffic {
public:
    Traffic(std::ostream& out, const platform::Clock& clock) : out_(out), clock_(clock), t0_(clock.ticks()) {}
    void restart() { t0_ = clock_.ticks(); }
    std::ostream& line() {
        char when[32];
        std::snprintf(when, sizeof when, "%7.1f s", double(clock_.ticks() - t0_) / 1000.0);
        return out_ << when << "  ";
    }

private:
    std::ostream& out_;
    const platform::Clock& clock_;
    uint32_t t0_;
};

class TracedVideo final : public air::AirVideo {
public:
    TracedVideo(air::AirVideo& video, Traffic& traffic) : v_(video), t_(traffic) {}
    void SetOwner(platform::MessageTarget* owner) override { v_.SetOwner(owner); }
    bool CreateProcess(int boards) override {
        const bool ok = v_.CreateProcess(boards);
        t_.line() << "players: " << boards << (ok ? " started" : " did not start") << std::endl;
        return ok;
    }
    int Send(int board, int command, const std::string& file) override {
        const int reply = v_.Send(board, command, file);
        // The playlist's "does it hold a clip" questions are not news.
        if (command != air::VIDEO_QUERY)
            t_.line() << "player " << board + 1 << " <- " << command << (file.empty() ? "" : " ")
                      << platform::FileNameOf(file) << (reply ? "" : "  (failed)") << std::endl;
        return reply;
    }
    void StopAll() override { v_.StopAll(); }
    void CloseAll() override { v_.CloseAll(); }
    int Notify(uintptr_t window, int report) override {
        const int board = v_.Notify(window, report);
        if (board >= 0)
            t_.line() << "player " << board + 1 << " -> " << (report == 0 ? "started" : "stopped") << std::endl;
        return board;
    }
    bool Playing(int board) const override { return v_.Playing(board); }
    uint32_t ClipLength(const std::string& file) override { return v_.ClipLength(file); }

private:
    air::AirVideo& v_;
    Traffic& t_;
};

class TracedRemote final : public air::AirRemote {
public:
    TracedRemote(air::AirRemote& remote, Traffic& traffic) : r_(remote), t_(traffic) {}
    int Seize(bool logoOff) override {
        const int e = r_.Seize(logoOff);
        t_.line() << "switcher: seize" << (logoOff ? " (logo off)" : "") << (e ? " failed " + std::to_string(e) : "")
                  << std::endl;
        return e;
    }
    int SendCmd(int action, const std::string& button) override {
        const int reply = r_.SendCmd(action, button);
        static const char* const kActions[] = {"push", "on", "off", "query"};
        t_.line() << "switcher: " << kActions[action & 3] << " " << button << (reply ? "" : "  (failed)") << std::endl;
        return reply;
    }
    void Restore(bool cutFirst, int input) override {
        r_.Restore(cutFirst, input);
        t_.line() << "switcher: restore" << (cutFirst ? " with a cut" : "") << std::endl;
    }
    void RearmError() override { r_.RearmError(); }
    std::vector<std::string> SourceNames() const override { return r_.SourceNames(); }
    int RunScript(const std::string& path) override {
        const int n = r_.RunScript(path);
        t_.line() << "switcher: run " << platform::FileNameOf(path) << (n ? "" : "  (failed)") << std::endl;
        return n;
    }

private:
    air::AirRemote& r_;
    Traffic& t_;
};

bool isVideoPlaylist(const std::string& file) {
    return platform::EqualsNoCase(platform::ExtensionOfPath(file), ".vid") ||
           platform::EqualsNoCase(platform::ExtensionOfPath(file), ".zxp");
}

}  // namespace

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

AirLogTail::AirLogTail(std::string path) : path_(std::move(path)) {
    std::vector<uint8_t> data;
    if (platform::ReadFile(path_, data)) offset_ = data.size();
}

void AirLogTail::print(std::ostream& out) {
    std::vector<uint8_t> data;
    if (!platform::ReadFile(path_, data)) return;
    if (data.size() < offset_) offset_ = 0;  // started anew
    size_t start = offset_;
    for (size_t i = offset_; i < data.size(); ++i)
        if (data[i] == '\n') {
            std::string line(data.begin() + long(start), data.begin() + long(i));
            if (!line.empty() && line.back() == '\r') line.pop_back();
            out << "air log: " << line << "\n";
            start = i + 1;
        }
    offset_ = start;
}

CPlayout::CPlayout(app::CZentrixApp& app, device::CEngine& engine, pages::CFontManager& fonts,
                   platform::EventLoop& loop, std::ostream& out)
    : app_(app), engine_(engine), fonts_(fonts), loop_(loop), out_(out) {}

CPlayout::~CPlayout() = default;

int CPlayout::Run(const PlayOptions& o, std::string& error) {
    snapshotFiles_.clear();
    states_.clear();
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

    // Declared before the session: what the session's observers write must outlive it.
    int linkError = 0;
    air::AirObjects objects;
    objects.clock = clock_;
    objects.banner = banner_;
    objects.remote = remote_;
    Traffic traffic(out_, loop_.clock());
    std::unique_ptr<TracedVideo> tracedVideo;
    std::unique_ptr<TracedRemote> tracedRemote;
    if (video_) {
        tracedVideo = std::make_unique<TracedVideo>(*video_, traffic);
        objects.video = tracedVideo.get();
        objects.playlist = playlist_;
        if (remote_) {
            tracedRemote = std::make_unique<TracedRemote>(*remote_, traffic);
            objects.remote = tracedRemote.get();
        }
    }
    air::CAirSession session(app_, engine_, fonts_, loop_, objects);
    session.SetVideo(o.videoPlaylist, o.videoFile, o.videoLoop);
    air::CAirFrame& frame = session.frame();
    session.setEngineObserver([&](int code, int value) {
        if (code == device::NOTE_LINK_ERROR || code == device::NOTE_COMMAND_ERROR) linkError = value;
    });

    const int cued = o.cue ? 0 : session.Cue(o.file);
    if (cued != 0 && cued != air::SEQ_MISSING_PAGES) {
        error = OneLine(app::FileResultText(cued, o.file));
        return PLAY_FILE_ERROR;
    }
    if (cued == air::SEQ_MISSING_PAGES) out_ << "warning: " << OneLine(app::FileResultText(cued, o.file)) << "\n";
    const bool isSequence = !o.cue && platform::EqualsNoCase(platform::ExtensionOfPath(o.file), ".zxs");
    const bool isClock = platform::EqualsNoCase(platform::ExtensionOfPath(o.file), ".zck");
    const bool isBanner = platform::EqualsNoCase(platform::ExtensionOfPath(o.file), ".zxa");
    if (o.cue) {
        out_ << "title " << o.file << "\n";
    } else if (isClock) {
        out_ << "clock " << o.file << "\n";
    } else if (isBanner && banner_) {
        out_ << "banner " << o.file << ": " << banner_->TotalMs() / banner_->FramePeriodMs() << " frames, "
             << banner_->FramePeriodMs() << " ms each" << (banner_->Loop() ? ", looping" : "") << "\n";
    } else if (isSequence) {
        air::CSeqDoc& seq = session.sequence();
        seq.ComputeTotal(0);
        out_ << "sequence " << o.file << ": " << seq.count() << " pages, " << seq.checkedCount << " to play, "
             << seq.totalTime << " s" << (seq.loop ? ", looping" : "") << "\n";
    } else if (platform::EqualsNoCase(platform::ExtensionOfPath(o.file), ".mpg")) {
        out_ << "clip " << o.file << (o.videoLoop ? ", looping" : "") << "\n";
    } else if (isVideoPlaylist(o.file)) {
        out_ << "video playlist " << o.file << "\n";
    } else {
        out_ << "page " << o.file << "\n";
    }
    if (o.videoPlaylist && !isVideoPlaylist(o.file)) out_ << "with the video playlist\n";
    else if (!o.videoFile.empty()) out_ << "with the clip " << o.videoFile << (o.videoLoop ? ", looping" : "") << "\n";

    AirLogTail airLog(frame.airLog().path());
    if (!app_.settings().airLog) out_ << "(the air log is off: [Start] AirLog=0)\n";

    session.Open();
    if (o.cue) {
        const bool up = session.RunUntil(
            [&] {
                const air::AirFrameState fs = frame.State();
                return linkError != 0 || (o.interrupted && o.interrupted->load()) ||
                       (fs.linkUp && (fs.state == air::AIR_IDLE || fs.state == air::AIR_CUED));
            },
            o.keepGoing ? UINT32_MAX : o.linkWaitMs);
        if (up && !linkError && !(o.interrupted && o.interrupted->load())) {
            std::string why;
            if (const int code = o.cue(frame, why); code != 0) {
                error = why.empty() ? OneLine(app::FileResultText(code, o.file)) : why;
                return PLAY_FILE_ERROR;
            }
        }
    }
    // With keep-going the first link-up is waited for as long as it takes, like every later one.
    const bool ready = session.RunUntil(
        [&] {
            if (o.interrupted && o.interrupted->load()) return true;
            if (linkError && o.keepGoing) linkError = 0;
            return linkError != 0 || (frame.State().linkUp && frame.State().state == air::AIR_CUED);
        },
        o.keepGoing ? UINT32_MAX : o.linkWaitMs);
    if (o.interrupted && o.interrupted->load()) {
        error = "interrupted before the playout began";
        return PLAY_INTERRUPTED;
    }
    if (linkError || !ready) {
        error = linkError ? "link error " + std::to_string(linkError) + ": " + OneLine(device::LinkErrorText(linkError))
                          : (frame.State().linkUp ? "nothing could be cued" : "the Device did not answer");
        return PLAY_LINK_ERROR;
    }

    platform::Clock& clock = loop_.clock();
    const uint32_t t0 = clock.ticks();
    traffic.restart();
    uint32_t lastPeriodic = t0;
    int32_t lastState = -1;
    int lastIn = -1;
    int loopsDone = 0;
    bool leftCue = false;
    uint32_t onAirSince = 0;
    bool stopped = false;         // the duration ran out
    int lastShown = -1;           // the clock's second pictured last
    bool waitingForLink = false;  // keep-going: the link broke, the playout starts again once cued
    interruptions_ = 0;
    auto lastTail = std::chrono::steady_clock::now();

    auto snapshot = [&](const std::string& why) {
        if (!writer || !grabber_) return;
        pages::CBitmap32 pic;
        if (!grabber_(pic)) return;
        char name[64];
        std::snprintf(name, sizeof name, "%04zu-%s.png", snapshotFiles_.size() + 1, why.c_str());
        snapshotFiles_.push_back(name);
        writer->put(snapDir + name, std::move(pic));
    };
    // A banner changes state twice a frame: it is told once, and pictured once a second.
    auto isBannerState = [](int32_t st) { return st == air::AIR_BANNER_LOADING || st == air::AIR_BANNER_SHOWING; };
    auto isClockState = [](int32_t st) {
        return st == air::AIR_CLOCK_RUN || st == air::AIR_CLOCK_LOADING || st == air::AIR_CLOCK_FLIPPING;
    };
    auto note = [&](int32_t st) {
        char when[32];
        std::snprintf(when, sizeof when, "%7.1f s", (clock.ticks() - t0) / 1000.0);
        out_ << when << "  " << air::AirStateName(st);
        if (st != air::AIR_CUED && st != air::AIR_IDLE) {
            if (isSequence) out_ << "  " << frame.State().current + 1 << "/" << session.sequence().count();
            if (!frame.State().pageName.empty()) out_ << "  " << platform::FileNameOf(frame.State().pageName);
        }
        out_ << std::endl;
    };

    // A looping banner keeps looping only for a --duration run: on its own it would never end.
    if (o.loops <= 1 && !(isBanner && o.durationMs)) frame.SetLoop(false);
    out_ << "play" << std::endl;
    frame.OnPlay();
    const bool done = session.RunUntil(
        [&] {
            if (o.interrupted && o.interrupted->load()) return true;
            if (linkError) {
                if (!o.keepGoing) return true;
                // The frame has stopped and waits for the link as it does on air; the playout that
                // broke does not count, the next one starts from the cue.
                out_ << "link error " << linkError << ": " << OneLine(device::LinkErrorText(linkError))
                     << "; interruption " << ++interruptions_ << ", waiting for the Device" << std::endl;
                LogMessage("CPlayout::Run: link error %d, interruption %d", linkError, interruptions_);
                linkError = 0;
                waitingForLink = true;
                leftCue = false;
                lastIn = -1;
            }
            air::AirFrameState fs = frame.State();
            int32_t st = fs.state;
            const uint32_t now = clock.ticks();
            if (waitingForLink) {
                if (!fs.linkUp || st != air::AIR_CUED) return false;
                waitingForLink = false;
                lastState = st;
                states_.push_back(st);
                note(st);
                out_ << "play" << std::endl;
                frame.OnPlay();
                return false;
            }
            if (o.durationMs && !stopped && frame.IsOnAir()) {
                if (!onAirSince) onAirSince = now;
                if (now - onAirSince >= o.durationMs) {
                    stopped = true;
                    out_ << "stop after " << o.durationMs / 1000.0 << " s on air" << std::endl;
                    frame.OnStop();
                    // The Cut may already have reached the Device: what follows goes by the state
                    // after the Stop, never by a picture of the banner taken once it was cut.
                    fs = frame.State();
                    st = fs.state;
                }
            }
            if (isClockState(st) && isClockState(lastState)) {
                // A clock changes state three times a second; what counts is each second it shows,
                // once its flip has finished.
                if (st != air::AIR_CLOCK_FLIPPING && fs.clockShown >= 0 && fs.clockShown != lastShown) {
                    lastShown = fs.clockShown;
                    char shown[32];
                    std::snprintf(shown, sizeof shown, "%d-%02d-%02d", fs.clockShown / 3600 % 24,
                                  fs.clockShown / 60 % 60, fs.clockShown % 60);
                    std::string text = fs.elapsedText;
                    while (!text.empty() && text.back() == ' ') text.pop_back();
                    char when[32];
                    std::snprintf(when, sizeof when, "%7.1f s", (now - t0) / 1000.0);
                    out_ << when << "  clock " << text << std::endl;
                    snapshot(std::string("clock-") + shown);
                }
                lastState = st;
            } else if (isBannerState(st) && isBannerState(lastState)) {
                lastState = st;
                if (now - lastPeriodic >= 1000) {
                    lastPeriodic = now;
                    if (writer && writer->backlog() < 8) snapshot("banner");
                }
            } else if (st != lastState) {
                lastState = st;
                states_.push_back(st);
                note(st);
                snapshot(air::AirStateName(st));
                lastPeriodic = now;
                if (st != air::AIR_CUED) leftCue = true;
                // A looping list counts a playout each time it comes back to an earlier page; in
                // its last one it stops looping, so that it runs out after its last page.
                if (st == air::AIR_IN_EFFECT) {
                    if (lastIn >= 0 && frame.State().current < lastIn) {
                        out_ << "playout " << ++loopsDone << " done" << std::endl;
                        if (loopsDone + 1 >= o.loops) frame.SetLoop(false);
                    }
                    lastIn = frame.State().current;
                }
                if (st == air::AIR_CUED && leftCue) {
                    out_ << "playout " << ++loopsDone << " done" << std::endl;
                    if (loopsDone >= o.loops || stopped) return true;
                    leftCue = false;
                    lastIn = -1;
                    out_ << "play" << std::endl;
                    frame.OnPlay();
                }
            } else if (now - lastPeriodic >= 1000 && !isClockState(st)) {
                lastPeriodic = now;
                // A slow disk drops the periodic pictures, never the playout's pace.
                if (writer && writer->backlog() < 8) snapshot(air::AirStateName(st));
            }
            if (std::chrono::steady_clock::now() - lastTail >= std::chrono::milliseconds(200)) {
                lastTail = std::chrono::steady_clock::now();
                airLog.print(out_);
            }
            return false;
        },
        UINT32_MAX);
    if (o.keepGoing && interruptions_ > 0)
        out_ << interruptions_ << (interruptions_ == 1 ? " interruption" : " interruptions") << ", " << loopsDone
             << " playouts done" << std::endl;
    airLog.print(out_);
    if (writer) {
        const std::string failed = writer->finish();
        if (!failed.empty()) {
            error = "cannot write " + failed;
            return PLAY_OUTPUT_ERROR;
        }
        out_ << snapshotFiles_.size() << " snapshots in " << o.snapshots << "\n";
    }
    if (o.interrupted && o.interrupted->load()) {
        error = "interrupted after " + std::to_string(loopsDone) + " of " + std::to_string(o.loops) + " playouts";
        return PLAY_INTERRUPTED;
    }
    if (linkError || !done) {
        error = "link error " + std::to_string(linkError) + ": " + OneLine(device::LinkErrorText(linkError));
        return PLAY_LINK_ERROR;
    }
    LogMessage("CPlayout::Run %s: %d playouts", o.file.c_str(), loopsDone);
    return PLAY_OK;
}

}  // namespace demo
