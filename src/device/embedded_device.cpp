#include "device/embedded_device.h"

#include <mutex>

#include "app/zentrix_app.h"
#include "device/net_transport.h"
#include "device/parallel_port_driver.h"

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

bool LinkUsesEmbeddedDevice(app::CZentrixApp& app) {
    if (!app.settings().enable) return false;
    const EmbeddedDevice d = GetEmbeddedDevice();
    app::Profile& ini = app.profile();
    if (!app.settings().usesLpt()) return d.sessionAddress && ini.getString(kEthernetSection, kHostsKey, "").empty();
    return d.lptSocket && ini.getString("Hardware", kLptDriverKey, "ppdev") == "sim" &&
           ini.getString("Hardware", kLptSocketKey, "").empty();
}

}  // namespace device
