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
};

// Receives the program output about once per frame while it changes (on the field clock's
// thread; keep it short).
using FrameCallback = std::function<void(const Picture&)>;

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
    void render(Picture& out) const { device_.render(out, options_.background); }
    bool snapshot(const std::string& path, std::string& error) const;

    // Blocks until a control client says "quit", requestQuit() is called or stop() is called.
    void waitForQuit();
    void requestQuit();

private:
    enum class Kind { Net, Lpt, Control };
    struct Connection {
        int fd = -1;
        std::thread thread;
        std::atomic<bool> done{false};
    };

    void fieldLoop();
    void acceptLoop();
    void serve(Kind kind, int fd);
    void serveControl(int fd);
    void serveNet(int fd);
    void serveLpt(int fd);
    device::sock::Deadline untilStop() const;
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
    std::mutex callbackMutex_;
    FrameCallback callback_;
};

}  // namespace ktgsim
