#include "platform/clock.h"

#include <chrono>

namespace platform {

uint32_t SystemClock::ticks() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms = uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
    return uint32_t(ms);
}

LocalTime SystemClock::localTime() const {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return ToLocalTime(ts.tv_sec, int(ts.tv_nsec / 1000000));
}

namespace {
int64_t MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}
}  // namespace

ScaledClock::ScaledClock(double scale) : scale_(scale > 0 ? scale : 1.0), startNs_(MonotonicNs()) {}

uint32_t ScaledClock::ticks() const {
    return uint32_t(uint64_t(double(MonotonicNs() - startNs_) / 1e6 * scale_) + 1000);
}

LocalTime ScaledClock::localTime() const { return SystemClock::instance().localTime(); }

SystemClock& SystemClock::instance() {
    static SystemClock clock;
    return clock;
}

ManualClock::ManualClock(uint32_t startTicks, time_t startLocal)
    : ticks_(startTicks), localMs_(int64_t(startLocal) * 1000) {}

uint32_t ManualClock::ticks() const {
    std::lock_guard lock(m_);
    return ticks_;
}

LocalTime ManualClock::localTime() const {
    std::lock_guard lock(m_);
    int64_t s = localMs_ / 1000;
    return ToLocalTime(time_t(s), int(localMs_ - s * 1000));
}

void ManualClock::advance(uint32_t ms) {
    std::lock_guard lock(m_);
    ticks_ += ms;
    localMs_ += ms;
}

void ManualClock::setLocal(time_t seconds, int millisecond) {
    std::lock_guard lock(m_);
    localMs_ = int64_t(seconds) * 1000 + millisecond;
}

LocalTime ToLocalTime(time_t seconds, int millisecond) {
    tm t{};
    localtime_r(&seconds, &t);
    LocalTime lt;
    lt.year = t.tm_year + 1900;
    lt.month = t.tm_mon + 1;
    lt.day = t.tm_mday;
    lt.dayOfWeek = t.tm_wday;
    lt.hour = t.tm_hour;
    lt.minute = t.tm_min;
    lt.second = t.tm_sec;
    lt.millisecond = millisecond;
    return lt;
}

int64_t WallMilliseconds() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace platform
