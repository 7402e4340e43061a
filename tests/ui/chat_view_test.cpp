// The SMS Chat view in the on-air frame on the demo data: messages from the modem simulator
// inside the program are listed filtered, queued with a key or a double click and put on air one
// after the other; Stop leaves the one on air playing; "Edit message", "Add message", "Remove"
// and "Language filter options" hold the busy flag while they are open; the state pictures; the
// settings kept at destroy.
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextCursor>
#include <QThread>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "air/air_fakes.h"
#include "air_qt_app.h"
#include "app/profile.h"
#include "demo/demo_chat.h"
#include "demo/demo_root.h"
#include "device/engine.h"
#include "gsmsim/embedded.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_frame.h"
#include "pages/page_image.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "sms/sms_engine.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/air/chat_dialogs.h"
#include "ui/air/chat_view.h"
#include "ui/translate.h"
#include "ui_fixture.h"

using namespace ui;

namespace {

const platform::CodePage kCp{1251};
std::string Cp(const char* utf8) { return kCp.fromUtf8(utf8); }

// The engine as the chat drives it, without a modem.
class FakeChatEngine final : public sms::ChatEngine {
public:
    void Open(platform::MessageTarget*, int, uint32_t, bool, bool, bool) override { ++opens; }
    void Close() override { ++closes; }
    int opens = 0, closes = 0;
};

// Message boxes that note whether the chat was busy while one was up.
class BusyBoxes final : public app::MessageBoxes {
public:
    int show(const std::string& text, unsigned style) override {
        last = text;
        ++count;
        busyDuring = busy && busy();
        return (style & app::MB_TYPEMASK) == app::MB_OK ? app::IDOK : answer;
    }
    std::function<bool()> busy;
    std::string last;
    int count = 0, answer = app::IDYES;
    bool busyDuring = false;
};

struct ChatViewTest : zxtest::UiTest {
    pages::CFontManager fonts;
    pages::CPageDoc page{fonts};
    pages::CPageImage image;
    device::CEngine engine;  // not opened: the frame plays to the fake commands
    std::unique_ptr<sms::CSMSEngine> modemEngine;
    std::unique_ptr<sms::SmsChatEngine> modemChat;
    FakeChatEngine fakeEngine;
    BusyBoxes asking;
    airtest::FakeCommands* cmds = nullptr;
    std::unique_ptr<CAirFrameWnd> wnd;
    CChatView* view = nullptr;
    uint16_t finished = 0;
    bool modem = false;

    void TearDown() override {
        wnd.reset();
        modemChat.reset();
        modemEngine.reset();
        if (modem) gsmsim::UnregisterEmbeddedModem();
        UiTest::TearDown();
    }

    // The demo data; the chat on the modem simulator (the engine's times ten times faster) or on
    // a stand-in engine; the frame with the link up.
    void open(bool withModem, const std::function<void()>& beforeView = {}) {
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
        if (withModem) {
            modem = true;
            // The messages come from the test, not from the demo's script.
            a.profile().putString("Serial", "SimScript", "");
            gsmsim::RegisterEmbeddedModem();
            sms::EngineOptions o;
            o.timeScale = 10;
            o.makePort = [this](int index) { return sms::MakeConfiguredPort(a, index); };
            modemEngine = std::make_unique<sms::CSMSEngine>(o);
            modemChat = std::make_unique<sms::SmsChatEngine>(*modemEngine);
            shared.chatEngine = modemChat.get();
        } else {
            shared.chatEngine = &fakeEngine;
        }
        InstallAirFrame(a, shared);
        if (beforeView) beforeView();
        auto fake = std::make_unique<airtest::FakeCommands>();
        cmds = fake.get();
        wnd = std::make_unique<CAirFrameWnd>(a, std::move(fake), shared.objects);
        wnd->CreateView(app::VIEW_SMS_CHAT);
        wnd->ShowView(app::VIEW_SMS_CHAT);
        view = dynamic_cast<CChatView*>(wnd->view(app::VIEW_SMS_CHAT));
        ASSERT_NE(view, nullptr);
        wnd->resize(960, 640);
        wnd->show();
        wnd->OpenAir(false);
        wnd->controller().OnEngine(device::NOTE_LINK_UP, 0);
        finishCommands();
    }

