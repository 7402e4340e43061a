// The style library file, its editing and applying a style to a frame.
#include <gtest/gtest.h>

#include "page_test_util.h"
#include "pages/style_library.h"
#include "support/temp_dir.h"

using namespace pages;
using pagetest::PageFixture;

namespace {

struct Styles : PageFixture {};

constexpr const char* kLine = "Title,1,0,-2147483648,2,10,11,12,13,14,15,Grid,1,1,-16777216,3,1";

}  // namespace

TEST_F(Styles, LineRoundTripWithNegativeColours) {
    StyleRecord s;
    ASSERT_TRUE(ParseStyleLine(kLine, s));
    EXPECT_EQ(s.name, "Title");
    EXPECT_EQ(s.frame.type, FRAME_SCROLLER);
    EXPECT_EQ(s.frame.colour, 0x80000000u);
    EXPECT_EQ(s.para.align, ALIGN_RIGHT);
    EXPECT_EQ(s.para.leftMargin, 10);
    EXPECT_EQ(s.para.rightMargin, 11);
    EXPECT_EQ(s.para.indent, 12);
    EXPECT_EQ(s.para.spaceBefore, 13);
    EXPECT_EQ(s.para.spaceAfter, 14);
    EXPECT_EQ(s.para.lineSpacing, 15);
    EXPECT_EQ(s.text.fontName(), "Grid");
    EXPECT_EQ(s.text.tint, 1);
    EXPECT_EQ(s.text.colour, 0xFF000000u);
    EXPECT_EQ(s.frame.border, 3);
    EXPECT_EQ(s.frame.backgroundFrame, 1);
    EXPECT_EQ(FormatStyleLine(s), kLine);
}

TEST_F(Styles, BadLinesAreSkipped) {
    StyleRecord s;
    EXPECT_FALSE(ParseStyleLine("Big, bold,0,0,0,0,0,0,0,0,0,0,Grid,1,1,0,0,0", s));  // comma in the name
    EXPECT_FALSE(ParseStyleLine("Short,0,0,0,0,0,0,0,0,0,0,Grid,1,1,0,0", s));        // 16 fields
    EXPECT_FALSE(ParseStyleLine(",0,0,0,0,0,0,0,0,0,0,Grid,1,1,0,0,0", s));           // no name
    EXPECT_FALSE(ParseStyleLine("X,0,0,zero,0,0,0,0,0,0,0,Grid,1,1,0,0,0", s));       // not a number
    EXPECT_FALSE(ParseStyleLine("X,0,0,0,0,0,0,0,0,0,0,,1,1,0,0,0", s));              // no font
    // Blanks before numbers are taken, as scanf takes them; a trailing carriage return is harmless.
    ASSERT_TRUE(ParseStyleLine("Wide, 0, 1, 255,0,0,0,0,0,0,0,Tall,1,1,0,0,0\r", s));
    EXPECT_EQ(s.frame.vAlign, VALIGN_CENTER);
    EXPECT_EQ(s.frame.colour, 255u);
    // A hand-edited line cannot make a frame the program cannot handle.
    ASSERT_TRUE(ParseStyleLine("Odd,9,-4,0,7,-5,900,0,0,0,0,Tall,5,3,0,40,2", s));
    EXPECT_EQ(s.frame.type, FRAME_ROLL);
    EXPECT_EQ(s.frame.vAlign, VALIGN_TOP);
    EXPECT_EQ(s.para.align, ALIGN_RIGHT);
    EXPECT_EQ(s.para.leftMargin, 0);
    EXPECT_EQ(s.para.rightMargin, 200);
    EXPECT_EQ(s.text.level, LEVEL_SUPERSCRIPT);
    EXPECT_EQ(s.text.tint, 1);
    EXPECT_EQ(s.frame.border, 14);
    EXPECT_EQ(s.frame.backgroundFrame, 1);
}

TEST_F(Styles, LoadAndSaveTheLibraryFile) {
    zxtest::TempDir d;
    CStyleLibrary lib;
    // Missing file, and a file without a valid line: the default style alone.
    lib.Load(d.file("STYLE.INI"), fonts);
    ASSERT_EQ(lib.count(), 1);
    EXPECT_EQ(lib.styles[0].name, "New style");
    EXPECT_EQ(lib.styles[0].text.fontName(), fonts.Current()->name());
    EXPECT_EQ(lib.styles[0].frame.colour, 0x80000000u);
    EXPECT_EQ(lib.styles[0].text.colour, 0x00FFFFFFu);
    zxtest::WriteText(d.file("STYLE.INI"), "");
    lib.Load(d.file("STYLE.INI"), fonts);
    ASSERT_EQ(lib.count(), 1);
    EXPECT_EQ(lib.styles[0].name, "New style");

    zxtest::WriteText(d.file("STYLE.INI"),
                      std::string(kLine) + "\r\nnot a style\nSecond,0,0,0,0,0,0,0,0,0,0,Tall,1,1,0,0,0");
    lib.Load(d.file("STYLE.INI"), fonts);
    ASSERT_EQ(lib.Names(), (std::vector<std::string>{"Title", "Second"}));
    EXPECT_EQ(lib.current, 0);
    ASSERT_TRUE(lib.Save(d.file("STYLE.INI")));
    EXPECT_EQ(zxtest::ReadText(d.file("STYLE.INI")),
              std::string(kLine) + "\nSecond,0,0,0,0,0,0,0,0,0,0,Tall,1,1,0,0,0\n");
}

