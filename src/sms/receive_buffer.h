// The engine's receive buffer: 16384 bytes that the reader thread fills from the port and the
// engine empties line by line, under one lock (the receive lock).
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>

namespace sms {

constexpr size_t kReceiveBufferSize = 16384;

class ReceiveBuffer {
public:
    // The buffer's bytes, to be used only while the lock is held.
    struct Locked {
        std::unique_lock<std::mutex> lock;
        uint8_t* data;
        size_t& fill;
    };
    Locked lock() { return Locked{std::unique_lock(m_), data_, fill_}; }

    size_t fill() const {
        std::lock_guard l(m_);
        return fill_;
    }
    // Takes what fits; the count taken.
    size_t append(const void* bytes, size_t n) {
        std::lock_guard l(m_);
        size_t take = std::min(n, kReceiveBufferSize - fill_);
        std::memcpy(data_ + fill_, bytes, take);
        fill_ += take;
        return take;
    }
    void clear() {
        {
            std::lock_guard l(m_);
            fill_ = 0;
        }
        space_.notify_all();
    }
    // The engine has taken bytes out: a reader waiting for room may go on.
    void consumed() { space_.notify_all(); }
    // Waits up to ms while the buffer is full; true when there is room.
    bool waitForRoom(int ms) {
        std::unique_lock l(m_);
        return space_.wait_for(l, std::chrono::milliseconds(ms), [&] { return fill_ < kReceiveBufferSize; });
    }

private:
    mutable std::mutex m_;
    std::condition_variable space_;
    uint8_t data_[kReceiveBufferSize];
    size_t fill_ = 0;
};

}  // namespace sms
