// A small single-threaded loop for headless runs and tests: a queue of tasks that any thread
// may post to, and periodic timers driven by a Clock. With a ManualClock the loop runs in
// simulated time: advance() moves the clock and fires each due timer in order.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/clock.h"
#include "platform/message_target.h"
#include "platform/timer_service.h"

namespace platform {

class EventLoop final : public TimerService {
public:
    explicit EventLoop(Clock& clock = SystemClock::instance());
    explicit EventLoop(ManualClock& clock);
    ~EventLoop() override;
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    Clock& clock() { return clock_; }

    // Queues a task; safe from any thread.
    void postTask(std::function<void()> task);
    // Runs a task on the loop's thread and waits for it. Called on the loop's own thread (or
    // before the loop has a thread), it runs at once.
    void sendTask(const std::function<void()>& task);

    int setTimer(uint32_t periodMs, std::function<void()> fn) override;
    void killTimer(int id) override;

    // Runs until quit().
    void run();
    void quit();
    // Runs the tasks queued now and the timers due now, without waiting. Returns how many ran.
    size_t processPending();
    // Waits (real time) up to maxWaitMs for work, then processes it. Returns false on time-out.
    bool runOnce(uint32_t maxWaitMs);
    // Processes work until pred() holds or timeoutMs of real time pass; true when pred holds.
    bool runUntil(const std::function<bool()>& pred, uint32_t timeoutMs);

    // Simulated time only: moves the clock forward by ms, firing timers as their deadlines pass
    // and running queued tasks between them.
    void advance(uint32_t ms);

    bool isLoopThread() const;

private:
    struct Timer {
        uint32_t period;
        uint32_t due;
        std::function<void()> fn;
    };
    bool fireDueTimers();
    bool runTasks();
    // Milliseconds until the next timer is due (0 when overdue), or -1 without timers.
    int64_t msToNextTimer() const;

    Clock& clock_;
    ManualClock* manual_ = nullptr;
    mutable std::mutex m_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> tasks_;
    std::map<int, Timer> timers_;
    int nextTimerId_ = 1;
    bool quit_ = false;
    std::thread::id owner_{};
};

// A MessageTarget whose handler runs on an EventLoop. What was posted to it and is still queued
// when it goes is dropped: a message never reaches a target (or what its handler refers to) that
// no longer exists.
class LoopTarget final : public MessageTarget {
public:
    LoopTarget(EventLoop& loop, MessageHandler handler);
    ~LoopTarget() override;
    LoopTarget(const LoopTarget&) = delete;
    LoopTarget& operator=(const LoopTarget&) = delete;
    void post(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
    intptr_t send(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
    void postCall(std::function<void()> fn) override;

private:
    struct Shared;
    EventLoop& loop_;
    std::shared_ptr<Shared> shared_;
};

}  // namespace platform
