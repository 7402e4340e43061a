// The page model's operations and editing rules.
#include <gtest/gtest.h>

#include "page_test_util.h"
#include "pages/file_result.h"
#include "pages/page_doc.h"
#include "platform/clock.h"

using namespace pages;
using pagetest::PageFixture;

namespace {

struct PageDoc : PageFixture {
    std::vector<std::string> names(const CPageDoc& page) {
        std::vector<std::string> n;
        for (const auto& f : page.frames) n.push_back(f->name);
        return n;
    }
    std::vector<std::string> runTexts(const CParagraph& p) {
        std::vector<std::string> t;
        for (const auto& r : p.runs) t.push_back(r.text);
        return t;
    }
    int add(CPageDoc& page, const Rect& r, const std::string& text, const std::string& name = "") {
        auto f = frame(r, text);
        f->name = name;
        return page.AppendFrame(std::move(f));
    }
};

}  // namespace

TEST_F(PageDoc, NewPageAndNewName) {
    platform::ManualClock clock;
    clock.setLocal(1709301000);  // 2024-03-01 13:50 UTC (the tests run in UTC)
    CPageDoc page(fonts, &clock);
    add(page, {10, 10, 100, 100}, "x");
    page.SetBackgroundPicture(CBitmap32(50, 50), 0, 0, 0, 0);
    page.NewPage();
    EXPECT_EQ(page.frameCount(), 0);
    EXPECT_EQ(page.backgroundColour, 0x807F0000u);
    EXPECT_FALSE(page.hasBackgroundPicture);
    EXPECT_EQ(page.background.colourAt(719, 575), 0x807F0000u);
    EXPECT_EQ(page.pathName, "240301_1350.zxg");
    EXPECT_FALSE(page.modified);
}

TEST_F(PageDoc, FrameOrderOperationsAreSwaps) {
    CPageDoc page(fonts);
    for (const char* n : {"1", "2", "3"}) add(page, {10, 10, 100, 100}, "x", n);
    page.BringToFront(0);
    EXPECT_EQ(names(page), (std::vector<std::string>{"3", "2", "1"}));
    page.SendToBack(1);
    EXPECT_EQ(names(page), (std::vector<std::string>{"2", "3", "1"}));
    page.DeleteFrame(1);
    EXPECT_EQ(names(page), (std::vector<std::string>{"2", "1"}));
    page.BringToFront(7);  // out of range: nothing
    EXPECT_EQ(page.frameCount(), 2);
}

TEST_F(PageDoc, FrameRectangleRule) {
    CPageDoc page(fonts);
    const int i = add(page, {100, 100, 200, 150}, "x");
    // Dragged to x = 0 (a move: the size stays): left 4.
    page.SetFrameRectangle(i, {0, 100, 100, 150});
    EXPECT_EQ(page.frame(i)->rect, (Rect{4, 100, 104, 150}));
    // Moved right past the edge: keeps width 100 and ends at 716.
    page.SetFrameRectangle(i, {650, 100, 750, 150});
    EXPECT_EQ(page.frame(i)->rect, (Rect{616, 100, 716, 150}));
    // Resized: the clamped edges, odd values made even, at least 2 each way.
    page.SetFrameRectangle(i, {101, 3, 333, 580});
    EXPECT_EQ(page.frame(i)->rect, (Rect{100, 4, 332, 572}));
    page.SetFrameRectangle(i, {300, 200, 299, 100});
    EXPECT_EQ(page.frame(i)->rect, (Rect{300, 200, 302, 202}));
    // Moved up and down keeps the height the same way.
    page.SetFrameRectangle(i, {300, 570, 302, 572});
    EXPECT_EQ(page.frame(i)->rect, (Rect{300, 570, 302, 572}));
}

