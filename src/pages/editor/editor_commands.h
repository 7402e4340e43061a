// The page editor's commands as its menus and toolbars offer them, and what the editor says of
// each: whether it can be used now and whether it shows checked.
#pragma once

namespace pages {

enum EditorCommand : int {
    CMD_NEW,
    CMD_OPEN,
    CMD_SAVE,
    CMD_SAVE_AS,
    CMD_IMPORT_TEXT,
    CMD_IMPORT_PICTURE,
    CMD_REMOVE_PICTURE,
    CMD_PLAY,
    CMD_PREFERENCES,
    CMD_CLOSE,
    CMD_UNDO,
    CMD_REDO,
    CMD_CUT,
    CMD_COPY,
    CMD_PASTE,
    CMD_DELETE,
    CMD_SELECT_ALL,
    CMD_FRAME_FORMAT,
    CMD_FRAME_COLOUR,
    CMD_FIXED,
    CMD_SCROLLER,
    CMD_ROLL,
    CMD_VTOP,
    CMD_VCENTER,
    CMD_VBOTTOM,
    CMD_FRONT,
    CMD_BACK,
    CMD_LOCK,
    CMD_DELETE_FRAME,
    CMD_ADD_STYLE,
    CMD_STYLES,
    CMD_SUBSCRIPT,
    CMD_NORMAL,
    CMD_SUPERSCRIPT,
    CMD_TEXT_COLOUR,
    CMD_PARAGRAPH,
    CMD_ALIGN_LEFT,
    CMD_ALIGN_CENTER,
    CMD_ALIGN_RIGHT,
    CMD_PAGE_COLOUR,
    CMD_IMPORT_BACKGROUND,
    CMD_REMOVE_BACKGROUND,
    CMD_VIEW_BACKGROUND,
    CMD_REFERENCE_PICTURE,
    CMD_ZOOM_IN,
    CMD_ZOOM_OUT,
    CMD_ZOOM_100,
    CMD_ZOOM_FIT,
    CMD_LINK_BANNER,
    CMD_BMP_TO_TGA,
    CMD_COUNT
};

struct CommandStatus {
    bool enabled = true;
    bool checked = false;  // meaningful for the commands shown with a check mark
};

// What the editor cannot see from its page: the clipboard, and whether the program can open its
// preview ("Play page!").
struct CommandContext {
    bool clipboardHasText = false;
    bool canPreview = false;
};

}  // namespace pages
