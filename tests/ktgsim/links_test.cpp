// The Device's side of both links, driven by the program's own transports: the NetBIOS session
// service with the Ethernet message forms, and the simulated parallel-port driver's socket.
#include <gtest/gtest.h>

#include <memory>

#include "app/profile.h"
#include "device/embedded_device.h"
#include "device/lpt_transport.h"
#include "device/net_transport.h"
#include "device/sim_parallel_port.h"
#include "ktgsim/check_code.h"
#include "ktgsim/embedded.h"
#include "ktgsim/server.h"
#include "programs.h"
#include "support/temp_dir.h"

using namespace ktgsim;
using ktgtest::Block;
using ktgtest::kWhite;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Packet(uint8_t reg, uint16_t value) {
    Bytes p(5);
    BuildPacket(reg, value, p.data());
    return p;
}

// The program's Ethernet link, pointed at one address (or at the embedded Device with "").
struct NetLink {
    explicit NetLink(const std::string& hosts, int statusClass = 1) {
        zxtest::WriteText(dir.file("ZENTRIX.INI"), "[Ethernet]\nHosts=" + hosts + "\n");
        ini.open(dir.file("ZENTRIX.INI"));
        t.setStatusClass(statusClass);
    }
    // A run of writes the way the engine hands them over: all but the last join the batch.
    int writes(const std::vector<Bytes>& packets) {
        for (size_t i = 0; i < packets.size(); ++i) {
            t.QueueRegister(packets[i].data(), i + 1 < packets.size());
            if (int e = t.SendCommand(packets[i].data())) return e;
        }
        return 0;
    }
    Bytes status(size_t n) {
        Bytes s(n);
        return t.ReadStatus(s.data(), n) == 0 ? s : Bytes{};
    }
    zxtest::TempDir dir;
    app::Profile ini;
    device::NetBios nb{dir.path()};
    device::NetTransport t{nb, ini};
};

ServerOptions NetOnly(int statusClass) {
    ServerOptions o;
    o.device.statusClass = statusClass;
    o.listen = "127.0.0.1:0";
    o.manualFields = true;
    return o;
}

}  // namespace

TEST(EthernetLink, TheProgramLoadsAPictureAndReadsStatus) {
    Server server(NetOnly(1));
    std::string err;
    ASSERT_TRUE(server.start(err)) << err;
    NetLink link(server.netAddress());
    ASSERT_EQ(link.t.Open(), 0);
    ASSERT_EQ(link.t.Connect(), 0);
    ASSERT_EQ(
        link.writes({Packet(0x60, 0x800 | 30), Packet(0x61, 40), Packet(0x62, 79), Packet(0x63, 139), Packet(0x80, 0)}),
        0);
    Bytes st = link.status(6);
    ASSERT_EQ(st.size(), 6u);
    EXPECT_EQ(st[0], 0x90);  // accepted, transfer prepared
    auto block = Block(100, 50, [](int x, int y) { return uint16_t(0xF000 | (y << 7) | x); });
    ASSERT_EQ(link.t.SendData(block.data(), block.size()), 0);
    st = link.status(6);
    EXPECT_EQ(st[0], 0x80);
    EXPECT_EQ(server.device().storeWord(1, 79, 139), uint16_t(0xF000 | (49 << 7) | 99));
    EXPECT_EQ(server.device().stats().packets, 5u);

    // A request waits in S4 until the reply.
    std::string why;
    ASSERT_TRUE(server.device().press(4, why));
    EXPECT_EQ(link.status(6)[4], 0x40);
    ASSERT_EQ(link.writes({Packet(0xC0, 4)}), 0);
    EXPECT_EQ(link.status(6)[4], 0x00);
    link.t.Disconnect();
    link.t.Close();
}

TEST(EthernetLink, StatusClassTwoChunksAreJoined) {
    Server server(NetOnly(2));
    std::string err;
    ASSERT_TRUE(server.start(err)) << err;
    NetLink link(server.netAddress(), 2);
    ASSERT_EQ(link.t.Open(), 0);
    ASSERT_EQ(link.t.Connect(), 0);
    ASSERT_EQ(link.writes({Packet(0x60, 0), Packet(0x61, 0), Packet(0x62, 0), Packet(0x63, 1498), Packet(0x80, 0)}), 0);
    auto block = Block(1499, 1, [](int x, int) { return uint16_t(0xF000 | x); });
    ASSERT_EQ(block.size(), 3000u);
    ASSERT_EQ(link.t.SendData(block.data(), block.size()), 0);
    Bytes st = link.status(6);
    ASSERT_EQ(st.size(), 6u);
    EXPECT_EQ(st[0] & 0x80, 0x80);
    EXPECT_EQ(server.device().stats().blocks, 1u);
    EXPECT_EQ(server.device().storeWord(0, 0, 1498), uint16_t(0xF000 | 1498));
}

TEST(EthernetLink, AnswersOnlyToTheDeviceNames) {
    Server server(NetOnly(1));
    std::string err;
    ASSERT_TRUE(server.start(err)) << err;
    zxtest::TempDir dir;
    device::NetBios nb(dir.path());
    nb.setAdapters({server.netAddress()});
    std::vector<uint8_t> lanas;
    ASSERT_EQ(nb.Enum(lanas), device::NRC_GOODRET);
    ASSERT_EQ(nb.Reset(lanas.at(0)), device::NRC_GOODRET);
    const device::NetName local = device::NetTransport::LocalName(false);
    ASSERT_EQ(nb.AddName(lanas[0], local), device::NRC_GOODRET);
    uint8_t lsn = 0;
    EXPECT_EQ(nb.Call(lanas[0], device::MakeNetName("SOMEONE_ELSE"), local, 2, 2, lsn), device::NRC_NOCALL);
    EXPECT_EQ(nb.Call(lanas[0], device::NetTransport::DeviceName(true), local, 2, 2, lsn), device::NRC_GOODRET);
    nb.Hangup(lanas[0], lsn);
}

