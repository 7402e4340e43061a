// Socket helpers shared by the Device links and the stand-ins' servers. Every socket is
// non-blocking and every wait has a time limit, so a silent or vanished peer costs a bounded time
// and never freezes a thread; a server's waits may instead run without a limit and end through a
// wake descriptor when the server stops.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace device::sock {

// Closed also answers a wait ended by its wake descriptor.
enum class Io { Ok, Timeout, Closed, Error };

// A point in time a wait must not pass. With restartOnProgress the limit is an inactivity
// limit: every transferred byte starts it again.
class Deadline {
public:
    explicit Deadline(int ms, bool restartOnProgress = false)
        : ms_(ms), restart_(restartOnProgress), end_(Clock::now() + std::chrono::milliseconds(ms)) {}
    // No time limit: the wait ends with the peer, or when wakeFd becomes readable.
    static Deadline Unlimited(int wakeFd) {
        Deadline d(0);
        d.ms_ = -1;
        d.wake_ = wakeFd;
        return d;
    }
    // A limit that a readable wakeFd also ends.
    static Deadline Within(int ms, int wakeFd) {
        Deadline d(ms);
        d.wake_ = wakeFd;
        return d;
    }
    // -1 without a limit.
    int remainingMs() const;
    bool expired() const { return ms_ >= 0 && remainingMs() <= 0; }
    int wakeFd() const { return wake_; }
    void progress() {
        if (restart_) end_ = Clock::now() + std::chrono::milliseconds(ms_);
    }

private:
    using Clock = std::chrono::steady_clock;
    int ms_;
    bool restart_;
    Clock::time_point end_;
    int wake_ = -1;
};

// Whom an address is for: a connection (the port may be left out, 1..65535), or a listener (the
// port is required and 0 picks a free one; the host may be left out for loopback).
enum class AddressFor { Connect, Listen };
// "host:port", "[v6address]:port"; for a connection also "host", "[v6address]" or a bare IPv6
// address, which take defaultPort; for a listener also ":port" (loopback). False for anything
// else.
bool ParseAddress(std::string_view text, std::string& host, uint16_t& port, AddressFor use, uint16_t defaultPort = 0);
// "HOST:PORT" ("[HOST]:PORT" for IPv6) of a socket's own end.
std::string LocalAddress(int fd);

// Connects a TCP socket to host:port within the deadline. Returns the descriptor, or -1 with
// the outcome in result (Timeout, or Error with errno in *err).
int ConnectTcp(const std::string& host, uint16_t port, Deadline& deadline, Io& result, int* err = nullptr);
// Connects to a Unix-domain stream socket. -1 on failure (errno in *err).
int ConnectUnix(const std::string& path, int* err = nullptr);
// Listening sockets (tests and stand-ins). TCP on host ("localhost" is 127.0.0.1) and port; port
// 0 picks a free one, and port tells which. Unix-domain at path, replacing an old socket file.
// -1 on failure, with the reason in *error.
int ListenTcp(const std::string& host, uint16_t& port, std::string* error = nullptr);
inline int ListenTcpLoopback(uint16_t& port) { return ListenTcp("127.0.0.1", port); }
int ListenUnix(const std::string& path, std::string* error = nullptr);
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
