#include "zx-player/server.h"

#include <unistd.h>

#include "platform/copydata_channel.h"
#include "platform/files.h"

namespace zxplayer {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

}  // namespace

std::string DefaultControlPath(const std::string& title) {
    return platform::RuntimeDir() + "zx-player-" + platform::copydata::TitleFileStem(title) + ".sock";
}

const char* ControlHelp() { return "status | log | snapshot PNG | refuse on|off | hang on|off | vanish | quit | help"; }

zxremote::ControlResult HandleControl(Player& player, std::string_view line) {
    line = Trim(line);
    const size_t space = line.find_first_of(" \t");
    const std::string word = platform::ToLowerAscii(line.substr(0, space));
    const std::string arg(space == std::string_view::npos ? std::string_view() : Trim(line.substr(space)));
    const std::string lower = platform::ToLowerAscii(arg);
    auto onOff = [&](auto set) {
        if (lower != "on" && lower != "off") return zxremote::ControlResult{"ERR " + word + " takes on or off"};
        set(lower == "on");
        return zxremote::ControlResult{"OK"};
    };
    if (word == "status" && arg.empty()) return {"OK " + player.StatusJson()};
    if (word == "log" && arg.empty()) return {"OK " + player.LogJson()};
    if (word == "snapshot") {
        std::string error;
        if (arg.empty()) return {"ERR snapshot takes a PNG path"};
        return {player.Snapshot(arg, error) ? "OK" : "ERR " + error};
    }
    if (word == "refuse") return onOff([&](bool on) { player.SetRefuse(on); });
    if (word == "hang") return onOff([&](bool on) { player.SetHung(on); });
    if (word == "vanish" && arg.empty()) return {"OK", false, true};
    if (word == "quit" && arg.empty()) return {"OK", true, false};
    if (word == "help" && arg.empty()) return {std::string("OK ") + ControlHelp()};
    return {std::string("ERR unknown command (") + ControlHelp() + ")"};
}

PlayerServer::PlayerServer(ServerOptions options, std::ostream* log)
    : options_(std::move(options)),
      player_(options_.player, log),
      controlPath_(options_.controlPath.empty() ? DefaultControlPath(options_.player.title) : options_.controlPath) {
    vanish_ = [] { ::_exit(0); };
}

PlayerServer::~PlayerServer() { player_.Shutdown(); }

intptr_t PlayerServer::onMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (msg == platform::MSG_CLOSE) {
        Quit();
        return 1;
    }
    if (msg != platform::MSG_COPYDATA) return 0;
    const auto* cd = reinterpret_cast<const platform::CopyData*>(lParam);
    return intptr_t(player_.OnCommand(cd->dwData, wParam, {cd->lpData, cd->cbData}));
}

int PlayerServer::Run(std::string& error, const std::function<void()>& ready) {
    platform::EventLoop loop;
    platform::LoopTarget target(loop, [this](uint32_t m, uintptr_t w, intptr_t l) { return onMessage(m, w, l); });
    loop.processPending();  // the loop is this thread's from here on
    platform::CopyDataWindow window;
    if (!window.Open(&target, options_.player.title, options_.player.windowDir)) {
        error = "the window \"" + options_.player.title + "\" cannot be opened (is another zx-player running?)";
        return 1;
    }
    player_.SetSelf(window.handle());
    zxremote::ControlServer control;
    if (!control.Start(
            controlPath_, [this](std::string_view line) { return HandleControl(player_, line); }, [this] { Quit(); },
            [this] { vanish_(); }, error)) {
        window.Close();
        return 1;
    }
    loop_ = &loop;
    if (ready) ready();
    if (!quit_) loop.run();
    loop_ = nullptr;
    player_.SetHung(false);
    control.Stop();
    window.Close();
    player_.Shutdown();
    return 0;
}

void PlayerServer::Quit() {
    quit_ = true;
    player_.SetHung(false);
    if (platform::EventLoop* l = loop_.load()) l->quit();
}

}  // namespace zxplayer
