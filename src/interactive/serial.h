// CSerial: the two wire protocols of the phone-lines adapter. The second version's framed packets
// (sync 0x47, code, length, data, a checksum that makes the packet's sum 0) with their resends,
// and the first version's single-letter exchanges framed by DTR with their composite operations.
// Every outcome is an ItvResult.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "interactive/adapter_port.h"
#include "platform/clock.h"

namespace interactive {

constexpr uint8_t kPacketSync = 0x47;
constexpr size_t kReplyBufferSize = 259;  // 4 + the largest L
constexpr uint32_t kReplyWindowMs = 2000;
constexpr int kPacketAttempts = 3;

// Second-version commands.
enum : uint8_t {
    CMD_READ_VOICE = 1,
    CMD_WRITE_VOICE = 2,
    CMD_ERASE = 3,
    CMD_ERASE_STATUS = 4,
    CMD_POLL = 5,
    CMD_RELEASE = 6,
    CMD_LINE_MODES = 7,
    CMD_START = 8,
};

// The first version's pieces of a voice upload and its call table.
constexpr size_t kUploadPiece = 100;
constexpr size_t kCallTableSize = 80;
constexpr size_t kCallBlock = 10;

// The checksum byte of a packet's first bytes: the two's complement of their 8-bit sum.
uint8_t PacketChecksum(const uint8_t* bytes, size_t size);
// The 8-bit sum of the first version.
uint8_t Sum8(const uint8_t* bytes, size_t size);

// The first version's status reply (bytes 1-4 of "s").
struct AdapterStatus {
    uint8_t mode = 0;     // low 7 bits: the lines given "m"
    uint8_t active = 0;   // the lines given "a"
    uint8_t other = 0;    // only logged
    uint8_t pending = 0;  // bit i: a call waits on line i
};

class CSerial {
public:
    CSerial(AdapterPort& port, const platform::Clock& clock) : port_(port), clock_(clock) {}

    // Second version: one command and its reply, left in reply (kReplyBufferSize bytes); the
    // reply's data start at reply[3], its length is reply[2].
    int SendRecvPacket(uint8_t code, uint8_t length, const uint8_t* data, uint8_t* reply, bool flash);

    // First version: the command bytes, then a reply of replyLength bytes (0: none), DTR raised
    // meanwhile and dropped after unless keepDtr; with compareEcho the reply must repeat the
    // command over the shorter of the two.
    int Exchange(const uint8_t* bytes, size_t count, uint8_t* reply, size_t replyLength, bool compareEcho,
                 bool keepDtr);
    // A letter with an optional line ("m", line 2 sends "m3"); echo compared, DTR dropped.
    int Command(char letter, int line = -1);
    int Status(AdapterStatus& status);
    int ReadCalls(uint8_t table[kCallTableSize]);
    int SelectLine(int line);
    // The "l" upload of a message after SelectLine; progress gets the bytes sent after each
    // piece and answers false to abort (result 4). DTR is dropped at the end in any case.
    int Upload(const uint8_t* message, size_t length, const std::function<bool(size_t)>& progress);

    AdapterPort& port() { return port_; }
    const platform::Clock& clock() const { return clock_; }

private:
    // Reads one reply packet within the window from the tick; 0, 2 (none) or 3 (bad sum).
    int readReply(uint8_t* reply, uint32_t since);

    AdapterPort& port_;
    const platform::Clock& clock_;
};

}  // namespace interactive
