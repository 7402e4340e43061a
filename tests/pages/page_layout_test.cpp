// Layout and drawing of frame text, with hand-worked positions. The "Grid" font advances every
// character 10 pixels and makes lines 16 + 4 + 2 = 22 rows high; "Tall" advances 12 (space 6)
// and makes lines 24 + 6 = 30 rows high.
#include <gtest/gtest.h>

#include "page_test_util.h"
#include "pages/page_frame.h"

using namespace pages;
using pagetest::PageFixture;

namespace {

using Layout = PageFixture;

// The characters of a line, for readable checks.
std::string lineText(const CPageFrame& f, const TextLine& l) {
    std::string s;
    const CParagraph& p = f.paragraphs[size_t(l.para)];
    for (int r = l.startRun; r <= l.endRun; ++r) {
        const std::string& t = p.runs[size_t(r)].text;
        const int from = r == l.startRun ? l.startChar : 0;
        const int to = r == l.endRun ? l.endChar + 1 : int(t.size());
        if (to > from) s += t.substr(size_t(from), size_t(to - from));
    }
    return s;
}

}  // namespace

TEST_F(Layout, AWordLongerThanTheFrameBreaksAfterTheOverflowingCharacter) {
    // f = 36: A, B, C take 30; D overflows (40 > 36) and ends the line, uncounted.
    auto f = frame({0, 0, 36, 200}, "ABCDEFG");
    ASSERT_EQ(f->lines.size(), 2u);
    EXPECT_EQ(lineText(*f, f->lines[0]), "ABCD");
    EXPECT_EQ(f->lines[0].width, 30);
    EXPECT_EQ(lineText(*f, f->lines[1]), "EFG");
    EXPECT_EQ(f->lines[1].width, 30);
    EXPECT_EQ(f->lines[1].y, 22);
    EXPECT_EQ(f->textHeight, 44);
    // Narrower than one character: still one character a line.
    auto narrow = frame({0, 0, 4, 200}, "ABC");
    ASSERT_EQ(narrow->lines.size(), 3u);
    EXPECT_EQ(lineText(*narrow, narrow->lines[2]), "C");
    EXPECT_EQ(narrow->lines[2].width, 0);
}

TEST_F(Layout, ASpaceAtTheLineEndStaysButIsNotCountedAHyphenIs) {
    auto spaces = frame({0, 0, 50, 200}, "AB CD EF");
    ASSERT_EQ(spaces->lines.size(), 2u);
    EXPECT_EQ(lineText(*spaces, spaces->lines[0]), "AB CD ");
    EXPECT_EQ(spaces->lines[0].width, 50);
    EXPECT_EQ(lineText(*spaces, spaces->lines[1]), "EF");

    // The hyphen that overflows is the break point itself and counts: 60.
    auto hyphens = frame({0, 0, 50, 200}, "AB-CD-EF");
    ASSERT_EQ(hyphens->lines.size(), 2u);
    EXPECT_EQ(lineText(*hyphens, hyphens->lines[0]), "AB-CD-");
    EXPECT_EQ(hyphens->lines[0].width, 60);
    // An earlier comma is the break: "AB," (30) when "CDE" no longer fits.
    auto commas = frame({0, 0, 50, 200}, "AB,CDEF");
    EXPECT_EQ(lineText(*commas, commas->lines[0]), "AB,");
    EXPECT_EQ(commas->lines[0].width, 30);
    EXPECT_EQ(lineText(*commas, commas->lines[1]), "CDEF");
}

