// termios2 for the baud rate the program set (any rate, also 14400); <termios.h> cannot come in
// beside it.
#include "gsmsim/simulator.h"

#include <arpa/inet.h>
#include <asm/termbits.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>

extern "C" {
int posix_openpt(int flags);
int grantpt(int fd);
int unlockpt(int fd);
int ptsname_r(int fd, char* buf, size_t buflen);
}

namespace gsmsim {

namespace {

uint64_t SteadyMs() {
    return uint64_t(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

std::string Printable(std::string_view bytes) {
    std::string s;
    for (unsigned char c : bytes) {
        if (c == '\r') s += "\\r";
        else if (c == '\n') s += "\\n";
        else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            s += hex;
        } else s.push_back(char(c));
    }
    return s;
}

// "HOST:PORT" into an IPv4 address; an empty host is loopback.
bool ParseAddress(const std::string& address, sockaddr_in& out) {
    size_t colon = address.rfind(':');
    if (colon == std::string::npos) return false;
    std::string host = address.substr(0, colon);
    char* end = nullptr;
    long port = std::strtol(address.c_str() + colon + 1, &end, 10);
    if (end == address.c_str() + colon + 1 || *end || port < 0 || port > 65535) return false;
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    out.sin_port = htons(uint16_t(port));
    if (host.empty() || host == "localhost") host = "127.0.0.1";
    return inet_pton(AF_INET, host.c_str(), &out.sin_addr) == 1;
}

}  // namespace

bool ReadScript(const std::string& path, std::vector<ScriptLine>& out, std::string& error) {
    std::ifstream f(path);
    if (!f) {
        error = "cannot read the script " + path;
        return false;
    }
    std::string line;
    int number = 0;
    out.clear();
    while (std::getline(f, line)) {
        ++number;
        size_t b = line.find_first_not_of(" \t\r");
        if (b == std::string::npos || line[b] == '#') continue;
        char* end = nullptr;
        double seconds = std::strtod(line.c_str() + b, &end);
        if (end == line.c_str() + b || seconds < 0 || (*end != ' ' && *end != '\t')) {
            error = path + ":" + std::to_string(number) + ": a line is SECONDS COMMAND";
            return false;
        }
        std::string command = end;
        command.erase(0, command.find_first_not_of(" \t"));
        while (!command.empty() && (command.back() == '\r' || command.back() == ' ')) command.pop_back();
        out.push_back({seconds, command});
    }
    std::stable_sort(out.begin(), out.end(), [](auto& a, auto& b) { return a.seconds < b.seconds; });
    return true;
}

Simulator::Simulator(SimulatorOptions options)
    : options_(std::move(options)), modem_(options_.modem), control_(modem_) {}

Simulator::~Simulator() { stop(); }

uint64_t Simulator::nowMs() const { return SteadyMs() - epoch_; }

void Simulator::wake() {
    char b = 1;
    (void)!write(wake_[1], &b, 1);
}

bool Simulator::openTerminal(std::string& error) {
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
        error = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
        if (master >= 0) ::close(master);
        return false;
    }
    int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        error = std::string("cannot open ") + name + ": " + std::strerror(errno);
        ::close(master);
        return false;
    }
    // Raw from the start: the terminal's default echo would hand the modem its own replies.
    struct termios2 t {};
    ioctl(slave, TCGETS2, &t);
    t.c_iflag = 0;
    t.c_oflag = 0;
    t.c_lflag = 0;
    t.c_cflag = (t.c_cflag & ~tcflag_t(CSIZE | PARENB | CSTOPB | CBAUD | CIBAUD)) | CS8 | CREAD | CLOCAL | BOTHER;
    t.c_ispeed = t.c_ospeed = 19200;
    ioctl(slave, TCSETS2, &t);
    SetNonBlocking(master);
    if (!options_.link.empty()) {
        std::string temp = options_.link + ".new";
        ::unlink(temp.c_str());
        if (symlink(name, temp.c_str()) != 0 || rename(temp.c_str(), options_.link.c_str()) != 0) {
            error = "cannot make the link " + options_.link + ": " + std::strerror(errno);
            ::close(slave);
            ::close(master);
            return false;
        }
    }
    master_ = master;
    slave_ = slave;
    terminal_ = name;
    return true;
}

void Simulator::closeTerminal() {
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    master_ = slave_ = -1;
}

