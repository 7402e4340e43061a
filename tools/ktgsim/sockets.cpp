#include "ktgsim/sockets.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ktgsim {

bool SplitHostPort(const std::string& address, std::string& host, int& port) {
    size_t colon = address.rfind(':');
    if (colon == std::string::npos) return false;
    host = address.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    std::string p = address.substr(colon + 1);
    if (p.empty() || p.size() > 5 || p.find_first_not_of("0123456789") != std::string::npos) return false;
    port = std::stoi(p);
    return port <= 65535;
}

int ListenTcp(const std::string& address, std::string& bound, std::string& error) {
    std::string host;
    int port = 0;
    if (!SplitHostPort(address, host, port)) {
        error = "expected HOST:PORT, not '" + address + "'";
        return -1;
    }
    // Loopback unless a host is named.
    if (host.empty() || host == "localhost") host = "127.0.0.1";
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* res = nullptr;
    std::string service = std::to_string(port);
    if (int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &res); rc != 0) {
        error = "cannot resolve " + host + ": " + gai_strerror(rc);
        return -1;
    }
    int fd = -1;
    for (addrinfo* a = res; a; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (bind(fd, a->ai_addr, a->ai_addrlen) == 0 && listen(fd, 16) == 0) break;
        error = std::string("cannot listen on ") + address + ": " + std::strerror(errno);
        close(fd);
        fd = -1;
    }
    freeaddrinfo(res);
    if (fd < 0) {
        if (error.empty()) error = "cannot listen on " + address;
        return -1;
    }
    sockaddr_storage ss{};
    socklen_t len = sizeof ss;
    getsockname(fd, reinterpret_cast<sockaddr*>(&ss), &len);
    char text[INET6_ADDRSTRLEN] = {};
    int boundPort = 0;
    if (ss.ss_family == AF_INET) {
        auto* in = reinterpret_cast<sockaddr_in*>(&ss);
        inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
        boundPort = ntohs(in->sin_port);
        bound = std::string(text) + ":" + std::to_string(boundPort);
    } else {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&ss);
        inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
        boundPort = ntohs(in6->sin6_port);
        bound = "[" + std::string(text) + "]:" + std::to_string(boundPort);
    }
    return fd;
}

int ListenUnix(const std::string& path, std::string& error) {
    sockaddr_un addr{};
    if (path.empty() || path.size() >= sizeof addr.sun_path) {
        error = "socket path too long: " + path;
        return -1;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    unlink(path.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0) {
        error = "cannot listen on " + path + ": " + std::strerror(errno);
        close(fd);
        return -1;
    }
    return fd;
}

bool WaitReadable(int fd, int wakeFd, int timeoutMs) {
    pollfd p[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    for (;;) {
        int rc = poll(p, wakeFd >= 0 ? 2 : 1, timeoutMs);
        if (rc < 0 && errno == EINTR) continue;
        if (rc <= 0) return false;
        if (wakeFd >= 0 && (p[1].revents & (POLLIN | POLLHUP))) return false;
        return (p[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    }
}

bool ReadFull(int fd, void* buf, size_t n, int wakeFd) {
    auto* p = static_cast<uint8_t*>(buf);
    while (n > 0) {
        if (!WaitReadable(fd, wakeFd)) return false;
        ssize_t r = recv(fd, p, n, 0);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r;
        n -= size_t(r);
    }
    return true;
}

bool WriteFull(int fd, const void* buf, size_t n) {
    auto* p = static_cast<const uint8_t*>(buf);
    while (n > 0) {
        ssize_t r = send(fd, p, n, MSG_NOSIGNAL);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r;
        n -= size_t(r);
    }
    return true;
}

}  // namespace ktgsim
