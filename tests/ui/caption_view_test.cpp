// The Captions view in the on-air frame: the demo's caption page and captions, F2 with the caret
// in the text box, the counters and buttons, the preview, the code page at the text box.
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>

#include "air/air_fakes.h"
#include "air/captions.h"
#include "air_qt_app.h"
#include "app/profile.h"
#include "demo/demo_captions.h"
#include "demo/demo_root.h"
#include "device/engine.h"
#include "pages/font_manager.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/air/caption_view.h"
#include "ui/translate.h"
#include "ui_fixture.h"

using namespace ui;

namespace {

struct CaptionViewTest : zxtest::UiTest {
    pages::CFontManager fonts;
    device::CEngine engine;

    void prepare() {
        demo::DemoResult r;
        std::string error;
        ASSERT_TRUE(demo::MakeDemoRoot(home.path(), {}, r, error)) << error;
        a.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", home.path()}));
        a.setDeviceLink(&fakeLink);
        a.StartHardware();
        fonts.setFolder(a.GetPath(app::FOLDER_FONTS));
        fonts.Enumerate();
        AirShared shared;
        shared.engine = &engine;
        InstallAirFrame(a, shared);
    }
    static void key(QWidget* w, int k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier);
        QApplication::sendEvent(w, &release);
    }
};

}  // namespace

TEST_F(CaptionViewTest, TheDemoCaptionsGoOnAirWithF2FromTheTextBox) {
    prepare();
    auto fake = std::make_unique<airtest::FakeCommands>();
    airtest::FakeCommands* cmds = fake.get();
    CAirFrameWnd wnd(a, std::move(fake), {});
    wnd.CreateView(app::VIEW_CAPTIONS);
    wnd.ShowView(app::VIEW_CAPTIONS);
    auto* view = dynamic_cast<CCaptionView*>(wnd.view(app::VIEW_CAPTIONS));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(DialogId(view), 321);
    // Every control carries its resource id.
    for (int id : {1273, 1275, 1277, 1233, 1310, 1034, 1072, 1073, 1232, 1228})
        ASSERT_NE(view->button(id), nullptr) << id;
    EXPECT_EQ(ResourceId(view->textBox()), 1050);
    EXPECT_EQ(ResourceId(view->delay()), 1305);
    EXPECT_EQ(ResourceId(view->border()), 1215);
    EXPECT_EQ(ResourceId(view->fade()), 1306);
    EXPECT_EQ(ResourceId(view->fast()), 1307);
    // The demo's settings.
    EXPECT_EQ(view->delay()->value(), 5);
    EXPECT_EQ(view->border()->value(), 2);
    EXPECT_TRUE(view->fade()->isChecked());
    EXPECT_FALSE(view->button(1228)->isEnabled());
    EXPECT_FALSE(view->button(1277)->isEnabled());

    wnd.OpenAir(false);
    air::CAirFrame& c = wnd.controller();
    c.OnEngine(device::NOTE_LINK_UP, 0);
    c.OnEngine(device::NOTE_FINISHED, 0, cmds->lastSeq());
    ASSERT_TRUE(view->OpenPageFile(home.file(demo::kCaptionPage)));
    ASSERT_TRUE(view->LoadCaptionsFile(home.file(demo::kCaptionTitles)));
    EXPECT_EQ(view->pageNumber()->text(), "1");
    EXPECT_EQ(view->pageCount()->text(), "12");
    EXPECT_EQ(view->textBox()->toPlainText(), "Good evening and welcome to the news");
    EXPECT_TRUE(view->button(1228)->isEnabled());
    EXPECT_FALSE(view->button(1034)->isEnabled());
    EXPECT_TRUE(view->button(1073)->isEnabled());

    // F2 with the caret in the text box.
    view->textBox()->setFocus();
    key(view->textBox(), Qt::Key_F2);
    EXPECT_EQ(cmds->last().code, device::CMD_LOAD_RECT);
    EXPECT_EQ(cmds->last().rect.left, 60);
    EXPECT_EQ(cmds->last().rect.top, 464);
    EXPECT_EQ(view->pageNumber()->text(), "2");
    EXPECT_EQ(view->pageCount()->text(), "12");
    EXPECT_EQ(view->textBox()->toPlainText(), QString::fromUtf8("Добрый вечер!\nВы смотрите вечерние новости"));
    // Cued, and on air at once: the preview shows the caption, the files are locked.
    c.OnEngine(device::NOTE_FINISHED, 0, cmds->lastSeq());
    EXPECT_EQ(cmds->last().code, device::CMD_IN_EFFECT);
    EXPECT_FALSE(view->preview()->image().isNull());
    EXPECT_EQ(view->preview()->image().width(), 300);
    EXPECT_FALSE(view->button(1273)->isEnabled());
    EXPECT_FALSE(view->button(1275)->isEnabled());
    EXPECT_FALSE(view->button(1233)->isEnabled());
    EXPECT_TRUE(view->button(1228)->isEnabled());
    zxtest::SaveScreenshot(wnd, "caption_view");

    // A character the code page lacks shows replaced at once.
    view->textBox()->setPlainText(QString::fromUtf8("Ваш 中 ход"));
    EXPECT_EQ(view->textBox()->toPlainText(), QString::fromUtf8("Ваш ? ход"));
    EXPECT_EQ(view->model().Text(), "\xC2\xE0\xF8 ? \xF5\xEE\xE4");

    // The settings go back at destroy.
    view->delay()->setValue(7);
    wnd.DestroyView(app::VIEW_CAPTIONS);
    app::Profile ini(a.iniPath());
    EXPECT_EQ(ini.getInt("Captions", "TimeBase", -1), 7);
    EXPECT_EQ(ini.getString("Captions", "TitlesFile"), home.file(demo::kCaptionTitles));
}
