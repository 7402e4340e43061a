// The watcher that closes a plain OK message box left unanswered, so that an unattended station
// is never blocked by an error message. It looks once a second; when the box is gone it ends,
// and once 30 seconds have passed since it started it closes the box. Driven by an injected
// clock and timer service, so it runs in simulated time in tests.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/clock.h"
#include "platform/timer_service.h"

namespace app {

constexpr uint32_t kMsgBoxLookMs = 1000;
constexpr uint32_t kMsgBoxTimeoutMs = 30000;

// Only boxes with the single OK button close by themselves.
bool MessageBoxAutoCloses(unsigned style);

class MsgBoxWatcher {
public:
    using IsShown = std::function<bool()>;
    using Close = std::function<void()>;

    // Starts looking (logs "MsgBoxThread(): started").
    MsgBoxWatcher(platform::Clock& clock, platform::TimerService& timers, IsShown isShown, Close close);
    // Stops looking; a box answered before the time-out is logged as gone.
    ~MsgBoxWatcher();
    MsgBoxWatcher(const MsgBoxWatcher&) = delete;
    MsgBoxWatcher& operator=(const MsgBoxWatcher&) = delete;

    bool finished() const { return timer_ == 0; }
    bool fired() const { return fired_; }

private:
    void look();
    void stop();

    platform::Clock& clock_;
    platform::TimerService& timers_;
    IsShown isShown_;
    Close close_;
    uint32_t start_;
    int timer_ = 0;
    bool fired_ = false;
};

}  // namespace app
