// The Device's protocol side: packets and their check code, data blocks, the frame store,
// status records per class and link, requests, faults, power.
#include <gtest/gtest.h>

#include <random>

#include "ktgsim/check_code.h"
#include "ktgsim/device.h"
#include "programs.h"

using namespace ktgsim;
using namespace ktgtest;

namespace {

std::vector<uint8_t> Status(Device& d, Link link) {
    uint8_t r[6];
    size_t n = 0;
    if (!d.status(link, r, n)) return {};
    return {r, r + n};
}

// Values of a record read over Ethernet (plain high nibbles).
std::vector<int> Values(Device& d) {
    std::vector<int> v;
    for (uint8_t b : Status(d, Link::Ethernet)) v.push_back(b >> 4);
    return v;
}

void SendPacket(Device& d, uint8_t reg, uint16_t value) {
    uint8_t p[5];
    BuildPacket(reg, value, p);
    d.packet(p);
}

}  // namespace

TEST(CheckCode, WorkedPacketsAndFillBlock) {
    uint8_t p[5];
    BuildPacket(0x80, 0x0004, p);
    EXPECT_EQ(std::vector<uint8_t>(p, p + 5), (std::vector<uint8_t>{0xEA, 0xC1, 0x80, 0x00, 0x04}));
    BuildPacket(0x80, 0x8000, p);
    EXPECT_EQ(std::vector<uint8_t>(p, p + 5), (std::vector<uint8_t>{0xFC, 0x41, 0x80, 0x80, 0x00}));
    BuildPacket(0x40, 0, p);
    EXPECT_EQ(std::vector<uint8_t>(p, p + 5), (std::vector<uint8_t>{0x00, 0xBF, 0x40, 0x00, 0x00}));
    const uint8_t fill[4] = {0x08, 0x04, 0x08, 0x04};
    EXPECT_EQ(DataChecksum(fill, 4), 0xA560);
}

TEST(CheckCode, ByteTableAgreesWithTheBitByBitRegister) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        uint16_t reg = uint16_t(rng());
        uint8_t byte = uint8_t(rng());
        uint16_t slow = reg;
        for (int i = 7; i >= 0; --i) {
            bool msb = slow & 0x8000;
            slow = uint16_t(((slow << 1) | ((byte >> i) & 1)) ^ (msb ? 0x4003 : 0));
        }
        ASSERT_EQ(ShiftCodeByte(reg, byte), slow);
    }
}

TEST(Packets, GoodPacketAppliesAndAnyDamagedByteIsRefused) {
    Device d;
    SendPacket(d, 0x05, 0x1234);
    EXPECT_EQ(d.reg(0x05), 0x1234);
    EXPECT_EQ(Values(d)[0] & 8, 8);
    for (int i = 0; i < 5; ++i) {
        uint8_t p[5];
        BuildPacket(0x05, 0x4321, p);
        p[i] ^= 0x10;
        d.packet(p);
        EXPECT_EQ(d.reg(0x05), 0x1234) << "byte " << i;
        EXPECT_EQ(Values(d)[0] & 8, 0) << "byte " << i;
    }
    EXPECT_EQ(d.stats().rejects, 5u);
    SendPacket(d, 0x05, 0x4321);
    EXPECT_EQ(d.reg(0x05), 0x4321);
    EXPECT_EQ(Values(d)[0] & 8, 8);
}

TEST(Status, LengthAndCodingPerClassAndLink) {
    for (int cls = 0; cls <= 2; ++cls) {
        Device d(DeviceOptions{cls, true});
        auto lpt = Status(d, Link::Lpt);
        ASSERT_EQ(lpt.size(), cls == 0 ? 5u : 6u);
        // Idle: accepted, nothing moving, nothing on air.
        std::vector<int> expect = {8, 15, 15, 15, 0};
        if (cls != 0) expect.push_back(0);
        for (size_t i = 0; i < lpt.size(); ++i) EXPECT_EQ(lpt[i], kHammingCodewords[expect[i]]) << cls << " " << i;
        auto eth = Status(d, Link::Ethernet);
        ASSERT_EQ(eth.size(), lpt.size());
        for (size_t i = 0; i < eth.size(); ++i) EXPECT_EQ(eth[i], uint8_t(expect[i] << 4));
    }
}

