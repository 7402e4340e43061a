// The command operations the air frame hands the Device, one at a time: an interface, so that
// the frame runs against the command engine in the program and against a recorder in tests.
#pragma once

#include <cstdint>

#include "device/command_set.h"

namespace device {
class CEngine;
}
namespace platform {
class MessageTarget;
}

namespace air {

class DeviceCommands {
public:
    virtual ~DeviceCommands() = default;
    // Starts delivering the engine's notifications (MSG_ENGINE) to receiver; Done stops them.
    virtual void Init(platform::MessageTarget* receiver) = 0;
    virtual void Done() = 0;

    virtual void ResetDevice() = 0;
    // The data operations answer false, sending nothing, when the block is too small for what
    // the command would send.
    virtual bool FillRect(const device::Rect& rect, device::DataRef block, int flags) = 0;
    virtual bool LoadRect(const device::Rect& rect, device::DataRef pixels, int flags) = 0;
    virtual void InEffect(uint16_t effectFlags, uint32_t effectParams, const device::Rect& rect) = 0;
    virtual bool Scroll(const device::Rect& rect, uint16_t scrollFlags, uint32_t length, device::DataRef data) = 0;
    virtual void EndScroll() = 0;
    virtual void Cut() = 0;
    virtual void SetMode(uint16_t value) = 0;
    virtual bool LoadRectData(const device::Rect& rect, device::DataRef pixels) = 0;
    virtual void Reply(uint16_t code, uint16_t autoReply) = 0;
    virtual void Pause() = 0;
};

// The commands over the program's command engine (which the caller keeps open).
class EngineCommands final : public DeviceCommands {
public:
    explicit EngineCommands(device::CEngine& engine) : engine_(engine) {}
    device::CEngine& engine() { return engine_; }

    void Init(platform::MessageTarget* receiver) override;
    void Done() override;
    void ResetDevice() override;
    bool FillRect(const device::Rect& rect, device::DataRef block, int flags) override;
    bool LoadRect(const device::Rect& rect, device::DataRef pixels, int flags) override;
    void InEffect(uint16_t effectFlags, uint32_t effectParams, const device::Rect& rect) override;
    bool Scroll(const device::Rect& rect, uint16_t scrollFlags, uint32_t length, device::DataRef data) override;
    void EndScroll() override;
    void Cut() override;
    void SetMode(uint16_t value) override;
    bool LoadRectData(const device::Rect& rect, device::DataRef pixels) override;
    void Reply(uint16_t code, uint16_t autoReply) override;
    void Pause() override;

private:
    device::CEngine& engine_;
};

}  // namespace air
