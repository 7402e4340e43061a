// The page editor's working state: undo and redo, caret movement, the tracker, frame creation,
// scrolling inside a frame, formatting and the editor's picture of the page.
#include <gtest/gtest.h>

#include "pages/banner_file.h"
#include "pages/editor/page_editor.h"
#include "pages/file_result.h"
#include "pages/page_test_util.h"
#include "support/temp_dir.h"

using namespace pages;
using pagetest::PageFixture;

namespace {

constexpr const char* kBody = "Body,0,0,-2147483648,0,0,0,0,0,0,0,Grid,1,1,16777215,0,0\n";
constexpr const char* kCrawl = "Crawl,1,0,0,0,0,0,0,0,0,0,Grid,1,1,16777215,0,0\n";

// A 720 × 576 picture with some variety.
CBitmap32 SamplePictureForTest() {
    CBitmap32 b(720, 576);
    for (int y = 0; y < 576; ++y)
        for (int x = 0; x < 720; ++x) {
            uint8_t* p = b.pixel(x, y);
            p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(x ^ y), p[3] = 0;
        }
    return b;
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(zxtest::WriteText(path, std::string(bytes.begin(), bytes.end())));
}

struct Editor : PageFixture {
    std::unique_ptr<CPageDoc> page;
    std::unique_ptr<CPageEditor> ed;

    void SetUp() override {
        PageFixture::SetUp();
        page = std::make_unique<CPageDoc>(fonts);
        ed = std::make_unique<CPageEditor>(*page, fonts);
        ed->styles.LoadText(std::string(kBody) + kCrawl, fonts);
    }
    std::vector<std::string> texts(int frame = 0) const {
        std::vector<std::string> t;
        for (const CParagraph& p : page->frame(frame)->paragraphs) t.push_back(p.text());
        return t;
    }
    TextPos caret() const { return ed->selectedFrame()->caret; }
};

}  // namespace

TEST_F(Editor, TypingIsOneUndoStepAndRedoBringsItBack) {
    zxtest::TempDir d;
    ed->CreateFrame({100, 100, 400, 300});
    ed->Type("Hello");
    ed->Type("\n");
    ed->Type("World");
    EXPECT_EQ(texts(), (std::vector<std::string>{"Hello", "World"}));
    EXPECT_EQ(ed->history.steps(), 2u);
    EXPECT_EQ(ed->history.UndoLabel(), "Typing");
    ASSERT_EQ(ed->Save(d.file("p.zxg")), FILE_OK);
    EXPECT_FALSE(ed->modified());

    ed->Undo();
    EXPECT_EQ(texts(), (std::vector<std::string>{""}));
    EXPECT_EQ(ed->selected(), 0);
    EXPECT_TRUE(ed->modified());
    ed->Undo();
    EXPECT_EQ(page->frameCount(), 0);
    EXPECT_EQ(ed->selected(), -1);
    EXPECT_FALSE(ed->CanUndo());
    ed->Redo();
    ed->Redo();
    EXPECT_EQ(texts(), (std::vector<std::string>{"Hello", "World"}));
    EXPECT_FALSE(ed->modified());  // back at the saved state
    EXPECT_FALSE(ed->CanRedo());

    // A new edit after an undo drops what could be redone.
    ed->Undo();
    ed->Select(0);
    ed->Type("x");
    EXPECT_FALSE(ed->CanRedo());
    EXPECT_EQ(texts(), (std::vector<std::string>{"x"}));
}

TEST_F(Editor, DeletingJoinsParagraphsAndUndoSplitsThemAgain) {
    ed->CreateFrame({100, 100, 400, 300});
    ed->Type("ab\ncd");
    ed->history.BreakMerge();
    ed->SetCaret({1, 0}, false);
    ed->Backspace();
    EXPECT_EQ(texts(), (std::vector<std::string>{"abcd"}));
    EXPECT_EQ(caret(), (TextPos{0, 2}));
    ed->MoveCaret(MOVE_TEXT_END, false);
    ed->Backspace();
    ed->Backspace();
    EXPECT_EQ(texts(), (std::vector<std::string>{"ab"}));
    ed->DeleteForward();  // at the end: nothing
    ed->Undo();           // both backspaces
    EXPECT_EQ(texts(), (std::vector<std::string>{"abcd"}));
    ed->Undo();
    EXPECT_EQ(texts(), (std::vector<std::string>{"ab", "cd"}));
    ed->SetCaret({0, 2}, false);
    ed->DeleteForward();
    EXPECT_EQ(texts(), (std::vector<std::string>{"abcd"}));
}

