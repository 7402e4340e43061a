#include "wizards/font_maker.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "app/log/event_log.h"
#include "app/strings.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/picture_import.h"
#include "platform/code_page.h"
#include "platform/files.h"

namespace wizards {

const char* const kFontSourceNames[FONT_PICTURES] = {"Font characters on white", "Font characters on black",
                                                     "Font shadows on white", "Font shadows on black"};

namespace {

constexpr const char* kEndings[FONT_PICTURES] = {"_0_W", "_0_B", "_1_W", "_1_B"};

bool ColumnEmpty(const pages::CBitmap32& bmp, int32_t x) {
    for (int32_t y = 0; y < bmp.height(); ++y)
        if (bmp.pixel(x, y)[pages::PIX_TRANS] != 255) return false;
    return true;
}

bool RowEmpty(const pages::CBitmap32& bmp, int32_t y) {
    for (int32_t x = 0; x < bmp.width(); ++x)
        if (bmp.pixel(x, y)[pages::PIX_TRANS] != 255) return false;
    return true;
}

// Whether every byte above 127 belongs to a well-formed UTF-8 sequence, and there is one.
bool LooksLikeUtf8(const std::string& s) {
    bool multi = false;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = uint8_t(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        const size_t n = c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xF0 && c <= 0xF4 ? 3 : 0;
        if (n == 0 || i + n >= s.size()) return false;
        for (size_t k = 1; k <= n; ++k)
            if ((uint8_t(s[i + k]) & 0xC0) != 0x80) return false;
        multi = true;
        i += n + 1;
    }
    return multi;
}

int8_t ClampBearing(int32_t v) { return int8_t(std::clamp(v, -128, 127)); }

}  // namespace

bool FontSourcesComplete(const FontSources& s, const FontFlags& flags) {
    if (s.letters.empty() || s.pictures[FONT_CHARS_W].empty() || s.pictures[FONT_CHARS_B].empty()) return false;
    return flags.noShadows || (!s.pictures[FONT_SHADOWS_W].empty() && !s.pictures[FONT_SHADOWS_B].empty());
}

bool AutoFillFontSources(const std::string& first, FontSources& out) {
    const std::string folder = platform::DirectoryOf(first);
    const std::string name = platform::FileNameOf(first);
    const std::string ext = platform::ExtensionOfPath(name);
    const std::string title = name.substr(0, name.size() - ext.size());
    const size_t n = title.size();
    if (n < 5) return false;
    const char wb = char(std::toupper(uint8_t(title[n - 1])));
    if (title[n - 4] != '_' || !std::isdigit(uint8_t(title[n - 3])) || title[n - 2] != '_' || (wb != 'W' && wb != 'B'))
        return false;
    const std::string stem = title.substr(0, n - 4);
    for (int i = 0; i < FONT_PICTURES; ++i)
        out.pictures[size_t(i)] = platform::JoinPath(folder, stem + kEndings[i] + ext);
    return true;
}

std::string FontMessage::text() const {
    const std::string pattern = app::LoadString(id);
    return args.empty() ? pattern : app::FormatText(pattern, {args[0]});
}

std::vector<uint8_t> LettersOf(const std::string& given, int codePage) {
    std::string text = given;
    const bool bom = text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (bom) text.erase(0, 3);
    if (bom || LooksLikeUtf8(text)) text = platform::CodePage(codePage).fromUtf8(text);
    std::vector<uint8_t> letters;
    for (unsigned char c : text) {
        if (c <= 32) continue;
        letters.push_back(c);
        if (int(letters.size()) == kFontMaxLetters) break;
    }
    return letters;
}

bool ReadLetters(const std::string& path, int codePage, std::vector<uint8_t>& letters) {
    std::string text;
    if (!platform::ReadFile(platform::ResolvePath(path), text)) return false;
    letters = LettersOf(text, codePage);
    return true;
}

std::vector<FontChar> SeparateColumns(const pages::CBitmap32& glyphs, const pages::CBitmap32* shadows) {
    std::vector<FontChar> chars;
    const int32_t w = glyphs.width();
    const bool withShadows = shadows && !shadows->empty();
    auto empty = [&](int32_t x) { return ColumnEmpty(glyphs, x) && (!withShadows || ColumnEmpty(*shadows, x)); };
    int32_t start = -1;
    for (int32_t x = 1; x < w && int(chars.size()) < kFontMaxChars; ++x) {
        const bool blank = empty(x);
        if (start < 0) {
            if (!blank) start = x;
            continue;
        }
        if (!blank) continue;
        // Closed: cut what is too wide into pieces.
        for (int32_t s = start; s < x && int(chars.size()) < kFontMaxChars; s += kFontMaxCharWidth)
            chars.push_back({s, std::min(kFontMaxCharWidth, x - s)});
        start = -1;
    }
    return chars;
}

bool SeparateFont(const std::array<pages::CBitmap32, FONT_PICTURES>& pics, const std::vector<uint8_t>& letters,
                  const FontFlags& flags, FontSeparation& out, FontReport& report) {
    report = {};
    const int used = flags.noShadows ? 2 : 4;
    for (int i = 1; i < used; ++i)
        if (pics[size_t(i)].width() != pics[0].width() || pics[size_t(i)].height() != pics[0].height()) {
            report.error = {IDS_FONT_SIZES, {}};
            return false;
        }
    FontSeparation sep;
    sep.letters = letters;
    if (int(sep.letters.size()) > kFontMaxLetters) sep.letters.resize(kFontMaxLetters);
    if (!pages::CombinePair(pics[FONT_CHARS_W], pics[FONT_CHARS_B], flags.monochrome, sep.glyphs)) {
        report.error = {IDS_FONT_HEIGHT, {}};
        return false;
    }
    if (!flags.noShadows) pages::CombinePair(pics[FONT_SHADOWS_W], pics[FONT_SHADOWS_B], flags.monochrome, sep.shadows);
    const pages::CBitmap32* shadows = sep.shadowsUsed() ? &sep.shadows : nullptr;
    auto rowEmpty = [&](int32_t y) { return RowEmpty(sep.glyphs, y) && (!shadows || RowEmpty(*shadows, y)); };
    const int32_t h = sep.glyphs.height();
    int32_t top = 0, bottom = h - 1;
    while (top < h && rowEmpty(top)) ++top;
    while (bottom >= 0 && rowEmpty(bottom)) --bottom;
    if (top >= bottom) {
        report.error = {IDS_FONT_HEIGHT, {}};
        return false;
    }
    sep.top = top;
    sep.height = bottom - top + 1;
    LogMessage("MakeFont(): font height is %d", sep.height);
    sep.chars = SeparateColumns(sep.glyphs, shadows);
    if (sep.chars.empty()) {
        report.error = {IDS_FONT_SEPARATE, {}};
        return false;
    }
    if (sep.chars.size() != sep.letters.size()) report.warnings.push_back({IDS_FONT_COUNT, {}});
    sep.upper = 0;
    sep.lower = sep.height;
    out = std::move(sep);
    return true;
}

bool SeparateFontFiles(const FontSources& sources, const FontFlags& flags, int codePage, FontSeparation& out,
                       FontReport& report) {
    report = {};
    std::array<pages::CBitmap32, FONT_PICTURES> pics;
    const int used = flags.noShadows ? 2 : 4;
    for (int i = 0; i < used; ++i) {
        const std::string& path = sources.pictures[size_t(i)];
        const int code = pages::LoadPicture(platform::ResolvePath(path), pics[size_t(i)]);
        if (code != pages::PICTURE_OK) {
            report.error = {code, {path}};
            return false;
        }
    }
    std::vector<uint8_t> letters;
    if (!ReadLetters(sources.letters, codePage, letters)) {
        report.error = {3000, {sources.letters}};
        return false;
    }
    return SeparateFont(pics, letters, flags, out, report);
}

FontSpace SpaceOf(const FontSeparation& sep, bool fixedWidth) {
    FontSpace s;
    const int32_t n = int32_t(sep.chars.size());
    if (n == 0) return s;
    int32_t total = 0, widest = 0, narrowest = INT32_MAX;
    for (const FontChar& c : sep.chars) {
        total += c.width;
        widest = std::max(widest, c.width);
        narrowest = std::min(narrowest, c.width);
    }
    if (fixedWidth) {
        s.b = widest;
        s.c = std::max(1, s.b - s.b / 8);
    } else {
        s.b = total / (2 * n);
        s.c = std::min(narrowest, s.b);
    }
    return s;
}

FontSettings DefaultFontSettings(const FontSeparation& sep) { return {(sep.height / 4) * 3, 0, 0}; }

void BuildFont(const FontSeparation& sep, const FontFlags& flags, pages::CBitmapFont& font) {
    const int n = int(sep.chars.size());
    const FontSpace space = SpaceOf(sep, flags.fixedWidth);
    uint32_t fontFlags = 0;
    if (!flags.monochrome) fontFlags |= pages::FONT_COLOUR;
    if (sep.shadowsUsed()) fontFlags |= pages::FONT_SHADOW;
    font.Create(fontFlags, n + 1, sep.height);
    pages::FontHeader& h = font.header();
    h.scriptShift = sep.height / 4;
    h.widths[0] = uint8_t(std::clamp(space.b, 0, 255));
    for (int k = 1; k <= n; ++k) h.widths[k] = uint8_t(sep.chars[size_t(k - 1)].width);
    std::memset(h.map, 0, sizeof h.map);
    for (size_t k = 0; k < sep.letters.size(); ++k) h.map[sep.letters[k]] = uint8_t(std::min(n, int(k) + 1));
    font.setBearings(0, 0, 0);
    font.Allocate();

    const int bpp = font.bytesPerPixel();
    // Rows the bearings look at: between the marks, inside the band.
    const int32_t from = std::clamp(std::min(sep.upper, sep.lower), 0, sep.height - 1);
    const int32_t to = std::clamp(std::max(sep.upper, sep.lower), 0, sep.height - 1);
    const int32_t b = space.b;
    for (int k = 1; k <= n; ++k) {
        const FontChar& c = sep.chars[size_t(k - 1)];
        for (int layer = 0; layer < 2; ++layer) {
            const pages::CBitmap32& src = layer == 0 ? sep.glyphs : sep.shadows;
            if (layer == 1 && !sep.shadowsUsed()) break;
            uint8_t* dst = font.glyphPixels(layer == 0 ? pages::LAYER_GLYPHS : pages::LAYER_SHADOWS, k);
            for (int32_t y = 0; y < sep.height; ++y)
                for (int32_t x = 0; x < c.width; ++x) {
                    const uint8_t* p = src.pixel(c.start + x, sep.top + y);
                    uint8_t* d = dst + (size_t(y) * size_t(c.width) + size_t(x)) * size_t(bpp);
                    if (bpp == 4) {
                        std::memcpy(d, p, 4);
                    } else {
                        d[0] = p[0];
                        d[1] = p[pages::PIX_TRANS];
                    }
                }
        }
        const int32_t w = c.width;
        if (flags.fixedWidth) {
            font.setBearings(k, ClampBearing(-((b - w) / 2)), ClampBearing(w + (b - w) / 2 - b));
            continue;
        }
        int32_t l = -1, r = -1;
        for (int32_t x = 0; x < w; ++x)
            for (int32_t y = from; y <= to; ++y)
                if (sep.glyphs.pixel(c.start + x, sep.top + y)[pages::PIX_TRANS] != 255) {
                    if (l < 0) l = x;
                    r = x;
                    break;
                }
        if (l >= 0 && l < r) font.setBearings(k, ClampBearing(l), ClampBearing(w - r - 1));
        else font.setBearings(k, 1, 1);
    }
    ApplyFontSettings(DefaultFontSettings(sep), font);
}

void ApplyFontSettings(const FontSettings& s, pages::CBitmapFont& font) {
    font.header().baseline = s.base;
    font.header().hSpacing = s.hSpacing;
    font.header().vSpacing = s.vSpacing;
}

bool SaveFont(pages::CFontManager& fonts, const pages::CBitmapFont& font, const std::string& path) {
    if (!fonts.Save(font, path)) return false;
    // The maker's font may be current: the list must not keep a pointer to it past enumeration.
    if (fonts.Current() == &font) fonts.SetCurrent(nullptr);
    fonts.Enumerate();
    return true;
}

void FillPreviewBackground(pages::CBitmap32& target, int background) {
    if (background == 0) {
        target.fillAll(0x000000);
    } else if (background == 1) {
        target.fillAll(0xFFFFFF);
    } else {
        for (int32_t y = 0; y < target.height(); ++y)
            for (int32_t x = 0; x < target.width(); ++x) {
                uint8_t* p = target.pixel(x, y);
                const uint8_t v = ((x / 8 + y / 8) & 1) ? 0xC0 : 0xFF;
                p[0] = p[1] = p[2] = v;
                p[3] = 0;
            }
    }
}

void DrawFontSample(const pages::CBitmapFont& font, const std::string& text, uint32_t colour,
                    pages::CBitmap32& target) {
    if (target.empty() || !font.loaded()) return;
    const uint8_t tint[3] = {pages::BlueOf(colour), pages::GreenOf(colour), pages::RedOf(colour)};
    const pages::Rect clip = target.bounds();
    const int32_t step = font.height() + font.header().vSpacing;
    int32_t y = 4;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (font.hasShadow()) font.DrawText(line, 4, y, clip, target.view(), pages::LAYER_SHADOWS, false, tint);
        font.DrawText(line, 4, y, clip, target.view(), pages::LAYER_GLYPHS, false, tint);
        pages::InvertRow(target.view(), y + font.header().baseline);
        y += std::max(1, step);
        if (end == text.size() || y >= target.height()) break;
        pos = end + 1;
    }
}

}  // namespace wizards
