// Message boxes shown with Qt. Texts arrive in the program's 8-bit code page. A plain OK box
// closes by itself after 30 seconds (an unattended station must not stay blocked by it);
// boxes that ask a question wait for their answer.
#pragma once

#include <memory>

#include "app/message_boxes.h"
#include "platform/clock.h"
#include "platform/timer_service.h"

namespace ui {

class QtTimerService;

class QtMessageBoxes final : public app::MessageBoxes {
public:
    // Real time: the system clock and Qt timers.
    QtMessageBoxes();
    // Injected time, for tests in simulated time.
    QtMessageBoxes(platform::Clock& clock, platform::TimerService& timers);
    ~QtMessageBoxes() override;

    // Shows the box on the GUI thread (a call from another thread waits for the answer).
    int show(const std::string& text, unsigned style) override;

private:
    int showHere(const std::string& text, unsigned style);

    std::unique_ptr<QtTimerService> ownTimers_;
    platform::Clock& clock_;
    platform::TimerService& timers_;
};

}  // namespace ui
