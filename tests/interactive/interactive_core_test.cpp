#include "interactive/interactive_core.h"

#include <gtest/gtest.h>

#include "adapter_peers.h"
#include "device/log_capture.h"
#include "interactive/itv_result.h"
#include "interactive/voice_message.h"

using namespace interactive;
using zxtest::Bytes;
using zxtest::PeerV1;
using zxtest::PeerV2;
using zxtest::ScriptedAdapter;
using zxtest::SinkRecorder;

namespace {

struct CoreFixture : ::testing::Test {
    platform::ManualClock clock;
    ScriptedAdapter port{clock};
    CSerial serial{port, clock};
    SinkRecorder sink;
    std::unique_ptr<InteractiveCore> core;
    void make(int version, bool cid = false, int digits = 7, int cidType = 0) {
        core = std::make_unique<InteractiveCore>(serial, sink, CoreConfig{version, cid, digits, cidType});
    }
    int run(uint16_t code, uint8_t lines, uint16_t value = 0, uint8_t* data = nullptr) {
        return core->Run({0, code, 0, lines, value, data});
    }
};

struct SecondVersion : CoreFixture {
    PeerV2 peer;
    void SetUp() override { peer.attach(port); }
};
struct FirstVersionEngine : CoreFixture {
    PeerV1 peer;
    void SetUp() override { peer.attach(port); }
};

}  // namespace

