// The outcome of every exchange with the phone-lines adapter, and the message the view shows for
// each (string 18529 + code, stop icon).
#pragma once

namespace interactive {

enum ItvResult : int {
    ITV_OK = 0,
    ITV_NO_PORT = 1,     // the port cannot be opened
    ITV_NO_REPLY = 2,    // no reply, a failed write, or a reply that is not a reply
    ITV_COMM_ERROR = 3,  // bad checksum, echo mismatch, negative acknowledgement
    ITV_ABORTED = 4,     // the operator aborted a voice-message transfer
    ITV_FLASH = 5,       // the adapter reported a flash memory failure
};

// The string id of a result's message; 0 for success and codes out of range.
constexpr int ItvResultMessageId(int result) { return result >= 1 && result <= 5 ? 18529 + result : 0; }

// Adapter versions ("ITVModel").
enum : int { ITV_VERSION_1 = 0, ITV_VERSION_2 = 1 };

}  // namespace interactive
