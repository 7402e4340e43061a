// The page editor in the GUI: frames made with the mouse, typing, styles, files, the questions it
// asks, "Play page!" and its dialogs. ZX_SCREENSHOTS=DIR saves pictures of the editor.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <cstdlib>
#include <functional>
#include <map>

#include "air/air_frame.h"
#include "air/seq_doc.h"
#include "app/file_types.h"
#include "app/profile.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "device/program_feed.h"
#include "ktgsim/server.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/page_image.h"
#include "pages/png_io.h"
#include "pages/preview_page.h"
#include "pages/scalable_font.h"
#include "platform/files.h"
#include "ui/air/accelerators.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/air/air_view.h"
#include "ui/air/hotkey_edit.h"
#include "ui/air/hotkeys_dialog.h"
#include "ui/editor/colour_dialog.h"
#include "ui/editor/editor_dialogs.h"
#include "ui/editor/page_editor_frame.h"
#include "ui/editor/page_view.h"
#include "ui/file_dialogs.h"
#include "ui/mainframe/main_frame.h"
#include "ui/monitor/program_monitor.h"
#include "ui/seqedit/seq_frame.h"
#include "ui_fixture.h"
#include "wizards/banner_player.h"
#include "wizards/banner_writer.h"

using namespace ui;

namespace {

constexpr const char* kSansFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kBoldFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// Two styles: plain white text on a dark panel, and a centred yellow title.
constexpr const char* kStyles =
    "Body,0,0,-1610612736,0,8,8,0,4,4,0,Sans,1,1,16777215,0,0\n"
    "Title,0,1,-1895825408,1,0,0,0,0,0,0,Title,1,0,0,0,0\n"
    "Crawl,1,0,-1610612736,0,0,0,0,0,0,0,Sans,1,1,65535,0,0\n";

class PageEditorGui : public zxtest::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        if (!platform::FileExists(kSansFile)) GTEST_SKIP() << "fonts-dejavu-core is not installed";
        makeFont("Sans", kSansFile, 28, false);
        makeFont("Title", kBoldFile, 44, true);
        zxtest::WriteText(home.file("STYLE.INI"), kStyles);
        start(settings(), false);
        a.folders().createDataFolders();
        fonts.setFolder(home.file("Fonts"));
        fonts.Enumerate();
        ASSERT_EQ(fonts.GetCount(), 2);
    }
    void makeFont(const std::string& name, const char* file, int height, bool colour) {
        pages::ScalableFontOptions o;
        o.fontFile = file;
        o.height = height;
        o.colour = colour;
        o.fill = 0x40D0FF;
        o.shadow = true;
        o.outline = colour ? 2 : 1;
        pages::CBitmapFont font;
        std::string error;
        ASSERT_TRUE(pages::MakeFontFromScalable(o, font, error)) << error;
        pages::CFontManager writer;
        ASSERT_TRUE(writer.Save(font, home.file("Fonts/" + name + ".bmf")));
    }

    // The settings file the application starts with.
    virtual std::string settings() const { return {}; }

    static void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons = Qt::LeftButton) {
        QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : buttons, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    // Drags with the left button between two page points.
    static void drag(CPageView* v, QPoint from, QPoint to) {
        const QPoint a = v->pageToWidget(from.x(), from.y()), b = v->pageToWidget(to.x(), to.y());
        mouse(v, QEvent::MouseButtonPress, a);
        mouse(v, QEvent::MouseMove, (a + b) / 2);
        mouse(v, QEvent::MouseMove, b);
        mouse(v, QEvent::MouseButtonRelease, b);
    }
    static void key(QWidget* w, int k, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent e(QEvent::KeyPress, k, mods, text);
        QApplication::sendEvent(w, &e);
    }
    static void type(QWidget* w, const QString& text) {
        for (QChar c : text)
            key(w, c == '\n' ? int(Qt::Key_Return) : int(Qt::Key_unknown), c == '\n' ? QString() : QString(c));
    }
    static std::vector<std::string> texts(const pages::CPageFrame& f) {
        std::vector<std::string> t;
        for (const pages::CParagraph& p : f.paragraphs) t.push_back(p.text());
        return t;
    }
    void shot(QWidget& w, const std::string& name) {
        const char* dir = std::getenv("ZX_SCREENSHOTS");
        if (!dir || !*dir) return;
        settle();
        w.grab().save(QString::fromStdString(std::string(dir) + "/" + name + ".png"));
    }

    pages::CFontManager fonts;
};

}  // namespace

