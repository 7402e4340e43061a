#include "gsmsim/embedded.h"

#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

#include "platform/files.h"
#include "sms/embedded_modem.h"
#include "sms/serial_settings.h"

namespace gsmsim {

namespace {

struct Registry {
    std::mutex m;
    SimulatorOptions options;
    std::map<int, std::unique_ptr<Simulator>> simulators;
};

Registry& TheRegistry() {
    static Registry r;
    return r;
}

std::string StartFor(int portIndex, const std::string& script) {
    Registry& r = TheRegistry();
    std::lock_guard l(r.m);
    auto it = r.simulators.find(portIndex);
    if (it != r.simulators.end()) return it->second->devicePath();
    SimulatorOptions o = r.options;
    o.link = platform::RuntimeDir() + "gsmsim-" + std::to_string(getpid()) + "-" + sms::SerialKey(portIndex);
    o.script = script;
    auto sim = std::make_unique<Simulator>(o);
    std::string error;
    if (!sim->start(error)) {
        std::fprintf(stderr, "gsmsim: %s\n", error.c_str());
        return {};
    }
    std::string path = sim->devicePath();
    r.simulators[portIndex] = std::move(sim);
    return path;
}

}  // namespace

void RegisterEmbeddedModem(SimulatorOptions options) {
    {
        std::lock_guard l(TheRegistry().m);
        TheRegistry().options = std::move(options);
    }
    sms::SetEmbeddedModem({[](int portIndex, const std::string& script) { return StartFor(portIndex, script); }});
}

void UnregisterEmbeddedModem() {
    sms::SetEmbeddedModem({});
    std::map<int, std::unique_ptr<Simulator>> running;
    {
        std::lock_guard l(TheRegistry().m);
        running.swap(TheRegistry().simulators);
    }
    running.clear();
}

bool WithEmbeddedModem(int portIndex, const std::function<void(Simulator&)>& f) {
    Registry& r = TheRegistry();
    std::lock_guard l(r.m);
    auto it = r.simulators.find(portIndex);
    if (it == r.simulators.end()) return false;
    f(*it->second);
    return true;
}

}  // namespace gsmsim
