#include "video/remote_cmd.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/message_boxes.h"
#include "app/strings.h"
#include "platform/files.h"
#include "scripted_remote.h"
#include "support/temp_dir.h"

using namespace video;
using remotetest::LogCapture;
using remotetest::ScriptedRemote;
using Commands = std::vector<std::string>;

namespace {

class RemoteCmd : public ::testing::Test {
protected:
    zxtest::TempDir home;
    std::string dir = home.file("run/");
    platform::ManualClock clock;
    app::HeadlessMessageBoxes boxes;
    uint32_t slept = 0;
    std::unique_ptr<CRemoteCmd> remote;

    void SetUp() override {
        ASSERT_TRUE(platform::MakeDirectories(dir));
        app::SetMessageBoxes(&boxes);
        remote = std::make_unique<CRemoteCmd>(options());
    }
    void TearDown() override { app::SetMessageBoxes(nullptr); }
    CRemoteCmd::Options options() {
        CRemoteCmd::Options o;
        o.clock = &clock;
        o.sleep = [this](uint32_t ms) {
            slept += ms;
            clock.advance(ms);
        };
        o.channel.dir = dir;
        o.channel.timeoutMs = 300;
        o.channel.probeMs = 50;
        o.programFolder = home.file("bin/");
        return o;
    }
    // The queries of Seize's input scan up to and including the input at index last.
    static Commands InputScan(int last) {
        Commands c;
        for (int i = 0; i <= last; ++i) c.push_back(std::string("QUERY AIR_") + kRemoteInputs[i]);
        return c;
    }
    static Commands Join(std::initializer_list<Commands> parts) {
        Commands all;
        for (const Commands& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    }
};

const Commands kAllInputs = [] {
    Commands c;
    for (int i = 0; i < kRemoteInputCount; ++i) c.push_back(std::string("QUERY AIR_") + kRemoteInputs[i]);
    return c;
}();
const Commands kAllEffects = [] {
    Commands c;
    for (const char* e : kRemoteEffects) c.push_back(std::string("QUERY ") + e);
    return c;
}();

}  // namespace

TEST(RemoteButtons, TablesAndMessageBlock) {
    EXPECT_STREQ(kRemoteInputs[0], "BLACK");
    EXPECT_STREQ(kRemoteInputs[17], "IN16");
    EXPECT_STREQ(kRemoteInputs[21], "PIC4");
    EXPECT_STREQ(kRemoteInputs[kRemoteInputCount], "");
    // Live mode's "Resore input" lists the sources in the order Restore counts them.
    const std::vector<std::string> sources = CRemoteCmd().SourceNames();
    ASSERT_EQ(sources.size(), size_t(kRemoteInputCount));
    EXPECT_EQ(sources[2], "IN1");
    EXPECT_STREQ(kRemoteEffects[8], "EFFECT8");
    EXPECT_STREQ(kRemotePlaylistButtons[0], "AIR");
    EXPECT_STREQ(kRemotePlaylistButtons[13], "FADE");
    EXPECT_STREQ(kRemotePlaylistButtons[43], "TRANSP");
    EXPECT_EQ(RemoteInputIndex("IN2"), 3);
    EXPECT_EQ(RemoteInputIndex("AIR_IN2"), -1);
    EXPECT_EQ(RemoteEffectIndex("EFFECT3"), 3);
    EXPECT_EQ(AirButton("BARS"), "AIR_BARS");
    EXPECT_EQ(RemoteActionName(REMOTE_PUSH), "Push");
    EXPECT_EQ(RemoteActionName(REMOTE_OFF), "Off");
    EXPECT_EQ(RemoteActionName(REMOTE_QUERY), "");

    std::vector<uint8_t> block;
    ASSERT_TRUE(EncodeRemotePayload(REMOTE_QUERY, "AIR_IN1", block));
    ASSERT_EQ(block.size(), kRemotePayloadBytes);
    EXPECT_EQ(block[0], 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&block[4])), "AIR_IN1");
    int32_t action = -1;
    std::string name;
    ASSERT_TRUE(DecodeRemotePayload(block, action, name));
    EXPECT_EQ(action, REMOTE_QUERY);
    EXPECT_EQ(name, "AIR_IN1");
    // 259 bytes fit with their NUL; 260 would be cut short on the other side, so they are refused.
    EXPECT_TRUE(EncodeRemotePayload(0, std::string(259, 'a'), block));
    EXPECT_FALSE(EncodeRemotePayload(0, std::string(260, 'a'), block));
    EXPECT_FALSE(EncodeRemotePayload(0, std::string("A\0B", 3), block));
    // A block without its NUL, or of another size, is not read.
    std::vector<uint8_t> full(kRemotePayloadBytes, 'x');
    EXPECT_FALSE(DecodeRemotePayload(full, action, name));
    full.pop_back();
    EXPECT_FALSE(DecodeRemotePayload(full, action, name));
}

