// The new interactive system wizard on screen, on the demo's vote page: its titles and steps, a
// page refused with its message, a click on the preview binding the frame under the pointer to
// the list with the focus and moving on, a frame bound twice keeping the operator on the last
// step, the file saved; the main window's command.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTest>

#include "demo/demo_root.h"
#include "demo/demo_vote.h"
#include "interactive/itv_doc.h"
#include "pages/font_manager.h"
#include "ui/mainframe/main_frame.h"
#include "ui/wizards/wiz_itv.h"
#include "ui_fixture.h"

using namespace ui;
using interactive::ITV_ROW_ANSWER;
using interactive::ITV_ROW_OTHER;
using interactive::ITV_ROW_VOTES;

namespace {

struct ItvWizard : zxtest::UiTest {
    pages::CFontManager fonts;
    std::string page;
    void SetUp() override {
        UiTest::SetUp();
        demo::DemoResult r;
        std::string error;
        ASSERT_TRUE(demo::MakeDemoRoot(home.path(), {}, r, error)) << error;
        a.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", home.path()}));
        fonts.setFolder(a.GetPath(app::FOLDER_FONTS));
        fonts.Enumerate();
        page = home.file(demo::kVotePage);
    }
    // The centre of a frame of the page on the preview of a step.
    static QPoint centre(CItvPagePreview* preview, const interactive::CITVWizard& m, const std::string& frame) {
        for (int i = 0; i < m.page().frameCount(); ++i)
            if (m.page().frame(i)->name == frame) {
                const pages::Rect& r = m.page().frame(i)->rect;
                return preview->previewPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            }
        ADD_FAILURE() << "no frame " << frame;
        return {};
    }
    static void select(QComboBox* list, const std::string& frame) {
        const int i = list->findText(QString::fromStdString(frame));
        ASSERT_GE(i, 0) << frame;
        list->setCurrentIndex(i);
    }
};

}  // namespace

TEST_F(ItvWizard, StepsTitlesAndAPageRefusedWithItsMessage) {
    CWizITV wiz(fonts, a.GetPath(app::FOLDER_PAGES), a.GetPath(app::FOLDER_ITV));
    EXPECT_EQ(wiz.windowTitle(), "Create new interactive system");
    EXPECT_EQ(wiz.pageIds().size(), 8u) << "the files, six rows to bind, the settings";
    EXPECT_EQ(wiz.page1().title(), "Make new interactive system - Load files");
    EXPECT_EQ(wiz.bindPage(0).title(), "Make new interactive system - Bind frames");
    EXPECT_TRUE(wiz.bindPage(2).subTitle().startsWith("Scales")) << wiz.bindPage(2).subTitle().toStdString();
    EXPECT_EQ(wiz.page3().title(), "Make new interactive system - Settings");
    EXPECT_EQ(wiz.page1().answers()->count(), 9) << "0 to 8";
    wiz.show();
    EXPECT_FALSE(wiz.button(QWizard::NextButton)->isEnabled());

    EXPECT_FALSE(wiz.page1().choose(home.file("Pages/none.zxg")));
    EXPECT_EQ(boxes.lastText(), "Error opening file:\n\n" + home.file("Pages/none.zxg"));
    EXPECT_FALSE(wiz.button(QWizard::NextButton)->isEnabled());
    // A name typed into the field: once a message, not again for the same name.
    const int before = boxes.count();
    wiz.page1().file()->setText("Nothing.zxg");
    emit wiz.page1().file()->editingFinished();
    emit wiz.page1().file()->editingFinished();
    EXPECT_EQ(boxes.count(), before + 1);
    EXPECT_EQ(boxes.lastText(), "Error opening file:\n\n" + home.file("Pages/Nothing.zxg"));
    // Below the pages folder.
    wiz.page1().file()->setText("Vote.zxg");
    emit wiz.page1().file()->editingFinished();
    EXPECT_TRUE(wiz.model().pageLoaded());
    ASSERT_TRUE(wiz.page1().choose(page));
    EXPECT_EQ(wiz.page1().file()->text().toStdString(), page);
    EXPECT_FALSE(wiz.page1().preview()->pixmap().isNull());
    EXPECT_TRUE(wiz.button(QWizard::NextButton)->isEnabled());
    EXPECT_EQ(wiz.model().settings().pagePath, "Vote.zxg");
}

