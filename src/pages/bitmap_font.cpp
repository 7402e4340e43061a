#include "pages/bitmap_font.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "pages/file_result.h"
#include "pages/glyph_blend.h"
#include "platform/bytes.h"
#include "platform/file_reader.h"
#include "platform/files.h"

namespace pages {

namespace {

int32_t clampToInt32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

// --- Reading ----------------------------------------------------------------------------------

int CBitmapFont::ParseHeader(const uint8_t* data, size_t size, uint64_t fileSize) {
    Unload();
    platform::ByteReader r(data, size);
    FontHeader h;
    if (!r.fields(h.magic, h.flags, h.glyphCount, h.height, h.baseline, h.scriptShift, h.hSpacing, h.vSpacing,
                  h.version, h.reserved, h.map, h.widths))
        return FILE_FORMAT_ERROR;
    // The magic is not checked: the only test the files have always had is the version.
    if (h.version > uint32_t(FONT_VERSION)) return FILE_VERSION_ERROR;
    if (h.glyphCount < 1 || h.glyphCount > uint32_t(FONT_MAX_GLYPHS)) return FILE_FORMAT_ERROR;
    // Measures far beyond any picture are damage; refusing them keeps every sum of positions,
    // widths and spacings that layout makes well inside 32 bits.
    auto sane = [](int64_t v) { return v >= -FONT_MAX_MEASURE && v <= FONT_MAX_MEASURE; };
    if (h.height > uint32_t(FONT_MAX_MEASURE) || !sane(h.baseline) || !sane(h.scriptShift) || !sane(h.hSpacing) ||
        !sane(h.vSpacing))
        return FILE_FORMAT_ERROR;

    std::array<int8_t, 256> left{}, right{};
    if (h.version == 1) {
        r.bytes(left.data(), left.size());
        r.bytes(right.data(), right.size());
        if (!r.ok()) return FILE_FORMAT_ERROR;
    }
    header_ = h;
    left_ = left;
    right_ = right;
    ComputeColumns();
    dataOffset_ = h.version == 1 ? FONT_DATA_OFFSET_V1 : FONT_DATA_OFFSET_V0;
    // A file that does not hold its layers would be read past its end when drawn; it is left
    // out like a file of an unknown version.
    const uint64_t layer = uint64_t(h.height) * totalWidth_ * uint64_t(bpp_);
    if (fileSize < dataOffset_ || (fileSize - dataOffset_) / (hasShadow_ ? 2 : 1) < layer) return FILE_FORMAT_ERROR;
    return FILE_OK;
}

int CBitmapFont::ReadHeader(const std::string& path) {
    Unload();
    platform::FileReader f(path, FONT_DATA_OFFSET_V1);  // the layers are not wanted yet
    if (!f.ok()) return FILE_OPEN_ERROR;
    uint8_t buf[FONT_DATA_OFFSET_V1];
    const size_t want = std::min<size_t>(sizeof buf, f.size());
    if (!f.bytes(buf, want)) return FILE_OPEN_ERROR;
    int rc = ParseHeader(buf, want, f.size());
    if (rc != FILE_OK) return rc;
    path_ = path;
    std::string file = platform::FileNameOf(path);
    std::string ext = platform::ExtensionOfPath(file);
    setName(std::string_view(file).substr(0, file.size() - ext.size()));
    return FILE_OK;
}

bool CBitmapFont::LoadFromMemory(const uint8_t* data, size_t size) {
    Unload();
    const size_t layer = layerSize();
    const size_t need = layer * (hasShadow_ ? 2 : 1);
    if (dataOffset_ > size || size - dataOffset_ < need) return false;
    glyphs_.assign(data + dataOffset_, data + dataOffset_ + layer);
    if (hasShadow_) shadows_.assign(data + dataOffset_ + layer, data + dataOffset_ + 2 * layer);
    loaded_ = true;
    useCount_ = 1;
    return true;
}

bool CBitmapFont::Load() {
    Unload();
    if (path_.empty()) return false;
    platform::FileReader f(path_);
    const uint64_t layer = layerSize();
    const uint64_t need = layer * (hasShadow_ ? 2 : 1);
    // The file may have been replaced or cut since the header was read.
    if (!f.ok() || f.size() < dataOffset_ || f.size() - dataOffset_ < need) return false;
    std::vector<uint8_t> glyphs(layer), shadows(hasShadow_ ? layer : 0);
    f.seek(dataOffset_);
    f.bytes(glyphs.data(), glyphs.size());
    f.bytes(shadows.data(), shadows.size());
    if (!f.ok()) return false;
    glyphs_ = std::move(glyphs);
    shadows_ = std::move(shadows);
    loaded_ = true;
    useCount_ = 1;
    return true;
}

void CBitmapFont::Unload() {
    clearLayers();
    loaded_ = false;
    useCount_ = 0;
}

void CBitmapFont::clearLayers() {
    std::vector<uint8_t>().swap(glyphs_);
    std::vector<uint8_t>().swap(shadows_);
    spansValid_ = false;
}

// --- Building ---------------------------------------------------------------------------------

void CBitmapFont::Create(uint32_t flags, int glyphCount, int height) {
    Unload();
    header_ = FontHeader{};
    header_.flags = flags;
    header_.glyphCount = uint32_t(std::clamp(glyphCount, 1, int(FONT_MAX_GLYPHS)));
    header_.height = uint32_t(std::max(height, 0));
    header_.scriptShift = int32_t(header_.height / 4);
    left_.fill(0);
    right_.fill(0);
    dataOffset_ = FONT_DATA_OFFSET_V1;
    ComputeColumns();
}

void CBitmapFont::ComputeColumns() {
    bpp_ = (header_.flags & FONT_COLOUR) ? 4 : 2;
    hasShadow_ = (header_.flags & FONT_SHADOW) != 0;
    uint32_t sum = 0;
    totalWidth_ = 0;
    for (size_t g = 0; g < 256; ++g) {
        start_[g] = sum;
        sum += header_.widths[g];
        if (g + 1 == header_.glyphCount) totalWidth_ = sum;
    }
}

void CBitmapFont::Allocate() {
    ComputeColumns();
    spansValid_ = false;
    const size_t layer = layerSize();
    glyphs_.assign(layer, 0);
    shadows_.assign(hasShadow_ ? layer : 0, 0);
    // Fully transparent: the transparency byte is the last of every pixel.
    for (size_t i = size_t(bpp_) - 1; i < layer; i += size_t(bpp_)) {
        glyphs_[i] = 255;
        if (hasShadow_) shadows_[i] = 255;
    }
    loaded_ = true;
    useCount_ = 1;
}

std::vector<uint8_t> CBitmapFont::Serialize() const {
    std::vector<uint8_t> out;
    const size_t layer = layerSize();
    if (!loaded_ || glyphs_.size() != layer || (hasShadow_ && shadows_.size() != layer)) return out;
    out.reserve(FONT_DATA_OFFSET_V1 + layer * (hasShadow_ ? 2 : 1));
    platform::ByteWriter w(out);
    w.bytes("FONT", 4);
    w.u32(header_.flags);
    w.u32(header_.glyphCount);
    w.u32(header_.height);
    w.i32(header_.baseline);
    w.i32(header_.scriptShift);
    w.i32(header_.hSpacing);
    w.i32(header_.vSpacing);
    w.u32(uint32_t(FONT_VERSION));
    w.zeros(sizeof header_.reserved);
    w.bytes(header_.map, sizeof header_.map);
    w.bytes(header_.widths, sizeof header_.widths);
    w.bytes(left_.data(), left_.size());
    w.bytes(right_.data(), right_.size());
    w.bytes(glyphs_.data(), glyphs_.size());
    if (hasShadow_) w.bytes(shadows_.data(), shadows_.size());
    return out;
}

uint8_t* CBitmapFont::glyphPixels(FontLayer layer, int g) {
    spansValid_ = false;  // the caller may change pixels
    return const_cast<uint8_t*>(static_cast<const CBitmapFont*>(this)->glyphPixels(layer, g));
}

const uint8_t* CBitmapFont::glyphPixels(FontLayer layer, int g) const {
    const std::vector<uint8_t>& buf = layer == LAYER_SHADOWS ? shadows_ : glyphs_;
    if (!loaded_ || g < 0 || uint32_t(g) >= header_.glyphCount || buf.size() != layerSize()) return nullptr;
    return buf.data() + size_t(bpp_) * header_.height * start_[size_t(g)];
}

// --- Measuring --------------------------------------------------------------------------------

int32_t CBitmapFont::CharAdvance(unsigned char c) const {
    const int g = header_.map[c];
    return clampToInt32(int64_t(header_.hSpacing) + header_.widths[g] - left_[size_t(g)] - right_[size_t(g)]);
}

int32_t CBitmapFont::TextWidth(std::string_view text) const {
    int64_t w = int64_t(text.size()) * header_.hSpacing;
    for (size_t i = 0; i < text.size(); ++i) {
        const int g = header_.map[static_cast<unsigned char>(text[i])];
        w += int64_t(header_.widths[g]) - right_[size_t(g)];
        if (i > 0) w -= left_[size_t(g)];
    }
    return clampToInt32(w);
}

// --- Drawing ----------------------------------------------------------------------------------

void CBitmapFont::buildSpans() const {
    // Per glyph row: the first column and one past the last column whose pixel is not fully
    // transparent. Glyphs of width 0 have no rows; the table is never larger than a layer.
    spanRow_.fill(0);
    uint32_t rows = 0;
    const uint32_t n = std::min<uint32_t>(header_.glyphCount, 256);
    for (uint32_t g = 0; g < n; ++g) {
        spanRow_[g] = rows;
        if (header_.widths[g]) rows += header_.height;
    }
    const size_t bpp = size_t(bpp_);
    for (int layer = 0; layer < 2; ++layer) {
        std::vector<uint8_t>& spans = spans_[layer];
        const std::vector<uint8_t>& pixels = layer ? shadows_ : glyphs_;
        spans.clear();
        if (pixels.size() != layerSize() || pixels.empty()) continue;
        spans.resize(size_t(rows) * 2);
        for (uint32_t g = 0; g < n; ++g) {
            const size_t w = header_.widths[g];
            if (!w || start_[g] + w > totalWidth_) continue;
            const uint8_t* p = pixels.data() + bpp * size_t(header_.height) * start_[g];
            uint8_t* span = spans.data() + size_t(spanRow_[g]) * 2;
            for (uint32_t r = 0; r < header_.height; ++r, p += bpp * w, span += 2) {
                size_t first = 0, last = w;
                while (first < w && p[first * bpp + bpp - 1] == 255) ++first;
                while (last > first && p[(last - 1) * bpp + bpp - 1] == 255) --last;
                span[0] = uint8_t(first);
                span[1] = uint8_t(last);
            }
        }
    }
    spanHeight_ = header_.height;
    spanCount_ = header_.glyphCount;
    std::memcpy(spanWidths_.data(), header_.widths, 256);
    spansValid_ = true;
}

bool CBitmapFont::spansCurrent() const {
    return spansValid_ && spanHeight_ == header_.height && spanCount_ == header_.glyphCount &&
           std::memcmp(spanWidths_.data(), header_.widths, 256) == 0;
}

void CBitmapFont::DrawText(std::string_view text, int32_t x, int32_t y, const Rect& clip, const BitmapView& target,
                           FontLayer layer, bool inverted, const uint8_t colour[3]) const {
    if (!loaded_) return;
    if ((layer == LAYER_SHADOWS && !hasShadow_) || y < 0) return;
    const int64_t clipW = int64_t(clip.right) - clip.left;
    const int64_t clipH = int64_t(clip.bottom) - clip.top;
    const int64_t rows = std::min<int64_t>(header_.height, std::max<int64_t>(0, clipH - y));
    if (rows <= 0 || text.empty() || target.empty()) return;
    const std::vector<uint8_t>& pixels = layer == LAYER_SHADOWS ? shadows_ : glyphs_;
    if (pixels.size() != layerSize()) return;

    // The rows that land inside the target (the clip rectangle should lie inside it; a caller's
    // clip that does not never makes us write outside the pixels).
    const int64_t ty = int64_t(clip.top) + y;
    const int64_t r0 = std::max<int64_t>(0, -ty);
    const int64_t r1 = std::min<int64_t>(rows, int64_t(target.height) - ty);

    const BlendMode mode = bpp_ == 4                ? (inverted ? BLEND_COLOUR_INVERTED : BLEND_COLOUR)
                           : layer == LAYER_SHADOWS ? BLEND_MONO_SHADOW
                           : inverted               ? BLEND_MONO_INVERTED
                                                    : BLEND_MONO;
    const BlendGlyphFn blend = BlendGlyphFor(mode);
    // Where fully transparent pixels leave the target alone, each row is blended only between
    // its first and last visible pixel.
    const bool useSpans = KeepsTargetUnderTransparent(mode);
    if (useSpans && !spansCurrent()) buildSpans();
    const uint8_t* spans = spans_[layer].data();

    const size_t bpp = size_t(bpp_);
    const size_t stride = size_t(target.stride);
    const int64_t hs = header_.hSpacing;
    int64_t px = x;
    for (size_t i = 0; i < text.size(); ++i) {
        const int g = header_.map[static_cast<unsigned char>(text[i])];
        const int64_t w = header_.widths[g];
        if (px >= 0) {
            const int64_t cols = std::min<int64_t>(w, std::max<int64_t>(0, clipW - px));
            if (cols <= 0) break;
            // A glyph index past the glyph count has no pixels in the layers: nothing to blend.
            if (start_[size_t(g)] + uint64_t(w) <= totalWidth_ && r0 < r1) {
                const int64_t tx = int64_t(clip.left) + px;
                const int64_t c0 = std::max<int64_t>(0, -tx);
                const int64_t c1 = std::min<int64_t>(cols, int64_t(target.width) - tx);
                if (c0 < c1) {
                    const uint8_t* src =
                        pixels.data() + bpp * (size_t(header_.height) * start_[size_t(g)] + size_t(r0) * size_t(w));
                    uint8_t* dst = target.pixel(int32_t(tx + c0), int32_t(ty + r0));  // column c0
                    const uint8_t* rowSpans =
                        useSpans ? spans + (size_t(spanRow_[size_t(g)]) + size_t(r0)) * 2 : nullptr;
                    blend(src, bpp * size_t(w), dst, stride, int(r1 - r0), int(c0), int(c1), rowSpans, colour);
                }
            }
        }
        px += hs + w - right_[size_t(g)];
        if (i + 1 < text.size()) px -= left_[size_t(header_.map[static_cast<unsigned char>(text[i + 1])])];
    }
}

}  // namespace pages
