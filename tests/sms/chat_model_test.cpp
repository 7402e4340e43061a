// The chat model against the air frame in simulated time, the Device's commands recorded and the
// SMS engine a stand-in: the template, the engine's notifications, the list and its buttons, and
// the show cycle that puts the queued messages on air one after the other.
#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "air/air_frame_fixture.h"
#include "app/profile.h"
#include "pages/bitmap_font.h"
#include "pages/file_result.h"
#include "pages/font_test_util.h"
#include "pages/page_frame.h"
#include "sms/chat_model.h"

using namespace sms;
using airtest::AirFrameFixture;

namespace {

class FakeEngine final : public ChatEngine {
public:
    void Open(platform::MessageTarget* o, int port, uint32_t baud, bool list, bool del, bool useMe) override {
        ++opens;
        owner = o;
        args = {port, int(baud), list, del, useMe};
    }
    void Close() override { ++closes; }
    int opens = 0, closes = 0;
    platform::MessageTarget* owner = nullptr;
    struct Args {
        int port = -1, baud = 0;
        bool list = false, del = false, useMe = false;
    } args;
};

class PanelRecorder final : public ChatPanel {
public:
    void StatusChanged(const std::string& t) override { status.push_back(t); }
    void CountChanged(int n) override { count = n; }
    void RowAdded(int r) override { events.push_back("add " + std::to_string(r)); }
    void RowChanged(int r) override { events.push_back("change " + std::to_string(r)); }
    void RowRemoved(int r) override { events.push_back("remove " + std::to_string(r)); }
    void ShowProgress(const std::string& t, int range) override {
        progress = t + " " + std::to_string(range);
        ++shows;
    }
    void HideProgress() override { ++hides; }
    std::vector<std::string> status, events;
    std::string progress;
    int count = -1, shows = 0, hides = 0;
};

// The view's window: what the air frame sends goes to the model.
class ChatTarget final : public platform::MessageTarget {
public:
    void post(uint32_t msg, uintptr_t w, intptr_t l) override { send(msg, w, l); }
    intptr_t send(uint32_t msg, uintptr_t w, intptr_t l) override { return chat ? chat->OnMessage(msg, w, l) : 0; }
    CChatModel* chat = nullptr;
};

SmsTime At(int h, int m, int s) {
    SmsTime t;
    t.year = 2026;
    t.month = 12;
    t.day = 9;
    t.hour = uint16_t(h);
    t.minute = uint16_t(m);
    t.second = uint16_t(s);
    return t;
}

struct ChatModelTest : AirFrameFixture {
    FakeEngine smsEngine;
    PanelRecorder panel;
    ChatTarget target;
    std::unique_ptr<CChatModel> chat;

    std::string settings() const override { return "[SMSChat]\nFastMode=1\n[Hardware]\nITVPortNo=3\nUseME=1\n"; }

    void SetUp() override {
        AirFrameFixture::SetUp();
        platform::MakeDirectories(dir.file("Fonts"));
        fonttest::WriteBlockFont(fonts, dir.file("Fonts/Block.bmf"));
        fonts.setFolder(dir.file("Fonts/"));
        fonts.Enumerate();
        zxtest::WriteText(dir.file("filter.dat"), "bad\r\n");
    }
    void TearDown() override {
        target.chat = nullptr;
        chat.reset();
        AirFrameFixture::TearDown();
    }