TEST_F(Editor, ClipboardTextAndImport) {
    zxtest::TempDir d;
    ed->CreateFrame({100, 100, 600, 300});
    ed->Type("one\ntwo");
    ed->SetCaret({0, 1}, false);
    ed->SetCaret({1, 2}, true);
    EXPECT_EQ(ed->CopyText(), "ne\r\ntw");
    EXPECT_EQ(ed->CutText(), "ne\r\ntw");
    EXPECT_EQ(texts(), (std::vector<std::string>{"oo"}));
    ed->Paste("ne\r\ntw");
    EXPECT_EQ(texts(), (std::vector<std::string>{"one", "two"}));
    zxtest::WriteText(d.file("t.txt"), "A\r\nB");
    ed->SetCaret({1, 3}, false);
    ed->Type("\n");
    EXPECT_EQ(ed->ImportText(d.file("t.txt")), FILE_OK);
    EXPECT_EQ(texts(), (std::vector<std::string>{"one", "two", "A", "B", ""}));
    EXPECT_EQ(ed->ImportText(d.file("missing.txt")), FILE_OPEN_ERROR);
    EXPECT_EQ(ed->history.UndoLabel(), "Import text");
}

TEST_F(Editor, UnchangedEditsAddNoStepAndLockedFramesStay) {
    ed->CreateFrame({100, 100, 300, 200});
    const size_t steps = ed->history.steps();
    EXPECT_FALSE(ed->SetFrameRect(0, {100, 100, 300, 200}));
    EXPECT_TRUE(ed->SetFrameRect(0, {-50, 100, 150, 200}));  // dragged off the left edge
    EXPECT_EQ(page->frame(0)->rect, (Rect{4, 100, 204, 200}));
    EXPECT_EQ(ed->history.steps(), steps + 1);
    ed->Undo();
    EXPECT_EQ(page->frame(0)->rect, (Rect{100, 100, 300, 200}));
    ed->ToggleLock();
    EXPECT_FALSE(ed->SetFrameRect(0, {200, 100, 400, 200}));
    EXPECT_FALSE(ed->NudgeSelected(2, 0));
    EXPECT_EQ(ed->TrackedRect(0, {200, 100, 400, 200}), (Rect{100, 100, 300, 200}));
    ed->ToggleLock();
    // Nudges in a row are one step.
    ed->NudgeSelected(2, 0);
    ed->NudgeSelected(2, 0);
    ed->NudgeSelected(0, 3);
    EXPECT_EQ(page->frame(0)->rect, (Rect{104, 103, 304, 203}));
    ed->Undo();
    EXPECT_EQ(page->frame(0)->rect, (Rect{100, 100, 300, 200}));
}

TEST_F(Editor, HistorySharesWhatDidNotChange) {
    // A big picture in one frame and sixty separate edits in another: the picture is kept once.
    ed->CreateFrame({10, 10, 710, 560});
    ed->SetFramePicture(SamplePictureForTest(), false);
    ed->CreateFrame({100, 100, 300, 200});
    for (int i = 0; i < 60; ++i) {
        ed->Type("x");
        ed->history.BreakMerge();
    }
    EXPECT_EQ(ed->history.steps(), 63u);
    // The page background and the picture, each once.
    EXPECT_LT(ed->history.bytes(), size_t(720) * 576 * 4 * 3);
    for (int i = 0; i < 61; ++i) ed->Undo();
    EXPECT_EQ(page->frameCount(), 1);
    EXPECT_TRUE(page->frame(0)->hasPicture());
    EXPECT_EQ(page->frame(0)->picture, SamplePictureForTest());

    // The oldest steps go beyond the limit; the page itself is untouched by that.
    CPageHistory small(3);
    small.Reset(*page, -1);
    for (int i = 0; i < 5; ++i) {
        page->SetBackgroundColour(0x100u * uint32_t(i + 1));
        small.Commit(*page, -1, "Page colour");
    }
    EXPECT_EQ(small.steps(), 3u);
    int sel = 0;
    while (small.Undo(*page, sel)) {}
    EXPECT_EQ(page->backgroundColour, 0x200u);
    EXPECT_TRUE(page->modified);  // the saved state is gone
}

