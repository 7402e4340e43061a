#include "control/air_port.h"

#include <chrono>

namespace control {

struct AirPort::Core {
    std::mutex m;
    std::condition_variable cv;
    bool closed = false;
};

namespace {

enum class CallState { Waiting, Running, Done, Dropped };

struct Call {
    CallState state = CallState::Waiting;
};

}  // namespace

AirPort::AirPort(platform::MessageTarget& target, uint32_t timeoutMs)
    : target_(target), timeoutMs_(timeoutMs), core_(std::make_shared<Core>()) {}

AirPort::~AirPort() { close(); }

void AirPort::close() {
    {
        std::lock_guard<std::mutex> lock(core_->m);
        core_->closed = true;
    }
    core_->cv.notify_all();
}

bool AirPort::call(const std::function<void()>& fn) {
    ++calls_;
    auto call = std::make_shared<Call>();
    {
        std::lock_guard<std::mutex> lock(core_->m);
        if (core_->closed) return false;
    }
    // The posted task holds the core and the call, never the port: it may run after the port has
    // gone, and then finds its call dropped.
    target_.postCall([core = core_, call, &fn] {
        {
            std::lock_guard<std::mutex> lock(core->m);
            if (call->state != CallState::Waiting) return;  // dropped: fn is gone with its caller
            call->state = CallState::Running;
        }
        fn();
        {
            std::lock_guard<std::mutex> lock(core->m);
            call->state = CallState::Done;
        }
        core->cv.notify_all();
    });
    std::unique_lock<std::mutex> lock(core_->m);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs_);
    core_->cv.wait_until(lock, until, [&] { return call->state == CallState::Done || core_->closed; });
    if (call->state == CallState::Waiting) {
        call->state = CallState::Dropped;
        return false;
    }
    // Begun: it is waited for to its end (fn refers to the caller's data).
    core_->cv.wait(lock, [&] { return call->state == CallState::Done; });
    return true;
}

}  // namespace control
