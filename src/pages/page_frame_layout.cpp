// Layout of a frame's text into lines, and drawing of those lines.
#include <algorithm>
#include <climits>
#include <cstring>

#include "pages/font_manager.h"
#include "pages/page_frame.h"

namespace pages {

namespace {

bool isBreakChar(unsigned char c) { return c != 0 && std::strchr(" ,./?;:'`!#*()-+=\\", c) != nullptr; }

int32_t toInt32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

struct Metrics {
    int64_t ascent = 0, descent = 0, extra = 0;
};

// Selects a run's font and level and raises the line's measures to the run's.
void enterRun(CFontManager& fonts, const TextRun& run, Metrics& m, bool raise) {
    fonts.Select(run.format.fontName(), run.format.level);
    const int64_t base = fonts.Baseline();
    const Metrics own{base, int64_t(fonts.Height()) - base, fonts.VerticalSpacing()};
    if (!raise) {
        m = own;
        return;
    }
    m.ascent = std::max(m.ascent, own.ascent);
    m.descent = std::max(m.descent, own.descent);
    m.extra = std::max(m.extra, own.extra);
}

}  // namespace

bool CPageFrame::Layout(CFontManager& fonts) {
    lines.clear();
    const int64_t frameW = int64_t(rect.right) - rect.left;
    const int64_t frameH = int64_t(rect.bottom) - rect.top;
    const bool scroller = format.type == FRAME_SCROLLER;
    int64_t y = 0;
    bool fit = true;
    for (size_t pi = 0; pi < paragraphs.size(); ++pi) {
        const CParagraph& para = paragraphs[pi];
        const ParaFormat& pf = para.format;
        // A Scroller's paragraph is one line of unlimited width.
        const int64_t f = scroller ? INT64_MAX / 4 : frameW - pf.rightMargin;
        int64_t c = int64_t(pf.leftMargin) + pf.indent;
        y += pf.spaceBefore;
        const size_t nRuns = para.runs.size();
        size_t r = 0, i = 0;
        bool firstLine = true;
        while (true) {
            if (!firstLine)
                while (r + 1 < nRuns && i >= para.runs[r].text.size()) ++r, i = 0;
            Metrics m;
            enterRun(fonts, para.runs[r], m, false);
            TextLine line;
            line.para = int32_t(pi);
            line.startRun = int32_t(r);
            line.startChar = int32_t(i);
            int64_t width = 0;
            bool haveBreak = false, full = false;
            size_t breakRun = 0, breakChar = 0;
            int64_t breakWidth = 0;
            Metrics atBreak;
            size_t cr = r, ci = i;
            size_t endRun = r;
            int64_t endChar = int64_t(i) - 1;
            while (true) {
                const std::string& text = para.runs[cr].text;
                if (ci >= text.size()) {
                    if (cr + 1 >= nRuns) break;
                    ++cr, ci = 0;
                    enterRun(fonts, para.runs[cr], m, true);
                    endRun = cr, endChar = -1;
                    continue;
                }
                const unsigned char ch = static_cast<unsigned char>(text[ci]);
                const int64_t e = width + fonts.CharAdvance(ch);
                if (isBreakChar(ch)) {
                    haveBreak = true;
                    breakRun = cr, breakChar = ci;
                    breakWidth = ch == ' ' ? width : e;  // a space at the line end does not count
                    atBreak = m;
                }
                if (c + e > f) {
                    full = true;
                    if (haveBreak) {
                        endRun = breakRun, endChar = int64_t(breakChar);
                        width = breakWidth;
                        m = atBreak;
                    } else {
                        // Every line takes at least one character, even one that overflows.
                        endRun = cr, endChar = int64_t(ci);
                    }
                    break;
                }
                width = e;
                endRun = cr, endChar = int64_t(ci);
                ++ci;
            }
            line.endRun = int32_t(endRun);
            line.endChar = int32_t(endChar);
            const int32_t align = scroller ? ALIGN_LEFT : pf.align;
            line.x = toInt32(align == ALIGN_CENTER ? (f - width) / 2 : align == ALIGN_RIGHT ? f - width : c);
            line.y = toInt32(y);
            line.ascent = toInt32(m.ascent);
            line.descent = toInt32(m.descent);
            line.extra = toInt32(m.extra);
            line.width = toInt32(width);
            lines.push_back(line);
            y += m.ascent + m.descent + m.extra + pf.lineSpacing;
            if (!full) break;
            // The next line starts after this one's last character, if any is left.
            r = endRun, i = size_t(endChar + 1);
            bool more = false;
            for (size_t k = r; k < nRuns && !more; ++k)
                more = (k == r ? para.runs[k].text.size() > i : !para.runs[k].text.empty());
            if (!more) break;
            c = pf.leftMargin;
            firstLine = false;
        }
        y += int64_t(pf.spaceAfter) - pf.lineSpacing;
        if (frameH < y) fit = false;
    }
    textHeight = toInt32(y);
    // An empty frame (a panel, a picture) has no text that could be cut off, however low it is.
    bool empty = true;
    for (const CParagraph& para : paragraphs)
        for (const TextRun& run : para.runs) empty = empty && run.text.empty();
    fits = format.type == FRAME_ROLL || fit || empty;
    if ((format.vAlign == VALIGN_CENTER || format.vAlign == VALIGN_BOTTOM) && y < frameH) {
        const int64_t shift = format.vAlign == VALIGN_CENTER ? (frameH - y) / 2 : frameH - y;
        for (TextLine& l : lines) l.y = toInt32(l.y + shift);
    }
    return fits;
}

void CPageFrame::Draw(CFontManager& fonts, const BitmapView& target, const Rect& clip, int firstPass,
                      bool showSelection) const {
    const int64_t clipW = int64_t(clip.right) - clip.left, clipH = int64_t(clip.bottom) - clip.top;
    const bool selecting = showSelection && hasSelection();
    const TextPos selFrom = selectionStart(), selTo = selectionEnd();
    for (int pass = std::clamp(firstPass, 0, 1); pass <= 1; ++pass) {
        const FontLayer layer = pass == 0 ? LAYER_SHADOWS : LAYER_GLYPHS;
        for (const TextLine& line : lines) {
            const int64_t ly = int64_t(line.y) - vScroll;
            if (ly < 0) continue;
            if (ly >= clipH) break;
            int64_t x = int64_t(line.x) - hScroll;
            if (x >= clipW) break;
            if (line.para < 0 || size_t(line.para) >= paragraphs.size()) continue;
            const CParagraph& para = paragraphs[size_t(line.para)];
            // Paragraph offset of the start of each run, for the selection.
            int64_t runStart = 0;
            for (int32_t k = 0; k < line.startRun && size_t(k) < para.runs.size(); ++k)
                runStart += int64_t(para.runs[size_t(k)].text.size());
            for (int32_t k = line.startRun; k <= line.endRun && size_t(k) < para.runs.size(); ++k) {
                const TextRun& run = para.runs[size_t(k)];
                const int64_t from = k == line.startRun ? line.startChar : 0;
                const int64_t to = std::min<int64_t>(
                    k == line.endRun ? int64_t(line.endChar) + 1 : int64_t(run.text.size()), int64_t(run.text.size()));
                const int64_t thisRunStart = runStart;
                runStart += int64_t(run.text.size());
                if (from >= to) continue;
                if (x >= clipW) break;
                fonts.Select(run.format.fontName(), run.format.level);
                fonts.SetColour(run.format.colour);
                const std::string_view piece(run.text.data() + from, size_t(to - from));
                const int32_t y = int32_t(ly + line.ascent - fonts.Baseline());
                // Cut the piece where the selection starts and ends; each part is drawn where
                // its glyphs fall in the whole piece.
                int64_t cuts[4] = {0, int64_t(piece.size()), 0, 0};
                int nCuts = 2;
                if (selecting) {
                    for (const TextPos& p : {selFrom, selTo}) {
                        if (p.para != line.para) continue;
                        const int64_t at = p.offset - thisRunStart - from;
                        if (at > 0 && at < int64_t(piece.size())) cuts[nCuts++] = at;
                    }
                    std::sort(cuts, cuts + nCuts);
                }
                for (int part = 0; part + 1 < nCuts; ++part) {
                    const int64_t a = cuts[part], b = cuts[part + 1];
                    if (a >= b) continue;
                    bool selected = false;
                    if (selecting) {
                        const TextPos at{line.para, int32_t(thisRunStart + from + a)};
                        selected = selFrom <= at && at < selTo;
                    }
                    if (selected && pass == 0) continue;
                    int64_t px = x;
                    if (a > 0) {
                        const CBitmapFont* font = fonts.Current();
                        const int left =
                            font ? font->leftBearing(font->glyphOf(static_cast<unsigned char>(piece[size_t(a)]))) : 0;
                        px += fonts.TextWidth(piece.substr(0, size_t(a))) - left;
                    }
                    fonts.Draw(piece.substr(size_t(a), size_t(b - a)),
                               int32_t(std::clamp<int64_t>(px, INT32_MIN, INT32_MAX)), y, clip, target, layer,
                               selected);
                }
                x += fonts.TextWidth(piece);
            }
        }
    }
}

}  // namespace pages
