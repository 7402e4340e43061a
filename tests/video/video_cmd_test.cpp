// CVideoCmd against real zx-player processes: started as the air frame starts them, clips
// played in scaled time with the players' reports coming back as MSG_PLAYER, and the faults a
// player can have (it vanishes, it hangs) answered within bounds; CloseAll leaves none behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>

#include "air/air_frame.h"
#include "app/log/event_log.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "video/mpeg_writer.h"
#include "video/video_cmd.h"
#include "zx-player/server.h"

using namespace video;

namespace {

const std::string kPlayer = ZX_BINARY_DIR "/tools/zx-player/zx-player";

bool Alive(pid_t pid) { return pid > 0 && ::kill(pid, 0) == 0; }

class VideoCmdProcess : public ::testing::Test {
protected:
    zxtest::TempDir home;
    std::string run = home.file("run");
    std::string oldRuntime;
    platform::EventLoop loop;
    std::vector<std::pair<uintptr_t, int>> reports;
    std::unique_ptr<platform::LoopTarget> owner;
    std::unique_ptr<CVideoCmd> cmd;

    void SetUp() override {
        ASSERT_EQ(::mkdir(run.c_str(), 0700), 0);
        if (const char* r = std::getenv("XDG_RUNTIME_DIR")) oldRuntime = r;
        ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
        loop.processPending();
        owner = std::make_unique<platform::LoopTarget>(loop, [this](uint32_t msg, uintptr_t w, intptr_t l) {
            if (msg == air::MSG_PLAYER) {
                reports.push_back({w, int(l)});
                cmd->Notify(w, int(l));
            }
            return intptr_t(0);
        });
        CVideoCmd::Options o;
        o.program = kPlayer;
        o.args = {"--time-scale", "10"};
        o.channel.timeoutMs = 1000;
        o.closeGraceMs = 3000;
        o.playerLog = home.file("player.log");
        cmd = std::make_unique<CVideoCmd>(o);
        cmd->SetOwner(owner.get());
    }
    void TearDown() override {
        cmd.reset();
        if (oldRuntime.empty()) ::unsetenv("XDG_RUNTIME_DIR");
        else ::setenv("XDG_RUNTIME_DIR", oldRuntime.c_str(), 1);
    }
    std::string ctl(int board, const std::string& line) {
        std::string reply, error;
        if (!zxremote::ControlRequest(zxplayer::DefaultControlPath(PlayerTitle(board)), line, reply, error))
            return "ERR " + error;
        return reply;
    }
    std::string clip(const std::string& name, int frames) {
        MpegClipOptions o;
        o.frames = frames;
        o.audio = false;
        const std::string path = home.file(name);
        EXPECT_TRUE(WriteMpegClip(path, o, {}));
        return path;
    }
};

}  // namespace

