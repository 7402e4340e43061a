// One bitmap font (".bmf"): the header read at enumeration, the bearings and glyph start
// columns worked out from it, and the glyph and shadow layers, read only while the font is in
// use. The font maker fills a font in memory and saves it; everything else only reads.
//
// File layout, little-endian: the 576-byte header (FontHeader), in version 1 the left and right
// bearing tables (256 signed bytes each), then the glyph layer and, with the shadow flag, the
// shadow layer. A layer holds H rows of every glyph in glyph order, glyph g starting at byte
// B × H × start[g] and stored row by row, width[g] pixels a row.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pages/bitmap32.h"

namespace pages {

enum : int {
    FONT_HEADER_SIZE = 576,
    FONT_BEARINGS_SIZE = 512,
    FONT_DATA_OFFSET_V0 = 576,
    FONT_DATA_OFFSET_V1 = 1088,
    FONT_NAME_MAX = 31,  // characters of a font name (the page stores 32 bytes with the terminator)
    FONT_MAX_GLYPHS = 256,
    FONT_VERSION = 1,          // the version this program writes; larger versions are not read
    FONT_MAX_MEASURE = 65535,  // largest height, base line, script shift or spacing a file may hold
};

// Header flags.
enum : uint32_t { FONT_COLOUR = 0x1, FONT_SHADOW = 0x2 };

// Which layer a string is drawn from.
enum FontLayer : int { LAYER_GLYPHS = 0, LAYER_SHADOWS = 1 };

// Text levels (vertical positions).
enum : int { LEVEL_SUBSCRIPT = 0, LEVEL_NORMAL = 1, LEVEL_SUPERSCRIPT = 2 };

// The 576-byte header exactly as stored; read and written field by field.
struct FontHeader {
    char magic[4] = {'F', 'O', 'N', 'T'};
    uint32_t flags = 0;
    uint32_t glyphCount = 0;  // N, 1..256
    uint32_t height = 0;      // H, rows of every glyph
    int32_t baseline = 0;     // rows from the top of the cell to the base line
    int32_t scriptShift = 0;  // rows superscript is raised and subscript lowered
    int32_t hSpacing = 0;     // added to every character advance
    int32_t vSpacing = 0;     // extra rows of every text line
    uint32_t version = FONT_VERSION;
    uint8_t reserved[28] = {};
    uint8_t map[256] = {};     // character code -> glyph index
    uint8_t widths[256] = {};  // glyph index -> width in pixels
};
static_assert(sizeof(FontHeader) == FONT_HEADER_SIZE, "the header is kept as stored");

class CBitmapFont {
public:
    CBitmapFont() = default;
    CBitmapFont(const CBitmapFont&) = delete;
    CBitmapFont& operator=(const CBitmapFont&) = delete;

    // --- Reading ---------------------------------------------------------------------------
    // Reads the header (and the bearings of a version 1 file) of a font file and checks that
    // the file is long enough for its layers. The name becomes the file title. Returns a file
    // result code: FILE_OPEN_ERROR, FILE_FORMAT_ERROR (short or inconsistent), FILE_VERSION_ERROR
    // (version above 1). Pixel data is not read.
    int ReadHeader(const std::string& path);
    // The same from a file image in memory: data holds at least the first bytes of a file of
    // fileSize bytes (the header, and the bearings for version 1).
    int ParseHeader(const uint8_t* data, size_t size, uint64_t fileSize);
    // Reads the pixel layers from a whole file image in memory (after ParseHeader on it).
    bool LoadFromMemory(const uint8_t* data, size_t size);

    // Reads the pixel layers from the file the header came from. False (and nothing loaded)
    // when the file cannot be opened or has become too short.
    bool Load();
    // Frees both layers; the use counter drops to 0.
    void Unload();

    // --- Building (font makers) --------------------------------------------------------------
    // Starts an empty font of n glyphs (1..256) of height rows: flags say colour and shadows.
    // Set the widths, bearings and map next, then call Allocate() and fill the layers.
    void Create(uint32_t flags, int glyphCount, int height);
    // Works out the glyph start columns and allocates both layers fully transparent.
    void Allocate();
    // Recomputes the start columns, total width and pixel format from the header.
    void ComputeColumns();

