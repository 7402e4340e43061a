// The page editor's working state over one page, without any window: the selected frame, the
// frame tracker's geometry, caret movement and typing, clipboard text, scrolling inside a
// frame, the formatting commands with the rules that enable them, styles, undo and redo, the
// editor's picture of the page and the compiled page that saving and "Play page!" use. The Qt
// view draws what this gives it and forwards the operator's input.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "pages/bitmap32.h"
#include "pages/editor/editor_commands.h"
#include "pages/editor/editor_preferences.h"
#include "pages/editor/page_history.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "pages/style_library.h"

namespace pages {

// What a point of the page is to the tracker.
enum TrackerHit : int {
    HIT_NONE = -1,
    HIT_TEXT = 0,  // inside the selected frame: the caret goes there
    HIT_MOVE,      // on the selected frame's border, or inside another frame: drag moves
    HIT_TOP_LEFT,
    HIT_TOP,
    HIT_TOP_RIGHT,
    HIT_RIGHT,
    HIT_BOTTOM_RIGHT,
    HIT_BOTTOM,
    HIT_BOTTOM_LEFT,
    HIT_LEFT,
};

struct HitResult {
    int frame = -1;
    TrackerHit hit = HIT_NONE;
};

// Caret movements; the extend flag of MoveCaret grows the selection instead.
enum CaretMove : int {
    MOVE_LEFT,
    MOVE_RIGHT,
    MOVE_UP,
    MOVE_DOWN,
    MOVE_WORD_LEFT,
    MOVE_WORD_RIGHT,
    MOVE_LINE_START,
    MOVE_LINE_END,
    MOVE_TEXT_START,
    MOVE_TEXT_END,
    MOVE_PAGE_UP,
    MOVE_PAGE_DOWN,
};

// The caret in page pixels; not visible when it lies outside its frame.
struct CaretBox {
    int32_t x = 0, y = 0, height = 0;
    bool visible = false;
};

// The numbers of "Frame formatting".
struct FrameFormatting {
    std::string name;
    int32_t left = 0, top = 0, width = 0, height = 0;
    int32_t border = 0;           // 0..14, moving frames only
    int32_t backgroundFrame = 0;  // moving and banner frames only
};

class CPageEditor {
public:
    // The frame the minimum size a drag must reach to create a frame, in page pixels.
    static constexpr int32_t kMinNewFrame = 6;

    CPageEditor(CPageDoc& page, CFontManager& fonts);

    CPageDoc& page() { return page_; }
    const CPageDoc& page() const { return page_; }
    CFontManager& fonts() { return fonts_; }

    EditorPreferences prefs;
    CStyleLibrary styles;
    std::string stylePath;  // STYLE.INI; empty: the library is not saved
    CPageHistory history;

    // --- Document ---------------------------------------------------------------------------
    // After the page was replaced (new, opened, from a template): nothing selected, a fresh
    // history, the compiled page outdated.
    void DocumentChanged();
    // A new empty page.
    void NewPage();
    // A new page from a template file; the page stays empty (with a new name) when the template
    // cannot be read. A file result code.
    int NewFromTemplate(const std::string& path);
    // Opens a page file for editing (load mode 2). On failure the page becomes a new empty one
    // and the code is returned for the caller's message.
    int Open(const std::string& path);
    // Renders when needed and saves. A file result code.
    int Save(const std::string& path);
    // The compiled page: current after Render until the next edit.
    CPageImage image;
    bool imageCurrent() const { return imageCurrent_; }
    void InvalidateImage() { imageCurrent_ = false; }
    // Compiles the page with the preferences' options, keeping the editor's carets, selections
    // and scroll offsets.
    void Render(CompileProgress* progress = nullptr);
    bool modified() const { return page_.modified; }

    // --- Undo -------------------------------------------------------------------------------
    bool CanUndo() const { return history.CanUndo(); }
    bool CanRedo() const { return history.CanRedo(); }
    void Undo();
    void Redo();

    // --- Selection and tracker --------------------------------------------------------------
    int selected() const { return selected_; }
    CPageFrame* selectedFrame() const { return page_.frame(selected_); }
    void Select(int index);
    // Tolerance: how near (page pixels) a handle or border must be.
    HitResult HitTest(int32_t x, int32_t y, int32_t tolerance) const;
    // The rectangle a drag of (dx, dy) from start with a handle asks for (edges may cross).
    static Rect DragRect(const Rect& start, TrackerHit hit, int32_t dx, int32_t dy);
    // Where that rectangle ends up under the frame rectangle rule (what the tracker shows).
    Rect TrackedRect(int frame, const Rect& requested) const;
    // Moves or resizes a frame (locked frames stay). True when it changed.
    bool SetFrameRect(int frame, const Rect& requested);
    // Moves the selected frame by a step (keyboard).
    bool NudgeSelected(int32_t dx, int32_t dy);
    // Creates a frame in the current style: its index; demoted is set when a moving style had to
    // become a fixed frame (14032). The frame is selected with the caret in it.
    int CreateFrame(const Rect& rect, bool* demoted = nullptr);
    // The name the next new frame gets ("Frame %d", skipping names the page already has).
    std::string NextFrameName();