TEST_F(Editor, BackgroundPictureUndo) {
    page->SetBackgroundColour(0x00000000);
    ed->DocumentChanged();
    CBitmap32 pic(100, 50);
    pic.fillAll(0x000000FF);
    ed->SetBackgroundPicture(pic, 10, 20, 0, 0);
    EXPECT_TRUE(page->hasBackgroundPicture);
    EXPECT_EQ(page->background.colourAt(10, 20), 0x000000FFu);
    ed->Undo();
    EXPECT_FALSE(page->hasBackgroundPicture);
    EXPECT_EQ(page->background.colourAt(10, 20), 0u);
    EXPECT_FALSE(ed->modified());
    ed->Redo();
    EXPECT_EQ(page->backgroundRect, (Rect{10, 20, 110, 70}));
}

TEST_F(Editor, CaretMovesOverWrappedLines) {
    // Grid: every character 10 pixels; a 100-pixel frame wraps after "aaaa bbbb ".
    ed->CreateFrame({100, 100, 200, 300});
    ed->Type("aaaa bbbb cccc dddd");
    CPageFrame& f = *ed->selectedFrame();
    ASSERT_EQ(f.lines.size(), 2u);
    ed->SetCaret({0, 12}, false);
    ed->MoveCaret(MOVE_UP, false);
    EXPECT_EQ(caret(), (TextPos{0, 2}));
    ed->MoveCaret(MOVE_DOWN, false);
    EXPECT_EQ(caret(), (TextPos{0, 12}));
    ed->MoveCaret(MOVE_DOWN, false);  // past the last line: the end
    EXPECT_EQ(caret(), (TextPos{0, 19}));
    ed->SetCaret({0, 3}, false);
    ed->MoveCaret(MOVE_LINE_END, false);
    EXPECT_EQ(caret(), (TextPos{0, 9}));  // before the space that ends the wrapped line
    ed->SetCaret({0, 12}, false);
    ed->MoveCaret(MOVE_LINE_START, false);
    EXPECT_EQ(caret(), (TextPos{0, 10}));
    ed->MoveCaret(MOVE_WORD_LEFT, false);
    EXPECT_EQ(caret(), (TextPos{0, 5}));
    ed->MoveCaret(MOVE_WORD_RIGHT, false);
    EXPECT_EQ(caret(), (TextPos{0, 10}));
    ed->MoveCaret(MOVE_TEXT_END, false);
    ed->MoveCaret(MOVE_LEFT, true);
    ed->MoveCaret(MOVE_LEFT, true);
    EXPECT_EQ(ed->CopyText(), "dd");
    ed->MoveCaret(MOVE_RIGHT, false);  // collapses to the selection's end
    EXPECT_EQ(caret(), (TextPos{0, 19}));
    EXPECT_FALSE(ed->hasTextSelection());

    // The caret's box and the point under it agree.
    for (int32_t o : {0, 4, 10, 15, 19}) {
        ed->SetCaret({0, o}, false);
        const CaretBox box = ed->Caret();
        ASSERT_TRUE(box.visible);
        EXPECT_EQ(ed->PosAt(0, box.x + 1, box.y + 2), (TextPos{0, o})) << o;
    }
    EXPECT_EQ(ed->Caret().x, 100 + 90);
    EXPECT_EQ(ed->Caret().y, 100 + 22);
}

