// Register-write packets and the status record: the worked packets, the fill block and the
// Hamming code of the parallel port.
#include <gtest/gtest.h>

#include "device/command_set.h"
#include "device/engine_protocol.h"

using namespace device;

TEST(Packet, WorkedValues) {
    EXPECT_EQ(MakePacket(0x80, 0x0004), (Packet{0xEA, 0xC1, 0x80, 0x00, 0x04}));
    EXPECT_EQ(MakePacket(0x80, 0x8000), (Packet{0xFC, 0x41, 0x80, 0x80, 0x00}));
    EXPECT_EQ(MakePacket(0x40, 0x0000), (Packet{0x00, 0xBF, 0x40, 0x00, 0x00}));
}

TEST(FillBlock, IsOneTransparentBlackPairAfterItsChecksum) {
    EXPECT_EQ(std::vector<uint8_t>(kFillBlock.begin(), kFillBlock.end()),
              (std::vector<uint8_t>{0x60, 0xA5, 0x08, 0x04, 0x08, 0x04}));
}

TEST(Hamming, EveryCodewordAndEverySingleFlipDecodes) {
    for (int v = 0; v < 16; ++v) {
        const uint8_t cw = kHammingCodewords[size_t(v)];
        EXPECT_EQ(HammingDecode(cw), v);
        for (int bit = 0; bit < 8; ++bit) EXPECT_EQ(HammingDecode(uint8_t(cw ^ (1 << bit))), v) << v << " bit " << bit;
    }
}

TEST(Hamming, EveryDoubleFlipIsAnErrorAndTheTableSplits144To112) {
    for (int v = 0; v < 16; ++v)
        for (int a = 0; a < 8; ++a)
            for (int b = a + 1; b < 8; ++b) {
                uint8_t x = uint8_t(kHammingCodewords[size_t(v)] ^ (1 << a) ^ (1 << b));
                EXPECT_TRUE(HammingDecode(x) & kHammingError) << std::hex << int(x);
            }
    int good = 0, bad = 0;
    for (int x = 0; x < 256; ++x) (HammingDecode(uint8_t(x)) & kHammingError ? bad : good)++;
    EXPECT_EQ(good, 144);
    EXPECT_EQ(bad, 112);
}

TEST(Status, DecodesEachLinkAndFlagsDamage) {
    const uint8_t lpt[6] = {0x8C, 0xF8, 0xF8, 0xF8 ^ 0x01, 0x29, 0x3E};  // one byte with a bit flipped
    Status s = DecodeStatus(lpt, 6, true);
    EXPECT_FALSE(s.hammingError);
    EXPECT_EQ(s.s, (std::array<uint8_t, 6>{8, 0xF, 0xF, 0xF, 2, 3}));
    EXPECT_TRUE(s.accepted());
    EXPECT_TRUE(s.finished());
    EXPECT_EQ(s.request(), 2);
    EXPECT_EQ(s.state(1), 3);
    EXPECT_EQ(s.state(0), 2);  // class 0: five bytes, the state is the last

    const uint8_t damaged[5] = {0x8C, 0x07 ^ 0x03, 0x07, 0x07, 0x07};
    EXPECT_TRUE(DecodeStatus(damaged, 5, true).hammingError);

    const uint8_t net[6] = {0xB0, 0xF0, 0x0F, 0xF0, 0x40, 0x20};  // low nibbles carry nothing
    Status n = DecodeStatus(net, 6, false);
    EXPECT_EQ(n.s, (std::array<uint8_t, 6>{0xB, 0xF, 0, 0xF, 4, 2}));
    EXPECT_FALSE(n.finished());
}
