// The interactive system's view rules and on-air picture against the air frame in simulated time
// (the Device's commands recorded) with the hardware a stand-in: the picture's values and
// rectangles in both halves, the bars, the clock; Start and Stop for every "ITVModel", votes
// from the buttons, the adapter, the USB ports and SMS; the log and the buttons.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "air/air_frame_fixture.h"
#include "app/profile.h"
#include "interactive/interactive.h"
#include "interactive/itv_model.h"
#include "interactive/itv_result.h"
#include "interactive/voice_message.h"
#include "pages/bitmap_font.h"
#include "pages/device_picture.h"
#include "pages/file_result.h"
#include "pages/font_test_util.h"
#include "pages/page_frame.h"
#include "voiceboardsim/voiceboard.h"

using namespace interactive;
using airtest::AirFrameFixture;

namespace {

class FakeCalls final : public UsbCalls {
public:
    int GetNumber(int, char (&number)[32]) override {
        std::strcpy(number, "5557777");
        return 0;
    }
    int OffHook(int) override { return 0; }
    int Pause(int, int) override { return 0; }
    int PlayFile(int, const std::string&) override { return 0; }
    int Hangup(int) override { return 0; }
};

class FakeHardware final : public ItvHardware {
public:
    int OpenAdapter(platform::MessageTarget*) override {
        ++adapterOpens;
        return adapterResult;
    }
    void CloseAdapter() override { ++adapterCloses; }
    bool StartLines(uint8_t l, uint16_t v) override {
        lines = l;
        value = v;
        return true;
    }
    bool WriteVoice(uint8_t l, uint16_t length, uint8_t* data) override {
        writes.push_back({l, std::vector<uint8_t>(data, data + length)});
        return true;
    }
    bool ReadVoice(uint8_t mask, uint8_t* buffer) override {
        reads.push_back(mask);
        readBuffer = buffer;
        return true;
    }
    void AbortVoice() override { ++aborts; }
    void OpenSms(platform::MessageTarget*, int port, uint32_t baud, bool list, bool del, bool me) override {
        ++smsOpens;
        smsArgs = {port, int(baud), list, del, me};
    }
    void CloseSms() override { ++smsCloses; }
    bool StartUsb(platform::MessageTarget*, const std::string& library, bool, bool, int) override {
        usbLibrary = library;
        return usbOk;
    }
    void StopUsb() override { ++usbStops; }
    UsbCalls& usbCalls() override { return calls; }
    uint32_t usbMessage() const override { return 0xC123; }

    FakeCalls calls;
    int adapterResult = 0, adapterOpens = 0, adapterCloses = 0, smsOpens = 0, smsCloses = 0, usbStops = 0;
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> writes;
    std::vector<uint8_t> reads;
    std::string usbLibrary;
    uint8_t* readBuffer = nullptr;
    int aborts = 0;
    uint8_t lines = 0;
    uint16_t value = 0;
    bool usbOk = true;
    struct {
        int port = -1, baud = 0;
        bool list = false, del = false, me = false;
    } smsArgs;
};

class Panel final : public ItvPanel {
public:
    void ShowProgress(const std::string& t, int r) override {
        progressText = t;
        range = r;
        progress = 0;
    }
    void StepProgress(int v) override { progress = v; }
    void HideProgress() override { range = -1; }
    std::string AskVoicePath(const std::string&) override { return voicePath; }
    void GsmStatusChanged(const std::string& t) override { gsm = t; }
    void UsbStatusChanged(const std::string& t) override { usb = t; }
    void SmsCountChanged(int n) override { sms = n; }
    void Beep() override { ++beeps; }
    std::string AskLogPath(const std::string&) override { return logPath; }
    std::string gsm, usb, logPath, voicePath, progressText;
    int sms = -1, beeps = 0, range = -1, progress = 0;
};

constexpr uint32_t kGreen = 0x0000FF00, kRed = 0x000000FF;
const pages::Rect kBar1{100, 100, 140, 400};  // upright: grows from the bottom
const pages::Rect kBar2{200, 100, 602, 140};  // lying: grows from the left

struct ItvModelTest : AirFrameFixture {
    FakeHardware hardware;
    Panel panel;
    std::unique_ptr<CITVModel> model;

    std::string settings() const override { return "[Hardware]\nITV=1\nITVModel=0\nITVPortNo=2\nUseME=1\n"; }

