#include "pages/style_library.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <variant>

#include "app/log/event_log.h"
#include "app/strings.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "platform/files.h"

namespace pages {

namespace {

// A library file larger than this is not a style library.
constexpr size_t kMaxFileSize = 4u << 20;

// The names in a description are strings of the table (translated with the rest): frame types,
// vertical alignments, alignments, three each.
constexpr int kTypeNames = 33718, kVAlignNames = 33676, kAlignNames = 33679;

std::string nameOf(int first, int32_t v) { return v >= 0 && v < 3 ? app::LoadString(first + v) : "?"; }

// Fills a printf-like pattern of the string table with %s and %d taken in order; a translated
// pattern with other or more markers than arguments cannot read past them.
std::string formatPattern(std::string_view pattern, std::initializer_list<std::variant<std::string, int64_t>> args) {
    std::string out;
    auto it = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        const char k = pattern[++i];
        if (k == '%') {
            out += '%';
        } else if (k == 's' || k == 'd') {
            if (it == args.end()) continue;
            if (const auto* s = std::get_if<std::string>(&*it)) out += *s;
            else out += std::to_string(std::get<int64_t>(*it));
            ++it;
        } else {
            out += '%';
            out += k;
        }
    }
    return out;
}

// A reader of a line with the rules of the C library's scanf for "%[^,]" and "%d".
class LineScanner {
public:
    explicit LineScanner(std::string_view s) : s_(s) {}
    // One or more characters up to a comma (not skipping blanks).
    bool field(std::string& out) {
        const size_t end = s_.find(',', pos_);
        const size_t stop = end == std::string_view::npos ? s_.size() : end;
        if (stop == pos_) return false;
        out.assign(s_.substr(pos_, stop - pos_));
        pos_ = stop;
        return true;
    }
    bool comma() {
        if (pos_ >= s_.size() || s_[pos_] != ',') return false;
        ++pos_;
        return true;
    }
    // Blanks, an optional sign and at least one digit. Values past 32 bits saturate.
    bool number(int64_t& out) {
        while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
        bool negative = false;
        if (pos_ < s_.size() && (s_[pos_] == '-' || s_[pos_] == '+')) negative = s_[pos_++] == '-';
        const size_t digits = pos_;
        int64_t v = 0;
        while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) {
            v = std::min<int64_t>(v * 10 + (s_[pos_] - '0'), int64_t(1) << 33);
            ++pos_;
        }
        if (pos_ == digits) return false;
        out = negative ? -v : v;
        return true;
    }

private:
    std::string_view s_;
    size_t pos_ = 0;
};

int32_t inRange(int64_t v, int32_t lo, int32_t hi) { return int32_t(std::clamp<int64_t>(v, lo, hi)); }

// A colour field: written as a signed number, read back whatever its sign.
uint32_t colourOf(int64_t v) { return uint32_t(std::clamp<int64_t>(v, INT32_MIN, UINT32_MAX)); }

std::string firstFontName(const CFontManager& fonts) {
    if (const CBitmapFont* f = fonts.Current()) return f->name();
    return fonts.HasFonts() ? fonts.FontAt(0)->name() : std::string();
}

}  // namespace

std::string CleanStyleName(std::string_view name) {
    std::string out;
    for (char c : name)
        if (c != ',' && static_cast<unsigned char>(c) >= 32) out += c;
    if (out.size() > size_t(STYLE_NAME_MAX)) out.resize(size_t(STYLE_NAME_MAX));
    return out;
}

bool ParseStyleLine(std::string_view line, StyleRecord& out) {
    LineScanner in(line);
    std::string name, font;
    int64_t n[15] = {};
    if (!in.field(name) || !in.comma()) return false;
    for (int i = 0; i < 10; ++i)
        if (!in.number(n[i]) || !in.comma()) return false;
    if (!in.field(font) || !in.comma()) return false;
    for (int i = 10; i < 15; ++i)
        if (!in.number(n[i]) || (i < 14 && !in.comma())) return false;
    StyleRecord s;
    s.name = CleanStyleName(name);
    font = CleanStyleName(font);
    if (s.name.empty() || font.empty()) return false;
    s.frame.type = inRange(n[0], FRAME_FIXED, FRAME_ROLL);
    s.frame.vAlign = inRange(n[1], VALIGN_TOP, VALIGN_BOTTOM);
    s.frame.colour = colourOf(n[2]);
    s.para.align = inRange(n[3], ALIGN_LEFT, ALIGN_RIGHT);
    s.para.leftMargin = inRange(n[4], 0, 200);
    s.para.rightMargin = inRange(n[5], 0, 200);
    s.para.indent = inRange(n[6], 0, 100);
    s.para.spaceBefore = inRange(n[7], 0, 200);
    s.para.spaceAfter = inRange(n[8], 0, 200);
    s.para.lineSpacing = inRange(n[9], 0, 100);
    s.text.setFontName(font);
    s.text.level = inRange(n[10], LEVEL_SUBSCRIPT, LEVEL_SUPERSCRIPT);
    s.text.tint = n[11] != 0 ? 1 : 0;
    s.text.colour = colourOf(n[12]);
    s.frame.border = inRange(n[13], 0, 14);
    s.frame.backgroundFrame = n[14] != 0 ? 1 : 0;
    out = std::move(s);
    return true;
}

