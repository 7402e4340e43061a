// The adapter on a pseudo-terminal: the program opens the terminal's other end as its serial
// port. One thread moves bytes between the terminal and the adapter (reading DTR and the baud rate
// the program set from the terminal's settings, optionally pacing its answers at the baud rate),
// rings lines at random for --auto, and serves the control interface on a Unix socket or loopback
// TCP. Used by the phonesim program, by tests, and inside the program for a port whose
// [Serial] COMn is "sim" while the adapter is a phone-lines adapter.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "phonesim/adapter.h"

namespace phonesim {

struct SimulatorOptions {
    AdapterOptions adapter;
    std::string link;        // a symbolic link to the terminal, made (and replaced) at start
    std::string control;     // "HOST:PORT" (loopback TCP, port 0: a free one) or a socket path; "" none
    double timeScale = 1.0;  // the adapter's times (rings, erase, messages) run this much faster
    bool pace = false;       // answers take the time their bytes take at the baud rate
    std::string flashDir;    // the flash kept in files line0.bin ... (loaded at start, saved at stop)
    double autoRate = 0;     // calls a minute on random lines with random numbers
};

class Simulator {
public:
    explicit Simulator(SimulatorOptions options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool start(std::string& error);
    void stop();

    std::string devicePath() const;
    std::string terminalPath() const { return terminal_; }
    std::string controlAddress() const { return controlAddress_; }

    // One control command from any thread: its reply line.
    std::string control(std::string_view line);
    void withAdapter(const std::function<void(Adapter&)>& f);
    uint64_t nowMs() const;

    void waitForQuit();
    bool quitRequested() const;

private:
    void ioLoop();
    void controlLoop();
    void serve(int fd);
    std::string voiceCommand(const std::vector<std::string>& words);
    void loadFlash();
    void saveFlash();

    SimulatorOptions options_;
    mutable std::mutex m_;
    Adapter adapter_;
    int master_ = -1, slave_ = -1;
    int wake_[2] = {-1, -1};
    int listen_ = -1;
    std::string terminal_, controlAddress_, socketPath_;
    std::thread io_, controlThread_;
    bool started_ = false;
    bool stopping_ = false;
    bool quit_ = false;
    int64_t epochNs_ = 0;
    uint64_t nextAuto_ = 0;
    uint32_t rng_ = 2463534242u;
};

}  // namespace phonesim
