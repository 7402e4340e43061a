#include "ktgsim/server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "device/net_transport.h"
#include "device/session_packet.h"
#include "device/sim_lpt_protocol.h"
#include "device/socket_io.h"
#include "ktgsim/control.h"
#include "ktgsim/link_side.h"

namespace ktgsim {

using Clock = std::chrono::steady_clock;
namespace sock = device::sock;

namespace {

// The Device's listeners: TCP at "HOST:PORT" (HOST may be left out for loopback, port 0 picks a
// free one), with the address bound.
int ListenTcp(const std::string& address, std::string& bound, std::string& error) {
    std::string host;
    uint16_t port = 0;
    if (!sock::ParseAddress(address, host, port, sock::AddressFor::Listen)) {
        error = "expected HOST:PORT, not '" + address + "'";
        return -1;
    }
    const int fd = sock::ListenTcp(host, port, &error);
    if (fd >= 0) bound = sock::LocalAddress(fd);
    return fd;
}

}  // namespace

Server::Server(ServerOptions options) : options_(std::move(options)), device_(options_.device) {
    if (!(options_.timeScale > 0)) options_.timeScale = 1.0;
}

Server::~Server() { stop(); }

bool Server::start(std::string& error) {
    if (started_) return true;
    if (pipe2(wake_, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    auto fail = [&] {
        for (int* fd : {&netFd_, &lptFd_, &controlFd_, &wake_[0], &wake_[1]})
            if (*fd >= 0) {
                close(*fd);
                *fd = -1;
            }
        return false;
    };
    if (!options_.listen.empty() && (netFd_ = ListenTcp(options_.listen, netAddress_, error)) < 0) return fail();
    if (!options_.lptSocket.empty() && (lptFd_ = sock::ListenUnix(options_.lptSocket, &error)) < 0) return fail();
    if (!options_.control.empty() && (controlFd_ = ListenTcp(options_.control, controlAddress_, error)) < 0)
        return fail();
    started_ = true;
    if (!options_.manualFields) fieldThread_ = std::thread([this] { fieldLoop(); });
    acceptThread_ = std::thread([this] { acceptLoop(); });
    return true;
}

void Server::stop() {
    if (!started_) return;
    {
        std::lock_guard lock(m_);
        stopping_ = true;
    }
    cv_.notify_all();
    const char b = 1;
    (void)!write(wake_[1], &b, 1);
    if (acceptThread_.joinable()) acceptThread_.join();
    if (fieldThread_.joinable()) fieldThread_.join();
    {
        std::lock_guard lock(connMutex_);
        for (auto& c : connections_) shutdown(c->fd, SHUT_RDWR);
    }
    for (auto& c : connections_)
        if (c->thread.joinable()) c->thread.join();
    connections_.clear();
    for (int* fd : {&netFd_, &lptFd_, &controlFd_, &wake_[0], &wake_[1]})
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
    if (!options_.lptSocket.empty()) unlink(options_.lptSocket.c_str());
    started_ = false;
}

void Server::setFrameCallback(FrameCallback callback) {
    std::lock_guard lock(callbackMutex_);
    callback_ = std::move(callback);
}

bool Server::snapshot(const std::string& path, std::string& error) const {
    Picture pic;
    render(pic);
    if (!WritePng(path, pic)) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

void Server::requestQuit() {
    {
        std::lock_guard lock(m_);
        quit_ = true;
    }
    cv_.notify_all();
}

void Server::waitForQuit() {
    std::unique_lock lock(m_);
    cv_.wait(lock, [&] { return quit_ || stopping_; });
}

void Server::fieldLoop() {
    const auto period = std::chrono::duration<double>(0.020 / options_.timeScale);
    const auto t0 = Clock::now();
    uint64_t done = 0;
    auto lastFrame = Clock::now() - std::chrono::seconds(1);
    Picture pic;
    std::unique_lock lock(m_);
    while (!stopping_) {
        lock.unlock();
        const auto now = Clock::now();
        const uint64_t due = uint64_t((now - t0) / period);
        if (due > done) {
            device_.advanceFields(int(std::min<uint64_t>(due - done, 1u << 20)));
            done = due;
        }
        // The viewer gets a frame at most every 40 ms of real time, however fast the fields run.
        {
            std::lock_guard cb(callbackMutex_);
            if (callback_ && now - lastFrame >= std::chrono::milliseconds(40) && device_.takeDirty()) {
                lastFrame = now;
                render(pic);
                callback_(pic);
            }
        }
        auto next = t0 + std::chrono::duration_cast<Clock::duration>(period * double(done + 1));
        const auto soonest = Clock::now() + std::chrono::microseconds(500);
        if (next < soonest) next = soonest;
        lock.lock();
        cv_.wait_until(lock, next, [&] { return stopping_; });
    }
}

void Server::acceptLoop() {
    for (;;) {
        pollfd p[4];
        Kind kinds[4];
        int n = 0;
        p[n++] = {wake_[0], POLLIN, 0};
        if (netFd_ >= 0) kinds[n] = Kind::Net, p[n++] = {netFd_, POLLIN, 0};
        if (lptFd_ >= 0) kinds[n] = Kind::Lpt, p[n++] = {lptFd_, POLLIN, 0};
        if (controlFd_ >= 0) kinds[n] = Kind::Control, p[n++] = {controlFd_, POLLIN, 0};
        int rc = poll(p, nfds_t(n), -1);
        if (rc < 0 && errno == EINTR) continue;
        if (rc < 0 || (p[0].revents & POLLIN)) return;
        for (int i = 1; i < n; ++i) {
            if (!(p[i].revents & POLLIN)) continue;
            sock::Deadline now(0);
            int fd = sock::Accept(p[i].fd, now);
            if (fd < 0) continue;
            std::lock_guard lock(connMutex_);
            // Forget connections that have ended.
            for (auto it = connections_.begin(); it != connections_.end();) {
                if ((*it)->done) {
                    (*it)->thread.join();
                    it = connections_.erase(it);
                } else {
                    ++it;
                }
            }
            auto c = std::make_unique<Connection>();
            c->fd = fd;
            Connection* raw = c.get();
            Kind kind = kinds[i];
            c->thread = std::thread([this, kind, raw] {
                serve(kind, raw->fd);
                {
                    std::lock_guard l(connMutex_);
                    close(raw->fd);
                    raw->fd = -1;
                }
                raw->done = true;
            });
            connections_.push_back(std::move(c));
        }
    }
}

void Server::serve(Kind kind, int fd) {
    switch (kind) {
        case Kind::Net: serveNet(fd); break;
        case Kind::Lpt: serveLpt(fd); break;
        case Kind::Control: serveControl(fd); break;
    }
}

// A connection waits for its peer as long as the peer likes; the server's stop ends every wait.
sock::Deadline Server::untilStop() const { return sock::Deadline::Unlimited(wake_[0]); }

bool Server::send(int fd, const void* data, size_t size) const {
    sock::Deadline wait = untilStop();
    return sock::WriteAll(fd, data, size, wait) == sock::Io::Ok;
}

void Server::serveControl(int fd) {
    ControlInterface control(device_,
                             [this](const std::string& path, std::string& error) { return snapshot(path, error); });
    std::string pending;
    char buf[512];
    sock::Deadline wait = untilStop();
    for (;;) {
        size_t eol;
        while ((eol = pending.find('\n')) == std::string::npos) {
            // A line longer than any command is a client gone wrong.
            if (pending.size() > 4096) return;
            size_t got = 0;
            if (sock::ReadSome(fd, buf, sizeof buf, got, wait) != sock::Io::Ok) return;
            pending.append(buf, got);
        }
        std::string line = pending.substr(0, eol);
        pending.erase(0, eol + 1);
        bool quit = false;
        std::string reply = control.handle(line, quit) + "\n";
        if (!send(fd, reply.data(), reply.size())) return;
        if (quit) {
            requestQuit();
            return;
        }
    }
}

namespace {

// The called name of a session request: the first of its two encoded names (a length of 32,
// 32 letters, then labels of a scope up to an empty one).
bool CalledName(const std::vector<uint8_t>& payload, device::NetName& name) {
    if (payload.size() < 34 || payload[0] != 32) return false;
    return device::DecodeNetName(std::string_view(reinterpret_cast<const char*>(payload.data() + 1), 32), name);
}

}  // namespace

bool Server::sendSession(int fd, uint8_t type, const std::vector<uint8_t>& payload) const {
    auto head = device::SessionHeader(type, payload.size());
    sock::Deadline wait = untilStop();
    return sock::WriteAll(fd, head.data(), head.size(), payload.data(), payload.size(), wait) == sock::Io::Ok;
}

void Server::serveNet(int fd) {
    const uint64_t epoch = device_.powerEpoch();
    EthernetSide side(device_);
    device::SessionPacketReader reader;
    bool established = false;
    std::vector<uint8_t> buf(64 * 1024);
    sock::Deadline wait = untilStop();
    for (;;) {
        uint8_t type = 0;
        std::vector<uint8_t> payload;
        while (reader.next(type, payload)) {
            // Sessions opened before the Device was last switched on are gone.
            if (device_.powerEpoch() != epoch) return;
            if (!device_.powered()) continue;  // switched off: silence
            if (type == device::SESSION_KEEP_ALIVE) continue;
            if (!established) {
                if (type != device::SESSION_REQUEST) return;
                device::NetName called{};
                const bool ours = CalledName(payload, called) && (called == device::NetTransport::DeviceName(false) ||
                                                                  called == device::NetTransport::DeviceName(true));
                if (!ours) {
                    sendSession(fd, device::NEGATIVE_SESSION_RESPONSE, {device::SESSION_CALLED_NOT_PRESENT});
                    return;
                }
                if (!sendSession(fd, device::POSITIVE_SESSION_RESPONSE, {})) return;
                established = true;
                continue;
            }
            if (type != device::SESSION_MESSAGE) return;
            std::vector<uint8_t> reply;
            side.message(payload.data(), payload.size(), reply);
            if (!reply.empty() && !sendSession(fd, device::SESSION_MESSAGE, reply)) return;
        }
        if (reader.failed()) return;
        size_t got = 0;
        if (sock::ReadSome(fd, buf.data(), buf.size(), got, wait) != sock::Io::Ok) return;
        if (device_.powerEpoch() != epoch) return;
        reader.feed(buf.data(), got);
    }
}

void Server::serveLpt(int fd) {
    using namespace device::simlpt;
    const uint64_t epoch = device_.powerEpoch();
    LptSide side(device_);
    std::vector<uint8_t> payload;
    sock::Deadline wait = untilStop();
    for (;;) {
        uint8_t head[kSimLptHeaderSize];
        Frame req;
        if (sock::ReadExact(fd, head, sizeof head, wait) != sock::Io::Ok || !DecodeFrame(head, req)) return;
        // Only data writes carry a payload; anything else with one is a client out of step.
        if (req.length > 0 && req.code != device::PAR_IOCTL_WRITE_DATA) return;
        if (req.code == device::PAR_IOCTL_WRITE_DATA && req.length != req.value) return;
        payload.resize(req.length);
        if (req.length > 0 && sock::ReadExact(fd, payload.data(), req.length, wait) != sock::Io::Ok) return;
        if (device_.powerEpoch() != epoch) return;
        if (!device_.powered()) continue;  // switched off: no answer at all

        Frame reply{req.code, device::PAR_OK, 0, 0};
        std::vector<uint8_t> data;
        switch (req.code) {
            case SIMLPT_HELLO:
                if (req.word != kSimLptVersion || req.value != kSimLptMagic) reply.word = device::PAR_FAILED;
                reply.value = kSimLptVersion;
                break;
            case device::PAR_SELECT_PORT:
                if (req.word < 1 || req.word > 3) reply.word = device::PAR_NO_PORT;
                break;
            case device::PAR_TERMINATE:
            case device::PAR_ACQUIRE:
            case device::PAR_RELEASE:
            case device::PAR_NEGOTIATE: break;
            case device::PAR_CAPABILITY:
                reply.value = 1;  // ECP
                break;
            case device::PAR_IOCTL_WRITE_ADDRESS: side.address(uint8_t(req.word)); break;
            case device::PAR_IOCTL_WRITE_DATA:
                side.write(payload.data(), payload.size());
                reply.value = req.length;
                break;
            case device::PAR_IOCTL_READ_DATA: {
                uint8_t record[8];
                size_t n = side.read(record, std::min<size_t>(req.value, sizeof record));
                data.assign(record, record + n);
                reply.value = uint32_t(n);
                reply.length = uint32_t(n);
                break;
            }
            default: reply.word = device::PAR_FAILED; break;
        }
        EncodeFrame(reply, head);
        sock::Deadline replyWait = untilStop();
        if (sock::WriteAll(fd, head, sizeof head, data.data(), data.size(), replyWait) != sock::Io::Ok) return;
    }
}

}  // namespace ktgsim
