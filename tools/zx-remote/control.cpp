#include "zx-remote/control.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "zx-remote/switcher.h"

namespace zxremote {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool Address(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.data(), path.size());
    return true;
}

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

bool SendAll(int fd, const std::string& s) {
    size_t sent = 0;
    while (sent < s.size()) {
        const ssize_t n = ::send(fd, s.data() + sent, s.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += size_t(n);
    }
    return true;
}

}  // namespace

const char* ControlHelp() {
    return "state | log | press NAME | remote on|off | hang on|off | fast-delay MS|never | vanish | quit | help";
}

std::string DefaultControlPath() { return platform::RuntimeDir() + "zx-remote-ctl.sock"; }

ControlResult HandleControl(RemoteProgram& program, std::string_view line) {
    ControlResult r;
    line = Trim(line);
    const size_t space = line.find_first_of(" \t");
    const std::string word = platform::ToLowerAscii(line.substr(0, space));
    const std::string arg(space == std::string_view::npos ? std::string_view() : Trim(line.substr(space)));
    const std::string lower = platform::ToLowerAscii(arg);
    auto onOff = [&](auto set) {
        if (lower != "on" && lower != "off") return ControlResult{"ERR " + word + " takes on or off"};
        set(lower == "on");
        return ControlResult{"OK"};
    };
    if (word == "state" && arg.empty()) {
        r.reply = "OK " + program.StateJson();
    } else if (word == "log" && arg.empty()) {
        r.reply = "OK " + program.LogJson();
    } else if (word == "press") {
        if (arg.empty() || !Switcher::Known(arg)) return {"ERR no button \"" + arg + "\""};
        program.switcher().Press(arg);
        r.reply = "OK";
    } else if (word == "remote") {
        return onOff([&](bool on) { program.switcher().SetRemote(on); });
    } else if (word == "hang") {
        return onOff([&](bool on) { program.SetHung(on); });
    } else if (word == "fast-delay") {
        int ms = -1;
        if (lower != "never") {
            char* end = nullptr;
            const long v = std::strtol(arg.c_str(), &end, 10);
            if (arg.empty() || *end || v < 0 || v > 600000) return {"ERR fast-delay takes MS (0-600000) or never"};
            ms = int(v);
        }
        program.switcher().SetFastDelay(ms);
        r.reply = "OK";
    } else if (word == "vanish" && arg.empty()) {
        r.reply = "OK";
        r.vanish = true;
    } else if (word == "quit" && arg.empty()) {
        r.reply = "OK";
        r.quit = true;
    } else if (word == "help" && arg.empty()) {
        r.reply = std::string("OK ") + ControlHelp();
    } else {
        r.reply = std::string("ERR unknown command (") + ControlHelp() + ")";
    }
    return r;
}

bool ControlServer::Start(const std::string& path, RemoteProgram& program, std::function<void()> onQuit,
                          std::function<void()> onVanish, std::string& error) {
    return Start(
        path, [&program](std::string_view line) { return HandleControl(program, line); }, std::move(onQuit),
        std::move(onVanish), error);
}

bool ControlServer::Start(const std::string& path, Handler handler, std::function<void()> onQuit,
                          std::function<void()> onVanish, std::string& error) {
    Stop();
    sockaddr_un addr;
    if (!Address(path, addr)) {
        error = "control socket path too long: " + path;
        return false;
    }
    listen_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ::unlink(path.c_str());
    if (listen_ < 0 || ::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listen_, 8) != 0 || ::pipe2(stop_, O_CLOEXEC) != 0) {
        error = "cannot listen on " + path + ": " + std::strerror(errno);
        CloseFd(listen_);
        return false;
    }
    path_ = path;
    handler_ = std::move(handler);
    onQuit_ = std::move(onQuit);
    onVanish_ = std::move(onVanish);
    thread_ = std::thread([this] { serve(); });
    return true;
}

void ControlServer::Stop() {
    if (!thread_.joinable()) return;
    [[maybe_unused]] ssize_t n = ::write(stop_[1], "x", 1);
    thread_.join();
    CloseFd(listen_);
    CloseFd(stop_[0]);
    CloseFd(stop_[1]);
    ::unlink(path_.c_str());
}

// One client at a time, one line after the other; a client has 10 s between lines.
void ControlServer::serve() {
    for (;;) {
        pollfd p[2] = {{stop_[0], POLLIN, 0}, {listen_, POLLIN, 0}};
        if (::poll(p, 2, -1) < 0 && errno != EINTR) return;
        if (p[0].revents) return;
        if (!(p[1].revents & POLLIN)) continue;
        int c = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0) continue;
        std::string in;
        bool open = true;
        while (open) {
            pollfd q[2] = {{stop_[0], POLLIN, 0}, {c, POLLIN, 0}};
            if (::poll(q, 2, 10000) <= 0 || q[0].revents) break;
            char buf[512];
            const ssize_t n = ::recv(c, buf, sizeof buf, 0);
            if (n <= 0) break;
            in.append(buf, size_t(n));
            if (in.size() > 4096) break;
            for (size_t eol; open && (eol = in.find('\n')) != std::string::npos;) {
                const ControlResult r = handler_(std::string_view(in).substr(0, eol));
                in.erase(0, eol + 1);
                open = SendAll(c, r.reply + "\n");
                if (r.vanish && onVanish_) onVanish_();
                if (r.quit) {
                    ::close(c);
                    if (onQuit_) onQuit_();
                    return;
                }
            }
        }
        ::close(c);
    }
}

bool ControlRequest(const std::string& path, const std::string& line, std::string& reply, std::string& error,
                    int timeoutMs) {
    sockaddr_un addr;
    if (!Address(path, addr)) {
        error = "control socket path too long: " + path;
        return false;
    }
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        error = "nothing answers on " + path;
        CloseFd(fd);
        return false;
    }
    bool ok = SendAll(fd, line + "\n");
    std::string in;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (ok && in.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd p = {fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, int(left.count())) <= 0) {
            ok = false;
            break;
        }
        char buf[4096];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) ok = false;
        else in.append(buf, size_t(n));
    }
    CloseFd(fd);
    if (!ok) {
        error = "no reply on " + path;
        return false;
    }
    reply = in.substr(0, in.find('\n'));
    return true;
}

}  // namespace zxremote
