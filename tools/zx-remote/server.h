// zx-remote without its panel: the window "KTG Remote Control" with the message handler on an
// event loop, and the control interface. The program (main.cpp) and the tests run it.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/copydata_channel.h"
#include "platform/event_loop.h"
#include "zx-remote/control.h"
#include "zx-remote/remote_program.h"

namespace zxremote {

struct ServerOptions {
    SwitcherSetup setup;
    std::string title;        // "" = "KTG Remote Control"
    std::string dir;          // the windows' folder ("" = the runtime folder)
    std::string controlPath;  // "" = DefaultControlPath()
    std::string base;         // where relative macro paths start ("" = the working folder)
};

class RemoteServer {
public:
    explicit RemoteServer(ServerOptions options);
    ~RemoteServer();
    RemoteServer(const RemoteServer&) = delete;
    RemoteServer& operator=(const RemoteServer&) = delete;

    // Opens the window and the control socket and handles messages on the calling thread until
    // Quit (or "quit", or a close request). ready runs once both are open. 0, or 1 with a reason
    // in error (the title is taken by a running zx-remote, a socket cannot be made).
    int Run(std::string& error, const std::function<void()>& ready = {});
    // From any thread.
    void Quit();
    // What "vanish" does; the default ends the process at once.
    void setVanish(std::function<void()> fn) { vanish_ = std::move(fn); }
    // Called on the loop's thread when Run is about to return.
    void setOnQuit(std::function<void()> fn) { onQuit_ = std::move(fn); }

    RemoteProgram& program() { return program_; }
    uintptr_t handle() const { return handle_; }
    const std::string& controlPath() const { return controlPath_; }

private:
    intptr_t onMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam);

    ServerOptions options_;
    RemoteProgram program_;
    std::string controlPath_;
    std::atomic<platform::EventLoop*> loop_{nullptr};
    std::atomic<bool> quit_{false};
    std::atomic<uintptr_t> handle_{0};
    std::function<void()> vanish_, onQuit_;
};

}  // namespace zxremote