TEST_F(RemoteCmd, NotRunningShows18006OnceThenOnlyLogsUntilASuccess) {
    LogCapture log;
    EXPECT_EQ(remote->SendCmd(REMOTE_PUSH, "IN1"), 0);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.lastText(), app::LoadString(IDS_REMOTE_NOT_RUNNING));
    EXPECT_EQ(boxes.lastStyle(), app::MB_OK | app::MB_ICONERROR);
    EXPECT_EQ(remote->SendCmd(REMOTE_QUERY, "FAST"), 0);
    EXPECT_EQ(remote->RunScript("/x/Logo on.txt"), 0);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(log.count("CRemoteCmd::SendCmd() failed: Remote window not found!"), 2);
    EXPECT_EQ(log.count("CRemoteCmd::RunScript() failed: Remote window not found!"), 1);

    // It comes up: the first success clears the latch, so the next failure is shown again.
    {
        ScriptedRemote sw(dir);
        ASSERT_TRUE(sw.opened());
        EXPECT_EQ(remote->SendCmd(REMOTE_PUSH, "IN1"), 1);
        EXPECT_FALSE(remote->errorLatched());
        EXPECT_EQ(remote->remoteWindow(), sw.handle());
    }
    EXPECT_EQ(remote->SendCmd(REMOTE_PUSH, "IN1"), 0);
    EXPECT_EQ(boxes.count(), 2);
    // The air controller re-arms it between playouts.
    remote->RearmError();
    EXPECT_EQ(remote->SendCmd(REMOTE_PUSH, "IN1"), 0);
    EXPECT_EQ(boxes.count(), 3);
}

TEST_F(RemoteCmd, QueriesRefusalsAndScripts) {
    LogCapture log;
    ScriptedRemote sw(dir);
    ASSERT_TRUE(sw.opened());
    sw.light("AIR_IN3");
    remote->setSenderWindow(0x1234);
    EXPECT_EQ(remote->SendCmd(REMOTE_QUERY, "AIR_IN3"), 1);
    EXPECT_EQ(remote->SendCmd(REMOTE_QUERY, "AIR_IN4"), 0);
    EXPECT_EQ(remote->SendCmd(REMOTE_ON, "LOGO2"), 1);
    EXPECT_EQ(remote->RunScript("/data/Sequences/Logo on.txt"), 3);
    EXPECT_EQ(sw.commands(),
              (Commands{"QUERY AIR_IN3", "QUERY AIR_IN4", "ON LOGO2", "SCRIPT /data/Sequences/Logo on.txt"}));
    EXPECT_EQ(sw.senders(), (std::vector<uintptr_t>(4, 0x1234)));
    EXPECT_EQ(boxes.count(), 0);

    // The remote program refuses (its <Remote> button is off): 18005 once.
    sw.setRefuse(true);
    EXPECT_EQ(remote->SendCmd(REMOTE_PUSH, "IN1"), 0);
    EXPECT_EQ(remote->SendCmd(REMOTE_QUERY, "AIR_IN3"), 0);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.lastText(), app::LoadString(IDS_REMOTE_NO_CONNECTION));
    EXPECT_EQ(log.count("CRemoteCmd::SendCmd() [IN1] returns error"), 1);
    EXPECT_EQ(log.count("CRemoteCmd::SendCmd() [AIR_IN3] returns error"), 1);
    // A script that is refused shows 18008 once a success has re-armed the latch.
    sw.setRefuse(false);
    EXPECT_EQ(remote->SendCmd(REMOTE_PUSH, "IN1"), 1);
    sw.setScriptReply(0);
    EXPECT_EQ(remote->RunScript("/data/missing.txt"), 0);
    EXPECT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.lastText(), app::LoadString(IDS_REMOTE_BAD_SCRIPT));
}

