// The Interactive system view in the on-air frame on the demo data: it opens on the demo's vote,
// Start puts the picture on air, the vote buttons change the statistics and the picture's
// rectangles go to the Device; the hardware lines by "ITVModel"; "Buttons" off hides the vote
// buttons; the settings sheet's pages round-trip the document and OK saves it to the file; the
// voice buttons by the hardware, the write dialog, a transfer's progress and Cancel, the USB
// adapter's files; Clear log asks once.
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <cstring>
#include <functional>

#include "air/air_fakes.h"
#include "air_qt_app.h"
#include "app/profile.h"
#include "demo/demo_root.h"
#include "device/engine.h"
#include "interactive/interactive.h"
#include "interactive/itv_model.h"
#include "interactive/itv_result.h"
#include "interactive/voice_message.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/itv/itv_settings.h"
#include "ui/itv/itv_view.h"
#include "ui/itv/itv_voice.h"
#include "ui_fixture.h"

using namespace ui;

namespace {

class NoCalls final : public interactive::UsbCalls {
public:
    int GetNumber(int, char (&number)[32]) override {
        number[0] = 0;
        return 0;
    }
    int OffHook(int) override { return 0; }
    int Pause(int, int) override { return 0; }
    int PlayFile(int, const std::string&) override { return 0; }
    int Hangup(int) override { return 0; }
};

// The hardware as the view starts it, without any.
class FakeHardware final : public interactive::ItvHardware {
public:
    int OpenAdapter(platform::MessageTarget*) override { return 0; }
    void CloseAdapter() override {}
    bool StartLines(uint8_t, uint16_t) override { return true; }
    bool WriteVoice(uint8_t l, uint16_t length, uint8_t* data) override {
        writes.push_back({l, std::vector<uint8_t>(data, data + length)});
        return true;
    }
    bool ReadVoice(uint8_t, uint8_t* buffer) override {
        readBuffer = buffer;
        return true;
    }
    void AbortVoice() override { ++aborts; }
    void OpenSms(platform::MessageTarget*, int, uint32_t, bool, bool, bool) override { ++smsOpens; }
    void CloseSms() override { ++smsCloses; }
    bool StartUsb(platform::MessageTarget*, const std::string& library, bool, bool, int) override {
        usbLibrary = library;
        ++usbStarts;
        return true;
    }
    void StopUsb() override { ++usbStops; }
    interactive::UsbCalls& usbCalls() override { return calls; }
    uint32_t usbMessage() const override { return 0; }
    NoCalls calls;
    int smsOpens = 0, smsCloses = 0, usbStarts = 0, usbStops = 0;
    std::string usbLibrary;
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> writes;
    std::vector<uint8_t> reads;
    uint8_t* readBuffer = nullptr;
    int aborts = 0;
};

struct ItvViewTest : zxtest::UiTest {
    pages::CFontManager fonts;
    pages::CPageDoc page{fonts};
    pages::CPageImage image;
    device::CEngine engine;  // not opened: the frame plays to the fake commands
    FakeHardware hardware;
    airtest::FakeCommands* cmds = nullptr;
    std::unique_ptr<CAirFrameWnd> wnd;
    CITVView* view = nullptr;
    uint16_t finished = 0;

    void TearDown() override {
        wnd.reset();
        UiTest::TearDown();
    }

