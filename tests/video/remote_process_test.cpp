// CRemoteCmd against the zx-remote program, started by Launch as Live mode starts it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "app/message_boxes.h"
#include "app/strings.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "video/remote_cmd.h"
#include "zx-remote/control.h"

using namespace video;

namespace {

const std::string kBuiltProgramFolder = ZX_BINARY_DIR "/tools/zx-remote/";

class RemoteProcess : public ::testing::Test {
protected:
    zxtest::TempDir home;
    std::string data = home.file("data/");
    app::HeadlessMessageBoxes boxes;
    std::unique_ptr<CRemoteCmd> remote;
    std::string oldRuntime;

    void SetUp() override {
        // The windows and the control socket of this test only, for us and for the program.
        const std::string run = home.file("run");
        ASSERT_EQ(::mkdir(run.c_str(), 0700), 0);
        if (const char* r = std::getenv("XDG_RUNTIME_DIR")) oldRuntime = r;
        ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
        ASSERT_TRUE(platform::MakeDirectories(data));
        app::SetMessageBoxes(&boxes);
        CRemoteCmd::Options o;
        o.channel.timeoutMs = 1500;
        o.programFolder = kBuiltProgramFolder;
        remote = std::make_unique<CRemoteCmd>(o);
    }
    void TearDown() override {
        std::string reply, error;
        zxremote::ControlRequest(zxremote::DefaultControlPath(), "quit", reply, error, 1000);
        if (!remote->process().Wait(5000)) remote->process().Terminate();
        app::SetMessageBoxes(nullptr);
        if (oldRuntime.empty()) ::unsetenv("XDG_RUNTIME_DIR");
        else ::setenv("XDG_RUNTIME_DIR", oldRuntime.c_str(), 1);
    }
    std::string ctl(const std::string& line) {
        std::string reply, error;
        if (!zxremote::ControlRequest(zxremote::DefaultControlPath(), line, reply, error)) return "ERR " + error;
        return reply;
    }
    // Sources and lamps, without the counts that change with every message.
    std::string switcher() {
        const std::string s = ctl("state");
        return s.substr(0, s.find(",\"macro_steps\""));
    }
    void launch() {
        ASSERT_TRUE(remote->Launch(data));
        ASSERT_TRUE(remote->WaitForWindow(20000));
        // The window comes up just before the control interface does (which must not take the
        // socket of another zx-remote still running): wait for that too.
        for (int i = 0; i < 200 && ctl("state").rfind("ERR", 0) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_EQ(ctl("state").rfind("ERR", 0), std::string::npos);
    }
};

}  // namespace

TEST_F(RemoteProcess, ASeizeAPlaylistAndARestoreLeaveTheSwitcherAsItWas) {
    launch();
    // The operator's switcher: colour bars on preview, EFFECT3, the logo on.
    for (const char* press : {"PREVIEW", "BARS", "EFFECT3", "LOGO1"})
        ASSERT_EQ(ctl(std::string("press ") + press), "OK");
    const std::string before = switcher();
    ASSERT_NE(before.find("\"preview\":\"BARS\""), std::string::npos) << before;

    ASSERT_EQ(remote->Seize(true), SEIZE_OK);
    EXPECT_EQ(remote->activeInput(), RemoteInputIndex("IN1"));
    EXPECT_EQ(remote->activeEffect(), RemoteEffectIndex("EFFECT3"));
    const std::string seized = switcher();
    EXPECT_NE(seized.find("\"fast\":true"), std::string::npos) << seized;
    EXPECT_NE(seized.find("\"LOGO1\":false"), std::string::npos) << seized;
    // The playlist's buttons, in FAST mode straight to air.
    for (const char* b : {"IN5", "EFFECT2", "IN7"}) EXPECT_EQ(remote->SendCmd(REMOTE_PUSH, b), 1);
    EXPECT_EQ(remote->SendCmd(REMOTE_ON, "FREEZE"), 1);
    EXPECT_EQ(remote->SendCmd(REMOTE_QUERY, "AIR_IN7"), 1);
    remote->Restore(true, RESTORE_SEIZED_INPUT);
    EXPECT_EQ(switcher(), before);
    EXPECT_EQ(boxes.count(), 0);
    // Every message is in the program's log.
    EXPECT_NE(ctl("log").find("\"name\":\"AIR_IN7\",\"reply\":2"), std::string::npos);
}

TEST_F(RemoteProcess, RefusalHangAndVanish) {
    launch();
    // Remote off: every command refused, 18005 once.
    ASSERT_EQ(ctl("remote off"), "OK");
    EXPECT_EQ(remote->SendCmd(REMOTE_PUSH, "IN3"), 0);
    EXPECT_EQ(remote->SendCmd(REMOTE_PUSH, "IN4"), 0);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.lastText(), app::LoadString(IDS_REMOTE_NO_CONNECTION));
    ASSERT_EQ(ctl("remote on"), "OK");
    EXPECT_EQ(remote->SendCmd(REMOTE_PUSH, "IN3"), 1);

