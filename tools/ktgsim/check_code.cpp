#include "ktgsim/check_code.h"

#include <array>

namespace ktgsim {

const uint8_t kHammingCodewords[16] = {0x07, 0x10, 0x29, 0x3E, 0x4A, 0x5D, 0x64, 0x73,
                                       0x8C, 0x9B, 0xA2, 0xB5, 0xC1, 0xD6, 0xEF, 0xF8};

namespace {

uint16_t ShiftBits(uint16_t reg, uint8_t byte) {
    for (int i = 7; i >= 0; --i) {
        unsigned bit = (byte >> i) & 1u;
        bool msb = (reg & 0x8000u) != 0;
        reg = uint16_t(((reg << 1) | bit) ^ (msb ? 0x4003u : 0u));
    }
    return reg;
}

// The register is linear and the feedback of eight shifts depends only on its high byte, so a
// byte at a time is one table look-up: a full picture is 830 KB and is checked on every load.
const std::array<uint16_t, 256>& Table() {
    static const std::array<uint16_t, 256> table = [] {
        std::array<uint16_t, 256> t{};
        for (unsigned i = 0; i < 256; ++i) t[i] = ShiftBits(uint16_t(i << 8), 0);
        return t;
    }();
    return table;
}

}  // namespace

uint16_t ShiftCodeByte(uint16_t reg, uint8_t byte) { return uint16_t(((reg << 8) | byte) ^ Table()[reg >> 8]); }

uint16_t DataChecksum(const uint8_t* data, size_t size) {
    const auto& t = Table();
    uint16_t reg = 0;
    for (size_t i = size; i-- > 0;) reg = uint16_t(((reg << 8) | data[i]) ^ t[reg >> 8]);
    reg = uint16_t(((reg << 8) | 0xFF) ^ t[reg >> 8]);
    reg = uint16_t(((reg << 8) | 0xFF) ^ t[reg >> 8]);
    return reg;
}

uint16_t PacketCheck(uint8_t reg, uint16_t value) {
    const uint8_t bytes[3] = {reg, uint8_t(value >> 8), uint8_t(value)};
    return DataChecksum(bytes, 3);
}

void BuildPacket(uint8_t reg, uint16_t value, uint8_t out[5]) {
    uint16_t c = PacketCheck(reg, value);
    out[0] = uint8_t(c);
    out[1] = uint8_t(c >> 8);
    out[2] = reg;
    out[3] = uint8_t(value >> 8);
    out[4] = uint8_t(value);
}

bool PacketValid(const uint8_t packet[5]) {
    uint16_t c = PacketCheck(packet[2], uint16_t(packet[3] << 8 | packet[4]));
    return packet[0] == uint8_t(c) && packet[1] == uint8_t(c >> 8);
}

}  // namespace ktgsim
