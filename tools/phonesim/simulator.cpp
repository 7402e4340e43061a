// termios2 for the baud rate the program set; <termios.h> cannot come in beside it.
#include "phonesim/simulator.h"

#include <arpa/inet.h>
#include <asm/termbits.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "interactive/itv_result.h"
#include "interactive/voice_message.h"
#include "phonesim/control.h"
#include "platform/files.h"
#include "platform/serial_port.h"

extern "C" {
int posix_openpt(int flags);
int grantpt(int fd);
int unlockpt(int fd);
int ptsname_r(int fd, char* buf, size_t buflen);
}

namespace phonesim {

namespace {

int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool ParseTcp(const std::string& address, sockaddr_in& out) {
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

Simulator::Simulator(SimulatorOptions options) : options_(std::move(options)), adapter_(options_.adapter) {
    if (options_.timeScale <= 0) options_.timeScale = 1.0;
}

Simulator::~Simulator() { stop(); }

uint64_t Simulator::nowMs() const { return uint64_t(double(SteadyNs() - epochNs_) / 1e6 * options_.timeScale); }

std::string Simulator::devicePath() const { return options_.link.empty() ? terminal_ : options_.link; }

bool Simulator::start(std::string& error) {
    if (started_) return true;
    epochNs_ = SteadyNs();
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    char name[128] = {};
    if (master_ < 0 || grantpt(master_) || unlockpt(master_) || ptsname_r(master_, name, sizeof name)) {
        error = "cannot make a pseudo-terminal";
        return false;
    }
    terminal_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        error = "cannot open " + terminal_;
        return false;
    }
    struct termios2 t {};
    if (ioctl(slave_, TCGETS2, &t) == 0) {
        t.c_iflag = 0;
        t.c_oflag = 0;
        t.c_lflag = 0;
        ioctl(slave_, TCSETS2, &t);
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    if (!options_.link.empty()) {
        ::unlink(options_.link.c_str());
        if (::symlink(terminal_.c_str(), options_.link.c_str()) != 0) {
            error = "cannot make the link " + options_.link;
            return false;
        }
    }
    if (pipe(wake_) != 0) {
        error = "no pipe";
        return false;
    }
    if (!options_.control.empty()) {
        sockaddr_in in{};
        if (ParseTcp(options_.control, in)) {
            listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            int one = 1;
            setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
            if (listen_ < 0 || bind(listen_, reinterpret_cast<sockaddr*>(&in), sizeof in) || listen(listen_, 4)) {
                error = "cannot listen on " + options_.control;
                return false;
            }
            socklen_t len = sizeof in;
            getsockname(listen_, reinterpret_cast<sockaddr*>(&in), &len);
            char host[64];
            inet_ntop(AF_INET, &in.sin_addr, host, sizeof host);
            controlAddress_ = std::string(host) + ":" + std::to_string(ntohs(in.sin_port));
        } else {
            sockaddr_un un{};
            un.sun_family = AF_UNIX;
            if (options_.control.size() >= sizeof un.sun_path) {
                error = "control path too long";
                return false;
            }
            std::strcpy(un.sun_path, options_.control.c_str());
            ::unlink(un.sun_path);
            listen_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (listen_ < 0 || bind(listen_, reinterpret_cast<sockaddr*>(&un), sizeof un) || listen(listen_, 4)) {
                error = "cannot listen on " + options_.control;
                return false;
            }
            socketPath_ = controlAddress_ = options_.control;
        }
    }
    loadFlash();
    if (options_.autoRate > 0) nextAuto_ = uint64_t(60000.0 / options_.autoRate);
    started_ = true;
    io_ = std::thread([this] { ioLoop(); });
    if (listen_ >= 0) controlThread_ = std::thread([this] { controlLoop(); });
    return true;
}

void Simulator::stop() {
    if (!started_) return;
    {
        std::lock_guard l(m_);
        stopping_ = true;
        quit_ = true;
    }
    (void)!write(wake_[1], "x", 1);
    if (io_.joinable()) io_.join();
    if (controlThread_.joinable()) controlThread_.join();
    saveFlash();
    for (int* fd : {&master_, &slave_, &wake_[0], &wake_[1], &listen_})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    if (!options_.link.empty()) ::unlink(options_.link.c_str());
    if (!socketPath_.empty()) ::unlink(socketPath_.c_str());
    started_ = false;
}

void Simulator::withAdapter(const std::function<void(Adapter&)>& f) {
    std::lock_guard l(m_);
    f(adapter_);
}

bool Simulator::quitRequested() const {
    std::lock_guard l(m_);
    return quit_;
}

void Simulator::waitForQuit() {
    while (!quitRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

std::string Simulator::voiceCommand(const std::vector<std::string>& w) {
    if (w.size() != 4 || (w[1] != "dump" && w[1] != "load") || w[2].size() != 1 || w[2][0] < '0' || w[2][0] > '7')
        return "ERR voice dump|load LINE FILE.wav";
    const int line = w[2][0] - '0';
    const bool v1 = adapter_.options().version == 1;
    if (w[1] == "dump") {
        const auto m = adapter_.message(line);
        auto file = v1 ? interactive::MakeVoiceWavLinear8(m) : interactive::MakeVoiceWav(m);
        if (!platform::WriteFileAtomic(w[3], file)) return "ERR cannot write " + w[3];
        return "OK " + std::to_string(m.size()) + " samples";
    }
    std::vector<uint8_t> samples;
    int r = interactive::LoadVoiceWav(w[3], v1 ? interactive::ITV_VERSION_1 : interactive::ITV_VERSION_2, samples);
    if (r != interactive::WAV_OK && r != interactive::WAV_TOO_LONG) return "ERR cannot load " + w[3];
    adapter_.setMessage(line, samples);
    return "OK " + std::to_string(samples.size()) + " samples";
}

std::string Simulator::control(std::string_view line) {
    std::lock_guard l(m_);
    bool handled = true;
    std::string reply = HandleControl(adapter_, line, nowMs(), handled);
    if (handled) return reply;
    const auto w = Words(line);
    if (w[0] == "quit") {
        quit_ = true;
        return "OK bye";
    }
    return voiceCommand(w);
}

void Simulator::ioLoop() {
    uint8_t buf[512];
    for (;;) {
        pollfd p[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        int r = poll(p, 2, 5);
        {
            std::lock_guard l(m_);
            if (stopping_) return;
        }
        if (r < 0) continue;
        std::string out;
        uint32_t baud = 0;
        if (p[0].revents & POLLIN) {
            ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0) {
                struct termios2 t {};
                if (ioctl(slave_, TCGETS2, &t) == 0) baud = t.c_ospeed;
                bool dtr = false, rts = false;
                platform::PtyModemLines(slave_, dtr, rts);
                std::lock_guard l(m_);
                out = adapter_.receive(buf, size_t(n), dtr, baud, nowMs());
            }
        } else if (p[0].revents & (POLLHUP | POLLERR)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        {
            std::lock_guard l(m_);
            const uint64_t now = nowMs();
            adapter_.advance(now);
            if (nextAuto_ && now >= nextAuto_) {
                nextAuto_ = now + uint64_t(60000.0 / options_.autoRate);
                auto next = [&] {
                    rng_ ^= rng_ << 13;
                    rng_ ^= rng_ >> 17;
                    rng_ ^= rng_ << 5;
                    return rng_;
                };
                const int line = int(next() % uint32_t(adapter_.options().lines));
                std::string number = std::to_string(1000000 + next() % 9000000);
                std::string error;
                adapter_.ring(line, number, Cid::None, false, 1, now, error);
            }
        }
        if (!out.empty()) {
            if (options_.pace && baud) {
                const double ms = double(out.size()) * 10000.0 / baud / options_.timeScale;
                std::this_thread::sleep_for(std::chrono::microseconds(int64_t(ms * 1000)));
            }
            size_t sent = 0;
            while (sent < out.size()) {
                ssize_t n = ::write(master_, out.data() + sent, out.size() - sent);
                if (n > 0) sent += size_t(n);
                else {
                    pollfd q{master_, POLLOUT, 0};
                    if (poll(&q, 1, 100) <= 0) break;
                }
            }
        }
    }
}

void Simulator::controlLoop() {
    for (;;) {
        pollfd p[2] = {{listen_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (poll(p, 2, -1) < 0) continue;
        if (p[1].revents) return;
        int fd = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            serve(fd);
            ::close(fd);
        }
    }
}

void Simulator::serve(int fd) {
    std::string pending;
    char buf[512];
    for (;;) {
        pollfd p[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (poll(p, 2, -1) < 0) continue;
        if (p[1].revents) return;
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) return;
        pending.append(buf, size_t(n));
        if (pending.size() > 4096 && pending.find('\n') == std::string::npos) return;  // not a line protocol
        size_t nl;
        while ((nl = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            std::string reply = control(line) + "\n";
            if (!platform::WriteAll(fd, reply.data(), reply.size())) return;
        }
    }
}

void Simulator::loadFlash() {
    if (options_.flashDir.empty()) return;
    for (int i = 0; i < adapter_.options().lines; ++i) {
        std::vector<uint8_t> f;
        const std::string path = platform::JoinPath(options_.flashDir, "line" + std::to_string(i) + ".bin");
        if (!platform::ReadFile(path, f)) continue;
        if (adapter_.options().version == 2 && f.size() != 65536) continue;  // not a flash image
        adapter_.flash(i) = f;
    }
}

void Simulator::saveFlash() {
    if (options_.flashDir.empty()) return;
    platform::MakeDirectories(options_.flashDir);
    for (int i = 0; i < adapter_.options().lines; ++i)
        platform::WriteFileAtomic(platform::JoinPath(options_.flashDir, "line" + std::to_string(i) + ".bin"),
                                  adapter_.flash(i));
}

}  // namespace phonesim
