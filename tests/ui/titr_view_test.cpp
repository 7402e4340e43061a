// Live mode's view offscreen: the tree, a title's fields typed into and rendered with F2, the
// sequence list, a file dropped from the desktop, and a picture of the whole.
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <cstdio>
#include <cstdlib>

#include "air/air_fakes.h"
#include "air/air_test_util.h"
#include "air/seq_doc.h"
#include "device/engine.h"
#include "live_view_fixture.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "pages/page_test_util.h"
#include "platform/files.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/air/titr_view.h"
#include "ui/translate.h"

using namespace ui;

namespace {

struct TitrViewTest : zxtest::LiveViewTest {
    void makeTitle(const std::string& name) {
        pages::CPageDoc doc(fonts);
        doc.NewPage();
        doc.SetBackgroundColour(0xFF000000);
        const char* frames[3][2] = {{"Bar", ""}, {"Name", "NAME"}, {"Role", "ROLE"}};
        for (int k = 0; k < 3; ++k) {
            pages::FrameFormat ff;
            ff.colour = k == 0 ? 0x30602008 : 0xFF000000;
            pages::TextFormat tf;
            tf.setFontName("Grid");
            tf.tint = 1;
            tf.colour = 0x00FFFFFF;
            const int i =
                doc.CreateFrame({60, 420 + k * 40, 660, 456 + k * 40}, ff, pages::ParaFormat{}, tf, frames[k][0]);
            doc.frame(i)->InsertText(frames[k][1], fonts);
            doc.frame(i)->ResetView();
            doc.frame(i)->lock = k == 0;
        }
        pages::CPageImage img;
        img.Compile(doc, pages::COMPILE_DEVICE | pages::COMPILE_THUMBNAIL);
        ASSERT_EQ(doc.Save(home.file("Pages/" + name + ".zxg"), img), 0);
        air::CSeqDoc s(a.folders(), platform::SystemClock::instance());
        s.AppendPage(home.file("Pages/" + name + ".zxg"), air::ShowParams{});
        ASSERT_EQ(s.SaveSequence(home.file("Titr/" + name + ".zxs")), 0);
    }
    std::string makeSequence(const std::string& name, int n) {
        air::CSeqDoc s(a.folders(), platform::SystemClock::instance());
        for (int i = 0; i < n; ++i) {
            airtest::TestPage p;
            p.words = "words " + std::to_string(i);
            const std::string file = home.file("Pages/" + name + std::to_string(i) + ".zxg");
            EXPECT_TRUE(airtest::WritePage(fonts, file, p));
            air::ShowParams five;
            five.showTime = 5;
            s.AppendPage(file, five);
        }
        const std::string path = home.file("Sequences/" + name + ".zxs");
        EXPECT_EQ(s.SaveSequence(path), 0);
        return path;
    }
    static void type(QWidget* w, const QString& text) {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w, &press);
        }
    }
};

}  // namespace

TEST_F(TitrViewTest, TypeIntoATitlesFieldsAndRenderWithF2) {
    makeTitle("Lower third");
    open();
    QTreeWidget* tree = view->tree();
    ASSERT_EQ(tree->topLevelItemCount(), 4);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "Titles");
    QTreeWidgetItem* item = view->itemOf(home.file("Titr/Lower third.zxs"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(0), "Lower third");
    EXPECT_FALSE(view->renderButton()->isEnabled());
    tree->setCurrentItem(item);

    ASSERT_EQ(view->model().selectedKind(), air::TITR_TITLE);
    EXPECT_FALSE(view->field(0)->isHidden());
    EXPECT_FALSE(view->field(1)->isHidden());
    EXPECT_TRUE(view->field(2)->isHidden());
    EXPECT_EQ(view->label(0)->text(), "Name");
    EXPECT_EQ(ResourceId(view->field(1)), IDC_TITR_FIELD0 + 1);
    EXPECT_EQ(view->field(0)->text(), "NAME");
    EXPECT_TRUE(view->list()->isHidden());
    EXPECT_TRUE(view->renderButton()->isEnabled());
    EXPECT_FALSE(view->selectionPreview()->image().isNull());

    view->field(0)->selectAll();
    type(view->field(0), QStringLiteral("ANNA"));
    view->field(1)->selectAll();
    type(view->field(1), QString::fromUtf8("Zo\u00eb"));  // a character code page 1251 lacks
    EXPECT_EQ(view->field(1)->text(), "Zo?");
    wnd->OnCommand(IDC_TITR_RENDER);  // F2
    EXPECT_TRUE(wnd->progress()->isHidden());
    EXPECT_EQ(cmds->last().code, device::CMD_LOAD_RECT);
    finish();
    EXPECT_EQ(wnd->controller().State().state, air::AIR_CUED);
    EXPECT_EQ(view->model().titlePage().frame(1)->PlainText(), "ANNA");
    EXPECT_FALSE(view->onAirPreview()->image().isNull());
    EXPECT_EQ(zxtest::ReadText(home.file("airlog.txt")),
              std::string(22, ' ') + "-> Lower third.zxg -> [Name]:[ANNA],[Role]:[Zo?]\r\n");
    // A picture for looking at, when ZX_SCREENSHOTS names a folder.
    if (const char* shots = std::getenv("ZX_SCREENSHOTS"); shots && *shots)
        wnd->grab().save(QString::fromStdString(std::string(shots) + "/titr-view-title.png"));
    const QImage shot = wnd->grab().toImage();
    EXPECT_GT(shot.width(), 600);
}