TEST(EthernetLink, SwitchedOffIsSilentAndOnComesBackAfresh) {
    Server server(NetOnly(1));
    std::string err;
    ASSERT_TRUE(server.start(err)) << err;
    NetLink link(server.netAddress());
    ASSERT_EQ(link.t.Open(), 0);
    ASSERT_EQ(link.t.Connect(), 0);
    ASSERT_EQ(link.status(6).size(), 6u);
    server.device().setPower(false);
    EXPECT_TRUE(link.status(6).empty()) << "no answer while off";
    link.t.Disconnect();
    EXPECT_EQ(link.t.Connect(), device::LINK_NOT_RESPONDING);
    server.device().setPower(true);
    ASSERT_EQ(link.t.Connect(), 0);
    Bytes st = link.status(6);
    ASSERT_EQ(st.size(), 6u);
    EXPECT_EQ(st[0], 0x80);
}

TEST(LptLink, TheProgramWritesPacketsAndBlocksAndReadsHammingStatus) {
    zxtest::TempDir dir;
    ServerOptions o;
    o.lptSocket = dir.file("lpt.sock");
    o.manualFields = true;
    o.device.statusClass = 0;
    Server server(o);
    std::string err;
    ASSERT_TRUE(server.start(err)) << err;
    device::LptHandle h = nullptr;
    ASSERT_EQ(device::LptOpen(std::make_unique<device::SimParallelPort>(o.lptSocket), 0, &h), 0);
    ASSERT_EQ(device::LptConnect(h), 0);
    auto write = [&](uint8_t reg, uint16_t v) {
        Bytes p = Packet(reg, v);
        ASSERT_EQ(device::LptWriteAddress(h, device::ECP_ADDR_REGISTER), 0);
        ASSERT_EQ(device::LptWrite(h, p.data(), 5), 0);
    };
    auto status = [&] {
        Bytes s(5);
        EXPECT_EQ(device::LptWriteAddress(h, device::ECP_ADDR_REGISTER), 0);
        return device::LptRead(h, s.data(), 5) == 0 ? s : Bytes{};
    };
    write(0x60, 0);
    write(0x61, 0);
    write(0x62, 0);
    write(0x63, 1);
    write(0x80, 0);
    EXPECT_EQ(status(), (Bytes{kHammingCodewords[9], 0xF8, 0xF8, 0xF8, kHammingCodewords[0]}));
    auto block = Block(2, 1, [](int, int) { return kWhite; });
    ASSERT_EQ(device::LptWriteAddress(h, device::ECP_ADDR_DATA), 0);
    ASSERT_EQ(device::LptWrite(h, block.data(), uint32_t(block.size())), 0);
    EXPECT_EQ(server.device().storeWord(0, 0, 1), kWhite);
    // A damaged packet is refused and said so.
    Bytes bad = Packet(0x05, 7);
    bad[4] ^= 1;
    ASSERT_EQ(device::LptWriteAddress(h, device::ECP_ADDR_REGISTER), 0);
    ASSERT_EQ(device::LptWrite(h, bad.data(), 5), 0);
    EXPECT_EQ(status()[0], kHammingCodewords[0]);

    // Off: nothing answers; on again, the program reconnects and finds it fresh.
    server.device().setPower(false);
    Bytes s(5);
    ASSERT_EQ(device::LptWriteAddress(h, device::ECP_ADDR_REGISTER), device::LINK_WRITE_ERROR);
    device::LptDisconnect(h);
    EXPECT_EQ(device::LptConnect(h), device::LINK_NOT_RESPONDING);
    server.device().setPower(true);
    device::LptDisconnect(h);
    ASSERT_EQ(device::LptConnect(h), 0);
    EXPECT_EQ(status(), (Bytes{kHammingCodewords[8], 0xF8, 0xF8, 0xF8, kHammingCodewords[0]}));
    device::LptDisconnect(h);
    device::LptClose(h);
}

TEST(EmbeddedDevice, StandsInWhenNoAddressIsConfigured) {
    RegisterEmbeddedDevice(EmbeddedOptions{[] { return 2; }, 1.0, {}});
    NetLink link("", 2);
    ASSERT_EQ(link.t.Open(), 0);
    ASSERT_EQ(link.t.Connect(), 0);
    Bytes st = link.status(6);
    ASSERT_EQ(st.size(), 6u);
    EXPECT_EQ(st[0], 0x80);
    bool running = WithEmbeddedServer([](Server& s) { EXPECT_EQ(s.device().statusClass(), 2); });
    EXPECT_TRUE(running);
    const std::string socket = device::GetEmbeddedDevice().lptSocket();
    EXPECT_NE(socket.find("ktgsim-embedded-"), std::string::npos);
    link.t.Disconnect();
    link.t.Close();
    UnregisterEmbeddedDevice();
    EXPECT_FALSE(WithEmbeddedServer([](Server&) {}));
    EXPECT_FALSE(device::GetEmbeddedDevice().sessionAddress);
}