    void open(const std::function<void()>& beforeView = {}) {
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
        shared.objects.page = &page;
        shared.objects.pageImage = &image;
        shared.itvHardware = &hardware;
        InstallAirFrame(a, shared);
        if (beforeView) beforeView();
        auto fake = std::make_unique<airtest::FakeCommands>();
        cmds = fake.get();
        wnd = std::make_unique<CAirFrameWnd>(a, std::move(fake), shared.objects);
        wnd->CreateView(app::VIEW_INTERACTIVE);
        wnd->ShowView(app::VIEW_INTERACTIVE);
        view = dynamic_cast<CITVView*>(wnd->view(app::VIEW_INTERACTIVE));
        ASSERT_NE(view, nullptr);
        wnd->resize(1100, 760);
        wnd->show();
        wnd->OpenAir(false);
        wnd->controller().OnEngine(device::NOTE_LINK_UP, 0);
        finishCommands();
    }
    void finishCommands() {
        if (cmds->lastSeq() == finished) return;
        finished = cmds->lastSeq();
        wnd->controller().OnEngine(device::NOTE_FINISHED, 0, finished);
    }
    bool pump(const std::function<bool()>& done, int ms = 20000) {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > ms) return false;
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            finishCommands();
            QThread::msleep(5);
        }
        return true;
    }
    // The picture is on air once the operator's Play has taken it from the cue.
    bool onAir() {
        return pump([this] {
            const air::AirFrameState st = wnd->controller().State();
            if (st.state == air::AIR_CUED) wnd->controller().OnPlay();
            return st.state == air::AIR_ITV_RUN;
        });
    }
    size_t rectCommands() const {
        return size_t(std::count_if(cmds->cmds.begin(), cmds->cmds.end(), [](const airtest::Cmd& c) {
            return c.code == device::CMD_LOAD_RECT || c.code == device::CMD_LOAD_RECT_DATA;
        }));
    }
    bool enabled(int id) const { return view->button(id)->isEnabled(); }
    void click(int id) { QTest::mouseClick(view->button(id), Qt::LeftButton); }
};

}  // namespace

TEST_F(ItvViewTest, VoteButtonsChangeTheStatisticsAndThePicture) {
    open();
    interactive::CITVModel& m = view->model();
    ASSERT_TRUE(m.loaded()) << "the demo's [ITV] FileName opens at once";
    const int answers = m.doc().answers;
    ASSERT_GE(answers, 2);
    EXPECT_TRUE(view->fileName()->text().contains("Vote.zxi"));
    EXPECT_FALSE(view->thumbnail()->pixmap().isNull());
    for (int i = 0; i < interactive::kItvAnswers; ++i)
        EXPECT_EQ(enabled(CITVView::IDC_ITV_VOTE1 + i), i < answers) << "vote button " << i + 1;
    EXPECT_TRUE(enabled(CITVView::IDC_ITV_START));
    EXPECT_FALSE(enabled(CITVView::IDC_ITV_STOP));
    EXPECT_TRUE(enabled(CITVView::IDC_ITV_SETTINGS));
    // The demo's hardware is the GSM modem: its lines show, the USB adapter's do not.
    EXPECT_FALSE(view->gsmBox()->isHidden());
    EXPECT_TRUE(view->usbBox()->isHidden());

    click(CITVView::IDC_ITV_START);
    EXPECT_TRUE(m.running());
    EXPECT_EQ(hardware.smsOpens, 1) << "the demo's modem opens";
    EXPECT_TRUE(enabled(CITVView::IDC_ITV_STOP));
    EXPECT_FALSE(enabled(CITVView::IDC_ITV_OPEN));
    EXPECT_FALSE(enabled(CITVView::IDC_ITV_SETTINGS));
    ASSERT_TRUE(onAir());
    // Let the first picture settle in both halves.
    pump([] { return false; }, 1500);

    const size_t before = rectCommands();
    click(CITVView::IDC_ITV_VOTE1);
    click(CITVView::IDC_ITV_VOTE1);
    click(CITVView::IDC_ITV_VOTE1 + 1);
    EXPECT_EQ(view->votesText(0)->text(), "2");
    EXPECT_EQ(view->votesText(1)->text(), "1");
    EXPECT_EQ(view->totalText()->text(), "3");
    EXPECT_TRUE(view->percentText(0)->text().startsWith("66")) << view->percentText(0)->text().toStdString();
    EXPECT_TRUE(view->percentText(1)->text().startsWith("33")) << view->percentText(1)->text().toStdString();
    EXPECT_GT(view->scale(0)->value(), view->scale(1)->value());
    EXPECT_EQ(m.counter().log().size(), 3u);
    // The changed values go to the Device at the picture's tick.
    EXPECT_TRUE(pump([&] { return rectCommands() > before; }, 5000));
    EXPECT_TRUE(enabled(CITVView::IDC_ITV_SAVE_LOG) == false) << "the log is saved once stopped";

    click(CITVView::IDC_ITV_STOP);
    EXPECT_FALSE(m.running());
    EXPECT_TRUE(enabled(CITVView::IDC_ITV_SAVE_LOG));
    EXPECT_TRUE(enabled(CITVView::IDC_ITV_CLEAR_LOG));

    // The switches and the temperature reach the picture.
    view->showClock()->setChecked(false);
    EXPECT_FALSE(m.picture().showClock);
    view->temperature()->setText("-7");
    click(CITVView::IDC_ITV_UPDATE);
    EXPECT_EQ(m.picture().temperature, -7);
}

