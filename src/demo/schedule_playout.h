// Headless Automation mode: the schedule and the air session on an event loop in the loop
// clock's local time (a scaled clock may start it at another day and time), the Device's keys
// pressed at given times, and every cue, play, stop, miss, Device reply and air-log line printed
// as it comes, with pictures of the program output at each state change.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "demo/playout.h"

namespace air {
class AirClock;
class AirRemote;
}  // namespace air

namespace demo {

// A key of the Device pressed at a local time (civil seconds).
struct SchedulePress {
    int code = 0;
    int64_t at = 0;
};

struct SchedulePlayOptions {
    uint32_t durationMs = 60000;  // local time the run lasts after the Device is ready
    std::vector<SchedulePress> presses;
    std::string snapshots;  // folder for the program-output pictures; "" = none
    uint32_t linkWaitMs = 20000;
    const std::atomic<bool>* interrupted = nullptr;
};

struct ScheduleSummary {
    int due = 0;  // play occurrences within the run
    int played = 0;
    int missed = 0;
    int late = 0;
    int stopped = 0;
    int items = 0;    // item keys that cued their binding
    int refused = 0;  // item keys answered "nothing to play"
};

class CSchedulePlayout {
public:
    CSchedulePlayout(app::CZentrixApp& app, device::CEngine& engine, pages::CFontManager& fonts,
                     platform::EventLoop& loop, std::ostream& out);
    ~CSchedulePlayout();
    CSchedulePlayout(const CSchedulePlayout&) = delete;
    CSchedulePlayout& operator=(const CSchedulePlayout&) = delete;

    void setGrabber(OutputGrabber grabber) { grabber_ = std::move(grabber); }
    void setClock(air::AirClock* clock) { clock_ = clock; }
    void setRemote(air::AirRemote* remote) { remote_ = remote; }
    // Presses a key of the Device (its request code); false with the reason.
    void setPresser(std::function<bool(int, std::string&)> press) { press_ = std::move(press); }
    // What the Device's display shows (the program's last reply), -1 when it cannot be read.
    void setReplyReader(std::function<int()> read) { readReply_ = std::move(read); }

    // A PlayStatus, with the reason in error (a file or link error, an interruption).
    int Run(const SchedulePlayOptions& options, std::string& error);

    const ScheduleSummary& summary() const { return summary_; }
    const std::vector<std::string>& snapshotFiles() const { return snapshotFiles_; }

private:
    app::CZentrixApp& app_;
    device::CEngine& engine_;
    pages::CFontManager& fonts_;
    platform::EventLoop& loop_;
    std::ostream& out_;
    OutputGrabber grabber_;
    air::AirClock* clock_ = nullptr;
    air::AirRemote* remote_ = nullptr;
    std::function<bool(int, std::string&)> press_;
    std::function<int()> readReply_;
    ScheduleSummary summary_;
    std::vector<std::string> snapshotFiles_;
};

}  // namespace demo
