// Captions: the titles file, the caption page, editing and the buttons, the settings, the render
// into the box, and F2 against the air frame in simulated time with the engine's commands
// recorded.
#include <gtest/gtest.h>

#include "air/captions.h"
#include "air/effects.h"
#include "air_frame_fixture.h"
#include "app/profile.h"
#include "pages/bitmap_font.h"
#include "pages/device_picture.h"
#include "pages/file_result.h"
#include "pages/font_test_util.h"
#include "pages/page_frame.h"

using namespace air;
using namespace airtest;
using device::CMD_CUT;
using device::CMD_IN_EFFECT;
using device::CMD_LOAD_RECT;

namespace {

struct CaptionPage {
    pages::Rect box{100, 400, 620, 460};
    uint32_t colour = 0x80102030;
    int frames = 2;
    bool filter = true;
};

struct CaptionsTest : AirFrameFixture {
    std::unique_ptr<CCaptions> captions;

    void SetUp() override {
        AirFrameFixture::SetUp();
        platform::MakeDirectories(dir.file("Fonts"));
        fonttest::WriteBlockFont(fonts, dir.file("Fonts/Block.bmf"));
        fonts.setFolder(dir.file("Fonts/"));
        fonts.Enumerate();
        captions = std::make_unique<CCaptions>(app, fonts);
    }
    void TearDown() override {
        captions.reset();
        AirFrameFixture::TearDown();
    }

    std::string writePage(const std::string& name, const CaptionPage& c = {}) {
        pages::CPageDoc doc(fonts);
        for (int i = 0; i < c.frames; ++i) {
            pages::FrameFormat ff;
            ff.colour = c.colour;
            ff.vAlign = pages::VALIGN_CENTER;
            pages::ParaFormat pf;
            pf.align = pages::ALIGN_CENTER;
            pages::TextFormat tf;
            tf.setFontName("Block");
            tf.tint = 1;
            tf.colour = 0x00FFFFFF;
            const pages::Rect r = i == 0 ? c.box : pages::Rect{10, 10, 200, 60};
            const int index = doc.CreateFrame(r, ff, pf, tf, "Frame");
            doc.frame(index)->rect = r;  // as it stands, also beyond what the editor allows
            doc.frame(index)->InsertText("old text", fonts);
        }
        pages::CPageImage image;
        image.Compile(doc, pages::COMPILE_THUMBNAIL | (c.filter ? pages::COMPILE_FILTER : 0));
        const std::string path = dir.file("Pages/" + name);
        EXPECT_EQ(doc.Save(path, image), 0);
        return path;
    }
    void loadList(const std::string& text) {
        zxtest::WriteText(dir.file("list.txt"), text);
        ASSERT_EQ(captions->LoadCaptions(dir.file("list.txt")), 0);
    }
    // A caption page and three captions, the frame open with the link up.
    void ready(bool fast = false) {
        ASSERT_EQ(captions->OpenPage(writePage("cap.zxg")), 0);
        loadList("---\r\nHello\r\n---\r\nTwo\r\nlines\r\n---\r\nLast one\r\n---\r\n");
        captions->SetFastMode(fast);
        captions->SetBorder(2);
        engine.keepBlocks = true;
        open();
    }
};

}  // namespace

TEST(CaptionsFile, ReadsAsWrittenAndTakesAnyBytes) {
    // Lines before the first separator and after the last are not used; empty captions drop.
    EXPECT_EQ(ParseCaptions("---\nA\nB\n---\nC\n"), (CaptionList{"A\r\nB"}));
    EXPECT_EQ(ParseCaptions("---\r\nA\r\nB\r\n---\r\nC\r\n"), (CaptionList{"A\r\nB"}));
    EXPECT_EQ(ParseCaptions("intro\r\n---\r\n---\r\n\r\n---\r\nX\r\n---"), (CaptionList{"X"}));
    EXPECT_TRUE(ParseCaptions("").empty());
    EXPECT_TRUE(ParseCaptions("no separator at all\r\n").empty());
    // NUL, a lone CR and no final line end are bytes like others.
    const std::string odd("---\nA\0B\rC\n---", 13);
    EXPECT_EQ(ParseCaptions(odd), (CaptionList{std::string("A\0B\rC", 5)}));
    const std::string big = "---\n" + std::string(1 << 20, 'x') + "\n---\n";
    ASSERT_EQ(ParseCaptions(big).size(), 1u);
    EXPECT_EQ(ParseCaptions(big)[0].size(), size_t(1) << 20);
}

