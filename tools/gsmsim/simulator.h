// The modem on a pseudo-terminal: the program opens the terminal's other end as its serial port.
// One thread moves bytes between the terminal and the modem (its replies paced at the baud rate
// the program set on the line) and runs the script of timed commands; another serves the control
// interface over TCP. Used by the gsmsim program, by tests, and inside the program for a port
// whose [Serial] COMn is "sim".
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "gsmsim/control.h"
#include "gsmsim/modem.h"

namespace gsmsim {

struct SimulatorOptions {
    ModemOptions modem;
    std::string link;     // a symbolic link to the terminal, made (and replaced) at start
    std::string control;  // the control interface "HOST:PORT" (port 0: a free one); "" = none
    bool pacing = true;   // replies take the time their bytes take at the line's baud rate
    std::string script;   // a file of timed control commands; "" = none
    bool trace = false;   // prints the conversation on standard error
};

// One line of a script: seconds after the start, then a control command.
struct ScriptLine {
    double seconds = 0;
    std::string command;
};
// Reads a script ("# ..." and empty lines are comments); false with the line that is wrong.
bool ReadScript(const std::string& path, std::vector<ScriptLine>& out, std::string& error);

class Simulator {
public:
    explicit Simulator(SimulatorOptions options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Opens the terminal (and the control interface) and starts the threads; false with a reason.
    bool start(std::string& error);
    // Ends the threads and closes the terminal; safe to call twice.
    void stop();

    // What the program opens: the link when there is one, else the terminal itself.
    std::string devicePath() const;
    std::string terminalPath() const;
    std::string controlAddress() const { return controlAddress_; }

    // One control command, from any thread: the reply line. "drop" gives the modem a power
    // cut: the terminal is closed (the program's port hangs up) and a new one made, the link
    // pointing to it.
    std::string control(std::string_view line);

    // Runs f on the modem under the simulator's lock (tests).
    void withModem(const std::function<void(Modem&)>& f);

    // Blocks until "quit" (control or script), requestQuit() or stop().
    void waitForQuit();
    void requestQuit();
    bool quitRequested() const;

private:
    bool openTerminal(std::string& error);
    void closeTerminal();
    void ioLoop();
    void controlLoop();
    std::string lineSettings() const;
    uint64_t nowMs() const;
    void wake();
    // A command for the simulator itself (handled false: the modem's).
    std::string simulatorCommand(const std::string& cmd, bool& handled);

    SimulatorOptions options_;
    mutable std::mutex m_;  // the modem, the script position, the terminal's descriptors
    std::condition_variable cv_;
    Modem modem_;
    Control control_;
    std::vector<ScriptLine> script_;
    size_t nextScript_ = 0;
    int master_ = -1;
    int slave_ = -1;  // held open so the terminal never hangs up while the program reopens it
    std::string terminal_;
    int wake_[2] = {-1, -1};
    int listen_ = -1;
    std::string controlAddress_;
    std::thread io_, controlThread_;
    bool started_ = false;
    bool stopping_ = false;
    bool quit_ = false;
    bool dropRequested_ = false;
    uint64_t epoch_ = 0;
};

}  // namespace gsmsim
