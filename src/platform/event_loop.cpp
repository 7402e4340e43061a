#include "platform/event_loop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <vector>

namespace platform {

EventLoop::EventLoop(Clock& clock) : clock_(clock) {}
EventLoop::EventLoop(ManualClock& clock) : clock_(clock), manual_(&clock) {}
EventLoop::~EventLoop() = default;

bool EventLoop::isLoopThread() const {
    std::lock_guard lock(m_);
    return owner_ == std::thread::id{} || owner_ == std::this_thread::get_id();
}

void EventLoop::postTask(std::function<void()> task) {
    // Notified under the lock, here and in quit: the loop's thread may end the loop as soon as it
    // has run the task or seen the quit, and must not while this call still touches it.
    std::lock_guard lock(m_);
    tasks_.push_back(std::move(task));
    cv_.notify_all();
}

void EventLoop::sendTask(const std::function<void()>& task) {
    if (isLoopThread()) {
        task();
        return;
    }
    std::mutex doneM;
    std::condition_variable doneCv;
    bool done = false;
    postTask([&] {
        task();
        std::lock_guard lock(doneM);
        done = true;
        doneCv.notify_all();
    });
    std::unique_lock lock(doneM);
    doneCv.wait(lock, [&] { return done; });
}

int EventLoop::setTimer(uint32_t periodMs, std::function<void()> fn) {
    std::lock_guard lock(m_);
    int id = nextTimerId_++;
    if (nextTimerId_ <= 0) nextTimerId_ = 1;
    timers_[id] = Timer{periodMs, clock_.ticks() + periodMs, std::move(fn)};
    cv_.notify_all();
    return id;
}

void EventLoop::killTimer(int id) {
    std::lock_guard lock(m_);
    timers_.erase(id);
}

bool EventLoop::runTasks() {
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(m_);
        batch.swap(tasks_);
    }
    for (auto& t : batch) t();
    return !batch.empty();
}

bool EventLoop::fireDueTimers() {
    // Collect the due ids first: a callback may set or kill timers.
    std::vector<std::pair<uint32_t, int>> due;
    {
        std::lock_guard lock(m_);
        uint32_t now = clock_.ticks();
        for (auto& [id, t] : timers_)
            if (int32_t(now - t.due) >= 0) due.emplace_back(t.due, id);
    }
    std::sort(due.begin(), due.end(), [](auto& a, auto& b) {
        return int32_t(a.first - b.first) < 0 || (a.first == b.first && a.second < b.second);
    });
    for (auto& [when, id] : due) {
        std::function<void()> fn;
        {
            std::lock_guard lock(m_);
            auto it = timers_.find(id);
            if (it == timers_.end()) continue;
            it->second.due = clock_.ticks() + it->second.period;
            fn = it->second.fn;
        }
        fn();
    }
    return !due.empty();
}

int64_t EventLoop::msToNextTimer() const {
    int64_t best = -1;
    uint32_t now = clock_.ticks();
    for (auto& [id, t] : timers_) {
        int32_t d = int32_t(t.due - now);
        int64_t ms = d < 0 ? 0 : d;
        if (best < 0 || ms < best) best = ms;
    }
    return best;
}

size_t EventLoop::processPending() {
    {
        std::lock_guard lock(m_);
        if (owner_ == std::thread::id{}) owner_ = std::this_thread::get_id();
    }
    size_t n = 0;
    for (int guard = 0; guard < 1000; ++guard) {
        bool did = runTasks();
        did = fireDueTimers() || did;
        if (!did) break;
        ++n;
    }
    return n;
}

bool EventLoop::runOnce(uint32_t maxWaitMs) {
    {
        std::unique_lock lock(m_);
        if (owner_ == std::thread::id{}) owner_ = std::this_thread::get_id();
        int64_t next = manual_ ? -1 : msToNextTimer();
        int64_t wait = maxWaitMs;
        if (next >= 0 && next < wait) wait = next;
        if (tasks_.empty() && wait > 0 && !quit_)
            cv_.wait_for(lock, std::chrono::milliseconds(wait), [&] { return !tasks_.empty() || quit_; });
    }
    return processPending() > 0;
}

void EventLoop::run() {
    for (;;) {
        {
            std::lock_guard lock(m_);
            if (quit_) {
                quit_ = false;
                return;
            }
        }
        runOnce(1000);
    }
}

void EventLoop::quit() {
    std::lock_guard lock(m_);
    quit_ = true;
    cv_.notify_all();
}

bool EventLoop::runUntil(const std::function<bool()>& pred, uint32_t timeoutMs) {
    auto start = std::chrono::steady_clock::now();
    processPending();
    while (!pred()) {
        auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        if (elapsed >= int64_t(timeoutMs)) return false;
        runOnce(uint32_t(std::min<int64_t>(10, int64_t(timeoutMs) - elapsed)));
    }
    return true;
}

void EventLoop::advance(uint32_t ms) {
    if (!manual_) return;
    processPending();
    uint32_t left = ms;
    while (left > 0) {
        int64_t next;
        {
            std::lock_guard lock(m_);
            next = msToNextTimer();
        }
        uint32_t step = (next < 0 || next > int64_t(left)) ? left : uint32_t(next);
        if (step == 0 && next == 0) {
            processPending();
            // A timer with period 0 would spin; move at least one millisecond.
            step = 1;
        }
        manual_->advance(step);
        left -= step;
        processPending();
    }
}

// The handler and whether the target still exists, kept by every task posted to it.
struct LoopTarget::Shared {
    MessageHandler handler;
    std::atomic<bool> alive{true};
};

LoopTarget::LoopTarget(EventLoop& loop, MessageHandler handler) : loop_(loop), shared_(std::make_shared<Shared>()) {
    shared_->handler = std::move(handler);
}

LoopTarget::~LoopTarget() { shared_->alive = false; }

void LoopTarget::post(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    loop_.postTask([s = shared_, msg, wParam, lParam] {
        if (s->alive) s->handler(msg, wParam, lParam);
    });
}

void LoopTarget::postCall(std::function<void()> fn) {
    loop_.postTask([s = shared_, fn = std::move(fn)] {
        if (s->alive) fn();
    });
}

intptr_t LoopTarget::send(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    intptr_t r = 0;
    loop_.sendTask([&, s = shared_] {
        if (s->alive) r = s->handler(msg, wParam, lParam);
    });
    return r;
}

}  // namespace platform
