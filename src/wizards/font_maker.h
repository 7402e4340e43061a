// The font maker: one line of an alphabet drawn on white and on black (and its shadows the same
// way) and a text file of the letters in the order they appear become a bitmap font. What the
// wizard and zx share: the names filled in from the first picture, the separation of the
// characters, the font built from them with the operator's baseline marks, and the settings that
// go into the header before it is saved.
//
// The maker builds into a font object of its own, which its owner makes current while the
// wizard shows it; the font list is enumerated again after a save.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pages/bitmap32.h"
#include "pages/bitmap_font.h"

namespace pages {
class CFontManager;
}

namespace wizards {

// Messages of the maker.
enum : int {
    IDS_FONT_TITLE = 21000,     // "Create new font"
    IDS_FONT_SIZES = 21040,     // "All pictures must be of the same size!"
    IDS_FONT_HEIGHT = 21041,    // "Can't determine font height!"
    IDS_FONT_SEPARATE = 21042,  // "Can't separate font characters from each other!"
    IDS_FONT_COUNT = 21043,     // "Total number of characters don't match number of letters!..."
    IDS_FONT_SAMPLE = 1060,     // "Hello\r\nworld!"
};

// The four picture fields of the first page, in the order of the page.
enum : int { FONT_CHARS_W = 0, FONT_CHARS_B = 1, FONT_SHADOWS_W = 2, FONT_SHADOWS_B = 3, FONT_PICTURES = 4 };
extern const char* const kFontSourceNames[FONT_PICTURES];  // "Font characters on white", ...

// At most this many letters are read from the mapping file.
constexpr int kFontMaxLetters = 256;
// At most this many characters are kept: with glyph 0 they fill the font's 256 glyphs, and a
// character index must fit the byte of the character map.
constexpr int kFontMaxChars = 255;
// The widest a character may be: wider ones are cut in pieces of this width.
constexpr int kFontMaxCharWidth = 255;

struct FontSources {
    std::array<std::string, FONT_PICTURES> pictures;
    std::string letters;  // the mapping file
};

struct FontFlags {
    bool noShadows = false;  // "Disable shadows"
    bool monochrome = false;
    bool fixedWidth = false;
};

// Whether the first page may go on: the mapping file and the pictures needed are given.
bool FontSourcesComplete(const FontSources& sources, const FontFlags& flags);

// The names filled in when the first picture is chosen: when its file title (at least five
// characters) ends in "_<digit>_W" or "_<digit>_B", the four names with the endings _0_W, _0_B,
// _1_W and _1_B. False, leaving out alone, otherwise.
bool AutoFillFontSources(const std::string& firstPicture, FontSources& out);

// A message of the maker: its id and the text for %1.
struct FontMessage {
    int id = 0;
    std::vector<std::string> args;
    std::string text() const;
};

struct FontReport {
    FontMessage error;  // id 0: none
    std::vector<FontMessage> warnings;
    bool ok() const { return error.id == 0; }
};

// One separated character: its first column and its width.
struct FontChar {
    int32_t start = 0;
    int32_t width = 0;
    bool operator==(const FontChar&) const = default;
};

// What the separation found.
struct FontSeparation {
    pages::CBitmap32 glyphs;   // the combined pictures of the characters
    pages::CBitmap32 shadows;  // and of their shadows (empty without shadows)
    std::vector<uint8_t> letters;
    std::vector<FontChar> chars;
    int32_t top = 0;     // T: first row of the glyph band
    int32_t height = 0;  // H
    // The two "Font baselines" marks, rows relative to T.
    int32_t upper = 0;
    int32_t lower = 0;
    bool shadowsUsed() const { return !shadows.empty(); }
};

// The letters of a mapping file: every byte above 32 (compared unsigned, so letters of the code
// page count), at most kFontMaxLetters. A file written as UTF-8 (with a byte order mark, or whose
// bytes above 127 all form valid multi-byte sequences) is first converted to the code page.
std::vector<uint8_t> LettersOf(const std::string& text, int codePage);
// Reads a mapping file; false when it cannot be read (3000).
bool ReadLetters(const std::string& path, int codePage, std::vector<uint8_t>& letters);

// The characters of a glyph band: columns scanned from 1 (column 0 never starts a character), a
// non-empty column opens one, the first empty one closes it; wider than kFontMaxCharWidth is cut
// in pieces; one still open at the right edge is dropped; at most kFontMaxChars kept.
std::vector<FontChar> SeparateColumns(const pages::CBitmap32& glyphs, const pages::CBitmap32* shadows);

// Steps 3-7 of the separation on pictures already read: pictures[FONT_SHADOWS_*] are ignored with
// noShadows. names: the files they came from (for the messages). False with the message in
// report.error; the count warning (21043) goes to report.warnings.
bool SeparateFont(const std::array<pages::CBitmap32, FONT_PICTURES>& pictures, const std::vector<uint8_t>& letters,
                  const FontFlags& flags, FontSeparation& out, FontReport& report);
// The whole separation from the files (pictures read with their messages' codes 3030/3031, the
// mapping file with 3000).
bool SeparateFontFiles(const FontSources& sources, const FontFlags& flags, int codePage, FontSeparation& out,
                       FontReport& report);

// The space width b and the spacing range c of a separation.
struct FontSpace {
    int32_t b = 0;
    int32_t c = 0;
};
FontSpace SpaceOf(const FontSeparation& sep, bool fixedWidth);

// The operator's settings of the last page.
struct FontSettings {
    int32_t base = 0;
    int32_t hSpacing = 0;
    int32_t vSpacing = 0;
};
// The defaults for a separation: base (H / 4) × 3, no spacing.
FontSettings DefaultFontSettings(const FontSeparation& sep);

// Builds the font: header, map, glyph 0 blank, glyphs copied from the band, bearings from the
// baseline marks (or centring in a fixed width). Any earlier content of font is dropped.
void BuildFont(const FontSeparation& sep, const FontFlags& flags, pages::CBitmapFont& font);
// The settings into the header.
void ApplyFontSettings(const FontSettings& settings, pages::CBitmapFont& font);

// Saves as version 1 through the font list (3001 on failure) and enumerates the list again.
bool SaveFont(pages::CFontManager& fonts, const pages::CBitmapFont& font, const std::string& path);

// The two baseline marks drawn into a preview picture as inverted rows, and the sample text
// drawn with a font (shadows, then glyphs, from (4, 4), each line H + vertical spacing lower,
// each base line inverted). colour: 0xTTBBGGRR of a monochrome font's text.
void DrawFontSample(const pages::CBitmapFont& font, const std::string& text, uint32_t colour, pages::CBitmap32& target);
// The preview backgrounds: 0 black, 1 white, 2 checkered.
void FillPreviewBackground(pages::CBitmap32& target, int background);

}  // namespace wizards
