#include "pages/page_frame.h"

#include <algorithm>

#include "app/strings.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "platform/files.h"

namespace pages {

// --- CParagraph --------------------------------------------------------------------------------

CParagraph::CParagraph() : runs(1) {}

int32_t CParagraph::length() const {
    size_t n = 0;
    for (const TextRun& r : runs) n += r.text.size();
    return int32_t(std::min<size_t>(n, INT32_MAX));
}

std::string CParagraph::text() const {
    std::string s;
    for (const TextRun& r : runs) s += r.text;
    return s;
}

void CParagraph::MergeRuns() {
    if (runs.empty()) {
        runs.emplace_back();
        return;
    }
    std::vector<TextRun> merged;
    merged.reserve(runs.size());
    for (TextRun& r : runs) {
        if (r.text.empty() && runs.size() > 1) continue;
        if (!merged.empty() && merged.back().format.sameFormat(r.format)) merged.back().text += r.text;
        else merged.push_back(std::move(r));
    }
    // Every run was empty: keep the first, so the paragraph keeps a format to type in.
    if (merged.empty()) merged.push_back(std::move(runs.front()));
    runs = std::move(merged);
}

// --- CPageFrame --------------------------------------------------------------------------------

namespace {

// The run holding a paragraph offset and the offset inside it; at a boundary the run on the
// left, whose format continues as one types.
std::pair<size_t, size_t> runAt(const CParagraph& p, int32_t offset) {
    size_t start = 0;
    for (size_t r = 0; r < p.runs.size(); ++r) {
        const size_t end = start + p.runs[r].text.size();
        if (size_t(offset) <= end) return {r, size_t(offset) - start};
        start = end;
    }
    return {p.runs.size() - 1, p.runs.back().text.size()};
}

}  // namespace

CPageFrame::CPageFrame() : paragraphs(1) {}

std::string CPageFrame::DefaultName(int number) {
    std::string pattern = app::LoadString(14040);
    const size_t at = pattern.find("%d");
    if (at == std::string::npos) return pattern + " " + std::to_string(number);
    return pattern.replace(at, 2, std::to_string(number));
}

void CPageFrame::ResetView() {
    hScroll = vScroll = 0;
    anchor = caret = TextPos{};
}

Rect CPageFrame::RectangleRule(const Rect& current, const Rect& requested) {
    const int32_t l = std::clamp<int32_t>(requested.left, SAFE_LEFT_MIN, SAFE_LEFT_MAX) & ~1;
    const int32_t r = std::clamp<int32_t>(requested.right, SAFE_RIGHT_MIN, SAFE_RIGHT_MAX) & ~1;
    const int32_t t = std::clamp<int32_t>(requested.top, SAFE_TOP_MIN, SAFE_TOP_MAX);
    const int32_t b = std::clamp<int32_t>(requested.bottom, SAFE_BOTTOM_MIN, SAFE_BOTTOM_MAX);
    Rect out;
    if (int64_t(requested.right) - requested.left == int64_t(current.right) - current.left) {
        // A move: the size stays; the edge on the side it moved to is the one kept.
        const int32_t w = current.right - current.left;
        if (requested.left > current.left) {
            out.right = r;
            out.left = r - w;
        } else {
            out.left = l;
            out.right = l + w;
        }
    } else {
        out.left = l;
        out.right = r <= l ? l + 2 : r;
    }
    if (int64_t(requested.bottom) - requested.top == int64_t(current.bottom) - current.top) {
        const int32_t h = current.bottom - current.top;
        if (requested.top > current.top) {
            out.bottom = b;
            out.top = b - h;
        } else {
            out.top = t;
            out.bottom = t + h;
        }
    } else {
        out.top = t;
        out.bottom = b < t + 2 ? t + 2 : b;
    }
    return out;
}

void CPageFrame::SetRectangle(const Rect& requested, CFontManager& fonts) {
    rect = RectangleRule(rect, requested);
    Layout(fonts);
}

void CPageFrame::SetType(int32_t type, CFontManager& fonts) {
    format.type = type;
    if (type == FRAME_SCROLLER)
        for (CParagraph& p : paragraphs) p.format.align = ALIGN_LEFT;
    if (type == FRAME_ROLL) format.vAlign = VALIGN_TOP;
    Layout(fonts);
}

void CPageFrame::ApplyParaFormat(const ParaFormat& f, CFontManager& fonts) {
    const TextPos s = clampPos(selectionStart()), e = clampPos(selectionEnd());
    auto take = [](int32_t& field, int32_t value) {
        if (value != -1) field = value;
    };
    for (int32_t i = s.para; i <= e.para; ++i) {
        ParaFormat& p = paragraphs[size_t(i)].format;
        if (format.type != FRAME_SCROLLER) take(p.align, f.align);
        take(p.lineSpacing, f.lineSpacing);
        take(p.leftMargin, f.leftMargin);
        take(p.rightMargin, f.rightMargin);
        take(p.spaceBefore, f.spaceBefore);
        take(p.spaceAfter, f.spaceAfter);
        take(p.indent, f.indent);
    }
    Layout(fonts);
}

// --- Text editing ------------------------------------------------------------------------------

TextPos CPageFrame::clampPos(TextPos p) const {
    p.para = std::clamp<int32_t>(p.para, 0, int32_t(paragraphs.size()) - 1);
    p.offset = std::clamp<int32_t>(p.offset, 0, paragraphs[size_t(p.para)].length());
    return p;
}

void CPageFrame::SetSelection(TextPos from, TextPos to) {
    anchor = clampPos(from);
    caret = clampPos(to);
}

void CPageFrame::SelectAll() {
    anchor = {0, 0};
    caret = {int32_t(paragraphs.size()) - 1, paragraphs.back().length()};
}

size_t CPageFrame::splitAt(CParagraph& para, int32_t offset) {
    size_t start = 0;
    for (size_t r = 0; r < para.runs.size(); ++r) {
        const size_t len = para.runs[r].text.size();
        if (size_t(offset) == start) return r;
        if (size_t(offset) < start + len) {
            TextRun tail{para.runs[r].text.substr(size_t(offset) - start), para.runs[r].format};
            para.runs[r].text.resize(size_t(offset) - start);
            para.runs.insert(para.runs.begin() + long(r) + 1, std::move(tail));
            return r + 1;
        }
        start += len;
    }
    return para.runs.size();
}

void CPageFrame::DeleteSelection(CFontManager& fonts) {
    const TextPos s = clampPos(selectionStart()), e = clampPos(selectionEnd());
    anchor = caret = s;
    if (s == e) return;
    CParagraph& first = paragraphs[size_t(s.para)];
    const TextFormat keep = first.runs[runAt(first, s.offset).first].format;
    if (s.para == e.para) {
        const size_t i0 = splitAt(first, s.offset);
        const size_t i1 = splitAt(first, e.offset);
        first.runs.erase(first.runs.begin() + long(i0), first.runs.begin() + long(i1));
    } else {
        const size_t i0 = splitAt(first, s.offset);  // splitting may move the runs: index first
        first.runs.erase(first.runs.begin() + long(i0), first.runs.end());
        CParagraph& last = paragraphs[size_t(e.para)];
        const size_t i1 = splitAt(last, e.offset);
        first.runs.insert(first.runs.end(), last.runs.begin() + long(i1), last.runs.end());
        paragraphs.erase(paragraphs.begin() + s.para + 1, paragraphs.begin() + e.para + 1);
    }
    if (first.runs.empty()) first.runs.push_back(TextRun{{}, keep});
    first.MergeRuns();
    Layout(fonts);
}

void CPageFrame::InsertText(std::string_view text, CFontManager& fonts) {
    if (hasSelection()) DeleteSelection(fonts);
    TextPos pos = clampPos(caret);
    std::string chunk;
    auto flush = [&] {
        if (chunk.empty()) return;
        CParagraph& p = paragraphs[size_t(pos.para)];
        auto [r, i] = runAt(p, pos.offset);
        p.runs[r].text.insert(i, chunk);
        pos.offset += int32_t(chunk.size());
        chunk.clear();
    };
    for (char c : text) {
        if (c == '\n') {
            flush();
            // The runs after the caret move into a new paragraph of the same format.
            CParagraph& p = paragraphs[size_t(pos.para)];
            auto [r, i] = runAt(p, pos.offset);
            CParagraph next;
            next.format = p.format;
            next.runs.clear();
            next.runs.push_back(TextRun{p.runs[r].text.substr(i), p.runs[r].format});
            next.runs.insert(next.runs.end(), p.runs.begin() + long(r) + 1, p.runs.end());
            p.runs[r].text.resize(i);
            p.runs.erase(p.runs.begin() + long(r) + 1, p.runs.end());
            p.MergeRuns();
            next.MergeRuns();
            paragraphs.insert(paragraphs.begin() + pos.para + 1, std::move(next));
            pos = {pos.para + 1, 0};
        } else if (static_cast<unsigned char>(c) >= 32) {
            chunk += c;
        }
    }
    flush();
    anchor = caret = pos;
    Layout(fonts);
}

std::string CPageFrame::SelectedText() const {
    const TextPos s = clampPos(selectionStart()), e = clampPos(selectionEnd());
    std::string out;
    for (int32_t i = s.para; i <= e.para; ++i) {
        const std::string t = paragraphs[size_t(i)].text();
        const size_t from = i == s.para ? size_t(s.offset) : 0;
        const size_t to = i == e.para ? size_t(e.offset) : t.size();
        if (i > s.para) out += "\r\n";
        out += t.substr(from, to - from);
    }
    return out;
}

std::string CPageFrame::PlainText() const {
    std::string out;
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        if (i) out += "\r\n";
        out += paragraphs[i].text();
    }
    return out;
}

