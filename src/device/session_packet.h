// Packets of the NetBIOS session service over TCP (RFC 1002, 4.3): a 4-byte header (type,
// flags whose bit 0 extends the length to 17 bits, 16-bit big-endian length) and the payload.
// The names in a session request use the first-level encoding of RFC 1001: each of the 16 name
// bytes becomes two letters 'A' + high nibble, 'A' + low nibble.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace device {

enum SessionPacketType : uint8_t {
    SESSION_MESSAGE = 0x00,
    SESSION_REQUEST = 0x81,
    POSITIVE_SESSION_RESPONSE = 0x82,
    NEGATIVE_SESSION_RESPONSE = 0x83,
    RETARGET_SESSION_RESPONSE = 0x84,
    SESSION_KEEP_ALIVE = 0x85,
};

// Error codes of a negative session response.
enum : uint8_t {
    SESSION_NOT_LISTENING_ON_CALLED = 0x80,
    SESSION_NOT_LISTENING_FOR_CALLING = 0x81,
    SESSION_CALLED_NOT_PRESENT = 0x82,
    SESSION_INSUFFICIENT_RESOURCES = 0x83,
    SESSION_UNSPECIFIED_ERROR = 0x8F,
};

constexpr size_t kSessionHeaderSize = 4;
constexpr size_t kMaxSessionPayload = 0x1FFFF;
constexpr uint16_t kSessionServicePort = 139;

// A NetBIOS name: 16 bytes, the last of them often a type byte.
using NetName = std::array<uint8_t, 16>;

// The 16-byte name of a text, space-padded (longer texts are cut).
NetName MakeNetName(std::string_view text);
// First-level encoding: 32 letters 'A'..'P'.
std::string EncodeNetName(const NetName& name);
// The reverse; false for anything but 32 letters 'A'..'P'.
bool DecodeNetName(std::string_view encoded, NetName& name);

// The header of a packet (length at most kMaxSessionPayload).
std::array<uint8_t, kSessionHeaderSize> SessionHeader(uint8_t type, size_t length);
// The type and payload length of a header; false when reserved flag bits are set.
bool ParseSessionHeader(const uint8_t* head, uint8_t& type, size_t& length);
// A whole session request: header, called name, calling name (each as length 32, the 32
// letters, and the empty root label).
std::vector<uint8_t> SessionRequest(const NetName& called, const NetName& calling);

// Cuts a received byte stream into packets. Damaged input (a type no session peer sends,
// reserved flag bits set) stops the reader for good: the stream cannot be trusted after it.
class SessionPacketReader {
public:
    // Takes bytes as they arrive.
    void feed(const void* data, size_t n);
    // The next complete packet; false while none is complete, and after a failure.
    bool next(uint8_t& type, std::vector<uint8_t>& payload);
    bool failed() const { return failed_; }
    // Bytes held that do not yet form a whole packet.
    size_t buffered() const { return buf_.size() - pos_; }
    void clear();

private:
    std::vector<uint8_t> buf_;
    size_t pos_ = 0;
    bool failed_ = false;
};

}  // namespace device