TEST_F(PageEditorGui, MakeAFrameTypeApplyAStyleSaveAndReopen) {
    CPageEditorFrame f(fonts);
    ASSERT_TRUE(f.Prepare(""));
    f.resize(1280, 900);
    f.show();
    settle();
    ASSERT_EQ(f.styleBox()->count(), 3);
    CPageView* v = f.view();

    // A frame dragged out on the page takes the current style (Body).
    drag(v, {80, 60}, {640, 260});
    pages::CPageDoc& doc = f.document();
    ASSERT_EQ(doc.frameCount(), 1);
    EXPECT_EQ(doc.frame(0)->rect, (pages::Rect{80, 60, 640, 260}));
    EXPECT_EQ(doc.frame(0)->name, "Frame 1");
    EXPECT_EQ(doc.frame(0)->paragraphs[0].format.leftMargin, 8);
    type(v, "Evening news\nat nine");
    EXPECT_EQ(texts(*doc.frame(0)), (std::vector<std::string>{"Evening news", "at nine"}));
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(f.windowTitle().endsWith(" *"));

    // The Title style centres the paragraphs and sets the colour font.
    f.ChooseStyle(1);
    const pages::CPageFrame& frame = *doc.frame(0);
    EXPECT_EQ(frame.format.vAlign, pages::VALIGN_CENTER);
    EXPECT_EQ(frame.paragraphs[1].format.align, pages::ALIGN_CENTER);
    EXPECT_EQ(frame.paragraphs[1].runs[0].format.fontName(), "Title");
    EXPECT_FALSE(f.action(CMD_TEXT_COLOUR)->isEnabled());  // a colour font takes no tint
    EXPECT_TRUE(f.action(CMD_ALIGN_CENTER)->isChecked());

    // The caret moves with the keys; a selection is cut and pasted through the clipboard.
    key(v, Qt::Key_Home, {}, Qt::ControlModifier);
    key(v, Qt::Key_End, {}, Qt::ShiftModifier);
    f.action(CMD_CUT)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "Evening news");
    f.action(CMD_PASTE)->trigger();
    EXPECT_EQ(texts(frame), (std::vector<std::string>{"Evening news", "at nine"}));
    shot(f, "editor_title");

    const std::string path = home.file("Pages/news.zxg");
    ASSERT_TRUE(f.SaveTo(path));
    EXPECT_FALSE(doc.modified);
    EXPECT_FALSE(f.windowTitle().endsWith(" *"));
    EXPECT_EQ(a.GetPath(app::FOLDER_LAST_PAGES), home.file("Pages/"));

    // Reopened in a second editor, a fresh compile gives the Device data that was saved.
    CPageEditorFrame g(fonts);
    ASSERT_TRUE(g.Prepare(path));
    ASSERT_EQ(g.document().frameCount(), 1);
    EXPECT_EQ(texts(*g.document().frame(0)), (std::vector<std::string>{"Evening news", "at nine"}));
    g.editor().Render();
    pages::CPageDoc reader(fonts);
    pages::CPageImage stored;
    ASSERT_EQ(reader.Load(pages::LOAD_SUMMARY | pages::LOAD_DEVICE, path, stored), pages::FILE_OK);
    EXPECT_EQ(stored.device, g.editor().image.device);
    EXPECT_EQ(stored.data, g.editor().image.data);
    EXPECT_TRUE(stored.summary.flags & pages::SUMMARY_FILTERED);  // "Filter" is on by default

    // Undo from the menu takes back the style; the page counts as changed again.
    f.action(CMD_UNDO)->trigger();  // the paste
    f.action(CMD_UNDO)->trigger();  // the cut
    f.action(CMD_UNDO)->trigger();  // the style
    EXPECT_EQ(doc.frame(0)->paragraphs[1].runs[0].format.fontName(), "Sans");
    EXPECT_TRUE(doc.modified);
    f.action(CMD_REDO)->trigger();
    EXPECT_EQ(doc.frame(0)->paragraphs[1].runs[0].format.fontName(), "Title");
}

TEST_F(PageEditorGui, StyleBoxShowsTheSelectedFramesStyle) {
    CPageEditorFrame f(fonts);
    ASSERT_TRUE(f.Prepare(""));
    f.resize(1280, 900);
    f.show();
    settle();
    CPageView* v = f.view();
    drag(v, {80, 60}, {640, 200});  // Body, the current style
    type(v, "Body text");
    f.ChooseStyle(1);                // applied to the first frame too
    drag(v, {80, 300}, {640, 400});  // Title, now the current style
    type(v, "Title text");
    pages::CPageEditor& ed = f.editor();
    ed.Select(0);
    f.Refresh();
    f.ChooseStyle(0);  // the first frame back to Body; Title stays for the second
    ASSERT_EQ(f.document().frameCount(), 2);
    ed.Select(1);
    f.Refresh();
    EXPECT_EQ(f.styleBox()->currentText(), "Title");
    ed.Select(0);
    f.Refresh();
    EXPECT_EQ(f.styleBox()->currentText(), "Body");
    // Formatted apart from every style: the box names none; undo brings the style back.
    ed.SetFrameColour(0xFF00FF00);
    f.Refresh();
    EXPECT_EQ(f.styleBox()->currentIndex(), -1);
    f.action(CMD_UNDO)->trigger();
    EXPECT_EQ(f.styleBox()->currentText(), "Body");
    f.action(CMD_UNDO)->trigger();  // choosing Body for the first frame
    EXPECT_EQ(f.styleBox()->currentText(), "Title");
}

TEST_F(PageEditorGui, MovingFramesAndTheTracker) {
    CPageEditorFrame f(fonts);
    ASSERT_TRUE(f.Prepare(""));
    f.resize(1280, 900);
    f.show();
    settle();
    CPageView* v = f.view();
    f.ChooseStyle(2);  // Crawl: a Scroller
    drag(v, {10, 500}, {710, 540});
    pages::CPageDoc& doc = f.document();
    ASSERT_EQ(doc.frameCount(), 1);
    EXPECT_EQ(doc.frame(0)->format.type, pages::FRAME_SCROLLER);
    EXPECT_FALSE(f.action(CMD_ALIGN_LEFT)->isEnabled());

    // A second frame in the moving style cannot move: 14032, and it is made fixed.
    drag(v, {100, 100}, {400, 200});
    ASSERT_EQ(doc.frameCount(), 2);
    EXPECT_EQ(doc.frame(1)->format.type, pages::FRAME_FIXED);
    EXPECT_NE(boxes.lastText().find("already contains moving frames"), std::string::npos);
    EXPECT_FALSE(f.action(CMD_SCROLLER)->isEnabled());

    // Dragging the frame's border moves it, under the rectangle rule.
    drag(v, {100, 120}, {0, 120});
    EXPECT_EQ(doc.frame(1)->rect, (pages::Rect{4, 100, 304, 200}));
    // The bottom-right handle resizes it.
    drag(v, {304, 200}, {500, 300});
    EXPECT_EQ(doc.frame(1)->rect, (pages::Rect{4, 100, 500, 300}));
    // Locked, it stays where it is.
    f.action(CMD_LOCK)->trigger();
    drag(v, {4, 150}, {200, 150});
    EXPECT_EQ(doc.frame(1)->rect, (pages::Rect{4, 100, 500, 300}));
    EXPECT_TRUE(f.statusText().contains("Locked"));
    // Alt+Right nudges an unlocked frame; Escape and Tab move the selection.
    f.action(CMD_LOCK)->trigger();
    key(v, Qt::Key_Right, {}, Qt::AltModifier);
    EXPECT_EQ(doc.frame(1)->rect.left, 6);
    key(v, Qt::Key_Escape);  // out of the text: plain arrows move the frame
    key(v, Qt::Key_Down, {}, Qt::ShiftModifier);
    EXPECT_EQ(doc.frame(1)->rect.top, 110);
    key(v, Qt::Key_Escape);
    EXPECT_EQ(f.editor().selected(), -1);
    key(v, Qt::Key_Tab);
    EXPECT_EQ(f.editor().selected(), 0);
    f.action(CMD_DELETE_FRAME)->trigger();
    EXPECT_EQ(doc.frameCount(), 1);
    EXPECT_EQ(doc.MovingFrameIndex(), -1);
}

