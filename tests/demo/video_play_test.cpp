// A page list with the demo's video playlist, end to end in scaled time: the embedded virtual
// Device shows the pages while two real zx-player processes play the clips at their times and
// the real zx-remote takes the boards' inputs and is handed back.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <regex>

#include "demo/demo_video.h"
#include "demo/playout.h"
#include "playout_fixture.h"
#include "video/playlist.h"
#include "video/remote_cmd.h"
#include "video/video_cmd.h"
#include "video/video_playlist_player.h"
#include "zx-remote/control.h"

namespace {

// The commands a player's log shows ("100", "5 opener.mpg" ...).
std::vector<std::string> PlayerCommands(const std::string& logFile) {
    std::vector<std::string> out;
    const std::string text = zxtest::ReadText(logFile);
    const std::regex line(": command (\\d+)( \\S*/([^/\\n]+))?\\n");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), line); it != std::sregex_iterator(); ++it)
        out.push_back((*it)[1].str() + ((*it)[3].matched ? " " + (*it)[3].str() : ""));
    return out;
}

// The buttons zx-remote was given, in order, as "push IN8" / "on CLOCK" (queries left out).
std::vector<std::string> SwitcherCommands(const std::string& logJson) {
    static const char* const kActions[] = {"push", "on", "off"};
    std::vector<std::string> out;
    const std::regex entry("\"dwData\":1,\"action\":(\\d),\"name\":\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(logJson.begin(), logJson.end(), entry); it != std::sregex_iterator(); ++it) {
        const int action = std::stoi((*it)[1].str());
        if (action < 3) out.push_back(std::string(kActions[action]) + " " + (*it)[2].str());
    }
    return out;
}

// The commands from the first of `from` on.
std::vector<std::string> After(const std::vector<std::string>& all, const std::string& from) {
    auto at = std::find(all.begin(), all.end(), from);
    return {at, all.end()};
}

struct VideoPlayout : demotest::DemoPlayout {
    std::string oldRuntime;
    void SetUp() override {
        const std::string run = dir.file("run");
        ASSERT_EQ(::mkdir(run.c_str(), 0700), 0);
        if (const char* r = std::getenv("XDG_RUNTIME_DIR")) oldRuntime = r;
        ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
        DemoPlayout::SetUp();
    }
    void TearDown() override {
        std::string reply, error;
        zxremote::ControlRequest(zxremote::DefaultControlPath(), "quit", reply, error, 1000);
        DemoPlayout::TearDown();
        if (oldRuntime.empty()) ::unsetenv("XDG_RUNTIME_DIR");
        else ::setenv("XDG_RUNTIME_DIR", oldRuntime.c_str(), 1);
    }
    std::string remoteCtl(const std::string& line) {
        std::string reply, error;
        if (!zxremote::ControlRequest(zxremote::DefaultControlPath(), line, reply, error)) return "ERR " + error;
        return reply;
    }
};

}  // namespace