TEST_F(PageDoc, TypingGoesIntoTheRunAtTheCaretAndNewlinesSplit) {
    auto f = frame({0, 0, 700, 500}, "Hello");
    f->paragraphs[0].runs.push_back(TextRun{"World", format("Tall")});
    // At the boundary the left run continues; a carriage return and other controls are dropped.
    f->SetSelection({0, 5}, {0, 5});
    f->InsertText(",\r\t ", fonts);
    EXPECT_EQ(runTexts(f->paragraphs[0]), (std::vector<std::string>{"Hello, ", "World"}));
    EXPECT_EQ(f->caret, (TextPos{0, 7}));
    // A newline inside the Tall run splits it; the new paragraph copies the paragraph format.
    f->paragraphs[0].format.leftMargin = 33;
    f->SetSelection({0, 9}, {0, 9});
    f->InsertText("\n", fonts);
    ASSERT_EQ(f->paragraphs.size(), 2u);
    EXPECT_EQ(runTexts(f->paragraphs[0]), (std::vector<std::string>{"Hello, ", "Wo"}));
    EXPECT_EQ(runTexts(f->paragraphs[1]), (std::vector<std::string>{"rld"}));
    EXPECT_EQ(f->paragraphs[1].runs[0].format.fontName(), "Tall");
    EXPECT_EQ(f->paragraphs[1].format.leftMargin, 33);
    EXPECT_EQ(f->caret, (TextPos{1, 0}));
    EXPECT_EQ(f->lines.size(), 2u);  // laid out again
    // Copy joins paragraphs with CR LF; typing over a selection replaces it.
    f->SetSelection({0, 3}, {1, 2});
    EXPECT_EQ(f->SelectedText(), "lo, Wo\r\nrl");
    f->InsertText("p", fonts);
    ASSERT_EQ(f->paragraphs.size(), 1u);
    EXPECT_EQ(f->paragraphs[0].text(), "Helpd");
    EXPECT_EQ(runTexts(f->paragraphs[0]), (std::vector<std::string>{"Help", "d"}));
}

TEST_F(PageDoc, ImportTextMakesEveryLineAParagraph) {
    auto f = frame({0, 0, 700, 500}, "");
    ASSERT_TRUE(zxtest::WriteText(dir.file("lines.txt"), "first\r\nsecond\r\n\r\nlast"));
    EXPECT_EQ(f->ImportText(dir.file("lines.txt"), fonts), FILE_OK);
    ASSERT_EQ(f->paragraphs.size(), 5u);
    EXPECT_EQ(f->PlainText(), "first\r\nsecond\r\n\r\nlast\r\n");
    EXPECT_EQ(f->ImportText(dir.file("missing.txt"), fonts), FILE_OPEN_ERROR);
}

TEST_F(PageDoc, SetTextFormatSplitsAndMergesRuns) {
    auto f = frame({0, 0, 700, 500}, "abcdef");
    f->SetSelection({0, 2}, {0, 4});
    f->SetTextFormat(TEXT_FONT, format("Paint"), fonts);
    ASSERT_EQ(runTexts(f->paragraphs[0]), (std::vector<std::string>{"ab", "cd", "ef"}));
    EXPECT_EQ(f->paragraphs[0].runs[1].format.tint, 0);  // a colour font takes no tint
    // Colour goes only into tinted runs.
    f->SelectAll();
    TextFormat red = format("Grid", 0x000000FF);
    f->SetTextFormat(TEXT_COLOUR, red, fonts);
    EXPECT_EQ(f->paragraphs[0].runs[0].format.colour, 0x000000FFu);
    EXPECT_EQ(f->paragraphs[0].runs[1].format.colour, 0x00FFFFFFu);
    // Back to one font and colour: one run again.
    f->SetTextFormat(TEXT_FONT, format("grid"), fonts);  // names compare without case
    f->SetTextFormat(TEXT_COLOUR, red, fonts);
    EXPECT_EQ(runTexts(f->paragraphs[0]), (std::vector<std::string>{"abcdef"}));
    f->SetSelection({0, 0}, {0, 3});
    f->SetTextFormat(TEXT_LEVEL, format("Grid", 0, LEVEL_SUPERSCRIPT), fonts);
    EXPECT_EQ(runTexts(f->paragraphs[0]), (std::vector<std::string>{"abc", "def"}));
    EXPECT_EQ(f->paragraphs[0].runs[0].format.level, LEVEL_SUPERSCRIPT);
}

