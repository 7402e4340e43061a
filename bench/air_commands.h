// The engine's command operations for the air benchmarks: every command is taken and numbered
// as the engine does, and the caller reports its finish at once (a Device that takes no time).
#pragma once

#include <benchmark/benchmark.h>

#include "air/device_commands.h"

namespace zxbench {

// Takes every command and answers at once (the caller reports the finish).
class NullCommands final : public air::DeviceCommands {
public:
    void Init(platform::MessageTarget*) override {}
    void Done() override {}
    bool Running() const override { return true; }
    uint16_t ResetDevice() override { return next(); }
    uint16_t FillRect(const device::Rect&, device::DataRef b, int) override { return keep(b); }
    uint16_t LoadRect(const device::Rect&, device::DataRef p, int) override { return keep(p); }
    uint16_t InEffect(uint16_t, uint32_t, const device::Rect&) override { return next(); }
    uint16_t Scroll(const device::Rect&, uint16_t, uint32_t, device::DataRef d) override { return keep(d); }
    uint16_t EndScroll() override { return next(); }
    uint16_t Cut() override { return next(); }
    uint16_t SetMode(uint16_t) override { return next(); }
    uint16_t LoadRectData(const device::Rect&, device::DataRef p) override { return keep(p); }
    uint16_t Reply(uint16_t, uint16_t) override { return next(); }
    uint16_t Pause() override { return next(); }
    // The number of the last command, which its finish carries.
    uint16_t last() const { return seq_; }

private:
    uint16_t next() {
        if (++seq_ == 0) ++seq_;
        return seq_;
    }
    uint16_t keep(device::DataRef r) {
        benchmark::DoNotOptimize(r.data());
        last_ = std::move(r);
        return next();
    }
    device::DataRef last_;
    uint16_t seq_ = 0;
};

}  // namespace zxbench