    void SetUp() override {
        AirFrameFixture::SetUp();
        platform::MakeDirectories(dir.file("Fonts"));
        fonttest::WriteBlockFont(fonts, dir.file("Fonts/Block.bmf"));
        fonts.setFolder(dir.file("Fonts/"));
        fonts.Enumerate();
    }
    void TearDown() override {
        model.reset();
        AirFrameFixture::TearDown();
    }

    int addFrame(pages::CPageDoc& doc, const std::string& name, const pages::Rect& r, uint32_t colour = 0xFF000000) {
        pages::FrameFormat ff;
        ff.colour = colour;
        pages::TextFormat tf;
        tf.setFontName("Block");
        tf.colour = 0x00FFFFFF;
        const int i = doc.CreateFrame(r, ff, pages::ParaFormat{}, tf, name);
        doc.frame(i)->InsertText("old", fonts);
        return i;
    }
    // A page with every kind of binding and its system; answers the system's path.
    std::string writeSystem(bool blinking = true) {
        pages::CPageDoc doc(fonts);
        addFrame(doc, "Question", {40, 20, 680, 60});
        addFrame(doc, "A1", {40, 420, 200, 460});
        addFrame(doc, "Bar1", kBar1, kGreen);
        addFrame(doc, "Bar2", kBar2, kRed);
        addFrame(doc, "V1", {40, 470, 120, 500});
        addFrame(doc, "V2", {140, 470, 220, 500});
        addFrame(doc, "P1", {240, 470, 360, 500});
        addFrame(doc, "C1", {380, 470, 560, 500});
        addFrame(doc, "Total", {580, 470, 680, 500});
        addFrame(doc, "Clock", {580, 520, 680, 550});
        addFrame(doc, "Temp", {460, 520, 560, 550});
        pages::CPageImage img;
        img.Compile(doc, pages::COMPILE_THUMBNAIL | pages::COMPILE_DEVICE);
        EXPECT_EQ(doc.Save(dir.file("Pages/Vote.zxg"), img), 0);

        CITVDoc d;
        d.answers = 2;
        d.SetPageFile(dir.file("Pages/Vote.zxg"), dir.file("Pages/"));
        d.bindings[ITV_ROW_ANSWER][0] = "A1";
        d.bindings[ITV_ROW_SCALE][0] = "Bar1";
        d.bindings[ITV_ROW_SCALE][1] = "Bar2";
        d.bindings[ITV_ROW_VOTES][0] = "V1";
        d.bindings[ITV_ROW_VOTES][1] = "V2";
        d.bindings[ITV_ROW_PERCENT][0] = "P1";
        d.bindings[ITV_ROW_CALLER][0] = "C1";
        d.bindings[ITV_ROW_OTHER][ITV_COL_QUESTION] = "Question";
        d.bindings[ITV_ROW_OTHER][ITV_COL_TOTAL] = "Total";
        d.bindings[ITV_ROW_OTHER][ITV_COL_CLOCK] = "Clock";
        d.bindings[ITV_ROW_OTHER][ITV_COL_TEMPERATURE] = "Temp";
        d.question = "Which?";
        d.answerTexts = {"Tea", "Coffee"};
        d.keywords = {"tea", "coffee"};
        d.DefaultLineTable();
        d.blinkingSeparator = blinking;
        EXPECT_EQ(d.Save(dir.file("Vote.zxi")), 0);
        return dir.file("Vote.zxi");
    }
    void makeModel() {
        open();
        model = std::make_unique<CITVModel>(app, fonts, *frame, loop, clock, hardware);
        model->setPanel(&panel);
    }
    // The air frame takes the interactive picture up to on air.
    void playToAir() {
        for (int i = 0; i < 40 && state() != air::AIR_ITV_RUN; ++i) {
            if (state() == air::AIR_CUED) frame->OnPlay();
            else finish();
            if (state() != air::AIR_ITV_RUN && state() != air::AIR_CUED) advance(100);
        }
        ASSERT_EQ(state(), air::AIR_ITV_RUN);
    }
    static bool PixelIs(const pages::CBitmap32& b, int x, int y, uint32_t colour) { return b.colourAt(x, y) == colour; }
};

}  // namespace

