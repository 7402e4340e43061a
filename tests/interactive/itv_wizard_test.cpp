// The new interactive system wizard's rules, as the wizard on screen and zx itv new share them:
// the page's refusals and its stored path, the frame under a point, which slots bind, a frame
// bound twice, and the finished system (texts from the frames, the line table, the settings).
#include <gtest/gtest.h>

#include <string>

#include "interactive/itv_picture.h"
#include "interactive/itv_wizard.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/font_test_util.h"
#include "pages/page_doc.h"
#include "pages/page_frame.h"
#include "pages/page_image.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace interactive;

namespace {

struct ItvWizardTest : ::testing::Test {
    zxtest::TempDir dir;
    pages::CFontManager fonts;

    void SetUp() override {
        ASSERT_TRUE(platform::MakeDirectories(dir.file("Fonts")));
        ASSERT_TRUE(platform::MakeDirectories(dir.file("Pages")));
        fonttest::WriteBlockFont(fonts, dir.file("Fonts/Block.bmf"));
        fonts.setFolder(dir.file("Fonts/"));
        fonts.Enumerate();
    }
    void frame(pages::CPageDoc& doc, const std::string& name, const pages::Rect& r, const std::string& text) {
        pages::TextFormat tf;
        tf.setFontName("Block");
        const int i = doc.CreateFrame(r, pages::FrameFormat{}, pages::ParaFormat{}, tf, name);
        doc.frame(i)->InsertText(text, fonts);
    }
    // Two answers' texts and keywords, their counts, a question; "Over" lies on top of "Q".
    std::string writePage(const std::string& path, bool frames = true) {
        pages::CPageDoc doc(fonts);
        if (frames) {
            frame(doc, "Q", {0, 0, 720, 100}, "Who wins?");
            frame(doc, "A1", {0, 200, 300, 240}, "Red");
            frame(doc, "A2", {0, 300, 300, 340}, "Blue");
            frame(doc, "K1", {320, 200, 500, 240}, "RED");
            frame(doc, "K2", {320, 300, 500, 340}, "BLUE");
            frame(doc, "V1", {520, 200, 700, 240}, "0");
            frame(doc, "Over", {600, 40, 700, 80}, "");
        }
        pages::CPageImage image;
        image.Compile(doc, pages::COMPILE_THUMBNAIL | pages::COMPILE_DEVICE);
        EXPECT_EQ(doc.Save(path, image), 0);
        return path;
    }
};

}  // namespace

TEST_F(ItvWizardTest, ThePageIsRefusedWithItsMessageAndItsPathKeptRelative) {
    CITVWizard w(fonts);
    EXPECT_EQ(w.LoadPage(dir.file("Pages/none.zxg"), dir.file("Pages/")), pages::FILE_OPEN_ERROR);
    EXPECT_FALSE(w.pageLoaded());
    platform::WriteFileAtomic(dir.file("Pages/junk.zxg"), std::string_view("PAGE but not one"));
    EXPECT_EQ(w.LoadPage(dir.file("Pages/junk.zxg"), dir.file("Pages/")), pages::FILE_FORMAT_ERROR);
    EXPECT_EQ(w.LoadPage(writePage(dir.file("Pages/empty.zxg"), false), dir.file("Pages/")), IDS_ITV_NO_FRAMES);
    EXPECT_FALSE(w.pageLoaded());

    // Inside the pages folder (its letter case aside) the path is relative; elsewhere whole.
    ASSERT_EQ(w.LoadPage(writePage(dir.file("Pages/Vote.zxg")), dir.file("PAGES/")), 0);
    EXPECT_TRUE(w.pageLoaded());
    EXPECT_EQ(w.settings().pagePath, "Vote.zxg");
    EXPECT_FALSE(w.settings().absolutePath);
    EXPECT_EQ(w.FrameNames(), (std::vector<std::string>{"Q", "A1", "A2", "K1", "K2", "V1", "Over"}));
    EXPECT_FALSE(w.thumbnail().empty());
    ASSERT_EQ(w.LoadPage(writePage(dir.file("Vote.zxg")), dir.file("Pages/")), 0);
    EXPECT_EQ(w.settings().pagePath, dir.file("Vote.zxg"));
    EXPECT_TRUE(w.settings().absolutePath);
}