TEST_F(ItvViewTest, BackFromLiveModeThePictureIsSetUpAgainNotAfterAMinimise) {
    open();
    view->Start();
    ASSERT_TRUE(onAir());
    // The window hidden and shown again: the picture stays on air.
    wnd->hide();
    wnd->show();
    QApplication::processEvents();
    EXPECT_EQ(wnd->controller().State().state, air::AIR_ITV_RUN);
    // Another view of the frame, then this one again: cleared, and cued again.
    view->Stop();
    wnd->CreateView(app::VIEW_LIVE);
    wnd->ShowView(app::VIEW_LIVE);
    wnd->ShowView(app::VIEW_INTERACTIVE);
    ASSERT_TRUE(view->model().loaded());
    EXPECT_NE(wnd->controller().State().state, air::AIR_ITV_RUN);
    EXPECT_TRUE(onAir()) << "the prepared picture is played again";
}

TEST_F(ItvViewTest, HardwareLinesAndButtonsSetting) {
    open([this] {
        a.settings().itv = 1;
        a.settings().itvModel = interactive::ITV_MODEL_USB;
        a.profile().putInt("ITV", "Buttons", 0);
        a.profile().putString("Hardware", "VoiceBoardPath", "sim");
    });
    EXPECT_TRUE(view->gsmBox()->isHidden());
    EXPECT_FALSE(view->usbBox()->isHidden());
    EXPECT_TRUE(view->button(CITVView::IDC_ITV_VOTE1)->isHidden()) << "Buttons=0 hides the vote buttons";
    view->Start();
    EXPECT_TRUE(view->model().running());
    EXPECT_EQ(hardware.usbStarts, 1);
    EXPECT_EQ(hardware.usbLibrary, "sim") << "the library the settings name";
    view->Stop();
    EXPECT_EQ(hardware.usbStops, 1);
    EXPECT_FALSE(view->usbStatus()->text().isEmpty());
}

