// The air frame's video playlist with the real CRemoteCmd, against a scripted switcher, in
// simulated time: the switcher is seized on Play, the buttons go out at their times, and it is
// handed back once, even when Stop comes after the last button.
#include <gtest/gtest.h>

#include "air/air_frame_fixture.h"
#include "scripted_remote.h"
#include "video/remote_cmd.h"

using namespace air;
using remotetest::ScriptedRemote;
using Commands = std::vector<std::string>;

namespace {

struct PlaylistWithRemote : airtest::AirFrameFixture {
    std::string settings() const override { return "[Hardware]\nMPEG=2\n"; }
    std::string run = dir.file("run/");
    std::unique_ptr<video::CRemoteCmd> cmd;

    void openWithRemote() {
        ASSERT_TRUE(platform::MakeDirectories(run));
        video::CRemoteCmd::Options o;
        o.clock = &clock;
        o.sleep = [this](uint32_t ms) { clock.advance(ms); };
        o.channel.dir = run;
        cmd = std::make_unique<video::CRemoteCmd>(o);
        AirObjects objs = objects();
        objs.remote = cmd.get();
        frame = std::make_unique<CAirFrame>(app, engine, loop, clock, objs);
        frame->setWindow(&window);
        frame->setView(&view);
        frame->OpenAir(false);
        linkUp();
    }
};

}  // namespace

TEST_F(PlaylistWithRemote, StopAfterTheLastButtonHandsTheSwitcherBackOnce) {
    ScriptedRemote sw(run);
    ASSERT_TRUE(sw.opened());
    sw.light("AIR_IN1");
    sw.light("CUT");
    playlist.tracks[0] = {{0, "a.mpg", false}};
    playlist.buttons = {{0, "IN5", video::REMOTE_PUSH}, {1000, "IN7", video::REMOTE_PUSH}};
    playlist.total = 10000;
    openWithRemote();
    frame->PlayVideo(true, {}, false);
    frame->OnPlay();
    ASSERT_NE(state(), AIR_CUED);  // seized and playing
    EXPECT_TRUE(sw.isLit("FAST"));
    Commands c = sw.takeCommands();
    ASSERT_FALSE(c.empty());
    EXPECT_EQ(c.front(), "PUSH BREAK");
    EXPECT_EQ(c.back(), "PUSH IN5");  // the first button at 0 ms

    // The last button, then the hand-back to the playlist's restore input (2 = IN1), no cut.
    advance(1000);
    EXPECT_EQ(sw.takeCommands(), (Commands{"PUSH IN7", "OFF FREEZE", "PUSH IN1", "PUSH FAST", "PUSH IN1"}));
    EXPECT_FALSE(sw.isLit("FAST"));
    // The operator stops before the playlist's end: the frame would hand back again.
    frame->OnStop();
    EXPECT_TRUE(sw.takeCommands().empty());
    EXPECT_FALSE(sw.isLit("FAST"));
    EXPECT_TRUE(logged("CRemoteCmd::Restore() nothing to restore"));
    advance(500);
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(PlaylistWithRemote, ASwitcherThatCannotBeSeizedKeepsThePlaylistCued) {
    ScriptedRemote sw(run);
    ASSERT_TRUE(sw.opened());
    sw.light("AIR_IN1");
    sw.light("LOGO1");
    sw.setFastAfter(-1);
    playlist.tracks[0] = {{0, "a.mpg", false}};
    playlist.buttons = {{0, "IN5", video::REMOTE_PUSH}};
    playlist.total = 5000;
    openWithRemote();
    frame->PlayVideo(true, {}, false);
    frame->OnPlay();
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_EQ(boxes.lastText(), app::LoadString(video::IDS_REMOTE_NO_FAST));
    EXPECT_FALSE(cmd->errorLatched());  // re-armed for the next try
    const Commands c = sw.takeCommands();
    EXPECT_EQ(std::count(c.begin(), c.end(), "PUSH IN5"), 0);
    EXPECT_TRUE(sw.isLit("LOGO1"));
}
