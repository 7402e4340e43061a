// The Interactive system headless: the view's rules on the air session, the hardware the
// settings name (the stand-ins inside the program for "sim"), each vote printed as its log line,
// the picture played on air and pictures of the Device's program output after each flip.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "demo/playout.h"
#include "pages/bitmap32.h"

namespace interactive {
class CITVModel;
class ItvHardware;
}  // namespace interactive

namespace demo {

struct ItvPlayOptions {
    std::string system;      // the interactive system (".zxi")
    uint32_t forMs = 10000;  // how long it runs after Start, in the clock's (scaled) time
    std::string snapshots;   // folder for the program-output pictures; "" = none
    std::string log;         // the vote log saved here at the end; "" = not saved
    double timeScale = 1;    // the engines' times run this much faster
    uint32_t linkWaitMs = 20000;
    const std::atomic<bool>* interrupted = nullptr;
    // Called on every turn of the loop once running (ms since Start): votes by hand, say; true
    // ends the run before forMs.
    std::function<bool(interactive::CITVModel&, uint32_t)> during;
    // The Device's program output after each flip (with a grabber).
    std::function<void(const pages::CBitmap32&)> flipped;
};

// The hardware a headless run starts: the phone-lines adapter, the GSM modem and the USB adapter
// as the application's settings name them when they start (the stand-ins inside the program for
// "sim"), their times scale times shorter.
std::unique_ptr<interactive::ItvHardware> MakePlayoutHardware(app::CZentrixApp& app, double scale);

class CItvPlayout {
public:
    CItvPlayout(app::CZentrixApp& app, device::CEngine& engine, pages::CFontManager& fonts, platform::EventLoop& loop,
                std::ostream& out);
    ~CItvPlayout();
    CItvPlayout(const CItvPlayout&) = delete;
    CItvPlayout& operator=(const CItvPlayout&) = delete;

    void setGrabber(OutputGrabber grabber) { grabber_ = std::move(grabber); }
    // A PlayStatus, with the reason in error.
    int Run(const ItvPlayOptions& options, std::string& error);

    // The log lines of the votes, in order; the statistics at the end.
    const std::vector<std::string>& votes() const { return votes_; }
    const std::vector<int>& counts() const { return counts_; }
    int total() const { return total_; }
    int smsCount() const { return sms_; }
    const std::vector<std::string>& snapshotFiles() const { return snapshotFiles_; }

private:
    app::CZentrixApp& app_;
    device::CEngine& engine_;
    pages::CFontManager& fonts_;
    platform::EventLoop& loop_;
    std::ostream& out_;
    OutputGrabber grabber_;
    std::vector<std::string> votes_, snapshotFiles_;
    std::vector<int> counts_;
    int total_ = 0, sms_ = 0;
};

}  // namespace demo