TEST_F(PageDoc, FrameTypeAndParagraphFormatRules) {
    CPageDoc page(fonts);
    const int a = add(page, {10, 10, 300, 200}, "one\ntwo");
    const int b = add(page, {10, 300, 300, 400}, "three");
    CPageFrame& fa = *page.frame(a);
    fa.paragraphs[1].format.align = ALIGN_RIGHT;
    fa.format.vAlign = VALIGN_BOTTOM;
    ASSERT_TRUE(page.SetFrameType(a, FRAME_SCROLLER));
    EXPECT_EQ(fa.paragraphs[1].format.align, ALIGN_LEFT);
    // One moving frame per page: the other frame may not change type.
    EXPECT_FALSE(page.CanChangeFrameType(b));
    EXPECT_FALSE(page.SetFrameType(b, FRAME_ROLL));
    ASSERT_TRUE(page.SetFrameType(a, FRAME_ROLL));
    EXPECT_EQ(fa.format.vAlign, VALIGN_TOP);
    EXPECT_EQ(page.MovingFrameType(), FRAME_ROLL);
    // A paragraph format: -1 keeps a field; a Scroller never takes an alignment.
    ASSERT_TRUE(page.SetFrameType(a, FRAME_SCROLLER));
    ParaFormat pf;
    pf.align = ALIGN_CENTER;
    pf.lineSpacing = pf.rightMargin = pf.spaceBefore = pf.spaceAfter = pf.indent = -1;
    pf.leftMargin = 12;
    fa.SelectAll();
    fa.ApplyParaFormat(pf, fonts);
    EXPECT_EQ(fa.paragraphs[1].format.align, ALIGN_LEFT);
    EXPECT_EQ(fa.paragraphs[1].format.leftMargin, 12);
    EXPECT_EQ(fa.paragraphs[1].format.lineSpacing, 0);
}

TEST_F(PageDoc, OneMovingFrameAndBannerLinks) {
    CPageDoc page(fonts);
    FrameFormat scroller;
    scroller.type = FRAME_SCROLLER;
    bool demoted = true;
    const int s = page.CreateFrame({0, 500, 720, 540}, scroller, ParaFormat{}, format("Grid"), "s", &demoted);
    EXPECT_FALSE(demoted);
    EXPECT_EQ(page.frame(s)->rect, (Rect{4, 500, 716, 540}));
    const int t = page.CreateFrame({0, 0, 100, 50}, scroller, ParaFormat{}, format("Grid"), "t", &demoted);
    EXPECT_TRUE(demoted);  // the editor shows 14032
    EXPECT_EQ(page.frame(t)->format.type, FRAME_FIXED);
    // No banner beside a moving frame; once the Scroller is fixed, one banner.
    EXPECT_FALSE(page.CanLinkBanner(t));
    ASSERT_TRUE(page.SetFrameType(s, FRAME_FIXED));
    ASSERT_TRUE(page.LinkBanner(t, "/banners/logo.zxa", CBitmap32(10, 10)));
    EXPECT_TRUE(page.HasBanner());
    EXPECT_FALSE(page.CanLinkBanner(s));
    EXPECT_TRUE(page.CanLinkBanner(t));
    // With a banner no frame type changes, and a new moving frame is fixed.
    EXPECT_FALSE(page.CanChangeFrameType(s));
    page.CreateFrame({0, 0, 100, 50}, scroller, ParaFormat{}, format("Grid"), "u", &demoted);
    EXPECT_TRUE(demoted);
}

