// The page editor's library of named styles: a frame, a paragraph and a text format under a
// name. New frames take the current style; choosing a style applies it to the selected frame.
//
// STYLE.INI (in the base folder) holds one style a line, 17 comma-separated fields:
//   name, frame type, vertical alignment, frame colour, paragraph alignment, left margin,
//   right margin, first-line indent, space before, space after, line spacing, font name,
//   text level, tint flag, text colour, frame border, background frame flag
// numbers in signed decimal (a colour with transparency 0x80 or more is negative). A line that
// does not give all 17 fields is skipped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pages/page_format.h"

namespace pages {

class CFontManager;
class CPageDoc;
class CPageFrame;

enum : int {
    STYLE_NAME_MAX = 31,
    STYLE_FIELDS = 17,
    IDS_NEW_STYLE = 14042,
    IDS_MOVING_FRAME_EXISTS = 14032,
    IDS_STYLE_FRAME = 14200,
    IDS_STYLE_PARAGRAPH = 14201,
    IDS_STYLE_TEXT = 14202,
    IDS_STYLE_RGB = 14240,
    IDS_STYLE_NO_COLOUR = 14241,
};

struct StyleRecord {
    std::string name;  // at most 31 characters, no comma
    FrameFormat frame;
    ParaFormat para;
    TextFormat text;
};

// A name as the library can keep it: commas and characters below 32 dropped, cut to 31
// characters. An empty result cannot be stored (its line could not be read back).
std::string CleanStyleName(std::string_view name);

// One line of STYLE.INI, without the line break. False when the line does not give all 17
// fields (a comma in a name, fewer fields, a field that is not a number). Values outside the
// ranges the editor can produce are brought into them, so a hand-edited line never makes a
// frame the rest of the program cannot handle.
bool ParseStyleLine(std::string_view line, StyleRecord& out);
std::string FormatStyleLine(const StyleRecord& style);

// "New style": fixed frame at the top, frame colour black with transparency 0x80, paragraph
// values 0, the font list's current font (tinted when monochrome) in white, border 0.
StyleRecord DefaultStyle(const CFontManager& fonts);

// The formats of a frame as a style: its FrameFormat, its first paragraph's ParaFormat and that
// paragraph's first run's TextFormat. The picture and banner flags are not part of a style.
StyleRecord StyleFromFrame(const CPageFrame& frame, std::string_view name);

// The descriptions the "Styles library" dialog shows (strings 14200, 14201, 14202).
std::string FrameDescription(const StyleRecord& style);
std::string ParagraphDescription(const StyleRecord& style);
std::string TextDescription(const StyleRecord& style);

class CStyleLibrary {
public:
    std::vector<StyleRecord> styles;  // never empty after Load
    int current = 0;

    // The first style whose formats (all a library line keeps) are the frame's; -1 when the
    // frame has been formatted apart from every style.
    int IndexOfFrame(const CPageFrame& frame) const;

    // Reads STYLE.INI; a missing or unreadable file, or one without a valid line, gives the
    // default style alone. The current style becomes the first.
    void Load(const std::string& path, const CFontManager& fonts);
    // Parses the text of a library file (what Load reads).
    void LoadText(std::string_view text, const CFontManager& fonts);
    // Rewrites the file (atomically), one line a style. False when it cannot be written.
    bool Save(const std::string& path) const;
    std::string Text() const;

    int count() const { return int(styles.size()); }
    StyleRecord* style(int index);
    StyleRecord* currentStyle() { return style(current); }
    std::vector<std::string> Names() const;

    // Editing for the "Styles library" dialog. Remove refuses the last style; Rename refuses a
    // name that cleans to nothing. Each answers whether it changed the list.
    bool Remove(int index);
    bool MoveUp(int index);
    bool MoveDown(int index);
    bool Rename(int index, std::string_view name);
    // Appends a style (name cleaned, "New style" when nothing is left of it); its index.
    int Append(StyleRecord style);
};

// Makes sure the style's font exists: a missing one is replaced (the font substitution, asked
// once per missing name) in the style itself, with the substitute's tint flag. True when the
// style changed, so the caller saves the library.
bool CheckStyleFont(StyleRecord& style, CFontManager& fonts);

// What applying a style did.
struct ApplyStyleResult {
    bool typeRefused = false;   // a moving style on a page that has its moving (or banner) frame: 14032
    bool fontReplaced = false;  // the style's font was missing and replaced: save the library
};

// Applies a style to a frame of a page: its type (unless refused), vertical alignment and
// colour; its paragraph format to every paragraph (a Scroller keeps left alignment); its font
// and colour to every run (the text level stays); then the frame rectangle is applied again.
// The style's border and background-frame flag are left alone. All text of the frame ends up
// selected.
ApplyStyleResult ApplyStyle(CPageDoc& page, int frameIndex, StyleRecord& style);

// Sets the font (with its tint flag) and, for tinted runs, the colour of every run of a frame,
// empty paragraphs included, then merges runs and lays the frame out again.
void SetFrameFont(CPageFrame& frame, const TextFormat& format, CFontManager& fonts);

}  // namespace pages
