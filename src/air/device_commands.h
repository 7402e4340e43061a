// The command operations the air frame hands the Device, one at a time: an interface, so that
// the frame runs against the command engine in the program and against a recorder in tests.
// The engine's notifications (their codes in device/engine_notes.h) come back as MSG_ENGINE.
#pragma once

#include <cstdint>

#include "device/command_set.h"
#include "device/engine_notes.h"

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
    // Whether commands are taken now (a worker runs).
    virtual bool Running() const = 0;

    // Each operation answers the number the engine gave the command, which the command's finish
    // and error notifications carry, or 0 when nothing was sent: the engine does not run, or the
    // data block is too small for what the command would send.
    virtual uint16_t ResetDevice() = 0;
    virtual uint16_t FillRect(const device::Rect& rect, device::DataRef block, int flags) = 0;
    virtual uint16_t LoadRect(const device::Rect& rect, device::DataRef pixels, int flags) = 0;
    virtual uint16_t InEffect(uint16_t effectFlags, uint32_t effectParams, const device::Rect& rect) = 0;
    virtual uint16_t Scroll(const device::Rect& rect, uint16_t scrollFlags, uint32_t length, device::DataRef data) = 0;
    virtual uint16_t EndScroll() = 0;
    virtual uint16_t Cut() = 0;
    virtual uint16_t SetMode(uint16_t value) = 0;
    virtual uint16_t LoadRectData(const device::Rect& rect, device::DataRef pixels) = 0;
    // A reply and a pause go beside the running command: they finish nothing.
    virtual uint16_t Reply(uint16_t code, uint16_t autoReply) = 0;
    virtual uint16_t Pause() = 0;
};

// The commands over the program's command engine (which the caller keeps open).
class EngineCommands final : public DeviceCommands {
public:
    explicit EngineCommands(device::CEngine& engine) : engine_(engine) {}
    device::CEngine& engine() { return engine_; }

    void Init(platform::MessageTarget* receiver) override;
    void Done() override;
    bool Running() const override;
    uint16_t ResetDevice() override;
    uint16_t FillRect(const device::Rect& rect, device::DataRef block, int flags) override;
    uint16_t LoadRect(const device::Rect& rect, device::DataRef pixels, int flags) override;
    uint16_t InEffect(uint16_t effectFlags, uint32_t effectParams, const device::Rect& rect) override;
    uint16_t Scroll(const device::Rect& rect, uint16_t scrollFlags, uint32_t length, device::DataRef data) override;
    uint16_t EndScroll() override;
    uint16_t Cut() override;
    uint16_t SetMode(uint16_t value) override;
    uint16_t LoadRectData(const device::Rect& rect, device::DataRef pixels) override;
    uint16_t Reply(uint16_t code, uint16_t autoReply) override;
    uint16_t Pause() override;

private:
    device::CEngine& engine_;
};

}  // namespace air
