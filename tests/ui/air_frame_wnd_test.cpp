// The air frame on screen: the transport buttons follow the controller's actions, the time
// fields, the indicators, the hotkeys, the progress bar, the air view's preview and page list,
// and Live mode through the main frame.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QTreeWidget>

#include "air/air_fakes.h"
#include "air/air_test_util.h"
#include "air/seq_doc.h"
#include "app/strings.h"
#include "device/engine.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "platform/files.h"
#include "ui/air/accelerators.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/air/air_view.h"
#include "ui/air/titr_view.h"
#include "ui/mainframe/main_frame.h"
#include "ui_fixture.h"

using namespace ui;
using air::CMD_NEXT;
using air::CMD_PAUSE;
using air::CMD_PLAY;
using air::CMD_STOP;

namespace {

struct AirFrameWnd : zxtest::UiTest {
    pages::CFontManager fonts;
    pages::CPageDoc page{fonts};
    pages::CPageImage image;
    std::unique_ptr<air::CSeqDoc> seq;
    device::CEngine engine;  // not opened: enough for the frames the main frame makes

    void prepare(const std::string& ini = {}) {
        start(ini, true);
        a.folders().setEntry(app::FOLDER_PAGES, home.file("Pages/"));
        platform::MakeDirectories(home.file("Pages"));
        seq = std::make_unique<air::CSeqDoc>(a.folders(), platform::SystemClock::instance());
        AirShared shared;
        shared.engine = &engine;
        shared.objects = objects();
        InstallAirFrame(a, shared);
    }
    air::AirObjects objects() {
        air::AirObjects o;
        o.page = &page;
        o.pageImage = &image;
        o.sequence = seq.get();
        return o;
    }
    void addPage(const std::string& name, const std::string& words) {
        airtest::TestPage p;
        p.words = words;
        ASSERT_TRUE(airtest::WritePage(fonts, home.file("Pages/" + name), p));
        air::ShowParams five;
        five.showTime = 5;
        seq->AppendPage(home.file("Pages/" + name), five);
    }
};

}  // namespace

TEST_F(AirFrameWnd, ButtonsTimesAndTheListFollowTheController) {
    prepare();
    addPage("one.zxg", "first words");
    addPage("two.zxg", "second");
    addPage("three.zxg", "third");
    auto fake = std::make_unique<airtest::FakeCommands>();
    airtest::FakeCommands* cmds = fake.get();
    CAirFrameWnd wnd(a, std::move(fake), objects());
    EXPECT_EQ(wnd.windowTitle(), "Live");
    wnd.CreateView(app::VIEW_PREVIEW);
    wnd.ShowView(app::VIEW_PREVIEW);
    auto* view = dynamic_cast<CAirView*>(wnd.view(app::VIEW_PREVIEW));
    ASSERT_NE(view, nullptr);
    wnd.OpenAir(false);
    EXPECT_EQ(cmds->inits, 1);
    for (int c : {CMD_PLAY, CMD_PAUSE, CMD_NEXT, CMD_STOP, air::CMD_EFFECT, air::CMD_PREVIOUS})
        EXPECT_FALSE(wnd.action(c)->isEnabled()) << c;
    EXPECT_EQ(wnd.accelerators().keyOf(0), QKeySequence(Qt::Key_F5));
    EXPECT_TRUE(wnd.action(CMD_PLAY)->toolTip().contains("F5"));

    air::CAirFrame& c = wnd.controller();
    c.OnEngine(device::NOTE_LINK_UP, 0);
    EXPECT_EQ(wnd.indicatorState(0), 1);
    c.OnEngine(device::NOTE_FINISHED, 0, cmds->lastSeq());
    c.PlayPageList();
    c.OnEngine(device::NOTE_FINISHED, 0, cmds->lastSeq());
    ASSERT_EQ(c.State().state, air::AIR_CUED);
    EXPECT_TRUE(wnd.action(CMD_PLAY)->isEnabled());
    EXPECT_TRUE(wnd.action(CMD_NEXT)->isEnabled());
    EXPECT_FALSE(wnd.action(CMD_PAUSE)->isEnabled());
    EXPECT_EQ(wnd.timeField(0)->text(), "0:00.0  ");
    EXPECT_EQ(wnd.timeField(1)->text(), "0:15.0  ");
    EXPECT_FALSE(view->preview()->image().isNull());

    QTreeWidget* list = view->list();
    EXPECT_FALSE(list->isHidden());
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->headerItem()->text(0), "Check");
    EXPECT_EQ(list->headerItem()->text(3), "Abstract");
    EXPECT_EQ(list->topLevelItem(0)->text(0), "+");
    EXPECT_EQ(list->topLevelItem(0)->text(1), "0:05");
    EXPECT_EQ(list->topLevelItem(0)->text(2), "one.zxg");
    EXPECT_EQ(list->topLevelItem(0)->text(3), "first words");
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));

    wnd.action(CMD_NEXT)->trigger();  // the toolbar button moves the cue
    c.OnEngine(device::NOTE_FINISHED, 0, cmds->lastSeq());
    EXPECT_EQ(c.State().current, 1);
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
    EXPECT_TRUE(wnd.action(air::CMD_PREVIOUS)->isEnabled());

    wnd.action(CMD_PLAY)->trigger();
    EXPECT_EQ(c.State().state, air::AIR_IN_EFFECT);
    EXPECT_FALSE(wnd.action(CMD_PLAY)->isEnabled());
    EXPECT_TRUE(wnd.action(CMD_PAUSE)->isEnabled());
    EXPECT_TRUE(wnd.action(CMD_STOP)->isEnabled());
    c.OnEngine(device::NOTE_STATE, 3);
    EXPECT_EQ(wnd.indicatorState(1), 1);
    EXPECT_EQ(wnd.indicatorState(2), 1);
    EXPECT_FALSE(wnd.CanLeave());

    // The status bar's progress bar, from 80 pixels in.
    QProgressBar* bar = wnd.ShowProgress(10);
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(bar->maximum(), 10);
    EXPECT_EQ(wnd.statusText()->maximumWidth(), 80);
    wnd.HideProgress();
    EXPECT_TRUE(bar->isHidden());
    EXPECT_EQ(wnd.statusText()->text(), "In effect: two.zxg");  // the air state is back

    // A single page: no list.
    wnd.action(CMD_STOP)->trigger();
    c.OnEngine(device::NOTE_FINISHED, 0, cmds->lastSeq());
    c.OnEngine(device::NOTE_FINISHED, 0, cmds->lastSeq());
    c.PlayPage(nullptr);
    EXPECT_TRUE(list->isHidden());
}

