#include "ktgsim/embedded.h"

#include <unistd.h>

#include <memory>
#include <mutex>

#include "app/log/event_log.h"
#include "app/zentrix_app.h"
#include "device/embedded_device.h"
#include "platform/files.h"

namespace ktgsim {

namespace {

struct Embedded {
    std::mutex m;
    EmbeddedOptions options;
    bool registered = false;
    std::unique_ptr<Server> server;
    int statusClass = -1;
    FrameCallback callback;
    FieldTap tap;
    int tapStep = 2;
};

Embedded& State() {
    static Embedded e;
    return e;
}

int WantedClass(const EmbeddedOptions& o) {
    if (o.statusClass) return o.statusClass();
    const app::CZentrixApp* a = app::CZentrixApp::Instance();
    return a ? a->deviceModel().statusClass : 1;
}

// Under the lock: a running server of the wanted class, or none with a reason.
Server* EnsureRunning(Embedded& e, std::string* error) {
    const int cls = WantedClass(e.options);
    if (e.server && e.statusClass == cls) return e.server.get();
    e.server.reset();
    ServerOptions o;
    o.device.statusClass = cls;
    o.listen = "127.0.0.1:0";
    // A socket of this process's own, so that two editions of the program never share one.
    o.lptSocket = platform::RuntimeDir() + "ktgsim-embedded-" + std::to_string(getpid()) + ".sock";
    o.timeScale = e.options.timeScale;
    o.background = e.options.background;
    auto server = std::make_unique<Server>(o);
    std::string why;
    if (!server->start(why)) {
        LogMessage("ktgsim: embedded Device not started: %s", why.c_str());
        if (error) *error = why;
        return nullptr;
    }
    server->setFrameCallback(e.callback);
    server->setFieldTap(e.tap, e.tapStep);
    LogMessage("ktgsim: embedded Device, status class %d, on %s and %s", cls, server->netAddress().c_str(),
               o.lptSocket.c_str());
    e.statusClass = cls;
    e.server = std::move(server);
    return e.server.get();
}

}  // namespace

void RegisterEmbeddedDevice(EmbeddedOptions options) {
    Embedded& e = State();
    {
        std::lock_guard lock(e.m);
        e.options = std::move(options);
        e.registered = true;
    }
    device::EmbeddedDevice reg;
    reg.sessionAddress = [] { return StartEmbeddedDevice(); };
    reg.lptSocket = [] { return EmbeddedLptSocket(); };
    device::SetEmbeddedDevice(std::move(reg));
}

void UnregisterEmbeddedDevice() {
    device::SetEmbeddedDevice({});
    Embedded& e = State();
    std::unique_ptr<Server> old;
    {
        std::lock_guard lock(e.m);
        e.registered = false;
        old = std::move(e.server);
        e.statusClass = -1;
    }
    old.reset();  // stops outside the lock: its threads may be reporting frames
}

std::string StartEmbeddedDevice(std::string* error) {
    Embedded& e = State();
    std::lock_guard lock(e.m);
    Server* s = EnsureRunning(e, error);
    return s ? s->netAddress() : std::string();
}

std::string EmbeddedLptSocket(std::string* error) {
    Embedded& e = State();
    std::lock_guard lock(e.m);
    Server* s = EnsureRunning(e, error);
    return s ? s->options().lptSocket : std::string();
}

bool WithEmbeddedServer(const std::function<void(Server&)>& f) {
    Embedded& e = State();
    std::lock_guard lock(e.m);
    if (!e.server) return false;
    f(*e.server);
    return true;
}

void SetEmbeddedFrameCallback(FrameCallback callback) {
    Embedded& e = State();
    std::lock_guard lock(e.m);
    e.callback = callback;
    if (e.server) e.server->setFrameCallback(std::move(callback));
}

void SetEmbeddedFieldTap(FieldTap tap, int fieldsPerFrame) {
    Embedded& e = State();
    std::lock_guard lock(e.m);
    e.tap = tap;
    e.tapStep = fieldsPerFrame;
    if (e.server) e.server->setFieldTap(std::move(tap), fieldsPerFrame);
}

}  // namespace ktgsim
