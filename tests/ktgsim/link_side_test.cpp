// What one Ethernet message or one parallel-port request means to the Device.
#include <gtest/gtest.h>

#include "ktgsim/check_code.h"
#include "ktgsim/link_side.h"
#include "programs.h"

using namespace ktgsim;
using namespace ktgtest;

namespace {

std::vector<uint8_t> Msg(std::initializer_list<uint8_t> head, const std::vector<uint8_t>& payload = {}) {
    std::vector<uint8_t> m(head);
    m.insert(m.end(), payload.begin(), payload.end());
    return m;
}

std::vector<uint8_t> Send(EthernetSide& e, const std::vector<uint8_t>& m) {
    std::vector<uint8_t> reply;
    e.message(m.data(), m.size(), reply);
    return reply;
}

// A data block sent as the program chunks it.
void SendData(EthernetSide& e, const std::vector<uint8_t>& block, size_t chunk, bool class2) {
    for (size_t at = 0; at < block.size() || at == 0; at += chunk) {
        std::vector<uint8_t> m = {'V'};
        if (class2) m.push_back(0x01);
        m.insert(m.end(), block.begin() + long(at), block.begin() + long(std::min(block.size(), at + chunk)));
        Send(e, m);
        if (block.size() - at < chunk) break;
    }
}

}  // namespace

TEST(EthernetSide, FullChunksAreJoinedIntoOneBlock) {
    Device d;
    EthernetSide e(d);
    Programs p(d, false);
    p.write(0x60, 0);
    p.write(0x61, 0);
    p.write(0x62, 99);
    p.write(0x63, 719);
    p.write(0x80, 0);
    auto block = Block(720, 100, [](int x, int y) { return uint16_t(0xF000 | ((x + y) & 0xFFF)); });
    ASSERT_GT(block.size(), device::kNetChunk);  // 144,002 bytes: 65,534 + 65,534 + 12,934
    SendData(e, block, device::kNetChunk, false);
    EXPECT_EQ(d.stats().blocks, 1u);
    EXPECT_EQ(d.storeWord(0, 99, 719), uint16_t(0xF000 | ((719 + 99) & 0xFFF)));
    EXPECT_EQ(Send(e, {'S'})[0] & 0x80, 0x80);
}

TEST(EthernetSide, Class2NeedsItsMarkerAndJoinsSplitWrites) {
    Device d(DeviceOptions{2, true});
    EthernetSide e(d);
    Send(e, Msg({'C'}, {0x05, 0x00, 0x07}));
    EXPECT_EQ(d.reg(5), 0);
    EXPECT_EQ(e.malformed(), 1u);
    Send(e, Msg({'C', 0x01}, {0x05, 0x00, 0x07}));
    EXPECT_EQ(d.reg(5), 7);
    // A register write cut by the chunk limit is joined with the next message.
    Send(e, Msg({'C', 0x01}, {0x06, 0x12}));
    Send(e, Msg({'C', 0x01}, {0x34}));
    EXPECT_EQ(d.reg(6), 0x1234);
}

TEST(EthernetSide, ABlockOfExactlyFullChunksEndsAtTheNextMessage) {
    Device d(DeviceOptions{2, false});
    EthernetSide e(d);
    std::vector<uint8_t> m = {'V', 0x01};
    m.resize(2 + device::kNetChunkClass2, 0xF0);
    Send(e, m);
    EXPECT_EQ(d.stats().blocks, 0u);
    Send(e, {'S'});
    EXPECT_EQ(d.stats().blocks, 1u);
    EXPECT_EQ(d.stats().bytes, device::kNetChunkClass2);
}

TEST(EthernetSide, NonsenseIsCountedAndIgnored) {
    Device d;
    EthernetSide e(d);
    Send(e, {});
    Send(e, {'X', 1, 2, 3});
    EXPECT_EQ(e.malformed(), 2u);
    EXPECT_EQ(d.stats().packets, 0u);
    d.setPower(false);
    EXPECT_TRUE(Send(e, {'S'}).empty());
}

TEST(LptSide, SplitPacketsAndStatusReads) {
    Device d;
    LptSide l(d);
    uint8_t two[10];
    BuildPacket(0x05, 0x0102, two);
    BuildPacket(0x06, 0x0304, two + 5);
    l.address(device::ECP_ADDR_REGISTER);
    l.write(two, 3);  // a packet split over two writes
    l.write(two + 3, 7);
    EXPECT_EQ(d.reg(5), 0x0102);
    EXPECT_EQ(d.reg(6), 0x0304);
    uint8_t st[8] = {};
    EXPECT_EQ(l.read(st, 6), 6u);
    EXPECT_EQ(st[0], kHammingCodewords[8]);
    EXPECT_EQ(l.read(st, 8), 6u) << "never more than the record";

    d.setPower(false);
    l.address(device::ECP_ADDR_REGISTER);
    EXPECT_EQ(l.read(st, 6), 0u);
}
