#include "control/listen_address.h"

#include <arpa/inet.h>

#include <cctype>

#include "platform/files.h"

namespace control {

bool ParseListen(std::string_view text, ListenAddress& out, std::string& why) {
    out = {};
    if (text.empty() || text.size() > 255) {
        why = "give the address to listen on as HOST:PORT";
        return false;
    }
    std::string_view host, port;
    if (text.front() == '[') {
        const size_t close = text.find(']');
        if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != ':') {
            why = "an IPv6 address is written [ADDRESS]:PORT";
            return false;
        }
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
        in6_addr a6{};
        const std::string h(host);
        if (::inet_pton(AF_INET6, h.c_str(), &a6) != 1) {
            why = "\"" + h + "\" is not an IPv6 address";
            return false;
        }
    } else {
        const size_t colon = text.rfind(':');
        if (colon == std::string_view::npos) {
            why = "the address has no port (HOST:PORT)";
            return false;
        }
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (host.find(':') != std::string_view::npos) {
            why = "an IPv6 address is written [ADDRESS]:PORT";
            return false;
        }
        for (char c : host)
            if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-')) {
                why = "\"" + std::string(host) + "\" is not a host name or address";
                return false;
            }
    }
    if (port.empty() || port.size() > 5) {
        why = "the port is a number from 0 to 65535";
        return false;
    }
    int p = 0;
    for (char c : port) {
        if (c < '0' || c > '9') {
            why = "the port is a number from 0 to 65535";
            return false;
        }
        p = p * 10 + (c - '0');
    }
    if (p > 65535) {
        why = "the port is a number from 0 to 65535";
        return false;
    }
    out.host = host.empty() ? "127.0.0.1" : std::string(host);
    out.port = p;
    return true;
}

bool IsLoopbackHost(std::string_view host) {
    if (platform::EqualsNoCase(host, "localhost")) return true;
    const std::string h(host);
    in_addr a4{};
    if (::inet_pton(AF_INET, h.c_str(), &a4) == 1) return (ntohl(a4.s_addr) >> 24) == 127;
    in6_addr a6{};
    if (::inet_pton(AF_INET6, h.c_str(), &a6) == 1) return IN6_IS_ADDR_LOOPBACK(&a6);
    return false;
}

bool CheckAccess(const ListenAddress& address, std::string_view token, std::string& why) {
    for (unsigned char c : token)
        if (c <= 0x20 || c == 0x7F) {
            why = "the token may not hold blanks or control characters";
            return false;
        }
    if (token.empty() && !IsLoopbackHost(address.host)) {
        why = "listening on " + address.host +
              " needs a token ([Control] Token, --token): any machine could "
              "drive the air otherwise";
        return false;
    }
    return true;
}

std::string_view BearerToken(std::string_view header) {
    constexpr std::string_view kScheme = "bearer ";
    if (header.size() <= kScheme.size() || !platform::EqualsNoCase(header.substr(0, kScheme.size()), kScheme))
        return {};
    std::string_view t = header.substr(kScheme.size());
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    return t;
}

bool SameSecret(std::string_view a, std::string_view b) {
    // Every byte of the longer text is looked at, whatever the lengths.
    const size_t n = a.size() > b.size() ? a.size() : b.size();
    unsigned diff = a.size() == b.size() ? 0u : 1u;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
        const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
        diff |= unsigned(x ^ y);
    }
    return diff == 0;
}

}  // namespace control
