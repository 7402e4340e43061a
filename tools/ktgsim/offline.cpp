#include "ktgsim/offline.h"

namespace ktgsim {

namespace {

// Fields a transition may take before it counts as stuck (a held motion never ends).
constexpr int kMaxFields = 100000;

}  // namespace

OfflineDevice::OfflineDevice(const DeviceOptions& options) : device_(options) {}

bool OfflineDevice::run(const device::CmdRecord& cmd) {
    if (!set_.begin(cmd)) return false;
    const uint64_t rejects = device_.stats().rejects;
    for (int i = 0; i < set_.stepCount();) {
        const device::Step s = set_.build(i);
        if (s.kind == device::Step::DATA) {
            device_.block(s.data, s.length);
        } else {
            const uint8_t write[3] = {s.reg, uint8_t(s.value >> 8), uint8_t(s.value)};
            device_.commandWrites(write, 1);
        }
        if (s.waitFinish)
            for (int f = 0; f < kMaxFields && !device_.finished(); ++f) device_.advanceFields();
        i = set_.complete(i);
    }
    return device_.stats().rejects == rejects;
}

bool OfflineDevice::reset() {
    device::CmdRecord c;
    c.code = device::CMD_RESET_DEVICE;
    return run(c);
}

bool OfflineDevice::loadRectData(const device::Rect& r, const uint8_t* data, size_t size) {
    device::CmdRecord c;
    c.code = device::CMD_LOAD_RECT_DATA;
    c.setRect(r);
    c.param3 = device::DataRef::Borrow(data, size);
    size_t need = 0;
    return device::DataFits(c, need) && run(c);
}

bool OfflineDevice::loadRect(const device::Rect& r, const uint8_t* data, size_t size, int flags) {
    device::CmdRecord c;
    c.code = device::CMD_LOAD_RECT;
    c.setRect(r);
    c.param1 = uint16_t(flags & 1);
    c.param3 = device::DataRef::Borrow(data, size);
    size_t need = 0;
    return device::DataFits(c, need) && run(c);
}

bool OfflineDevice::inEffect(uint16_t flags, uint32_t param, const device::Rect& r) {
    device::CmdRecord c;
    c.code = device::CMD_IN_EFFECT;
    c.setRect(r);
    c.param1 = flags;
    c.param2 = param;
    return run(c);
}

bool OfflineDevice::setMode(uint16_t value) {
    device::CmdRecord c;
    c.code = device::CMD_SET_MODE;
    c.param1 = value;
    return run(c);
}

}  // namespace ktgsim
