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
    if (ms_ < 0) return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end_ - Clock::now()).count();
    if (left <= 0) {
        // A wait that is due now still gets one look at the socket.
        return 0;
    }
    return int(left);
}

namespace {

bool Expired(const Deadline& d) { return d.expired(); }

// Waits for the socket to become ready: Timeout when the deadline passes, Closed when its wake
// descriptor fires first.
Io WaitFor(int fd, short events, Deadline& d) {
    for (;;) {
        pollfd p[2] = {{fd, events, 0}, {d.wakeFd(), POLLIN, 0}};
        int r = ::poll(p, d.wakeFd() >= 0 ? 2 : 1, d.remainingMs());
        if (r > 0 && d.wakeFd() >= 0 && (p[1].revents & (POLLIN | POLLHUP))) return Io::Closed;
        if (r > 0) return Io::Ok;  // errors show up in the following call
        if (r == 0) return Io::Timeout;
        if (errno != EINTR) return Io::Error;
    }
}

std::string errorText(const std::string& what, int err) { return what + ": " + std::strerror(err); }

// Port digits: at most five, at most 65535.
bool parsePort(std::string_view text, uint16_t& port) {
    if (text.empty() || text.size() > 5) return false;
    unsigned v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + unsigned(c - '0');
    }
    if (v > 65535) return false;
    port = uint16_t(v);
    return true;
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

bool ParseAddress(std::string_view text, std::string& host, uint16_t& port, AddressFor use, uint16_t defaultPort) {
    const bool listen = use == AddressFor::Listen;
    port = defaultPort;
    std::string_view portText;
    bool hasPort = false;
    if (!text.empty() && text.front() == '[') {
        size_t close = text.find(']');
        if (close == std::string_view::npos) return false;
        host = std::string(text.substr(1, close - 1));
        std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return false;
            portText = rest.substr(1);
            hasPort = true;
        }
    } else {
        size_t colon = text.rfind(':');
        if (colon != std::string_view::npos && text.find(':') != colon) {
            // A bare IPv6 address: no port can be told apart from it.
            host = std::string(text);
        } else if (colon != std::string_view::npos) {
            host = std::string(text.substr(0, colon));
            portText = text.substr(colon + 1);
            hasPort = true;
        } else {
            host = std::string(text);
        }
    }
    if (hasPort && !parsePort(portText, port)) return false;
    if (!listen) return !host.empty() && port != 0;
    if (host.empty()) host = "127.0.0.1";
    return hasPort;
}

std::string LocalAddress(int fd) {
    sockaddr_storage ss{};
    socklen_t len = sizeof ss;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&ss), &len) != 0) return {};
    char text[INET6_ADDRSTRLEN] = {};
    if (ss.ss_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(&ss);
        ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
        return std::string(text) + ":" + std::to_string(ntohs(in->sin_port));
    }
    if (ss.ss_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&ss);
        ::inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
        return "[" + std::string(text) + "]:" + std::to_string(ntohs(in6->sin6_port));
    }
    return {};
}

int ListenTcp(const std::string& hostIn, uint16_t& port, std::string* error) {
    const std::string host = hostIn.empty() || hostIn == "localhost" ? "127.0.0.1" : hostIn;
    const std::string where = host + ":" + std::to_string(port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(port);
    if (int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list); rc != 0) {
        if (error) *error = "cannot resolve " + host + ": " + ::gai_strerror(rc);
        return -1;
    }
    int fd = -1, err = 0;
    for (addrinfo* a = list; a && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            err = errno;
            continue;
        }
        int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd, SOMAXCONN) != 0) {
            err = errno;
            Close(fd);
        }
    }
    ::freeaddrinfo(list);
    if (fd < 0) {
        if (error) *error = errorText("cannot listen on " + where, err);
        return -1;
    }
    sockaddr_storage ss{};
    socklen_t len = sizeof ss;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&ss), &len);
    if (ss.ss_family == AF_INET) port = ntohs(reinterpret_cast<const sockaddr_in*>(&ss)->sin_port);
    if (ss.ss_family == AF_INET6) port = ntohs(reinterpret_cast<const sockaddr_in6*>(&ss)->sin6_port);
    return fd;
}

int ListenUnix(const std::string& path, std::string* error) {
    sockaddr_un addr{};
    if (path.empty() || path.size() >= sizeof addr.sun_path) {
        if (error) *error = "socket path too long: " + path;
        return -1;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    ::unlink(path.c_str());
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        if (error) *error = errorText("cannot listen on " + path, errno);
        Close(fd);
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