    // Hung: 0 when the wait runs out, then refused at once until it answers again.
    ASSERT_EQ(ctl("hang on"), "OK");
    EXPECT_EQ(remote->SendCmd(REMOTE_PUSH, "IN4"), 0);
    EXPECT_EQ(remote->channel().lastError(), platform::CopyDataChannel::TIMED_OUT);
    EXPECT_EQ(remote->SendCmd(REMOTE_PUSH, "IN5"), 0);
    EXPECT_EQ(remote->channel().lastError(), platform::CopyDataChannel::HUNG);
    EXPECT_EQ(boxes.count(), 2);
    ASSERT_EQ(ctl("hang off"), "OK");
    int reply = 0;
    for (int i = 0; i < 50 && reply == 0; ++i) reply = remote->SendCmd(REMOTE_QUERY, "AIR_IN4");
    EXPECT_EQ(reply, 1);  // the push that timed out was carried out late

    // Gone without a word: 18006, and a fresh Launch finds the new one.
    const uintptr_t first = remote->remoteWindow();
    ASSERT_EQ(ctl("vanish"), "OK");
    ASSERT_TRUE(remote->process().Wait(10000));
    EXPECT_EQ(remote->SendCmd(REMOTE_PUSH, "IN3"), 0);
    EXPECT_EQ(boxes.count(), 3);
    EXPECT_EQ(boxes.lastText(), app::LoadString(IDS_REMOTE_NOT_RUNNING));
    launch();
    EXPECT_NE(remote->remoteWindow(), first);
    EXPECT_EQ(remote->SendCmd(REMOTE_PUSH, "IN3"), 1);
    EXPECT_EQ(boxes.count(), 3);
}

TEST_F(RemoteProcess, AMacroFromTheRemoteFolderRuns) {
    // The program in the RemotePath folder, which is also its working folder.
    const std::string remoteFolder = home.file("remote/");
    ASSERT_TRUE(platform::MakeDirectories(remoteFolder));
    ASSERT_EQ(::symlink((kBuiltProgramFolder + kRemoteProgram).c_str(), (remoteFolder + kRemoteProgram).c_str()), 0);
    ASSERT_TRUE(zxtest::WriteText(remoteFolder + "Logo on.txt", "ON LOGO1\n"));
    ASSERT_TRUE(zxtest::WriteText(data + "Sequences/Bars on preview.txt",
                                  "# colour bars on the preview bus\nPUSH PREVIEW\nPUSH BARS\n"));
    ASSERT_TRUE(remote->Launch(remoteFolder));
    ASSERT_TRUE(remote->WaitForWindow(20000));
    EXPECT_EQ(remote->RunScript(data + "Sequences/Bars on preview.txt"), 2);
    EXPECT_EQ(remote->RunScript("Logo on.txt"), 1);  // relative to its working folder
    std::string state;
    for (int i = 0; i < 200; ++i) {
        state = switcher();
        if (state.find("\"preview\":\"BARS\"") != std::string::npos &&
            state.find("\"LOGO1\":true") != std::string::npos)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(state.find("\"preview\":\"BARS\""), std::string::npos) << state;
    EXPECT_NE(state.find("\"LOGO1\":true"), std::string::npos) << state;
    EXPECT_EQ(remote->RunScript(data + "missing.txt"), 0);
    EXPECT_EQ(boxes.lastText(), app::LoadString(IDS_REMOTE_BAD_SCRIPT));
}