    // The Device takes every command at once.
    void finishCommands() {
        if (cmds->lastSeq() == finished) return;
        finished = cmds->lastSeq();
        wnd->controller().OnEngine(device::NOTE_FINISHED, 0, finished);
    }
    // Runs the GUI (the chat's timer, the engine's notifications) until done, or false after ms.
    bool pump(const std::function<bool()>& done, int ms = 30000) {
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
    void runFor(int ms) {
        pump([] { return false; }, ms);
    }
    void sms(const std::string& command) {
        ASSERT_TRUE(
            gsmsim::WithEmbeddedModem(a.settings().itvPortNo, [&](gsmsim::Simulator& s) { s.control(command); }));
    }

    QString cell(int row, int column) const {
        QTreeWidgetItem* item = view->list()->topLevelItem(row);
        return item ? item->text(column) : QString("(no row %1)").arg(row);
    }
    int rows() const { return view->list()->topLevelItemCount(); }
    bool enabled(int id) const { return view->button(id)->isEnabled(); }
    static void key(QWidget* w, int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, k, m);
        QApplication::sendEvent(w, &press);
    }
    void doubleClick(int row) {
        QTreeWidget* list = view->list();
        const QPoint at = list->visualItemRect(list->topLevelItem(row)).center();
        const QPoint global = list->viewport()->mapToGlobal(at);
        // Pressed, released, pressed again as a double click and released, as the window system
        // delivers them.
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                               QEvent::MouseButtonRelease}) {
            QMouseEvent e(t, at, global, Qt::LeftButton,
                          t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(list->viewport(), &e);
        }
    }
    std::string frameText() { return page.frame(view->model().messageFrame())->PlainText(); }
};

}  // namespace

