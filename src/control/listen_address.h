// Where the control interface listens, and who may use it: "HOST:PORT" (an IPv4 address or a
// name), "[V6]:PORT" or ":PORT" (loopback); a token is required for anything but loopback.
#pragma once

#include <string>
#include <string_view>

namespace control {

struct ListenAddress {
    std::string host;  // as given, without brackets
    int port = 0;      // 0: any free port (tests)
};

// False (with why) for a text that is not an address and port.
bool ParseListen(std::string_view text, ListenAddress& out, std::string& why);

// 127.0.0.0/8, ::1, "localhost".
bool IsLoopbackHost(std::string_view host);

// The settings as given make a server that may start: a token for a non-loopback address, a
// token without blanks or control characters. False with why.
bool CheckAccess(const ListenAddress& address, std::string_view token, std::string& why);

// The token of an "Authorization: Bearer TOKEN" header; "" when the header is not of that form.
std::string_view BearerToken(std::string_view header);

// Compares two texts in a time that does not depend on where they differ.
bool SameSecret(std::string_view a, std::string_view b);

}  // namespace control