TEST_F(RemoteCmd, NamesAndPathsTooLongForTheBlockAreRefusedNotCut) {
    ScriptedRemote sw(dir);
    ASSERT_TRUE(sw.opened());
    EXPECT_EQ(remote->SendCmd(REMOTE_PUSH, std::string(260, 'B')), 0);
    EXPECT_EQ(remote->RunScript("/" + std::string(259, 'p') + ".txt"), 0);
    EXPECT_TRUE(sw.commands().empty());
    EXPECT_EQ(boxes.lastText(), app::LoadString(IDS_REMOTE_BAD_SCRIPT));
    const std::string longest = "/" + std::string(254, 'p') + ".txt";
    ASSERT_EQ(longest.size(), kRemoteMaxName);
    EXPECT_EQ(remote->RunScript(longest), 3);
}

TEST_F(RemoteCmd, AHungRemoteCostsOneTimeOutThenFailsAtOnce) {
    LogCapture log;
    ScriptedRemote sw(dir);
    ASSERT_TRUE(sw.opened());
    sw.light("AIR_IN1");
    ASSERT_EQ(remote->Seize(false), SEIZE_OK);
    sw.takeCommands();
    sw.hang();
    remote->Restore(true, RESTORE_SEIZED_INPUT);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.lastText(), app::LoadString(IDS_REMOTE_NO_CONNECTION));
    // One push waited out the time-out; the other four were refused after the quick probe.
    EXPECT_EQ(log.count("CRemoteCmd::SendCmd() [FREEZE] no answer within 300 ms"), 1);
    EXPECT_EQ(log.count("CRemoteCmd::SendCmd() [FAST] not sent: the remote program does not answer"), 1);
    EXPECT_EQ(log.count("CRemoteCmd::SendCmd() [IN1] not sent: the remote program does not answer"), 2);
    sw.release();
}

TEST_F(RemoteCmd, SeizeAndRestoreInTheirExactOrder) {
    LogCapture log;
    ScriptedRemote sw(dir);
    ASSERT_TRUE(sw.opened());
    sw.light("AIR_IN2");
    sw.light("EFFECT3");
    sw.light("LOGO1");
    sw.light("CUT");
    sw.setFastAfter(2);
    const uint32_t start = clock.ticks();
    ASSERT_EQ(remote->Seize(true), SEIZE_OK);
    const Commands seize = Join({{"PUSH BREAK", "OFF TRANSP"},
                                 InputScan(3),
                                 {"QUERY MIX", "QUERY EFFECT1", "QUERY EFFECT2", "QUERY EFFECT3"},
                                 {"QUERY LOGO1", "PUSH LOGO1", "QUERY FAST", "QUERY CUT", "PUSH FAST"},
                                 {"QUERY FAST", "QUERY FAST"}});
    EXPECT_EQ(sw.takeCommands(), seize);
    EXPECT_EQ(clock.ticks() - start, 200u + 2 * 100u);  // the BREAK wait and two polls
    EXPECT_EQ(log.count("CRemoteCmd::Seize() active input: [AIR_IN2]"), 1);
    EXPECT_EQ(remote->activeInput(), 3);
    EXPECT_EQ(remote->activeEffect(), 3);
    EXPECT_TRUE(remote->logoWasOn());
    EXPECT_FALSE(remote->fastWasOn());
    EXPECT_TRUE(remote->cutWasOn());

    // Stop or the end of the playout: cut first, back to the input of the seize.
    remote->Restore(true, RESTORE_SEIZED_INPUT);
    EXPECT_EQ(sw.takeCommands(),
              (Commands{"OFF FREEZE", "PUSH CUT", "PUSH IN2", "PUSH EFFECT3", "PUSH LOGO1", "PUSH FAST", "PUSH IN2"}));

    // After the last button: no cut, the playlist's restore input (index 5 = IN4).
    ASSERT_EQ(remote->Seize(true), SEIZE_OK);
    sw.takeCommands();
    remote->Restore(false, 5);
    EXPECT_EQ(sw.takeCommands(),
              (Commands{"OFF FREEZE", "PUSH IN4", "PUSH EFFECT3", "PUSH LOGO1", "PUSH FAST", "PUSH IN4"}));
    EXPECT_EQ(remote->activeInput(), 5);

    // Any input: whatever the switcher has on preview goes on air; no input is pushed after.
    sw.light("LOGO1", false);
    sw.light("IN7");
    ASSERT_EQ(remote->Seize(false), SEIZE_OK);
    sw.takeCommands();
    remote->Restore(true, RESTORE_ANY_INPUT);
    Commands preview = {"OFF FREEZE", "PUSH CUT"};
    for (int i = 0; i <= 8; ++i) preview.push_back(std::string("QUERY ") + kRemoteInputs[i]);
    preview.insert(preview.end(), {"PUSH IN7", "PUSH EFFECT3", "PUSH FAST"});
    EXPECT_EQ(sw.takeCommands(), preview);
}