TEST_F(TitrViewTest, SequenceListChecksAndMovesRowsAndCtrlRRebuildsTheTree) {
    const std::string path = makeSequence("Show", 3);
    open();
    view->tree()->setCurrentItem(view->itemOf(path));
    ASSERT_EQ(view->model().selectedKind(), air::TITR_SEQUENCE);
    QTreeWidget* list = view->list();
    EXPECT_FALSE(list->isHidden());
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(2)->text(0), "3");
    EXPECT_EQ(list->topLevelItem(0)->text(1), "0:05");
    list->setCurrentItem(list->topLevelItem(0));
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(list, &space);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "");
    EXPECT_EQ(list->topLevelItem(2)->text(0), "2");
    list->setCurrentItem(list->topLevelItem(2));
    for (QPushButton* b : view->findChildren<QPushButton*>())
        if (ResourceId(b) == IDC_TITR_UP) b->click();
    EXPECT_EQ(list->topLevelItem(1)->text(2), "Show2.zxg");
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
    if (const char* shots = std::getenv("ZX_SCREENSHOTS"); shots && *shots)
        wnd->grab().save(QString::fromStdString(std::string(shots) + "/titr-view-sequence.png"));
    view->SaveAs(home.file("Sequences/Copy.zxs"));
    EXPECT_NE(view->itemOf(home.file("Sequences/Copy.zxs")), nullptr);
    // Ctrl+R: a file added meanwhile appears.
    makeSequence("Later", 1);
    EXPECT_EQ(view->itemOf(home.file("Sequences/Later.zxs")), nullptr);
    wnd->OnCommand(IDC_TITR_REFRESH);
    EXPECT_NE(view->itemOf(home.file("Sequences/Later.zxs")), nullptr);
    EXPECT_TRUE(seq->items.empty());  // the editor's sequence was never read into
}

TEST_F(TitrViewTest, AFileDroppedFromTheDesktopIsCued) {
    const std::string path = makeSequence("Dropped", 2);
    open();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &drop);
    EXPECT_EQ(view->model().selectedKind(), air::TITR_SEQUENCE);
    EXPECT_EQ(view->tree()->currentItem(), view->itemOf(path));
    EXPECT_EQ(view->list()->topLevelItemCount(), 2);
    finish();
    EXPECT_EQ(wnd->controller().State().state, air::AIR_CUED);
    EXPECT_EQ(wnd->controller().playedSequence(), &view->model().sequence());

    // Another kind of file is not taken.
    QMimeData other;
    other.setUrls({QUrl::fromLocalFile(home.file("notes.txt").c_str())});
    QDragEnterEvent enter2(QPoint(10, 10), Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
    enter2.setAccepted(false);
    QApplication::sendEvent(view, &enter2);
    EXPECT_FALSE(enter2.isAccepted());
}

TEST_F(TitrViewTest, ClosingTheLiveViewLeavesTheFrameNothingOfIt) {
    const std::string path = makeSequence("Show", 2);
    open();
    view->tree()->setCurrentItem(view->itemOf(path));
    view->Render();
    finish();
    ASSERT_EQ(wnd->controller().State().state, air::AIR_CUED);
    // Live closes while another view of the frame stays (the Interactive system's case).
    wnd->DestroyView(app::VIEW_LIVE);
    EXPECT_EQ(wnd->controller().view(), nullptr);
    EXPECT_EQ(wnd->controller().playedSequence(), seq.get());
    wnd->controller().ClearAir();  // tells no view that is gone
    wnd->controller().UpdateListButtons();
}

TEST_F(TitrViewTest, EditPlaylistFromTheMenuLeavesACuedSequenceAlone) {
    const std::string path = makeSequence("Cued", 1);
    open();
    int edits = 0;
    Factories().editAirPlaylist = [&](QWidget* parent) {
        EXPECT_EQ(parent, view);
        ++edits;
        return edits == 2;
    };
    ASSERT_TRUE(view->CueFile(path));
    finish();
    ASSERT_EQ(wnd->controller().State().state, air::AIR_CUED);
    EXPECT_FALSE(view->EditAirPlaylist());
    // Changed: the air playlist is no part of a sequence, which stays cued.
    EXPECT_TRUE(view->EditAirPlaylist());
    EXPECT_EQ(edits, 2);
    EXPECT_EQ(wnd->controller().State().state, air::AIR_CUED);
}
