// zx-remote's control interface: a line protocol on a Unix socket for tests, scripts and a user
// at a terminal ("zx-remote ctl ..."). Every command line gets one reply line: "OK", with a
// result where there is one, or "ERR" and a reason.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "zx-remote/remote_program.h"

namespace zxremote {

struct ControlResult {
    std::string reply;
    bool quit = false;    // "quit": end the program
    bool vanish = false;  // "vanish": end at once, leaving the sockets behind
};

ControlResult HandleControl(RemoteProgram& program, std::string_view line);
const char* ControlHelp();

// The control socket's default place: the runtime folder.
std::string DefaultControlPath();

// The line server, also zx-player's: each line goes to a handler on the server's thread.
class ControlServer {
public:
    using Handler = std::function<ControlResult(std::string_view line)>;
    ~ControlServer() { Stop(); }
    // Listens on path. onQuit and onVanish run on the server's thread after the reply is sent.
    bool Start(const std::string& path, RemoteProgram& program, std::function<void()> onQuit,
               std::function<void()> onVanish, std::string& error);
    bool Start(const std::string& path, Handler handler, std::function<void()> onQuit, std::function<void()> onVanish,
               std::string& error);
    void Stop();

private:
    void serve();

    Handler handler_;
    std::function<void()> onQuit_, onVanish_;
    std::string path_;
    int listen_ = -1;
    int stop_[2] = {-1, -1};
    std::thread thread_;
};

// Sends one line to a control socket and reads the reply line; false with a reason when nothing
// answers within timeoutMs.
bool ControlRequest(const std::string& path, const std::string& line, std::string& reply, std::string& error,
                    int timeoutMs = 5000);

}  // namespace zxremote