TEST_F(RemoteCmd, EdgeCasesOfSeize) {
    LogCapture log;
    ScriptedRemote sw(dir);
    ASSERT_TRUE(sw.opened());
    // No lit input: the seize still succeeds, and Restore pushes no input button.
    ASSERT_EQ(remote->Seize(false), SEIZE_OK);
    EXPECT_EQ(remote->activeInput(), -1);
    EXPECT_EQ(remote->activeEffect(), -1);
    EXPECT_EQ(log.count("CRemoteCmd::Seize() failed: no active input!"), 1);
    EXPECT_EQ(sw.takeCommands(), Join({{"PUSH BREAK", "OFF TRANSP"},
                                       kAllInputs,
                                       kAllEffects,
                                       {"QUERY FAST", "QUERY CUT", "PUSH FAST", "QUERY FAST"}}));
    remote->Restore(true, RESTORE_SEIZED_INPUT);
    EXPECT_EQ(sw.takeCommands(), (Commands{"OFF FREEZE", "PUSH FAST"}));

    // FAST already lit: not pushed; Restore ends with CUT when CUT was lit, else AUTO.
    sw.light("AIR_BARS");
    sw.light("FAST");
    ASSERT_EQ(remote->Seize(false), SEIZE_OK);
    EXPECT_EQ(sw.takeCommands(),
              Join({{"PUSH BREAK", "OFF TRANSP"}, InputScan(1), kAllEffects, {"QUERY FAST", "QUERY CUT"}}));
    remote->Restore(true, RESTORE_SEIZED_INPUT);
    EXPECT_EQ(sw.takeCommands(), (Commands{"OFF FREEZE", "PUSH CUT", "PUSH BARS", "PUSH AUTO", "PUSH BARS"}));
    sw.light("CUT");
    ASSERT_EQ(remote->Seize(false), SEIZE_OK);
    sw.takeCommands();
    remote->Restore(true, RESTORE_SEIZED_INPUT);
    EXPECT_EQ(sw.takeCommands(), (Commands{"OFF FREEZE", "PUSH CUT", "PUSH BARS", "PUSH CUT", "PUSH BARS"}));

    // BREAK refused: result 1, shown as 18005.
    sw.setRefuse(true);
    EXPECT_EQ(remote->Seize(false), SEIZE_NO_BREAK);
    EXPECT_EQ(boxes.lastText(), app::LoadString(IDS_REMOTE_NO_CONNECTION));
    EXPECT_EQ(int(IDS_REMOTE_SEIZE_BASE) + SEIZE_NO_BREAK, IDS_REMOTE_NO_CONNECTION);
}

TEST_F(RemoteCmd, FastNeverLitGives5AndPutsTheLogoBack) {
    // The tick count wraps during the wait; the limit still holds.
    clock.advance(0xFFFFFFFFu - clock.ticks() - 250);
    ScriptedRemote sw(dir);
    ASSERT_TRUE(sw.opened());
    sw.light("AIR_IN1");
    sw.light("LOGO1");
    sw.setFastAfter(-1);
    const uint32_t start = clock.ticks();
    EXPECT_EQ(remote->Seize(true), SEIZE_NO_FAST);
    EXPECT_EQ(int(IDS_REMOTE_SEIZE_BASE) + SEIZE_NO_FAST, IDS_REMOTE_NO_FAST);
    EXPECT_EQ(platform::TicksSince(start, clock.ticks()), 200u + 2000u);
    const Commands c = sw.takeCommands();
    EXPECT_EQ(std::count(c.begin(), c.end(), "QUERY FAST"), 1 + 20);
    // The logo the seize switched off is on again: no playout follows to bring it back.
    ASSERT_GE(c.size(), 2u);
    EXPECT_EQ(c[c.size() - 2], "QUERY FAST");
    EXPECT_EQ(c.back(), "PUSH LOGO1");
    EXPECT_TRUE(sw.isLit("LOGO1"));
    EXPECT_FALSE(remote->logoWasOn());
    // Nothing was seized, so nothing is handed back.
    remote->Restore(true, RESTORE_SEIZED_INPUT);
    EXPECT_TRUE(sw.takeCommands().empty());
}

