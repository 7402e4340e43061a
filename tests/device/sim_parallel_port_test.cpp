// The simulated parallel-port driver against a scripted Device on its Unix socket: what goes
// over the wire, how the Device's statuses come back as link errors, and silence and restarts.
#include <gtest/gtest.h>

#include "device/lpt_transport.h"
#include "device/sim_parallel_port.h"
#include "log_capture.h"
#include "sim_device_peer.h"

using namespace device;
using zxtest::SimDevicePeer;

namespace {

class SimLpt : public ::testing::Test {
protected:
    int open(int portIndex = 0) { return LptOpen(std::make_unique<SimParallelPort>(path()), portIndex, &h); }
    std::string path() const { return dir.file("lpt.sock"); }
    void TearDown() override { LptClose(h); }
    zxtest::TempDir dir;
    LptHandle h = nullptr;
};

TEST_F(SimLpt, OpenConnectAndTrafficReachTheDevice) {
    SimDevicePeer peer(path());
    ASSERT_TRUE(peer.listening());
    ASSERT_EQ(open(1), 0);
    std::vector<uint8_t> want{simlpt::SIMLPT_HELLO, PAR_SELECT_PORT, PAR_ACQUIRE, PAR_CAPABILITY, PAR_RELEASE};
    EXPECT_EQ(peer.codes(), want);
    auto reqs = peer.requests();
    EXPECT_EQ(reqs[0].value, simlpt::kSimLptMagic);
    EXPECT_EQ(reqs[1].arg, 2);  // LPT2

    peer.clearRequests();
    ASSERT_EQ(LptConnect(h), 0);
    const uint8_t packet[5] = {0xEA, 0xC1, 0x80, 0x00, 0x04};
    EXPECT_EQ(LptWriteAddress(h, ECP_ADDR_REGISTER), 0);
    EXPECT_EQ(LptWrite(h, packet, 5), 0);
    peer.setReadData({0x8C, 0x07, 0x07, 0x07, 0xF8, 0x10});
    uint8_t status[6] = {};
    EXPECT_EQ(LptRead(h, status, 6), 0);
    EXPECT_EQ(status[0], 0x8C);
    EXPECT_EQ(status[5], 0x10);
    EXPECT_EQ(LptDisconnect(h), 0);
    reqs = peer.requests();
    want = {PAR_ACQUIRE,          PAR_NEGOTIATE,       PAR_IOCTL_WRITE_ADDRESS,
            PAR_IOCTL_WRITE_DATA, PAR_IOCTL_READ_DATA, PAR_RELEASE};
    EXPECT_EQ(peer.codes(), want);
    EXPECT_EQ(reqs[1].arg, 2);
    EXPECT_EQ(reqs[2].arg, 0x0C);
    EXPECT_EQ(reqs[3].payload, std::vector<uint8_t>(packet, packet + 5));
    EXPECT_EQ(reqs[4].value, 6u);

    peer.clearRequests();
    LptClose(h);
    EXPECT_EQ(peer.codes(), std::vector<uint8_t>{PAR_TERMINATE});
}

TEST_F(SimLpt, DeviceStatusesBecomeLinkErrors) {
    {
        SimDevicePeer peer(path());
        peer.setStatus(PAR_SELECT_PORT, PAR_NO_ECP);
        EXPECT_EQ(open(), 4);
    }
    {
        SimDevicePeer peer(path());
        peer.setStatus(PAR_SELECT_PORT, 0x26);
        EXPECT_EQ(open(), 5);
    }
    {
        SimDevicePeer peer(path());
        peer.setCapability(0);
        EXPECT_EQ(open(), 4);
    }
    SimDevicePeer peer(path());
    ASSERT_EQ(open(), 0);
    peer.setStatus(PAR_ACQUIRE, PAR_IN_USE);
    EXPECT_EQ(LptConnect(h), 5);
    peer.setStatus(PAR_ACQUIRE, PAR_OK);
    peer.setStatus(PAR_NEGOTIATE, PAR_TIMEOUT);
    EXPECT_EQ(LptConnect(h), 12);
    EXPECT_EQ(peer.codes().back(), PAR_RELEASE);  // given back after the failed negotiation
    peer.setStatus(PAR_NEGOTIATE, PAR_OK);
    ASSERT_EQ(LptConnect(h), 0);
    uint8_t block[100] = {};
    peer.setWriteShortBy(1);
    EXPECT_EQ(LptWrite(h, block, sizeof block), 6);
    peer.setReadData({0x07, 0x07, 0x07, 0x07});
    uint8_t status[6];
    EXPECT_EQ(LptRead(h, status, 6), 7);
}

TEST_F(SimLpt, SilentDeviceEndsTheRequestAndTheNextConnectStartsAfresh) {
    zxtest::LogCapture log;
    SimDevicePeer peer(path());
    ASSERT_EQ(open(), 0);
    ASSERT_EQ(LptConnect(h), 0);
    peer.setSilent(PAR_IOCTL_READ_DATA);
    uint8_t status[6];
    EXPECT_EQ(LptRead(h, status, 6), 7);
    EXPECT_TRUE(log.has("PAR_IOCTL_READ_DATA error: 02, bytes: 0 of 6"));
    EXPECT_FALSE(static_cast<SimParallelPort*>(h)->connected());
    // Without a connection the Device requests fail at once.
    EXPECT_EQ(LptWriteAddress(h, ECP_ADDR_REGISTER), 6);
    LptDisconnect(h);
    peer.clearRequests();
    ASSERT_EQ(LptConnect(h), 0);
    std::vector<uint8_t> want{simlpt::SIMLPT_HELLO, PAR_SELECT_PORT, PAR_ACQUIRE, PAR_NEGOTIATE};
    EXPECT_EQ(peer.codes(), want);
    EXPECT_EQ(peer.connections(), 2);
}

TEST_F(SimLpt, DeviceOffReadsAsNotRespondingUntilItStarts) {
    ASSERT_EQ(open(), 0);  // the port itself is there
    EXPECT_EQ(LptConnect(h), 12);
    SimDevicePeer peer(path());
    EXPECT_EQ(LptConnect(h), 0);
    peer.dropConnection();  // the Device restarts
    uint8_t status[6];
    // The write may still reach the old connection; the read cannot get an answer.
    LptWriteAddress(h, ECP_ADDR_REGISTER);
    EXPECT_EQ(LptRead(h, status, 6), 7);
    LptDisconnect(h);
    EXPECT_EQ(LptConnect(h), 0);
}

}  // namespace