TEST_F(ItvModelTest, PictureValuesBarsAndBothHalves) {
    const std::string path = writeSystem();
    makeModel();
    ASSERT_EQ(model->Load(path), 0);
    CITVPicture& pic = model->picture();
    pic.showClock = false;
    pic.PrepareBase();
    ASSERT_TRUE(pic.prepared());
    EXPECT_EQ(pic.FullPicture().size(), size_t(pages::DEVICE_STILL_SIZE));

    pic.Rebuild();
    // The first half: every changing binding once (the two bars, two counts, percent, caller,
    // total, the clock switched off drawn empty, the temperature).
    int entries = 0;
    for (; !pic.QueueEmpty(); pic.PopFront()) ++entries;
    EXPECT_EQ(entries, 9);
    EXPECT_EQ(pic.drawnValue(0, ITV_ROW_VOTES, 0), 0);
    EXPECT_EQ(pic.drawnValue(1, ITV_ROW_VOTES, 0), -2) << "the other half has not been drawn";
    EXPECT_FALSE(pic.Update()) << "nothing changed in this half";

    // The other half gets every binding as well, and nothing of the base: the Device keys these
    // rectangles over the base picture.
    pic.SetBufferFlag(true);
    ASSERT_TRUE(pic.Update());
    entries = 0;
    for (; !pic.QueueEmpty(); pic.PopFront()) {
        EXPECT_LT(pic.Front().pixels.size(), size_t(pages::DEVICE_STILL_SIZE));
        ++entries;
    }
    EXPECT_EQ(entries, 9);

    // Three votes for the first answer, one for the second: scales 7500 and 2500.
    model->VoteButton(1);
    model->VoteButton(1);
    model->VoteButton(1);
    model->VoteButton(2);
    ASSERT_TRUE(pic.Update());
    std::vector<device::Rect> rects;
    for (; !pic.QueueEmpty(); pic.PopFront()) {
        const air::AirInteractive::Entry e = pic.Front();
        EXPECT_EQ(e.pixels.size(), pages::DeviceBlockSize(e.rect.right - e.rect.left, e.rect.bottom - e.rect.top));
        rects.push_back(e.rect);
    }
    EXPECT_EQ(rects.size(), 7u) << "bars, counts, percent, total and the caller frame (its last vote moved)";
    pic.SetBufferFlag(false);
    EXPECT_TRUE(pic.Update()) << "the same change goes into the first half in turn";
    while (!pic.QueueEmpty()) pic.PopFront();
    EXPECT_EQ(pic.drawnValue(0, ITV_ROW_SCALE, 0), 7500);
    EXPECT_EQ(pic.drawnValue(1, ITV_ROW_SCALE, 0), 7500);

    // The upright bar: 300 × 0.75 = 225 pixels from the bottom edge.
    const pages::CBitmap32& c = pic.overlay();
    EXPECT_TRUE(PixelIs(c, 120, kBar1.bottom - 1, kGreen));
    EXPECT_TRUE(PixelIs(c, 120, kBar1.bottom - 225, kGreen));
    EXPECT_TRUE(PixelIs(c, 120, kBar1.bottom - 226, 0xFF000000));
    // The lying bar: 402 × 0.25 = 100.5, 100 pixels (even) from the left edge.
    EXPECT_TRUE(PixelIs(c, kBar2.left, 120, kRed));
    EXPECT_TRUE(PixelIs(c, kBar2.left + 99, 120, kRed));
    EXPECT_TRUE(PixelIs(c, kBar2.left + 100, 120, 0xFF000000));
    EXPECT_EQ(pic.Text(ITV_ROW_PERCENT, 0, model->counter().percent(0)), "75 %");
}

TEST_F(ItvModelTest, ClockTemperatureAndSwitchedOffFrames) {
    const std::string path = writeSystem(true);
    makeModel();
    ASSERT_EQ(model->Load(path), 0);
    CITVPicture& pic = model->picture();
    pic.PrepareBase();
    pic.Rebuild();
    while (!pic.QueueEmpty()) pic.PopFront();
    // The clock is drawn on every update, its separator blinking.
    const int64_t first = pic.drawnValue(0, ITV_ROW_OTHER, ITV_COL_CLOCK);
    ASSERT_TRUE(pic.Update());
    int n = 0;
    for (; !pic.QueueEmpty(); pic.PopFront()) ++n;
    EXPECT_EQ(n, 1);
    const int64_t second = pic.drawnValue(0, ITV_ROW_OTHER, ITV_COL_CLOCK);
    EXPECT_EQ(second, first + 1);
    const std::string a = pic.Text(ITV_ROW_OTHER, ITV_COL_CLOCK, first);
    const std::string b = pic.Text(ITV_ROW_OTHER, ITV_COL_CLOCK, second);
    EXPECT_EQ(a.size(), 5u);
    EXPECT_NE(a.find(':') == std::string::npos, b.find(':') == std::string::npos) << a << "|" << b;

    EXPECT_EQ(pic.Text(ITV_ROW_OTHER, ITV_COL_TEMPERATURE, 20), "+20OC");
    EXPECT_EQ(pic.Text(ITV_ROW_OTHER, ITV_COL_TEMPERATURE, -5), " -5OC");
    // Switching the temperature off draws its frame empty; on again at 0 degrees draws it again.
    model->SetShowTemperature(false);
    model->SetShowClock(false);
    ASSERT_TRUE(pic.Update());
    while (!pic.QueueEmpty()) pic.PopFront();
    model->UpdateTemperature("0");
    model->SetShowTemperature(true);
    EXPECT_TRUE(pic.Update());
    EXPECT_EQ(pic.drawnValue(0, ITV_ROW_OTHER, ITV_COL_TEMPERATURE), 0);
}