TEST_F(ItvWizardTest, TheFrameUnderAPointAndTheSlotsThatBind) {
    CITVWizard w(fonts);
    ASSERT_EQ(w.LoadPage(writePage(dir.file("Pages/Vote.zxg")), dir.file("Pages/")), 0);
    EXPECT_EQ(w.FrameAt(10, 10), "Q");
    EXPECT_EQ(w.FrameAt(650, 50), "Over") << "the frame drawn last is on top";
    EXPECT_EQ(w.FrameAt(700, 50), "Q") << "right edges are outside";
    EXPECT_EQ(w.FrameAt(10, 150), "");

    w.SetAnswers(2);
    EXPECT_TRUE(w.Bindable(ITV_ROW_ANSWER, 1));
    EXPECT_FALSE(w.Bindable(ITV_ROW_ANSWER, 2));
    EXPECT_TRUE(w.Bindable(ITV_ROW_OTHER, ITV_COL_TEMPERATURE));
    EXPECT_FALSE(w.Bindable(ITV_ROW_OTHER, 4));
    EXPECT_FALSE(w.Bindable(7, 0));
    w.SetAnswers(12);
    EXPECT_EQ(w.answers(), 8);
    w.SetAnswers(2);

    EXPECT_TRUE(w.Bind(ITV_ROW_VOTES, 0, "V1"));
    EXPECT_FALSE(w.Bind(ITV_ROW_VOTES, 1, "Nothing")) << "a frame the page has not";
    EXPECT_FALSE(w.Bind(ITV_ROW_VOTES, 2, "A1")) << "past the answers";
    EXPECT_EQ(w.Binding(ITV_ROW_VOTES, 1), "");
    EXPECT_EQ(w.RowBindings(ITV_ROW_VOTES)[0], "V1");
    EXPECT_TRUE(w.Bind(ITV_ROW_VOTES, 0, ""));
    EXPECT_EQ(w.Binding(ITV_ROW_VOTES, 0), "");

    // Another page: its frames are not this one's.
    EXPECT_TRUE(w.Bind(ITV_ROW_VOTES, 0, "V1"));
    ASSERT_EQ(w.LoadPage(writePage(dir.file("Pages/Other.zxg")), dir.file("Pages/")), 0);
    EXPECT_EQ(w.Binding(ITV_ROW_VOTES, 0), "");
    EXPECT_EQ(w.answers(), 2);
}

TEST_F(ItvWizardTest, FinishRefusesAFrameBoundTwiceAndTakesTheTextsOfTheFrames) {
    CITVWizard w(fonts);
    ASSERT_EQ(w.LoadPage(writePage(dir.file("Pages/Vote.zxg")), dir.file("Pages/")), 0);
    w.SetAnswers(3);
    ASSERT_TRUE(w.Bind(ITV_ROW_ANSWER, 0, "A1"));
    ASSERT_TRUE(w.Bind(ITV_ROW_ANSWER, 1, "A2"));
    ASSERT_TRUE(w.Bind(ITV_ROW_ANSWER, 2, "Over"));
    ASSERT_TRUE(w.Bind(ITV_ROW_KEYWORD, 0, "K1"));
    ASSERT_TRUE(w.Bind(ITV_ROW_KEYWORD, 1, "K2"));
    ASSERT_TRUE(w.Bind(ITV_ROW_OTHER, ITV_COL_QUESTION, "Q"));
    ASSERT_TRUE(w.Bind(ITV_ROW_PERCENT, 0, "V1"));
    ASSERT_TRUE(w.Bind(ITV_ROW_OTHER, ITV_COL_TOTAL, "V1"));
    w.settings().fullScale = 50;
    w.settings().ignoreDuplicates = true;
    w.settings().blinkingSeparator = true;

    CITVDoc d;
    std::string twice;
    EXPECT_EQ(w.Finish(d, &twice), IDS_ITV_DUPLICATE_BINDING);
    EXPECT_EQ(twice, "V1");
    ASSERT_TRUE(w.Bind(ITV_ROW_OTHER, ITV_COL_TOTAL, ""));
    // Down to two answers: the third's binding is not offered any more, so it binds nothing.
    w.SetAnswers(2);
    ASSERT_EQ(w.Finish(d, &twice), 0);
    EXPECT_EQ(d.answers, 2);
    EXPECT_EQ(d.bindings[ITV_ROW_ANSWER][2], "");
    EXPECT_EQ(d.answerTexts[0], "Red");
    EXPECT_EQ(d.answerTexts[1], "Blue");
    EXPECT_EQ(d.keywords[1], "BLUE");
    EXPECT_EQ(d.question, "Who wins?");
    EXPECT_EQ(d.lineTable, (std::array<int, kItvAnswers>{1, 2, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(d.fullScale, 50);
    EXPECT_TRUE(d.ignoreDuplicates);
    EXPECT_TRUE(d.blinkingSeparator);
    EXPECT_FALSE(d.fillWholeScale);

    // What is saved reads back the same.
    ASSERT_EQ(d.Save(dir.file("Vote.zxi")), 0);
    CITVDoc back;
    ASSERT_EQ(back.Load(dir.file("Vote.zxi")), 0);
    EXPECT_EQ(back.Serialize(), d.Serialize());
}
