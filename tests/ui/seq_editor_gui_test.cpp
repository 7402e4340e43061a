// The sequence editor on screen: a sequence of sample pages in a font made from DejaVu Sans,
// the grid and its commands, saved and opened again, "Add page" through the page editor, and
// played in the preview on the virtual Device.
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QStatusBar>
#include <QThread>

#include "air/air_frame.h"
#include "air/preview_params.h"
#include "air/seq_doc.h"
#include "air_qt_app.h"
#include "app/page_editor_link.h"
#include "app/strings.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "ktgsim/picture.h"
#include "ktgsim/server.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "pages/sample_pages.h"
#include "pages/scalable_font.h"
#include "platform/files.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/editor/page_editor_frame.h"
#include "ui/mainframe/main_frame.h"
#include "ui/seqedit/seq_dialogs.h"
#include "ui/seqedit/seq_frame.h"
#include "ui/seqedit/seq_view.h"
#include "ui_fixture.h"

using namespace ui;
using air::SEQ_COL_CHECK;
using air::SEQ_COL_NUMBER;
using air::SEQ_COL_PAGE;
using air::SEQ_COL_TIME;

namespace {

constexpr const char* kSansFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class SeqEditorGui : public zxtest::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        if (!platform::FileExists(kSansFile)) GTEST_SKIP() << "fonts-dejavu-core is not installed";
        pages::ScalableFontOptions o;
        o.fontFile = kSansFile;
        o.height = 28;
        o.shadow = true;
        o.outline = 1;
        pages::CBitmapFont font;
        std::string error;
        ASSERT_TRUE(pages::MakeFontFromScalable(o, font, error)) << error;
        ASSERT_TRUE(pages::CFontManager().Save(font, home.file("Fonts/Sans.bmf")));

        ktgsim::ServerOptions so;
        so.device.statusClass = 1;
        so.listen = "127.0.0.1:0";
        so.timeScale = 4;
        server = std::make_unique<ktgsim::Server>(so);
        std::string why;
        ASSERT_TRUE(server->start(why)) << why;
        zxtest::WriteText(home.file("ZENTRIX.INI"),
                          "[Hardware]\nEnable=1\nModel=1\n[Ethernet]\nHosts=" + server->netAddress() + "\n");
        a.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", home.path()}));
        a.setDeviceLink(&engine);
        device::NetSetLockFolder(home.path());
        a.StartHardware();
        a.folders().createDataFolders();
        fonts.setFolder(home.file("Fonts"));
        fonts.Enumerate();
        ASSERT_EQ(fonts.GetCount(), 1);
        seq.NewSequence();
    }
    void TearDown() override {
        if (server) {
            a.StopHardware();
            server->stop();
        }
        air::SetPreviewShowParams(std::nullopt);
        UiTest::TearDown();
    }

    air::AirObjects objects() {
        air::AirObjects o;
        o.page = &page;
        o.pageImage = &image;
        o.sequence = &seq;
        return o;
    }
    std::string makePage(const std::string& name, pages::SamplePage kind) {
        pages::CPageDoc doc(fonts);
        pages::BuildSamplePage(doc, kind, "Sans");
        pages::CPageImage img;
        img.Compile(doc, pages::COMPILE_DEVICE | pages::COMPILE_THUMBNAIL);
        const std::string path = a.GetPath(app::FOLDER_PAGES) + name;
        EXPECT_EQ(doc.Save(path, img), 0);
        return path;
    }
    std::vector<std::string> threePages() {
        return {makePage("text.zxg", pages::SamplePage::Text),
                makePage("lower-third.zxg", pages::SamplePage::LowerThird),
                makePage("roll.zxg", pages::SamplePage::Roll)};
    }
    static QString cell(QAbstractItemModel* m, int row, int column, int role = Qt::DisplayRole) {
        return m->data(m->index(row, column), role).toString();
    }
    // Runs the GUI until done() or the time is over.
    static bool waitFor(const std::function<bool()>& done, int ms) {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > ms) return false;
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
        }
        return true;
    }

    std::unique_ptr<ktgsim::Server> server;
    device::CEngine engine;
    pages::CFontManager fonts;
    pages::CPageDoc page{fonts};
    pages::CPageImage image;
    air::CSeqDoc seq{a.folders(), platform::SystemClock::instance()};
};

}  // namespace

