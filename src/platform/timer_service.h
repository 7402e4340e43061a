// Periodic timers in place of window timers: the callback runs on the owner's thread (the GUI
// thread or an EventLoop), once per period; a late timer does not fire twice to catch up.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

class TimerService {
public:
    virtual ~TimerService() = default;
    // Starts a periodic timer and returns its id (never 0).
    virtual int setTimer(uint32_t periodMs, std::function<void()> fn) = 0;
    // Stops a timer; unknown ids and 0 are ignored. Safe inside the timer's own callback.
    virtual void killTimer(int id) = 0;
};

}  // namespace platform