int CPageFrame::ImportText(const std::string& path, CFontManager& fonts) {
    std::string content;
    if (!platform::ReadFile(platform::ResolvePath(path), content)) return FILE_OPEN_ERROR;
    // Every line becomes a paragraph, the last one too when the file does not end in a newline.
    if (!content.empty() && content.back() != '\n') content += '\n';
    InsertText(content, fonts);
    return FILE_OK;
}

void CPageFrame::SetTextFormat(TextFormatPart part, const TextFormat& f, CFontManager& fonts) {
    const TextPos s = clampPos(selectionStart()), e = clampPos(selectionEnd());
    if (s == e) return;
    int32_t tint = f.tint;
    if (part == TEXT_FONT)
        if (const CBitmapFont* font = fonts.Find(f.fontName())) tint = font->isMonochrome() ? 1 : 0;
    for (int32_t i = s.para; i <= e.para; ++i) {
        CParagraph& p = paragraphs[size_t(i)];
        const int32_t from = i == s.para ? s.offset : 0;
        const int32_t to = i == e.para ? e.offset : p.length();
        if (from >= to) continue;
        const size_t r0 = splitAt(p, from);
        const size_t r1 = splitAt(p, to);
        for (size_t r = r0; r < r1; ++r) {
            TextFormat& t = p.runs[r].format;
            switch (part) {
                case TEXT_FONT:
                    t.setFontName(f.fontName());
                    t.tint = tint;
                    break;
                case TEXT_COLOUR:
                    if (t.tint == 1) t.colour = f.colour;
                    break;
                case TEXT_LEVEL: t.level = f.level; break;
            }
        }
        p.MergeRuns();
    }
    Layout(fonts);
}

void CPageFrame::MergeRuns() {
    for (CParagraph& p : paragraphs) p.MergeRuns();
}

}  // namespace pages