TEST_F(ItvWizard, AClickOnThePreviewBindsTheFrameUnderThePointerAndMovesOn) {
    CWizITV wiz(fonts, a.GetPath(app::FOLDER_PAGES), a.GetPath(app::FOLDER_ITV));
    wiz.show();
    QApplication::setActiveWindow(&wiz);
    ASSERT_TRUE(wiz.page1().choose(page));
    wiz.page1().answers()->setCurrentIndex(3);
    wiz.next();
    CItvBindPage& answers = wiz.bindPage(ITV_ROW_ANSWER);
    ASSERT_EQ(wiz.currentPage(), &answers);
    for (int col = 0; col < interactive::kItvAnswers; ++col)
        EXPECT_EQ(answers.list(col)->isEnabled(), col < 3) << "list " << col + 1;
    EXPECT_EQ(answers.list(0)->itemText(0), "") << "none first";

    answers.list(1)->setFocus();
    QApplication::processEvents();
    QTest::mouseClick(answers.preview(), Qt::LeftButton, {}, centre(answers.preview(), wiz.model(), "Answer2"));
    EXPECT_EQ(answers.list(1)->currentText(), "Answer2");
    EXPECT_EQ(wiz.model().Binding(ITV_ROW_ANSWER, 1), "Answer2");
    EXPECT_TRUE(answers.list(2)->hasFocus()) << "on to the next list";
    QTest::mouseClick(answers.preview(), Qt::LeftButton, {}, centre(answers.preview(), wiz.model(), "Answer3"));
    EXPECT_EQ(answers.list(2)->currentText(), "Answer3");
    answers.list(0)->setFocus();
    QTest::mouseClick(answers.preview(), Qt::LeftButton, {}, centre(answers.preview(), wiz.model(), "Answer1"));
    EXPECT_EQ(answers.list(0)->currentText(), "Answer1");
    // Where no frame is, nothing changes.
    answers.list(0)->setFocus();
    QTest::mouseClick(answers.preview(), Qt::LeftButton, {}, answers.preview()->previewPoint(5, 570));
    EXPECT_EQ(answers.list(0)->currentText(), "Answer1");

    // Back and forth: the bindings stay.
    wiz.next();
    wiz.back();
    EXPECT_EQ(answers.list(2)->currentText(), "Answer3");
}

TEST_F(ItvWizard, AFrameBoundTwiceKeepsTheOperatorOnTheLastStepThenTheFileIsSaved) {
    CWizITV wiz(fonts, a.GetPath(app::FOLDER_PAGES), a.GetPath(app::FOLDER_ITV));
    std::string asked;
    wiz.setSavePathChooser([&](const std::string& folder) {
        asked = folder;
        return home.file("ITV/Made.zxi");
    });
    wiz.show();
    ASSERT_TRUE(wiz.page1().choose(page));
    wiz.page1().answers()->setCurrentIndex(2);
    wiz.next();
    select(wiz.bindPage(ITV_ROW_ANSWER).list(0), "Answer1");
    select(wiz.bindPage(ITV_ROW_ANSWER).list(1), "Answer2");
    for (int row = 1; row < 6; ++row) wiz.next();
    ASSERT_EQ(wiz.currentPage(), &wiz.bindPage(5));
    wiz.back();
    wiz.back();
    ASSERT_EQ(wiz.currentPage(), &wiz.bindPage(ITV_ROW_VOTES));
    select(wiz.bindPage(ITV_ROW_VOTES).list(0), "Votes1");
    select(wiz.bindPage(ITV_ROW_VOTES).list(1), "Votes2");
    wiz.next();
    wiz.next();
    wiz.next();
    CPageITV3& last = wiz.page3();
    ASSERT_EQ(wiz.currentPage(), &last);
    select(last.list(interactive::ITV_COL_QUESTION), "Question");
    select(last.list(interactive::ITV_COL_TOTAL), "Votes1");
    last.fullScale()->setValue(25);
    last.duplicates()->setChecked(true);
    last.blinking()->setChecked(true);

    wiz.button(QWizard::FinishButton)->click();
    settle();
    EXPECT_EQ(boxes.lastText(), "Frame Votes1 has more than one binding!");
    EXPECT_EQ(wiz.currentPage(), &last);
    EXPECT_TRUE(asked.empty()) << "no file is asked for";

    select(last.list(interactive::ITV_COL_TOTAL), "Total");
    wiz.button(QWizard::FinishButton)->click();
    settle();
    EXPECT_EQ(asked, a.GetPath(app::FOLDER_ITV));
    EXPECT_EQ(wiz.savedPath(), home.file("ITV/Made.zxi"));
    EXPECT_EQ(wiz.result(), QDialog::Accepted);
    interactive::CITVDoc d;
    ASSERT_EQ(d.Load(home.file("ITV/Made.zxi")), 0);
    EXPECT_EQ(d.answers, 2);
    EXPECT_EQ(d.pagePath, "Vote.zxg");
    EXPECT_EQ(d.answerTexts[0], "Tea");
    EXPECT_EQ(d.answerTexts[1], "Coffee");
    EXPECT_EQ(d.question, "Tea, coffee or juice?");
    EXPECT_EQ(d.bindings[ITV_ROW_VOTES][1], "Votes2");
    EXPECT_EQ(d.bindings[ITV_ROW_OTHER][interactive::ITV_COL_TOTAL], "Total");
    EXPECT_EQ(d.fullScale, 25);
    EXPECT_TRUE(d.ignoreDuplicates);
    EXPECT_TRUE(d.blinkingSeparator);
    EXPECT_FALSE(d.clockSeconds);
    EXPECT_EQ(d.lineTable[1], 2);
    EXPECT_EQ(d.lineTable[2], 0);
}

TEST_F(ItvWizard, TheMainWindowsToolsMenuHasTheCommand) {
    a.StartHardware();
    CMainFrame frame(a);
    bool found = false;
    for (QAction* act : frame.toolsMenu()->actions())
        found = found || act->text() == "Create new &interactive system...";
    EXPECT_TRUE(found);
}
