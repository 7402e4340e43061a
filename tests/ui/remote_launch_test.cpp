#include <QAction>

#include "app/mode_manager.h"
#include "app/strings.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "ui/mainframe/main_frame.h"
#include "ui/mainframe/mode_frames.h"
#include "ui_fixture.h"
#include "video/remote_cmd.h"

using namespace ui;

namespace {

class RemoteLaunch : public zxtest::UiTest {};

}  // namespace

TEST_F(RemoteLaunch, LiveModeStartsTheRemoteProgramAndAFailureIsShownOnce) {
    zxtest::TempDir elsewhere;
    ASSERT_TRUE(platform::MakeDirectories(elsewhere.file("run")));
    video::CRemoteCmd::Options o;
    o.channel.dir = elsewhere.file("run");
    o.programFolder = elsewhere.path();  // no stand-in there either
    video::CRemoteCmd remote(o);
    int launches = 0;
    Factories().launchRemote = [&](const std::string& folder) {
        ++launches;
        return remote.Launch(folder);
    };
    start("[Start]\nRemote=1\n", true);
    CMainFrame f(a);
    f.modeAction(app::MODE_LIVE)->trigger();
    EXPECT_EQ(launches, 1);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.lastText(), app::LoadString(video::IDS_REMOTE_NOT_FOUND));
    EXPECT_TRUE(f.modes().isOpen(app::OPEN_LIVE));  // Live opens all the same
}