TEST_F(ItvModelTest, MissingFrameStopsTheLoad) {
    std::string path = writeSystem();
    CITVDoc d;
    ASSERT_EQ(d.Load(path), 0);
    d.bindings[ITV_ROW_VOTES][1] = "Gone";
    ASSERT_EQ(d.Save(path), 0);
    makeModel();
    EXPECT_EQ(model->Load(path), IDS_ITV_FRAME_NOT_FOUND);
    EXPECT_EQ(boxes.lastText(), "Frame Gone not found!");
    EXPECT_FALSE(model->loaded());
    EXPECT_FALSE(model->Buttons().start);
    EXPECT_EQ(model->Load(dir.file("none.zxi")), pages::FILE_OPEN_ERROR);
}

TEST_F(ItvModelTest, StartGoesOnAirAndAdapterCallsVote) {
    app.settings().itvModel = 1;
    const std::string path = writeSystem();
    makeModel();
    ASSERT_EQ(model->Load(path), 0);
    EXPECT_TRUE(model->Buttons().start);
    model->Start();
    EXPECT_TRUE(model->starting());
    EXPECT_FALSE(model->running());
    EXPECT_EQ(hardware.lines, 0x03);
    EXPECT_EQ(hardware.value, 3);
    playToAir();
    EXPECT_TRUE(frame->IsOnAir());

    model->OnMessage(platform::MSG_INTERACTIVE, ITV_NOTE_DONE, 0);
    EXPECT_TRUE(model->running());
    EXPECT_TRUE(model->Buttons().stop);
    EXPECT_FALSE(model->Buttons().open);

    CallRecord r;
    r.line = 1;
    std::strcpy(r.number, "5551234");
    r.hasNumber = 1;
    model->OnMessage(platform::MSG_INTERACTIVE, ITV_NOTE_CALL, intptr_t(&r));
    EXPECT_EQ(model->counter().votes(1), 1);
    EXPECT_EQ(model->Row(1).votes, "1");
    EXPECT_EQ(model->Row(1).percent, "100 %");
    EXPECT_EQ(model->Row(1).number, "5551234") << "the number shows on the answer it voted for";
    EXPECT_EQ(model->Row(0).number, "");
    EXPECT_EQ(model->counter().log().back().call.line, 2);

    // The picture's tick takes the change on air: rectangles into the hidden half, then a flip.
    advance(500);
    EXPECT_EQ(state(), air::AIR_ITV_UPDATING);
    playToAir();

    // The last caller's number is forgotten after three seconds.
    r.line = 0;
    model->OnMessage(platform::MSG_INTERACTIVE, ITV_NOTE_CALL, intptr_t(&r));
    EXPECT_EQ(model->Row(0).number, "5551234");
    clock.advance(3100);
    model->Tick();
    EXPECT_EQ(model->Row(0).number, "");

    EXPECT_FALSE(model->CanClose()) << "running with hardware";
    EXPECT_EQ(panel.beeps, 1);
    // A poll failure shows its message and stops.
    model->OnMessage(platform::MSG_INTERACTIVE, ITV_NOTE_POLL_STOPPED, 2);
    EXPECT_FALSE(model->running());
    EXPECT_EQ(hardware.adapterCloses, 1);
    EXPECT_EQ(boxes.lastText(), app::LoadString(18531));
}

TEST_F(ItvModelTest, AdapterThatCannotOpen) {
    app.settings().itvModel = 0;
    const std::string path = writeSystem();
    hardware.adapterResult = ITV_NO_PORT;
    makeModel();
    ASSERT_EQ(model->Load(path), 0);
    model->Start();
    EXPECT_FALSE(model->running());
    EXPECT_FALSE(model->starting());
    EXPECT_EQ(boxes.lastText(), app::LoadString(18530));
    hardware.adapterResult = 0;
    model->Start();
    model->OnMessage(platform::MSG_INTERACTIVE, ITV_NOTE_DONE, ITV_NO_REPLY);
    EXPECT_FALSE(model->running()) << "an error notification stops the view";
}

