// Which device stands behind each serial port index: the [Serial] keys COM1 ... COM8 (a device
// path, or "sim" for the modem simulator inside the program) and SimScript, the script that
// simulator delivers.
#pragma once

#include <string>

namespace app {
class Profile;
}

namespace sms {

constexpr const char* kSerialSection = "Serial";
constexpr const char* kSimScriptKey = "SimScript";
constexpr const char* kSimDevice = "sim";
constexpr int kSerialPorts = 8;

// "COM1" for index 0.
std::string SerialKey(int index);
// "/dev/ttyS0" for index 0.
std::string DefaultSerialDevice(int index);
// The configured device of a port index (0 = COM1); indexes outside 0-7 get their default.
std::string SerialDevice(const app::Profile& ini, int index);
// The SimScript file as a path: a relative name is taken below programFolder. "" when unset.
std::string SimScriptPath(const app::Profile& ini, const std::string& programFolder);

}  // namespace sms