    // A page of `locked` locked frames and then an unlocked one (unless none), compiled, saved,
    // and a sequence of it; answers the sequence's path.
    std::string writeTemplate(const std::string& name, int locked = 1, bool unlocked = true, bool filter = true) {
        pages::CPageDoc doc(fonts);
        for (int i = 0; i < locked + (unlocked ? 1 : 0); ++i) {
            pages::FrameFormat ff;
            ff.colour = 0x20102030;
            pages::ParaFormat pf;
            pages::TextFormat tf;
            tf.setFontName("Block");
            tf.colour = 0x00FFFFFF;
            const pages::Rect r = i < locked ? pages::Rect{40, 40, 300, 80} : pages::Rect{40, 400, 680, 480};
            const int index = doc.CreateFrame(r, ff, pf, tf, i < locked ? "Caption" : "Message");
            doc.frame(index)->InsertText(i < locked ? "SMS to 1234" : "old text", fonts);
            doc.frame(index)->lock = i < locked ? 1 : 0;
        }
        pages::CPageImage img;
        img.Compile(doc, pages::COMPILE_THUMBNAIL | pages::COMPILE_DEVICE | (filter ? pages::COMPILE_FILTER : 0));
        const std::string pagePath = dir.file("Pages/" + name + ".zxg");
        EXPECT_EQ(doc.Save(pagePath, img), 0);
        air::CSeqDoc s(app.folders(), clock);
        air::ShowParams params;
        params.showTime = 2;
        s.AppendPage(pagePath, params);
        const std::string path = dir.file(name + ".zxs");
        EXPECT_EQ(s.SaveSequence(path), 0);
        return path;
    }

    void makeChat() {
        chat = std::make_unique<CChatModel>(app, fonts, *frame, page, image, loop, clock, smsEngine);
        chat->setPanel(&panel);
        chat->setOwner(&target);
        target.chat = chat.get();
        frame->setView(&target);
    }
    // The frame open with the link up, the chat on a good template, started.
    void ready() {
        open();
        makeChat();
        ASSERT_EQ(chat->OpenTemplate(writeTemplate("chat")), 0);
        chat->Start();
    }
    void sms(const std::string& text, const std::string& from = "+38164111222", int kind = SMS_KIND_DELIVER) {
        SMSRecord r;
        r.kind = kind;
        snprintf(r.number, sizeof r.number, "%s", from.c_str());
        r.time = At(12, 34, 56);
        r.textLength = int(text.size());
        snprintf(r.text, sizeof r.text, "%s", text.c_str());
        chat->OnMessage(WM_SMSENGINE_NOTIFY, SMS_NOTE_RECORD, intptr_t(&r));
    }
    void status(int code, const char* manufacturer = "", const char* model = "", int battery = 0, int signal = 0) {
        SMSStatus s;
        s.status = code;
        snprintf(s.manufacturer, sizeof s.manufacturer, "%s", manufacturer);
        snprintf(s.model, sizeof s.model, "%s", model);
        s.batterySupported = s.signalSupported = 1;
        s.batteryCharge = battery;
        s.signalQuality = signal;
        chat->OnMessage(WM_SMSENGINE_NOTIFY, SMS_NOTE_STATUS, intptr_t(&s));
    }
    // The Device carries out each command as it comes, while simulated time runs.
    void run(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 20) {
            if (engine.lastSeq() != finished_) {
                finished_ = engine.lastSeq();
                finish();
            }
            advance(20);
        }
    }
    // The text of the message frame in the shared page document.
    std::string frameText() const { return page.frame(chat->messageFrame())->PlainText(); }
    uint16_t finished_ = 0;
};

}  // namespace

