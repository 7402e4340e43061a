#include "output/paced_clock.h"

namespace output {

PacedClock::PacedClock(double scale)
    : scale_(scale > 0 ? scale : 1.0),
      start_(std::chrono::steady_clock::now()),
      startTicks_(platform::SystemClock::instance().ticks()),
      startLocalMs_(platform::WallMilliseconds()),
      last_(startTicks_) {}

uint32_t PacedClock::ticks() const {
    const auto real = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
    uint32_t t = startTicks_ + uint32_t(uint64_t(real * scale_));
    std::lock_guard lock(m_);
    const int64_t field = field_.load(std::memory_order_acquire);
    if (field >= 0) {
        if (firstField_ < 0 || field < firstField_) firstField_ = field, base_ = t;
        const uint32_t cap = base_ + uint32_t((field - firstField_) * 20) + kLeadMs;
        if (int32_t(t - cap) > 0) t = cap;
    }
    if (int32_t(t - last_) < 0) t = last_;  // never backwards
    last_ = t;
    return t;
}

platform::LocalTime PacedClock::localTime() const {
    const int64_t ms = startLocalMs_ + int64_t(ticks() - startTicks_);
    return platform::ToLocalTime(time_t(ms / 1000), int(ms % 1000));
}

}  // namespace output
