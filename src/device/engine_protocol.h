// What travels between the engine and the Device besides the data blocks: the 5-byte
// register-write packet with its check code, and the status record (Hamming-coded nibbles on the
// parallel port, plain high nibbles over Ethernet).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace device {

constexpr size_t kPacketSize = 5;
using Packet = std::array<uint8_t, kPacketSize>;

// The 16-bit check code of a register write.
uint16_t PacketCheck(uint8_t reg, uint16_t value);
// check low, check high, register, value high, value low.
Packet MakePacket(uint8_t reg, uint16_t value);

// The sixteen codewords of the extended Hamming (8,4) code, by value.
extern const std::array<uint8_t, 16> kHammingCodewords;
// Decodes one status byte from the parallel port: a codeword or a codeword with one bit flipped
// gives its value (0-15); anything else (two bits flipped) gives 0x80 plus a value.
uint8_t HammingDecode(uint8_t byte);
constexpr uint8_t kHammingError = 0x80;

// The status record's length for a model's status class.
inline size_t StatusLength(int statusClass) { return statusClass == 0 ? 5 : 6; }

// A decoded status record: S0 ... S5 (S5 only for classes 1 and 2).
struct Status {
    std::array<uint8_t, 6> s{};
    bool hammingError = false;

    bool accepted() const { return (s[0] & 8) != 0; }
    bool finished() const { return s[1] == 0xF && s[2] == 0xF && s[3] == 0xF; }
    // The Device state value: the last value of the record.
    uint8_t state(int statusClass) const { return statusClass == 0 ? s[4] : s[5]; }
    // The Device's request code (class 1 only; 0 = none).
    uint8_t request() const { return s[4]; }
};

// Decodes a record of `length` bytes; hammingCoded for the parallel port.
Status DecodeStatus(const uint8_t* bytes, size_t length, bool hammingCoded);

}  // namespace device
