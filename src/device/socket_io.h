// Socket helpers shared by the Device links. Every socket is non-blocking and every wait has a
// time limit, so a silent or vanished peer costs a bounded time and never freezes a thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace device::sock {

enum class Io { Ok, Timeout, Closed, Error };

// A point in time a wait must not pass. With restartOnProgress the limit is an inactivity
// limit: every transferred byte starts it again.
class Deadline {
public:
    explicit Deadline(int ms, bool restartOnProgress = false)
        : ms_(ms), restart_(restartOnProgress), end_(Clock::now() + std::chrono::milliseconds(ms)) {}
    int remainingMs() const;
    void progress() {
        if (restart_) end_ = Clock::now() + std::chrono::milliseconds(ms_);
    }

private:
    using Clock = std::chrono::steady_clock;
    int ms_;
    bool restart_;
    Clock::time_point end_;
};

// Connects a TCP socket to host:port within the deadline. Returns the descriptor, or -1 with
// the outcome in result (Timeout, or Error with errno in *err).
int ConnectTcp(const std::string& host, uint16_t port, Deadline& deadline, Io& result, int* err = nullptr);
// Connects to a Unix-domain stream socket. -1 on failure (errno in *err).
int ConnectUnix(const std::string& path, int* err = nullptr);
// A listening socket (tests and stand-ins): TCP on 127.0.0.1 with an ephemeral port, or Unix.
int ListenTcpLoopback(uint16_t& port);
int ListenUnix(const std::string& path);
// Accepts one connection within the deadline (-1 otherwise); the new socket is non-blocking.
int Accept(int listenFd, Deadline& deadline);

// Writes all of head then all of data (either may be empty).
Io WriteAll(int fd, const void* head, size_t headLen, const void* data, size_t dataLen, Deadline& deadline);
inline Io WriteAll(int fd, const void* data, size_t n, Deadline& deadline) {
    return WriteAll(fd, nullptr, 0, data, n, deadline);
}
// Reads what is there, waiting until at least one byte arrives; got = 0 only on Closed.
Io ReadSome(int fd, void* buffer, size_t capacity, size_t& got, Deadline& deadline);
// Reads exactly n bytes.
Io ReadExact(int fd, void* buffer, size_t n, Deadline& deadline);

void Close(int& fd);

}  // namespace device::sock