    // --- Text -------------------------------------------------------------------------------
    // The text position under a page point in a frame (scroll offsets counted).
    TextPos PosAt(int frame, int32_t x, int32_t y) const;
    // Places the caret (extend: moves only the caret end of the selection).
    void SetCaret(TextPos pos, bool extend);
    void SelectAllText();
    void MoveCaret(CaretMove move, bool extend);
    CaretBox Caret() const;
    // Inserts text at the caret, replacing the selection ("\n" splits the paragraph; other
    // characters below 32 are dropped). Typing in a row is one undo step.
    void Type(std::string_view text);
    void Backspace();
    void DeleteForward();
    bool hasTextSelection() const;
    // The selection as plain 8-bit text, paragraphs joined with "\r\n".
    std::string CopyText() const;
    std::string CutText();
    void Paste(std::string_view text);
    // Reads a text file into the selected frame at the caret. A file result code (3000's when
    // it cannot be opened).
    int ImportText(const std::string& path);
    // Scrolls the selected frame's text by lines (Scroller: by 32 pixels) and keeps it inside.
    void ScrollText(int steps);
    // Whether the frame's text runs past it (across for a Scroller, down for the others), so
    // that scrolling inside it shows more.
    bool TextOverflows(int frame) const;
    void EnsureCaretVisible();

    // --- Formatting -------------------------------------------------------------------------
    // The text format at the caret (the run the next typed character takes).
    TextFormat CaretFormat() const;
    // Font, colour (tinted runs) and text level of the selected text, or of all the frame's
    // text when nothing is selected.
    void SetFont(const std::string& name);
    void SetTextColour(uint32_t colour);
    void SetTextLevel(int level);
    bool CanSetTextColour() const;  // the font at the caret is monochrome
    // Paragraph format of the selection with -1 for fields whose values differ.
    ParaFormat SelectionParaFormat() const;
    // Applies the fields that are not -1 to the paragraphs of the selection.
    void ApplyParaFormat(const ParaFormat& format);
    bool CanAlign() const;  // not in a Scroller
    void SetAlignment(int32_t align);
    bool CanChangeFrameType() const;
    void SetFrameType(int32_t type);
    bool CanSetVAlign() const;  // not in a Roll
    void SetVAlign(int32_t vAlign);
    void SetFrameColour(uint32_t colour);
    FrameFormatting SelectedFrameFormatting() const;
    bool CanEditBorder() const;           // a moving frame
    bool CanEditBackgroundFrame() const;  // a moving or banner frame
    void ApplyFrameFormatting(const FrameFormatting& f);
    void ToggleLock();
    void DeleteSelectedFrame();
    void BringToFront();
    void SendToBack();
    void SetPageColour(uint32_t colour);
    // Puts a picture into the selected frame (has-picture set); resize asks to give the frame
    // the picture's size at its top-left corner.
    void SetFramePicture(const CBitmap32& picture, bool resize);
    void RemoveFramePicture();
    // "Link banner...": allowed for the frame that holds the page's banner, or on a page with
    // neither a banner nor a moving frame.
    bool CanLinkBanner() const;
    // Links a banner file to the selected frame: it loses its picture, becomes a fixed banner
    // frame of the banner's size at its top-left corner and shows the banner's first frame. A
    // file result code; when the file cannot be read the frame loses its banner link.
    int LinkBanner(const std::string& path);
    // Places a background picture: the region at (sx, sy) goes to (x, y).
    void SetBackgroundPicture(const CBitmap32& picture, int32_t x, int32_t y, int32_t sx, int32_t sy);

    // --- Styles -----------------------------------------------------------------------------
    // Loads the library (from stylePath) and makes the first style current.
    void LoadStyles();
    void SaveStyles();
    // Makes a style current and applies it to the selected frame; typeRefused asks for 14032.
    ApplyStyleResult ChooseStyle(int index);
    // A style from the selected frame, named "New style", appended; its index (-1 without a
    // selected frame). The caller then shows the library and saves or removes it.
    int AddStyleFromSelection();

    // --- Commands ---------------------------------------------------------------------------
    // Whether a command of the menus can be used now and whether it shows checked: the rules
    // the menus and toolbars follow after every change.
    CommandStatus CommandState(EditorCommand command, const CommandContext& outside = {}) const;

    // --- Picture of the page ----------------------------------------------------------------
    // The reference picture behind the page (already tiled to 720 × 576), or empty for black.
    void SetReferenceBackground(CBitmap32 picture) { reference_ = std::move(picture); }
    const CBitmap32& referenceBackground() const { return reference_; }
    // Draws what the editor shows into a 720 × 576 opaque bitmap: the reference background,
    // the page background, every frame (colour, picture, text with the selected frame's
    // selection inverted) under the shadow and blending preferences, and the guide lines.
    void DrawScreen(CBitmap32& screen) const;
    // Whether the selected frame is in text mode (caret shown): after a click into its text.
    bool textMode = false;

    // Called after every change of the page (view refresh).
    std::function<void()> changed;

private:
    void commit(std::string_view label, std::string_view mergeKey = {});
    void notify();
    // After an undo or redo step that selected frame sel.
    void historyStepped(int sel);
    // Deletes the selected text of f as one "Delete" step (merged with the deletes before it).
    void deleteSelection(CPageFrame& f);
    // The text of the selected frame (all of it when nothing is selected) gets a format part.
    void applyTextPart(TextFormatPart part, const TextFormat& f, std::string_view label);
    // The fields of pf that are not -1 go to the paragraphs of the selection, as one step.
    void applyParaFormat(const ParaFormat& pf, std::string_view label);
    int lineOf(const CPageFrame& f, TextPos p) const;
    int32_t xOf(const CPageFrame& f, int line, int32_t offset) const;
    TextPos posInLine(const CPageFrame& f, int line, int32_t x) const;

    CPageDoc& page_;
    CFontManager& fonts_;
    int selected_ = -1;
    bool imageCurrent_ = false;
    int32_t goalX_ = -1;  // the column up and down keep
    int frameCounter_ = 1;
    CBitmap32 reference_;
};

// The offsets of a line inside its paragraph: [start, end).
void LineSpan(const CPageFrame& f, const TextLine& line, int32_t& start, int32_t& end);

}  // namespace pages
