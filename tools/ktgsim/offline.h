// The virtual Device without a link: the program's command programs played straight into it, each
// step taken at once and every transition run to its end, so that a tool can see what the Device
// would show after a few commands (a clock's face and hands, say) without a session or a worker.
#pragma once

#include "device/command_set.h"
#include "ktgsim/device.h"
#include "ktgsim/picture.h"

namespace ktgsim {

class OfflineDevice {
public:
    explicit OfflineDevice(const DeviceOptions& options = {});

    // Runs one command's program as the engine would send it. False for a code that is no
    // program, or when the Device refused a packet or a data block (a bad checksum).
    bool run(const device::CmdRecord& cmd);

    // The usual commands.
    bool reset();
    bool loadRectData(const device::Rect& r, const uint8_t* data, size_t size);
    bool loadRect(const device::Rect& r, const uint8_t* data, size_t size, int flags);
    bool inEffect(uint16_t flags, uint32_t param, const device::Rect& r = {0, 0, 720, 576});
    bool setMode(uint16_t value);

    void render(Picture& out, const Background& background) const { device_.render(out, background); }
    Device& device() { return device_; }

private:
    Device device_;
    device::CommandSet set_;
};

}  // namespace ktgsim
