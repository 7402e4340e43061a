#include "device/parallel_port_driver.h"

#include <cstdlib>
#include <sstream>

#include "app/log/event_log.h"
#include "app/profile.h"
#include "device/ppdev_parallel_port.h"
#include "device/sim_parallel_port.h"
#include "platform/files.h"

namespace device {

std::unique_ptr<ParallelPortDriver> CreateParallelPortDriver(const app::Profile& ini) {
    std::string kind = ini.getString("Hardware", kLptDriverKey, "ppdev");
    if (kind.empty() || platform::EqualsNoCase(kind, "ppdev")) return std::make_unique<PpdevParallelPort>();
    if (platform::EqualsNoCase(kind, "sim"))
        return std::make_unique<SimParallelPort>(ini.getString("Hardware", kLptSocketKey, ""));
    LogMessage("CreateParallelPortDriver: unknown LptDriver '%s'", kind.c_str());
    return nullptr;
}

int ProcessorMhz() {
    std::string text;
    if (!platform::ReadFile("/proc/cpuinfo", text)) return 0;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("cpu MHz", 0) != 0) continue;
        size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        return std::atoi(line.c_str() + colon + 1);
    }
    return 0;
}

}  // namespace device
