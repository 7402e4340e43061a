#include "device/embedded_device.h"

#include <mutex>

namespace device {

namespace {
std::mutex g_mutex;
EmbeddedDevice g_device;
}  // namespace

void SetEmbeddedDevice(EmbeddedDevice device) {
    std::lock_guard lock(g_mutex);
    g_device = std::move(device);
}

EmbeddedDevice GetEmbeddedDevice() {
    std::lock_guard lock(g_mutex);
    return g_device;
}

}  // namespace device