TEST_F(VideoCmdProcess, PlayersStartAttachPlayAndReportFromTheirOwnThread) {
    const std::string a = clip("a.mpg", 25);  // 1 s, 0.1 s at ten times
    ASSERT_TRUE(cmd->CreateProcess(2));
    EXPECT_EQ(cmd->started(), 2);
    ASSERT_NE(cmd->window(0), 0u);
    ASSERT_NE(cmd->window(1), cmd->window(0));
    EXPECT_EQ(cmd->Send(0, air::VIDEO_QUERY, {}), 0);  // holds nothing yet
    EXPECT_EQ(cmd->Send(0, air::VIDEO_PLAY, home.file("none.mpg")), 0);
    EXPECT_EQ(cmd->Send(0, air::VIDEO_PLAY, std::string(300, 'x')), 0);  // refused before it is sent
    EXPECT_EQ(cmd->Send(2, air::VIDEO_STOP, {}), 0);
    EXPECT_EQ(cmd->Send(-1, air::VIDEO_STOP, {}), 0);
    EXPECT_EQ(cmd->Send(1, air::VIDEO_VOLUME, "70"), 1);

    ASSERT_EQ(cmd->Send(0, air::VIDEO_CUE, a), 1);
    EXPECT_EQ(cmd->Send(0, air::VIDEO_QUERY, {}), 1);
    EXPECT_NE(ctl(0, "status").find("\"state\":\"cued\""), std::string::npos);
    ASSERT_EQ(cmd->Send(0, air::VIDEO_PAUSE, {}), 1);  // starts the cued clip
    ASSERT_TRUE(loop.runUntil([&] { return reports.size() >= 2; }, 10000));
    EXPECT_EQ(reports[0], (std::pair<uintptr_t, int>{cmd->window(0), PLAYER_STARTED}));
    EXPECT_EQ(reports[1], (std::pair<uintptr_t, int>{cmd->window(0), PLAYER_STOPPED}));
    EXPECT_FALSE(cmd->Playing(0));
    const std::string status = ctl(0, "status");
    EXPECT_NE(status.find("\"frames\":25"), std::string::npos) << status;
    EXPECT_NE(ctl(1, "status").find("\"volume\":70"), std::string::npos);

    // A looped clip plays until stopped; the stop is reported.
    reports.clear();
    ASSERT_EQ(cmd->Send(1, air::VIDEO_PLAY_LOOPED, a), 1);
    ASSERT_TRUE(loop.runUntil([&] { return !reports.empty(); }, 10000));
    EXPECT_TRUE(cmd->Playing(1));
    loop.runUntil([] { return false; }, 300);  // three times round
    EXPECT_TRUE(cmd->Playing(1));
    cmd->StopAll();
    ASSERT_TRUE(loop.runUntil([&] { return reports.size() >= 2; }, 10000));
    EXPECT_EQ(reports.back(), (std::pair<uintptr_t, int>{cmd->window(1), PLAYER_STOPPED}));
    EXPECT_NE(ctl(1, "log").find("loop"), std::string::npos);
    EXPECT_EQ(cmd->Notify(12345, PLAYER_STARTED), -1);
}

TEST_F(VideoCmdProcess, AVanishedPlayerAnswersZeroAndAHungOneIsBounded) {
    ASSERT_TRUE(cmd->CreateProcess(2));
    const uintptr_t first = cmd->window(0);
    ASSERT_EQ(ctl(0, "vanish"), "OK");
    ASSERT_TRUE(cmd->process(0).Wait(5000));
    EXPECT_EQ(cmd->Send(0, air::VIDEO_STOP, {}), 0);
    EXPECT_EQ(cmd->window(0), 0u);  // forgotten
    EXPECT_EQ(cmd->Send(0, air::VIDEO_STOP, {}), 0);
    EXPECT_NE(first, 0u);

    ASSERT_EQ(ctl(1, "hang on"), "OK");
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(cmd->Send(1, air::VIDEO_QUERY, {}), 0);
    EXPECT_EQ(cmd->Send(1, air::VIDEO_QUERY, {}), 0);  // not waited for again
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
    ASSERT_EQ(ctl(1, "refuse on"), "OK");
    ASSERT_EQ(ctl(1, "hang off"), "OK");

    // CloseAll: the hung one was let go, the refusing one is asked to close; none is left.
    const pid_t pids[2] = {cmd->process(0).pid(), cmd->process(1).pid()};
    cmd->CloseAll();
    EXPECT_EQ(cmd->started(), 0);
    for (pid_t p : pids) EXPECT_FALSE(Alive(p)) << p;
}

TEST_F(VideoCmdProcess, AHungPlayerIsEndedByCloseAllAndAMissingProgramFailsTheStart) {
    ASSERT_TRUE(cmd->CreateProcess(1));
    ASSERT_EQ(ctl(0, "hang on"), "OK");
    const pid_t pid = cmd->process(0).pid();
    cmd->CloseAll();
    EXPECT_FALSE(Alive(pid));

    CVideoCmd::Options o;
    o.program = home.file("no-such-player");
    o.sleep = [](uint32_t) {};
    CVideoCmd missing(o);
    missing.SetOwner(owner.get());
    EXPECT_FALSE(missing.CreateProcess(2));
    EXPECT_EQ(missing.started(), 0);
    EXPECT_EQ(missing.Send(0, air::VIDEO_QUERY, {}), 0);
}
