// Headless SMS Chat: the chat model on the air session, the SMS engine on the modem the settings
// name (the simulator inside the program for "sim"), every status text and list change printed
// as it comes, the new messages queued as told, the queued ones played on air one after the other
// and pictures of the Device's program output at each state change.
#pragma once

#include <atomic>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "demo/playout.h"

namespace demo {

struct ChatPlayOptions {
    std::string templ;      // the template sequence (".zxs")
    bool queueAll = true;   // each new Delayed message is queued at once (false: only fast mode's)
    int count = 1;          // messages shown before the end
    std::string snapshots;  // folder for the program-output pictures; "" = none
    double timeScale = 1;   // the SMS engine's times run this much faster
    uint32_t linkWaitMs = 20000;
    const std::atomic<bool>* interrupted = nullptr;
};

// A picture taken while a message was on air, and that message's text (8-bit).
struct ChatSnapshot {
    std::string file;
    std::string text;
    bool onAir = false;
};

class CChatPlayout {
public:
    CChatPlayout(app::CZentrixApp& app, device::CEngine& engine, pages::CFontManager& fonts, platform::EventLoop& loop,
                 std::ostream& out);
    ~CChatPlayout();
    CChatPlayout(const CChatPlayout&) = delete;
    CChatPlayout& operator=(const CChatPlayout&) = delete;

    void setGrabber(OutputGrabber grabber) { grabber_ = std::move(grabber); }
    // Runs until `count` messages have been on air and gone off again. A PlayStatus, with the
    // reason in error.
    int Run(const ChatPlayOptions& options, std::string& error);

    const std::vector<ChatSnapshot>& snapshots() const { return snapshots_; }
    // The texts of the messages shown, in order (8-bit).
    const std::vector<std::string>& shown() const { return shown_; }
    // Every message listed (8-bit).
    const std::vector<std::string>& listed() const { return listed_; }
    int received() const { return received_; }

private:
    app::CZentrixApp& app_;
    device::CEngine& engine_;
    pages::CFontManager& fonts_;
    platform::EventLoop& loop_;
    std::ostream& out_;
    OutputGrabber grabber_;
    std::vector<ChatSnapshot> snapshots_;
    std::vector<std::string> shown_, listed_;
    int received_ = 0;
};

}  // namespace demo