    // The file image of this font as version 1 (magic "FONT", version 1). Empty when the
    // layers are not there.
    std::vector<uint8_t> Serialize() const;

    // --- Properties --------------------------------------------------------------------------
    const std::string& name() const { return name_; }
    void setName(std::string_view name) { name_ = std::string(name.substr(0, FONT_NAME_MAX)); }
    const std::string& path() const { return path_; }
    void setPath(std::string path) { path_ = std::move(path); }

    FontHeader& header() { return header_; }
    const FontHeader& header() const { return header_; }
    int8_t leftBearing(int g) const { return left_[size_t(g & 0xFF)]; }
    int8_t rightBearing(int g) const { return right_[size_t(g & 0xFF)]; }
    void setBearings(int g, int8_t left, int8_t right) {
        left_[size_t(g & 0xFF)] = left;
        right_[size_t(g & 0xFF)] = right;
    }
    uint32_t startColumn(int g) const { return start_[size_t(g & 0xFF)]; }
    uint32_t totalWidth() const { return totalWidth_; }
    int bytesPerPixel() const { return bpp_; }
    bool hasShadow() const { return hasShadow_; }
    bool isMonochrome() const { return bpp_ == 2; }
    uint32_t dataOffset() const { return dataOffset_; }
    int glyphOf(unsigned char c) const { return header_.map[c]; }
    int height() const { return int(header_.height); }

    bool loaded() const { return loaded_; }
    int32_t useCount() const { return useCount_; }
    // One more draw with this font (the counter stops at 1000).
    void countUse() {
        if (useCount_ < 1000) ++useCount_;
    }
    // Bytes of one layer: H × W × B.
    size_t layerSize() const { return size_t(header_.height) * totalWidth_ * size_t(bpp_); }
    // The first pixel of glyph g in a layer (nullptr while not loaded or for a glyph outside
    // the layers). The non-const form is for writing pixels: fetch it again after a draw.
    uint8_t* glyphPixels(FontLayer layer, int g);
    const uint8_t* glyphPixels(FontLayer layer, int g) const;

    // --- Measuring and drawing ---------------------------------------------------------------
    // horizontal spacing + width - left - right of the character's glyph.
    int32_t CharAdvance(unsigned char c) const;
    // n × spacing + Σ (width - right) - Σ over all but the first of left.
    int32_t TextWidth(std::string_view text) const;

    // Draws a string from a layer at (x, y) relative to the clip rectangle's top-left corner.
    // colour holds the three tint bytes in pixel order (blue, green, red); it applies to
    // monochrome glyphs only. Draws nothing while the font is not loaded. Characters left of
    // the clip are skipped whole; the first character without a visible column ends the string;
    // rows below the clip are cut. Pixels outside the target are never written, even when the
    // clip rectangle reaches past it.
    void DrawText(std::string_view text, int32_t x, int32_t y, const Rect& clip, const BitmapView& target,
                  FontLayer layer, bool inverted, const uint8_t colour[3]) const;

private:
    void clearLayers();
    void buildSpans() const;
    bool spansCurrent() const;

    std::string name_;
    std::string path_;
    FontHeader header_;
    std::array<int8_t, 256> left_{};
    std::array<int8_t, 256> right_{};
    std::array<uint32_t, 256> start_{};
    uint32_t totalWidth_ = 0;
    int bpp_ = 2;
    bool hasShadow_ = false;
    uint32_t dataOffset_ = FONT_DATA_OFFSET_V1;

    bool loaded_ = false;
    int32_t useCount_ = 0;
    std::vector<uint8_t> glyphs_;
    std::vector<uint8_t> shadows_;

    // Drawing cache: for every glyph row of each layer, the columns between its first and last
    // pixel that is not fully transparent. Built at the first draw after the pixels or the
    // geometry changed.
    mutable std::array<std::vector<uint8_t>, 2> spans_;
    mutable std::array<uint32_t, 256> spanRow_{};
    mutable std::array<uint8_t, 256> spanWidths_{};
    mutable uint32_t spanHeight_ = 0;
    mutable uint32_t spanCount_ = 0;
    mutable bool spansValid_ = false;

    friend class CFontManager;
};

}  // namespace pages
