#include "demo/playout.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

#include "air/air_frame.h"
#include "air/air_session.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "device/engine.h"
#include "device/link_errors.h"
#include "pages/file_result.h"
#include "pages/png_io.h"
#include "platform/event_loop.h"
#include "platform/files.h"

namespace demo {

namespace {

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

// The air log is appended by the frame; the lines that arrived since the last look.
class AirLogTail {
public:
    explicit AirLogTail(std::string path) : path_(std::move(path)) {
        std::vector<uint8_t> data;
        if (platform::ReadFile(path_, data)) offset_ = data.size();
    }
    void print(std::ostream& out) {
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

private:
    std::string path_;
    size_t offset_ = 0;
};

}  // namespace

// Encodes and saves pictures away from the loop, so that the playout keeps its pace.
class CPlayout::Writer {
public:
    Writer() : thread_([this] { run(); }) {}
    ~Writer() {
        {
            std::lock_guard lock(m_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    void put(std::string path, pages::CBitmap32 picture) {
        {
            std::lock_guard lock(m_);
            queue_.push_back({std::move(path), std::move(picture)});
        }
        cv_.notify_all();
    }
    size_t backlog() {
        std::lock_guard lock(m_);
        return queue_.size() + (busy_ ? 1 : 0);
    }
    // Waits until everything is written; the first file that failed, or "".
    std::string finish() {
        std::unique_lock lock(m_);
        cv_.wait(lock, [&] { return queue_.empty() && !busy_; });
        return failed_;
    }

private:
    struct Job {
        std::string path;
        pages::CBitmap32 picture;
    };
    void run() {
        std::unique_lock lock(m_);
        for (;;) {
            cv_.wait(lock, [&] { return stop_ || !queue_.empty(); });
            if (queue_.empty()) return;
            Job job = std::move(queue_.front());
            queue_.pop_front();
            busy_ = true;
            lock.unlock();
            const bool ok = pages::WritePng(job.path, job.picture);
            lock.lock();
            busy_ = false;
            if (!ok && failed_.empty()) failed_ = job.path;
            cv_.notify_all();
        }
    }

    std::mutex m_;
    std::condition_variable cv_;
    std::deque<Job> queue_;
    bool busy_ = false;
    bool stop_ = false;
    std::string failed_;
    std::thread thread_;
};

std::string AirStateName(int32_t state) {
    switch (state) {
        case air::AIR_IDLE: return "idle";
        case air::AIR_PREPARED: return "prepared";
        case air::AIR_COPYING: return "loading";
        case air::AIR_CUED: return "cued";
        case air::AIR_WAIT_IN: return "wait-in";
        case air::AIR_IN_EFFECT: return "in-effect";
        case air::AIR_SCROLL_PENDING: return "scroll-pending";
        case air::AIR_SCROLLING: return "scrolling";
        case air::AIR_SCROLL_HOLD: return "scroll-hold";
        case air::AIR_END_SCROLLING: return "end-scrolling";
        case air::AIR_WAIT_OUT: return "on-air";
        case air::AIR_OUT_EFFECT: return "out-effect";
        case air::AIR_STOPPING: return "stopping";
        case air::AIR_CLOCK_RUN: return "clock";
        case air::AIR_CLOCK_LOADING: return "clock-loading";
        case air::AIR_CLOCK_FLIPPING: return "clock-flipping";
        default: return "state-" + std::to_string(state);
    }
}

CPlayout::CPlayout(app::CZentrixApp& app, device::CEngine& engine, pages::CFontManager& fonts,
                   platform::EventLoop& loop, std::ostream& out)
    : app_(app), engine_(engine), fonts_(fonts), loop_(loop), out_(out) {}

CPlayout::~CPlayout() = default;

int CPlayout::Run(const PlayOptions& o, std::string& error) {
    snapshotFiles_.clear();
    states_.clear();
    std::unique_ptr<Writer> writer;
    std::string snapDir;
    if (!o.snapshots.empty()) {
        snapDir = app::WithSlash(o.snapshots);
        if (!platform::MakeDirectories(snapDir)) {
            error = "cannot create the snapshots folder " + o.snapshots;
            return PLAY_OUTPUT_ERROR;
        }
        writer = std::make_unique<Writer>();
    }

    // Declared before the session: what the session's observers write must outlive it.
    int linkError = 0;
    air::AirObjects objects;
    objects.clock = clock_;
    objects.remote = remote_;
    air::CAirSession session(app_, engine_, fonts_, loop_, objects);
    air::CAirFrame& frame = session.frame();
    session.setEngineObserver([&](int code, int value) {
        if (code == device::NOTE_LINK_ERROR || code == device::NOTE_COMMAND_ERROR) linkError = value;
    });

    const int cued = session.Cue(o.file);
    if (cued != 0 && cued != air::SEQ_MISSING_PAGES) {
        error = OneLine(app::FileResultText(cued, o.file));
        return PLAY_FILE_ERROR;
    }
    if (cued == air::SEQ_MISSING_PAGES) out_ << "warning: " << OneLine(app::FileResultText(cued, o.file)) << "\n";
    const bool isSequence = platform::EqualsNoCase(platform::ExtensionOfPath(o.file), ".zxs");
    const bool isClock = platform::EqualsNoCase(platform::ExtensionOfPath(o.file), ".zck");
    if (isClock) {
        out_ << "clock " << o.file << "\n";
    } else if (isSequence) {
        air::CSeqDoc& seq = session.sequence();
        seq.ComputeTotal(0);
        out_ << "sequence " << o.file << ": " << seq.count() << " pages, " << seq.checkedCount << " to play, "
             << seq.totalTime << " s" << (seq.loop ? ", looping" : "") << "\n";
    } else {
        out_ << "page " << o.file << "\n";
    }

    AirLogTail airLog(frame.airLog().path());
    if (!app_.settings().airLog) out_ << "(the air log is off: [Start] AirLog=0)\n";

    session.Open();
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
    auto isClockState = [](int32_t st) {
        return st == air::AIR_CLOCK_RUN || st == air::AIR_CLOCK_LOADING || st == air::AIR_CLOCK_FLIPPING;
    };
    auto note = [&](int32_t st) {
        char when[32];
        std::snprintf(when, sizeof when, "%7.1f s", (clock.ticks() - t0) / 1000.0);
        out_ << when << "  " << AirStateName(st);
        if (st != air::AIR_CUED && st != air::AIR_IDLE) {
            if (isSequence) out_ << "  " << frame.State().current + 1 << "/" << session.sequence().count();
            if (!frame.State().pageName.empty()) out_ << "  " << platform::FileNameOf(frame.State().pageName);
        }
        out_ << std::endl;
    };

    if (o.loops <= 1) frame.SetLoop(false);
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
            const air::AirFrameState fs = frame.State();
            const int32_t st = fs.state;
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
            } else if (st != lastState) {
                lastState = st;
                states_.push_back(st);
                note(st);
                snapshot(AirStateName(st));
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
                if (writer && writer->backlog() < 8) snapshot(AirStateName(st));
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