TEST_F(ChatModelTest, OpenTakesTheFirstUnlockedFrameOrSaysWhyNot) {
    open();
    makeChat();
    EXPECT_EQ(chat->DialogStart(), app.GetPath(app::FOLDER_TITLES));
    // A sequence that is not there.
    EXPECT_EQ(chat->OpenTemplate(dir.file("missing.zxs")), air::SEQ_OPEN_ERROR);
    EXPECT_NE(boxes.lastText().find("Error opening file"), std::string::npos) << boxes.lastText();
    EXPECT_FALSE(chat->templateLoaded());
    // An empty sequence.
    air::CSeqDoc empty(app.folders(), clock);
    ASSERT_EQ(empty.SaveSequence(dir.file("empty.zxs")), 0);
    EXPECT_EQ(chat->OpenTemplate(dir.file("empty.zxs")), IDS_CHAT_EMPTY);
    EXPECT_EQ(boxes.lastText(), "Sequence is empty!");
    // Every frame locked.
    EXPECT_EQ(chat->OpenTemplate(writeTemplate("locked", 2, false)), IDS_CHAT_NO_FRAMES);
    EXPECT_EQ(boxes.lastText(), "This page has no frames!");
    EXPECT_EQ(boxes.lastStyle() & app::MB_ICONMASK, unsigned(app::MB_ICONERROR));
    EXPECT_FALSE(chat->Buttons().start);
    // A page that cannot be read.
    const std::string good = writeTemplate("good", 2, true, true);
    zxtest::WriteText(dir.file("Pages/good.zxg"), "not a page");
    EXPECT_EQ(chat->OpenTemplate(good), pages::FILE_FORMAT_ERROR);
    EXPECT_FALSE(chat->templateLoaded());
    // The frame after two locked ones; the item's show parameters, the page's filter flag.
    ASSERT_EQ(chat->OpenTemplate(writeTemplate("chat", 2, true, true)), 0);
    EXPECT_TRUE(chat->templateLoaded());
    EXPECT_EQ(chat->messageFrame(), 2);
    EXPECT_EQ(chat->showParams().showTime, 2);
    EXPECT_TRUE(chat->verticalFilter());
    EXPECT_EQ(chat->DialogStart(), dir.file("chat.zxs"));
    ASSERT_EQ(chat->OpenTemplate(writeTemplate("plain", 0, true, false)), 0);
    EXPECT_EQ(chat->messageFrame(), 0);
    EXPECT_FALSE(chat->verticalFilter());
}

TEST_F(ChatModelTest, StartOpensTheEngineOnTheSettingsAndStopClosesIt) {
    ready();
    EXPECT_EQ(smsEngine.opens, 1);
    EXPECT_EQ(smsEngine.args.port, 3);
    EXPECT_EQ(smsEngine.args.baud, app::kBaudRates[app.settings().baudRate]);
    EXPECT_TRUE(smsEngine.args.list && smsEngine.args.del && smsEngine.args.useMe);
    EXPECT_EQ(chat->statusText(), "Connecting...");
    chat->Start();  // running already
    EXPECT_EQ(smsEngine.opens, 1);
    chat->Stop();
    EXPECT_EQ(smsEngine.closes, 1);
    EXPECT_EQ(chat->statusText(), "Disconnected");
    chat->Stop();
    EXPECT_EQ(smsEngine.closes, 1);
    // Destruction stops too.
    chat->Start();
    target.chat = nullptr;
    chat.reset();
    EXPECT_EQ(smsEngine.closes, 2);
}

TEST_F(ChatModelTest, StatusTextsForEachCode) {
    ready();
    status(1);
    EXPECT_EQ(chat->statusText(), "Serial port is not installed or in use by another application!");
    status(2);
    EXPECT_EQ(chat->statusText(), "Not connected!");
    status(3);
    EXPECT_EQ(chat->statusText(), "SMS commands are not supported!");
    // The model alone when it names the manufacturer; battery and signal are reported + 1.
    status(5, "Nokia", "Nokia 6310i", 81, 52);
    EXPECT_EQ(chat->statusText(), "OK: Nokia 6310i, BAT: 80%, SQ: 51%");
    status(5, "SIEMENS", "M20", 0, 1);
    EXPECT_EQ(chat->statusText(), "OK: SIEMENS M20, SQ: 0%");
    // Other codes leave the text.
    status(0);
    status(4);
    EXPECT_EQ(chat->statusText(), "OK: SIEMENS M20, SQ: 0%");
}

TEST_F(ChatModelTest, ButtonsFollowTheTemplateTheEngineAndTheList) {
    open();
    makeChat();
    ChatButtons b = chat->Buttons();
    EXPECT_TRUE(b.open && b.filter);
    EXPECT_FALSE(b.start || b.stop || b.queue || b.edit || b.remove || b.add);
    ASSERT_EQ(chat->OpenTemplate(writeTemplate("chat")), 0);
    b = chat->Buttons();
    EXPECT_TRUE(b.open && b.filter && b.start);
    EXPECT_FALSE(b.stop || b.add);
    chat->Start();
    b = chat->Buttons();
    EXPECT_FALSE(b.open || b.filter || b.start);
    EXPECT_TRUE(b.stop && b.add);
    EXPECT_FALSE(b.queue || b.edit || b.remove);
    sms("hello");
    b = chat->Buttons();
    EXPECT_TRUE(b.queue && b.edit && b.remove);
    chat->Stop();
    b = chat->Buttons();
    EXPECT_TRUE(b.open && b.filter && b.start && b.queue);
    EXPECT_FALSE(b.stop || b.add);
}