TEST_F(SeqEditorGui, GridCommandsAndFiles) {
    CSeqFrame frame(objects());
    frame.resize(1240, 420);
    frame.show();
    frame.AddFiles(threePages());
    seq.AppendPage(a.GetPath(app::FOLDER_PAGES) + "gone.zxg", {});
    frame.Refresh();

    QAbstractItemModel* m = frame.view()->model();
    ASSERT_EQ(m->rowCount(), 5);
    EXPECT_EQ(m->headerData(SEQ_COL_PAGE, Qt::Horizontal).toString(), "Page");
    EXPECT_EQ(cell(m, 0, SEQ_COL_NUMBER), "4");
    EXPECT_EQ(cell(m, 0, SEQ_COL_CHECK), "3");
    EXPECT_EQ(cell(m, 1, SEQ_COL_PAGE), "text.zxg");
    EXPECT_EQ(m->data(m->index(4, SEQ_COL_PAGE), Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    EXPECT_EQ(m->data(m->index(4, SEQ_COL_CHECK), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_FALSE(m->data(m->index(2, air::SEQ_COL_TYPE), Qt::DecorationRole).isNull());
    EXPECT_FALSE(cell(m, 2, air::SEQ_COL_ABSTRACT).isEmpty());
    EXPECT_TRUE(frame.windowTitle().startsWith("Sequence editor : "));
    EXPECT_TRUE(frame.isWindowModified());
    EXPECT_EQ(frame.view()->columnWidth(2), 132);

    // The crawl's time follows its scroll; the text page's time is typed.
    EXPECT_FALSE(m->flags(m->index(2, SEQ_COL_TIME)) & Qt::ItemIsEditable);
    ASSERT_TRUE(m->flags(m->index(1, SEQ_COL_TIME)) & Qt::ItemIsEditable);
    const int before = seq.totalTime;
    ASSERT_TRUE(m->setData(m->index(1, SEQ_COL_TIME), "25", Qt::EditRole));
    EXPECT_EQ(seq.totalTime, before + 15);
    EXPECT_EQ(cell(m, 0, SEQ_COL_TIME), QString::fromStdString(air::CSeqEditor::TotalText(seq.totalTime)));
    ASSERT_TRUE(m->setData(m->index(3, air::SEQ_COL_COMMENT), "closing credits", Qt::EditRole));
    EXPECT_EQ(seq.items[2].comment, "closing credits");

    // "Invert": the last item right under the summary row; Up moves it on screen.
    frame.OnCommand(ID_SEQ_REVERSE_SORT);
    EXPECT_EQ(cell(m, 1, SEQ_COL_PAGE), "gone.zxg");
    EXPECT_EQ(a.profile().getInt("SequenceEditor", "Invert", 0), 1);
    frame.view()->selectRow(2);  // roll.zxg
    frame.OnCommand(ID_SEQ_UP);
    EXPECT_EQ(cell(m, 1, SEQ_COL_PAGE), "roll.zxg");
    EXPECT_EQ(seq.items[3].pageName, "roll.zxg");
    frame.OnCommand(ID_SEQ_REVERSE_SORT);

    // Sorting by a header asks first (the headless box answers Yes).
    const int asked = boxes.count();
    frame.SortByColumn(SEQ_COL_PAGE);
    EXPECT_EQ(boxes.count(), asked + 1);
    EXPECT_EQ(cell(m, 1, SEQ_COL_PAGE), "gone.zxg");
    EXPECT_EQ(cell(m, 4, SEQ_COL_PAGE), "text.zxg");

    // Cut (asked) and paste at the end.
    frame.view()->selectRow(1);
    frame.OnCommand(ID_SEQ_CUT);
    ASSERT_EQ(seq.count(), 3);
    frame.OnCommand(ID_SEQ_PASTE);
    EXPECT_EQ(seq.items[3].pageName, "gone.zxg");
    EXPECT_EQ(frame.editor().selection(), std::vector<int>{3});
    EXPECT_TRUE(frame.action(ID_SEQ_PLAY)->isEnabled() == false || a.modes() != nullptr);
    if (const char* dir = std::getenv("ZX_SCREENSHOTS"); dir && *dir)
        frame.grab().save(QString::fromStdString(std::string(dir) + "/seq_editor.png"));

    // Saved, replaced by a new sequence, and read back.
    const std::string file = a.GetPath(app::FOLDER_SEQUENCES) + "evening.zxs";
    ASSERT_TRUE(frame.SaveTo(file));
    EXPECT_FALSE(frame.isWindowModified());
    EXPECT_EQ(a.GetPath(app::FOLDER_LAST_SEQUENCES), a.GetPath(app::FOLDER_SEQUENCES));
    ASSERT_TRUE(frame.SaveAsTitle(a.GetPath(app::FOLDER_TITLES) + "evening.zxs"));
    EXPECT_EQ(seq.pathName, file);
    ASSERT_TRUE(frame.NewSequence());
    EXPECT_EQ(m->rowCount(), 1);
    const int shown = boxes.count();
    ASSERT_TRUE(frame.OpenFile(file));
    EXPECT_EQ(boxes.count(), shown + 1);  // the missing page is reported
    ASSERT_EQ(m->rowCount(), 5);
    EXPECT_EQ(cell(m, 4, SEQ_COL_PAGE), "gone.zxg");
    EXPECT_EQ(seq.items[1].comment, "closing credits");
    EXPECT_EQ(cell(m, 0, SEQ_COL_CHECK), "3");

    // A file that is no sequence leaves a new one.
    zxtest::WriteText(home.file("bad.zxs"), "not a sequence");
    EXPECT_FALSE(frame.OpenFile(home.file("bad.zxs")));
    EXPECT_EQ(seq.count(), 0);
    EXPECT_FALSE(seq.fromFile);
}

TEST_F(SeqEditorGui, AddPageAndEditPageThroughThePageEditor) {
    RegisterPageEditor();
    RegisterSequenceEditor(objects());
    CMainFrame f(a);
    f.show();
    ASSERT_TRUE(f.modes().OpenMode(app::ID_MODE_FIRST + app::MODE_SEQUENCE_EDITOR));
    auto* frame = dynamic_cast<CSeqFrame*>(f.modes().editorFrame(app::MODE_SEQUENCE_EDITOR));
    ASSERT_NE(frame, nullptr);

    frame->AddPage();
    auto* pe = dynamic_cast<CPageEditorFrame*>(f.modes().editorFrame(app::MODE_PAGE_EDITOR));
    ASSERT_NE(pe, nullptr);
    pages::BuildSamplePage(pe->document(), pages::SamplePage::Text, "Sans");
    pe->editor().DocumentChanged();
    const std::string added = a.GetPath(app::FOLDER_PAGES) + "added.zxg";
    ASSERT_TRUE(pe->SaveTo(added));
    ASSERT_EQ(seq.count(), 1);
    EXPECT_EQ(seq.items[0].pageName, "added.zxg");
    EXPECT_TRUE(seq.items[0].loaded);
    EXPECT_EQ(frame->editor().selection(), std::vector<int>{0});
    EXPECT_EQ(frame->view()->model()->rowCount(), 2);

    // Saved under another name: the item follows; a page saved for nobody joins nothing.
    const std::string renamed = a.GetPath(app::FOLDER_PAGES) + "renamed.zxg";
    ASSERT_TRUE(pe->SaveTo(renamed));
    EXPECT_EQ(seq.items[0].pageName, "renamed.zxg");
    frame->OnCommand(ID_SEQ_PAGE_EDITOR);
    ASSERT_TRUE(pe->SaveTo(a.GetPath(app::FOLDER_PAGES) + "alone.zxg"));
    EXPECT_EQ(seq.count(), 1);

    // "Edit page" opens the item's page in the page editor.
    frame->EditPage(0, false);
    EXPECT_EQ(pe->document().pathName, renamed);
    EXPECT_EQ(app::CurrentPageEditorUse(), app::PAGE_USE_ITEM);
    f.modes().CloseEditor(app::MODE_PAGE_EDITOR);
    frame->document().modified = false;
}

TEST_F(SeqEditorGui, PlaysTheSequenceOnTheVirtualDevice) {
    InstallAirFrame(a, AirShared{&engine, objects()});
    RegisterSequenceEditor(objects());
    CMainFrame f(a);
    f.show();
    {
        air::CSeqDoc build(a.folders(), platform::SystemClock::instance());
        air::ShowParams two;
        two.showTime = 2;
        for (const std::string& p : threePages()) build.AppendPage(p, two);
        ASSERT_EQ(build.SaveSequence(a.GetPath(app::FOLDER_SEQUENCES) + "air.zxs"), air::SEQ_OK);
    }
    // As "zentrix air.zxs" does.
    ASSERT_TRUE(f.modes().OpenEditor(app::MODE_SEQUENCE_EDITOR, a.GetPath(app::FOLDER_SEQUENCES) + "air.zxs"));
    auto* frame = dynamic_cast<CSeqFrame*>(f.modes().editorFrame(app::MODE_SEQUENCE_EDITOR));
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(seq.count(), 3);
    EXPECT_EQ(seq.checkedCount, 3);
    ASSERT_TRUE(frame->action(ID_SEQ_PLAY)->isEnabled());

    frame->action(ID_SEQ_PLAY)->trigger();
    auto* wnd = dynamic_cast<CAirFrameWnd*>(f.modes().airFrame());
    ASSERT_NE(wnd, nullptr);
    air::CAirFrame& c = wnd->controller();
    // Play goes on air at once, without the frame's own Play.
    ktgsim::Picture pic;
    auto onAir = [&] {
        server->render(pic);
        // Every sample page puts panels and text over the black program output.
        int lit = 0;
        for (size_t i = 0; i < pic.rgba.size(); i += 4) lit += pic.rgba[i] + pic.rgba[i + 1] + pic.rgba[i + 2] > 60;
        return lit > 10000;
    };
    ASSERT_TRUE(waitFor(onAir, 30000)) << "state " << c.State().state;
    EXPECT_TRUE(c.IsOnAir());
    EXPECT_EQ(c.State().current, 0);
    EXPECT_EQ(server->device().stats().rejects, 0u);
    if (const char* dir = std::getenv("ZX_SCREENSHOTS"); dir && *dir)
        ktgsim::WritePng(std::string(dir) + "/seq_on_air.png", pic);

    // Stopped; the Type cell previews one page with its own show parameters.
    wnd->OnCommand(air::CMD_STOP);
    ASSERT_TRUE(waitFor([&] { return c.CanStart(); }, 20000));
    seq.items[2].showParams.inType = 3;
    air::SetPreviewShowParams(std::nullopt);
    frame->PreviewItem(2);
    EXPECT_EQ(c.State().kind & air::KIND_SINGLE, air::KIND_SINGLE);
    EXPECT_EQ(c.showParams().inType, 3);
    EXPECT_EQ(air::PreviewShowParams(), nullptr);  // only for that preview: what was set before
    EXPECT_EQ(page.pathName, seq.FullPath(seq.items[2]));
    ASSERT_TRUE(waitFor([&] { return c.IsOnAir(); }, 30000)) << "state " << c.State().state;
    wnd->OnCommand(air::CMD_STOP);
    ASSERT_TRUE(waitFor([&] { return c.CanStart(); }, 20000));
    EXPECT_TRUE(f.modes().CloseOnAirMode());
    settle();
}

TEST_F(SeqEditorGui, StatusPanesNeverOverlap) {
    CSeqFrame frame(objects());
    frame.AddFiles(threePages());
    frame.Refresh();
    for (int width : {1240, 640, 420}) {
        frame.resize(width, 400);
        frame.show();
        settle();
        QStatusBar* bar = frame.window()->statusBar();
        QRect previous;
        for (int i = 0; i < 3; ++i) {
            QLabel* pane = frame.statusPane(i);
            const QRect r(pane->mapTo(bar, QPoint(0, 0)), pane->size());
            EXPECT_TRUE(bar->rect().contains(r)) << width << " pane " << i;
            if (i > 0) {
                EXPECT_LE(previous.right(), r.left()) << width << " pane " << i;
            }
            previous = r;
            EXPECT_FALSE(pane->toolTip().isEmpty());  // the whole text when it is cut
        }
        // A passing message takes the file name's place, not a place over the counts.
        bar->showMessage("Saved /a/rather/long/folder/name/of/the/sequence.zxs");
        settle();
        EXPECT_TRUE(frame.statusPane(0)->isHidden()) << width;
        bar->clearMessage();
        settle();
        EXPECT_FALSE(frame.statusPane(0)->isHidden()) << width;
    }
}

TEST_F(SeqEditorGui, DateDialogs) {
    using air::SeqDate;
    const SeqDate today{2026, 12, 7};  // a Monday
    air::ShowDateEdit e;
    e.useDate = 1;
    e.from = today;
    e.to = {2026, 12, 20};
    e.weekday[5] = -1;  // Saturday differs among the items
    CShowDateDialog d(e, today);
    EXPECT_EQ(d.weekday(5)->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(d.total()->text(), "Total: 12");  // two weeks without the undetermined Saturdays
    d.weekday(6)->setChecked(false);
    EXPECT_EQ(d.edit().weekday[6], 0);
    EXPECT_EQ(d.total()->text(), "Total: 10");
    d.startDate()->setDate(QDate(2026, 12, 14));
    EXPECT_EQ(d.left()->text(), "Left: 5");
    EXPECT_TRUE(d.edit().datesSet);
    d.restrict()->setChecked(false);
    EXPECT_EQ(d.edit().useDate, 0);
    EXPECT_FALSE(d.weekday(0)->isEnabled());
    zxtest::SaveScreenshot(d, "seq_show_date");

    air::CheckByDateSettings s;
    s.mode = air::CHECK_SPECIFIED;
    s.startOp = air::DATE_NOT_LATER;
    s.startDate = today;
    s.endDate = {2027, 1, 1};
    CCheckDateDialog c(s);
    EXPECT_TRUE(c.mode(air::CHECK_SPECIFIED)->isChecked());
    EXPECT_EQ(c.startOp()->currentText(), "not later than");
    EXPECT_FALSE(c.endDate()->isEnabled());  // "any"
    EXPECT_FALSE(c.onDate()->isEnabled());
    c.endOp()->setCurrentIndex(air::DATE_EQUAL);
    EXPECT_TRUE(c.endDate()->isEnabled());
    const air::CheckByDateSettings back = c.settings();
    EXPECT_EQ(back.endOp, air::DATE_EQUAL);
    EXPECT_EQ(back.endDate, (SeqDate{2027, 1, 1}));
    EXPECT_EQ(back.startDate, today);
    zxtest::SaveScreenshot(c, "seq_check_by_date");

    CActionDialog missing(false, "gone.zxg");
    EXPECT_EQ(missing.choice(), CActionDialog::REPLACE_PAGE);
    CActionDialog loaded(true, "text.zxg");
    EXPECT_EQ(loaded.choice(), CActionDialog::EDIT_PAGE);
}