TEST(CaptionsFile, ADashLineInsideACaptionComesBackTheSame) {
    const CaptionList list{"A\r\n---\r\nB", "--- ", "one"};
    const std::string file = FormatCaptions(list);
    EXPECT_EQ(file, "---\r\nA\r\n--- \r\nB\r\n---\r\n---  \r\n---\r\none\r\n---\r\n");
    EXPECT_EQ(ParseCaptions(file), list);
    EXPECT_EQ(FormatCaptions(ParseCaptions(file)), file);  // byte for byte
    EXPECT_EQ(FormatCaptions({}), "---\r\n");
    EXPECT_EQ(CaptionText("a\nb\rc\r\nd"), "a\r\nb\r\nc\r\nd");
}

TEST(CaptionsFile, FilesRoundTripAndReportWhatFails) {
    zxtest::TempDir dir;
    CaptionList out;
    EXPECT_EQ(ReadCaptionsFile(dir.file("missing.txt"), out), pages::FILE_OPEN_ERROR);
    EXPECT_EQ(WriteCaptionsFile(dir.file("no/such/folder/x.txt"), {"a"}), pages::FILE_SAVE_ERROR);
    ASSERT_EQ(WriteCaptionsFile(dir.file("x.txt"), {"a", "b\r\nc"}), 0);
    ASSERT_EQ(ReadCaptionsFile(dir.file("x.txt"), out), 0);
    EXPECT_EQ(out, (CaptionList{"a", "b\r\nc"}));
}

TEST_F(CaptionsTest, ShowTimeGrowsWithTheText) {
    EXPECT_EQ(CCaptions::ShowTimeOf("abcde", 5), 1260u);
    EXPECT_EQ(CCaptions::ShowTimeOf("", 0), 60u);
    EXPECT_EQ(CCaptions::ShowTimeOf("A\r\nB", 9), 6u * 10 * 30);
}

TEST_F(CaptionsTest, SettingsAreReadClampedAndWrittenBack) {
    EXPECT_EQ(captions->settings().timeBase, 5);
    EXPECT_FALSE(captions->settings().fade);
    EXPECT_TRUE(captions->settings().fastMode);
    EXPECT_EQ(captions->settings().blends, 0);
    app.profile().putInt("Captions", "TimeBase", 42);
    app.profile().putInt("Captions", "Blends", -3);
    app.profile().putInt("Captions", "FastMode", 0);
    app.profile().putString("Captions", "TitlesFile", "Text\\News.txt");  // below the data root
    CCaptions again(app, fonts);
    EXPECT_EQ(again.settings().titlesFile, app.GetPath(app::FOLDER_ROOT) + "Text/News.txt");
    EXPECT_EQ(again.state().timeBase, 9);
    EXPECT_EQ(again.state().border, 0);
    EXPECT_FALSE(again.state().fastMode);
    again.SetTimeBase(3);
    again.SetFade(true);
    again.SetBorder(20);
    ASSERT_EQ(again.OpenPage(writePage("cap.zxg")), 0);
    again.SaveSettings();
    app::Profile ini(app.iniPath());
    EXPECT_EQ(ini.getInt("Captions", "TimeBase", -1), 3);
    EXPECT_EQ(ini.getInt("Captions", "Fade", -1), 1);
    EXPECT_EQ(ini.getInt("Captions", "Blends", -1), 13);
    EXPECT_EQ(ini.getString("Captions", "FileName"), dir.file("Pages/cap.zxg"));
}

TEST_F(CaptionsTest, TheFirstFrameBecomesTheBox) {
    CaptionPage tall;
    tall.box = {100, 100, 621, 500};  // 400 lines, and an odd width
    ASSERT_EQ(captions->OpenPage(writePage("tall.zxg", tall)), 0);
    const CaptionState& s = captions->state();
    EXPECT_EQ(s.captionRect.top, 100);
    EXPECT_EQ(s.captionRect.bottom, 100 + 288);
    EXPECT_EQ(s.captionRect.right - s.captionRect.left, 520);
    ASSERT_NE(s.captionFrame, nullptr);
    EXPECT_EQ(s.captionFrame->PlainText(), "");
    EXPECT_EQ(s.captionBitmap.width(), 520);
    EXPECT_EQ(s.captionBitmap.height(), 288);
    EXPECT_EQ(s.captionBitmap.colourAt(5, 5), 0xFF000000u);
    ASSERT_TRUE(s.devicePixels);
    EXPECT_EQ(s.devicePixels->size(), 2u * 520 * 288 + 2);
    EXPECT_TRUE(s.filter);
    EXPECT_EQ(app.GetPath(app::FOLDER_LAST_PAGES), dir.file("Pages/"));

    // A page without frames, or one that cannot be read, leaves the caption page as it was.
    CaptionPage none;
    none.frames = 0;
    const int before = boxes.count();
    EXPECT_EQ(captions->OpenPage(writePage("empty.zxg", none)), IDS_NO_FRAMES);
    EXPECT_EQ(boxes.count(), before + 1);
    EXPECT_EQ(boxes.lastStyle() & app::MB_ICONMASK, app::MB_ICONERROR);
    EXPECT_EQ(captions->OpenPage(dir.file("Pages/missing.zxg")), pages::FILE_OPEN_ERROR);
    EXPECT_EQ(captions->pagePath(), dir.file("Pages/tall.zxg"));
    EXPECT_EQ(captions->state().captionRect.bottom, 388);
    EXPECT_NE(captions->state().captionFrame, nullptr);
}

