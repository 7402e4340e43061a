// An event object with the semantics of the system events the design relies on: manual-reset
// (stays set until reset) or auto-reset (one waiter takes it).
#pragma once

#include <condition_variable>
#include <mutex>

namespace platform {

class Event {
public:
    explicit Event(bool manualReset = true, bool initiallySet = false) : manual_(manualReset), set_(initiallySet) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    // Notifies under the lock: a waiter that owns the event (one on its stack, say) may end it as
    // soon as it sees it set, and must not do so while this call still touches it.
    void set() {
        std::lock_guard lock(m_);
        set_ = true;
        if (manual_) cv_.notify_all();
        else cv_.notify_one();
    }
    void reset() {
        std::lock_guard lock(m_);
        set_ = false;
    }
    bool isSet() const {
        std::lock_guard lock(m_);
        return set_;
    }
    // Waits until set; timeoutMs < 0 waits for ever. Returns false on time-out.
    bool wait(int timeoutMs = -1) {
        std::unique_lock lock(m_);
        if (timeoutMs < 0) cv_.wait(lock, [&] { return set_; });
        else if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return set_; })) return false;
        if (!manual_) set_ = false;
        return true;
    }

private:
    mutable std::mutex m_;
    std::condition_variable cv_;
    bool manual_;
    bool set_;
};

}  // namespace platform
