#include "pages/scalable_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_OUTLINE_H
#include FT_STROKER_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

#include "app/log/event_log.h"
#include "platform/code_page.h"

namespace pages {

namespace {

// Owners of the FreeType objects, so that every way out frees them.
struct Library {
    FT_Library lib = nullptr;
    ~Library() {
        if (lib) FT_Done_FreeType(lib);
    }
};
struct Face {
    FT_Face face = nullptr;
    ~Face() {
        if (face) FT_Done_Face(face);
    }
};
struct Stroker {
    FT_Stroker stroker = nullptr;
    ~Stroker() {
        if (stroker) FT_Stroker_Done(stroker);
    }
};
struct Glyph {
    FT_Glyph glyph = nullptr;
    ~Glyph() {
        if (glyph) FT_Done_Glyph(glyph);
    }
};

// A coverage map (0 = no ink, 255 = full ink) placed in cell coordinates: x relative to the
// pen position, y rows from the top of the cell.
struct Coverage {
    int x0 = 0, y0 = 0, w = 0, h = 0;
    std::vector<uint8_t> a;

    int at(int x, int y) const {
        x -= x0;
        y -= y0;
        if (x < 0 || y < 0 || x >= w || y >= h) return 0;
        return a[size_t(y) * size_t(w) + size_t(x)];
    }
};

// Renders a copy of an outline glyph (stroked to its outer border when a stroker is given).
bool render(FT_Glyph source, FT_Stroker stroker, int shiftX, int baseline, Coverage& out) {
    Glyph g;
    if (FT_Glyph_Copy(source, &g.glyph)) return false;
    if (stroker && FT_Glyph_StrokeBorder(&g.glyph, stroker, false, true)) return false;
    if (FT_Glyph_To_Bitmap(&g.glyph, FT_RENDER_MODE_NORMAL, nullptr, true)) return false;
    auto* bg = reinterpret_cast<FT_BitmapGlyph>(g.glyph);
    const FT_Bitmap& bm = bg->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.rows && bm.width) return false;
    out.x0 = bg->left + shiftX;
    out.y0 = baseline - bg->top;
    out.w = int(bm.width);
    out.h = int(bm.rows);
    out.a.assign(size_t(out.w) * size_t(out.h), 0);
    const int maxGrey = std::max(1, int(bm.num_grays) - 1);
    for (int y = 0; y < out.h; ++y) {
        const unsigned char* row = bm.buffer + ptrdiff_t(y) * bm.pitch;
        for (int x = 0; x < out.w; ++x) out.a[size_t(y) * size_t(out.w) + size_t(x)] = uint8_t(row[x] * 255 / maxGrey);
    }
    return true;
}

// Fill over the black outline: the silhouette's coverage.
int silhouette(int f, int o) { return std::min(255, f + o - f * o / 255); }

struct MadeGlyph {
    Coverage fill, outline;
    int cellLeft = 0;  // first column of the cell, relative to the pen
    int width = 0;
    int8_t left = 0, right = 0;
};

bool fail(std::string& error, std::string text) {
    error = std::move(text);
    return false;
}

}  // namespace