std::string FormatStyleLine(const StyleRecord& s) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%s,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%s,%d,%d,%d,%d,%d", CleanStyleName(s.name).c_str(),
                  s.frame.type, s.frame.vAlign, int32_t(s.frame.colour), s.para.align, s.para.leftMargin,
                  s.para.rightMargin, s.para.indent, s.para.spaceBefore, s.para.spaceAfter, s.para.lineSpacing,
                  CleanStyleName(s.text.fontName()).c_str(), s.text.level, s.text.tint, int32_t(s.text.colour),
                  s.frame.border, s.frame.backgroundFrame);
    return buf;
}

StyleRecord DefaultStyle(const CFontManager& fonts) {
    StyleRecord s;
    s.name = CleanStyleName(app::LoadString(IDS_NEW_STYLE));
    if (s.name.empty()) s.name = "New style";
    s.frame.colour = 0x80000000;
    const std::string font = firstFontName(fonts);
    s.text.setFontName(font);
    const CBitmapFont* f = fonts.Find(font);
    s.text.tint = f && f->isMonochrome() ? 1 : 0;
    // Normal text: a subscript default would show every new frame's text as lowered.
    s.text.level = LEVEL_NORMAL;
    s.text.colour = 0x00FFFFFF;
    return s;
}

StyleRecord StyleFromFrame(const CPageFrame& frame, std::string_view name) {
    StyleRecord s;
    s.name = CleanStyleName(name);
    s.frame = frame.format;
    s.frame.hasPicture = 0;
    s.frame.bannerLink = 0;
    std::fill(std::begin(s.frame.reserved), std::end(s.frame.reserved), uint8_t(0));
    s.para = frame.paragraphs.front().format;
    std::fill(std::begin(s.para.reserved), std::end(s.para.reserved), uint8_t(0));
    s.text = frame.paragraphs.front().runs.front().format;
    std::fill(std::begin(s.text.reserved), std::end(s.text.reserved), uint8_t(0));
    return s;
}

std::string FrameDescription(const StyleRecord& s) {
    const uint32_t c = s.frame.colour;
    return formatPattern(app::LoadString(IDS_STYLE_FRAME),
                         {nameOf(kTypeNames, s.frame.type), nameOf(kVAlignNames, s.frame.vAlign), int64_t(RedOf(c)),
                          int64_t(GreenOf(c)), int64_t(BlueOf(c)), int64_t(TransparencyOf(c) >> 4)});
}

std::string ParagraphDescription(const StyleRecord& s) {
    const ParaFormat& p = s.para;
    return formatPattern(app::LoadString(IDS_STYLE_PARAGRAPH),
                         {nameOf(kAlignNames, p.align), int64_t(p.leftMargin), int64_t(p.rightMargin),
                          int64_t(p.indent), int64_t(p.spaceBefore), int64_t(p.spaceAfter), int64_t(p.lineSpacing)});
}

std::string TextDescription(const StyleRecord& s) {
    const uint32_t c = s.text.colour;
    const std::string colour = s.text.tint ? formatPattern(app::LoadString(IDS_STYLE_RGB),
                                                           {int64_t(RedOf(c)), int64_t(GreenOf(c)), int64_t(BlueOf(c))})
                                           : app::LoadString(IDS_STYLE_NO_COLOUR);
    return formatPattern(app::LoadString(IDS_STYLE_TEXT), {s.text.fontName(), colour});
}

// --- CStyleLibrary -----------------------------------------------------------------------------

void CStyleLibrary::Load(const std::string& path, const CFontManager& fonts) {
    std::string text;
    const std::string resolved = platform::ResolvePath(path);
    if (!platform::ReadFile(resolved, text) || text.size() > kMaxFileSize) text.clear();
    LoadText(text, fonts);
}

void CStyleLibrary::LoadText(std::string_view text, const CFontManager& fonts) {
    styles.clear();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        StyleRecord s;
        if (ParseStyleLine(text.substr(pos, end - pos), s)) styles.push_back(std::move(s));
        pos = end + 1;
    }
    if (styles.empty()) styles.push_back(DefaultStyle(fonts));
    current = 0;
}

std::string CStyleLibrary::Text() const {
    std::string out;
    for (const StyleRecord& s : styles) out += FormatStyleLine(s) + "\n";
    return out;
}