TEST_F(CaptionsTest, EditingStoresTheTextBoxFirst) {
    // Add on an empty list makes the first caption.
    EXPECT_EQ(captions->Buttons(nullptr).of, 0);
    EXPECT_FALSE(captions->Buttons(nullptr).remove);
    captions->Add();
    EXPECT_EQ(captions->list().size(), 1u);
    captions->SetText("first\nline two");
    captions->Add();
    captions->SetText("second");
    captions->First();
    EXPECT_EQ(captions->list(), (CaptionList{"first\r\nline two", "second"}));
    EXPECT_EQ(captions->Text(), "first\r\nline two");
    captions->SetText("changed");
    captions->Next();
    EXPECT_EQ(captions->list()[0], "changed");
    EXPECT_EQ(captions->state().current, 1);
    captions->Next();  // at the end: stays
    EXPECT_EQ(captions->state().current, 1);
    captions->Previous();
    captions->Add();  // after the current one
    EXPECT_EQ(captions->list(), (CaptionList{"changed", "", "second"}));
    EXPECT_EQ(captions->state().current, 1);
    captions->Last();
    EXPECT_EQ(captions->Text(), "second");
    // Deleting the last moves back one; deleting the only one leaves an empty list at 0.
    captions->Delete();
    EXPECT_EQ(captions->state().current, 1);
    EXPECT_EQ(captions->list().size(), 2u);
    captions->Delete();
    captions->Delete();
    EXPECT_TRUE(captions->list().empty());
    EXPECT_EQ(captions->state().current, 0);
    EXPECT_EQ(captions->Text(), "");
    captions->Delete();  // nothing left: nothing happens
    captions->StoreText();
    EXPECT_TRUE(captions->list().empty());
}

TEST_F(CaptionsTest, LoadingKeepsTheListUnlessTheFileHasCaptions) {
    captions->Add();
    captions->SetText("typed by hand");
    const int before = boxes.count();
    EXPECT_EQ(captions->LoadCaptions(dir.file("missing.txt")), pages::FILE_OPEN_ERROR);
    zxtest::WriteText(dir.file("empty.txt"), "---\r\n---\r\n");
    EXPECT_EQ(captions->LoadCaptions(dir.file("empty.txt")), IDS_CAPTIONS_EMPTY);
    EXPECT_EQ(boxes.count(), before + 2);
    EXPECT_EQ(boxes.lastStyle() & app::MB_ICONMASK, app::MB_ICONWARNING);
    EXPECT_EQ(captions->Text(), "typed by hand");
    captions->StoreText();
    EXPECT_EQ(captions->list(), (CaptionList{"typed by hand"}));
    // Save stores the text box first; a good file replaces the list and starts at its top.
    captions->SetText("edited");
    ASSERT_EQ(captions->SaveCaptions(dir.file("saved.txt")), 0);
    EXPECT_EQ(zxtest::ReadText(dir.file("saved.txt")), "---\r\nedited\r\n---\r\n");
    EXPECT_EQ(captions->SaveCaptions(dir.file("no/such/x.txt")), pages::FILE_SAVE_ERROR);
    loadList("---\nA\n---\nB\n---\n");
    EXPECT_EQ(captions->list(), (CaptionList{"A", "B"}));
    EXPECT_EQ(captions->Text(), "A");
    EXPECT_EQ(captions->settings().titlesFile, dir.file("list.txt"));
    EXPECT_EQ(app.GetPath(app::FOLDER_LAST_TEXT), dir.path());
}

