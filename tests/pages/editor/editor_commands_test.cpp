// What the page editor's menus may offer: which commands can be used and which show checked,
// as the selection, the frame's kind and formats, the history and the page change.
#include <gtest/gtest.h>

#include <initializer_list>

#include "pages/editor/page_editor.h"
#include "pages/page_test_util.h"

using namespace pages;
using pagetest::PageFixture;

namespace {

constexpr const char* kStyles =
    "Body,0,0,-2147483648,0,0,0,0,0,0,0,Grid,1,1,16777215,0,0\n"
    "Crawl,1,0,0,0,0,0,0,0,0,0,Grid,1,1,16777215,0,0\n";

struct Commands : PageFixture {
    std::unique_ptr<CPageDoc> page;
    std::unique_ptr<CPageEditor> ed;
    CommandContext outside;

    void SetUp() override {
        PageFixture::SetUp();
        page = std::make_unique<CPageDoc>(fonts);
        ed = std::make_unique<CPageEditor>(*page, fonts);
        ed->styles.LoadText(kStyles, fonts);
    }
    bool enabled(EditorCommand c) const { return ed->CommandState(c, outside).enabled; }
    bool checked(EditorCommand c) const { return ed->CommandState(c, outside).checked; }
    // The one command of a group that shows checked, or CMD_COUNT for none.
    EditorCommand checkedOf(std::initializer_list<EditorCommand> group) const {
        EditorCommand found = CMD_COUNT;
        for (EditorCommand c : group)
            if (checked(c)) {
                EXPECT_EQ(found, CMD_COUNT) << "two checked in one group";
                found = c;
            }
        return found;
    }
    EditorCommand frameType() const { return checkedOf({CMD_FIXED, CMD_SCROLLER, CMD_ROLL}); }
    EditorCommand vAlign() const { return checkedOf({CMD_VTOP, CMD_VCENTER, CMD_VBOTTOM}); }
    EditorCommand align() const { return checkedOf({CMD_ALIGN_LEFT, CMD_ALIGN_CENTER, CMD_ALIGN_RIGHT}); }
    EditorCommand level() const { return checkedOf({CMD_SUBSCRIPT, CMD_NORMAL, CMD_SUPERSCRIPT}); }
};

}  // namespace

TEST_F(Commands, WithoutASelectionOnlyThePageCommands) {
    outside.clipboardHasText = true;
    for (EditorCommand c : {CMD_NEW, CMD_OPEN, CMD_SAVE, CMD_SAVE_AS, CMD_PREFERENCES, CMD_CLOSE, CMD_STYLES,
                            CMD_PAGE_COLOUR, CMD_IMPORT_BACKGROUND, CMD_VIEW_BACKGROUND, CMD_REFERENCE_PICTURE,
                            CMD_ZOOM_IN, CMD_ZOOM_OUT, CMD_ZOOM_100, CMD_ZOOM_FIT, CMD_BMP_TO_TGA})
        EXPECT_TRUE(enabled(c)) << c;
    // Even with text on the clipboard there is nowhere to paste it.
    for (EditorCommand c : {CMD_UNDO,           CMD_REDO,         CMD_CUT,
                            CMD_COPY,           CMD_PASTE,        CMD_DELETE,
                            CMD_SELECT_ALL,     CMD_IMPORT_TEXT,  CMD_IMPORT_PICTURE,
                            CMD_REMOVE_PICTURE, CMD_LINK_BANNER,  CMD_FRAME_FORMAT,
                            CMD_FRAME_COLOUR,   CMD_FIXED,        CMD_SCROLLER,
                            CMD_ROLL,           CMD_VTOP,         CMD_VCENTER,
                            CMD_VBOTTOM,        CMD_FRONT,        CMD_BACK,
                            CMD_LOCK,           CMD_DELETE_FRAME, CMD_ADD_STYLE,
                            CMD_SUBSCRIPT,      CMD_NORMAL,       CMD_SUPERSCRIPT,
                            CMD_TEXT_COLOUR,    CMD_PARAGRAPH,    CMD_ALIGN_LEFT,
                            CMD_ALIGN_CENTER,   CMD_ALIGN_RIGHT,  CMD_REMOVE_BACKGROUND})
        EXPECT_FALSE(enabled(c)) << c;
    for (int c = 0; c < CMD_COUNT; ++c) EXPECT_FALSE(checked(EditorCommand(c))) << c;
    // "Play page!" follows the program, not the page.
    EXPECT_FALSE(enabled(CMD_PLAY));
    outside.canPreview = true;
    EXPECT_TRUE(enabled(CMD_PLAY));
}

