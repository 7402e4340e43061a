// The clock wizard on screen: its titles, the five names filled in from the face, Next once all
// are there, the settings with their defaults and what they enable, a clock made and saved from
// the demo's pictures, a message that keeps the operator on the page; the main window's command,
// and a clock played from the Live view's "Play..." the way the titles tree will.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

#include "air/air_fakes.h"
#include "demo/demo_clocks.h"
#include "demo/demo_root.h"
#include "device/engine.h"
#include "pages/file_result.h"
#include "pages/picture_io.h"
#include "platform/files.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/mainframe/main_frame.h"
#include "ui/wizards/wiz_clock.h"
#include "ui_fixture.h"
#include "wizards/clock_image.h"

using namespace ui;

namespace {

struct ClockWizard : zxtest::UiTest {
    std::string pictures;
    void SetUp() override {
        UiTest::SetUp();
        start("[Debug]\nLog=0\n", false);
        pictures = home.file("Pictures/Clock/");
        ASSERT_TRUE(platform::MakeDirectories(pictures));
        ASSERT_TRUE(platform::MakeDirectories(home.file("Clock")));
        std::array<pages::CBitmap32, wizards::SRC_COUNT> pics;
        std::string error;
        ASSERT_TRUE(demo::DrawDemoClockPictures(demo::DemoClock::Studio, demo::kDejaVuFolder, pics, error)) << error;
        const char* names[] = {"DialF.tga", "DialH.tga", "DialM.tga", "DialS.tga", "DialC.tga"};
        for (int i = 0; i < wizards::SRC_COUNT; ++i)
            ASSERT_EQ(pages::WriteTGA(pics[size_t(i)], pictures + names[i]), pages::FILE_OK);
    }
};

// A clock that never moves: the timed render takes 0 ms.
struct Still final : platform::Clock {
    uint32_t ticks() const override { return 7; }
    platform::LocalTime localTime() const override { return {}; }
};

}  // namespace

TEST_F(ClockWizard, NamesFilledInAndNextOnceAllAreThere) {
    CWizClock wiz;
    EXPECT_EQ(wiz.windowTitle(), "Create new clock");
    EXPECT_EQ(wiz.page1().title(), "Make new clock - Step 1 - Load files");
    EXPECT_EQ(wiz.page2().title(), "Make new clock - Step 2 - Settings");
    EXPECT_FALSE(wiz.page1().isComplete());
    // A hand chosen first fills nothing else.
    wiz.page1().choose(wizards::SRC_HOUR, "/c/OtherH.tga");
    EXPECT_EQ(wiz.page1().path(wizards::SRC_HOUR), "/c/OtherH.tga");
    EXPECT_TRUE(wiz.page1().field(wizards::SRC_FACE)->text().isEmpty());
    // The face fills all five, "_w" and all.
    wiz.page1().choose(wizards::SRC_FACE, "/c/StudioF_w.bmp");
    EXPECT_EQ(wiz.page1().path(wizards::SRC_HOUR), "/c/StudioH_w.bmp");
    EXPECT_EQ(wiz.page1().path(wizards::SRC_MARKER), "/c/StudioC.bmp");
    EXPECT_TRUE(wiz.page1().isComplete());
    wiz.page1().field(wizards::SRC_SECOND)->clear();
    EXPECT_FALSE(wiz.page1().isComplete());
    // A face without the letter leaves the other names as they are.
    wiz.page1().choose(wizards::SRC_FACE, "/c/face.bmp");
    EXPECT_EQ(wiz.page1().path(wizards::SRC_HOUR), "/c/StudioH_w.bmp");
}

TEST_F(ClockWizard, SettingsDefaultsAndWhatShadowsEnable) {
    CWizClock wiz;
    CPageClock2& p = wiz.page2();
    EXPECT_EQ(p.minuteStep()->count(), 7);
    EXPECT_EQ(p.minuteStep()->currentText(), "5 sec.");
    EXPECT_EQ(p.minuteStep()->itemText(6), "60 sec.");
    EXPECT_EQ(p.hourStep()->currentText(), "5 min.");
    EXPECT_FALSE(p.shadows()->isChecked());
    EXPECT_EQ(p.lightH()->currentText(), "left");
    EXPECT_EQ(p.lightV()->currentText(), "top");
    EXPECT_EQ(p.lightV()->itemText(2), "bottom");
    EXPECT_EQ(p.handHeight()->currentText(), "6");
    EXPECT_FALSE(p.differentHeights()->isChecked());
    EXPECT_FALSE(p.belowFace()->isChecked());
    for (QWidget* w : std::initializer_list<QWidget*>{p.lightH(), p.lightV(), p.handHeight(), p.differentHeights()})
        EXPECT_FALSE(w->isEnabled());
    EXPECT_TRUE(p.belowFace()->isEnabled());
    p.shadows()->setChecked(true);
    for (QWidget* w : std::initializer_list<QWidget*>{p.lightH(), p.lightV(), p.handHeight(), p.differentHeights()})
        EXPECT_TRUE(w->isEnabled());
    const wizards::ClockSettings d = wizards::ClockSettings{};
    p.shadows()->setChecked(false);
    const wizards::ClockSettings s = p.settings();
    EXPECT_EQ(s.minuteStep, d.minuteStep);
    EXPECT_EQ(s.hourStep, d.hourStep);
    EXPECT_EQ(s.handHeight, d.handHeight);
}

