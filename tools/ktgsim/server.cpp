#include "ktgsim/server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "ktgsim/control.h"
#include "ktgsim/link_side.h"
#include "ktgsim/sockets.h"

namespace ktgsim {

using Clock = std::chrono::steady_clock;

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
    if (!options_.lptSocket.empty() && (lptFd_ = ListenUnix(options_.lptSocket, error)) < 0) return fail();
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
            int fd = accept4(p[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
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
    case Kind::Net:
        serveNet(fd);
        break;
    case Kind::Lpt:
        serveLpt(fd);
        break;
    case Kind::Control:
        serveControl(fd);
        break;
    }
}

void Server::serveControl(int fd) {
    ControlInterface control(device_, [this](const std::string& path, std::string& error) {
        return snapshot(path, error);
    });
    std::string pending;
    char buf[512];
    for (;;) {
        size_t eol;
        while ((eol = pending.find('\n')) == std::string::npos) {
            // A line longer than any command is a client gone wrong.
            if (pending.size() > 4096) return;
            if (!WaitReadable(fd, wake_[0])) return;
            ssize_t r = recv(fd, buf, sizeof buf, 0);
            if (r <= 0) return;
            pending.append(buf, size_t(r));
        }
        std::string line = pending.substr(0, eol);
        pending.erase(0, eol + 1);
        bool quit = false;
        std::string reply = control.handle(line, quit) + "\n";
        if (!WriteFull(fd, reply.data(), reply.size())) return;
        if (quit) {
            requestQuit();
            return;
        }
    }
}

void Server::serveNet(int fd) { (void)fd; }

void Server::serveLpt(int fd) { (void)fd; }

}  // namespace ktgsim