bool CStyleLibrary::Save(const std::string& path) const {
    if (!platform::WriteFileAtomic(path, Text())) {
        LogMessage("CStyleLibrary::Save: cannot write %s", path.c_str());
        return false;
    }
    return true;
}

StyleRecord* CStyleLibrary::style(int index) {
    return index >= 0 && index < count() ? &styles[size_t(index)] : nullptr;
}

std::vector<std::string> CStyleLibrary::Names() const {
    std::vector<std::string> names;
    for (const StyleRecord& s : styles) names.push_back(s.name);
    return names;
}

bool CStyleLibrary::Remove(int index) {
    if (count() <= 1 || !style(index)) return false;
    styles.erase(styles.begin() + index);
    if (current >= count()) current = count() - 1;
    return true;
}

bool CStyleLibrary::MoveUp(int index) {
    if (index <= 0 || index >= count()) return false;
    std::swap(styles[size_t(index)], styles[size_t(index) - 1]);
    return true;
}

bool CStyleLibrary::MoveDown(int index) {
    if (index < 0 || index + 1 >= count()) return false;
    std::swap(styles[size_t(index)], styles[size_t(index) + 1]);
    return true;
}

bool CStyleLibrary::Rename(int index, std::string_view name) {
    StyleRecord* s = style(index);
    const std::string clean = CleanStyleName(name);
    if (!s || clean.empty() || clean == s->name) return false;
    s->name = clean;
    return true;
}

int CStyleLibrary::Append(StyleRecord s) {
    s.name = CleanStyleName(s.name);
    if (s.name.empty()) s.name = CleanStyleName(app::LoadString(IDS_NEW_STYLE));
    if (s.name.empty()) s.name = "New style";
    styles.push_back(std::move(s));
    return count() - 1;
}

// --- Applying styles ---------------------------------------------------------------------------

bool CheckStyleFont(StyleRecord& style, CFontManager& fonts) {
    std::string name = style.text.fontName();
    if (fonts.CheckFont(name, true) || name == style.text.fontName()) return false;
    style.text.setFontName(name);
    if (const CBitmapFont* f = fonts.Find(name)) style.text.tint = f->isMonochrome() ? 1 : 0;
    return true;
}

void SetFrameFont(CPageFrame& frame, const TextFormat& format, CFontManager& fonts) {
    int32_t tint = format.tint;
    if (const CBitmapFont* f = fonts.Find(format.fontName())) tint = f->isMonochrome() ? 1 : 0;
    for (CParagraph& p : frame.paragraphs)
        for (TextRun& r : p.runs) {
            r.format.setFontName(format.fontName());
            r.format.tint = tint;
            if (tint == 1) r.format.colour = format.colour;
        }
    frame.MergeRuns();
    frame.Layout(fonts);
}

ApplyStyleResult ApplyStyle(CPageDoc& page, int frameIndex, StyleRecord& style) {
    ApplyStyleResult result;
    CPageFrame* f = page.frame(frameIndex);
    if (!f) return result;
    CFontManager& fonts = page.fonts();
    // 1. The type: a second moving frame (or one beside a banner) is refused.
    const bool movingStyle = style.frame.type != FRAME_FIXED;
    if (movingStyle && f->format.type == FRAME_FIXED && (page.MovingFrameIndex() >= 0 || page.HasBanner()))
        result.typeRefused = true;
    else if (style.frame.type != f->format.type) f->SetType(style.frame.type, fonts);
    // 2. Alignment and colour (a Roll's text stays at the top).
    f->format.vAlign = f->format.type == FRAME_ROLL ? VALIGN_TOP : style.frame.vAlign;
    f->format.colour = style.frame.colour;
    // 3. The paragraph format over all the text.
    f->SelectAll();
    f->ApplyParaFormat(style.para, fonts);
    // 4, 5. Font (replaced in the style when missing) and colour; the text level stays.
    result.fontReplaced = CheckStyleFont(style, fonts);
    SetFrameFont(*f, style.text, fonts);
    f->SelectAll();
    f->SetRectangle(f->rect, fonts);
    page.modified = true;
    return result;
}

int CStyleLibrary::IndexOfFrame(const CPageFrame& frame) const {
    // Compared as the library writes them, so that fields a line does not keep never differ;
    // a colour font takes no tint, so its colour does not count.
    for (size_t i = 0; i < styles.size(); ++i) {
        StyleRecord own = StyleFromFrame(frame, styles[i].name);
        if (own.text.tint == 0 && styles[i].text.tint == 0) own.text.colour = styles[i].text.colour;
        if (FormatStyleLine(own) == FormatStyleLine(styles[i])) return int(i);
    }
    return -1;
}

}  // namespace pages