TEST_F(PageEditorGui, AskToSaveOnClose) {
    CPageEditorFrame f(fonts);
    ASSERT_TRUE(f.Prepare(""));
    EXPECT_TRUE(f.CanClose());  // nothing changed: no question
    const int before = boxes.count();
    f.editor().CreateFrame({100, 100, 300, 200});
    boxes.setQuestionAnswer(app::IDCANCEL);
    EXPECT_FALSE(f.CanClose());
    EXPECT_EQ(boxes.count(), before + 1);
    EXPECT_NE(boxes.lastText().find("Save changes to"), std::string::npos);
    boxes.setQuestionAnswer(app::IDNO);
    EXPECT_TRUE(f.CanClose());
    // Yes saves a page that has its file.
    ASSERT_TRUE(f.SaveTo(home.file("Pages/a.zxg")));
    f.editor().Type("x");
    boxes.setQuestionAnswer(app::IDYES);
    EXPECT_TRUE(f.CanClose());
    EXPECT_FALSE(f.document().modified);
    pages::CPageDoc back(fonts);
    pages::CPageImage image;
    ASSERT_EQ(back.Load(pages::LOAD_FRAMES, home.file("Pages/a.zxg"), image), pages::FILE_OK);
    EXPECT_EQ(back.frame(0)->PlainText(), "x");
}

TEST_F(PageEditorGui, NewPageFromATemplateNeverOverwritesIt) {
    // A template with one frame.
    {
        CPageEditorFrame t(fonts);
        ASSERT_TRUE(t.Prepare(""));
        t.editor().CreateFrame({50, 50, 400, 150});
        t.editor().Type("Weather");
        ASSERT_TRUE(t.SaveTo(home.file("Templates/Weather.zxg")));
    }
    const std::string before = zxtest::ReadText(home.file("Templates/Weather.zxg"));
    CPageEditorFrame f(fonts);
    EXPECT_EQ(f.TemplateNames(), (std::vector<std::string>{"Weather"}));
    bool asked = false;
    zxtest::WhenModal([&](QWidget* w) {
        auto* d = qobject_cast<CNewPageDialog*>(w);
        ASSERT_NE(d, nullptr);
        asked = true;
        d->templateButton()->setChecked(true);
        d->list()->setCurrentRow(0);
        d->accept();
    });
    ASSERT_TRUE(f.Prepare(""));
    EXPECT_TRUE(asked);
    pages::CPageDoc& doc = f.document();
    ASSERT_EQ(doc.frameCount(), 1);
    EXPECT_EQ(doc.frame(0)->PlainText(), "Weather");
    EXPECT_FALSE(doc.hasFile);
    EXPECT_EQ(doc.pathName.find('/'), std::string::npos);  // a new name, not the template's
    EXPECT_EQ(a.profile().getInt("Editor", "NewPageType", -1), 1);
    EXPECT_EQ(a.profile().getString("Editor", "NewPageTemplate"), "Weather");
    f.editor().Type("!");
    ASSERT_TRUE(f.SaveTo(home.file("Pages/today.zxg")));
    EXPECT_EQ(zxtest::ReadText(home.file("Templates/Weather.zxg")), before);

    // Cancelling the question keeps the page and refuses the new one.
    zxtest::WhenModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_FALSE(f.NewPage());
    EXPECT_EQ(doc.pathName, home.file("Pages/today.zxg"));
}

TEST_F(PageEditorGui, ImportsAndTheirMessages) {
    CPageEditorFrame f(fonts);
    ASSERT_TRUE(f.Prepare(""));
    f.editor().CreateFrame({100, 100, 300, 200});
    zxtest::WriteText(home.file("Text/lines.txt"), "one\r\ntwo\r\n");
    f.ImportTextFile(home.file("Text/lines.txt"));
    EXPECT_EQ(f.document().frame(0)->PlainText(), "one\r\ntwo\r\n");
    EXPECT_EQ(a.GetPath(app::FOLDER_LAST_TEXT), home.file("Text/"));
    f.ImportTextFile(home.file("Text/none.txt"));
    EXPECT_NE(boxes.lastText().find("Error opening file"), std::string::npos);

    // A picture of another size than the frame: the question, and Yes resizes the frame.
    pages::CBitmap32 pic(120, 60);
    pic.fillAll(0x000080FF);
    ASSERT_TRUE(pages::WritePng(home.file("unused.png"), pic));  // not a BMP or TGA
    f.ImportFramePicture(home.file("unused.png"));
    EXPECT_NE(boxes.lastText().find("Bad file format"), std::string::npos);
    EXPECT_FALSE(f.document().frame(0)->hasPicture());

    // "Link banner..." for a frame of a page without a moving frame; a damaged file says so.
    f.Refresh();
    EXPECT_TRUE(f.action(CMD_LINK_BANNER)->isEnabled());
    zxtest::WriteText(home.file("Banners/bad.zxa"), "ZAVI");
    f.LinkBannerFile(home.file("Banners/bad.zxa"));
    EXPECT_NE(boxes.lastText().find("Read error - invalid file format"), std::string::npos);
    f.editor().SetFrameType(pages::FRAME_SCROLLER);
    f.editor().CreateFrame({100, 300, 300, 400});
    EXPECT_FALSE(f.action(CMD_LINK_BANNER)->isEnabled());

    // The converter that makes such pictures is reachable from the Page menu.
    bool inPageMenu = false;
    for (QAction* m : f.window()->menuBar()->actions())
        if (m->menu() && m->text() == "&Page") inPageMenu = m->menu()->actions().contains(f.action(CMD_BMP_TO_TGA));
    EXPECT_TRUE(inPageMenu);
    EXPECT_TRUE(f.action(CMD_BMP_TO_TGA)->isEnabled());
}

