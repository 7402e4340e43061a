// Headless Captions mode: the captions model and the air session on an event loop, F2 pressed by
// the program itself for each caption in turn (in normal mode a gap after the caption went off,
// in fast mode every gap), every air state and every caption printed as it comes, and pictures of
// the Device's program output at each state change.
#pragma once

#include <atomic>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "demo/playout.h"

namespace air {
class CCaptions;
}

namespace demo {

struct CaptionPlayOptions {
    std::string page;       // the caption page (".zxg")
    std::string titles;     // the titles file
    int timeBase = -1;      // -1: the setting's
    int border = -1;        // -1: the setting's
    int fade = -1;          // -1: the setting's, else 0 / 1
    int fast = -1;          // -1: the setting's, else 0 / 1
    uint32_t gapMs = 1000;  // between a caption's end and the next F2; in fast mode between presses
    int first = 1;          // the caption shown first (1 = the list's first)
    int count = 0;          // captions to show; 0 = to the end of the list
    std::string snapshots;  // folder for the program-output pictures; "" = none
    uint32_t linkWaitMs = 20000;
    const std::atomic<bool>* interrupted = nullptr;
};

// A state the frame passed through and when (ms since the first F2, on the frame's clock).
struct CaptionStateChange {
    uint32_t ms = 0;
    int32_t state = 0;
};

class CCaptionPlayout {
public:
    CCaptionPlayout(app::CZentrixApp& app, device::CEngine& engine, pages::CFontManager& fonts,
                    platform::EventLoop& loop, std::ostream& out);
    ~CCaptionPlayout();
    CCaptionPlayout(const CCaptionPlayout&) = delete;
    CCaptionPlayout& operator=(const CCaptionPlayout&) = delete;

    void setGrabber(OutputGrabber grabber) { grabber_ = std::move(grabber); }

    // A PlayStatus, with the reason in error.
    int Run(const CaptionPlayOptions& options, std::string& error);

    const std::vector<std::string>& snapshotFiles() const { return snapshotFiles_; }
    const std::vector<CaptionStateChange>& states() const { return states_; }
    // The box the captions went into (left, top, right, bottom).
    const int* box() const { return box_; }

private:
    app::CZentrixApp& app_;
    device::CEngine& engine_;
    pages::CFontManager& fonts_;
    platform::EventLoop& loop_;
    std::ostream& out_;
    OutputGrabber grabber_;
    std::vector<std::string> snapshotFiles_;
    std::vector<CaptionStateChange> states_;
    int box_[4] = {0, 0, 0, 0};
};

// A caption on one line for the terminal: UTF-8 through the code page, lines joined by " / ".
std::string CaptionLine(const std::string& caption, int codePage);

}  // namespace demo