TEST_F(ItvModelTest, GsmVotesKeepTheDocumentsLineTable) {
    app.settings().itvModel = 2;
    std::string path = writeSystem();
    CITVDoc d;
    ASSERT_EQ(d.Load(path), 0);
    d.lineTable = {2, 1, 0, 0, 0, 0, 0, 0};  // crossed phone lines
    ASSERT_EQ(d.Save(path), 0);
    makeModel();
    ASSERT_EQ(model->Load(path), 0);
    model->Start();
    EXPECT_TRUE(model->running());
    EXPECT_EQ(hardware.smsOpens, 1);
    EXPECT_EQ(hardware.smsArgs.port, 2);
    EXPECT_TRUE(hardware.smsArgs.list && hardware.smsArgs.del && hardware.smsArgs.me);
    EXPECT_EQ(panel.gsm, "Connecting...");

    sms::SMSStatus st;
    st.status = sms::SMS_PORT_FAILED;
    model->OnMessage(sms::WM_SMSENGINE_NOTIFY, sms::SMS_NOTE_STATUS, intptr_t(&st));
    EXPECT_EQ(panel.gsm, app::LoadString(18536));

    sms::SMSRecord r;
    r.kind = sms::SMS_KIND_DELIVER;
    std::strcpy(r.number, "+491701");
    std::strcpy(r.text, "one Tea please");
    r.textLength = int(std::strlen(r.text));
    model->OnMessage(sms::WM_SMSENGINE_NOTIFY, sms::SMS_NOTE_RECORD, intptr_t(&r));
    std::strcpy(r.text, "nothing to see");
    r.textLength = int(std::strlen(r.text));
    model->OnMessage(sms::WM_SMSENGINE_NOTIFY, sms::SMS_NOTE_RECORD, intptr_t(&r));
    r.kind = sms::SMS_KIND_STATUS_REPORT;
    model->OnMessage(sms::WM_SMSENGINE_NOTIFY, sms::SMS_NOTE_RECORD, intptr_t(&r));
    EXPECT_EQ(model->counter().votes(0), 1) << "tea is answer 1, whatever the phone lines say";
    EXPECT_EQ(model->counter().total(), 1);
    EXPECT_EQ(model->counter().log().size(), 1u) << "a message without a keyword is no vote";
    EXPECT_EQ(panel.sms, 3) << "every message counts, status reports too";
    EXPECT_EQ(model->Row(0).number, "+491701");

    model->Stop();
    EXPECT_EQ(hardware.smsCloses, 1);
    EXPECT_EQ(panel.gsm, "Disconnected");
    EXPECT_EQ(model->doc().lineTable[0], 2);
    EXPECT_EQ(model->counter().rules().lineTable[0], 2) << "the document's table is back";
}

TEST_F(ItvModelTest, UsbPortsVote) {
    app.settings().itvModel = 3;
    const std::string path = writeSystem();
    makeModel();
    ASSERT_EQ(model->Load(path), 0);
    model->Start();
    ASSERT_TRUE(model->running());
    const uint32_t msg = hardware.usbMessage();
    auto event = [&](int e, int port, int value) {
        model->OnMessage(msg, uintptr_t(e), intptr_t(port) * 65536 + value);
    };
    event(VB_EVENT_PORT, 102, 0);
    event(VB_EVENT_LINE_STATUS, 102, VB_LINE_IDLE);
    event(VB_EVENT_LINE_STATUS, 102, VB_LINE_INCOMING);
    event(VB_EVENT_DONE, 102, 0);  // off-hook: the vote
    EXPECT_EQ(model->counter().votes(1), 1) << "port 102 is line 2";
    EXPECT_FALSE(model->usbStatus().empty());
    model->Stop();
    EXPECT_EQ(hardware.usbStops, 1);
    EXPECT_EQ(model->usbStatus(), "Disconnected");
    event(VB_EVENT_LINE_STATUS, 102, VB_LINE_INCOMING);
    EXPECT_EQ(model->counter().total(), 1) << "no events after Stop";

    hardware.usbOk = false;
    model->Start();
    EXPECT_FALSE(model->running());
    EXPECT_EQ(model->usbStatus(), "Disconnected");
}