TEST_F(CaptionsTest, ButtonsFollowTheListThePageAndTheAir) {
    CaptionButtons b = captions->Buttons(nullptr);
    EXPECT_TRUE(b.openPage && b.loadCaptions && b.add);
    EXPECT_FALSE(b.saveCaptions || b.showHide || b.first || b.next || b.remove || b.textBox);
    ready();
    b = captions->Buttons(frame.get());
    EXPECT_TRUE(b.saveCaptions && b.showHide && b.next && b.last && b.remove && b.counters && b.textBox);
    EXPECT_FALSE(b.first || b.previous);
    EXPECT_EQ(b.page, 1);
    EXPECT_EQ(b.of, 3);
    captions->Last();
    b = captions->Buttons(frame.get());
    EXPECT_TRUE(b.first && b.previous);
    EXPECT_FALSE(b.next || b.last);
    captions->First();
    ASSERT_EQ(captions->ShowHide(*frame), CaptionKey::SHOWN);
    // While the caption is copied F2 waits; on air the files and Add are locked.
    EXPECT_FALSE(captions->Buttons(frame.get()).showHide);
    EXPECT_EQ(captions->ShowHide(*frame), CaptionKey::NONE);
    finish();
    b = captions->Buttons(frame.get());
    EXPECT_TRUE(b.showHide);
    EXPECT_FALSE(b.openPage || b.loadCaptions || b.saveCaptions || b.add);
    EXPECT_EQ(b.page, 2);
}

TEST_F(CaptionsTest, RenderSetsTheTextInTheBoxFormats) {
    ASSERT_EQ(captions->OpenPage(writePage("cap.zxg")), 0);
    EXPECT_FALSE(captions->Render(0));  // no captions yet
    loadList("---\nAB\n---\nAB\nCD\n---\n");
    ASSERT_TRUE(captions->Render(0));
    const CaptionState& s = captions->state();
    EXPECT_EQ(s.showTime, (2u + 2) * 6 * 30);
    const pages::CBitmap32& bmp = s.captionBitmap;
    // Centred: the two blocks of "AB" around the middle, the panel's colour (filtered) elsewhere.
    EXPECT_EQ(bmp.colourAt(2, 30) & 0xFF000000u, 0x80000000u);
    EXPECT_EQ(bmp.colourAt(260 - 3, 30), 0x00FFFFFFu);
    EXPECT_EQ(bmp.colourAt(260 + 3, 30), 0x00FFFFFFu);
    EXPECT_EQ(bmp.colourAt(260 - 20, 30) & 0xFF000000u, 0x80000000u);
    ASSERT_EQ(s.captionFrame->paragraphs.size(), 1u);
    ASSERT_EQ(s.devicePixels->size(), 2u * 520 * 60 + 2);
    EXPECT_TRUE(pages::StillChecksumOk(s.devicePixels->data(), s.devicePixels->size()));
    EXPECT_NE(pages::DeviceChecksum(s.devicePixels->data() + 2, s.devicePixels->size() - 2), 0);
    const auto first = s.devicePixels;
    ASSERT_TRUE(captions->Render(1));
    EXPECT_NE(first, s.devicePixels);  // a new block: the old one stays as it was
    EXPECT_EQ(s.captionFrame->paragraphs.size(), 2u);
    EXPECT_EQ(s.captionFrame->PlainText(), "AB\r\nCD");
    EXPECT_NE(*first, *s.devicePixels);
}

