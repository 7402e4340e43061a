// The Device's two integrity codes: the 16-bit shift-register code that guards register packets
// and data blocks, and the extended Hamming (8,4) codewords that carry status values on the
// parallel link.
//
// These are the Device's side, written apart from the program's own codes (pages/device_picture,
// device/engine_protocol) on purpose: a second implementation checks the program's codes instead
// of agreeing with them by construction.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ktgsim {

// Feeds one byte, most significant bit first, into the shift register.
uint16_t ShiftCodeByte(uint16_t reg, uint8_t byte);

// The checksum of a data block's data bytes (everything after the two checksum bytes): the bytes
// go in from the last to the first, then two 0xFF bytes.
uint16_t DataChecksum(const uint8_t* data, size_t size);

// The check value of a register-write packet: the same code over register, value high and value
// low, which is what the packet's five bytes reduce to.
uint16_t PacketCheck(uint8_t reg, uint16_t value);

// Builds the 5-byte packet: check low, check high, register, value high, value low.
void BuildPacket(uint8_t reg, uint16_t value, uint8_t out[5]);

// True when a 5-byte packet's check bytes match its contents.
bool PacketValid(const uint8_t packet[5]);

// Status values 0..15 as the parallel link carries them.
extern const uint8_t kHammingCodewords[16];

}  // namespace ktgsim
