#include "interactive/serial.h"

#include <gtest/gtest.h>

#include "device/log_capture.h"
#include "interactive/itv_result.h"
#include "scripted_adapter.h"

using namespace interactive;
using zxtest::Bytes;
using zxtest::Packet;
using zxtest::ScriptedAdapter;

namespace {

struct SerialFixture : ::testing::Test {
    platform::ManualClock clock;
    ScriptedAdapter peer{clock};
    CSerial serial{peer, clock};
    uint8_t reply[kReplyBufferSize];
};

using PacketExchange = SerialFixture;
using FirstVersion = SerialFixture;

}  // namespace

TEST(PacketChecksum, MakesThePacketSumZero) {
    const uint8_t head[3] = {0x47, 0x05, 0x00};
    EXPECT_EQ(PacketChecksum(head, 3), 0xB4);
    Bytes p = Packet(0x87, {1, 2, 3, 250});
    EXPECT_EQ(Sum8(p.data(), p.size()), 0);
    EXPECT_EQ(ItvResultMessageId(1), 18530);
    EXPECT_EQ(ItvResultMessageId(5), 18534);
    EXPECT_EQ(ItvResultMessageId(0), 0);
}

TEST_F(PacketExchange, BuildsThePacketAndTakesAnEmptyReplyAfterFourBytes) {
    peer.respond = [](ScriptedAdapter& p, const Bytes&) { p.queue(Packet(0x85, {})); };
    EXPECT_EQ(serial.SendRecvPacket(5, 0, nullptr, reply, false), ITV_OK);
    ASSERT_EQ(peer.writes.size(), 1u);
    EXPECT_EQ(peer.writes[0], (Bytes{0x47, 0x05, 0x00, 0xB4}));
    EXPECT_EQ(reply[2], 0);
    EXPECT_EQ(reply[3], 0xB4 - 0x80 + 0x00) << "the fourth byte is the checksum";
    EXPECT_EQ(peer.pending(), 0u);
}

TEST_F(PacketExchange, SkipsNoiseBeforeTheSyncByteAlsoAfterAResend) {
    int n = 0;
    peer.respond = [&](ScriptedAdapter& p, const Bytes&) {
        Bytes good = Packet(0x81, {0, 0x11, 0x22});
        if (n++ == 0) {
            Bytes bad = good;
            bad[4] ^= 0xFF;
            p.queue(Bytes{0x00, 0xFF, 0x13});
            p.queue(bad);
        } else {
            p.queue(Bytes{0x55, 0x12});
            p.queue(good);
        }
    };
    zxtest::LogCapture log;
    EXPECT_EQ(serial.SendRecvPacket(1, 0, nullptr, reply, true), ITV_OK);
    EXPECT_EQ(peer.writes.size(), 2u);
    EXPECT_EQ(reply[4], 0x11);
    EXPECT_EQ(reply[5], 0x22);
    EXPECT_TRUE(log.has("CSerial::SendRecvPacket() - bad CRC, retries: 0"));
}

TEST_F(PacketExchange, BadRepliesAreResentTwiceThenGiveThree) {
    int bad = 2;
    peer.respond = [&](ScriptedAdapter& p, const Bytes&) {
        Bytes r = Packet(0x82, {0});
        if (bad-- > 0) r.back() ^= 1;
        p.queue(r);
    };
    EXPECT_EQ(serial.SendRecvPacket(2, 0, nullptr, reply, true), ITV_OK) << "two bad, then a good one";
    EXPECT_EQ(peer.writes.size(), 3u);

    peer.writes.clear();
    bad = 3;
    zxtest::LogCapture log;
    EXPECT_EQ(serial.SendRecvPacket(2, 0, nullptr, reply, true), ITV_COMM_ERROR);
    EXPECT_EQ(peer.writes.size(), 3u);
    EXPECT_TRUE(log.has("CSerial::SendRecvPacket() - bad CRC, retries: 2"));
}

TEST_F(PacketExchange, SilenceWaitsTheWindowThreeTimesThenGivesTwo) {
    zxtest::LogCapture log;
    const uint32_t t0 = clock.ticks();
    EXPECT_EQ(serial.SendRecvPacket(5, 0, nullptr, reply, false), ITV_NO_REPLY);
    EXPECT_EQ(peer.writes.size(), 3u);
    const uint32_t spent = clock.ticks() - t0;
    EXPECT_GT(spent, 3 * kReplyWindowMs);
    EXPECT_LT(spent, 3 * (kReplyWindowMs + 1100));
    EXPECT_TRUE(log.has("CSerial::SendRecvPacket() - no reply, retries: 0"));
    EXPECT_TRUE(log.has("CSerial::SendRecvPacket() - no reply, retries: 2"));

    peer.failWrites = true;
    peer.writes.clear();
    EXPECT_EQ(serial.SendRecvPacket(5, 0, nullptr, reply, false), ITV_NO_REPLY);
}

TEST_F(PacketExchange, ASoundReplyWithoutBitSevenIsNoReply) {
    peer.respond = [](ScriptedAdapter& p, const Bytes&) { p.queue(Packet(0x05, {})); };
    EXPECT_EQ(serial.SendRecvPacket(5, 0, nullptr, reply, false), ITV_NO_REPLY);
    EXPECT_EQ(peer.writes.size(), 1u) << "not resent";
}

