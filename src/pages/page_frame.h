// A frame of a page: a rectangle with formatted text (paragraphs of runs), a picture, or the
// placeholder of an animated banner; its layout into text lines and the drawing of those lines.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pages/bitmap32.h"
#include "pages/page_format.h"

namespace pages {

class CFontManager;

// The screen area frames are kept inside (the frame rectangle rule).
enum : int32_t {
    SAFE_LEFT_MIN = 4,
    SAFE_LEFT_MAX = 710,
    SAFE_RIGHT_MIN = 6,
    SAFE_RIGHT_MAX = 716,
    SAFE_TOP_MIN = 4,
    SAFE_TOP_MAX = 566,
    SAFE_BOTTOM_MIN = 6,
    SAFE_BOTTOM_MAX = 572,
};

// A piece of text in one format. Text is 8-bit, in the fonts' code page, without line breaks.
struct TextRun {
    std::string text;
    TextFormat format;
};

class CParagraph {
public:
    CParagraph();  // one empty run

    ParaFormat format;
    std::vector<TextRun> runs;  // never empty

    // Characters of all runs.
    int32_t length() const;
    std::string text() const;
    // Joins neighbouring runs of equal format and drops empty runs that have a neighbour.
    void MergeRuns();
};

// One line of the layout; positions relative to the frame's top-left corner. The line holds
// the characters from (startRun, startChar) to (endRun, endChar) inclusive; an empty line has
// endChar = startChar - 1 in its start run.
struct TextLine {
    int32_t para = 0;
    int32_t startRun = 0;
    int32_t startChar = 0;
    int32_t endRun = 0;
    int32_t endChar = -1;
    int32_t x = 0;
    int32_t y = 0;
    int32_t ascent = 0;   // largest base line of its runs
    int32_t descent = 0;  // largest height - base line
    int32_t extra = 0;    // largest vertical spacing of the fonts
    int32_t width = 0;
};

// A place in the text: paragraph and character offset within it.
struct TextPos {
    int32_t para = 0;
    int32_t offset = 0;
    auto operator<=>(const TextPos&) const = default;
};

// What set text format changes.
enum TextFormatPart : int { TEXT_FONT = 0, TEXT_COLOUR = 1, TEXT_LEVEL = 2 };

class CPageFrame {
public:
    CPageFrame();  // rectangle 0, 0, 720, 576, one paragraph with one empty run

    // "Frame %d" (string 14040) with the editor's counter.
    static std::string DefaultName(int number);

    std::string name;
    Rect rect{0, 0, 720, 576};
    int32_t lock = 0;
    FrameFormat format;
    std::vector<CParagraph> paragraphs;  // never empty
    CBitmap32 picture;                   // the frame's picture, or the banner's preview
    std::string bannerPath;              // full path of the linked banner file

    // --- Layout state (not stored) ----------------------------------------------------------
    std::vector<TextLine> lines;
    int32_t textHeight = 0;  // total height of the last layout
    bool fits = true;        // the text fitted the frame's height at the last layout
    int32_t hScroll = 0;     // the editor's scroll offsets
    int32_t vScroll = 0;
    TextPos anchor;  // selection: from anchor to caret
    TextPos caret;

    bool isMoving() const { return format.type != FRAME_FIXED; }
    bool isBanner() const { return format.bannerLink != 0; }
    bool hasPicture() const { return format.hasPicture != 0; }

    // --- Layout and drawing -----------------------------------------------------------------
    // Builds the line list with the fonts of the runs; answers whether the text fits the frame
    // (always for a Roll).
    bool Layout(CFontManager& fonts);
    // Draws the text lines into target inside clip, shifted by the scroll offsets: firstPass 0
    // draws shadows then glyphs, 1 glyphs only. With showSelection the selected text is drawn
    // inverted and without shadow.
    void Draw(CFontManager& fonts, const BitmapView& target, const Rect& clip, int firstPass,
              bool showSelection = false) const;
    // Drops the selection and the scroll offsets.
    void ResetView();

    // --- Rules ------------------------------------------------------------------------------
    // The frame rectangle rule: clamp to the safe area, even left and right, a move keeps the
    // size, and at least 2 pixels each way.
    static Rect RectangleRule(const Rect& current, const Rect& requested);
    void SetRectangle(const Rect& requested, CFontManager& fonts);
    // Scroller: every paragraph left-aligned; Roll: vertical alignment Top. Lays out again.
    void SetType(int32_t type, CFontManager& fonts);
    // Applies a paragraph format to the paragraphs of the selection (the caret's paragraph
    // without one). A field of -1 stays unchanged; a Scroller keeps its alignment.
    void ApplyParaFormat(const ParaFormat& f, CFontManager& fonts);

    // --- Text -------------------------------------------------------------------------------
    bool hasSelection() const { return anchor != caret; }
    TextPos selectionStart() const { return std::min(anchor, caret); }
    TextPos selectionEnd() const { return std::max(anchor, caret); }
    // Positions are cut to the text.
    void SetSelection(TextPos from, TextPos to);
    void SelectAll();
    // Replaces the selection with text: inserted into the run at the caret, in its format; a
    // newline splits the paragraph; other characters below 32 are dropped. Lays out again.
    void InsertText(std::string_view text, CFontManager& fonts);
    void DeleteSelection(CFontManager& fonts);
    // The selection as plain 8-bit text, paragraphs joined with "\r\n".
    std::string SelectedText() const;
    // All text, paragraphs joined with "\r\n".
    std::string PlainText() const;
    // Reads a text file line by line, inserting each line and a newline. A file result code.
    int ImportText(const std::string& path, CFontManager& fonts);
    // Sets the font (with the font's tint flag), the colour (tinted runs only) or the text level
    // of the selected text, merges runs and lays out again.
    void SetTextFormat(TextFormatPart part, const TextFormat& f, CFontManager& fonts);
    void MergeRuns();

private:
    TextPos clampPos(TextPos p) const;
    // Splits runs so that a run boundary falls at p; returns the index of the run starting there.
    size_t splitAt(CParagraph& para, int32_t offset);
};

}  // namespace pages
