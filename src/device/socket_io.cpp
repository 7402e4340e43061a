#include "device/socket_io.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace device::sock {

int Deadline::remainingMs() const {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end_ - Clock::now()).count();
    if (left <= 0) {
        // A wait that is due now still gets one look at the socket.
        return 0;
    }
    return int(left);
}

namespace {

bool Expired(const Deadline& d) { return d.remainingMs() <= 0; }

// Waits for the socket to become ready; false on time-out.
Io WaitFor(int fd, short events, Deadline& d) {
    for (;;) {
        pollfd p{fd, events, 0};
        int r = ::poll(&p, 1, d.remainingMs());
        if (r > 0) return Io::Ok;  // errors show up in the following call
        if (r == 0) return Io::Timeout;
        if (errno != EINTR) return Io::Error;
    }
}

void SetNoDelay(int fd) {
    int one = 1;
    // Status requests are single small messages; waiting to coalesce them costs a round trip.
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

}  // namespace

void Close(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

int ConnectTcp(const std::string& host, uint16_t port, Deadline& deadline, Io& result, int* err) {
    result = Io::Error;
    if (err) *err = 0;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* list = nullptr;
    std::string service = std::to_string(port);
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &list) != 0) {
        // Not a numeric address: a name, resolved by the system.
        hints.ai_flags = AI_NUMERICSERV;
        if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &list) != 0) {
            if (err) *err = EHOSTUNREACH;
            return -1;
        }
    }
    int fd = -1;
    for (addrinfo* a = list; a && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        int rc = ::connect(fd, a->ai_addr, a->ai_addrlen);
        if (rc != 0 && errno == EINPROGRESS) {
            Io w = WaitFor(fd, POLLOUT, deadline);
            if (w != Io::Ok) {
                result = w;
                Close(fd);
                if (w == Io::Timeout) break;
                continue;
            }
            int soErr = 0;
            socklen_t len = sizeof soErr;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soErr, &len);
            rc = soErr == 0 ? 0 : -1;
            errno = soErr;
        }
        if (rc != 0) {
            if (err) *err = errno;
            result = Io::Error;
            Close(fd);
        }
    }
    ::freeaddrinfo(list);
    if (fd >= 0) {
        SetNoDelay(fd);
        result = Io::Ok;
    }
    return fd;
}

int ConnectUnix(const std::string& path, int* err) {
    sockaddr_un addr{};
    if (path.size() >= sizeof addr.sun_path) {
        if (err) *err = ENAMETOOLONG;
        return -1;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        if (err) *err = errno;
        return -1;
    }
    // A local connect completes at once or fails at once; only then go non-blocking.
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (err) *err = errno;
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

int ListenTcpLoopback(uint16_t& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    socklen_t len = sizeof a;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(a.sin_port);
    return fd;
}

int ListenUnix(const std::string& path) {
    sockaddr_un addr{};
    if (path.size() >= sizeof addr.sun_path) return -1;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    ::unlink(path.c_str());
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 4) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int Accept(int listenFd, Deadline& deadline) {
    for (;;) {
        int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            sockaddr_storage ss{};
            socklen_t len = sizeof ss;
            if (::getsockname(fd, reinterpret_cast<sockaddr*>(&ss), &len) == 0 && ss.ss_family != AF_UNIX)
                SetNoDelay(fd);
            return fd;
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
        if (WaitFor(listenFd, POLLIN, deadline) != Io::Ok) return -1;
    }
}

Io WriteAll(int fd, const void* head, size_t headLen, const void* data, size_t dataLen, Deadline& deadline) {
    if (fd < 0) return Io::Closed;
    auto h = static_cast<const uint8_t*>(head);
    auto d = static_cast<const uint8_t*>(data);
    while (headLen + dataLen > 0) {
        iovec iov[2];
        int n = 0;
        if (headLen) iov[n++] = {const_cast<uint8_t*>(h), headLen};
        if (dataLen) iov[n++] = {const_cast<uint8_t*>(d), dataLen};
        msghdr msg{};
        msg.msg_iov = iov;
        msg.msg_iovlen = size_t(n);
        ssize_t w = ::sendmsg(fd, &msg, MSG_NOSIGNAL);
        if (w > 0) {
            size_t done = size_t(w);
            size_t fromHead = done < headLen ? done : headLen;
            h += fromHead;
            headLen -= fromHead;
            done -= fromHead;
            d += done;
            dataLen -= done;
            deadline.progress();
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (Expired(deadline)) return Io::Timeout;
            Io r = WaitFor(fd, POLLOUT, deadline);
            if (r != Io::Ok) return r;
            continue;
        }
        return (w < 0 && (errno == EPIPE || errno == ECONNRESET)) ? Io::Closed : Io::Error;
    }
    return Io::Ok;
}

Io ReadSome(int fd, void* buffer, size_t capacity, size_t& got, Deadline& deadline) {
    got = 0;
    if (fd < 0) return Io::Closed;
    for (;;) {
        ssize_t r = ::recv(fd, buffer, capacity, 0);
        if (r > 0) {
            got = size_t(r);
            deadline.progress();
            return Io::Ok;
        }
        if (r == 0) return Io::Closed;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (Expired(deadline)) return Io::Timeout;
            Io w = WaitFor(fd, POLLIN, deadline);
            if (w != Io::Ok) return w;
            continue;
        }
        return errno == ECONNRESET ? Io::Closed : Io::Error;
    }
}

Io ReadExact(int fd, void* buffer, size_t n, Deadline& deadline) {
    auto p = static_cast<uint8_t*>(buffer);
    while (n > 0) {
        size_t got = 0;
        Io r = ReadSome(fd, p, n, got, deadline);
        if (r != Io::Ok) return r;
        p += got;
        n -= got;
    }
    return Io::Ok;
}

}  // namespace device::sock