TEST_F(PacketExchange, AFlashFailureGivesFiveAndItsFlags) {
    peer.respond = [](ScriptedAdapter& p, const Bytes&) { p.queue(Packet(0x83, {0x01})); };
    zxtest::LogCapture log;
    EXPECT_EQ(serial.SendRecvPacket(3, 0, nullptr, reply, true), ITV_FLASH);
    EXPECT_TRUE(log.has("CSerial::SendRecvPacket() - flash failure, flags: 01"));
    EXPECT_EQ(serial.SendRecvPacket(3, 0, nullptr, reply, false), ITV_OK) << "not a flash command";
}

TEST_F(PacketExchange, AReplyCutShortIsNoReply) {
    peer.respond = [](ScriptedAdapter& p, const Bytes&) {
        Bytes r = Packet(0x81, {0, 1, 2, 3, 4, 5});
        r.resize(6);
        p.queue(r);
    };
    EXPECT_EQ(serial.SendRecvPacket(1, 0, nullptr, reply, true), ITV_NO_REPLY);
}

TEST_F(FirstVersion, ExchangesAreFramedByDtrAndEchoCompared) {
    peer.respond = [](ScriptedAdapter& p, const Bytes& w) {
        EXPECT_TRUE(p.dtr) << "DTR raised while the command goes out";
        p.queue(w);
    };
    EXPECT_EQ(serial.Command('m', 2), ITV_OK);
    EXPECT_EQ(peer.writes.back(), (Bytes{'m', '3'}));
    EXPECT_FALSE(peer.dtr);
    EXPECT_EQ(serial.SelectLine(0), ITV_OK);
    EXPECT_TRUE(peer.dtr) << "select keeps DTR raised";

    peer.respond = [](ScriptedAdapter& p, const Bytes&) { p.queue(std::string("a2")); };
    EXPECT_EQ(serial.Command('a', 0), ITV_COMM_ERROR) << "an echo that differs";
    EXPECT_FALSE(peer.dtr);
    peer.respond = nullptr;
    EXPECT_EQ(serial.Command('i'), ITV_NO_REPLY);
}

TEST_F(FirstVersion, StatusAndCallTableAreCheckedBySums) {
    Bytes status{'s', 0x03, 0x07, 0x42, 0x04, 0};
    status[5] = Sum8(status.data(), 5);
    peer.respond = [&](ScriptedAdapter& p, const Bytes&) { p.queue(status); };
    AdapterStatus s;
    ASSERT_EQ(serial.Status(s), ITV_OK);
    EXPECT_EQ(s.mode, 0x03);
    EXPECT_EQ(s.active, 0x07);
    EXPECT_EQ(s.other, 0x42);
    EXPECT_EQ(s.pending, 0x04);
    status[5] ^= 1;
    EXPECT_EQ(serial.Status(s), ITV_COMM_ERROR);

    Bytes table(82, 0);
    table[0] = 'r';
    for (int i = 0; i < 7; ++i) table[1 + 2 + 20 + 1 + i] = uint8_t(i);
    table[81] = Sum8(table.data(), 81);
    peer.respond = [&](ScriptedAdapter& p, const Bytes& w) {
        if (w == Bytes{'r'}) p.queue(table);
        else p.queue(w);
    };
    uint8_t calls[kCallTableSize];
    ASSERT_EQ(serial.ReadCalls(calls), ITV_OK);
    EXPECT_EQ(peer.writes.back(), Bytes{'n'}) << "acknowledged";
    EXPECT_EQ(calls[2 + 20 + 7], 6);
    EXPECT_FALSE(peer.dtr);
    table[81] ^= 1;
    peer.writes.clear();
    EXPECT_EQ(serial.ReadCalls(calls), ITV_COMM_ERROR);
    EXPECT_EQ(peer.writes.size(), 1u) << "no acknowledgement of a damaged table";
    EXPECT_FALSE(peer.dtr);
}

TEST_F(FirstVersion, UploadSendsPiecesAndTheSumOfHeadAndMessage) {
    Bytes message(250);
    for (size_t i = 0; i < message.size(); ++i) message[i] = uint8_t(i * 7);
    uint8_t answer = 0;
    peer.respond = [&](ScriptedAdapter& p, const Bytes& w) {
        if (w[0] == 'l' && w.size() == 4) p.queue(w);
        else if (w.size() == 1) p.queue(Bytes{answer});
    };
    std::vector<size_t> progress;
    ASSERT_EQ(serial.Upload(message.data(), message.size(),
                            [&](size_t n) {
                                progress.push_back(n);
                                return true;
                            }),
              ITV_OK);
    ASSERT_EQ(peer.writes.size(), 5u);
    EXPECT_EQ(peer.writes[0], (Bytes{'l', 0x0C, 250, 0}));
    EXPECT_EQ(peer.writes[1].size(), 100u);
    EXPECT_EQ(peer.writes[3].size(), 50u);
    const uint8_t sum = uint8_t(Sum8(peer.writes[0].data(), 4) + Sum8(message.data(), message.size()));
    EXPECT_EQ(peer.writes[4], Bytes{sum});
    EXPECT_EQ(progress, (std::vector<size_t>{100, 200, 250}));
    EXPECT_FALSE(peer.dtr);

    answer = 1;
    EXPECT_EQ(serial.Upload(message.data(), message.size(), nullptr), ITV_COMM_ERROR);
    answer = 0;
    EXPECT_EQ(serial.Upload(message.data(), message.size(), [](size_t n) { return n < 200; }), ITV_ABORTED);
    EXPECT_FALSE(peer.dtr);
}
