// The Ethernet link against scripted Devices on loopback TCP: names, message forms, chunking,
// batching, status reads, adapter order (LanaPos), the name lock, the protocol check,
// emulation and the embedded Device.
#include <gtest/gtest.h>

#include <numeric>

#include "app/profile.h"
#include "device/embedded_device.h"
#include "device/net_transport.h"
#include "log_capture.h"
#include "session_peer.h"

using namespace device;
using zxtest::SessionPeer;

namespace {

using Bytes = std::vector<uint8_t>;

// Register-write packets (check low, check high, register, value high, value low).
const uint8_t kReset[5] = {0xEA, 0xC1, 0x80, 0x00, 0x04};
const uint8_t kFill[5] = {0xFC, 0x41, 0x80, 0x80, 0x00};

class NetLink : public ::testing::Test {
protected:
    app::Profile& settings(const std::string& text) {
        zxtest::WriteText(dir.file("ZENTRIX.INI"), text);
        ini.open(dir.file("ZENTRIX.INI"));
        return ini;
    }
    app::Profile& hosts(const std::string& list) { return settings("[Ethernet]\nHosts=" + list + "\n"); }

    zxtest::TempDir dir;  // settings and the name locks
    app::Profile ini;
    NetBios nb{dir.path()};
    NetTransport t{nb, ini};
};

TEST_F(NetLink, SessionRequestAndTheMessageForms) {
    zxtest::LogCapture log;
    SessionPeer peer;
    hosts(peer.address());
    ASSERT_EQ(t.Open(), 0);
    ASSERT_EQ(t.Connect(), 0);
    ASSERT_EQ(peer.requests().size(), 1u);
    EXPECT_EQ(peer.requests()[0], SessionRequest(NetTransport::DeviceName(false), NetTransport::LocalName(false)));

    EXPECT_EQ(t.SendCommand(kReset), 0);
    const uint8_t block[4] = {1, 2, 3, 4};
    EXPECT_EQ(t.SendData(block, 4), 0);
    uint8_t status[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_EQ(t.ReadStatus(status, 6), 0);
    EXPECT_EQ(Bytes(status, status + 6), (Bytes{0x80, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(peer.waitMessages(3));
    EXPECT_EQ(peer.messages()[0], (Bytes{0x43, 0x80, 0x00, 0x04}));
    EXPECT_EQ(peer.messages()[1], (Bytes{0x56, 1, 2, 3, 4}));
    EXPECT_EQ(peer.messages()[2], Bytes{0x53});

    t.Disconnect();
    t.Close();
    for (const char* line :
         {"NCBADDNAME returns: 00, lana: 00", "NCBCALL start at lana: 00", "NCBCALL connected to lana: 00, lsn: 01",
          "NCBHANGUP returns: 00, lana: 00", "NCBRESET returns: 00, lana: 00"})
        EXPECT_TRUE(log.has(line)) << line << "\n" << log.text();
}

TEST_F(NetLink, StatusClassTwoChunksSmallAndMarksEachMessage) {
    SessionPeer peer;
    hosts(peer.address());
    t.setStatusClass(2);
    ASSERT_EQ(t.Open(), 0);
    ASSERT_EQ(t.Connect(), 0);
    Bytes block(3000);
    std::iota(block.begin(), block.end(), uint8_t(0));
    ASSERT_EQ(t.SendData(block.data(), block.size()), 0);
    EXPECT_EQ(t.SendCommand(kFill), 0);
    ASSERT_TRUE(peer.waitMessages(4));
    auto m = peer.messages();
    ASSERT_EQ(m.size(), 4u);
    Bytes joined;
    size_t sizes[3] = {1478, 1478, 44};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(m[size_t(i)].size(), sizes[i] + 2);
        EXPECT_EQ(m[size_t(i)][0], 0x56);
        EXPECT_EQ(m[size_t(i)][1], 0x01);
        joined.insert(joined.end(), m[size_t(i)].begin() + 2, m[size_t(i)].end());
    }
    EXPECT_EQ(joined, block);
    EXPECT_EQ(m[3], (Bytes{0x43, 0x01, 0x80, 0x80, 0x00}));
}

TEST_F(NetLink, LongBlocksGoOutIn65534ByteMessages) {
    SessionPeer peer;
    hosts(peer.address());
    ASSERT_EQ(t.Open(), 0);
    ASSERT_EQ(t.Connect(), 0);
    Bytes block(70000, 0xA5);
    ASSERT_EQ(t.SendData(block.data(), block.size()), 0);
    ASSERT_TRUE(peer.waitMessages(2));
    auto m = peer.messages();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].size(), 65535u);
    EXPECT_EQ(m[1].size(), 70000u - 65534u + 1u);
    EXPECT_EQ(m[1][0], 0x56);
}

TEST_F(NetLink, ARunOfWritesTravelsAsOneCommandMessage) {
    SessionPeer peer;
    hosts(peer.address());
    ASSERT_EQ(t.Open(), 0);
    ASSERT_EQ(t.Connect(), 0);
    constexpr int N = 5;
    Bytes payload;
    for (int i = 0; i < N; ++i) {
        uint8_t p[5] = {0x11, 0x22, uint8_t(0x60 + i), uint8_t(i), uint8_t(0x10 * i)};
        payload.insert(payload.end(), p + 2, p + 5);
        bool more = i < N - 1;
        t.QueueRegister(p, more);
        EXPECT_EQ(t.SendCommand(p), 0);
        EXPECT_EQ(t.batchCount(), more ? i + 1 : 0) << i;
    }
    // A plain write after the run goes alone.
    t.QueueRegister(kReset, false);
    EXPECT_EQ(t.SendCommand(kReset), 0);
    ASSERT_TRUE(peer.waitMessages(2));
    auto m = peer.messages();
    ASSERT_EQ(m.size(), 2u);
    Bytes want{0x43};
    want.insert(want.end(), payload.begin(), payload.end());
    EXPECT_EQ(m[0], want);
    EXPECT_EQ(m[0].size(), 1u + 3u * N);
    EXPECT_EQ(m[1], (Bytes{0x43, 0x80, 0x00, 0x04}));
}

TEST_F(NetLink, ShortOrMissingStatusIsAnEthernetError) {
    zxtest::LogCapture log;
    SessionPeer::Script s;
    s.status = {0x80, 0, 0, 0};
    SessionPeer peer(s);
    hosts(peer.address());
    ASSERT_EQ(t.Open(), 0);
    ASSERT_EQ(t.Connect(), 0);
    uint8_t status[6];
    EXPECT_EQ(t.ReadStatus(status, 6), 14);
    EXPECT_TRUE(log.has("NCBRECV error: 00, lana: 00, length: 4"));
    // A longer answer is no better: the receive reports an incomplete message.
    EXPECT_EQ(t.ReadStatus(status, 3), 14);
    EXPECT_TRUE(log.has("NCBRECV error: 06, lana: 00, length: 3"));

    // A silent Device: the receive gives up after its one-second time-out.
    s.answerStatus = false;
    peer.setScript(s);
    t.Disconnect();
    ASSERT_EQ(t.Connect(), 0);
    EXPECT_EQ(t.ReadStatus(status, 6), 14);
    EXPECT_TRUE(log.has("NCBRECV error: 05, lana: 00, length: 0"));
}

TEST_F(NetLink, LanaPosPutsTheRememberedAdapterFirst) {
    SessionPeer a, b, c;
    const std::string three = a.address() + ";" + b.address() + ";" + c.address();
    settings("[Ethernet]\nHosts=" + three + "\nLanaPos=2\n");
    ASSERT_EQ(t.Open(), 0);
    EXPECT_EQ(t.lanaList(), (Bytes{2, 1, 0}));
    ASSERT_EQ(t.Connect(), 0);
    EXPECT_EQ(c.sessions(), 1);
    EXPECT_EQ(a.sessions() + b.sessions(), 0);
    t.Close();

    // A position at or past the end of the list, or below 1, changes nothing.
    for (const char* pos : {"3", "7", "-1", "0"}) {
        settings("[Ethernet]\nHosts=" + three + "\nLanaPos=" + pos + "\n");
        ASSERT_EQ(t.Open(), 0);
        EXPECT_EQ(t.lanaList(), (Bytes{0, 1, 2})) << pos;
        t.Close();
    }
}

TEST_F(NetLink, AdapterThatReachesTheDeviceIsRememberedAndMovedFirst) {
    zxtest::LogCapture log;
    SessionPeer peer;
    hosts("127.0.0.1:" + std::to_string(zxtest::RefusingPort()) + ";" + peer.address());
    ASSERT_EQ(t.Open(), 0);
    ASSERT_EQ(t.Connect(), 0);
    EXPECT_TRUE(log.has("NCBCALL error: 14, lana: 00"));
    EXPECT_TRUE(log.has("NCBCALL connected to lana: 01, lsn: 01"));
    EXPECT_EQ(ini.getInt("Ethernet", "LanaPos", 0), 1);
    EXPECT_EQ(t.lanaList(), (Bytes{1, 0}));
    // The next call tries that adapter first.
    t.Disconnect();
    ASSERT_EQ(t.Connect(), 0);
    EXPECT_EQ(peer.sessions(), 2);
    EXPECT_EQ(log.text().find("NCBCALL start at lana: 00"), log.text().rfind("NCBCALL start at lana: 00"));
    // And so does the next run.
    t.Close();
    ASSERT_EQ(t.Open(), 0);
    EXPECT_EQ(t.lanaList(), (Bytes{1, 0}));
}

TEST_F(NetLink, NoDeviceOnAnyAdapterIsNotResponding) {
    zxtest::LogCapture log;
    SessionPeer::Script refuse;
    refuse.negative = SESSION_CALLED_NOT_PRESENT;
    SessionPeer no(refuse);
    SessionPeer::Script mute;
    mute.answerCall = false;
    SessionPeer silent(mute);
    hosts("127.0.0.1:" + std::to_string(zxtest::RefusingPort()) + ";" + no.address() + ";" + silent.address());
    ASSERT_EQ(t.Open(), 0);
    EXPECT_EQ(t.Connect(), 12);
    EXPECT_TRUE(log.has("NCBCALL error: 14, lana: 01"));  // refused by name
    EXPECT_TRUE(log.has("NCBCALL error: 05, lana: 02"));  // no answer within the time-out
    EXPECT_FALSE(t.connected());
    uint8_t status[6];
    EXPECT_EQ(t.ReadStatus(status, 6), 14);
    EXPECT_TRUE(log.has("NCBSEND error: 08, lana: 00"));
}

TEST_F(NetLink, UnusableAdaptersAndNoAdapterAtAll) {
    SessionPeer peer;
    hosts("ktg:port;" + peer.address() + ";[::1");
    ASSERT_EQ(t.Open(), 0);
    EXPECT_EQ(t.lanaList(), Bytes{1});
    t.Close();
    hosts("x:0");
    EXPECT_EQ(t.Open(), 13);
    hosts("");
    EXPECT_EQ(t.Open(), 13);  // no Device address and no embedded Device
    EXPECT_FALSE(t.isOpen());
}

TEST_F(NetLink, SecondCopyOnThisMachineGetsNameInUse) {
    zxtest::LogCapture log;
    SessionPeer peer;
    hosts(peer.address());
    ASSERT_EQ(t.Open(), 0);
    NetBios nb2(dir.path());
    NetTransport second(nb2, ini);
    EXPECT_EQ(second.Open(), 16);
    EXPECT_TRUE(log.has("NCBADDNAME returns: 16, lana: 00"));
    // The second edition has a name of its own and runs beside the first.
    NetBios nb3(dir.path());
    NetTransport edition400(nb3, ini, true);
    EXPECT_EQ(edition400.Open(), 0);
    // Once the first has closed, the name is free.
    t.Close();
    EXPECT_EQ(second.Open(), 0);
}

class NoProtocol : public NetBios {
public:
    using NetBios::NetBios;
    bool protocolInstalled() override { return false; }
};

TEST_F(NetLink, MissingProtocolUnlessNoCheck) {
    SessionPeer peer;
    NoProtocol bare(dir.path());
    NetTransport link(bare, ini);
    hosts(peer.address());
    EXPECT_EQ(link.Open(), 15);
    settings("[Ethernet]\nHosts=" + peer.address() + "\nNoCheck=1\n");
    EXPECT_EQ(link.Open(), 0);
    EXPECT_EQ(link.Connect(), 0);
}

TEST_F(NetLink, EmulationSucceedsWithoutADevice) {
    settings("[Debug]\nEmulate=1\n");
    t.setStatusClass(1);
    EXPECT_EQ(t.Open(), 0);
    EXPECT_TRUE(t.emulating());
    EXPECT_EQ(t.Connect(), 0);
    EXPECT_EQ(t.SendCommand(kReset), 0);
    uint8_t block[3000] = {};
    EXPECT_EQ(t.SendData(block, sizeof block), 0);
    uint8_t status[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(t.ReadStatus(status, 6), 0);
    EXPECT_EQ(Bytes(status, status + 6), (Bytes{0x80, 0, 0, 0, 0, 0}));
    t.Close();
}

TEST_F(NetLink, EmptyHostsMeansTheEmbeddedDevice) {
    SessionPeer peer;
    int starts = 0;
    SetEmbeddedDevice({[&] {
                           ++starts;
                           return peer.address();
                       },
                       {}});
    hosts("");
    EXPECT_EQ(t.Open(), 0);
    EXPECT_EQ(t.Connect(), 0);
    EXPECT_EQ(peer.sessions(), 1);
    EXPECT_EQ(starts, 1);
    t.Close();
    // Configured addresses win over the embedded Device.
    SessionPeer other;
    hosts(other.address());
    EXPECT_EQ(t.Open(), 0);
    EXPECT_EQ(t.Connect(), 0);
    EXPECT_EQ(other.sessions(), 1);
    EXPECT_EQ(starts, 1);
    t.Close();
    // An embedded Device that cannot start is no adapter.
    SetEmbeddedDevice({[] { return std::string(); }, {}});
    hosts("");
    EXPECT_EQ(t.Open(), 13);
    SetEmbeddedDevice({});
}

TEST_F(NetLink, ProgramWideFunctionsUseOneTransport) {
    // Without an application object the settings are the defaults: no Hosts.
    NetSetLockFolder(dir.path());
    SetEmbeddedDevice({});
    EXPECT_EQ(NetOpen(), 13);
    SessionPeer peer;
    SetEmbeddedDevice({[&] { return peer.address(); }, {}});
    NetSetStatusClass(0);
    ASSERT_EQ(NetOpen(), 0);
    ASSERT_EQ(NetConnect(), 0);
    NetQueueRegister(kReset, true);
    EXPECT_EQ(NetSendCommand(kReset), 0);
    EXPECT_EQ(NetBatchCount(), 1);
    NetResetBatch();
    EXPECT_EQ(NetBatchCount(), 0);
    EXPECT_EQ(NetSendCommand(kFill), 0);
    uint8_t status[5];
    EXPECT_EQ(NetReadStatus(status, 5), 14);  // the peer answers six bytes
    NetDisconnect();
    NetClose();
    SetEmbeddedDevice({});
    NetSetLockFolder("");
    ASSERT_TRUE(peer.waitMessages(2));
    EXPECT_EQ(peer.messages()[0], (Bytes{0x43, 0x80, 0x80, 0x00}));
}

// NetBIOS itself: receive semantics, retarget, limits.
class NetBiosCalls : public ::testing::Test {
protected:
    uint8_t call(SessionPeer& peer) {
        nb.setAdapters({peer.address()});
        EXPECT_EQ(nb.Reset(0), NRC_GOODRET);
        EXPECT_EQ(nb.AddName(0, local), NRC_GOODRET);
        uint8_t lsn = 0;
        EXPECT_EQ(nb.Call(0, NetTransport::DeviceName(false), local, 2, 2, lsn), NRC_GOODRET);
        return lsn;
    }
    zxtest::TempDir dir;
    NetBios nb{dir.path()};
    NetName local = NetTransport::LocalName(false);
};

TEST_F(NetBiosCalls, LongMessageIsDeliveredInPiecesAndKeepAlivesIgnored) {
    SessionPeer::Script s;
    s.statusRaw = {0x85, 0, 0, 0, 0x00, 0, 0, 8, 1, 2, 3, 4, 5, 6, 7, 8};
    s.closeAfterStatus = true;
    SessionPeer peer(s);
    uint8_t lsn = call(peer);
    const uint8_t S = 0x53;
    ASSERT_EQ(nb.Send(0, lsn, &S, 1), NRC_GOODRET);
    uint8_t buf[6];
    size_t len = sizeof buf;
    EXPECT_EQ(nb.Recv(0, lsn, buf, len), NRC_INCOMP);
    EXPECT_EQ(len, 6u);
    EXPECT_EQ(Bytes(buf, buf + 6), (Bytes{1, 2, 3, 4, 5, 6}));
    len = sizeof buf;
    EXPECT_EQ(nb.Recv(0, lsn, buf, len), NRC_GOODRET);
    EXPECT_EQ(Bytes(buf, buf + len), (Bytes{7, 8}));
    // The Device hung up: the session is over.
    len = sizeof buf;
    EXPECT_EQ(nb.Recv(0, lsn, buf, len), NRC_SCLOSED);
    EXPECT_EQ(nb.Recv(0, lsn, buf, len), NRC_SNUMOUT);
    EXPECT_EQ(nb.Hangup(0, lsn), NRC_SNUMOUT);
}

TEST_F(NetBiosCalls, LimitsAndUnknownSessions) {
    SessionPeer peer;
    uint8_t lsn = call(peer);
    Bytes big(65536);
    EXPECT_EQ(nb.Send(0, lsn, big.data(), big.size()), NRC_BUFLEN);
    EXPECT_EQ(nb.Send(0, lsn, big.data(), 65535), NRC_GOODRET);
    EXPECT_EQ(nb.Send(0, uint8_t(lsn + 1), big.data(), 1), NRC_SNUMOUT);
    uint8_t lsn2 = 0;
    EXPECT_EQ(nb.Call(0, NetTransport::DeviceName(false), NetTransport::LocalName(true), 2, 2, lsn2), NRC_NOWILD);
    EXPECT_EQ(nb.Hangup(0, lsn), NRC_GOODRET);
    EXPECT_EQ(nb.Hangup(0, lsn), NRC_SNUMOUT);
}

TEST_F(NetBiosCalls, RetargetLeadsToTheOtherAddress) {
    SessionPeer target;
    SessionPeer::Script s;
    s.retargetPort = target.port();
    SessionPeer first(s);
    call(first);
    EXPECT_EQ(first.sessions(), 0);
    EXPECT_EQ(first.requests().size(), 1u);
    EXPECT_EQ(target.sessions(), 1);
}

}  // namespace