TEST_F(Editor, TrackerHits) {
    ed->CreateFrame({100, 100, 300, 200});
    ed->CreateFrame({400, 100, 500, 200});
    ed->Select(0);
    EXPECT_EQ(ed->HitTest(101, 99, 3).hit, HIT_TOP_LEFT);
    EXPECT_EQ(ed->HitTest(200, 100, 3).hit, HIT_TOP);
    EXPECT_EQ(ed->HitTest(300, 150, 3).hit, HIT_RIGHT);
    EXPECT_EQ(ed->HitTest(150, 101, 3).hit, HIT_MOVE);
    const HitResult inside = ed->HitTest(200, 150, 3);
    EXPECT_EQ(inside.hit, HIT_TEXT);
    EXPECT_EQ(inside.frame, 0);
    const HitResult other = ed->HitTest(450, 150, 3);
    EXPECT_EQ(other.frame, 1);
    EXPECT_EQ(other.hit, HIT_MOVE);
    EXPECT_EQ(ed->HitTest(50, 50, 3).hit, HIT_NONE);
    ed->ToggleLock();
    EXPECT_EQ(ed->HitTest(101, 99, 3).hit, HIT_MOVE);  // a locked frame shows no handles

    const Rect s{100, 100, 300, 200};
    EXPECT_EQ(CPageEditor::DragRect(s, HIT_LEFT, 250, 0), (Rect{300, 100, 350, 200}));
    EXPECT_EQ(CPageEditor::DragRect(s, HIT_BOTTOM_RIGHT, 10, -20), (Rect{100, 100, 310, 180}));
    EXPECT_EQ(CPageEditor::DragRect(s, HIT_MOVE, 5, 5), (Rect{105, 105, 305, 205}));
    EXPECT_EQ(ed->TrackedRect(1, {600, 100, 700, 200}), (Rect{600, 100, 700, 200}));
    EXPECT_EQ(ed->TrackedRect(1, {650, 100, 750, 200}), (Rect{616, 100, 716, 200}));
}

TEST_F(Editor, NewFramesFollowTheStyleAndTheMovingFrameRule) {
    ed->styles.current = 1;  // Crawl: a Scroller
    bool demoted = true;
    ed->CreateFrame({10, 500, 710, 540}, &demoted);
    EXPECT_FALSE(demoted);
    EXPECT_EQ(page->frame(0)->format.type, FRAME_SCROLLER);
    ed->CreateFrame({10, 10, 300, 100}, &demoted);
    EXPECT_TRUE(demoted);
    EXPECT_EQ(page->frame(1)->format.type, FRAME_FIXED);
    EXPECT_EQ(page->frame(0)->name, "Frame 1");
    EXPECT_EQ(page->frame(1)->name, "Frame 2");
    page->frame(0)->name = "Frame 3";
    EXPECT_EQ(ed->NextFrameName(), "Frame 4");
    // Only the moving frame (or a page without one) may change its type.
    ed->Select(1);
    EXPECT_FALSE(ed->CanChangeFrameType());
    ed->Select(0);
    EXPECT_TRUE(ed->CanChangeFrameType());
    EXPECT_FALSE(ed->CanAlign());
    EXPECT_TRUE(ed->CanEditBorder());
    ed->SetFrameType(FRAME_ROLL);
    EXPECT_TRUE(ed->CanAlign());
    EXPECT_FALSE(ed->CanSetVAlign());
}

TEST_F(Editor, LongTextScrollsInsideItsFrame) {
    // Grid lines are 22 pixels; the frame shows two of six.
    ed->CreateFrame({100, 100, 300, 150});
    ed->Type("1\n2\n3\n4\n5\n6");
    CPageFrame& f = *ed->selectedFrame();
    EXPECT_FALSE(f.fits);
    EXPECT_TRUE(ed->TextOverflows(0));
    EXPECT_EQ(f.vScroll, 88);
    EXPECT_TRUE(ed->Caret().visible);
    ed->MoveCaret(MOVE_TEXT_START, false);
    EXPECT_EQ(f.vScroll, 0);
    ed->ScrollText(10);
    EXPECT_EQ(f.vScroll, 88);
    ed->ScrollText(-1);
    EXPECT_EQ(f.vScroll, 66);
    EXPECT_FALSE(ed->Caret().visible);  // the caret's line is scrolled away
    // Saving renders without losing the place.
    ed->MoveCaret(MOVE_TEXT_END, false);
    ed->Render();
    EXPECT_EQ(f.vScroll, 88);
    EXPECT_EQ(f.caret, (TextPos{5, 1}));
}

