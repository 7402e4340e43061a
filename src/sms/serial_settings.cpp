#include "sms/serial_settings.h"

#include "app/profile.h"

namespace sms {

std::string SerialKey(int index) { return "COM" + std::to_string(index + 1); }

std::string DefaultSerialDevice(int index) { return "/dev/ttyS" + std::to_string(index); }

std::string SerialDevice(const app::Profile& ini, int index) {
    if (index < 0 || index >= kSerialPorts) return DefaultSerialDevice(index);
    std::string device = ini.getString(kSerialSection, SerialKey(index), "");
    return device.empty() ? DefaultSerialDevice(index) : device;
}

std::string SimScriptPath(const app::Profile& ini, const std::string& programFolder) {
    std::string script = ini.getString(kSerialSection, kSimScriptKey, "");
    if (script.empty() || script[0] == '/' || programFolder.empty()) return script;
    return programFolder + (programFolder.back() == '/' ? "" : "/") + script;
}

}  // namespace sms