TEST_F(VideoPlayout, APageListPlaysWithTheEveningNewsOnTwoBoardsAndTheSwitcher) {
    ASSERT_EQ(app.settings().mpeg, demo::kDemoBoards);
    // The switcher as the operator left it: IN1 on air, the logo on.
    video::CRemoteCmd::Options ro;
    ro.programFolder = ZX_BINARY_DIR "/tools/zx-remote/";
    video::CRemoteCmd remote(ro);
    ASSERT_TRUE(remote.Launch(app.GetPath(app::FOLDER_ROOT)));
    ASSERT_TRUE(remote.WaitForWindow(20000));
    ASSERT_EQ(remoteCtl("press LOGO1"), "OK");

    video::CVideoCmd::Options vo;
    vo.program = ZX_BINARY_DIR "/tools/zx-player/zx-player";
    vo.args = {"--time-scale", std::to_string(demotest::kScale)};
    vo.playerLog = dir.file("player");
    video::CVideoCmd players(vo);
    video::CPlaylist airPlaylist(app.GetPath(app::FOLDER_ROOT));
    video::CVideoPlaylistPlayer playlists(app, airPlaylist);
    ASSERT_EQ(playlists.Load(dir.file(demo::kEveningNews)), 0);
    playlists.SetRestoreInput(video::RESTORE_SEIZED_INPUT);
    playlists.ConvertToAir();
    ASSERT_EQ(airPlaylist.Track(0).size(), 2u);
    ASSERT_EQ(airPlaylist.Track(1).size(), 1u);

    demo::CPlayout playout(app, engine, fonts, loop, out);
    playout.setGrabber(demotest::Grab);
    playout.setRemote(&remote);
    playout.setVideo(&players, &airPlaylist);
    demo::PlayOptions o;
    o.file = dir.file("Sequences/News loop.zxs");
    o.videoPlaylist = true;
    o.snapshots = dir.file("shots");
    std::string error;
    ASSERT_EQ(playout.Run(o, error), demo::PLAY_OK) << error << "\n" << out.str();
    const std::string text = out.str();

    // Board 1: attached, the opener cued and started with Play, the sting at its time; board 2:
    // attached, the weather at its time. Both stopped at the end and closed.
    const auto one = PlayerCommands(dir.file("player.1")), two = PlayerCommands(dir.file("player.2"));
    ASSERT_GE(one.size(), 4u) << text;
    EXPECT_EQ(std::vector<std::string>(one.begin(), one.begin() + 4),
              (std::vector<std::string>{"100", "5 opener.mpg", "4", "1 sting_1500ms.mpg"}))
        << text;
    ASSERT_GE(two.size(), 2u) << text;
    EXPECT_EQ(std::vector<std::string>(two.begin(), two.begin() + 2),
              (std::vector<std::string>{"100", "1 weather_8.mpg"}));
    EXPECT_NE(zxtest::ReadText(dir.file("player.1")).find("report 0"), std::string::npos);
    EXPECT_NE(zxtest::ReadText(dir.file("player.2")).find("report 1"), std::string::npos);

    // The switcher: seized (the logo off), the boards' inputs at the buttons' times, handed back
    // to IN1 with the logo on.
    const auto sw = SwitcherCommands(remoteCtl("log"));
    const auto played = After(sw, "push AUTO");
    const std::vector<std::string> buttons = {"push AUTO",    "push MIX", "push IN8",  "push AUTO",
                                              "push EFFECT1", "push IN7", "on CLOCK",  "push CUT",
                                              "push IN8",     "push CUT", "off CLOCK", "off FREEZE"};
    ASSERT_GE(played.size(), buttons.size()) << text;
    EXPECT_EQ(std::vector<std::string>(played.begin(), played.begin() + long(buttons.size())), buttons);
    const auto seize = std::vector<std::string>(sw.begin(), std::find(sw.begin(), sw.end(), "push AUTO"));
    EXPECT_NE(std::find(seize.begin(), seize.end(), "push LOGO1"), seize.end());  // the logo went off
    const std::string state = remoteCtl("state");
    EXPECT_NE(state.find("\"program\":\"IN1\""), std::string::npos) << state;
    EXPECT_NE(state.find("\"LOGO1\":true"), std::string::npos) << state;

    // The air log has the clips beside the pages, and the Device showed the pages.
    for (const char* clip : {"opener.mpg", "weather_8.mpg", "sting_1500ms.mpg", "News crawl.zxg"})
        EXPECT_NE(text.find(clip), std::string::npos) << clip << "\n" << text;
    const std::string airLog = zxtest::ReadText(app.GetPath(app::FOLDER_PROGRAM) + "airlog.txt");
    EXPECT_NE(airLog.find("weather_8.mpg"), std::string::npos) << airLog;
    EXPECT_NE(text.find("in-effect  1/3"), std::string::npos);
    EXPECT_FALSE(playout.snapshotFiles().empty());
}
