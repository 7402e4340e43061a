// The virtual Device as a running unit: the Device, its field clock, its two link listeners and
// its control interface, each connection on a thread of its own. Used by the ktgsim program, by
// tests and by the program's embedded default Device.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/socket_io.h"
#include "ktgsim/device.h"
#include "ktgsim/picture.h"

namespace ktgsim {

struct ServerOptions {
    DeviceOptions device;
    std::string listen;         // NetBIOS session service "HOST:PORT" (port 0: a free one); "" = none
    std::string lptSocket;      // the simulated parallel-port driver's socket path; "" = none
    std::string control;        // control interface "HOST:PORT"; "" = none
    double timeScale = 1.0;     // fields run this many times faster than 20 ms
    bool manualFields = false;  // no field clock: fields move only by device().advanceFields
    Background background;
    // A Device has one controlling program; beyond this many link connections at once the one
    // idle longest is closed to make room for the newcomer (a restarted program gets in).
    int maxLinks = 4;
    // Control connections beyond this many are refused with an error line.
    int maxControls = 8;
    // A connection that sends nothing this long after it was accepted is closed (ms); a control
    // connection, typed by hand, gets six times as long. 0: wait for ever.
    int silentTimeoutMs = 10000;
};

// Receives the program output about once per frame while it changes (on the field clock's
// thread; keep it short).
using FrameCallback = std::function<void(const Picture&)>;
// Receives the program output over nothing (straight alpha) at every field whose count is a
// multiple of its step, with that count, on the field clock's thread: a video output's frames.
// While one is set the clock moves the fields one at a time, so no such field is skipped even
// when the clock runs late; a slow tap slows the fields instead. `changed` is false when nothing
// has changed the picture since the tap's previous call: it is the same picture again.
using FieldTap = std::function<void(uint64_t field, const Picture&, bool changed)>;

class Server {
public:
    explicit Server(ServerOptions options);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Opens the listeners and starts the threads; false with a reason.
    bool start(std::string& error);
    // Ends every thread and closes every socket; safe to call twice.
    void stop();

    Device& device() { return device_; }
    const ServerOptions& options() const { return options_; }
    // Addresses actually bound ("HOST:PORT"), once started.
    std::string netAddress() const { return netAddress_; }
    std::string controlAddress() const { return controlAddress_; }

    void setFrameCallback(FrameCallback callback);
    // fieldsPerFrame: 1 (50 frames a second) or 2 (25). An empty tap removes it.
    void setFieldTap(FieldTap tap, int fieldsPerFrame = 2);
    void render(Picture& out) const { device_.render(out, options_.background); }
    bool snapshot(const std::string& path, std::string& error) const;

    // Blocks until a control client says "quit", requestQuit() is called or stop() is called.
    void waitForQuit();
    void requestQuit();

    // Connections being served now, and how often accepting had to wait for a free descriptor.
    int connectionCount();
    uint64_t acceptBackoffs() const { return backoffs_; }

private:
    enum class Kind { Net, Lpt, Control };
    struct Connection {
        Kind kind = Kind::Net;
        int fd = -1;
        std::thread thread;
        std::atomic<bool> done{false};
        std::atomic<int64_t> lastActive{0};  // steady-clock ms of the last byte received
        bool heard = false;                  // the serving thread's own: a byte came
        bool evicted = false;                // closed to make room (connMutex_)
    };

    void fieldLoop();
    void acceptLoop();
    void admit(Kind kind, int fd);
    void reap();
    bool evictIdlest(bool links, int64_t idleAtLeastMs);
    void serve(Connection& c);
    void serveControl(Connection& c);
    void serveNet(Connection& c);
    void serveLpt(Connection& c);
    device::sock::Deadline untilStop() const;
    device::sock::Deadline readWait(Connection& c) const;
    void heard(Connection& c) const;
    bool send(int fd, const void* data, size_t size) const;
    bool sendSession(int fd, uint8_t type, const std::vector<uint8_t>& payload) const;

    ServerOptions options_;
    Device device_;
    int netFd_ = -1, lptFd_ = -1, controlFd_ = -1;
    int wake_[2] = {-1, -1};
    std::string netAddress_, controlAddress_;
    std::thread fieldThread_, acceptThread_;
    std::mutex connMutex_;
    std::list<std::unique_ptr<Connection>> connections_;
    std::mutex m_;
    std::condition_variable cv_;
    bool stopping_ = false;
    bool quit_ = false;
    bool started_ = false;
    std::atomic<uint64_t> backoffs_{0};
    std::mutex callbackMutex_;
    FrameCallback callback_;
    std::mutex tapMutex_;
    FieldTap tap_;
    int tapStep_ = 2;
};

}  // namespace ktgsim