TEST_F(PageEditorGui, PlayPageHandsTheRenderedPageToThePreview) {
    struct Air : COnAirFrame {
        bool PlayPreview(bool sequence) override {
            played = !sequence;
            page = pages::CurrentPreviewPage();
            return true;
        }
        bool played = false;
        pages::PreviewPage page;
    };
    Air* air = nullptr;
    Factories().airFrame = [&air] {
        auto f = std::make_unique<Air>();
        air = f.get();
        return std::unique_ptr<COnAirFrame>(std::move(f));
    };
    RegisterPageEditor();
    a.setDeviceLink(&fakeLink);
    a.StartHardware();
    CMainFrame main(a);
    ASSERT_TRUE(main.modes().OpenMode(app::ID_MODE_FIRST + app::MODE_PAGE_EDITOR));
    auto* ed = dynamic_cast<CPageEditorFrame*>(main.modes().editorFrame(app::MODE_PAGE_EDITOR));
    ASSERT_NE(ed, nullptr);
    ed->editor().CreateFrame({100, 100, 600, 200});
    ed->editor().Type("On air");
    ed->Refresh();
    ASSERT_TRUE(ed->action(CMD_PLAY)->isEnabled());
    ed->action(CMD_PLAY)->trigger();
    ASSERT_NE(air, nullptr);
    EXPECT_TRUE(air->played);
    ASSERT_TRUE(air->page.image);
    EXPECT_EQ(air->page.image->data, ed->editor().image.data);
    EXPECT_EQ(air->page.pathName, ed->document().pathName);
    EXPECT_TRUE(main.modes().isOpen(app::OPEN_PREVIEW));
    // The preview keeps its copy while the operator edits on.
    ed->editor().Type(" now");
    ed->editor().Render();
    EXPECT_NE(air->page.image->data, ed->editor().image.data);
    EXPECT_TRUE(main.modes().CloseOnAirMode());
    boxes.setQuestionAnswer(app::IDNO);
    EXPECT_TRUE(main.modes().CanCloseAll());
}

namespace {

// The editor with the real air frame, over the command engine and the virtual Device.
class PageEditorOnAir : public PageEditorGui {
protected:
    void SetUp() override {
        ktgsim::ServerOptions o;
        o.device.statusClass = 1;
        o.listen = "127.0.0.1:0";
        o.timeScale = 4;
        server = std::make_unique<ktgsim::Server>(o);
        std::string why;
        ASSERT_TRUE(server->start(why)) << why;
        PageEditorGui::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        device::NetSetLockFolder(home.path());
        a.setDeviceLink(&engine);
        a.StartHardware();
        ASSERT_TRUE(engine.isOpen());
    }
    void TearDown() override {
        a.StopHardware();
        server->stop();
        PageEditorGui::TearDown();
    }
    std::string settings() const override {
        return "[Hardware]\nEnable=1\nModel=1\n[Ethernet]\nHosts=" + server->netAddress() + "\n";
    }
    // Runs the GUI (the engine's notifications, the frame's timers) until done, for a while.
    static bool runUntil(const std::function<bool()>& done, int ms = 20000) {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > ms) return false;
            QApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(2);
        }
        return true;
    }
    // The Device's program output, and whether a pixel of it is the page's red.
    ktgsim::Picture output() const {
        ktgsim::Picture pic;
        server->render(pic);
        return pic;
    }
    static bool red(const ktgsim::Picture& pic, int x, int y) {
        const uint8_t* p = pic.pixel(x, y);
        return p[0] > 150 && p[1] < 90 && p[2] < 90;
    }

    std::unique_ptr<ktgsim::Server> server;
    device::CEngine engine{device::CEngine::Options{nullptr, device::kStopWaitMs, false}};
    pages::CPageDoc sharedPage{fonts};
    pages::CPageImage sharedImage;
};

}  // namespace