TEST_F(Editor, TextFormatsWithAndWithoutASelection) {
    ed->CreateFrame({100, 100, 600, 300});
    ed->Type("ab\n\ncd");
    EXPECT_TRUE(ed->CanSetTextColour());
    // Nothing selected: all of the frame, the empty paragraph too.
    ed->SetFont("Tall");
    for (const CParagraph& p : ed->selectedFrame()->paragraphs) EXPECT_EQ(p.runs[0].format.fontName(), "Tall");
    ed->SetCaret({0, 1}, false);
    ed->SetCaret({0, 2}, true);
    ed->SetTextLevel(LEVEL_SUPERSCRIPT);
    ASSERT_EQ(ed->selectedFrame()->paragraphs[0].runs.size(), 2u);
    EXPECT_EQ(ed->CaretFormat().level, LEVEL_SUPERSCRIPT);
    ed->SetFont("Paint");
    EXPECT_FALSE(ed->CanSetTextColour());

    page->frame(0)->paragraphs[0].format.leftMargin = 5;
    page->frame(0)->paragraphs[2].format.leftMargin = 7;
    ed->SelectAllText();
    ParaFormat pf = ed->SelectionParaFormat();
    EXPECT_EQ(pf.leftMargin, -1);
    EXPECT_EQ(pf.rightMargin, 0);
    pf.rightMargin = 9;
    ed->ApplyParaFormat(pf);
    EXPECT_EQ(page->frame(0)->paragraphs[0].format.leftMargin, 5);
    EXPECT_EQ(page->frame(0)->paragraphs[2].format.leftMargin, 7);
    EXPECT_EQ(page->frame(0)->paragraphs[1].format.rightMargin, 9);
    ed->SetAlignment(ALIGN_CENTER);
    EXPECT_EQ(page->frame(0)->paragraphs[2].format.align, ALIGN_CENTER);
    EXPECT_EQ(page->frame(0)->paragraphs[2].format.rightMargin, 9);
}

TEST_F(Editor, StyleChosenForTheSelectedFrame) {
    zxtest::TempDir d;
    ed->stylePath = d.file("STYLE.INI");
    ed->CreateFrame({10, 10, 300, 100});
    ed->Type("text");
    ed->styles.current = 1;
    ed->CreateFrame({10, 500, 710, 540});  // the Scroller
    ed->Select(0);
    const ApplyStyleResult r = ed->ChooseStyle(1);
    EXPECT_TRUE(r.typeRefused);
    EXPECT_EQ(ed->history.UndoLabel(), "Apply style");
    EXPECT_EQ(ed->AddStyleFromSelection(), 2);
    EXPECT_EQ(ed->styles.styles[2].name, "New style");
    ed->SaveStyles();
    CStyleLibrary back;
    back.Load(d.file("STYLE.INI"), fonts);
    EXPECT_EQ(back.count(), 3);
}

TEST_F(Editor, ScreenFollowsThePreferences) {
    CBitmap32 screen;
    CBitmap32 reference(720, 576);
    reference.fillAll(0x0000FF00);  // green behind everything
    ed->SetReferenceBackground(reference);
    page->SetBackgroundColour(0xFF000000);  // invisible page colour
    ed->DocumentChanged();
    ed->CreateFrame({100, 100, 300, 200});
    ed->SetFrameColour(0x800000FF);  // half-transparent red
    ed->prefs.useClip = false;
    ed->DrawScreen(screen);
    EXPECT_EQ(screen.colourAt(50, 50), 0x0000FF00u);
    EXPECT_EQ(screen.colourAt(150, 150), 0x0000807Fu);  // red over green, blended
    ed->prefs.useBlend = false;
    ed->DrawScreen(screen);
    EXPECT_EQ(screen.colourAt(150, 150), 0x000000FFu);  // painted opaque
    ed->prefs.useClip = true;
    ed->prefs.clipX = 30;
    ed->prefs.clipY = 40;
    ed->DrawScreen(screen);
    EXPECT_EQ(screen.colourAt(30, 300), 0x00FF00FFu);  // green inverted
    EXPECT_EQ(screen.colourAt(689, 300), 0x00FF00FFu);
    EXPECT_EQ(screen.colourAt(360, 535), 0x00FF00FFu);
    EXPECT_EQ(screen.colourAt(31, 300), 0x0000FF00u);
}

