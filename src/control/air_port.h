// The server's only way to the air frame: a call posted to the air frame's thread (its
// MessageTarget), waited for up to a bound. A call that has not begun when the bound runs out is
// dropped unrun, so a request that timed out never acts later; one that has begun is waited for
// (it is the program's own short work). The air frame never waits for the server.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/message_target.h"

namespace control {

class AirPort {
public:
    // target: posts onto the air frame's thread; it must outlive the port or drop what is queued
    // for it when it goes (LoopTarget, QtMessageTarget do).
    AirPort(platform::MessageTarget& target, uint32_t timeoutMs);
    ~AirPort();
    AirPort(const AirPort&) = delete;
    AirPort& operator=(const AirPort&) = delete;

    // Runs fn on the air thread and waits for it. False when it did not run: the bound ran out
    // before it began, or the port is closed.
    bool call(const std::function<void()>& fn);
    // Ends every wait at once and refuses new calls (the server is stopping).
    void close();

    uint32_t timeoutMs() const { return timeoutMs_; }
    // The calls asked for so far (the air frame's share of the server's work).
    uint64_t calls() const { return calls_.load(); }

private:
    struct Core;
    platform::MessageTarget& target_;
    uint32_t timeoutMs_;
    std::shared_ptr<Core> core_;
    std::atomic<uint64_t> calls_{0};
};

}  // namespace control