bool MakeFontFromScalable(const ScalableFontOptions& opt, CBitmapFont& font, std::string& error) {
    const int H = opt.height;
    if (H < SCALABLE_MIN_HEIGHT || H > SCALABLE_MAX_HEIGHT)
        return fail(error, "the height must be " + std::to_string(int(SCALABLE_MIN_HEIGHT)) + " to " +
                               std::to_string(int(SCALABLE_MAX_HEIGHT)) + " pixels");
    if (opt.outline < 0 || opt.outline > SCALABLE_MAX_OUTLINE)
        return fail(error, "the outline must be 0 to " + std::to_string(int(SCALABLE_MAX_OUTLINE)) + " pixels");
    const int dx = opt.shadow ? opt.shadowDx : 0, dy = opt.shadow ? opt.shadowDy : 0;
    if (std::abs(dx) > SCALABLE_MAX_SHADOW || std::abs(dy) > SCALABLE_MAX_SHADOW)
        return fail(error, "the shadow offsets must lie within -" + std::to_string(int(SCALABLE_MAX_SHADOW)) + ".." +
                               std::to_string(int(SCALABLE_MAX_SHADOW)));
    const int N = opt.outline;
    const int avail = H - 2 * N - std::abs(dy);
    if (avail < SCALABLE_MIN_HEIGHT)
        return fail(error, "the height leaves too little room inside the outline and shadow");
    platform::CodePage cp(opt.codePage);
    if (!cp.valid()) return fail(error, "unknown code page " + std::to_string(opt.codePage));

    Library lib;
    if (FT_Init_FreeType(&lib.lib)) return fail(error, "FreeType cannot start");
    Face face;
    if (FT_New_Face(lib.lib, opt.fontFile.c_str(), 0, &face.face))
        return fail(error, "cannot read " + opt.fontFile + " as a font");
    if (!FT_IS_SCALABLE(face.face)) return fail(error, opt.fontFile + " is not a scalable font");
    if (FT_Select_Charmap(face.face, FT_ENCODING_UNICODE))
        return fail(error, opt.fontFile + " has no Unicode character map");

    // The characters to make: every printable code of the code page that the font has.
    struct Char {
        int code;
        FT_UInt index;
    };
    std::vector<Char> chars;
    for (int c = 33; c < 256; ++c) {
        const char32_t u = cp.toUnicode(static_cast<unsigned char>(c));
        if (u < 0x21 || (u >= 0x7F && u < 0xA0)) continue;
        if (FT_UInt gi = FT_Get_Char_Index(face.face, u)) chars.push_back({c, gi});
    }

    // Scale so that the tallest and deepest of these characters (and the font's own ascender
    // and descender) fit the rows left inside outline and shadow: accents are never cut.
    long top = face.face->ascender, bottom = face.face->descender;
    for (const Char& ch : chars) {
        if (FT_Load_Glyph(face.face, ch.index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING)) continue;
        if (face.face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) continue;
        FT_BBox box;
        FT_Outline_Get_CBox(&face.face->glyph->outline, &box);
        if (box.yMax > box.yMin) {
            top = std::max<long>(top, box.yMax);
            bottom = std::min<long>(bottom, box.yMin);
        }
    }
    if (top <= bottom) return fail(error, opt.fontFile + " has no usable metrics");
    // One row of the available height is kept back for the rounding of hinted outlines.
    const double pixelsPerUnit = double(avail - 1) / double(top - bottom);
    const long size26 = long(std::floor(pixelsPerUnit * face.face->units_per_EM * 64.0));
    if (size26 < 64 || FT_Set_Char_Size(face.face, 0, size26, 72, 72))
        return fail(error, "cannot scale " + opt.fontFile + " to " + std::to_string(H) + " rows");
    const int baseline = N + std::max(0, -dy) + int(std::lround(double(top) * pixelsPerUnit));

    Stroker stroker;
    if (N > 0) {
        if (FT_Stroker_New(lib.lib, &stroker.stroker)) return fail(error, "FreeType cannot make outlines");
        FT_Stroker_Set(stroker.stroker, FT_Fixed(N) * 64, FT_STROKER_LINECAP_ROUND, FT_STROKER_LINEJOIN_ROUND, 0);
    }
    const FT_Int32 loadFlags = FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP;
    auto advanceOf = [&](FT_UInt index) {
        if (FT_Load_Glyph(face.face, index, loadFlags)) return 0;
        return int((face.face->glyph->advance.x + 32) >> 6) + 2 * N;
    };

    // Glyph 0: the blank of space width that every code without a character draws.
    const FT_UInt spaceIndex = FT_Get_Char_Index(face.face, U' ');
    int spaceWidth = spaceIndex ? advanceOf(spaceIndex) : 0;
    if (spaceWidth <= 0) spaceWidth = avail / 4 + 2 * N;
    spaceWidth = std::clamp(spaceWidth, 1, 255);

    std::vector<MadeGlyph> made(1);
    made[0].width = spaceWidth;
    uint8_t map[256] = {};
    std::map<FT_UInt, int> byIndex;  // the same outline for two codes is made once
    for (const Char& ch : chars) {
        if (auto it = byIndex.find(ch.index); it != byIndex.end()) {
            map[ch.code] = uint8_t(it->second);
            continue;
        }
        if (FT_Load_Glyph(face.face, ch.index, loadFlags) || face.face->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
            continue;
        const int advance = int((face.face->glyph->advance.x + 32) >> 6) + 2 * N;
        Glyph src;
        if (FT_Get_Glyph(face.face->glyph, &src.glyph)) continue;
        MadeGlyph m;
        if (!render(src.glyph, nullptr, N, baseline, m.fill)) continue;
        if (N > 0 && !render(src.glyph, stroker.stroker, N, baseline, m.outline)) continue;

        // The ink, over the visible rows: fill, outline and the shadow's offset copy.
        int inkL = 1 << 20, inkR = -(1 << 20);
        auto addInk = [&](const Coverage& c, int shiftX, int shiftY) {
            for (int y = 0; y < c.h; ++y) {
                const int row = c.y0 + y + shiftY;
                if (row < 0 || row >= H) continue;
                for (int x = 0; x < c.w; ++x)
                    if (c.a[size_t(y) * size_t(c.w) + size_t(x)]) {
                        inkL = std::min(inkL, c.x0 + x + shiftX);
                        inkR = std::max(inkR, c.x0 + x + shiftX + 1);
                    }
            }
        };
        addInk(m.fill, 0, 0);
        addInk(m.outline, 0, 0);
        if (opt.shadow) {
            addInk(m.fill, dx, dy);
            addInk(m.outline, dx, dy);
        }
        if (inkR <= inkL) {
            // A blank character: as wide as its advance, or glyph 0 when that is a space's.
            if (advance == spaceWidth || advance <= 0) {
                byIndex[ch.index] = 0;
                continue;
            }
            inkL = 0;
            inkR = advance;
        }
        if (inkR - inkL > 255)
            return fail(error, "characters are wider than 255 pixels at this height; choose a smaller height");
        const int left = -inkL, right = inkR - advance;
        if (left < -128 || left > 127 || right < -128 || right > 127)
            return fail(error, "character bearings do not fit at this height; choose a smaller height");
        m.cellLeft = inkL;
        m.width = inkR - inkL;
        m.left = int8_t(left);
        m.right = int8_t(right);
        const int g = int(made.size());
        made.push_back(std::move(m));
        byIndex[ch.index] = g;
        map[ch.code] = uint8_t(g);
    }

    const uint32_t flags = (opt.colour ? FONT_COLOUR : 0u) | (opt.shadow ? FONT_SHADOW : 0u);
    font.Create(flags, int(made.size()), H);
    FontHeader& h = font.header();
    h.baseline = baseline;
    h.scriptShift = H / 4;
    std::copy(std::begin(map), std::end(map), h.map);
    for (size_t g = 0; g < made.size(); ++g) {
        h.widths[g] = uint8_t(made[g].width);
        font.setBearings(int(g), made[g].left, made[g].right);
    }
    font.Allocate();

    const uint8_t fb = BlueOf(opt.fill), fg = GreenOf(opt.fill), fr = RedOf(opt.fill);
    const int bpp = font.bytesPerPixel();
    for (size_t g = 1; g < made.size(); ++g) {
        const MadeGlyph& m = made[g];
        uint8_t* glyph = font.glyphPixels(LAYER_GLYPHS, int(g));
        uint8_t* shadow = opt.shadow ? font.glyphPixels(LAYER_SHADOWS, int(g)) : nullptr;
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < m.width; ++x) {
                const int cx = m.cellLeft + x;
                const size_t at = (size_t(y) * size_t(m.width) + size_t(x)) * size_t(bpp);
                const int f = m.fill.at(cx, y);
                const int a = silhouette(f, m.outline.at(cx, y));
                if (a) {
                    // Straight (not premultiplied) colour: the fill's share of the silhouette,
                    // the rest is the black outline.
                    uint8_t* p = glyph + at;
                    if (bpp == 2) {
                        p[0] = uint8_t((255 * f + a / 2) / a);
                        p[1] = uint8_t(255 - a);
                    } else {
                        p[PIX_BLUE] = uint8_t((fb * f + a / 2) / a);
                        p[PIX_GREEN] = uint8_t((fg * f + a / 2) / a);
                        p[PIX_RED] = uint8_t((fr * f + a / 2) / a);
                        p[PIX_TRANS] = uint8_t(255 - a);
                    }
                }
                if (shadow) {
                    const int s = silhouette(m.fill.at(cx - dx, y - dy), m.outline.at(cx - dx, y - dy));
                    if (s) shadow[at + size_t(bpp) - 1] = uint8_t(255 - s);  // black: colour bytes stay 0
                }
            }
        }
    }
    LogMessage("MakeFontFromScalable: %s, %d glyphs, height %d, baseline %d", opt.fontFile.c_str(), int(made.size()), H,
               baseline);
    return true;
}

}  // namespace pages