TEST_F(PageEditorOnAir, PlayPagePutsTheEditedPageOnTheDevice) {
    AirShared shared;
    shared.engine = &engine;
    shared.objects.page = &sharedPage;
    shared.objects.pageImage = &sharedImage;
    InstallAirFrame(a, shared);
    RegisterPageEditor();
    CMainFrame main(a);
    main.resize(600, 400);  // as [Layout] has it by default
    main.show();
    ASSERT_TRUE(main.modes().OpenMode(app::ID_MODE_FIRST + app::MODE_PAGE_EDITOR));
    auto* ed = dynamic_cast<CPageEditorFrame*>(main.modes().editorFrame(app::MODE_PAGE_EDITOR));
    ASSERT_NE(ed, nullptr);

    // Edited by hand: an opaque red page, a frame dragged out and typed into.
    ed->editor().SetPageColour(0x000000FF);
    drag(ed->view(), {80, 380}, {640, 470});
    type(ed->view(), "Evening news");
    ASSERT_EQ(ed->document().frameCount(), 1);
    // Without an on-air frame yet: Play page! opens it and the page goes on air by itself.
    ed->action(CMD_PLAY)->trigger();
    EXPECT_TRUE(main.modes().isOpen(app::OPEN_PREVIEW));
    auto* air = dynamic_cast<CAirFrameWnd*>(main.modes().airFrame());
    ASSERT_NE(air, nullptr);
    air::CAirFrame& c = air->controller();
    // The operator edits on at once: the copy handed over is what goes on air.
    ed->editor().SetPageColour(0x0000FF00);
    ed->editor().Render();
    ASSERT_TRUE(runUntil([&] { return red(output(), 360, 100); })) << "state " << c.State().state;
    EXPECT_EQ(c.State().pageName, ed->document().pathName);
    EXPECT_TRUE(sharedImage.data.empty());  // the shared page document was not used
    ASSERT_TRUE(runUntil([&] { return c.State().state == air::AIR_WAIT_OUT; })) << "state " << c.State().state;
    const ktgsim::Picture pic = output();
    int text = 0;
    for (int y = 384; y < 466; y += 2)
        for (int x = 84; x < 636; x += 2) text += !red(pic, x, y);
    EXPECT_GT(text, 100);  // the typed words are in the frame
    for (int x = 8; x < 712; x += 40) EXPECT_TRUE(red(pic, x, 200)) << x;
    EXPECT_EQ(server->device().stats().rejects, 0u);
    // The preview opens large enough for its picture.
    auto* view = air->findChild<CAirView*>();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->missingRoom().isEmpty())
        << view->missingRoom().width() << "x" << view->missingRoom().height() << " main " << main.width() << "x"
        << main.height() << " view " << view->viewport()->width() << "x" << view->viewport()->height();
    shot(*air, "air_preview_of_the_edited_page");

    // Play page! again while the page is on air: refused with the reason, the page stays.
    ed->action(CMD_PLAY)->trigger();
    EXPECT_EQ(c.State().state, air::AIR_WAIT_OUT);
    EXPECT_EQ(air->statusText()->text(), "Something is on air: stop it before playing the page.");
    EXPECT_EQ(ed->window()->statusBar()->currentMessage(), "Something is on air: stop it before playing the page.");

    // F8 pressed in the page editor stops the show.
    QApplication::setActiveWindow(&main);
    ed->view()->setFocus();
    QTest::keyClick(ed->view(), Qt::Key_F8);
    ASSERT_TRUE(runUntil([&] { return c.State().state == air::AIR_CUED; })) << "state " << c.State().state;

    // Stopped, the next Play page! hands over the page as it is now (green), at once too.
    auto green = [&] {
        const ktgsim::Picture now = output();
        const uint8_t* p = now.pixel(360, 100);
        return p[1] > 150 && p[0] < 90 && p[2] < 90;
    };
    ed->action(CMD_PLAY)->trigger();
    ASSERT_TRUE(runUntil(green)) << "state " << c.State().state;

    // F8 in the program monitor stops it as well.
    device::ProgramFeed feed;
    auto* monitor = new CProgramMonitor(feed, &main);
    monitor->show();
    QApplication::setActiveWindow(monitor);
    QTest::keyClick(monitor, Qt::Key_F8);
    ASSERT_TRUE(runUntil([&] { return c.State().state == air::AIR_CUED; })) << "state " << c.State().state;
    EXPECT_TRUE(main.modes().CloseOnAirMode());
    settle();
    // Back in the editor, maximized as it was.
    EXPECT_TRUE(ed->isMaximized());
    EXPECT_EQ(main.mdiArea()->activeSubWindow(), ed);

    // Live mode open and idle: the preview takes its place and plays.
    ASSERT_TRUE(main.modes().OpenMode(app::ID_MODE_FIRST + app::MODE_LIVE));
    ed->editor().SetPageColour(0x000000FF);
    ed->action(CMD_PLAY)->trigger();
    EXPECT_EQ(main.modes().openFlags() & app::OPEN_ONAIR, app::OPEN_PREVIEW);
    air = dynamic_cast<CAirFrameWnd*>(main.modes().airFrame());
    ASSERT_NE(air, nullptr);
    ASSERT_TRUE(runUntil([&] { return red(output(), 360, 100) && air->controller().IsOnAir(); }));
    air->OnCommand(air::CMD_STOP);
    ASSERT_TRUE(runUntil([&] { return air->controller().State().state == air::AIR_CUED; }));
    EXPECT_TRUE(main.modes().CloseOnAirMode());
    settle();

    // Another on-air mode: the same.
    ASSERT_TRUE(main.modes().OpenMode(app::ID_MODE_FIRST + app::MODE_AUTOMATION));
    ed->editor().SetPageColour(0x0000FF00);
    ed->action(CMD_PLAY)->trigger();
    EXPECT_EQ(main.modes().openFlags() & app::OPEN_ONAIR, app::OPEN_PREVIEW);
    air = dynamic_cast<CAirFrameWnd*>(main.modes().airFrame());
    ASSERT_NE(air, nullptr);
    ASSERT_TRUE(runUntil([&] { return green() && air->controller().IsOnAir(); }));
    // Something on air: changing the mode is refused, and the main window says why.
    main.modeAction(app::MODE_LIVE)->trigger();
    EXPECT_EQ(main.statusBar()->currentMessage(), "Something is on air: stop it before opening Live mode.");
    EXPECT_TRUE(main.modes().isOpen(app::OPEN_PREVIEW));
    air->OnCommand(air::CMD_STOP);
    ASSERT_TRUE(runUntil([&] { return air->controller().State().state == air::AIR_CUED; }));
    EXPECT_TRUE(main.modes().CloseOnAirMode());
    boxes.setQuestionAnswer(app::IDNO);
    EXPECT_TRUE(main.modes().CanCloseAll());
}