TEST_F(ClockWizard, MakesAndSavesAClockIntoItsOwnObject) {
    CWizClock wiz;
    Still still;
    wiz.setTimeSource(&still);
    std::string asked;
    wiz.setSavePathChooser([&](const std::string& folder) {
        asked = folder;
        return home.file("Clock/Made.zck");
    });
    wiz.show();
    wiz.page1().choose(wizards::SRC_FACE, pictures + "DialF.tga");
    ASSERT_TRUE(wiz.button(QWizard::NextButton)->isEnabled());
    wiz.next();
    ASSERT_EQ(wiz.currentPage(), &wiz.page2()) << boxes.lastText();
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_FALSE(wiz.page2().thumbnail()->pixmap().isNull());  // the clock built so far
    EXPECT_EQ(wiz.clock().header().centreX, 360);
    wiz.page2().minuteStep()->setCurrentIndex(0);
    wiz.page2().shadows()->setChecked(true);
    wiz.page2().lightH()->setCurrentIndex(2);
    wiz.page2().belowFace()->setChecked(true);
    ASSERT_TRUE(wiz.button(QWizard::FinishButton)->isEnabled());
    ASSERT_TRUE(wiz.button(QWizard::FinishButton)->isVisible());
    wiz.button(QWizard::FinishButton)->click();
    settle();
    EXPECT_EQ(asked, a.GetPath(app::FOLDER_CLOCK));
    EXPECT_EQ(wiz.savedPath(), home.file("Clock/Made.zck"));
    EXPECT_EQ(wiz.result(), QDialog::Accepted);
    wizards::CClockImage back;
    ASSERT_EQ(back.Load(home.file("Clock/Made.zck")), pages::FILE_OK);
    EXPECT_EQ(back.header().steps[1], 0);
    EXPECT_TRUE(back.header().shadows);
    EXPECT_EQ(back.header().shadowX[0], 6);
    EXPECT_TRUE(back.header().belowFace);
}

TEST_F(ClockWizard, AFailureShowsItsMessageAndStaysOnThePage) {
    pages::CBitmap32 uniform(720, 576);
    uniform.fillAll(0x00FFFFFF);
    ASSERT_EQ(pages::WriteTGA(uniform, pictures + "Uniform.tga"), pages::FILE_OK);
    CWizClock wiz;
    wiz.show();
    wiz.page1().choose(wizards::SRC_FACE, pictures + "DialF.tga");
    wiz.page1().choose(wizards::SRC_MARKER, pictures + "Uniform.tga");
    wiz.next();
    EXPECT_EQ(wiz.currentPage(), &wiz.page1());
    EXPECT_EQ(boxes.lastText(), "Can't determine hands center point!");
    EXPECT_EQ(boxes.lastStyle() & app::MB_ICONMASK, app::MB_ICONERROR);
    // Cancelling the save dialog stays on the second page, saving nothing.
    wiz.page1().choose(wizards::SRC_MARKER, pictures + "DialC.tga");
    wiz.setSavePathChooser([](const std::string&) { return std::string(); });
    Still still;
    wiz.setTimeSource(&still);
    wiz.next();
    ASSERT_EQ(wiz.currentPage(), &wiz.page2()) << boxes.lastText();
    EXPECT_FALSE(wiz.page2().validatePage());
    // A file that cannot be written says so.
    wiz.setSavePathChooser([&](const std::string&) { return home.file("no/such/folder/x.zck"); });
    EXPECT_FALSE(wiz.page2().validatePage());
    EXPECT_EQ(boxes.lastText().rfind("Error saving file:", 0), 0u) << boxes.lastText();
}

TEST_F(ClockWizard, TheMainWindowsToolsMenuHasTheCommand) {
    CMainFrame frame(a);
    ASSERT_NE(frame.toolsMenu(), nullptr);
    bool found = false;
    for (QAction* act : frame.toolsMenu()->actions()) found = found || act->text() == "Create new &clock...";
    EXPECT_TRUE(found);
}

TEST_F(ClockWizard, LiveViewPlaysAClockFile) {
    airtest::FakeClock fake;
    air::AirObjects objects;
    objects.clock = &fake;
    auto cmds = std::make_unique<airtest::FakeCommands>();
    airtest::FakeCommands* engine = cmds.get();
    CAirFrameWnd wnd(a, std::move(cmds), objects);
    wnd.controller().OnEngine(device::NOTE_LINK_UP, 0);
    wnd.controller().OnEngine(device::NOTE_FINISHED, 0, engine->lastSeq());
    ASSERT_TRUE(wnd.PlayFile(home.file("Clock/one.zck")));
    ASSERT_EQ(fake.loads.size(), 1u);
    EXPECT_EQ(fake.loads[0], home.file("Clock/one.zck"));
    EXPECT_EQ(engine->last().code, device::CMD_LOAD_RECT_DATA);  // the face
    EXPECT_EQ(wnd.controller().State().kind, air::KIND_CLOCK);
    // A file that does not load is reported and nothing starts.
    engine->cmds.clear();
    wnd.controller().OnEngine(device::NOTE_FINISHED, 0, wnd.controller().State().command);
    fake.loadResult = pages::FILE_FORMAT_ERROR;
    EXPECT_FALSE(wnd.PlayFile(home.file("Clock/bad.zck")));
    EXPECT_EQ(boxes.lastText(), "Read error - invalid file format:\n\n" + home.file("Clock/bad.zck"));
    EXPECT_TRUE(engine->cmds.empty());
}