TEST(Store, LoadOf100By50LandsInItsWindowAndBank) {
    Device d;
    Programs p(d);
    auto block = Block(100, 50, [](int x, int y) { return uint16_t(0xF000 | (y << 7) | x); });
    ASSERT_EQ(block.size(), 10002u);
    p.loadRect({40, 30, 140, 80}, block, 1);  // flags bit 0 differs from bank 0: the other bank
    EXPECT_EQ(d.stats().blocks, 1u);
    EXPECT_EQ(d.stats().bytes, 10002u);
    EXPECT_EQ(Values(d)[0] & 8, 8);
    EXPECT_EQ(d.storeWord(1, 30, 40), 0xF000);
    EXPECT_EQ(d.storeWord(1, 79, 139), uint16_t(0xF000 | (49 << 7) | 99));
    EXPECT_EQ(d.storeWord(1, 55, 90), uint16_t(0xF000 | (25 << 7) | 50));
    // Nothing outside the window, nothing in the other bank.
    EXPECT_EQ(d.storeWord(1, 29, 40), kClearWord);
    EXPECT_EQ(d.storeWord(1, 30, 140), kClearWord);
    EXPECT_EQ(d.storeWord(1, 80, 139), kClearWord);
    EXPECT_EQ(d.storeWord(0, 30, 40), kClearWord);
}

TEST(Store, DamagedBlockIsRefusedUnlessTheCheckIsOff) {
    Device d;
    Programs p(d);
    auto block = Block(4, 2, [](int, int) { return kWhite; });
    block[5] ^= 0x01;
    p.loadRect({0, 0, 4, 2}, block);
    EXPECT_EQ(Values(d)[0] & 8, 0);
    EXPECT_EQ(d.storeWord(0, 0, 0), kClearWord);
    EXPECT_EQ(d.stats().rejects, 1u);

    Device off(DeviceOptions{1, false});
    Programs q(off);
    q.loadRect({0, 0, 4, 2}, Block(
                                 4, 2, [](int, int) { return kWhite; }, false));
    EXPECT_EQ(Values(off)[0] & 8, 8);
    EXPECT_EQ(off.storeWord(0, 1, 3), kWhite);
}

TEST(Store, FillRepeatsThePairAndLoadRectDataClearsTheOtherBank) {
    Device d;
    Programs p(d);
    p.fillRect({10, 20, 16, 22}, Block(2, 1, [](int x, int) { return x ? kRedRight : kRedLeft; }));
    EXPECT_EQ(Values(d)[0] & 2, 2);
    EXPECT_EQ(d.storeWord(0, 20, 10), kRedLeft);
    EXPECT_EQ(d.storeWord(0, 21, 15), kRedRight);
    EXPECT_EQ(d.storeWord(0, 21, 14), kRedLeft);
    EXPECT_EQ(d.storeWord(0, 22, 10), kClearWord);

    p.fillRect({0, 0, 1536, 576}, Block(2, 1, [](int, int) { return kWhite; }), 1);
    EXPECT_EQ(d.storeWord(1, 575, 1535), kWhite);
    p.loadRectData({0, 0, 2, 1}, Block(2, 1, [](int, int) { return kWhite; }));
    EXPECT_EQ(d.storeWord(0, 0, 1), kWhite);
    EXPECT_EQ(d.storeWord(1, 575, 1535), kClearWord);
    EXPECT_EQ(d.storeWord(1, 0, 0), kClearWord);
}

TEST(Store, WindowsWrapAtTheStoreEdges) {
    Device d;
    Programs p(d);
    // A crawl chunk that runs past pixel 1535 continues at pixel 0; lines wrap at 1280.
    p.write(0x60, 1278);
    p.write(0x61, 1534);
    p.write(0x62, 1);  // lines 1278, 1279, 0, 1
    p.write(0x63, 1);  // pixels 1534, 1535, 0, 1
    p.write(0x80, 0);
    p.data(Block(4, 4, [](int x, int y) { return uint16_t(0xF000 | y << 4 | x); }));
    EXPECT_EQ(d.storeWord(0, 1278, 1534), 0xF000);
    EXPECT_EQ(d.storeWord(0, 1279, 0), 0xF012);
    EXPECT_EQ(d.storeWord(0, 0, 1535), 0xF021);
    EXPECT_EQ(d.storeWord(0, 1, 1), 0xF033);
}