TEST_F(Commands, AFixedFrameShowsItsFormats) {
    ed->CreateFrame({100, 100, 400, 300});
    ed->Type("ab");
    EXPECT_TRUE(enabled(CMD_UNDO));
    EXPECT_FALSE(enabled(CMD_REDO));
    for (EditorCommand c : {CMD_DELETE, CMD_SELECT_ALL, CMD_IMPORT_TEXT, CMD_IMPORT_PICTURE, CMD_FRAME_FORMAT,
                            CMD_FRAME_COLOUR, CMD_FRONT, CMD_BACK, CMD_LOCK, CMD_DELETE_FRAME, CMD_ADD_STYLE,
                            CMD_PARAGRAPH, CMD_TEXT_COLOUR, CMD_FIXED, CMD_VTOP, CMD_ALIGN_RIGHT, CMD_SUPERSCRIPT})
        EXPECT_TRUE(enabled(c)) << c;
    EXPECT_EQ(frameType(), CMD_FIXED);
    EXPECT_EQ(vAlign(), CMD_VTOP);
    EXPECT_EQ(align(), CMD_ALIGN_LEFT);
    EXPECT_EQ(level(), CMD_NORMAL);
    EXPECT_FALSE(checked(CMD_LOCK));
    EXPECT_FALSE(enabled(CMD_REMOVE_PICTURE));

    // Cut and copy want selected text, paste text on the clipboard.
    EXPECT_FALSE(enabled(CMD_CUT));
    EXPECT_FALSE(enabled(CMD_PASTE));
    outside.clipboardHasText = true;
    EXPECT_TRUE(enabled(CMD_PASTE));
    ed->SelectAllText();
    EXPECT_TRUE(enabled(CMD_CUT));
    EXPECT_TRUE(enabled(CMD_COPY));

    ed->SetVAlign(VALIGN_BOTTOM);
    ed->SetAlignment(ALIGN_CENTER);
    ed->SetTextLevel(LEVEL_SUBSCRIPT);
    ed->ToggleLock();
    EXPECT_EQ(vAlign(), CMD_VBOTTOM);
    EXPECT_EQ(align(), CMD_ALIGN_CENTER);
    EXPECT_EQ(level(), CMD_SUBSCRIPT);
    EXPECT_TRUE(checked(CMD_LOCK));
    ed->Undo();
    EXPECT_FALSE(checked(CMD_LOCK));
    EXPECT_TRUE(enabled(CMD_REDO));

    CBitmap32 picture(20, 10);
    ed->SetFramePicture(picture, false);
    EXPECT_TRUE(enabled(CMD_REMOVE_PICTURE));
}

TEST_F(Commands, MixedParagraphsCheckNoAlignment) {
    ed->CreateFrame({100, 100, 400, 300});
    ed->Type("a\nb");
    ed->SetCaret({1, 0}, false);
    ed->SetAlignment(ALIGN_RIGHT);
    EXPECT_EQ(align(), CMD_ALIGN_RIGHT);
    ed->SelectAllText();
    EXPECT_EQ(align(), CMD_COUNT);
    EXPECT_TRUE(enabled(CMD_ALIGN_LEFT));
}

TEST_F(Commands, MovingFramesLimitTypeAlignmentAndColour) {
    ed->styles.current = 1;  // Crawl: a Scroller
    ed->CreateFrame({10, 500, 710, 540});
    EXPECT_EQ(frameType(), CMD_SCROLLER);
    EXPECT_TRUE(enabled(CMD_ROLL));
    // A Scroller's text runs in one line: no paragraph alignment.
    for (EditorCommand c : {CMD_ALIGN_LEFT, CMD_ALIGN_CENTER, CMD_ALIGN_RIGHT}) EXPECT_FALSE(enabled(c));
    EXPECT_TRUE(enabled(CMD_VCENTER));
    ed->SetFrameType(FRAME_ROLL);
    EXPECT_EQ(frameType(), CMD_ROLL);
    EXPECT_TRUE(enabled(CMD_ALIGN_CENTER));
    // A Roll fills its frame from the top: no vertical alignment.
    for (EditorCommand c : {CMD_VTOP, CMD_VCENTER, CMD_VBOTTOM}) EXPECT_FALSE(enabled(c));

    // Beside the moving frame another frame keeps its type and takes no banner.
    ed->styles.current = 0;
    ed->CreateFrame({10, 10, 300, 100});
    EXPECT_EQ(frameType(), CMD_FIXED);
    for (EditorCommand c : {CMD_FIXED, CMD_SCROLLER, CMD_ROLL}) EXPECT_FALSE(enabled(c));
    EXPECT_FALSE(enabled(CMD_LINK_BANNER));

    // A colour font takes no tint.
    ed->SetFont("Paint");
    EXPECT_FALSE(enabled(CMD_TEXT_COLOUR));
    ed->SetFont("Grid");
    EXPECT_TRUE(enabled(CMD_TEXT_COLOUR));
}

TEST_F(Commands, BackgroundCommandsFollowThePageAndThePreferences) {
    CBitmap32 pic(100, 50);
    ed->SetBackgroundPicture(pic, 0, 0, 0, 0);
    EXPECT_TRUE(enabled(CMD_REMOVE_BACKGROUND));
    EXPECT_FALSE(checked(CMD_VIEW_BACKGROUND));
    ed->prefs.hasBackground = true;
    EXPECT_TRUE(checked(CMD_VIEW_BACKGROUND));
    ed->Undo();
    EXPECT_FALSE(enabled(CMD_REMOVE_BACKGROUND));
}