TEST_F(ChatModelTest, MessagesAreFilteredNumberedAndCounted) {
    ready();
    chat->SetFastMode(false);
    sms("  one bad word ");
    ASSERT_EQ(chat->messages().size(), 1u);
    const ChatMessage& m = chat->messages()[0];
    EXPECT_EQ(m.text, "one *** word");
    EXPECT_EQ(m.sender, "+38164111222");
    EXPECT_EQ(m.state, CHAT_DELAYED);
    EXPECT_EQ(m.number, 0);
    EXPECT_EQ(chat->RowTexts(0),
              (std::array<std::string, kChatColumns>{"1", "Delayed", "12:34:56", "+38164111222", "one *** word"}));
    EXPECT_EQ(panel.count, 1);
    // A status report is not a message.
    sms("delivered", "+1", SMS_KIND_STATUS_REPORT);
    EXPECT_EQ(chat->received(), 1);
    // Filtered down to nothing: counted, not listed.
    CChatFilter f = chat->filter();
    f.deleteWord = true;
    ASSERT_TRUE(chat->ApplyFilter(f));
    sms(" bad BAD ");
    EXPECT_EQ(chat->received(), 2);
    EXPECT_EQ(chat->messages().size(), 1u);
    // By hand: the number the next SMS gets, the received count stays, no sender.
    std::tm tm{};
    tm.tm_year = 126;
    tm.tm_mon = 11;
    tm.tm_mday = 9;
    tm.tm_hour = 7;
    tm.tm_min = 8;
    tm.tm_sec = 9;
    tm.tm_isdst = -1;
    clock.setLocal(std::mktime(&tm));
    ASSERT_TRUE(chat->AddMessage("from the studio"));
    EXPECT_EQ(chat->received(), 2);
    sms("next");
    ASSERT_EQ(chat->messages().size(), 3u);
    EXPECT_EQ(chat->RowTexts(1)[0], "3");
    EXPECT_EQ(chat->RowTexts(1)[2], "07:08:09");
    EXPECT_EQ(chat->RowTexts(1)[3], "");
    EXPECT_EQ(chat->RowTexts(2)[0], "3");
    EXPECT_FALSE(chat->AddMessage(""));
    EXPECT_FALSE(chat->AddMessage("bad"));
    EXPECT_FALSE(chat->AddMessage(std::string(256, 'x')));
    EXPECT_TRUE(chat->AddMessage(std::string(255, 'x')));
    EXPECT_EQ(panel.events, (std::vector<std::string>{"add 0", "add 1", "add 2", "add 3"}));
}

TEST_F(ChatModelTest, QueueEditAndRemove) {
    ready();
    chat->SetFastMode(false);
    sms("first");
    sms("second");
    chat->ToggleQueue(0);
    EXPECT_EQ(chat->messages()[0].state, CHAT_QUEUED);
    chat->ToggleQueue(0);
    EXPECT_EQ(chat->messages()[0].state, CHAT_DELAYED);
    chat->ToggleQueue(7);  // no such row
    // Editing keeps the state; a text longer than the field is refused, not cut.
    ASSERT_TRUE(chat->EditText(1, "changed"));
    EXPECT_EQ(chat->messages()[1].text, "changed");
    EXPECT_EQ(chat->messages()[1].state, CHAT_DELAYED);
    EXPECT_FALSE(chat->EditText(1, std::string(256, 'y')));
    EXPECT_EQ(chat->messages()[1].text, "changed");
    // Remove asks; No keeps the row.
    boxes.setQuestionAnswer(app::IDNO);
    EXPECT_FALSE(chat->Remove(0));
    EXPECT_EQ(boxes.lastText(), "Do you want to delete selected message?");
    EXPECT_EQ(chat->messages().size(), 2u);
    boxes.setQuestionAnswer(app::IDYES);
    EXPECT_TRUE(chat->Remove(0));
    ASSERT_EQ(chat->messages().size(), 1u);
    EXPECT_EQ(chat->messages()[0].text, "changed");
    EXPECT_FALSE(chat->busy());
}

