#include "device/engine_protocol.h"

#include <bit>

namespace device {

uint16_t PacketCheck(uint8_t reg, uint16_t value) {
    const uint8_t bytes[5] = {uint8_t(value), uint8_t(value >> 8), reg, 0xFF, 0xFF};
    uint16_t r = 0;
    for (uint8_t byte : bytes) {
        for (int bit = 7; bit >= 0; --bit) {
            const unsigned b = (byte >> bit) & 1u;
            if (r & 0x8000) r = uint16_t(((r ^ 0x2001u) << 1) | (b ^ 1u));
            else r = uint16_t((r << 1) | b);
        }
    }
    return r;
}

Packet MakePacket(uint8_t reg, uint16_t value) {
    const uint16_t check = PacketCheck(reg, value);
    return {uint8_t(check), uint8_t(check >> 8), reg, uint8_t(value >> 8), uint8_t(value)};
}

const std::array<uint8_t, 16> kHammingCodewords = {0x07, 0x10, 0x29, 0x3E, 0x4A, 0x5D, 0x64, 0x73,
                                                   0x8C, 0x9B, 0xA2, 0xB5, 0xC1, 0xD6, 0xEF, 0xF8};

namespace {

// Codewords are four bits apart, so every byte lies within one bit of exactly one codeword or
// two bits from several; the latter keep the first such value, flagged.
std::array<uint8_t, 256> BuildDecodeTable() {
    std::array<uint8_t, 256> t{};
    for (int x = 0; x < 256; ++x) {
        int best = -1;
        int bestDistance = 9;
        for (int v = 0; v < 16; ++v) {
            int d = std::popcount(unsigned(x ^ kHammingCodewords[size_t(v)]));
            if (d < bestDistance) {
                bestDistance = d;
                best = v;
            }
        }
        t[size_t(x)] = uint8_t(bestDistance <= 1 ? best : (kHammingError | best));
    }
    return t;
}

const std::array<uint8_t, 256> kDecode = BuildDecodeTable();

}  // namespace

uint8_t HammingDecode(uint8_t byte) { return kDecode[byte]; }

Status DecodeStatus(const uint8_t* bytes, size_t length, bool hammingCoded) {
    Status st;
    for (size_t i = 0; i < length && i < st.s.size(); ++i) {
        if (hammingCoded) {
            uint8_t v = HammingDecode(bytes[i]);
            if (v & kHammingError) st.hammingError = true;
            st.s[i] = v & 0x0F;
        } else {
            st.s[i] = bytes[i] >> 4;
        }
    }
    return st;
}

}  // namespace device
