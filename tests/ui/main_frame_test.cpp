#include <QAction>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include "app/mode_manager.h"
#include "app/strings.h"
#include "ui/mainframe/main_frame.h"
#include "ui/text.h"
#include "ui_fixture.h"

using namespace ui;

namespace {

class MainFrame : public zxtest::UiTest {};

QRect workArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

TEST_F(MainFrame, ModesMenuFollowsTheMask) {
    start("", false);
    CMainFrame f(a);
    EXPECT_EQ(f.windowTitle(), "Zentrix");
    for (int m = 0; m < app::MODE_COUNT; ++m) {
        QAction* act = f.modeAction(m);
        EXPECT_EQ(act->text(), FromProgramText(app::FirstLine(app::LoadString(32974 + m))));
        EXPECT_EQ(act->isEnabled(), m <= app::MODE_SEQUENCE_EDITOR) << m;
        EXPECT_TRUE(f.modesMenu()->actions().contains(act));
        EXPECT_TRUE(f.toolbar()->actions().contains(act));
    }
    EXPECT_EQ(f.linkText(), "KTG210E: not connected - editors only");
    EXPECT_EQ(f.toolbar()->iconSize(), QSize(24, 24));  // "100%"
    a.settings().toolbarSize = 2;
    f.ApplyToolbarSize();
    EXPECT_EQ(f.toolbar()->iconSize(), QSize(72, 72));  // "300%"

    // The link comes up: the on-air modes open, SMS Chat only with a GSM modem.
    a.setDeviceLink(&fakeLink);
    a.StartHardware();
    f.RefreshModes();
    for (int m = 0; m < app::MODE_COUNT; ++m) EXPECT_EQ(f.modeAction(m)->isEnabled(), m != app::MODE_SMS_CHAT) << m;
    EXPECT_EQ(f.linkText(), "KTG210E: connected");
    a.settings().itv = 1;
    a.settings().itvModel = 2;
    a.StopHardware();
    a.StartHardware();
    f.RefreshModes();
    EXPECT_TRUE(f.modeAction(app::MODE_SMS_CHAT)->isEnabled());

    // The languages slot is the fourth item of the second menu: no languages without a base
    // translation file, and its commands do nothing.
    QList<QAction*> menus = f.menuBar()->actions();
    ASSERT_GE(menus.size(), 2);
    QList<QAction*> settings = menus[1]->menu()->actions();
    ASSERT_GE(settings.size(), 4);
    EXPECT_EQ(settings[3]->menu(), f.languageMenu());
    QList<QAction*> languages = f.languageMenu()->actions();
    ASSERT_EQ(languages.size(), 3);
    EXPECT_TRUE(languages[0]->isSeparator());
    EXPECT_FALSE(f.command(ID_LANGUAGE_EDIT)->isEnabled());
    EXPECT_FALSE(f.command(ID_LANGUAGE_ADD)->isEnabled());
}

TEST_F(MainFrame, ModeFramesHideTheToolbarAndCloseThroughTheManager) {
    start("", true);
    CMainFrame f(a);
    f.show();
    EXPECT_FALSE(f.toolbar()->isHidden());
    f.modeAction(app::MODE_PAGE_EDITOR)->trigger();
    f.modeAction(app::MODE_LIVE)->trigger();
    ASSERT_EQ(f.mdiArea()->subWindowList().size(), 2);
    EXPECT_TRUE(f.toolbar()->isHidden());
    EXPECT_EQ(f.mdiArea()->activeSubWindow()->windowTitle(), "Live mode");
    // The link is in use: "Hardware..." says so instead of opening.
    EXPECT_TRUE(f.hardwareAction()->isEnabled());
    f.hardwareAction()->trigger();
    EXPECT_EQ(f.statusBar()->currentMessage().toStdString(), app::RefusalHardware());

    // The Interactive system from the menu takes the on-air frame over (one on-air mode at a time).
    f.modeAction(app::MODE_INTERACTIVE)->trigger();
    EXPECT_EQ(f.modes().openFlags(), app::OPEN_PAGE_EDITOR | app::OPEN_INTERACTIVE);
    EXPECT_EQ(f.mdiArea()->subWindowList().size(), 2);

    // The frame's own close button asks the manager, which closes it.
    f.mdiArea()->activeSubWindow()->close();
    settle();
    EXPECT_EQ(f.modes().openFlags(), app::OPEN_PAGE_EDITOR);
    ASSERT_EQ(f.mdiArea()->subWindowList().size(), 1);
    EXPECT_TRUE(f.toolbar()->isHidden());
    EXPECT_TRUE(f.hardwareAction()->isEnabled());
    f.mdiArea()->subWindowList().first()->close();
    settle();
    EXPECT_TRUE(f.mdiArea()->subWindowList().isEmpty());
    EXPECT_FALSE(f.toolbar()->isHidden());
}

struct BusyAirFrame : COnAirFrame {
    bool CanLeave() override { return !busy; }
    bool busy = true;
};

TEST_F(MainFrame, RefusedCloseKeepsTheWindowAndItsLayout) {
    start("[Layout]\nLeft=30\n", true);
    BusyAirFrame* air = nullptr;
    Factories().airFrame = [&air] {
        auto f = std::make_unique<BusyAirFrame>();
        air = f.get();
        return std::unique_ptr<COnAirFrame>(std::move(f));
    };
    CMainFrame f(a);
    f.ShowWithLayout();
    f.modeAction(app::MODE_AUTOMATION)->trigger();
    // Each refusal says why: another mode, the on-air frame's close, the program's close.
    f.modeAction(app::MODE_LIVE)->trigger();
    EXPECT_EQ(f.statusBar()->currentMessage(), "Something is on air: stop it before opening Live mode.");
    f.mdiArea()->activeSubWindow()->close();
    settle();
    EXPECT_EQ(f.statusBar()->currentMessage(), "Something is on air: stop it before closing the on-air window.");
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_FALSE(f.close());
    EXPECT_EQ(boxes.lastText(), "Something is on air: stop it before closing Zentrix.");
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(f.statusBar()->currentMessage(), "Something is on air: stop it before closing Zentrix.");
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.modes().openFlags(), app::OPEN_AUTOMATION);
    EXPECT_FALSE(a.profile().hasKey("Layout", "Width"));
    air->busy = false;
    EXPECT_TRUE(f.close());
    EXPECT_EQ(f.modes().openFlags(), 0);
    EXPECT_TRUE(a.profile().hasKey("Layout", "Width"));
}