TEST_F(Layout, AlignmentMarginsAndIndent) {
    auto f = frame({0, 0, 100, 200}, "ABC\nABC\nABCDEFGHIJKL");
    for (auto& p : f->paragraphs) p.format.leftMargin = 20, p.format.rightMargin = 10;
    f->paragraphs[0].format.align = ALIGN_CENTER;
    f->paragraphs[1].format.align = ALIGN_RIGHT;
    f->paragraphs[2].format.indent = 15;
    f->Layout(fonts);
    ASSERT_EQ(f->lines.size(), 4u);
    EXPECT_EQ(f->lines[0].x, 30);  // (90 - 30) / 2: between the frame's left edge and the right margin
    EXPECT_EQ(f->lines[1].x, 60);  // 90 - 30
    // First line from 20 + 15: 35 + 60 > 90 ends at F; the next from the margin alone.
    EXPECT_EQ(f->lines[2].x, 35);
    EXPECT_EQ(lineText(*f, f->lines[2]), "ABCDEF");
    EXPECT_EQ(f->lines[3].x, 20);
    EXPECT_EQ(lineText(*f, f->lines[3]), "GHIJKL");
}

TEST_F(Layout, EmptyParagraphAndSpacings) {
    auto f = frame({0, 0, 200, 200}, "\nA");
    f->paragraphs[0].runs[0].format = format("Tall");
    f->paragraphs[0].format.spaceBefore = 5;
    f->paragraphs[0].format.spaceAfter = 3;
    f->paragraphs[0].format.lineSpacing = 4;
    f->Layout(fonts);
    ASSERT_EQ(f->lines.size(), 2u);
    EXPECT_EQ(f->lines[0].y, 5);
    EXPECT_EQ(f->lines[0].ascent + f->lines[0].descent + f->lines[0].extra, 30);
    // 5 + 30 + 4, then the space after replaces the last line's spacing: + 3 - 4.
    EXPECT_EQ(f->lines[1].y, 38);
    EXPECT_EQ(f->textHeight, 60);
}

TEST_F(Layout, ALineTakesTheTallestRunAndABreakKeepsTheMeasuresOfItsMoment) {
    auto f = frame({0, 0, 60, 200}, "AB CD");
    f->paragraphs[0].runs.push_back(TextRun{"EF", format("Tall")});
    f->Layout(fonts);
    ASSERT_EQ(f->lines.size(), 2u);
    // E (12) would make 62 > 60: back to the space, with Grid's measures as they were there.
    EXPECT_EQ(lineText(*f, f->lines[0]), "AB ");
    EXPECT_EQ(f->lines[0].ascent, 16);
    EXPECT_EQ(f->lines[0].descent, 4);
    EXPECT_EQ(lineText(*f, f->lines[1]), "CDEF");
    EXPECT_EQ(f->lines[1].width, 44);
    EXPECT_EQ(f->lines[1].ascent, 24);
    EXPECT_EQ(f->lines[1].descent, 6);
    EXPECT_EQ(f->lines[1].extra, 2);
}

TEST_F(Layout, VerticalAlignmentFitsAndScroller) {
    auto f = frame({0, 0, 100, 100}, "A");
    f->format.vAlign = VALIGN_CENTER;
    f->Layout(fonts);
    EXPECT_EQ(f->lines[0].y, 39);  // (100 - 22) / 2
    f->format.vAlign = VALIGN_BOTTOM;
    f->Layout(fonts);
    EXPECT_EQ(f->lines[0].y, 78);

    auto tight = frame({0, 0, 100, 21}, "A");
    EXPECT_FALSE(tight->fits);
    tight->format.type = FRAME_ROLL;
    EXPECT_TRUE(tight->Layout(fonts));  // never tested for a Roll

    // An empty frame lower than a line (a bar, a picture) still lays out its empty line, but has
    // nothing that does not fit; one character is enough to overflow it, a space included.
    auto bar = frame({0, 0, 100, 6}, "\n");
    EXPECT_TRUE(bar->fits);
    EXPECT_EQ(bar->lines.size(), 2u);
    EXPECT_EQ(bar->textHeight, 44);
    bar->format.type = FRAME_SCROLLER;
    EXPECT_TRUE(bar->Layout(fonts));
    bar->format.type = FRAME_FIXED;
    bar->paragraphs[1].runs[0].text = " ";
    EXPECT_FALSE(bar->Layout(fonts));

    // A Scroller: every paragraph one line, however long; centring is not applied.
    auto s = frame({0, 0, 50, 100}, "ABCDEFGHIJ KLMNOP\nQR");
    s->format.type = FRAME_SCROLLER;
    s->paragraphs[1].format.align = ALIGN_CENTER;
    s->Layout(fonts);
    ASSERT_EQ(s->lines.size(), 2u);
    EXPECT_EQ(s->lines[0].width, 170);
    EXPECT_EQ(s->lines[1].x, 0);
}