TEST_F(SecondVersion, StartSendsEightThenTheModesOfTheCallerIdType) {
    zxtest::LogCapture log;
    make(ITV_VERSION_2, true, 7, 1);
    ASSERT_EQ(run(ITV_CMD_START, 0x05), ITV_OK);
    EXPECT_EQ(port.codes(), (std::vector<int>{8, 7}));
    EXPECT_EQ(Bytes(peer.modes, peer.modes + 8), (Bytes{5, 0, 5, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(log.has("start calls processing, lines mask: 05"));
    EXPECT_TRUE(log.has("packet: 05 00 05 00 00 00 00 00"));
    EXPECT_TRUE(log.has("started."));
    EXPECT_TRUE(core->polling());
    EXPECT_EQ(core->waitMs(), kPollAfterCallMs);
    EXPECT_EQ(LineMode(true, 0), 7);
    EXPECT_EQ(LineMode(true, 2), 3);
    EXPECT_EQ(LineMode(true, 9), 1);
    EXPECT_EQ(LineMode(false, 0), 1);
}

TEST_F(SecondVersion, PollsReportTheLowestLineAndTheNumberThenRelease) {
    make(ITV_VERSION_2, true);
    ASSERT_EQ(run(ITV_CMD_START, 0xFF), ITV_OK);
    Bytes call{0x24};
    for (char c : std::string("0123456")) call.push_back(uint8_t(c));
    peer.calls.push_back(call);
    peer.calls.push_back(Bytes(40, '9'));            // longer than a record holds
    peer.calls.push_back(Bytes{0x01, '7', 0, '8'});  // stops at the zero byte
    peer.calls.push_back(Bytes{0x00});               // no line bit: line 0, no number
    zxtest::LogCapture log;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(core->OnTimeout(), -1);
    EXPECT_TRUE(log.has("new data available: 8 bytes"));
    ASSERT_EQ(sink.calls.size(), 4u);
    EXPECT_EQ(sink.calls[0].line, 2) << "lines 2 and 5 at once count as line 2";
    EXPECT_STREQ(sink.calls[0].number, "0123456");
    EXPECT_EQ(sink.calls[0].hasNumber, 1);
    EXPECT_EQ(std::string(sink.calls[1].number), std::string(31, '9'));
    EXPECT_STREQ(sink.calls[2].number, "7");
    EXPECT_EQ(sink.calls[3].line, 0);
    EXPECT_EQ(sink.calls[3].hasNumber, 0);
    EXPECT_TRUE(peer.calls.empty()) << "every call released";
    EXPECT_EQ(core->waitMs(), kPollAfterCallMs);
    EXPECT_EQ(core->OnTimeout(), -1);
    EXPECT_EQ(core->waitMs(), kPollIdleMs) << "an empty buffer backs off";
}

TEST_F(SecondVersion, WithoutCallerIdTheNumberIsNotTaken) {
    make(ITV_VERSION_2, false);
    ASSERT_EQ(run(ITV_CMD_START, 0x01), ITV_OK);
    EXPECT_EQ(peer.modes[0], 1);
    peer.calls.push_back(Bytes{0x01, '5', '5'});
    core->OnTimeout();
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(sink.calls[0].hasNumber, 0);
    EXPECT_STREQ(sink.calls[0].number, "");
}

TEST_F(SecondVersion, ThreeFailedPollsStopPollingAndRecoveryStartsTheLinesAgain) {
    make(ITV_VERSION_2);
    ASSERT_EQ(run(ITV_CMD_START, 0x03), ITV_OK);
    zxtest::LogCapture log;
    peer.silent = true;
    EXPECT_EQ(core->OnTimeout(), -1);
    EXPECT_TRUE(log.has("CInteractive::Error 2 at 0"));
    // The adapter restarts: it lost its modes.
    peer.silent = false;
    std::memset(peer.modes, 0, 8);
    port.writes.clear();
    EXPECT_EQ(core->OnTimeout(), -1);
    EXPECT_EQ(port.codes(), (std::vector<int>{5, 8, 7}));
    EXPECT_EQ(peer.modes[1], 1);
    EXPECT_EQ(core->errorCount(), 0);

    peer.silent = true;
    EXPECT_EQ(core->OnTimeout(), -1);
    EXPECT_EQ(core->OnTimeout(), -1);
    EXPECT_EQ(core->OnTimeout(), ITV_NO_REPLY);
    EXPECT_TRUE(log.has("CInteractive::Error 2 at 2"));
    EXPECT_FALSE(core->polling());
    EXPECT_EQ(core->waitMs(), kWaitForever);
    EXPECT_EQ(core->OnTimeout(), -1) << "no more polls";
}

TEST_F(SecondVersion, WriteErasesThenSendsPiecesAndTheLengthLast) {
    make(ITV_VERSION_2);
    peer.eraseBusyPolls = 2;
    Bytes message(70);
    for (size_t i = 0; i < message.size(); ++i) message[i] = uint8_t(i);
    zxtest::LogCapture log;
    ASSERT_EQ(run(ITV_CMD_WRITE, 0x03, uint16_t(message.size()), message.data()), ITV_OK);
    EXPECT_EQ(port.codes(), (std::vector<int>{7, 3, 4, 4, 4, 2, 2, 2, 2}));
    EXPECT_EQ(Bytes(peer.modes, peer.modes + 8), Bytes(8, 0)) << "lines off first";
    EXPECT_TRUE(log.has("write voice message, mask: 03, size: 0046"));
    EXPECT_TRUE(log.has("erase blocks: 03"));
    EXPECT_TRUE(log.has("erase status: 01"));
    EXPECT_TRUE(log.has("erase status: 00"));
    EXPECT_TRUE(log.has("write done: 106 bytes at 0 sec"));
    EXPECT_EQ(sink.progress, (std::vector<size_t>{32, 64, 70}));
    Bytes& m = peer.mem(0x03);
    EXPECT_EQ(Bytes(m.begin(), m.begin() + 70), message);
    EXPECT_EQ(m[0xFFFE], 70);
    EXPECT_EQ(m[0xFFFF], 0);
    const Bytes& last = port.writes.back();
    EXPECT_EQ(Bytes(last.begin() + 3, last.end() - 1), (Bytes{0x03, 0xFE, 0xFF, 70, 0}));
}

TEST_F(SecondVersion, ClearOnlyErasesAndAStuckEraseGivesUp) {
    make(ITV_VERSION_2);
    Bytes clear = ClearVoiceMessage();
    ASSERT_EQ(run(ITV_CMD_WRITE, 0x01, 2, clear.data()), ITV_OK);
    EXPECT_EQ(port.codes(), (std::vector<int>{7, 3, 4}));

    peer.eraseStuck = true;
    const uint32_t t0 = clock.ticks();
    EXPECT_EQ(run(ITV_CMD_WRITE, 0x01, 2, clear.data()), ITV_FLASH);
    EXPECT_GE(clock.ticks() - t0, kEraseGiveUpMs);
    EXPECT_LT(clock.ticks() - t0, kEraseGiveUpMs + 1000);
}

TEST_F(SecondVersion, AbortStopsBetweenPiecesWithFour) {
    make(ITV_VERSION_2);
    Bytes message(200, 0x55);
    sink.abortAfter = 64;
    EXPECT_EQ(run(ITV_CMD_WRITE, 0x01, uint16_t(message.size()), message.data()), ITV_ABORTED);
    EXPECT_EQ(sink.progress, (std::vector<size_t>{32, 64}));
    EXPECT_NE(peer.mem(1)[0xFFFE], 200) << "no length for a message cut short";
}

TEST_F(SecondVersion, ReadBringsTheMessageBackAndErasedMemoryIsEmpty) {
    make(ITV_VERSION_2);
    Bytes buffer(kVoiceBufferSize, 0xAA);
    zxtest::LogCapture log;
    ASSERT_EQ(run(ITV_CMD_READ, 0x04, 0, buffer.data()), ITV_OK);
    EXPECT_TRUE(log.has("data size: 65535 bytes"));
    EXPECT_EQ(buffer[0] | buffer[1] << 8, 0) << "erased memory reads as an empty message";
    EXPECT_EQ(port.codes(), (std::vector<int>{7, 1}));

    Bytes& m = peer.mem(0x04);
    for (int i = 0; i < 40; ++i) m[size_t(i)] = uint8_t(100 + i);
    m[0xFFFE] = 40;
    m[0xFFFF] = 0;
    ASSERT_EQ(run(ITV_CMD_READ, 0x04, 0, buffer.data()), ITV_OK);
    EXPECT_EQ(buffer[0] | buffer[1] << 8, 40);
    EXPECT_EQ(Bytes(buffer.begin() + 2, buffer.begin() + 42), Bytes(m.begin(), m.begin() + 40));
    EXPECT_TRUE(log.has("read done: 66 bytes at 0 sec"));
    EXPECT_EQ(sink.progress, (std::vector<size_t>{32, 40}));

    peer.readCountSkew = -1;
    EXPECT_EQ(run(ITV_CMD_READ, 0x04, 0, buffer.data()), ITV_COMM_ERROR) << "a piece short of its count";
    EXPECT_EQ(buffer[0] | buffer[1] << 8, 0);
}

TEST_F(SecondVersion, QuitSwitchesTheLinesOff) {
    make(ITV_VERSION_2);
    ASSERT_EQ(run(ITV_CMD_START, 0xFF), ITV_OK);
    EXPECT_EQ(run(ITV_CMD_QUIT, 0), ITV_OK);
    EXPECT_EQ(Bytes(peer.modes, peer.modes + 8), Bytes(8, 0));
    EXPECT_FALSE(core->running());
    EXPECT_EQ(run(0x77, 0), ITV_OK) << "an unknown command";
}

TEST_F(FirstVersionEngine, StartResetsThenSetsModesAndLines) {
    make(ITV_VERSION_1);
    const uint32_t t0 = clock.ticks();
    ASSERT_EQ(run(ITV_CMD_START, 0x05, 0x03), ITV_OK);
    std::vector<std::string> sent;
    for (auto& w : port.writes) sent.emplace_back(w.begin(), w.end());
    EXPECT_EQ(sent, (std::vector<std::string>{"i", "m1", "m2", "a1", "a3"}));
    EXPECT_GE(clock.ticks() - t0, 200u);
    EXPECT_EQ(peer.mode, 0x03);
    EXPECT_EQ(peer.active, 0x05);
    EXPECT_TRUE(core->polling());
}

TEST_F(FirstVersionEngine, AFailingModeIsTriedFourTimes) {
    make(ITV_VERSION_1);
    peer.badEchoes = 1;  // "i" fails at once
    EXPECT_EQ(run(ITV_CMD_START, 0x01, 0x01), ITV_COMM_ERROR);
    peer.badEchoes = 0;
    port.writes.clear();
    // Three bad echoes of "m1", then a good one.
    peer.attach(port);
    int bad = 3;
    auto inner = port.respond;
    port.respond = [&](ScriptedAdapter& p, const Bytes& w) {
        if (w == Bytes{'m', '1'} && bad-- > 0) p.queue(std::string("m0"));
        else inner(p, w);
    };
    EXPECT_EQ(run(ITV_CMD_START, 0x01, 0x01), ITV_OK);
    bad = 4;
    EXPECT_EQ(run(ITV_CMD_START, 0x01, 0x01), ITV_COMM_ERROR);
    size_t m1 = 0;
    for (auto& w : port.writes) m1 += w == Bytes{'m', '1'};
    EXPECT_EQ(m1, 4u + 4u);
    peer.silent = true;
    EXPECT_EQ(run(ITV_CMD_START, 0x01, 0x01), ITV_NO_REPLY);
}

TEST_F(FirstVersionEngine, PollsReadTheCallTableForPendingLines) {
    make(ITV_VERSION_1, true, 7);
    ASSERT_EQ(run(ITV_CMD_START, 0x0F, 0x03), ITV_OK);
    peer.number(1, "0123456");
    peer.number(2, "0000000");
    peer.number(3, "12");
    peer.table[2 + 30 + 7] = 12;  // a digit above 9
    peer.number(5, "999");        // pending but not started
    peer.pending = 0x2E;
    zxtest::LogCapture log;
    EXPECT_EQ(core->OnTimeout(), -1);
    EXPECT_TRUE(log.has("CInteractive: Status: 03 0F 5A 2E"));
    ASSERT_EQ(sink.calls.size(), 3u);
    EXPECT_EQ(sink.calls[0].line, 1);
    EXPECT_STREQ(sink.calls[0].number, "0123456");
    EXPECT_EQ(sink.calls[0].cidByte, 0x11);
    EXPECT_EQ(sink.calls[1].line, 2);
    EXPECT_EQ(sink.calls[1].hasNumber, 0) << "an all-zero number";
    EXPECT_EQ(sink.calls[2].line, 3);
    EXPECT_EQ(sink.calls[2].hasNumber, 0) << "a digit above 9";
    EXPECT_EQ(port.writes.back(), Bytes{'n'});
    EXPECT_EQ(core->waitMs(), kPollAfterCallMs);
    EXPECT_EQ(core->OnTimeout(), -1);
    EXPECT_EQ(core->waitMs(), kPollIdleMs);

    // Five digits: only the last five count.
    make(ITV_VERSION_1, true, 5);
    ASSERT_EQ(run(ITV_CMD_START, 0x02, 0x03), ITV_OK);
    peer.number(1, "9812345");
    peer.pending = 0x02;
    sink.calls.clear();
    core->OnTimeout();
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_STREQ(sink.calls[0].number, "12345");
}

TEST_F(FirstVersionEngine, AChangedModeByteStopsPollingAtOnce) {
    make(ITV_VERSION_1);
    ASSERT_EQ(run(ITV_CMD_START, 0x01, 0x03), ITV_OK);
    peer.mode = 0x01;  // the adapter lost a mode flag
    EXPECT_EQ(core->OnTimeout(), ITV_NO_REPLY);
    EXPECT_FALSE(core->polling());
}

TEST_F(FirstVersionEngine, WriteUploadsToTheSelectedLineAndReadGivesNothing) {
    make(ITV_VERSION_1);
    Bytes message(250);
    for (size_t i = 0; i < message.size(); ++i) message[i] = uint8_t(i ^ 0x5A);
    ASSERT_EQ(run(ITV_CMD_WRITE, 6, uint16_t(message.size()), message.data()), ITV_OK);
    EXPECT_EQ(peer.line, 6);
    EXPECT_EQ(peer.uploaded, message);
    EXPECT_EQ(sink.progress, (std::vector<size_t>{100, 200, 250}));
    EXPECT_FALSE(port.dtr);

    Bytes clear = ClearVoiceMessage();
    ASSERT_EQ(run(ITV_CMD_WRITE, 0, 2, clear.data()), ITV_OK);
    EXPECT_EQ(peer.uploaded, clear) << "the first version uploads two bytes of silence";

    Bytes buffer(kVoiceBufferSize, 0xAA);
    EXPECT_EQ(run(ITV_CMD_READ, 0x01, 0, buffer.data()), ITV_OK);
    EXPECT_EQ(buffer[0] | buffer[1] << 8, 0);

    sink.abortAfter = 100;
    EXPECT_EQ(run(ITV_CMD_WRITE, 6, uint16_t(message.size()), message.data()), ITV_ABORTED);
    EXPECT_FALSE(port.dtr);
    EXPECT_EQ(run(ITV_CMD_QUIT, 0), ITV_OK);
    EXPECT_EQ(port.writes.back(), Bytes{'i'});
}