TEST_F(ChatModelTest, AWholeShowCycleOneMessageAfterTheOther) {
    ready();  // fast mode: new messages are queued
    sms("Hello studio");
    sms("Second one");
    EXPECT_EQ(chat->messages()[0].state, CHAT_QUEUED);
    EXPECT_EQ(chat->showState(), SHOW_NOTHING);
    const size_t before = engine.cmds.size();
    advance(100);  // the timer takes the first queued message
    EXPECT_EQ(chat->messages()[0].state, CHAT_SHOWN);
    EXPECT_EQ(chat->messages()[1].state, CHAT_QUEUED);
    EXPECT_EQ(chat->showState(), SHOW_LOADING);
    EXPECT_EQ(frameText(), "Hello studio");
    EXPECT_EQ(panel.progress, "Rendering... 100");
    EXPECT_EQ(panel.hides, 1);
    ASSERT_GT(engine.cmds.size(), before);
    EXPECT_EQ(engine.last().code, device::CMD_LOAD_RECT);  // the page goes into the Device
    EXPECT_FALSE(image.data.empty());
    // Cued: the next tick plays it with the template's parameters.
    finish();
    finished_ = engine.lastSeq();
    EXPECT_EQ(chat->showState(), SHOW_CUED);
    advance(100);
    EXPECT_EQ(chat->showState(), SHOW_PLAYING);
    EXPECT_EQ(engine.last().code, device::CMD_IN_EFFECT);
    EXPECT_EQ(frame->showParams().showTime, 2);
    // On air for its two seconds; the second message waits meanwhile.
    run(1500);
    EXPECT_TRUE(frame->IsOnAir());
    EXPECT_EQ(chat->messages()[1].state, CHAT_QUEUED);
    run(3000);
    EXPECT_EQ(chat->messages()[1].state, CHAT_SHOWN);
    EXPECT_EQ(frameText(), "Second one");
    run(5000);
    EXPECT_EQ(chat->showState(), SHOW_NOTHING);
    EXPECT_EQ(engine.count(device::CMD_IN_EFFECT), 4u);  // in and out of each
    EXPECT_EQ(panel.shows, 2);
}

TEST_F(ChatModelTest, NothingGoesOnAirWhileTheFrameCannotStartOrTheViewIsBusy) {
    make();  // the link is not up
    makeChat();
    ASSERT_EQ(chat->OpenTemplate(writeTemplate("chat")), 0);
    chat->Start();
    sms("waiting");
    advance(1000);
    EXPECT_EQ(chat->messages()[0].state, CHAT_QUEUED);
    EXPECT_EQ(chat->showState(), SHOW_NOTHING);
    linkUp();
    finished_ = engine.lastSeq();
    {
        CChatModel::Busy busy(*chat);
        advance(1000);
        EXPECT_EQ(chat->messages()[0].state, CHAT_QUEUED);
    }
    advance(100);
    EXPECT_EQ(chat->messages()[0].state, CHAT_SHOWN);
}

TEST_F(ChatModelTest, FastModeOffWaitsForTheOperatorAndShownStaysShown) {
    ready();
    chat->SetFastMode(false);
    EXPECT_EQ(app.profile().getInt("SMSChat", "FastMode", -1), 0);  // saved at once
    sms("held back");
    run(1000);
    EXPECT_EQ(chat->messages()[0].state, CHAT_DELAYED);
    EXPECT_EQ(chat->showState(), SHOW_NOTHING);
    chat->ToggleQueue(0);
    run(200);
    EXPECT_EQ(chat->messages()[0].state, CHAT_SHOWN);
    chat->ToggleQueue(0);
    EXPECT_EQ(chat->messages()[0].state, CHAT_SHOWN);
}

