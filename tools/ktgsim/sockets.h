// Small blocking-socket helpers for the Device's listeners and connections. Every wait also
// watches a wake descriptor, so that a server can end its threads promptly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ktgsim {

// Splits "HOST:PORT" (HOST may be empty for loopback); false when malformed.
bool SplitHostPort(const std::string& address, std::string& host, int& port);

// Opens a listening TCP socket; port 0 picks a free one. Returns the descriptor or -1 with a
// reason, and the address actually bound as "HOST:PORT".
int ListenTcp(const std::string& address, std::string& bound, std::string& error);
// Opens a listening Unix-domain socket at path (an old socket file there is replaced).
int ListenUnix(const std::string& path, std::string& error);

// Waits until fd is readable or wake fires; false on wake, error or timeout (timeoutMs < 0:
// no timeout).
bool WaitReadable(int fd, int wakeFd, int timeoutMs = -1);
// Reads exactly n bytes; false on end of stream, error or wake.
bool ReadFull(int fd, void* buf, size_t n, int wakeFd);
// Writes all n bytes (no SIGPIPE); false on error.
bool WriteFull(int fd, const void* buf, size_t n);

}  // namespace ktgsim
