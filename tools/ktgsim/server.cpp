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

void Server::setFieldTap(FieldTap tap, int fieldsPerFrame) {
    std::lock_guard lock(tapMutex_);
    tap_ = std::move(tap);
    tapStep_ = fieldsPerFrame == 1 ? 1 : 2;
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
    // Told under the lock: the program's interrupt thread asks, and the main thread may destroy
    // the server as soon as its wait returns, which it cannot before this lock is let go.
    std::lock_guard lock(m_);
    quit_ = true;
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
    Picture pic, tapPic;
    uint64_t tapChanges = 0;
    Background none;
    none.kind = Background::None;
    std::unique_lock lock(m_);
    while (!stopping_) {
        lock.unlock();
        const auto now = Clock::now();
        const uint64_t due = uint64_t((now - t0) / period);
        if (due > done) {
            std::lock_guard tapLock(tapMutex_);
            if (tap_) {
                // Field by field, each frame's picture taken; a bounded batch, so that stop is
                // heard while the clock catches up.
                for (uint64_t k = 0; k < std::min<uint64_t>(due - done, 50); ++k) {
                    device_.advanceFields(1);
                    const uint64_t field = device_.fieldCount();
                    if (field % uint64_t(tapStep_) == 0) {
                        // A picture no change has touched is not rendered again.
                        const uint64_t changes = device_.changeCount();
                        const bool changed = changes != tapChanges;
                        if (changed) device_.render(tapPic, none);
                        tapChanges = changes;
                        tap_(field, tapPic, changed);
                    }
                    ++done;
                }
            } else {
                device_.advanceFields(int(std::min<uint64_t>(due - done, 1u << 20)));
                done = due;
            }
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
            if (fd >= 0) {
                admit(kinds[i], fd);
                continue;
            }
            if (errno != EMFILE && errno != ENFILE && errno != ENOBUFS && errno != ENOMEM) continue;
            // Out of descriptors: the pending connection stays queued, so trying again at once
            // would spin. Make room from a link nobody has used for a while, then wait a little.
            ++backoffs_;
            {
                std::lock_guard lock(connMutex_);
                reap();
                evictIdlest(true, 1000);
            }
            pollfd w{wake_[0], POLLIN, 0};
            if (poll(&w, 1, 100) > 0) return;
        }
    }
}

namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

}  // namespace

// Forgets connections that have ended (connMutex_ held).
void Server::reap() {
    for (auto it = connections_.begin(); it != connections_.end();) {
        if ((*it)->done) {
            (*it)->thread.join();
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
}

// Closes the link (or control) connection idle longest, if it has been idle that long; its thread
// then sees the end and leaves (connMutex_ held).
bool Server::evictIdlest(bool links, int64_t idleAtLeastMs) {
    Connection* idlest = nullptr;
    for (auto& c : connections_) {
        if (c->done || c->fd < 0 || c->evicted || (c->kind == Kind::Control) == links) continue;
        if (!idlest || c->lastActive < idlest->lastActive) idlest = c.get();
    }
    if (!idlest || NowMs() - idlest->lastActive < idleAtLeastMs) return false;
    idlest->evicted = true;
    shutdown(idlest->fd, SHUT_RDWR);
    return true;
}

int Server::connectionCount() {
    std::lock_guard lock(connMutex_);
    reap();
    int n = 0;
    for (auto& c : connections_) n += !c->done && !c->evicted;
    return n;
}

void Server::admit(Kind kind, int fd) {
    std::lock_guard lock(connMutex_);
    reap();
    const bool link = kind != Kind::Control;
    int same = 0;
    for (auto& c : connections_) same += !c->done && !c->evicted && (c->kind != Kind::Control) == link;
    if (!link && options_.maxControls > 0 && same >= options_.maxControls) {
        static const char busy[] = "ERR too many control connections\n";
        (void)!::send(fd, busy, sizeof busy - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        close(fd);
        return;
    }
    if (link && options_.maxLinks > 0 && same >= options_.maxLinks) evictIdlest(true, 0);
    auto c = std::make_unique<Connection>();
    c->kind = kind;
    c->fd = fd;
    c->lastActive = NowMs();
    Connection* raw = c.get();
    c->thread = std::thread([this, raw] {
        serve(*raw);
        {
            std::lock_guard l(connMutex_);
            close(raw->fd);
            raw->fd = -1;
        }
        raw->done = true;
    });
    connections_.push_back(std::move(c));
}

void Server::serve(Connection& c) {
    switch (c.kind) {
        case Kind::Net: serveNet(c); break;
        case Kind::Lpt: serveLpt(c); break;
        case Kind::Control: serveControl(c); break;
    }
}

// Until its first byte a connection gets a limited wait, so that connections that never say
// anything do not hold a thread and a descriptor for good; after that it is waited for as long as
// the peer likes.
sock::Deadline Server::readWait(Connection& c) const {
    if (c.heard || options_.silentTimeoutMs <= 0) return untilStop();
    const int ms = c.kind == Kind::Control ? options_.silentTimeoutMs * 6 : options_.silentTimeoutMs;
    return sock::Deadline::Within(ms, wake_[0]);
}

void Server::heard(Connection& c) const {
    c.heard = true;
    c.lastActive = NowMs();
}

// A connection waits for its peer as long as the peer likes; the server's stop ends every wait.
sock::Deadline Server::untilStop() const { return sock::Deadline::Unlimited(wake_[0]); }

bool Server::send(int fd, const void* data, size_t size) const {
    sock::Deadline wait = untilStop();
    return sock::WriteAll(fd, data, size, wait) == sock::Io::Ok;
}

void Server::serveControl(Connection& c) {
    const int fd = c.fd;
    ControlInterface control(device_,
                             [this](const std::string& path, std::string& error) { return snapshot(path, error); });
    std::string pending;
    char buf[512];
    for (;;) {
        size_t eol;
        while ((eol = pending.find('\n')) == std::string::npos) {
            // A line longer than any command is a client gone wrong.
            if (pending.size() > 4096) return;
            size_t got = 0;
            sock::Deadline wait = readWait(c);
            if (sock::ReadSome(fd, buf, sizeof buf, got, wait) != sock::Io::Ok) return;
            heard(c);
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

void Server::serveNet(Connection& c) {
    const int fd = c.fd;
    const uint64_t epoch = device_.powerEpoch();
    EthernetSide side(device_);
    device::SessionPacketReader reader;
    bool established = false;
    std::vector<uint8_t> buf(64 * 1024);
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
        sock::Deadline wait = readWait(c);
        if (sock::ReadSome(fd, buf.data(), buf.size(), got, wait) != sock::Io::Ok) return;
        heard(c);
        if (device_.powerEpoch() != epoch) return;
        reader.feed(buf.data(), got);
    }
}

void Server::serveLpt(Connection& c) {
    const int fd = c.fd;
    using namespace device::simlpt;
    const uint64_t epoch = device_.powerEpoch();
    LptSide side(device_);
    std::vector<uint8_t> payload;
    sock::Deadline wait = untilStop();
    for (;;) {
        uint8_t head[kSimLptHeaderSize];
        Frame req;
        sock::Deadline first = readWait(c);
        if (sock::ReadExact(fd, head, sizeof head, first) != sock::Io::Ok || !DecodeFrame(head, req)) return;
        heard(c);
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
