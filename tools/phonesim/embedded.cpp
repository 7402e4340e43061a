#include "phonesim/embedded.h"

#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

#include "app/zentrix_app.h"
#include "interactive/adapter_port.h"
#include "interactive/itv_result.h"
#include "platform/files.h"
#include "sms/serial_settings.h"

namespace phonesim {

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

std::string StartFor(int portIndex, int version) {
    Registry& r = TheRegistry();
    std::lock_guard l(r.m);
    const int wanted = version == interactive::ITV_VERSION_1 ? 1 : 2;
    auto it = r.simulators.find(portIndex);
    if (it != r.simulators.end()) {
        bool same = false;
        it->second->withAdapter([&](Adapter& a) { same = a.options().version == wanted; });
        if (same) return it->second->devicePath();
        r.simulators.erase(it);  // the Hardware dialog switched the adapter's version
    }
    SimulatorOptions o = r.options;
    o.adapter.version = wanted;
    const std::string base =
        platform::RuntimeDir() + "phonesim-" + std::to_string(getpid()) + "-" + sms::SerialKey(portIndex);
    o.link = base;
    if (o.control.empty()) o.control = base + ".ctl";
    if (app::CZentrixApp* theApp = app::CZentrixApp::Instance())
        o.autoRate = theApp->profile().getInt(sms::kSerialSection, kPhoneSimRateKey, 0);
    auto sim = std::make_unique<Simulator>(o);
    std::string error;
    if (!sim->start(error)) {
        std::fprintf(stderr, "phonesim: %s\n", error.c_str());
        return {};
    }
    std::string path = sim->devicePath();
    r.simulators[portIndex] = std::move(sim);
    return path;
}

}  // namespace

void RegisterEmbeddedAdapter(SimulatorOptions options) {
    {
        std::lock_guard l(TheRegistry().m);
        TheRegistry().options = std::move(options);
    }
    interactive::SetEmbeddedAdapter({[](int portIndex, int version) { return StartFor(portIndex, version); }});
}

void UnregisterEmbeddedAdapter() {
    interactive::SetEmbeddedAdapter({});
    std::map<int, std::unique_ptr<Simulator>> running;
    {
        std::lock_guard l(TheRegistry().m);
        running.swap(TheRegistry().simulators);
    }
    running.clear();
}

bool WithEmbeddedAdapter(int portIndex, const std::function<void(Simulator&)>& f) {
    Registry& r = TheRegistry();
    std::lock_guard l(r.m);
    auto it = r.simulators.find(portIndex);
    if (it == r.simulators.end()) return false;
    f(*it->second);
    return true;
}

}  // namespace phonesim
