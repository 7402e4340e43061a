// zx-player's command handler in-process: what it answers to each command and to damaged or
// refused ones, cueing, pausing and looping, and the control interface's faults.
#include <gtest/gtest.h>

#include <thread>

#include "support/temp_dir.h"
#include "video/mpeg_writer.h"
#include "video/video_cmd.h"
#include "zx-player/player.h"
#include "zx-player/server.h"

using namespace zxplayer;

namespace {

std::vector<uint8_t> Block(const std::string& path) {
    std::vector<uint8_t> b;
    EXPECT_TRUE(video::EncodePlayerPath(path, b));
    return b;
}

bool WaitFor(Player& p, const std::string& what, int ms = 10000) {
    for (int waited = 0; waited < ms; waited += 10) {
        if (p.StatusJson().find(what) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace

TEST(Player, AnswersEachCommandAndRefusesWhatItCannotPlay) {
    zxtest::TempDir dir;
    video::MpegClipOptions o;
    o.frames = 25;
    o.audio = false;
    const std::string clip = dir.file("a.mpg");
    ASSERT_TRUE(video::WriteMpegClip(clip, o, {}));
    ASSERT_TRUE(zxtest::WriteText(dir.file("text.mpg"), "not a clip"));
    PlayerOptions po;
    po.title = "MPEG2_Video_Window_7";
    po.timeScale = 20;
    po.framesDir = dir.file("frames");
    Player p(po, nullptr);

    EXPECT_EQ(p.OnCommand(video::PLAYER_ATTACH, 0, Block("")), 1);
    EXPECT_EQ(p.OnCommand(101, 0, Block("")), 0);  // holds nothing
    EXPECT_EQ(p.OnCommand(4, 0, Block("")), 0);    // nothing to pause
    EXPECT_EQ(p.OnCommand(1, 0, Block(dir.file("none.mpg"))), 0);
    EXPECT_EQ(p.OnCommand(1, 0, Block(dir.file("text.mpg"))), 0);
    EXPECT_EQ(p.OnCommand(1, 0, std::vector<uint8_t>(10, 'x')), 0);  // not a path block
    EXPECT_EQ(p.OnCommand(7, 0, Block("70")), 1);
    EXPECT_EQ(p.OnCommand(7, 0, Block("loud")), 0);
    EXPECT_EQ(p.OnCommand(99, 0, Block("")), 0);

    // Cued: held at its first picture until 4; then paused and continued; it ends by itself.
    ASSERT_EQ(p.OnCommand(5, 0, Block(clip)), 1);
    EXPECT_EQ(p.OnCommand(101, 0, Block("")), 1);
    EXPECT_TRUE(WaitFor(p, "\"state\":\"cued\""));
    EXPECT_EQ(p.Picture().width(), 720);
    ASSERT_EQ(p.OnCommand(4, 0, Block("")), 1);
    ASSERT_EQ(p.OnCommand(4, 0, Block("")), 1);
    EXPECT_TRUE(WaitFor(p, "\"state\":\"paused\""));
    ASSERT_EQ(p.OnCommand(4, 0, Block("")), 1);
    EXPECT_TRUE(WaitFor(p, "\"state\":\"idle\""));
    EXPECT_TRUE(WaitFor(p, "\"position_ms\":960")) << p.StatusJson();  // to its last picture
    EXPECT_EQ(p.OnCommand(101, 0, Block("")), 0);
    const std::string log = p.LogJson();
    EXPECT_NE(log.find("report 0 " + clip), std::string::npos) << log;
    EXPECT_NE(log.find("report 1 " + clip), std::string::npos) << log;
    EXPECT_NE(log.find("volume 70"), std::string::npos);
    EXPECT_TRUE(zxtest::WriteText(dir.file("frames/.keep"), ""));

    // Looped: it goes round until stopped.
    ASSERT_EQ(p.OnCommand(2, 0, Block(clip)), 1);
    EXPECT_TRUE(WaitFor(p, "\"clips_started\":2"));
    EXPECT_TRUE(WaitFor(p, "\"frames\":60"));
    EXPECT_NE(p.StatusJson().find("\"state\":\"playing\""), std::string::npos);
    ASSERT_EQ(p.OnCommand(3, 0, Block("")), 1);
    EXPECT_TRUE(WaitFor(p, "\"state\":\"idle\""));

    // Refusing, every command answers 0.
    p.SetRefuse(true);
    EXPECT_EQ(p.OnCommand(video::PLAYER_ATTACH, 0, Block("")), 0);
    p.SetRefuse(false);
    std::string error;
    EXPECT_TRUE(p.Snapshot(dir.file("shot.png"), error)) << error;
}

TEST(Player, TheControlInterfaceSaysWhatItCannotDo) {
    PlayerOptions po;
    po.title = "MPEG2_Video_Window_8";
    Player p(po, nullptr);
    EXPECT_EQ(HandleControl(p, "refuse maybe").reply, "ERR refuse takes on or off");
    EXPECT_EQ(HandleControl(p, "hang on").reply, "OK");
    EXPECT_NE(p.StatusJson().find("\"hung\":1"), std::string::npos);
    EXPECT_EQ(HandleControl(p, "hang off").reply, "OK");
    EXPECT_EQ(HandleControl(p, "snapshot").reply, "ERR snapshot takes a PNG path");
    EXPECT_EQ(HandleControl(p, "snapshot /no/such/folder/x.png").reply.rfind("ERR", 0), 0u);
    EXPECT_TRUE(HandleControl(p, "vanish").vanish);
    EXPECT_TRUE(HandleControl(p, " QUIT ").quit);
    EXPECT_EQ(HandleControl(p, "play").reply.rfind("ERR unknown command", 0), 0u);
}