bool Simulator::start(std::string& error) {
    if (started_) return true;
    if (!options_.script.empty() && !ReadScript(options_.script, script_, error)) return false;
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = "cannot make a pipe";
        return false;
    }
    if (!openTerminal(error)) return false;
    if (!options_.control.empty()) {
        sockaddr_in addr;
        if (!ParseAddress(options_.control, addr)) {
            error = "the control address is HOST:PORT (IPv4)";
            stop();
            return false;
        }
        listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int one = 1;
        setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (listen_ < 0 || bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            listen(listen_, 8) != 0) {
            error = "cannot listen on " + options_.control + ": " + std::strerror(errno);
            stop();
            return false;
        }
        socklen_t len = sizeof addr;
        getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
        char host[INET_ADDRSTRLEN];
        inet_ntop(AF_INET, &addr.sin_addr, host, sizeof host);
        controlAddress_ = std::string(host) + ":" + std::to_string(ntohs(addr.sin_port));
    }
    epoch_ = SteadyMs();
    started_ = true;
    io_ = std::thread([this] { ioLoop(); });
    if (listen_ >= 0) controlThread_ = std::thread([this] { controlLoop(); });
    return true;
}

void Simulator::stop() {
    {
        std::lock_guard l(m_);
        stopping_ = true;
        quit_ = true;
    }
    cv_.notify_all();
    if (wake_[1] >= 0) wake();
    if (io_.joinable()) io_.join();
    if (controlThread_.joinable()) controlThread_.join();
    std::lock_guard l(m_);
    closeTerminal();
    if (listen_ >= 0) ::close(listen_);
    listen_ = -1;
    for (int& fd : wake_) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    if (!options_.link.empty() && started_) ::unlink(options_.link.c_str());
    started_ = false;
}

std::string Simulator::devicePath() const {
    std::lock_guard l(m_);
    return options_.link.empty() ? terminal_ : options_.link;
}

std::string Simulator::terminalPath() const {
    std::lock_guard l(m_);
    return terminal_;
}

void Simulator::withModem(const std::function<void(Modem&)>& f) {
    std::lock_guard l(m_);
    f(modem_);
}

void Simulator::waitForQuit() {
    std::unique_lock l(m_);
    cv_.wait(l, [&] { return quit_; });
}

bool Simulator::quitRequested() const {
    std::lock_guard l(m_);
    return quit_;
}

void Simulator::requestQuit() {
    {
        std::lock_guard l(m_);
        quit_ = true;
    }
    cv_.notify_all();
}

std::string Simulator::lineSettings() const {
    struct termios2 t {};
    if (slave_ < 0 || ioctl(slave_, TCGETS2, &t) != 0) return "ERR no terminal";
    const char* sizes[] = {"5", "6", "7", "8"};
    std::string s = "OK baud=" + std::to_string(t.c_ospeed) + " data=" + sizes[(t.c_cflag & CSIZE) >> 4];
    s += std::string(" parity=") + (!(t.c_cflag & PARENB) ? "N" : (t.c_cflag & PARODD) ? "O" : "E");
    s += std::string(" stop=") + ((t.c_cflag & CSTOPB) ? "2" : "1");
    s += std::string(" flow=") + ((t.c_cflag & CRTSCTS) ? "rts/cts" : (t.c_iflag & IXON) ? "xon/xoff" : "none");
    bool raw = !(t.c_lflag & (ICANON | ECHO | ISIG)) && !(t.c_oflag & OPOST) && !(t.c_iflag & (ICRNL | INLCR | IGNCR));
    s += raw ? " raw" : " cooked";
    return s;
}

std::string Simulator::simulatorCommand(const std::string& cmd, bool& handled) {
    handled = true;
    if (cmd == "quit") {
        quit_ = true;
        cv_.notify_all();
        return "OK quit";
    }
    if (cmd == "line") return lineSettings();
    handled = false;
    return {};
}

std::string Simulator::control(std::string_view line) {
    std::unique_lock l(m_);
    std::vector<Word> w = Words(line);
    if (!w.empty() && w[0].text == "drop") {
        if (!started_) return "ERR not running";
        dropRequested_ = true;
        wake();
        cv_.wait_for(l, std::chrono::seconds(2), [&] { return !dropRequested_ || stopping_; });
        return "OK drop: terminal " + terminal_;
    }
    bool handled = false;
    std::string reply = control_.handle(line, nowMs(), handled);
    if (!handled) reply = simulatorCommand(w[0].text, handled);
    if (!handled) reply = "ERR unknown command " + w[0].text + " (help lists them)";
    l.unlock();
    wake();
    return reply;
}