TEST(Requests, HeldInS4UntilTheProgramReplies) {
    Device d;
    std::string err;
    ASSERT_TRUE(d.press(9, err));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Values(d)[4], 9);
    SendPacket(d, 0x40, 0);  // other writes leave it
    EXPECT_EQ(Values(d)[4], 9);
    SendPacket(d, 0xC0, 0x0808);
    EXPECT_EQ(Values(d)[4], 0);
    EXPECT_EQ(d.display(), 0x0808);
    EXPECT_FALSE(d.press(16, err));
    Device class0(DeviceOptions{0, true});
    EXPECT_FALSE(class0.press(1, err));
}

TEST(Faults, DamagedStatusBytesOneOrTwoBits) {
    Device d;
    Faults f;
    f.statusFlips = 6;
    f.flipBits = 1;
    d.setFaults(f);
    auto clean = [](const std::vector<uint8_t>& r) {
        int bad = 0;
        for (uint8_t b : r) bad += std::find(kHammingCodewords, kHammingCodewords + 16, b) == kHammingCodewords + 16;
        return bad;
    };
    for (int i = 0; i < 6; ++i) {
        auto r = Status(d, Link::Lpt);
        ASSERT_EQ(clean(r), 1);
        // One flipped bit: still within distance 1 of the byte's own codeword.
        int dist = 8;
        for (uint8_t b : r)
            if (std::find(kHammingCodewords, kHammingCodewords + 16, b) == kHammingCodewords + 16)
                for (uint8_t c : kHammingCodewords) dist = std::min(dist, __builtin_popcount(b ^ c));
        EXPECT_EQ(dist, 1);
    }
    EXPECT_EQ(clean(Status(d, Link::Lpt)), 0);
    f.statusFlips = 3;
    f.flipBits = 2;
    d.setFaults(f);
    for (int i = 0; i < 3; ++i) {
        auto r = Status(d, Link::Lpt);
        int dist = 8;
        for (uint8_t b : r)
            if (std::find(kHammingCodewords, kHammingCodewords + 16, b) == kHammingCodewords + 16)
                for (uint8_t c : kHammingCodewords) dist = std::min(dist, __builtin_popcount(b ^ c));
        EXPECT_EQ(dist, 2) << "a two-bit error cannot be corrected";
    }
    // Over Ethernet the damage lands in the value nibble, one byte a record.
    const std::vector<uint8_t> before = Status(d, Link::Ethernet);
    f.statusFlips = 4;
    f.flipBits = 1;
    d.setFaults(f);
    for (int i = 0; i < 4; ++i) {
        const std::vector<uint8_t> hurt = Status(d, Link::Ethernet);
        int changed = 0;
        for (size_t k = 0; k < hurt.size(); ++k) {
            EXPECT_EQ(hurt[k] & 0x0F, 0);
            changed += hurt[k] != before[k];
        }
        EXPECT_EQ(changed, 1);
    }
}

TEST(Faults, RejectedPacketsAndBlocksAndSilence) {
    Device d;
    Faults f;
    f.rejectPackets = 2;
    f.rejectBlocks = 1;
    f.silence = 1;
    d.setFaults(f);
    SendPacket(d, 3, 100);
    SendPacket(d, 3, 200);
    EXPECT_EQ(d.reg(3), 0);
    SendPacket(d, 3, 300);
    EXPECT_EQ(d.reg(3), 300);
    auto b = FillBlock();
    d.block(b.data(), b.size());
    EXPECT_EQ(d.stats().rejects, 3u);
    EXPECT_TRUE(Status(d, Link::Lpt).empty());
    EXPECT_FALSE(Status(d, Link::Lpt).empty());
}

TEST(Power, OffIsSilentAndOnStartsAfresh) {
    Device d;
    Programs p(d);
    p.loadRect({0, 0, 2, 1}, Block(2, 1, [](int, int) { return kWhite; }));
    std::string err;
    d.press(3, err);
    const uint64_t epoch = d.powerEpoch();
    d.setPower(false);
    EXPECT_TRUE(Status(d, Link::Lpt).empty());
    EXPECT_TRUE(Status(d, Link::Ethernet).empty());
    SendPacket(d, 3, 77);
    EXPECT_EQ(d.stats().packets, 5u);  // the load's packets only
    EXPECT_FALSE(d.press(4, err));
    d.setPower(true);
    EXPECT_GT(d.powerEpoch(), epoch);
    EXPECT_EQ(d.reg(3), 0);
    EXPECT_EQ(d.storeWord(0, 0, 0), kClearWord);
    auto v = Values(d);
    EXPECT_EQ(v[0], 8);
    EXPECT_EQ(v[4], 0);
}