TEST_F(ItvModelTest, LogChecksAndButtons) {
    app.settings().itvModel = 0;
    const std::string path = writeSystem();
    makeModel();
    // Open, Live mode, and a voice message for the first version's adapter.
    EXPECT_EQ(model->Buttons(), (ItvButtons{true, false, false, false, false, false, true, false, true, false}));
    ASSERT_EQ(model->Load(path), 0);
    model->VoteButton(2);
    EXPECT_FALSE(model->counter().logSaved());

    // Cancel keeps everything.
    boxes.setQuestionAnswer(app::IDCANCEL);
    model->ClearLog();
    EXPECT_EQ(model->counter().total(), 1);
    // Yes with a cancelled save dialog stops too.
    boxes.setQuestionAnswer(app::IDYES);
    EXPECT_FALSE(model->CanClose());
    // Yes and a file: saved, then cleared.
    panel.logPath = dir.file("log.txt");
    model->ClearLog();
    EXPECT_EQ(model->counter().total(), 0);
    EXPECT_TRUE(model->counter().logSaved());
    EXPECT_NE(zxtest::ReadText(dir.file("log.txt")).find("Total votes: 1"), std::string::npos);
    EXPECT_EQ(model->settings().logFile, dir.file("log.txt"));

    // Open file keeps the statistics on Yes.
    model->VoteButton(1);
    boxes.setQuestionAnswer(app::IDYES);
    EXPECT_TRUE(model->BeginOpen());
    EXPECT_EQ(model->counter().total(), 1);
    // No: the unsaved-log check (No: go on) and the statistics go.
    boxes.setQuestionAnswer(app::IDNO);
    EXPECT_TRUE(model->BeginOpen());
    EXPECT_EQ(model->counter().total(), 0);

    // Without interactive hardware Start runs at once and Stop stops.
    app.settings().itv = 0;
    model->Start();
    EXPECT_TRUE(model->running());
    EXPECT_TRUE(model->CanClose());
    model->Stop();
    model->SetTransferRunning(true);
    EXPECT_EQ(model->Buttons(), ItvButtons{});
    EXPECT_FALSE(model->CanClose());

    // The keys written back at the end.
    model->UpdateTemperature("-7 degrees");
    model->SetTransferRunning(false);
    model.reset();
    EXPECT_EQ(app.profile().getInt("ITV", "LastTemp", 0), -7);
    EXPECT_EQ(app.profile().getString("ITV", "FileName"), path);
}

TEST_F(ItvModelTest, SettingsSheetSavesAndUnprepares) {
    const std::string path = writeSystem();
    makeModel();
    ASSERT_EQ(model->Load(path), 0);
    model->picture().PrepareBase();
    CITVDoc edited = model->doc();
    edited.question = "New question";
    edited.ignoreDuplicates = true;
    ASSERT_TRUE(model->ApplySettings(edited));
    EXPECT_FALSE(model->picture().prepared());
    CITVDoc back;
    ASSERT_EQ(back.Load(path), 0);
    EXPECT_EQ(back.question, "New question");
    EXPECT_TRUE(model->counter().rules().ignoreDuplicates);
}