TEST_F(PageDoc, SummaryBoundsAndMovingText) {
    CPageDoc page(fonts);
    // A visible colour: the whole screen.
    EXPECT_EQ(page.BuildSummary().bounds, (Rect{0, 0, 720, 576}));
    page.SetBackgroundColour(0xF0000000);
    EXPECT_EQ(page.BuildSummary().bounds, (Rect{0, 0, 720, 576}));  // invisible and empty
    add(page, {100, 100, 200, 150}, "A");
    add(page, {300, 400, 400, 500}, "B");
    PageSummary s = page.BuildSummary();
    EXPECT_EQ(s.bounds, (Rect{100, 100, 400, 500}));
    EXPECT_EQ(s.flags, 0u);
    page.SetBackgroundPicture(CBitmap32(30, 30), 10, 20, 0, 0);
    s = page.BuildSummary();
    EXPECT_EQ(s.bounds, (Rect{10, 20, 400, 500}));
    EXPECT_EQ(s.flags, uint32_t(SUMMARY_BACKGROUND_PICTURE));

    // A Scroller: the right end of its longest line, rounded up to even.
    CPageFrame& f = *page.frame(1);
    f.paragraphs[0].format.leftMargin = 3;
    f.format.border = 0x10E;
    f.format.backgroundFrame = 1;
    ASSERT_TRUE(page.SetFrameType(1, FRAME_SCROLLER));
    s = page.BuildSummary();
    EXPECT_EQ(s.movingType, FRAME_SCROLLER);
    EXPECT_EQ(s.textLength, 14);  // 3 + 10, made even
    EXPECT_EQ(s.moving, (Rect{300, 400, 400, 500}));
    EXPECT_EQ(s.border, 0x0E);
    EXPECT_EQ(s.flags, uint32_t(SUMMARY_BACKGROUND_PICTURE | SUMMARY_MOVING | SUMMARY_BACKGROUND_FRAME));
    // A Roll: the last line's bottom without its spacing rows.
    f.InsertText("\nC", fonts);
    ASSERT_TRUE(page.SetFrameType(1, FRAME_ROLL));
    s = page.BuildSummary();
    EXPECT_EQ(s.textLength, 22 + 20);
    EXPECT_TRUE(s.flags & SUMMARY_NOT_SCROLLER);
    // An empty Scroller still has length 2.
    f.SelectAll();
    f.DeleteSelection(fonts);
    ASSERT_TRUE(page.SetFrameType(1, FRAME_SCROLLER));
    f.paragraphs[0].format.leftMargin = 0;
    f.Layout(fonts);
    EXPECT_EQ(page.BuildSummary().textLength, 2);
}

TEST_F(PageDoc, DescriptionFillsAtMost63Characters) {
    CPageDoc page(fonts);
    add(page, {10, 10, 700, 100}, "Breaking news");
    page.frame(0)->paragraphs[0].runs.push_back(TextRun{"", format("Tall")});
    page.frame(0)->paragraphs[0].runs.push_back(TextRun{"tonight", format("Paint")});
    EXPECT_EQ(page.BuildSummary().descriptionText(), "Breaking news  tonight ");
    // 60 characters, then a run that fills to 62: one character would be left, no space.
    CPageDoc full(fonts);
    add(full, {10, 10, 700, 100}, std::string(60, 'a'));
    full.frame(0)->paragraphs[0].runs.push_back(TextRun{"bcdef", format("Tall")});
    add(full, {10, 200, 700, 300}, "more");
    const std::string d = full.BuildSummary().descriptionText();
    EXPECT_EQ(d, std::string(60, 'a') + " bc");
    EXPECT_LE(d.size(), 63u);
    // A run of exactly the rest stops the description without a trailing space.
    CPageDoc exact(fonts);
    add(exact, {10, 10, 700, 100}, std::string(63, 'z'));
    add(exact, {10, 200, 700, 300}, "more");
    EXPECT_EQ(exact.BuildSummary().descriptionText(), std::string(63, 'z'));
}