TEST_F(ChatModelTest, StopWhileOnAirLeavesThePagePlaying) {
    ready();
    sms("on air");
    run(1000);
    ASSERT_TRUE(frame->IsOnAir());
    ASSERT_EQ(chat->showState(), SHOW_PLAYING);
    chat->Stop();
    EXPECT_TRUE(frame->IsOnAir());
    EXPECT_EQ(chat->showState(), SHOW_PLAYING);
    sms("after the stop");  // still taken in, never shown while stopped
    run(5000);
    EXPECT_FALSE(frame->IsOnAir());
    EXPECT_EQ(chat->messages()[1].state, CHAT_QUEUED);
    // Started again, the chat goes on where it was.
    chat->Start();
    run(2000);
    EXPECT_EQ(chat->messages()[1].state, CHAT_SHOWN);
}

TEST_F(ChatModelTest, ALinkErrorWhileThePageIsSentDoesNotStopTheChat) {
    ready();
    sms("lost");
    sms("next");
    advance(100);
    ASSERT_EQ(chat->showState(), SHOW_LOADING);
    // The link drops while the page is sent and comes back: the page is cued again, plays, and
    // the next message follows.
    frame->OnEngine(device::NOTE_COMMAND_ERROR, 3, engine.lastSeq());
    EXPECT_EQ(chat->messages()[1].state, CHAT_QUEUED);
    linkUp();  // the Device is reset, and the page sent again
    run(8000);
    EXPECT_EQ(chat->messages()[1].state, CHAT_SHOWN);
    EXPECT_EQ(frameText(), "next");
}

TEST_F(ChatModelTest, TheFilterDialogsOkWritesTheFileAndTheFlags) {
    ready();
    EXPECT_EQ(chat->filter().words(), (std::vector<std::string>{"bad"}));
    CChatFilter f = chat->filter();
    EXPECT_EQ(f.Add("Worse"), 1);
    f.partial = true;
    ASSERT_TRUE(chat->ApplyFilter(f));
    EXPECT_EQ(zxtest::ReadText(dir.file("filter.dat")), "bad\r\nworse\r\n");
    EXPECT_EQ(app.profile().getInt("SMSChat", "LangPartial", -1), 1);
    EXPECT_EQ(app.profile().getInt("SMSChat", "LangDelete", -1), 0);
    sms("badly worsened");
    EXPECT_EQ(chat->messages().back().text, "***ly *****ned");
    // A file that cannot be written: the message, the old list and file stay.
    const std::string saved = zxtest::ReadText(dir.file("filter.dat"));
    platform::MakeDirectories(dir.file("blocker"));
    std::remove(dir.file("filter.dat").c_str());
    ASSERT_TRUE(platform::MakeDirectories(dir.file("filter.dat")));  // a folder in its place
    const int shown = boxes.count();
    f.Add("other");
    EXPECT_FALSE(chat->ApplyFilter(f));
    EXPECT_EQ(boxes.count(), shown + 1);
    EXPECT_NE(boxes.lastText().find("Error saving file"), std::string::npos) << boxes.lastText();
    EXPECT_EQ(chat->filter().words().size(), 2u);
    (void)saved;
}

TEST_F(ChatModelTest, SettingsAreReadAndWrittenAtDestruction) {
    ready();
    chat->columns()[4] = 300;
    const std::string path = chat->settings().fileName;
    target.chat = nullptr;
    chat.reset();
    EXPECT_EQ(app.profile().getString("SMSChat", "FileName"), path);
    EXPECT_EQ(app.profile().getInt("SMSChat", "ListColumnWidth4", 0), 300);
    EXPECT_EQ(app.profile().getInt("SMSChat", "ListColumnWidth0", 0), 32);
    makeChat();
    EXPECT_TRUE(chat->fastMode());
    EXPECT_EQ(chat->settings().columns[4], 300);
    EXPECT_EQ(chat->DialogStart(), path);
}