TEST_F(ItvModelTest, VoiceMessagesLineByLineOnTheFirstVersionAllAtOnceBackwardsOnTheSecond) {
    makeModel();
    // First version: one command per line, the message as it is; the progress counts on over
    // the lines; the adapter is closed after the last.
    ASSERT_EQ(model->VoiceVersion(), ITV_VERSION_1);
    VoiceWrite w;
    w.lines = 0x05;
    w.message = {1, 2, 3};
    ASSERT_TRUE(model->WriteVoice(w));
    EXPECT_TRUE(model->transferRunning());
    EXPECT_EQ(model->Buttons(), ItvButtons{}) << "every button off while it runs";
    EXPECT_FALSE(model->CanClose());
    EXPECT_EQ(panel.range, 6);
    ASSERT_EQ(hardware.writes.size(), 1u);
    EXPECT_EQ(hardware.writes[0], (std::pair<uint8_t, std::vector<uint8_t>>{0, {1, 2, 3}}));
    model->OnMessage(platform::MSG_INTERACTIVE, ITV_NOTE_PROGRESS, 3);
    model->OnMessage(platform::MSG_INTERACTIVE, ITV_NOTE_DONE, ITV_OK);
    ASSERT_EQ(hardware.writes.size(), 2u);
    EXPECT_EQ(hardware.writes[1].first, 2) << "line 3's number";
    model->OnMessage(platform::MSG_INTERACTIVE, ITV_NOTE_PROGRESS, 2);
    EXPECT_EQ(panel.progress, 5);
    EXPECT_EQ(hardware.adapterCloses, 0);
    model->OnMessage(platform::MSG_INTERACTIVE, ITV_NOTE_DONE, ITV_OK);
    EXPECT_FALSE(model->transferRunning());
    EXPECT_EQ(hardware.adapterCloses, 1);
    EXPECT_EQ(panel.range, -1) << "the progress bar is gone";
    EXPECT_EQ(boxes.count(), 0);

    // Second version: one command for the mask, the message reversed; clearing is not.
    app.settings().itvModel = ITV_MODEL_ADAPTER2;
    hardware.writes.clear();
    w.lines = 0x06;
    ASSERT_TRUE(model->WriteVoice(w));
    ASSERT_EQ(hardware.writes.size(), 1u);
    EXPECT_EQ(hardware.writes[0], (std::pair<uint8_t, std::vector<uint8_t>>{0x06, {3, 2, 1}}));
    model->OnMessage(platform::MSG_INTERACTIVE, ITV_NOTE_DONE, ITV_OK);
    w.message = ClearVoiceMessage();
    ASSERT_TRUE(model->WriteVoice(w));
    EXPECT_EQ(hardware.writes[1].second, ClearVoiceMessage());

    // Cancel: the adapter's transfer is aborted and ends with 4, whose message is shown.
    model->CancelVoice();
    EXPECT_EQ(hardware.aborts, 1);
    model->OnMessage(platform::MSG_INTERACTIVE, ITV_NOTE_DONE, ITV_ABORTED);
    EXPECT_FALSE(model->transferRunning());
    EXPECT_NE(boxes.lastText().find("Voice message operation aborted!"), std::string::npos) << boxes.lastText();

    // An adapter that cannot be opened: its message, and no transfer.
    hardware.adapterResult = ITV_NO_PORT;
    EXPECT_FALSE(model->WriteVoice(w));
    EXPECT_FALSE(model->transferRunning());
    EXPECT_NE(boxes.lastText().find("Specified serial port is not installed"), std::string::npos);
}

TEST_F(ItvModelTest, AVoiceMessageReadBackIsSavedInPlayingOrderAndAnEmptyOneIsNamed) {
    app.settings().itvModel = ITV_MODEL_ADAPTER2;
    makeModel();
    EXPECT_TRUE(model->Buttons().readVoice);
    ASSERT_TRUE(model->ReadVoice(2));
    ASSERT_EQ(hardware.reads, (std::vector<uint8_t>{0x04}));
    ASSERT_NE(hardware.readBuffer, nullptr);
    // The adapter's answer: three bytes, backwards.
    const uint8_t stored[] = {3, 0, MuLawEncode(3000), MuLawEncode(-2000), MuLawEncode(1000)};
    std::copy(std::begin(stored), std::end(stored), hardware.readBuffer);
    panel.voicePath = dir.file("line3.wav");
    model->OnMessage(platform::MSG_INTERACTIVE, ITV_NOTE_DONE, ITV_OK);
    EXPECT_FALSE(model->transferRunning());
    std::vector<uint8_t> back;
    ASSERT_EQ(LoadVoiceWav(dir.file("line3.wav"), ITV_VERSION_2, back), WAV_OK);
    EXPECT_EQ(back, (std::vector<uint8_t>{MuLawEncode(1000), MuLawEncode(-2000), MuLawEncode(3000)}));

    // Erased memory reads as nothing: the warning, and no file asked for.
    ASSERT_TRUE(model->ReadVoice(0));
    hardware.readBuffer[0] = hardware.readBuffer[1] = 0;
    panel.voicePath = dir.file("never.wav");
    model->OnMessage(platform::MSG_INTERACTIVE, ITV_NOTE_DONE, ITV_OK);
    EXPECT_EQ(boxes.lastText(), "There's no voice message on this line!");
    EXPECT_FALSE(platform::FileExists(dir.file("never.wav")));

    // A length past the buffer is cut to it.
    ASSERT_TRUE(model->ReadVoice(0));
    hardware.readBuffer[0] = hardware.readBuffer[1] = 0xFF;
    panel.voicePath = dir.file("full.wav");
    model->OnMessage(platform::MSG_INTERACTIVE, ITV_NOTE_DONE, ITV_OK);
    ASSERT_EQ(LoadVoiceWav(dir.file("full.wav"), ITV_VERSION_2, back), WAV_OK);
    EXPECT_EQ(back.size(), kMaxSamplesV2);

    // The first version cannot read back; the USB adapter's button chooses the lines' files.
    app.settings().itvModel = ITV_MODEL_ADAPTER1;
    EXPECT_FALSE(model->Buttons().readVoice);
    EXPECT_FALSE(model->ReadVoice(0));
    app.settings().itvModel = ITV_MODEL_USB;
    EXPECT_TRUE(model->Buttons().writeVoice);
    EXPECT_FALSE(model->Buttons().readVoice);
    EXPECT_FALSE(model->WriteVoice({1, {1, 2}})) << "the USB adapter plays files";
    std::array<std::string, kItvAnswers> files{};
    files[0] = dir.file("a.wav");
    files[7] = dir.file("h.wav");
    model->SetSoundFiles(files);
    EXPECT_EQ(app.profile().getString("ITV", "SoundFile1"), dir.file("a.wav"));
    EXPECT_EQ(app.profile().getString("ITV", "SoundFile8"), dir.file("h.wav"));
    EXPECT_EQ(app.profile().getString("ITV", "SoundFile2"), "");
    EXPECT_EQ(ItvSettings::Load(app.profile()).soundFiles[7], dir.file("h.wav"));
}