TEST_F(ChatViewTest, MessagesFromTheModemAreListedFilteredAndGoOnAirOneAfterTheOther) {
    open(true);
    EXPECT_EQ(DialogId(view), 1175);
    for (int id : {1273, 1274, 1091, 1277, 1280, 1278, 1279, 1281}) ASSERT_NE(view->button(id), nullptr) << id;
    EXPECT_EQ(ResourceId(view->fast()), 1307);
    EXPECT_EQ(ResourceId(view->list()), 1047);
    EXPECT_EQ(ResourceId(view->statusText()), 1021);
    EXPECT_EQ(ResourceId(view->countText()), 1023);
    // First update: the columns with their widths, fast mode as the demo has it.
    QTreeWidgetItem* header = view->list()->headerItem();
    EXPECT_EQ(header->text(0), "#");
    EXPECT_EQ(header->text(1), "Status");
    EXPECT_EQ(header->text(2), "Sent");
    EXPECT_EQ(header->text(3), "Sender");
    EXPECT_EQ(header->text(4), "Text");
    // No widths kept yet: at least the defaults, and the states' names fit beside their pictures.
    EXPECT_GE(view->list()->columnWidth(0), 32);
    EXPECT_GE(view->list()->columnWidth(3), 128);
    EXPECT_GT(view->list()->columnWidth(1), 16 + view->list()->fontMetrics().horizontalAdvance("Delayed"));
    EXPECT_EQ(view->list()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(view->fast()->isChecked());
    EXPECT_EQ(view->statusText()->text(), "Disconnected");
    EXPECT_EQ(view->countText()->text(), "0");
    EXPECT_TRUE(enabled(1273));
    EXPECT_TRUE(enabled(1274));
    for (int id : {1091, 1277, 1280, 1278, 1279, 1281}) EXPECT_FALSE(enabled(id)) << id;

    // Fast mode off, saved at once.
    view->fast()->click();
    EXPECT_EQ(app::Profile(a.iniPath()).getInt("SMSChat", "FastMode", -1), 0);

    ASSERT_TRUE(view->OpenTemplateFile(home.file(demo::kChatTemplate)));
    EXPECT_EQ(view->templateName()->text(), "Template: SMS chat.zxs");
    EXPECT_TRUE(enabled(1091));
    view->button(1091)->click();
    EXPECT_EQ(view->statusText()->text(), "Connecting...");
    EXPECT_FALSE(enabled(1273));
    EXPECT_FALSE(enabled(1274));
    EXPECT_FALSE(enabled(1091));
    EXPECT_TRUE(enabled(1277));
    EXPECT_TRUE(enabled(1281));
    ASSERT_TRUE(pump([&] { return view->statusText()->text().startsWith("OK: "); }))
        << view->statusText()->text().toStdString();

    sms("sms --from +38164111222 --coding 7bit Hello studio, no SPAM here");
    sms("sms --from +79161234567 --coding ucs2 Привет, дурак! Ёж");
    ASSERT_TRUE(pump([&] { return rows() == 2; })) << rows();
    EXPECT_EQ(cell(0, 0), "1");
    EXPECT_EQ(cell(0, 1), "Delayed");
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$").match(cell(0, 2)).hasMatch()) << cell(0, 2).toStdString();
    EXPECT_EQ(cell(0, 3), "+38164111222");
    EXPECT_EQ(cell(0, 4), "Hello studio, no **** here");
    EXPECT_EQ(cell(1, 0), "2");
    EXPECT_EQ(cell(1, 3), "+79161234567");
    EXPECT_EQ(cell(1, 4), QString::fromUtf8("Привет, *****! Ёж"));
    EXPECT_EQ(view->countText()->text(), "2");
    EXPECT_EQ(view->selectedRow(), 0);
    for (int id : {1280, 1278, 1279}) EXPECT_TRUE(enabled(id)) << id;
    // Delayed messages stay off air.
    const size_t before = cmds->cmds.size();
    runFor(400);
    EXPECT_EQ(cmds->cmds.size(), before);
    EXPECT_EQ(view->model().showState(), sms::SHOW_NOTHING);

    // The second one queued with Space: taken, shown as the template's page, played.
    view->list()->setCurrentItem(view->list()->topLevelItem(1));
    key(view->list(), Qt::Key_Space);
    EXPECT_EQ(cell(1, 1), "Queued");
    ASSERT_TRUE(pump([&] { return view->model().showState() == sms::SHOW_PLAYING && wnd->controller().IsOnAir(); }));
    EXPECT_EQ(cell(1, 1), "Shown");
    EXPECT_EQ(frameText(), Cp("Привет, *****! Ёж"));
    EXPECT_GT(cmds->count(device::CMD_LOAD_RECT) + cmds->count(device::CMD_FILL_RECT), 0u);
    EXPECT_TRUE(wnd->progress()->isHidden());
    // A Shown message stays Shown.
    key(view->list(), Qt::Key_Space);
    EXPECT_EQ(cell(1, 1), "Shown");
    zxtest::SaveScreenshot(*wnd, "chat_view");

    // Taken off air, and the first one queued with a double click follows.
    wnd->OnCommand(air::CMD_STOP);
    ASSERT_TRUE(pump([&] { return view->model().showState() == sms::SHOW_NOTHING; }));
    doubleClick(0);
    EXPECT_NE(cell(0, 1), "Delayed");
    ASSERT_TRUE(pump([&] { return view->model().showState() == sms::SHOW_PLAYING && wnd->controller().IsOnAir(); }));
    EXPECT_EQ(cell(0, 1), "Shown");
    EXPECT_EQ(frameText(), "Hello studio, no **** here");

    // Stop: the engine closes, the message on air stays.
    view->button(1277)->click();
    EXPECT_EQ(view->statusText()->text(), "Disconnected");
    EXPECT_TRUE(enabled(1091));
    EXPECT_FALSE(enabled(1281));
    EXPECT_FALSE(modemEngine->IsOpen());
    runFor(300);
    EXPECT_TRUE(wnd->controller().IsOnAir());
    EXPECT_EQ(view->model().showState(), sms::SHOW_PLAYING);
}

TEST_F(ChatViewTest, TheDialogsHoldTheBusyFlagAndEditAddRemoveAndFilter) {
    open(false);
    app::SetMessageBoxes(&asking);
    asking.busy = [this] { return view->model().busy(); };
    view->fast()->setChecked(false);

    // Open: the file dialog starts at the demo's template.
    bool busy = false;
    zxtest::WhenModal([&](QWidget* w) {
        busy = view->model().busy();
        auto* d = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(d, nullptr);
        ASSERT_FALSE(d->selectedFiles().isEmpty());
        EXPECT_TRUE(d->selectedFiles().first().endsWith("Titr/SMS chat.zxs"))
            << d->selectedFiles().first().toStdString();
        static_cast<QDialog*>(d)->accept();
    });
    view->button(1273)->click();
    EXPECT_TRUE(busy);
    EXPECT_FALSE(view->model().busy());
    ASSERT_TRUE(view->model().templateLoaded());
    view->button(1091)->click();
    EXPECT_EQ(fakeEngine.opens, 1);

    // The engine's notes reach the model through the view's target.
    sms::SMSStatus status;
    status.status = sms::SMS_READY;
    status.batterySupported = 1;
    status.batteryCharge = 81;
    std::snprintf(status.manufacturer, sizeof status.manufacturer, "Siemens");
    std::snprintf(status.model, sizeof status.model, "MC35");
    view->engineTarget().send(sms::WM_SMSENGINE_NOTIFY, sms::SMS_NOTE_STATUS, intptr_t(&status));
    EXPECT_EQ(view->statusText()->text(), "OK: Siemens MC35, BAT: 80%");

    // Add message: typed by hand, two lines; no sender, the next number.
    busy = false;
    zxtest::WhenModal([&](QWidget* w) {
        busy = view->model().busy();
        auto* d = qobject_cast<CChatEditDialog*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(DialogId(d), 1177);
        EXPECT_TRUE(d->field()->toPlainText().isEmpty());
        d->field()->setPlainText("Hand-typed hello");
        d->field()->moveCursor(QTextCursor::End);
        key(d->field(), Qt::Key_Return, Qt::ShiftModifier);
        d->field()->insertPlainText("second line");
        key(d->field(), Qt::Key_Return);  // OK
    });
    view->button(1281)->click();
    EXPECT_TRUE(busy);
    EXPECT_FALSE(view->model().busy());
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(cell(0, 0), "1");
    EXPECT_EQ(cell(0, 1), "Delayed");
    EXPECT_EQ(cell(0, 3), "");
    EXPECT_EQ(cell(0, 4), "Hand-typed hello / second line");
    EXPECT_EQ(view->model().messages()[0].text, "Hand-typed hello\nsecond line");
    EXPECT_EQ(view->countText()->text(), "0");

    // Edit: the field holds 255 bytes of the code page and nothing more; a character the code
    // page lacks is "?" at once; Cancel keeps the text, OK replaces it.
    zxtest::WhenModal([&](QWidget* w) {
        auto* d = qobject_cast<CChatEditDialog*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->field()->toPlainText(), "Hand-typed hello\nsecond line");
        d->field()->setPlainText(QString(255, 'a'));
        EXPECT_EQ(d->counter()->text(), "255 / 255");
        d->field()->moveCursor(QTextCursor::End);
        d->field()->insertPlainText("b");
        EXPECT_EQ(d->field()->toPlainText(), QString(255, 'a'));
        d->field()->setPlainText(QString(300, 'c'));
        EXPECT_EQ(d->field()->toPlainText(), QString(255, 'a'));
        d->reject();
    });
    view->button(1278)->click();
    EXPECT_EQ(view->model().messages()[0].text, "Hand-typed hello\nsecond line");
    zxtest::WhenModal([&](QWidget* w) {
        auto* d = qobject_cast<CChatEditDialog*>(w);
        ASSERT_NE(d, nullptr);
        d->field()->setPlainText(QString::fromUtf8("Ваш 中 ход"));
        EXPECT_EQ(d->field()->toPlainText(), QString::fromUtf8("Ваш ? ход"));
        EXPECT_EQ(d->counter()->text(), "9 / 255");
        d->accept();
    });
    view->button(1278)->click();
    EXPECT_EQ(view->model().messages()[0].text, Cp("Ваш ? ход"));
    EXPECT_EQ(cell(0, 4), QString::fromUtf8("Ваш ? ход"));
    EXPECT_EQ(cell(0, 1), "Delayed");

    // Remove: asked while busy; No keeps the row, Yes (the Delete key) removes it.
    asking.answer = app::IDNO;
    view->button(1279)->click();
    EXPECT_EQ(asking.last, "Do you want to delete selected message?");
    EXPECT_TRUE(asking.busyDuring);
    EXPECT_EQ(rows(), 1);
    asking.answer = app::IDYES;
    key(view->list(), Qt::Key_Delete);
    EXPECT_EQ(rows(), 0);
    for (int id : {1280, 1278, 1279}) EXPECT_FALSE(enabled(id)) << id;

    // Language filter: only while stopped.
    EXPECT_FALSE(enabled(1274));
    view->button(1277)->click();
    EXPECT_EQ(fakeEngine.closes, 1);
    ASSERT_TRUE(enabled(1274));
    const std::string filterFile = home.file(demo::kChatFilter);
    zxtest::WhenModal([&](QWidget* w) {
        busy = view->model().busy();
        auto* d = qobject_cast<CChatFilterDialog*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(DialogId(d), 1176);
        EXPECT_EQ(d->words()->count(), 6);
        EXPECT_TRUE(d->wholeWords()->isChecked());
        EXPECT_FALSE(d->deleteWord()->isChecked());
        // Refused: a space, punctuation, only blanks.
        for (const char* bad : {"bad word", "a-b", "   "}) {
            d->word()->setText(bad);
            EXPECT_FALSE(d->AddWord()) << bad;
            EXPECT_EQ(d->words()->count(), 6);
        }
        // Enter in the field adds, trimmed and lower-cased, selected; the field is cleared.
        d->word()->setText("  Zebra ");
        key(d->word(), Qt::Key_Return);
        ASSERT_EQ(d->words()->count(), 7);
        EXPECT_EQ(d->words()->currentItem()->text(), "zebra");
        EXPECT_TRUE(d->word()->text().isEmpty());
        EXPECT_TRUE(d->isVisible());
        // A word in the list already is selected, not added again.
        d->word()->setText("SPAM");
        d->addButton()->click();
        EXPECT_EQ(d->words()->count(), 7);
        EXPECT_EQ(d->words()->currentItem()->text(), "spam");
        // Delete selects the word before (or the first).
        d->words()->setCurrentRow(2);
        const QString before = d->words()->item(1)->text();
        d->deleteButton()->click();
        EXPECT_EQ(d->words()->count(), 6);
        EXPECT_EQ(d->words()->currentItem()->text(), before);
        d->wholeWords()->setChecked(false);
        d->deleteWord()->setChecked(true);
        d->accept();
    });
    view->button(1274)->click();
    EXPECT_TRUE(busy);
    EXPECT_FALSE(view->model().busy());
    const std::vector<std::string> saved = sms::CChatFilter::LoadFile(filterFile);
    EXPECT_EQ(saved, view->model().filter().words());
    EXPECT_EQ(saved.size(), 6u);
    EXPECT_NE(std::find(saved.begin(), saved.end(), "zebra"), saved.end());
    EXPECT_TRUE(view->model().filter().partial);
    EXPECT_TRUE(view->model().filter().deleteWord);
    app::Profile ini(a.iniPath());
    EXPECT_EQ(ini.getInt("SMSChat", "LangPartial", -1), 1);
    EXPECT_EQ(ini.getInt("SMSChat", "LangDelete", -1), 1);

    // Cancel discards.
    zxtest::WhenModal([&](QWidget* w) {
        auto* d = qobject_cast<CChatFilterDialog*>(w);
        ASSERT_NE(d, nullptr);
        d->word()->setText("yak");
        d->AddWord();
        d->wholeWords()->setChecked(true);
        d->reject();
    });
    view->button(1274)->click();
    EXPECT_EQ(sms::CChatFilter::LoadFile(filterFile), saved);
    EXPECT_TRUE(view->model().filter().partial);

    // A filter.dat that cannot be written: the message, the dialog stays, nothing changes.
    ASSERT_EQ(std::remove(filterFile.c_str()), 0);
    ASSERT_TRUE(platform::MakeDirectories(filterFile));
    bool stayed = false;
    const int boxes = asking.count;
    zxtest::WhenModal([&](QWidget* w) {
        auto* d = qobject_cast<CChatFilterDialog*>(w);
        ASSERT_NE(d, nullptr);
        d->word()->setText("yak");
        d->AddWord();
        d->accept();
        stayed = d->isVisible();
        d->reject();
    });
    view->button(1274)->click();
    EXPECT_TRUE(stayed);
    EXPECT_EQ(asking.count, boxes + 1);
    EXPECT_EQ(view->model().filter().words(), saved);
}