TEST_F(Styles, EditingTheList) {
    CStyleLibrary lib;
    lib.LoadText("A,0,0,0,0,0,0,0,0,0,0,Grid,1,1,0,0,0\n", fonts);
    EXPECT_FALSE(lib.Remove(0));  // the last style stays
    StyleRecord b = lib.styles[0];
    b.name = "B, bold";
    EXPECT_EQ(lib.Append(b), 1);
    EXPECT_EQ(lib.styles[1].name, "B bold");  // a comma would break its line
    EXPECT_TRUE(lib.MoveUp(1));
    EXPECT_FALSE(lib.MoveUp(0));
    EXPECT_FALSE(lib.MoveDown(1));
    EXPECT_EQ(lib.Names(), (std::vector<std::string>{"B bold", "A"}));
    EXPECT_FALSE(lib.Rename(0, ",,"));
    EXPECT_TRUE(lib.Rename(0, std::string(40, 'x')));
    EXPECT_EQ(lib.styles[0].name.size(), 31u);
    lib.current = 1;
    EXPECT_TRUE(lib.Remove(1));
    EXPECT_EQ(lib.current, 0);
}

TEST_F(Styles, Descriptions) {
    StyleRecord s;
    ASSERT_TRUE(ParseStyleLine("T,2,1,-2130706433,1,1,2,3,4,5,6,Grid,1,1,66051,0,0", s));
    EXPECT_EQ(FrameDescription(s), "Type: Roll\nAlign: Center\nColor: R:255 G:255 B:255 A:8");
    EXPECT_EQ(ParagraphDescription(s), "Align: Center\nMargins: 1; 2; 3\nSpacing: 4; 5; 6");
    EXPECT_EQ(TextDescription(s), "Font: Grid\nColor: R:3 G:2 B:1");
    s.text.tint = 0;
    EXPECT_EQ(TextDescription(s), "Font: Grid\nColor: N/A");
}

TEST_F(Styles, RollStyleOnAPageWithAScrollerKeepsTheFrameFixed) {
    CPageDoc page(fonts);
    auto crawl = frame({10, 400, 700, 440}, "news");
    crawl->SetType(FRAME_SCROLLER, fonts);
    page.AppendFrame(std::move(crawl));
    auto title = frame({10, 10, 300, 200}, "one");
    title->InsertText("\ntwo", fonts);
    const int t = page.AppendFrame(std::move(title));

    StyleRecord roll;
    ASSERT_TRUE(ParseStyleLine("Credits,2,2,-1442840576,1,4,4,0,2,2,1,Tall,1,1,255,5,1", roll));
    const ApplyStyleResult r = ApplyStyle(page, t, roll);
    EXPECT_TRUE(r.typeRefused);
    const CPageFrame& f = *page.frame(t);
    EXPECT_EQ(f.format.type, FRAME_FIXED);
    EXPECT_EQ(f.format.vAlign, VALIGN_BOTTOM);
    EXPECT_EQ(f.format.colour, 0xAA000000u);
    EXPECT_EQ(f.format.border, 0);  // not taken when applying
    EXPECT_EQ(f.format.backgroundFrame, 0);
    for (const CParagraph& p : f.paragraphs) {
        EXPECT_EQ(p.format.align, ALIGN_CENTER);
        EXPECT_EQ(p.format.leftMargin, 4);
        EXPECT_EQ(p.format.lineSpacing, 1);
        ASSERT_EQ(p.runs.size(), 1u);
        EXPECT_EQ(p.runs[0].format.fontName(), "Tall");
        EXPECT_EQ(p.runs[0].format.colour, 255u);
        EXPECT_EQ(p.runs[0].format.level, LEVEL_NORMAL);  // the level is not applied
    }
    EXPECT_TRUE(page.modified);

    // The Scroller itself takes a Roll style: its paragraphs may align again, its text goes top.
    const ApplyStyleResult r2 = ApplyStyle(page, 0, roll);
    EXPECT_FALSE(r2.typeRefused);
    EXPECT_EQ(page.frame(0)->format.type, FRAME_ROLL);
    EXPECT_EQ(page.frame(0)->format.vAlign, VALIGN_TOP);
    EXPECT_EQ(page.frame(0)->paragraphs[0].format.align, ALIGN_CENTER);
}

TEST_F(Styles, MissingFontIsReplacedInTheStyle) {
    CPageDoc page(fonts);
    const int i = page.AppendFrame(frame({10, 10, 300, 200}, "text", "Tall"));
    StyleRecord s;
    ASSERT_TRUE(ParseStyleLine("Gone,0,0,0,0,0,0,0,0,0,0,Vanished,1,1,0,0,0", s));
    const ApplyStyleResult r = ApplyStyle(page, i, s);
    EXPECT_TRUE(r.fontReplaced);
    const std::string substitute = fonts.FontNames().front();
    EXPECT_EQ(s.text.fontName(), substitute);
    EXPECT_EQ(s.text.tint, fonts.Find(substitute)->isMonochrome() ? 1 : 0);
    EXPECT_EQ(page.frame(i)->paragraphs[0].runs[0].format.fontName(), substitute);
    // Applied again, nothing is missing any more.
    EXPECT_FALSE(ApplyStyle(page, i, s).fontReplaced);
}