TEST_F(ItvModelTest, AWavFileForTheAdapterWithItsMessages) {
    makeModel();
    // Thirty seconds for the first version: its 32000 samples kept, and the warning.
    std::vector<uint8_t> wav = MakeVoiceWav(std::vector<uint8_t>(240000, 0xFF));
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("long.wav"), wav));
    std::vector<uint8_t> out;
    EXPECT_TRUE(model->LoadVoice(dir.file("long.wav"), out));
    EXPECT_EQ(out.size(), kMaxSamplesV1);
    EXPECT_NE(boxes.lastText().find("Voice message too long:"), std::string::npos);
    EXPECT_FALSE(model->LoadVoice(dir.file("missing.wav"), out));
    EXPECT_NE(boxes.lastText().find("Error opening audio file:"), std::string::npos);
    wav[22] = 2;  // stereo
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("stereo.wav"), wav));
    EXPECT_FALSE(model->LoadVoice(dir.file("stereo.wav"), out));
    EXPECT_NE(boxes.lastText().find("Bad file format:"), std::string::npos);
}

TEST_F(ItvModelTest, ChangingFramesAreKeyedOnceOverABaseWithoutThem) {
    // A count and a static text on the same half-transparent panel.
    constexpr uint32_t kPanel = 0x40402010;
    pages::CPageDoc doc(fonts);
    addFrame(doc, "Static", {40, 100, 240, 140}, kPanel);
    addFrame(doc, "Count", {300, 100, 500, 140}, kPanel);
    pages::CPageImage img;
    img.Compile(doc, pages::COMPILE_THUMBNAIL | pages::COMPILE_DEVICE);
    ASSERT_EQ(doc.Save(dir.file("Pages/Panels.zxg"), img), 0);
    CITVDoc d;
    d.answers = 1;
    d.SetPageFile(dir.file("Pages/Panels.zxg"), dir.file("Pages/"));
    d.bindings[ITV_ROW_VOTES][0] = "Count";
    ASSERT_EQ(d.Save(dir.file("Panels.zxi")), 0);
    makeModel();
    ASSERT_EQ(model->Load(dir.file("Panels.zxi")), 0);
    CITVPicture& pic = model->picture();
    pic.PrepareBase();
    pic.Rebuild();
    ASSERT_FALSE(pic.QueueEmpty());
    // The count's panel, where no text is, looks as the static one's: keyed once (two layers
    // round once more than one).
    const pages::CBitmap32 shown = pic.Composite();
    auto near = [](uint32_t a, uint32_t b) {
        for (int shift = 0; shift < 32; shift += 8)
            if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > 1) return false;
        return true;
    };
    EXPECT_PRED2(near, shown.colourAt(490, 134), shown.colourAt(230, 134));
    EXPECT_PRED2(near, shown.colourAt(490, 134), img.picture.colourAt(490, 134)) << "as the page has it";
    // The base sent to the Device has no count: its words there are the page's background.
    const device::DataRef base = pic.FullPicture();
    ASSERT_EQ(base.size(), size_t(pages::DEVICE_STILL_SIZE));
    auto word = [&](int x, int y) {
        const uint8_t* p = base.data() + 2 + (size_t(y) * pages::DEVICE_WIDTH + size_t(x)) * 2;
        return p[0] | p[1] << 8;
    };
    EXPECT_EQ(word(490, 134), word(260, 134)) << "between the frames and under the count alike";
    EXPECT_NE(word(490, 134), word(230, 134));
}
