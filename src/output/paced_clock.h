// The clock of a run in scaled time whose recordings take every frame by field count: the
// Device's fields then wait for the slowest encoder, and this clock keeps the program's time to
// the Device's (never more than a few fields ahead), so that the engine's waits for the Device
// measure the Device's own time and the show plays as it would at the Device's pace.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

#include "platform/clock.h"

namespace output {

class PacedClock final : public platform::Clock {
public:
    // scale: how much faster than real time it runs while the Device keeps up.
    explicit PacedClock(double scale);

    // The Device field of the latest frame (called from the Device's field clock).
    void deviceField(uint64_t field) { field_.store(int64_t(field), std::memory_order_release); }

    uint32_t ticks() const override;
    platform::LocalTime localTime() const override;

private:
    static constexpr uint32_t kLeadMs = 100;
    double scale_;
    std::chrono::steady_clock::time_point start_;
    uint32_t startTicks_;
    int64_t startLocalMs_;
    std::atomic<int64_t> field_{-1};
    mutable std::mutex m_;
    mutable int64_t firstField_ = -1;
    mutable uint32_t base_ = 0;
    mutable uint32_t last_ = 0;
};

}  // namespace output