TEST_F(PageEditorOnAir, PlayPageTakesTheLinkedBannerOnAir) {
    // A looping banner of green frames in the page's Banners folder.
    pages::BannerHeader h;
    h.frames = 4, h.rate100 = 2500, h.width = 64, h.height = 32, h.x = 100, h.y = 100;
    h.flags = pages::BANNER_HAS_PREVIEW | pages::BANNER_LOOP;
    {
        wizards::CBannerWriter w;
        ASSERT_TRUE(w.Create(home.file("Banners/green.zxa"), h));
        pages::CBitmap32 f(h.width, h.height);
        f.fillAll(0x0000FF00);  // opaque green (the top byte is transparency)
        ASSERT_TRUE(w.WritePreview(f));
        for (uint32_t i = 0; i < h.frames; ++i) ASSERT_TRUE(w.AddFrame(f));
        ASSERT_TRUE(w.Finish());
    }
    wizards::CBannerPlayer banner;
    AirShared shared;
    shared.engine = &engine;
    shared.objects.page = &sharedPage;
    shared.objects.pageImage = &sharedImage;
    shared.objects.banner = &banner;
    InstallAirFrame(a, shared);
    RegisterPageEditor();
    CMainFrame main(a);
    main.resize(600, 400);
    main.show();
    ASSERT_TRUE(main.modes().OpenMode(app::ID_MODE_FIRST + app::MODE_PAGE_EDITOR));
    auto* ed = dynamic_cast<CPageEditorFrame*>(main.modes().editorFrame(app::MODE_PAGE_EDITOR));
    ASSERT_NE(ed, nullptr);
    ed->editor().SetPageColour(0x000000FF);
    drag(ed->view(), {80, 380}, {640, 470});
    type(ed->view(), "Weather");
    ed->Refresh();
    ASSERT_TRUE(ed->action(CMD_LINK_BANNER)->isEnabled());
    ed->LinkBannerFile(home.file("Banners/green.zxa"));
    EXPECT_EQ(boxes.count(), 0);
    // The frame takes the banner's size at its top left corner.
    const pages::Rect at = ed->document().frame(0)->rect;
    EXPECT_EQ(at.right - at.left, h.width);
    EXPECT_EQ(at.bottom - at.top, h.height);

    // Played from the editor: the red page and the banner's frames over it, on the Device.
    ed->action(CMD_PLAY)->trigger();
    auto* air = dynamic_cast<CAirFrameWnd*>(main.modes().airFrame());
    ASSERT_NE(air, nullptr);
    air::CAirFrame& c = air->controller();
    auto green = [](const ktgsim::Picture& pic, int x, int y) {
        const uint8_t* p = pic.pixel(x, y);
        return p[1] > 150 && p[0] < 90 && p[2] < 90;
    };
    ASSERT_TRUE(runUntil([&] {
        const ktgsim::Picture pic = output();
        return red(pic, 360, 60) && green(pic, at.left + 30, at.top + 15);
    })) << "state "
        << c.State().state;
    EXPECT_TRUE(banner.isOpen());
    EXPECT_EQ(server->device().stats().rejects, 0u);
    shot(*air, "air_page_with_linked_banner");

    // Stopped: the banner goes off air with its page.
    air->OnCommand(air::CMD_STOP);
    ASSERT_TRUE(runUntil([&] { return c.State().state == air::AIR_CUED; })) << "state " << c.State().state;
    EXPECT_TRUE(runUntil([&] { return !green(output(), at.left + 30, at.top + 15); }));
    EXPECT_TRUE(main.modes().CloseOnAirMode());
    boxes.setQuestionAnswer(app::IDNO);
    EXPECT_TRUE(main.modes().CanCloseAll());
}

TEST_F(PageEditorGui, Dialogs) {
    // Colour: sixteen levels, saturated colours stay out of the swatches.
    CColourDialog c(0x80102030);
    EXPECT_EQ(c.windowTitle(), "Color");
    EXPECT_EQ(c.spin(3)->value(), 8);
    EXPECT_EQ(c.slider(3)->maximum(), 15);
    EXPECT_TRUE(c.saturatedLabel()->isHidden());
    c.spin(0)->setValue(230);
    EXPECT_FALSE(c.saturatedLabel()->isHidden());
    c.selectSwatch(4);
    c.setButton()->click();
    EXPECT_NE(boxes.lastText().find("Color is too saturated!"), std::string::npos);
    EXPECT_FALSE(a.profile().hasKey("Colors", "Color4"));
    c.spin(0)->setValue(100);
    c.slider(3)->setValue(15);
    c.setButton()->click();
    EXPECT_EQ(a.profile().getInt("Colors", "Color4", -1), 0x102064);
    EXPECT_EQ(c.colour(), 0xFF102064u);

    // Paragraph: mixed values stay -1 unless set; no alignment in a Scroller.
    pages::ParaFormat pf;
    pf.leftMargin = -1;
    pf.align = -1;
    CParagraphDialog p(pf, false);
    EXPECT_FALSE(p.alignButton(0)->parentWidget()->isEnabled());
    EXPECT_EQ(p.spin(1)->text().trimmed(), "");
    p.spin(2)->setValue(12);
    EXPECT_EQ(p.format().leftMargin, -1);
    EXPECT_EQ(p.format().rightMargin, 12);
    EXPECT_EQ(p.format().align, -1);
    EXPECT_EQ(p.spin(0)->maximum(), 100);
    EXPECT_EQ(p.spin(3)->maximum(), 200);

    // Frame: the border shows 1..15 and only for a moving frame.
    pages::FrameFormatting ff;
    ff.name = "Crawl";
    ff.left = 10, ff.top = 500, ff.width = 700, ff.height = 40, ff.border = 3;
    CFrameDialog fixed(ff, false, false);
    EXPECT_FALSE(fixed.borderSlider()->parentWidget()->isEnabled());
    EXPECT_FALSE(fixed.backgroundBox()->isEnabled());
    CFrameDialog moving(ff, true, true);
    EXPECT_TRUE(moving.borderSlider()->parentWidget()->isEnabled());
    moving.borderSlider()->setValue(14);
    moving.widthBox()->setValue(300);
    EXPECT_EQ(moving.formatting().border, 14);
    EXPECT_EQ(moving.formatting().width, 300);

    // Styles library: rename without commas, no removing the last style.
    pages::CStyleLibrary lib;
    lib.LoadText("Only,0,0,0,0,0,0,0,0,0,0,Sans,1,1,0,0,0\n", fonts);
    CStyleLibraryDialog s(lib, 0);
    EXPECT_FALSE(s.removeButton()->isEnabled());
    EXPECT_EQ(s.frameText()->text(), "Type: Fixed frame\nAlign: Top\nColor: R:0 G:0 B:0 A:0");
    s.nameEdit()->setText("A");
    s.nameEdit()->textEdited("A, B");
    EXPECT_EQ(s.library().styles[0].name, "A B");
    EXPECT_EQ(s.list()->item(0)->text(), "A B");

    // Preferences: offsets only with the guide lines, at most 100.
    pages::EditorPreferences prefs;
    CEditorPrefsDialog e(prefs);
    EXPECT_FALSE(e.clipXBox()->isEnabled());
    e.clipBox()->setChecked(true);
    EXPECT_TRUE(e.clipXBox()->isEnabled());
    e.clipXBox()->setValue(500);
    e.filterBox()->setChecked(false);
    EXPECT_EQ(e.preferences().clipX, 100);
    EXPECT_FALSE(e.preferences().filter);
    EXPECT_TRUE(e.preferences().dither);  // not in the dialog, kept
}