TEST_F(ChatViewTest, DestroyStopsTheEngineAndKeepsTheTemplateAndTheColumnWidths) {
    // Widths kept from the last time are taken as they are, however narrow.
    open(false, [this] {
        a.profile().putInt("SMSChat", "ListColumnWidth0", 30);
        a.profile().putInt("SMSChat", "ListColumnWidth1", 40);
    });
    EXPECT_EQ(view->list()->columnWidth(0), 30);
    EXPECT_EQ(view->list()->columnWidth(1), 40);
    ASSERT_TRUE(view->OpenTemplateFile(home.file(demo::kChatTemplate)));
    view->Start();
    view->list()->setColumnWidth(3, 150);
    const int second = view->list()->columnWidth(2);
    wnd->DestroyView(app::VIEW_SMS_CHAT);
    EXPECT_EQ(fakeEngine.closes, 1);
    app::Profile ini(a.iniPath());
    EXPECT_EQ(ini.getInt("SMSChat", "ListColumnWidth3", -1), 150);
    EXPECT_EQ(ini.getInt("SMSChat", "ListColumnWidth0", -1), 30);
    EXPECT_EQ(ini.getInt("SMSChat", "ListColumnWidth2", -1), second);
    EXPECT_EQ(ini.getString("SMSChat", "FileName"), home.file(demo::kChatTemplate));
}

TEST(ChatIcons, ThreeDrawnPicturesOnAMagentaStripThatShowsAsTransparent) {
    zxtest::EnsureQtApp();
    const QImage strip = ChatIconStrip();
    ASSERT_EQ(strip.size(), QSize(48, 16));
    QImage icons[3];
    for (int s = 0; s < 3; ++s) {
        EXPECT_EQ(strip.pixel(s * 16, 0) & 0xFFFFFF, 0xFF00FFu) << s;
        icons[s] = ChatStateIcon(s).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(icons[s].size(), QSize(16, 16));
        int opaque = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb p = icons[s].pixel(x, y);
                if (qAlpha(p) == 0) continue;
                ++opaque;
                EXPECT_NE(p & 0xFFFFFF, 0xFF00FFu) << s << " " << x << "," << y;
            }
        EXPECT_GT(opaque, 20) << s;
        EXPECT_LT(opaque, 256) << s;
        EXPECT_EQ(qAlpha(icons[s].pixel(0, 0)), 0) << s;
    }
    EXPECT_NE(icons[0], icons[1]);
    EXPECT_NE(icons[1], icons[2]);
    EXPECT_NE(icons[0], icons[2]);
}
