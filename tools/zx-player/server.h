// zx-player without its window: the player window ("MPEG2_Video_Window_N") with the command
// handler on an event loop, and the control interface. The program (main.cpp) and the tests run
// it.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

#include "platform/event_loop.h"
#include "zx-player/player.h"
#include "zx-remote/control.h"

namespace zxplayer {

// The control socket of a player's title: in the runtime folder, one per board.
std::string DefaultControlPath(const std::string& title);
zxremote::ControlResult HandleControl(Player& player, std::string_view line);
const char* ControlHelp();

struct ServerOptions {
    PlayerOptions player;
    std::string controlPath;  // "" = DefaultControlPath(title)
};

class PlayerServer {
public:
    explicit PlayerServer(ServerOptions options, std::ostream* log = nullptr);
    ~PlayerServer();
    PlayerServer(const PlayerServer&) = delete;
    PlayerServer& operator=(const PlayerServer&) = delete;

    // Opens the window and the control socket and handles commands on the calling thread until
    // Quit ("quit", or a close request). 0, or 1 with the reason in error.
    int Run(std::string& error, const std::function<void()>& ready = {});
    void Quit();  // from any thread
    void setVanish(std::function<void()> fn) { vanish_ = std::move(fn); }
    Player& player() { return player_; }
    const std::string& controlPath() const { return controlPath_; }

private:
    intptr_t onMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam);

    ServerOptions options_;
    Player player_;
    std::string controlPath_;
    std::atomic<platform::EventLoop*> loop_{nullptr};
    std::atomic<bool> quit_{false};
    std::function<void()> vanish_;
};

}  // namespace zxplayer
