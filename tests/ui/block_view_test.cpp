// Automation mode's view in the on-air frame: the demo's bindings and events in the two lists,
// the keys and buttons, the two dialogs with their defaults, enabling and refusals, and an item
// key of the Device reaching the schedule through the frame.
#include <QCheckBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "air/air_fakes.h"
#include "air/block_schedule.h"
#include "air_qt_app.h"
#include "demo/demo_root.h"
#include "device/engine.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/air/block_view.h"
#include "ui/translate.h"
#include "ui_fixture.h"

using namespace ui;

namespace {

struct BlockViewTest : zxtest::UiTest {
    device::CEngine engine;
    pages::CFontManager fonts;
    pages::CPageDoc page{fonts};
    pages::CPageImage image;
    std::unique_ptr<CAirFrameWnd> wnd;
    airtest::FakeCommands* cmds = nullptr;
    CBlockView* view = nullptr;

    void SetUp() override {
        UiTest::SetUp();
        zxtest::EnsureQtApp();
        demo::DemoResult r;
        std::string error;
        ASSERT_TRUE(demo::MakeDemoRoot(home.path(), {}, r, error)) << error;
        a.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", home.path()}));
        a.setDeviceLink(&fakeLink);
        a.StartHardware();
        AirShared shared;
        shared.engine = &engine;
        InstallAirFrame(a, shared);
        auto fake = std::make_unique<airtest::FakeCommands>();
        cmds = fake.get();
        air::AirObjects objects;
        objects.page = &page;
        objects.pageImage = &image;
        wnd = std::make_unique<CAirFrameWnd>(a, std::move(fake), objects);
        wnd->CreateView(app::VIEW_AUTOMATION);
        wnd->ShowView(app::VIEW_AUTOMATION);
        view = dynamic_cast<CBlockView*>(wnd->view(app::VIEW_AUTOMATION));
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override {
        wnd.reset();
        UiTest::TearDown();
    }
    static void key(QWidget* w, int k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
    }
    std::vector<air::AutoEvent> saved(const std::string& name) {
        std::vector<air::AutoEvent> out;
        EXPECT_EQ(air::LoadEventFile(home.file(name), out), 0);
        return out;
    }
};

}  // namespace

TEST_F(BlockViewTest, TheDemosListsWithTheirIdsColumnsAndKeys) {
    EXPECT_EQ(DialogId(view), 309);
    for (int id : {1261, 1289, 1233, 1260, 1259}) ASSERT_NE(view->button(id), nullptr) << id;
    EXPECT_EQ(ResourceId(view->bindings()), 1262);
    EXPECT_EQ(ResourceId(view->events()), 1263);
    EXPECT_EQ(view->bindings()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(view->bindings()->columnWidth(0), 48);
    EXPECT_EQ(view->events()->columnWidth(1), 440);
    ASSERT_EQ(view->bindings()->topLevelItemCount(), 8);  // KTG210E
    EXPECT_EQ(view->bindings()->topLevelItem(1)->text(1), "Sequences/News loop.zxs");
    EXPECT_EQ(view->bindings()->topLevelItem(3)->text(1), "");
    ASSERT_EQ(view->events()->topLevelItemCount(), 196);
    EXPECT_EQ(view->events()->topLevelItem(0)->text(0), "00:00:00  [1234567]");
    EXPECT_EQ(view->events()->topLevelItem(1)->text(1), "Stop playback");
    EXPECT_TRUE(view->statusLine()->text().startsWith("Next: "));
    EXPECT_EQ(view->devicePicture(), nullptr) << "a status class 1 model";
    EXPECT_FALSE(view->button(1289)->isEnabled());
    zxtest::SaveScreenshot(*wnd, "block_view");

    // Delete in the bindings clears the selected one; Delete in the events removes one.
    view->bindings()->setCurrentItem(view->bindings()->topLevelItem(2));
    EXPECT_TRUE(view->button(1289)->isEnabled());
    key(view->bindings(), Qt::Key_Delete);
    EXPECT_EQ(saved("binds.dat")[2].active, 0);
    EXPECT_EQ(view->bindings()->topLevelItem(2)->text(1), "");
    view->events()->setCurrentItem(view->events()->topLevelItem(1));
    key(view->events(), Qt::Key_Delete);
    EXPECT_EQ(saved("schedule.dat").size(), 195u);
    EXPECT_EQ(view->events()->topLevelItemCount(), 195);

    // The widths go back at destroy.
    view->events()->setColumnWidth(0, 200);
    wnd->DestroyView(app::VIEW_AUTOMATION);
    app::Profile ini(a.iniPath());
    EXPECT_EQ(ini.getInt("Block", "WidthSched0", -1), 200);
    EXPECT_EQ(ini.getInt("Block", "WidthBlock1", -1), 560);
}

TEST_F(BlockViewTest, TheEventDialogsDefaultsEnablingAndRefusals) {
    int shown = 0;
    view->dialogHook = [&](QDialog& d) {
        auto& e = dynamic_cast<CEventDialog&>(d);
        ++shown;
        EXPECT_EQ(DialogId(&d), 1172);
        // A new event: once only today, every weekday ticked, a stop.
        EXPECT_TRUE(e.once()->isChecked());
        EXPECT_EQ(e.date()->date(), QDate::currentDate());
        for (int i = 0; i < 7; ++i) EXPECT_TRUE(e.day(i)->isChecked());
        EXPECT_FALSE(e.day(0)->isEnabled());
        EXPECT_TRUE(e.stop()->isChecked());
        // "Play file" with nothing to play is refused, and so is "Daily" without a day.
        e.play()->setChecked(true);
        e.accept();
        EXPECT_NE(e.result(), QDialog::Accepted);
        EXPECT_FALSE(e.refusal().isEmpty());
        e.setFile(home.file("Sequences/News loop.zxs"));
        e.daily()->setChecked(true);
        for (int i = 0; i < 7; ++i) e.day(i)->setChecked(false);
        e.accept();
        EXPECT_NE(e.result(), QDialog::Accepted);
        e.day(4)->setChecked(true);
        EXPECT_FALSE(e.loop()->isEnabled()) << "Loop is for an MPEG file";
        e.setVideo(home.file("Video/clip.mpg"));
        EXPECT_TRUE(e.loop()->isEnabled());
        e.loop()->setChecked(true);
        e.time()->setTime(QTime(7, 30, 0));
        e.accept();
        EXPECT_EQ(e.result(), QDialog::Accepted);
    };
    view->Add();
    EXPECT_EQ(shown, 1);
    const std::vector<air::AutoEvent> events = saved("schedule.dat");
    ASSERT_EQ(events.size(), 197u);
    const air::AutoEvent& e = events.back();
    EXPECT_EQ(e.fileName, "Sequences/News loop.zxs") << "stored below the data root";
    EXPECT_EQ(e.videoName, "clip.mpg");
    EXPECT_EQ(e.weekdays, 1 << 4);
    EXPECT_EQ(e.videoLoop, 1);
    EXPECT_EQ(air::EventTimeText(e), "07:30:00  [----5--]");
    EXPECT_EQ(view->schedule().selectedEvent(), 196);
    EXPECT_EQ(view->events()->currentItem(), view->events()->topLevelItem(196));
}

TEST_F(BlockViewTest, TheBindingDialogAndAnItemKeyOfTheDevice) {
    view->bindings()->setCurrentItem(view->bindings()->topLevelItem(4));
    view->dialogHook = [&](QDialog& d) {
        auto& b = dynamic_cast<CBindingDialog&>(d);
        EXPECT_EQ(DialogId(&d), 1173);
        b.accept();
        EXPECT_NE(b.result(), QDialog::Accepted) << "nothing to play";
        b.setVideo(home.file("Video/show.vid"));
        EXPECT_FALSE(b.loop()->isEnabled());
        EXPECT_TRUE(b.restore()->isEnabled()) << "for a video playlist";
        b.restore()->setChecked(true);
        b.setFile(home.file("Sequences/Evening show.zxs"));
        b.accept();
        EXPECT_EQ(b.result(), QDialog::Accepted);
    };
    view->Change();
    air::AutoEvent b = saved("binds.dat")[4];
    EXPECT_EQ(b.active, 1);
    EXPECT_EQ(b.fileName, "Sequences/Evening show.zxs");
    EXPECT_EQ(b.videoName, "show.vid");
    EXPECT_EQ(b.restorePreview, 1);
    EXPECT_EQ(view->bindings()->topLevelItem(4)->text(1), "Sequences/Evening show.zxs + show.vid");

    // The Device asks for item 2: the frame tells the view, the schedule cues the News loop.
    wnd->OpenAir(true);
    air::CAirFrame& c = wnd->controller();
    c.OnEngine(device::NOTE_LINK_UP, 0);
    c.OnEngine(device::NOTE_FINISHED, 0, cmds->lastSeq());
    c.OnEngine(device::NOTE_REQUEST, 9);
    EXPECT_EQ(view->schedule().selectedBinding(), 1);
    EXPECT_EQ(view->bindings()->currentItem(), view->bindings()->topLevelItem(1));
    EXPECT_EQ(cmds->last().code, device::CMD_LOAD_RECT);
    c.OnEngine(device::NOTE_FINISHED, 0, cmds->lastSeq());
    ASSERT_FALSE(cmds->replies.empty());
    EXPECT_EQ(cmds->replies.back(), (std::pair<int, int>{8, 8}));
    // An unbound key is answered (9, 0).
    c.OnEngine(device::NOTE_REQUEST, 13);
    EXPECT_EQ(cmds->replies.back(), (std::pair<int, int>{9, 0}));
}