TEST_F(Editor, SaveReopenAndCompareTheDeviceData) {
    zxtest::TempDir d;
    ed->CreateFrame({100, 100, 600, 300});
    ed->Type("Evening news\nat nine");
    ed->prefs.filter = false;
    ASSERT_EQ(ed->Save(d.file("news.zxg")), FILE_OK);
    EXPECT_TRUE(ed->imageCurrent());
    EXPECT_EQ(page->pathName, d.file("news.zxg"));

    CPageDoc other(fonts);
    CPageEditor second(other, fonts);
    ASSERT_EQ(second.Open(d.file("news.zxg")), FILE_OK);
    ASSERT_EQ(other.frameCount(), 1);
    EXPECT_EQ(other.frame(0)->PlainText(), "Evening news\r\nat nine");
    second.prefs.filter = false;
    second.Render();
    CPageImage stored;
    CPageDoc reader(fonts);
    ASSERT_EQ(reader.Load(LOAD_SUMMARY | LOAD_DEVICE, d.file("news.zxg"), stored), FILE_OK);
    EXPECT_EQ(stored.device, second.image.device);
    EXPECT_EQ(stored.data, second.image.data);
    EXPECT_FALSE(stored.uniform());

    // A file that is no page: an empty new page and the code for the message.
    zxtest::WriteText(d.file("bad.zxg"), "nonsense");
    EXPECT_EQ(second.Open(d.file("bad.zxg")), FILE_FORMAT_ERROR);
    EXPECT_EQ(other.frameCount(), 0);
    EXPECT_FALSE(second.CanUndo());
}

TEST_F(Editor, LinkBannerTakesTheBannersSizeAndFirstFrame) {
    zxtest::TempDir d;
    BannerHeader h;
    h.frames = 2;
    h.rate100 = 2500;
    h.width = 120;
    h.height = 40;
    h.flags = BANNER_HAS_PREVIEW;
    CBitmap32 preview(120, 40);
    preview.fillAll(0x0000C0FF);
    std::vector<uint8_t> bytes = BannerHeadBytes(h, &preview);
    bytes.resize(bytes.size() + 2 * (2 + 120 * 40 * 2), 0);  // the frames
    writeBytes(d.file("logo.zxa"), bytes);

    ed->CreateFrame({101, 100, 400, 300});
    ed->SetFramePicture(CBitmap32(20, 20), false);
    ASSERT_TRUE(ed->CanLinkBanner());
    ASSERT_EQ(ed->LinkBanner(d.file("logo.zxa")), FILE_OK);
    const CPageFrame& f = *page->frame(0);
    EXPECT_TRUE(f.isBanner());
    EXPECT_FALSE(f.hasPicture());
    EXPECT_EQ(f.bannerPath, d.file("logo.zxa"));
    EXPECT_EQ(f.rect, (Rect{100, 100, 220, 140}));
    EXPECT_EQ(f.picture, preview);
    EXPECT_EQ(ed->history.UndoLabel(), "Link banner");

    // One banner a page, and no moving frame beside it.
    ed->CreateFrame({100, 300, 400, 400});
    EXPECT_FALSE(ed->CanLinkBanner());
    ed->Select(0);
    EXPECT_TRUE(ed->CanLinkBanner());

    // Damaged files: the message's code, and the frame loses its link.
    std::vector<uint8_t> bad = bytes;
    bad[0] = 'X';
    writeBytes(d.file("magic.zxa"), bad);
    bad = bytes;
    bad[4] = 2;
    writeBytes(d.file("version.zxa"), bad);
    writeBytes(d.file("short.zxa"), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 64 + 100));
    bad = bytes;
    bad[16] = bad[17] = bad[18] = bad[19] = 0xFF;  // 65535 × 65535 pixels
    writeBytes(d.file("huge.zxa"), bad);
    EXPECT_EQ(ed->LinkBanner(d.file("magic.zxa")), FILE_FORMAT_ERROR);
    EXPECT_FALSE(page->frame(0)->isBanner());
    EXPECT_EQ(ed->LinkBanner(d.file("version.zxa")), FILE_VERSION_ERROR);
    EXPECT_EQ(ed->LinkBanner(d.file("short.zxa")), FILE_FORMAT_ERROR);
    EXPECT_EQ(ed->LinkBanner(d.file("huge.zxa")), FILE_FORMAT_ERROR);
    EXPECT_EQ(ed->LinkBanner(d.file("none.zxa")), FILE_OPEN_ERROR);

    // Undo brings the link back, with its preview.
    ed->Undo();
    EXPECT_TRUE(page->frame(0)->isBanner());
    EXPECT_EQ(page->frame(0)->picture, preview);
}