TEST_F(RemoteCmd, RestoreActsOncePerSeize) {
    // A Stop after the playlist's last button: the playlist hands the switcher back, then the end
    // of the playout would again. Twice would switch the logo off and FAST back on.
    LogCapture log;
    ScriptedRemote sw(dir);
    ASSERT_TRUE(sw.opened());
    sw.light("AIR_IN1");
    sw.light("LOGO1");
    ASSERT_EQ(remote->Seize(true), SEIZE_OK);
    EXPECT_FALSE(sw.isLit("LOGO1"));
    EXPECT_TRUE(sw.isLit("FAST"));
    sw.takeCommands();
    remote->Restore(false, 2);
    EXPECT_TRUE(sw.isLit("LOGO1"));
    EXPECT_FALSE(sw.isLit("FAST"));
    sw.takeCommands();
    remote->Restore(true, 2);
    EXPECT_TRUE(sw.takeCommands().empty());
    EXPECT_TRUE(sw.isLit("LOGO1"));
    EXPECT_FALSE(sw.isLit("FAST"));
    EXPECT_EQ(log.count("CRemoteCmd::Restore() nothing to restore"), 1);
    // The next playout seizes again and may restore again.
    ASSERT_EQ(remote->Seize(true), SEIZE_OK);
    EXPECT_TRUE(remote->restorePending());
}

TEST_F(RemoteCmd, LaunchStartsTheProgramMinimizedInItsFolderOrShows18002Once) {
    // Nowhere to be found.
    EXPECT_FALSE(remote->Launch(home.file("remote")));
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.lastText(), app::LoadString(IDS_REMOTE_NOT_FOUND));
    EXPECT_TRUE(remote->errorLatched());
    EXPECT_EQ(remote->SendCmd(REMOTE_PUSH, "IN1"), 0);  // the failure after it is not shown again
    EXPECT_EQ(boxes.count(), 1);

    // A stand-in that writes down how it was started (renamed into place: the test reads it as
    // soon as it appears).
    auto fake = [&](const std::string& folder) {
        const std::string path = folder + kRemoteProgram;
        ASSERT_TRUE(zxtest::WriteText(
            path,
            "#!/bin/sh\necho \"$0 $*\" > \"$PWD/started.tmp\" && mv \"$PWD/started.tmp\" \"$PWD/started.txt\"\n"));
        ::chmod(path.c_str(), 0755);
    };
    auto started = [&](const std::string& folder) {
        for (int i = 0; i < 500 && !platform::FileExists(folder + "started.txt"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return zxtest::ReadText(folder + "started.txt");
    };
    const std::string remoteDir = home.file("remote/"), dataRoot = home.file("data/");
    ASSERT_TRUE(platform::MakeDirectories(remoteDir));
    ASSERT_TRUE(platform::MakeDirectories(dataRoot));
    fake(remoteDir);
    EXPECT_TRUE(remote->Launch(home.file("remote")));
    EXPECT_EQ(started(remoteDir), remoteDir + "zx-remote --minimized\n");
    ASSERT_TRUE(remote->process().Wait(5000));
    // The folder does not hold it: the one beside the program, still in the folder given.
    fake(home.file("bin/"));
    EXPECT_TRUE(remote->Launch(dataRoot));
    EXPECT_EQ(started(dataRoot), home.file("bin/") + "zx-remote --minimized\n");
    ASSERT_TRUE(remote->process().Wait(5000));
    EXPECT_EQ(boxes.count(), 1);

    // Already running: nothing is started.
    ScriptedRemote sw(dir);
    ASSERT_TRUE(sw.opened());
    ::unlink((remoteDir + "started.txt").c_str());
    EXPECT_TRUE(remote->Launch(remoteDir));
    EXPECT_EQ(remote->process().pid(), -1);
    EXPECT_TRUE(remote->WaitForWindow(100));
}
