// Wire protocol between the simulated parallel-port driver (the program's side) and the
// virtual Device (ktgsim's side). It carries the port-side requests of the driver's request
// table over a Unix-domain stream socket, one request and one reply at a time.
//
// Connection
//   The Device listens on a Unix stream socket: the path in [Hardware] LptSocket, else the path
//   the embedded Device registers, else RuntimeDir() + kSimLptSocketName. The program connects
//   when it selects the port and, whenever the connection is gone, again when it acquires the
//   port. Its first request on a connection is HELLO, then SELECT_PORT with the port it uses.
//
// Frames (all integers little-endian)
//   Request, program -> Device, 12-byte header then `length` payload bytes:
//     0  u8   code      request code (below)
//     1  u8   0
//     2  u16  arg       small argument (see the table)
//     4  u32  value     32-bit argument (see the table)
//     8  u32  length    payload bytes that follow (WRITE_DATA only; 0 otherwise)
//   Reply, Device -> program, 12-byte header then `length` payload bytes:
//     0  u8   code      the request's code, echoed
//     1  u8   0
//     2  u16  status    driver status: 0 success; see ParStatus in parallel_port_driver.h
//     4  u32  value     result value (see the table)
//     8  u32  length    payload bytes that follow (READ_DATA only; 0 otherwise)
//
//   code  request          arg            value            payload       reply value / payload
//   0x00  HELLO            kSimLptVersion kSimLptMagic     -             kSimLptVersion
//   0x04  SELECT_PORT      port (1-3)     1                -             0
//   0x05  TERMINATE        0              0                -             0 (program then closes)
//   0x06  ACQUIRE          0              0                -             0
//   0x07  RELEASE          0              0                -             0
//   0x08  NEGOTIATE        mode (2)       0                -             0
//   0x0B  WRITE_ADDRESS    address byte   0                -             0
//   0x0C  WRITE_DATA       0              byte count n     n data bytes  bytes the Device took
//   0x0F  READ_DATA        0              byte count asked -             count k; k bytes (k <= asked)
//   0x17  CAPABILITY       0              0                -             bit 0 = ECP available
//
//   The ECP traffic is an address write (the channel: 0x0C before a register packet or a
//   status read, 0x1B before a pixel or data block) followed by data writes or a data read:
//   after 0x0C the engine writes one 5-byte register packet or reads the status record (5 or 6
//   bytes, each a Hamming-coded value); after 0x1B it writes one whole block.
//   Every request gets exactly one reply, in order, at once: a Device with less data than asked
//   answers READ_DATA with what it has (a short count), never by waiting for more. The program
//   waits at most kSimLptTimeoutMs of silence for a reply; after that, or after any frame it
//   cannot accept (wrong code, a payload where none belongs, more than asked), it closes the
//   connection and reports a failed request. A status other than 0 means the request failed;
//   the port statuses the program understands are 0x0E (no ECP: on SELECT_PORT), 0x12 (no such
//   port), 0x15, 0x25, 0x26 (port in use: on SELECT_PORT or ACQUIRE). A NEGOTIATE that fails
//   means "the Device does not answer" (switched off).
//
// Handshake, timing set-up and speed query are the PC driver's own business and never reach the
// Device. While no Device is connected the program answers the port requests (select,
// acquire, release, capability, terminate) itself with success, and fails the Device requests
// (negotiate, address, data), so a Device that is off reads as "not responding".
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/bytes.h"

namespace device::simlpt {

constexpr char kSimLptSocketName[] = "ktgsim-lpt.sock";
constexpr uint32_t kSimLptMagic = 0x54504C4B;  // "KLPT"
constexpr uint16_t kSimLptVersion = 1;
constexpr size_t kSimLptHeaderSize = 12;
// The largest payload either side sends or accepts (a full picture block is 829,442 bytes).
constexpr uint32_t kSimLptMaxPayload = 16u << 20;
constexpr int kSimLptTimeoutMs = 1000;

enum : uint8_t { SIMLPT_HELLO = 0x00 };  // the other codes are the driver's request codes

struct Frame {
    uint8_t code = 0;
    uint16_t word = 0;  // request: arg; reply: status
    uint32_t value = 0;
    uint32_t length = 0;
};

inline void EncodeFrame(const Frame& f, uint8_t out[kSimLptHeaderSize]) {
    platform::ByteWriter w(out, kSimLptHeaderSize);
    w.u8(f.code);
    w.u8(0);
    w.u16(f.word);
    w.u32(f.value);
    w.u32(f.length);
}

// False when the header is not one a peer may send (reserved byte set, payload too large).
inline bool DecodeFrame(const uint8_t in[kSimLptHeaderSize], Frame& f) {
    platform::ByteReader r(in, kSimLptHeaderSize);
    f.code = r.u8();
    const uint8_t reserved = r.u8();
    f.word = r.u16();
    f.value = r.u32();
    f.length = r.u32();
    return reserved == 0 && f.length <= kSimLptMaxPayload;
}

}  // namespace device::simlpt
