// The font list: every ".bmf" file of the Fonts folder, the current font with its colour and
// text level, lazy loading of pixel data with eviction, and the substitution of fonts that pages
// name but the folder no longer holds. One list serves the whole program (the application creates
// it at start and keeps it to the end); it is used from the user-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pages/bitmap32.h"
#include "pages/bitmap_font.h"

namespace pages {

// The "Font substitution" question: which installed font stands in for a missing one. The Qt
// front end shows the dialog; headless runs take the first font.
class FontSubstitution {
public:
    virtual ~FontSubstitution() = default;
    // fonts holds every font name in list order (never empty); the answer is an index into it.
    virtual int AskSubstitute(const std::string& missing, const std::vector<std::string>& fonts) = 0;
};

// Without a display: the first font, and a line in the event log.
class HeadlessFontSubstitution final : public FontSubstitution {
public:
    int AskSubstitute(const std::string& missing, const std::vector<std::string>& fonts) override;
};

class CFontManager {
public:
    // Fonts with pixel data in memory before a load has to evict one.
    static constexpr int kMaxLoaded = 4;

    CFontManager();
    ~CFontManager();
    CFontManager(const CFontManager&) = delete;
    CFontManager& operator=(const CFontManager&) = delete;

    // The program's font list: the first one created and still alive (nullptr otherwise).
    static CFontManager* Instance();

    // The folder scanned for fonts. Until set, the application's Fonts folder.
    void setFolder(std::string folder) { folder_ = std::move(folder); }
    std::string folder() const;
    // Who answers the substitution question (nullptr: the headless answer). Not owned.
    void setSubstitution(FontSubstitution* s) { substitution_ = s; }

    // Drops every font and the substitution table and reads the headers of the folder's fonts
    // (in name order). Files that cannot be read, of a version above 1, damaged or short, or
    // whose name is longer than 31 characters are left out. Afterwards the first font is current,
    // the colour black and the level normal.
    void Enumerate();

    int GetCount() const { return int(fonts_.size()); }
    bool HasFonts() const { return !fonts_.empty(); }
    // Fills a list (a combo box's items) with every font name in list order.
    void FillList(std::vector<std::string>& names) const;
    std::vector<std::string> FontNames() const;
    CBitmapFont* FontAt(int index) const;
    // The font of a name (case-insensitive), or nullptr.
    CBitmapFont* Find(std::string_view name) const;

    // Sets the text level (0 subscript, 1 normal, 2 superscript; others are taken as the
    // nearest) and, when a font of the name exists, makes it current. False when it does not:
    // the current font stays.
    bool Select(std::string_view name, int level);
    // Makes any font current, also one that is not in the list (the font maker's font, which
    // its owner keeps alive while it is current and which is neither counted nor evicted).
    void SetCurrent(CBitmapFont* font) { current_ = font; }
    CBitmapFont* Current() const { return current_; }
    // Takes the colour bytes of 0xTTBBGGRR (the transparency byte is ignored).
    void SetColour(uint32_t colour);
    uint32_t Colour() const;
    int TextLevel() const { return level_; }

    // Measures of the current font (0 without one).
    int Height() const;
    int Baseline() const;  // (level - 1) × script shift + baseline
    int VerticalSpacing() const;
    bool IsMonochrome() const;
    int CharAdvance(unsigned char c) const;
    int TextWidth(std::string_view text) const;

    // Draws a string with the current font, loading its pixel data first when needed, and
    // counts the use. Details in CBitmapFont::DrawText.
    void Draw(std::string_view text, int x, int y, const Rect& clip, const BitmapView& target, FontLayer layer,
              bool inverted);
    void Draw(std::string_view text, int x, int y, const Rect& clip, CBitmap32& target, FontLayer layer,
              bool inverted) {
        Draw(text, x, y, clip, target.view(), layer, inverted);
    }

    // Font substitution for a name a page asks for. True when the font exists. Otherwise
    // false; the substitute, asked once per missing name and enumeration, is written into
    // name when replace is set.
    bool CheckFont(std::string& name, bool replace);

    // Writes a font as a version 1 file (atomically). On failure shows 3001 "Error saving
    // file" with the path and answers false.
    bool Save(const CBitmapFont& font, const std::string& path);

    // Number of list fonts whose pixel data is in memory.
    int LoadedCount() const;

private:
    struct Substitute {
        std::string missing;
        std::string substitute;
    };

    bool inList(const CBitmapFont* font) const;
    void ensureLoaded(CBitmapFont& font);

    std::string folder_;
    std::vector<std::unique_ptr<CBitmapFont>> fonts_;
    CBitmapFont* current_ = nullptr;
    uint8_t colour_[3] = {0, 0, 0};  // pixel byte order: blue, green, red
    int level_ = LEVEL_NORMAL;
    std::vector<Substitute> substitutes_;
    FontSubstitution* substitution_ = nullptr;
};

}  // namespace pages