TEST_F(MainFrame, LayoutIsSavedAndRestored) {
    start("[Layout]\nLeft=40\nTop=50\nWidth=500\nHeight=300\nMaximize=0\n", false);
    {
        CMainFrame f(a);
        CMainFrame::Placement pl = f.InitialPlacement();
        EXPECT_EQ(pl.rect, QRect(40, 50, 500, 300));
        EXPECT_FALSE(pl.maximized);
        f.ShowWithLayout();
        EXPECT_FALSE(f.isMaximized());
        EXPECT_EQ(f.geometry(), QRect(40, 50, 500, 300));
        f.setGeometry(60, 70, 520, 310);
        ASSERT_TRUE(f.close());
    }
    app::Profile& ini = a.profile();
    EXPECT_EQ(ini.getInt("Layout", "Left", 0), 60);
    EXPECT_EQ(ini.getInt("Layout", "Top", 0), 70);
    EXPECT_EQ(ini.getInt("Layout", "Width", 0), 520);
    EXPECT_EQ(ini.getInt("Layout", "Height", 0), 310);
    EXPECT_EQ(ini.getInt("Layout", "Maximize", 9), 0);
    {
        // Maximized: the normal rectangle is kept for the next start.
        CMainFrame f(a);
        f.ShowWithLayout();
        EXPECT_EQ(f.geometry(), QRect(60, 70, 520, 310));
        f.showMaximized();
        settle();
        ASSERT_TRUE(f.close());
    }
    EXPECT_EQ(ini.getInt("Layout", "Maximize", 9), 1);
    EXPECT_EQ(ini.getInt("Layout", "Width", 0), 520);
    CMainFrame f(a);
    EXPECT_TRUE(f.InitialPlacement().maximized);
    EXPECT_EQ(f.InitialPlacement().rect, QRect(60, 70, 520, 310));
}

TEST_F(MainFrame, DefaultsAndLostScreens) {
    start("", false);
    CMainFrame f(a);
    CMainFrame::Placement pl = f.InitialPlacement();
    EXPECT_EQ(pl.rect, QRect(22, 22, 600, 400));
    EXPECT_TRUE(pl.maximized);
    // A rectangle left on a screen that is gone comes back onto the work area.
    a.profile().putInt("Layout", "Left", 5000);
    a.profile().putInt("Layout", "Top", -3000);
    pl = f.InitialPlacement();
    EXPECT_TRUE(workArea().intersects(pl.rect));
    EXPECT_EQ(pl.rect.size(), QSize(600, 400));
}

TEST_F(MainFrame, StatusClassTwoTakesHalfTheWorkArea) {
    QRect work = workArea();
    start("[Hardware]\nModel=5\n[Layout]\nLeft=100\nTop=100\nWidth=300\nHeight=200\nMaximize=1\n", false);
    {
        CMainFrame f(a);
        CMainFrame::Placement pl = f.InitialPlacement();
        EXPECT_EQ(pl.rect, QRect(work.left(), work.top(), work.width() / 2, work.height()));
        EXPECT_FALSE(pl.maximized);
    }
    // The second edition: the right half, " #2" in the title, whatever its Layout holds.
    app::CZentrixApp b;
    zxtest::WriteText(home.file("ZENTRIX_400M.INI"), "[Layout]\nLeft=1\nMaximize=1\n");
    b.InitSettingsOnly(app::CommandLine::Parse({"--home", home.path(), "/400M"}));
    CMainFrame f(b);
    EXPECT_EQ(f.windowTitle(), "Zentrix #2");
    CMainFrame::Placement pl = f.InitialPlacement();
    EXPECT_EQ(pl.rect.right(), work.right());
    EXPECT_EQ(pl.rect.width(), work.width() / 2);
    EXPECT_EQ(pl.rect.height(), work.height());
    EXPECT_FALSE(pl.maximized);
}

}  // namespace