TEST_F(ItvViewTest, SettingsSheetPagesRoundTripAndOkSaves) {
    open();
    interactive::CITVDoc doc = view->model().doc();
    doc.lineTable = {2, 0, 1, 0, 0, 0, 0, 0};
    doc.decimals = 1;
    interactive::CITVDoc applied;
    int applies = 0;
    bool result = false;
    {
        CITVSettingsSheet sheet(doc, [&](const interactive::CITVDoc& d) {
            applied = d;
            ++applies;
            return result;
        });
        ASSERT_EQ(sheet.tabs()->count(), 4);
        EXPECT_EQ(sheet.tabs()->tabText(3), "Phone lines");
        EXPECT_EQ(sheet.windowTitle(), "Interactive system settings");
        EXPECT_TRUE(sheet.line(0)->isChecked());
        EXPECT_FALSE(sheet.line(1)->isChecked());
        EXPECT_FALSE(sheet.lineAnswer(1)->isEnabled()) << "an unchecked line's list is off";
        EXPECT_EQ(sheet.lineAnswer(0)->currentIndex(), 1);
        EXPECT_TRUE(sheet.lineAnswer(0)->itemText(0).startsWith("Answer #1"));
        EXPECT_EQ(sheet.answer(doc.answers)->isEnabled(), false) << "answers past the count are off";
        // Unchanged, the sheet gives the document back.
        EXPECT_EQ(sheet.edited().Serialize(), doc.Serialize());

        sheet.question()->setPlainText("Who wins?");
        sheet.answer(0)->setText("Red");
        sheet.keyword(0)->setText("RED");
        sheet.line(0)->setChecked(false);
        sheet.line(1)->setChecked(true);
        sheet.tabs()->setCurrentIndex(3);
        EXPECT_EQ(sheet.lineAnswer(1)->itemText(0), "Answer #1 - Red - RED");
        sheet.lineAnswer(1)->setCurrentIndex(0);
        sheet.decimals()->setCurrentIndex(2);
        sheet.ignoreDuplicates()->setChecked(true);
        sheet.show();
        sheet.accept();
        EXPECT_EQ(applies, 1);
        EXPECT_TRUE(sheet.isVisible()) << "a failed save keeps the sheet open";
        result = true;
        sheet.accept();
        EXPECT_FALSE(sheet.isVisible());
    }
    EXPECT_EQ(applied.question, "Who wins?");
    EXPECT_EQ(applied.answerTexts[0], "Red");
    EXPECT_EQ(applied.keywords[0], "RED");
    EXPECT_EQ(applied.lineTable[0], 0);
    EXPECT_EQ(applied.lineTable[1], 1);
    EXPECT_EQ(applied.lineTable[2], 1);
    EXPECT_EQ(applied.decimals, 2);
    EXPECT_TRUE(applied.ignoreDuplicates);

    // Through the model: OK saves the file, which reads back the same.
    const std::string file = view->model().settings().fileName;
    ASSERT_TRUE(view->model().ApplySettings(applied));
    interactive::CITVDoc reread;
    ASSERT_EQ(reread.Load(file), 0);
    EXPECT_EQ(reread.question, "Who wins?");
    EXPECT_EQ(reread.lineTable[1], 1);
}