namespace {

// Every key a window answers to: its own commands, the main window's (for the windows inside it)
// and the program-wide ones; each with the name of its command.
using KeyNames = std::multimap<QString, QString>;

void addKeys(KeyNames& keys, const QList<QAction*>& actions, const QString& where) {
    for (QAction* a : actions)
        if (a->shortcutContext() != Qt::ApplicationShortcut)
            for (const QKeySequence& k : a->shortcuts())
                if (!k.isEmpty()) keys.emplace(k.toString(), where + ": " + a->text());
}

QStringList duplicates(const KeyNames& keys) {
    QStringList out;
    for (auto it = keys.begin(); it != keys.end();) {
        auto range = keys.equal_range(it->first);
        if (std::distance(range.first, range.second) > 1) {
            QStringList names;
            for (auto r = range.first; r != range.second; ++r) names << r->second;
            out << it->first + " = " + names.join(" | ");
        }
        it = range.second;
    }
    return out;
}

}  // namespace

TEST_F(PageEditorOnAir, OnAirKeysActEverywhereAndNoKeyIsBoundTwice) {
    QStringList warnings;
    static QStringList* sink = nullptr;
    sink = &warnings;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) {
            if (sink) sink->append(m);
        });
    air::CSeqDoc sequence(a.folders(), platform::SystemClock::instance());
    AirShared shared;
    shared.engine = &engine;
    shared.objects.page = &sharedPage;
    shared.objects.pageImage = &sharedImage;
    shared.objects.sequence = &sequence;
    InstallAirFrame(a, shared);
    RegisterPageEditor();
    RegisterSequenceEditor(shared.objects);
    {
        CMainFrame main(a);
        main.resize(1000, 700);
        main.show();
        device::ProgramFeed feed;
        auto* monitor = new CProgramMonitor(feed, &main);
        main.addWindowCommand(monitor->showAction());
        monitor->show();
        ASSERT_TRUE(main.modes().OpenMode(app::ID_MODE_FIRST + app::MODE_SEQUENCE_EDITOR));
        ASSERT_TRUE(main.modes().OpenMode(app::ID_MODE_FIRST + app::MODE_PAGE_EDITOR));
        auto* ed = dynamic_cast<CPageEditorFrame*>(main.modes().editorFrame(app::MODE_PAGE_EDITOR));
        ASSERT_NE(ed, nullptr);
        ed->editor().SetPageColour(0x000000FF);
        ed->action(CMD_PLAY)->trigger();
        auto* air = dynamic_cast<CAirFrameWnd*>(main.modes().airFrame());
        ASSERT_NE(air, nullptr);
        air::CAirFrame& c = air->controller();
        ASSERT_TRUE(runUntil([&] { return c.IsOnAir(); })) << "state " << c.State().state;

        // The program-wide keys: the on-air frame's hotkeys.
        KeyNames global;
        int hotkeys = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
            for (QShortcut* s : top->findChildren<QShortcut*>())
                if (s->context() == Qt::ApplicationShortcut && !s->key().isEmpty()) {
                    global.emplace(s->key().toString(), "on air: hotkey");
                    ++hotkeys;
                }
        EXPECT_EQ(hotkeys, 8);
        EXPECT_TRUE(duplicates(global).isEmpty()) << duplicates(global).join("\n").toStdString();
        // The main window's own commands (not those of the windows in it).
        QList<QAction*> mainOwn;
        auto inside = [](const QObject* o, const QObject* w) {
            for (; o; o = o->parent())
                if (o == w) return true;
            return false;
        };
        for (QAction* act : main.findChildren<QAction*>())
            if (!inside(act, main.mdiArea()) && !inside(act, monitor)) mainOwn << act;
        int windows = 0;
        for (QMdiSubWindow* w : main.mdiArea()->subWindowList()) {
            KeyNames keys = global;
            addKeys(keys, mainOwn, "main window");
            addKeys(keys, w->findChildren<QAction*>(), w->windowTitle());
            EXPECT_TRUE(duplicates(keys).isEmpty()) << w->windowTitle().toStdString() << ":\n"
                                                    << duplicates(keys).join("\n").toStdString();
            ++windows;
        }
        EXPECT_EQ(windows, 3);  // both editors and the on-air frame
        KeyNames monitorKeys = global;
        addKeys(monitorKeys, monitor->findChildren<QAction*>(), "monitor");
        EXPECT_TRUE(duplicates(monitorKeys).isEmpty()) << duplicates(monitorKeys).join("\n").toStdString();

        // The sequence editor's window has the keyboard: F6 pauses the show, F6 again goes on.
        auto* seqFrame = main.modes().editorFrame(app::MODE_SEQUENCE_EDITOR);
        auto* seqWidget = dynamic_cast<QMdiSubWindow*>(seqFrame);
        ASSERT_NE(seqWidget, nullptr);
        main.mdiArea()->setActiveSubWindow(seqWidget);
        QApplication::setActiveWindow(&main);
        QWidget* focus = seqWidget->widget()->focusWidget() ? seqWidget->widget()->focusWidget() : seqWidget->widget();
        QTest::keyClick(focus, Qt::Key_F6);
        EXPECT_TRUE(c.State().paused);
        QTest::keyClick(focus, Qt::Key_F6);
        EXPECT_FALSE(c.State().paused);

        // The Hotkeys dialog refuses a key that another window's command answers to.
        CHotkeysDialog dlg;
        dlg.setTable(c.hotkeys());
        dlg.setKeysInUse(KeysInUse(air));
        EXPECT_TRUE(dlg.problem().isEmpty()) << dlg.problem().toStdString();
        dlg.field(2)->setValue(air::HOTKEY_CTRL | 'S');
        EXPECT_EQ(dlg.problem(), "The key Ctrl+S for \"Next\" is already used by \"Save\" in " +
                                     ed->windowTitle().remove("[*]") + ": choose another key.")
            << dlg.problem().toStdString();

        air->OnCommand(air::CMD_STOP);
        ASSERT_TRUE(runUntil([&] { return c.State().state == air::AIR_CUED; }));
        EXPECT_TRUE(main.modes().CloseOnAirMode());
        boxes.setQuestionAnswer(app::IDNO);
        EXPECT_TRUE(main.modes().CanCloseAll());
    }
    qInstallMessageHandler(previous);
    sink = nullptr;
    for (const QString& w : warnings) EXPECT_FALSE(w.contains("Ambiguous")) << w.toStdString();
}

