// The engine opened the way the program opens it (StartHardware with the settings): emulation
// without a Device, and a link that cannot open.
#include <gtest/gtest.h>

#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "log_capture.h"
#include "scripted_link.h"
#include "session_peer.h"

using namespace device;
using zxtest::NoteRecorder;

namespace {

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
    std::shared_ptr<std::vector<uint8_t>> block(size_t n) {
        return std::make_shared<std::vector<uint8_t>>(n, uint8_t(7));
    }

    zxtest::TempDir dir;
    app::CZentrixApp app;
    CEngine engine{CEngine::Options{nullptr, kStopWaitMs, false}};
    NoteRecorder notes;
};

}  // namespace

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