// --- Drawing -----------------------------------------------------------------------------------

TEST_F(Layout, DrawsGlyphsInTheirCellsInsideTheClip) {
    auto f = frame({10, 10, 45, 100}, "AB CD");
    CBitmap32 target(60, 120);
    target.fillAll(0x00102030);
    f->Draw(fonts, target.view(), f->rect, 1);
    // Line 1 "AB " at y 10..29: A at x 10..19, B at 20..29.
    EXPECT_EQ(target.colourAt(10, 10), 0x00FFFFFFu);
    EXPECT_EQ(target.colourAt(29, 29), 0x00FFFFFFu);
    EXPECT_EQ(target.colourAt(30, 10), 0x00102030u);  // the space
    // "CD" on the second line (y 32..51); nothing right of the clip.
    EXPECT_EQ(target.colourAt(10, 32), 0x00FFFFFFu);
    EXPECT_EQ(target.colourAt(19, 51), 0x00FFFFFFu);
    EXPECT_EQ(target.colourAt(10, 31), 0x00102030u);
    EXPECT_EQ(target.colourAt(46, 10), 0x00102030u);
}

TEST_F(Layout, AllShadowsOfAFrameComeBeforeAnyGlyph) {
    // The second line (spaces, whose shadows are black blocks) overlaps the first by 10 rows.
    auto f = frame({0, 0, 40, 100}, "AB\n  ");
    f->paragraphs[0].format.spaceAfter = -10;
    f->Layout(fonts);
    ASSERT_EQ(f->lines[1].y, 12);
    CBitmap32 target(40, 100);
    target.fillAll(0x00808080);
    f->Draw(fonts, target.view(), f->rect, 0);
    EXPECT_EQ(target.colourAt(5, 15), 0x00FFFFFFu);  // first line's glyph over the second's shadow
    EXPECT_EQ(target.colourAt(5, 25), 0x00000000u);  // the shadow below it
    // Pass 1 alone draws no shadows.
    target.fillAll(0x00808080);
    f->Draw(fonts, target.view(), f->rect, 1);
    EXPECT_EQ(target.colourAt(5, 25), 0x00808080u);
}

TEST_F(Layout, ScrollOffsetsAndTheSelection) {
    auto f = frame({0, 0, 100, 100}, "AB\nCD");
    CBitmap32 target(100, 100);
    target.fillAll(0x00808080);
    // Scrolled down by one line: the first line (now above) is skipped, the second on top.
    f->vScroll = 22;
    f->hScroll = 10;
    f->Draw(fonts, target.view(), f->rect, 1);
    EXPECT_EQ(target.colourAt(0, 0), 0x00FFFFFFu);  // D of "CD", C scrolled off to the left
    EXPECT_EQ(target.colourAt(10, 0), 0x00808080u);
    EXPECT_EQ(target.colourAt(0, 30), 0x00808080u);

    // B selected: inverted (white tint becomes black over mid-grey 127 where transparent).
    f->vScroll = f->hScroll = 0;
    f->SetSelection({0, 1}, {0, 2});
    target.fillAll(0x00808080);
    f->Draw(fonts, target.view(), f->rect, 0, true);
    EXPECT_EQ(target.colourAt(5, 5), 0x00FFFFFFu);
    EXPECT_EQ(target.colourAt(15, 5), 0x00000000u);
    // Without showSelection (the compile) the text is plain.
    target.fillAll(0x00808080);
    f->Draw(fonts, target.view(), f->rect, 1, false);
    EXPECT_EQ(target.colourAt(15, 5), 0x00FFFFFFu);
}
