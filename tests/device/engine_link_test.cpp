// The engine over the real transports, opened the way the program opens it (StartHardware with
// the settings): the parallel port through the simulated driver, Ethernet sessions on loopback,
// emulation without a Device, and a link that cannot open.
#include <gtest/gtest.h>

#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "log_capture.h"
#include "scripted_link.h"
#include "session_peer.h"
#include "sim_device_peer.h"

using namespace device;
using zxtest::NoteRecorder;

namespace {

using Bytes = std::vector<uint8_t>;

class EngineOverLink : public ::testing::Test {
protected:
    void start(const std::string& ini) {
        zxtest::WriteText(dir.file("ZENTRIX.INI"), ini);
        app.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", dir.path()}));
        app.setDeviceLink(&engine);
        NetSetLockFolder(dir.path());
        app.StartHardware();
    }
    void TearDown() override {
        engine.Done();
        app.StopHardware();
    }
    std::shared_ptr<std::vector<uint8_t>> block(size_t n) { return std::make_shared<std::vector<uint8_t>>(n, uint8_t(7)); }

    zxtest::TempDir dir;
    app::CZentrixApp app;
    CEngine engine{CEngine::Options{nullptr, kStopWaitMs, false}};
    NoteRecorder notes;
};

}  // namespace

TEST_F(EngineOverLink, ParallelPortThroughTheSimulatedDriver) {
    zxtest::SimDevicePeer peer(dir.file("lpt.sock"));
    // Accepted, transfer ready, fill done, nothing moving.
    peer.setReadData({0xB5, 0xF8, 0xF8, 0xF8, 0x07, 0x07});
    start("[Hardware]\nEnable=1\nModel=0\nLptDriver=sim\nLptSocket=" + dir.file("lpt.sock") + "\n");
    ASSERT_EQ(app.hardwareState() & app::HW_DEVICE, app::HW_DEVICE);
    ASSERT_TRUE(engine.isOpen());

    engine.Init(&notes);
    ASSERT_TRUE(notes.waitFor(NOTE_LINK_UP));
    peer.clearRequests();
    engine.ResetDevice();
    ASSERT_TRUE(notes.waitFor(NOTE_FINISHED));
    ASSERT_TRUE(engine.LoadRect({0, 0, 10, 10}, DataRef::Share(block(202)), 0));
    ASSERT_TRUE(notes.waitFor(NOTE_FINISHED, 2));

    auto reqs = peer.requests();
    ASSERT_GE(reqs.size(), 4u);
    // The reset: address 0x0C, the packet, address 0x0C, the six status bytes.
    EXPECT_EQ(reqs[0].code, PAR_IOCTL_WRITE_ADDRESS);
    EXPECT_EQ(reqs[0].arg, ECP_ADDR_REGISTER);
    EXPECT_EQ(reqs[1].payload, (Bytes{0xEA, 0xC1, 0x80, 0x00, 0x04}));
    EXPECT_EQ(reqs[2].arg, ECP_ADDR_REGISTER);
    EXPECT_EQ(reqs[3].code, PAR_IOCTL_READ_DATA);
    EXPECT_EQ(reqs[3].value, 6u);
    // The picture block goes after address 0x1B.
    bool sawBlock = false;
    for (size_t i = 1; i < reqs.size(); ++i)
        if (reqs[i].code == PAR_IOCTL_WRITE_DATA && reqs[i].payload.size() == 202) {
            EXPECT_EQ(reqs[i - 1].arg, ECP_ADDR_DATA);
            sawBlock = true;
        }
    EXPECT_TRUE(sawBlock);

    engine.Done();
    peer.clearRequests();
    app.StopHardware();
    EXPECT_FALSE(engine.isOpen());
    EXPECT_EQ(peer.codes(), (std::vector<uint8_t>{PAR_TERMINATE}));
}

TEST_F(EngineOverLink, EthernetSessionCarriesBatchesAndBlocks) {
    zxtest::SessionScript script;
    script.status = {0xB0, 0xF0, 0xF0, 0xF0, 0x00, 0x00};
    zxtest::SessionPeer peer(script);
    start("[Hardware]\nEnable=1\nModel=1\n[Ethernet]\nHosts=" + peer.address() + "\n");
    ASSERT_TRUE(engine.isOpen());
    engine.Init(&notes);
    ASSERT_TRUE(notes.waitFor(NOTE_LINK_UP));
    ASSERT_TRUE(engine.LoadRect({10, 20, 110, 70}, DataRef::Share(block(10002)), 0));
    ASSERT_TRUE(notes.waitFor(NOTE_FINISHED));

    std::vector<Bytes> m;
    for (const Bytes& x : peer.messages())
        if (x != Bytes{0x53}) m.push_back(x);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0], (Bytes{0x43, 0x60, 0x00, 20, 0x61, 0x00, 10, 0x62, 0x00, 69, 0x63, 0x00, 109, 0x80, 0x00, 0x00}));
    EXPECT_EQ(m[1].size(), 1u + 10002u);
    EXPECT_EQ(m[1][0], 0x56);
    EXPECT_EQ(peer.messages().back(), Bytes{0x53});  // the status read that confirmed it
}

TEST_F(EngineOverLink, EmulationWithoutADeviceFinishesEveryCommand) {
    start("[Hardware]\nEnable=1\nModel=4\n[Debug]\nEmulate=1\n[Ethernet]\nHosts=127.0.0.1:" +
          std::to_string(zxtest::RefusingPort()) + "\n");
    ASSERT_TRUE(engine.isOpen());
    engine.Init(&notes);
    ASSERT_TRUE(notes.waitFor(NOTE_LINK_UP));
    ASSERT_TRUE(engine.LoadRect({0, 0, 720, 576}, DataRef::Share(block(829442)), 0));
    ASSERT_TRUE(notes.waitFor(NOTE_FINISHED));
    engine.InEffect(0x0001, 0x01000A02);
    ASSERT_TRUE(notes.waitFor(NOTE_FINISHED, 2));
    EXPECT_EQ(notes.count(NOTE_COMMAND_ERROR) + notes.count(NOTE_LINK_ERROR), 0);
}

TEST_F(EngineOverLink, ALinkThatCannotOpenLeavesOnlyTheEditors) {
    app::HeadlessMessageBoxes boxes;
    app::SetMessageBoxes(&boxes);
    start("[Hardware]\nEnable=1\nModel=0\nLptDriver=none\n");
    app::SetMessageBoxes(nullptr);
    EXPECT_EQ(app.lastLinkError(), LINK_NO_DRIVER);
    EXPECT_EQ(app.modeMask(), app::MASK_EDITORS);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_FALSE(engine.isOpen());
    engine.Init(&notes);  // nothing to run on
    EXPECT_FALSE(engine.running());
}