TEST_F(CaptionsTest, NormalModeShowsOneCaptionAndCutsItAfterItsTime) {
    ready();
    ASSERT_EQ(captions->ShowHide(*frame), CaptionKey::SHOWN);
    EXPECT_EQ(captions->state().current, 1);  // the next one comes up
    EXPECT_EQ(captions->Text(), "Two\r\nlines");
    const Cmd load = engine.last();
    EXPECT_EQ(load.code, CMD_LOAD_RECT);
    EXPECT_EQ(load.rect.left, 100);
    EXPECT_EQ(load.rect.top, 400);
    EXPECT_EQ(load.rect.right, 620);
    EXPECT_EQ(load.rect.bottom, 460);
    EXPECT_EQ(load.bytes, 2u * 520 * 60 + 2);
    finish();
    EXPECT_EQ(view.lastOf(AIRNOTE_PREVIEW), 1);
    const Cmd in = engine.last();
    EXPECT_EQ(in.code, CMD_IN_EFFECT);
    EXPECT_EQ(in.flags, WORD_CAPTION);
    EXPECT_EQ(in.param, (3u << 28) | 0x0A0A);
    EXPECT_EQ(in.rect.left, 99 + 3);
    EXPECT_EQ(in.rect.top, 400 + 3);
    EXPECT_EQ(in.rect.right, 618 - 3);
    EXPECT_EQ(in.rect.bottom, 459 - 3);
    finish();
    EXPECT_EQ(state(), AIR_WAIT_OUT);
    const uint32_t show = CCaptions::ShowTimeOf("Hello", 5);
    EXPECT_EQ(frame->State().total, show);
    advance(show - 100);
    EXPECT_EQ(state(), AIR_WAIT_OUT);
    advance(200);
    EXPECT_EQ(state(), AIR_OUT_EFFECT);
    EXPECT_EQ(engine.last().code, CMD_CUT);
    finish();
    EXPECT_EQ(state(), AIR_IDLE);
    EXPECT_EQ(view.lastOf(AIRNOTE_PREVIEW), 0);
    const size_t sent = engine.cmds.size();
    advance(5000);
    EXPECT_EQ(engine.cmds.size(), sent);  // idle until the next F2

    // The fade, and F2 during the show time takes the caption off.
    captions->SetFade(true);
    ASSERT_EQ(captions->ShowHide(*frame), CaptionKey::SHOWN);
    finish();
    EXPECT_EQ(engine.last().flags, WORD_CAPTION_FADE);
    finish();
    advance(300);
    ASSERT_EQ(captions->ShowHide(*frame), CaptionKey::HIDDEN);
    EXPECT_EQ(state(), AIR_STOPPING);
    EXPECT_EQ(engine.last().code, CMD_CUT);
    finish();
    EXPECT_EQ(state(), AIR_IDLE);
    EXPECT_EQ(captions->state().current, 2);
}

TEST_F(CaptionsTest, F2OnTheLastCaptionTakesItOffAndShowsItAgain) {
    ready();
    captions->Last();
    ASSERT_EQ(captions->ShowHide(*frame), CaptionKey::SHOWN);
    finish();
    finish();
    EXPECT_EQ(state(), AIR_WAIT_OUT);
    EXPECT_EQ(captions->state().current, 2);  // stays on the last
    EXPECT_EQ(captions->ShowHide(*frame), CaptionKey::HIDDEN);
    finish();
    EXPECT_EQ(state(), AIR_IDLE);
    EXPECT_EQ(captions->ShowHide(*frame), CaptionKey::SHOWN);
    EXPECT_EQ(engine.last().code, CMD_LOAD_RECT);
    finish();
    finish();
    EXPECT_EQ(state(), AIR_WAIT_OUT);
    EXPECT_EQ(frame->State().total, CCaptions::ShowTimeOf("Last one", 5));
}

TEST_F(CaptionsTest, FastModeReplacesTheCaptionAndLeavesTheSentBlockAlone) {
    ready(true);
    ASSERT_EQ(captions->ShowHide(*frame), CaptionKey::SHOWN);
    const Cmd firstLoad = engine.last();
    ASSERT_EQ(firstLoad.code, CMD_LOAD_RECT);
    finish();
    ASSERT_EQ(state(), AIR_IN_EFFECT);
    // F2 during the in-effect: the caption is stopped, the next one copied and played.
    ASSERT_EQ(captions->ShowHide(*frame), CaptionKey::SHOWN);
    EXPECT_EQ(state(), AIR_STOPPING);
    finish();
    EXPECT_EQ(state(), AIR_COPYING);
    const Cmd secondLoad = engine.last();
    ASSERT_EQ(secondLoad.code, CMD_LOAD_RECT);
    finish();
    EXPECT_EQ(state(), AIR_IN_EFFECT);
    finish();
    EXPECT_EQ(state(), AIR_WAIT_OUT);
    EXPECT_EQ(frame->State().total, CCaptions::ShowTimeOf("Two\r\nlines", 5));
    // F2 during the show time: the same.
    ASSERT_EQ(captions->ShowHide(*frame), CaptionKey::SHOWN);
    EXPECT_EQ(state(), AIR_STOPPING);
    finish();
    finish();
    finish();
    EXPECT_EQ(state(), AIR_WAIT_OUT);
    EXPECT_EQ(engine.count(CMD_LOAD_RECT), 3u);
    // Each block the engine was handed is as it was when handed, and each is its own.
    for (const Cmd& c : engine.cmds)
        if (c.code == CMD_LOAD_RECT) {
            ASSERT_EQ(c.ref.size(), c.block.size());
            EXPECT_TRUE(std::equal(c.block.begin(), c.block.end(), c.ref.data()));
        }
    EXPECT_NE(firstLoad.ref.data(), secondLoad.ref.data());
    EXPECT_NE(firstLoad.block, secondLoad.block);
}