TEST_F(AirFrameWnd, StatusBarShowsTheAirStateAndThePage) {
    prepare();
    addPage("news.zxg", "words");
    auto fake = std::make_unique<airtest::FakeCommands>();
    airtest::FakeCommands* cmds = fake.get();
    CAirFrameWnd wnd(a, std::move(fake), objects());
    wnd.CreateView(app::VIEW_LIVE);
    wnd.ShowView(app::VIEW_LIVE);
    wnd.OpenAir(false);
    air::CAirFrame& c = wnd.controller();
    auto pane = [&] {
        wnd.RefreshAirState();
        return wnd.statusText()->text().toStdString();
    };
    auto finish = [&] { c.OnEngine(device::NOTE_FINISHED, 0, cmds->lastSeq()); };
    EXPECT_EQ(pane(), "Ready...");
    c.OnEngine(device::NOTE_LINK_UP, 0);
    finish();
    c.PlayPageList();
    EXPECT_EQ(pane(), "Cueing: news.zxg");
    for (int i = 0; i < 4 && c.State().state != air::AIR_CUED; ++i) finish();
    EXPECT_EQ(pane(), "Cued: news.zxg");
    wnd.OnCommand(CMD_PLAY);
    EXPECT_EQ(pane(), "In effect: news.zxg");
    finish();
    EXPECT_EQ(c.State().state, air::AIR_WAIT_OUT);
    EXPECT_EQ(pane(), "On air: news.zxg");
    wnd.OnCommand(CMD_PAUSE);
    EXPECT_EQ(pane(), "Paused: news.zxg");
    wnd.OnCommand(CMD_PAUSE);
    EXPECT_EQ(pane(), "On air: news.zxg");
    wnd.OnCommand(CMD_STOP);
    EXPECT_EQ(pane(), "Stopping: news.zxg");
    for (int i = 0; i < 4 && c.State().state != air::AIR_CUED; ++i) finish();
    EXPECT_EQ(pane(), "Cued: news.zxg");
    // A text of the frame's own stays a while before the state takes the pane again.
    wnd.SetStatusText("Something else");
    EXPECT_EQ(pane(), "Something else");
    wnd.HideProgress();
    EXPECT_EQ(pane(), "Cued: news.zxg");
}

TEST_F(AirFrameWnd, DevicePictureForStatusClassTwo) {
    prepare("[Hardware]\nModel=5\n");
    CAirFrameWnd wnd(a, std::make_unique<airtest::FakeCommands>(), objects());
    wnd.CreateView(app::VIEW_PREVIEW);
    auto* view = dynamic_cast<CAirView*>(wnd.view(app::VIEW_PREVIEW));
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->devicePicture(), nullptr);
    EXPECT_EQ(view->devicePicture()->width(), 160);
}

TEST_F(AirFrameWnd, LiveModeOpensTheAirFrame) {
    prepare();
    CMainFrame f(a);
    f.show();
    f.modeAction(app::MODE_LIVE)->trigger();
    auto* wnd = dynamic_cast<CAirFrameWnd*>(f.modes().airFrame());
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(wnd->windowTitle(), "Live mode");
    EXPECT_NE(dynamic_cast<CTitrView*>(wnd->view(app::VIEW_LIVE)), nullptr);
    EXPECT_TRUE(wnd->CanLeave());
    f.mdiArea()->activeSubWindow()->close();
    settle();
    EXPECT_EQ(f.modes().airFrame(), nullptr);
}
