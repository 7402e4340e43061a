// The program monitor: new pictures only when the feed has one, transparent parts over the chosen
// backdrop (kept in the settings), and its entry in the main frame's Window menu.
#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include "device/program_feed.h"
#include "ui/mainframe/main_frame.h"
#include "ui/monitor/program_monitor.h"
#include "ui_fixture.h"

using namespace ui;

namespace {

class ProgramMonitor : public zxtest::UiTest {};

// A 720 x 576 output: transparent, with an opaque red block at the top left.
std::vector<uint8_t> Output(uint8_t red = 255) {
    std::vector<uint8_t> rgba(720 * 576 * 4, 0);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            uint8_t* p = &rgba[(size_t(y) * 720 + x) * 4];
            p[0] = red, p[3] = 255;
        }
    return rgba;
}

TEST_F(ProgramMonitor, ShowsNewPicturesOverItsBackdrop) {
    start("", false);
    device::ProgramFeed feed;
    CProgramMonitor m(feed);
    EXPECT_EQ(m.windowTitle(), "Program");
    EXPECT_EQ(m.size(), QSize(720, 576));
    EXPECT_FALSE(m.Poll());  // nothing published yet
    EXPECT_FALSE(m.hasPicture());

    feed.publish(Output().data(), 720, 576);
    EXPECT_TRUE(m.Poll());
    EXPECT_FALSE(m.Poll()) << "the same picture taken twice";
    EXPECT_EQ(m.frames(), 1u);
    QImage shown = m.Composed();
    EXPECT_EQ(shown.pixelColor(50, 50), QColor(255, 0, 0));
    // Transparent parts: a checkerboard of light squares by default...
    EXPECT_NE(shown.pixelColor(200, 300), shown.pixelColor(216, 300));
    EXPECT_GT(shown.pixelColor(200, 300).lightness(), 100);

    // ... or black, which the settings keep for the next start.
    m.SetBackdrop(CProgramMonitor::Black);
    shown = m.Composed();
    EXPECT_EQ(shown.pixelColor(200, 300), QColor(0, 0, 0));
    EXPECT_EQ(shown.pixelColor(50, 50), QColor(255, 0, 0));
    CProgramMonitor again(feed);
    EXPECT_EQ(again.backdrop(), CProgramMonitor::Black);

    // A newer picture replaces the old one; a damaged size is no picture at all.
    feed.publish(Output(128).data(), 720, 576);
    feed.publish(nullptr, 720, 576);
    feed.publish(Output(128).data(), 0, 576);
    EXPECT_TRUE(m.Poll());
    EXPECT_EQ(m.Composed().pixelColor(50, 50), QColor(128, 0, 0));
    EXPECT_EQ(m.frames(), 2u);

    m.SetZoom(50);
    EXPECT_EQ(m.size(), QSize(360, 288));
}

TEST_F(ProgramMonitor, ReachableFromTheWindowMenu) {
    start("", false);
    device::ProgramFeed feed;
    CMainFrame f(a);
    auto* m = new CProgramMonitor(feed, &f);
    f.addWindowCommand(m->showAction());
    QMenu* window = nullptr;
    for (QAction* act : f.menuBar()->actions())
        if (act->text() == "&Window") window = act->menu();
    ASSERT_NE(window, nullptr);
    emit window->aboutToShow();
    ASSERT_FALSE(window->actions().isEmpty());
    EXPECT_EQ(window->actions().first(), m->showAction());
    EXPECT_TRUE(m->isWindow());
    EXPECT_EQ(m->windowType(), Qt::Tool);  // above the main window, which owns it
    EXPECT_FALSE(m->isVisible());
    m->showAction()->trigger();
    EXPECT_TRUE(m->isVisible());
}

TEST_F(ProgramMonitor, OpensBesideTheMainWindowAndKeepsItsPlace) {
    start("", false);
    device::ProgramFeed feed;
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    {
        // A main window with room to its right: the monitor goes there, clear of it.
        CMainFrame f(a);
        f.setGeometry(work.left() + 10, work.top() + 40, work.width() / 2, work.height() / 2);
        f.show();
        auto* m = new CProgramMonitor(feed, &f);
        m->PlaceBeside(&f);
        EXPECT_FALSE(m->geometry().intersects(f.frameGeometry()));
        EXPECT_TRUE(work.contains(m->geometry())) << m->geometry().x() << "," << m->geometry().y();
        EXPECT_GE(m->width(), 240);
        EXPECT_EQ(m->height(), m->width() * 576 / 720);
    }
    {
        // A maximized main window: a half-size picture in the lower right, below the toolbars.
        CMainFrame f(a);
        f.showMaximized();
        settle();
        auto* m = new CProgramMonitor(feed, &f);
        m->PlaceBeside(&f);
        EXPECT_EQ(m->size(), QSize(360, 288));
        EXPECT_TRUE(work.contains(m->geometry()));
        EXPECT_GT(m->geometry().top(), work.top() + 120);
        EXPECT_GT(m->geometry().left(), work.center().x());
        // Moved and resized by the operator, the place is kept when it is hidden ...
        m->show();
        m->setGeometry(work.left() + 50, work.top() + 60, 400, 320);
        m->hide();
    }
    EXPECT_EQ(a.profile().getInt("Monitor", "Left", 0), work.left() + 50);
    EXPECT_EQ(a.profile().getInt("Monitor", "Width", 0), 400);
    {
        // ... and taken again at the next start.
        CMainFrame f(a);
        f.showMaximized();
        CProgramMonitor m(feed, &f);
        m.PlaceBeside(&f);
        EXPECT_EQ(m.geometry(), QRect(work.left() + 50, work.top() + 60, 400, 320));
    }
    // A place on a screen that is gone is forgotten.
    a.profile().putInt("Monitor", "Left", 20000);
    CMainFrame f(a);
    f.showMaximized();
    CProgramMonitor m(feed, &f);
    EXPECT_TRUE(work.contains(m.InitialGeometry(&f)));
}

}  // namespace