TEST_F(ItvViewTest, VoiceButtonsFollowTheHardwareAndATransferShowsItsProgressAndCancel) {
    open([this] {
        a.settings().itv = 1;
        a.settings().itvModel = interactive::ITV_MODEL_ADAPTER2;
    });
    interactive::CITVModel& m = view->model();
    EXPECT_TRUE(enabled(CITVView::IDC_ITV_WRITE_VOICE));
    EXPECT_TRUE(enabled(CITVView::IDC_ITV_READ_VOICE));
    EXPECT_TRUE(view->button(CITVView::IDC_ITV_CANCEL_VOICE)->isHidden());

    // The dialog: the lines that count for an answer checked at first, OK once there is a
    // message; "Clear voice message" forgets the file.
    {
        CVoiceWriteDialog d(m, 0x03);
        EXPECT_TRUE(d.line(0)->isChecked());
        EXPECT_TRUE(d.line(1)->isChecked());
        EXPECT_FALSE(d.line(2)->isChecked());
        EXPECT_FALSE(d.okButton()->isEnabled());
        ASSERT_TRUE(interactive::SaveVoiceWav(home.file("hello.wav"), std::vector<uint8_t>(12000, 0xFF)));
        ASSERT_TRUE(d.choose(home.file("hello.wav")));
        EXPECT_EQ(d.playTime()->text(), "1.5 s");
        EXPECT_TRUE(d.okButton()->isEnabled());
        EXPECT_EQ(d.request().message.size(), 12000u);
        EXPECT_EQ(d.request().lines, 0x03);
        d.clear()->setChecked(true);
        EXPECT_TRUE(d.file()->text().isEmpty());
        EXPECT_EQ(d.request().message, interactive::ClearVoiceMessage());
        for (int i = 0; i < interactive::kItvAnswers; ++i) d.line(i)->setChecked(false);
        EXPECT_FALSE(d.okButton()->isEnabled()) << "no line to write";
        EXPECT_FALSE(d.choose(home.file("none.wav")));
        EXPECT_NE(boxes.lastText().find("Error opening audio file:"), std::string::npos);
    }

    // A transfer: every button off, Cancel shown; Cancel aborts it.
    ASSERT_TRUE(m.WriteVoice({0x01, {1, 2, 3}}));
    EXPECT_FALSE(enabled(CITVView::IDC_ITV_WRITE_VOICE));
    EXPECT_FALSE(enabled(CITVView::IDC_ITV_START));
    EXPECT_FALSE(enabled(CITVView::IDC_ITV_OPEN));
    ASSERT_FALSE(view->button(CITVView::IDC_ITV_CANCEL_VOICE)->isHidden());
    EXPECT_TRUE(wnd->progress()->isVisible()) << "the progress in the status bar";
    click(CITVView::IDC_ITV_CANCEL_VOICE);
    EXPECT_EQ(hardware.aborts, 1);
    view->engineTarget().post(platform::MSG_INTERACTIVE, interactive::ITV_NOTE_DONE, interactive::ITV_ABORTED);
    ASSERT_TRUE(pump([&] { return !m.transferRunning(); }, 5000));
    EXPECT_TRUE(view->button(CITVView::IDC_ITV_CANCEL_VOICE)->isHidden());
    EXPECT_FALSE(wnd->progress()->isVisible());
    EXPECT_TRUE(enabled(CITVView::IDC_ITV_WRITE_VOICE));
    EXPECT_NE(boxes.lastText().find("Voice message operation aborted!"), std::string::npos);

    // Running: no voice messages.
    view->Start();
    EXPECT_FALSE(enabled(CITVView::IDC_ITV_WRITE_VOICE));
    EXPECT_FALSE(enabled(CITVView::IDC_ITV_READ_VOICE));
}

TEST_F(ItvViewTest, WithTheUsbAdapterTheWriteButtonChoosesTheLinesFilesAndReadingIsOff) {
    open([this] {
        a.settings().itv = 1;
        a.settings().itvModel = interactive::ITV_MODEL_USB;
        a.profile().putString("ITV", "SoundFile2", "/old/two.wav");
    });
    EXPECT_TRUE(enabled(CITVView::IDC_ITV_WRITE_VOICE));
    EXPECT_FALSE(enabled(CITVView::IDC_ITV_READ_VOICE));
    zxtest::WhenModal([this](QWidget* modal) {
        auto* d = dynamic_cast<CSoundFilesDialog*>(modal);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->windowTitle(), "Write voice message");
        EXPECT_EQ(d->file(1)->text(), "/old/two.wav");
        d->choose(0, home.file("tea.wav"));
        d->file(1)->clear();
        d->accept();
    });
    click(CITVView::IDC_ITV_WRITE_VOICE);
    EXPECT_EQ(view->model().settings().soundFiles[0], home.file("tea.wav"));
    EXPECT_EQ(a.profile().getString("ITV", "SoundFile1"), home.file("tea.wav"));
    EXPECT_EQ(a.profile().getString("ITV", "SoundFile2"), "");
}

TEST_F(ItvViewTest, ClearLogAsksOnceAboutAnUnsavedLog) {
    open();
    view->Vote(1);
    boxes.setQuestionAnswer(app::IDNO);
    const int before = boxes.count();
    click(CITVView::IDC_ITV_CLEAR_LOG);
    EXPECT_EQ(boxes.count(), before + 1);
    EXPECT_EQ(view->model().counter().total(), 0);
}
