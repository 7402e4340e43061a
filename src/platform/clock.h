// Time as the program sees it: a 32-bit millisecond tick count that wraps like the system tick
// counter it replaces, and the local wall-clock time. Injectable so that state machines run in
// simulated time in tests.
#pragma once

#include <cstdint>
#include <ctime>
#include <mutex>

namespace platform {

struct LocalTime {
    int year = 1970;
    int month = 1;      // 1..12
    int day = 1;        // 1..31
    int dayOfWeek = 4;  // 0 = Sunday
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t ticks() const = 0;
    virtual LocalTime localTime() const = 0;
};

class SystemClock final : public Clock {
public:
    uint32_t ticks() const override;
    LocalTime localTime() const override;
    static SystemClock& instance();
};

// A clock that moves only when told to. The local time moves with the ticks.
class ManualClock final : public Clock {
public:
    explicit ManualClock(uint32_t startTicks = 1000, time_t startLocal = 1700000000);
    uint32_t ticks() const override;
    LocalTime localTime() const override;
    void advance(uint32_t ms);
    // Sets the wall clock without moving the tick count (an operator changing the PC time).
    void setLocal(time_t seconds, int millisecond = 0);

private:
    mutable std::mutex m_;
    uint32_t ticks_;
    int64_t localMs_;
};

// Ticks that run scale times faster than the system's (from 1000 at construction); the local time
// is the system's. Lets an engine run against a stand-in in scaled time.
class ScaledClock final : public Clock {
public:
    explicit ScaledClock(double scale);
    uint32_t ticks() const override;
    LocalTime localTime() const override;

private:
    double scale_;
    int64_t startNs_;
};

// Converts seconds since the epoch to local time (the process's time zone).
LocalTime ToLocalTime(time_t seconds, int millisecond = 0);

// Milliseconds since the epoch of the wall clock; used to compare local times.
int64_t WallMilliseconds();

// Elapsed ticks from a to b, correct across the 32-bit wrap.
inline uint32_t TicksSince(uint32_t from, uint32_t now) { return now - from; }

}  // namespace platform