void Simulator::ioLoop() {
    std::string pending;
    uint64_t paceStart = 0, paceSent = 0;
    char buffer[4096];
    for (;;) {
        int master;
        uint32_t baud = 19200;
        int timeout = 200;
        {
            std::unique_lock l(m_);
            if (stopping_) break;
            const uint64_t now = nowMs();
            if (dropRequested_) {
                closeTerminal();
                modem_.powerCycle();
                pending.clear();
                std::string error;
                if (!openTerminal(error)) std::fprintf(stderr, "gsmsim: %s\n", error.c_str());
                dropRequested_ = false;
                cv_.notify_all();
            }
            while (nextScript_ < script_.size() && uint64_t(script_[nextScript_].seconds * 1000) <= now) {
                const std::string command = script_[nextScript_++].command;
                bool handled = false;
                std::string reply = control_.handle(command, now, handled);
                if (!handled) {
                    std::vector<Word> w = Words(command);
                    reply = w.empty() ? "ERR empty" : simulatorCommand(w[0].text, handled);
                }
                if (options_.trace) std::fprintf(stderr, "gsmsim: script %s: %s\n", command.c_str(), reply.c_str());
            }
            std::string out = modem_.takeOutput(now);
            if (!out.empty()) {
                if (pending.empty()) {
                    paceStart = now;
                    paceSent = 0;
                }
                pending += out;
                if (options_.trace) std::fprintf(stderr, "gsmsim > %s\n", Printable(out).c_str());
            }
            if (nextScript_ < script_.size())
                timeout = int(std::min<uint64_t>(uint64_t(timeout),
                                                 uint64_t(script_[nextScript_].seconds * 1000) -
                                                     std::min(now, uint64_t(script_[nextScript_].seconds * 1000))));
            uint64_t due = modem_.nextDue();
            if (due != UINT64_MAX) timeout = int(std::min<uint64_t>(uint64_t(timeout), due > now ? due - now : 0));
            master = master_;
            struct termios2 t {};
            if (slave_ >= 0 && ioctl(slave_, TCGETS2, &t) == 0 && t.c_ospeed > 0) baud = t.c_ospeed;
        }
        // Bytes the line has had time for since the reply began (10 bits a byte).
        size_t allowed = pending.size();
        if (options_.pacing && !pending.empty()) {
            uint64_t now = nowMs();
            uint64_t credit = (now - paceStart) * baud / 10000;
            allowed = size_t(std::min<uint64_t>(pending.size(), credit > paceSent ? credit - paceSent : 0));
            if (allowed == 0) timeout = std::min(timeout, int(10000 / baud) + 1);
        }
        pollfd p[2] = {{master, short(POLLIN | (allowed ? POLLOUT : 0)), 0}, {wake_[0], POLLIN, 0}};
        if (!pending.empty() && !allowed) p[0].events = POLLIN;
        int r = poll(p, 2, timeout);
        if (r < 0 && errno != EINTR) break;
        if (p[1].revents) {
            char drain[64];
            while (read(wake_[0], drain, sizeof drain) > 0) {}
        }
        if (p[0].revents & POLLIN) {
            ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0) {
                std::lock_guard l(m_);
                if (options_.trace) std::fprintf(stderr, "gsmsim < %s\n", Printable({buffer, size_t(n)}).c_str());
                modem_.input({buffer, size_t(n)}, nowMs());
            }
        }
        if (allowed && (p[0].revents & POLLOUT)) {
            ssize_t n = write(master, pending.data(), allowed);
            if (n > 0) {
                pending.erase(0, size_t(n));
                paceSent += uint64_t(n);
            }
        }
        if (p[0].revents & (POLLHUP | POLLERR) && !(p[0].revents & POLLIN)) {
            // Cannot happen while the simulator holds the terminal open; do not spin if it does.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
}

void Simulator::controlLoop() {
    std::map<int, std::string> clients;  // descriptor -> bytes of an unfinished line
    for (;;) {
        std::vector<pollfd> p = {{wake_[0], POLLIN, 0}, {listen_, POLLIN, 0}};
        for (auto& [fd, buf] : clients) p.push_back({fd, POLLIN, 0});
        {
            std::lock_guard l(m_);
            if (stopping_) break;
        }
        if (poll(p.data(), p.size(), 200) < 0 && errno != EINTR) break;
        if (p[1].revents & POLLIN) {
            int fd = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) clients[fd];
        }
        for (size_t i = 2; i < p.size(); ++i) {
            if (!p[i].revents) continue;
            int fd = p[i].fd;
            char buf[1024];
            ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0) {
                ::close(fd);
                clients.erase(fd);
                continue;
            }
            std::string& acc = clients[fd];
            acc.append(buf, size_t(n));
            size_t nl;
            while ((nl = acc.find('\n')) != std::string::npos) {
                std::string line = acc.substr(0, nl);
                acc.erase(0, nl + 1);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                std::string reply = Words(line).empty() ? "ERR empty command" : control(line);
                reply += "\n";
                (void)!send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
            }
            if (acc.size() > 65536) acc.clear();
        }
    }
    for (auto& [fd, buf] : clients) ::close(fd);
}

}  // namespace gsmsim
