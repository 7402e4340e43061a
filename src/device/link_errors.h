// Link error numbers: one small space (1-17) for every failure of the Device link, shared by
// both transports and the command engine. The operator sees string 4090 + n.
#pragma once

#include <string>

namespace device {

enum LinkError : int {
    LINK_OK = 0,
    LINK_NO_DRIVER = 1,     // the parallel-port driver cannot be opened
    LINK_NO_PORT = 2,       // the LPT port is not installed
    LINK_DRIVER_ERROR = 3,  // driver handshake, speed query or timing set-up failed
    LINK_NO_ECP = 4,        // no ECP on the port
    LINK_PORT_IN_USE = 5,   // the port cannot be taken or given back
    LINK_WRITE_ERROR = 6,
    LINK_READ_ERROR = 7,
    LINK_TOO_MANY_READ_ERRORS = 8,   // engine
    LINK_TOO_MANY_CMD_ERRORS = 9,    // engine
    LINK_TOO_MANY_DATA_ERRORS = 10,  // engine
    LINK_DEVICE_TIMEOUT = 11,        // engine
    LINK_NOT_RESPONDING = 12,        // the Device does not answer at link-up
    LINK_ADAPTER_ERROR = 13,         // no usable network adapter
    LINK_ETHERNET_ERROR = 14,        // a send or a receive failed
    LINK_NO_NETBEUI = 15,            // the session protocol is missing
    LINK_NAME_IN_USE = 16,           // another copy holds the local name
    LINK_LPT_UNSUPPORTED = 17,       // the LPT link is not available on this platform
};

constexpr int kLinkErrorStringBase = 4090;

// The operator's message for a link error ("KTG link error: ..."), through the translation.
std::string LinkErrorText(int error);

}  // namespace device