TEST_F(PageEditorGui, CancelledNewPageLeavesTheWindowsAsTheyWere) {
    {
        CPageEditorFrame t(fonts);
        ASSERT_TRUE(t.Prepare(""));
        ASSERT_TRUE(t.SaveTo(home.file("Templates/Weather.zxg")));
    }
    RegisterPageEditor();  // the sequence editor stays a placeholder
    CMainFrame main(a);
    main.resize(900, 700);
    main.show();
    ASSERT_TRUE(main.modes().OpenMode(app::ID_MODE_FIRST + app::MODE_SEQUENCE_EDITOR));
    QMdiSubWindow* seqFrame = main.mdiArea()->activeSubWindow();
    ASSERT_NE(seqFrame, nullptr);
    settle();
    ASSERT_TRUE(seqFrame->isMaximized());
    // "Create new page" asks which kind of page; the operator cancels.
    zxtest::WhenModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_FALSE(main.modes().OpenMode(app::ID_MODE_FIRST + app::MODE_PAGE_EDITOR));
    settle();
    EXPECT_EQ(main.modes().editorFrame(app::MODE_PAGE_EDITOR), nullptr);
    ASSERT_EQ(main.mdiArea()->subWindowList().size(), 1);
    EXPECT_TRUE(seqFrame->isMaximized());
    EXPECT_EQ(main.mdiArea()->activeSubWindow(), seqFrame);
    EXPECT_TRUE(main.toolbar()->isHidden());

    // The Window menu names the windows as their title bars do.
    seqFrame->setWindowTitle("Evening test.zxs[*]");
    seqFrame->setWindowModified(true);
    EXPECT_EQ(ShownTitle(*seqFrame), "Evening test.zxs*");
    seqFrame->setWindowModified(false);
    EXPECT_EQ(ShownTitle(*seqFrame), "Evening test.zxs");
}

TEST_F(PageEditorGui, EveryToolShowsAt870PixelsWide) {
    CPageEditorFrame f(fonts);
    ASSERT_TRUE(f.Prepare(""));
    f.resize(870, 640);
    f.show();
    settle();
    int tools = 0;
    for (QToolBar* bar : f.window()->findChildren<QToolBar*>()) {
        for (QAction* act : bar->actions()) {
            if (act->isSeparator()) continue;
            QWidget* w = bar->widgetForAction(act);
            ASSERT_NE(w, nullptr) << bar->objectName().toStdString();
            EXPECT_TRUE(w->isVisible() && bar->rect().contains(w->geometry()))
                << bar->objectName().toStdString() << ": " << act->text().toStdString();
            ++tools;
        }
        // The overflow button stays hidden.
        for (QToolButton* b : bar->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (b->objectName() == "qt_toolbar_ext_button") {
                EXPECT_FALSE(b->isVisible()) << bar->objectName().toStdString();
            }
        }
    }
    EXPECT_GT(tools, 35);
    shot(f, "editor_870");
}

TEST_F(PageEditorGui, FileDialogsNameTheTypesAndShowAPageThumbnail) {
    {
        CPageEditorFrame t(fonts);
        ASSERT_TRUE(t.Prepare(""));
        t.editor().SetPageColour(0x000000FF);  // red
        ASSERT_TRUE(t.SaveTo(home.file("Pages/red.zxg")));
    }
    std::unique_ptr<QFileDialog> d(
        MakeFileDialog(nullptr, "Open page", QString::fromStdString(home.file("Pages")), app::FT_PAGE));
    EXPECT_TRUE(d->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(d->nameFilters().size(), 1);
    EXPECT_TRUE(d->nameFilters().first().contains("*.zxg"));
    d->show();
    auto* list = d->findChild<QTreeView*>("treeView");
    ASSERT_NE(list, nullptr);
    // The file system model reads the folder in the background.
    QElapsedTimer t;
    t.start();
    QModelIndex red;
    while (!red.isValid() && t.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        auto* model = qobject_cast<QFileSystemModel*>(list->model());
        if (model) red = model->index(QString::fromStdString(home.file("Pages/red.zxg")));
    }
    ASSERT_TRUE(red.isValid());
    const QString type = list->model()->index(red.row(), 2, red.parent()).data().toString();
    EXPECT_EQ(type.toStdString(), app::FileTypeName(app::FT_PAGE));
    EXPECT_FALSE(type.contains("unknown"));
    EXPECT_EQ(list->header()->sectionResizeMode(1), QHeaderView::ResizeToContents);
    // Choosing the page shows its thumbnail.
    QLabel* thumb = ThumbnailOf(*d);
    ASSERT_NE(thumb, nullptr);
    d->selectFile(QString::fromStdString(home.file("Pages/red.zxg")));
    emit d->currentChanged(QString::fromStdString(home.file("Pages/red.zxg")));
    ASSERT_FALSE(thumb->pixmap().isNull());
    const QImage img = thumb->pixmap().toImage();
    EXPECT_EQ(img.pixelColor(img.width() / 2, img.height() / 2), QColor(255, 0, 0));
    emit d->currentChanged(QString::fromStdString(home.file("Pages")));
    EXPECT_TRUE(thumb->pixmap().isNull());
    shot(*d, "file_dialog_page");
}
