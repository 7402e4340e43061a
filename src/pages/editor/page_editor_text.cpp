// The page editor's text: where the caret is and how it moves, typing, the clipboard's text,
// text import and scrolling inside a frame.
#include <algorithm>
#include <climits>

#include "pages/editor/page_editor.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"

namespace pages {

namespace {

int32_t runStart(const CParagraph& p, int32_t run) {
    int32_t n = 0;
    for (int32_t k = 0; k < run && size_t(k) < p.runs.size(); ++k) n += int32_t(p.runs[size_t(k)].text.size());
    return n;
}

bool isSpace(char c) { return c == ' '; }

TextPos textEnd(const CPageFrame& f) { return {int32_t(f.paragraphs.size()) - 1, f.paragraphs.back().length()}; }

}  // namespace

void LineSpan(const CPageFrame& f, const TextLine& line, int32_t& start, int32_t& end) {
    start = end = 0;
    if (line.para < 0 || size_t(line.para) >= f.paragraphs.size()) return;
    const CParagraph& p = f.paragraphs[size_t(line.para)];
    start = runStart(p, line.startRun) + line.startChar;
    end = std::max(start, runStart(p, line.endRun) + line.endChar + 1);
}

// --- Text: geometry ----------------------------------------------------------------------------

int CPageEditor::lineOf(const CPageFrame& f, TextPos p) const {
    int found = -1;
    for (size_t i = 0; i < f.lines.size(); ++i) {
        const TextLine& l = f.lines[i];
        if (l.para < p.para) continue;
        if (l.para > p.para) break;
        int32_t s, e;
        LineSpan(f, l, s, e);
        if (found < 0 || s <= p.offset) found = int(i);
    }
    return found;
}

int32_t CPageEditor::xOf(const CPageFrame& f, int line, int32_t offset) const {
    const TextLine& l = f.lines[size_t(line)];
    const CParagraph& p = f.paragraphs[size_t(l.para)];
    int64_t x = l.x;
    int32_t start = runStart(p, l.startRun);
    for (int32_t k = l.startRun; k <= l.endRun && size_t(k) < p.runs.size(); ++k) {
        const TextRun& run = p.runs[size_t(k)];
        const int32_t from = k == l.startRun ? l.startChar : 0;
        const int32_t to =
            std::min<int32_t>(k == l.endRun ? l.endChar + 1 : int32_t(run.text.size()), int32_t(run.text.size()));
        const int32_t pieceStart = start + from, pieceEnd = start + to;
        start += int32_t(run.text.size());
        if (to <= from) continue;
        if (offset <= pieceStart) break;
        fonts_.Select(run.format.fontName(), run.format.level);
        const int32_t n = std::min(offset, pieceEnd) - pieceStart;
        x += fonts_.TextWidth(std::string_view(run.text).substr(size_t(from), size_t(n)));
        if (offset < pieceEnd) break;
    }
    return int32_t(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX));
}

TextPos CPageEditor::posInLine(const CPageFrame& f, int line, int32_t x) const {
    const TextLine& l = f.lines[size_t(line)];
    int32_t s, e;
    LineSpan(f, l, s, e);
    // A wrapped line's end is the next line's start: stop before its last character.
    const bool wrapped = size_t(line) + 1 < f.lines.size() && f.lines[size_t(line) + 1].para == l.para;
    const int32_t last = wrapped && e > s ? e - 1 : e;
    int32_t prev = xOf(f, line, s);
    for (int32_t o = s; o < last; ++o) {
        const int32_t next = xOf(f, line, o + 1);
        if (x < (prev + next) / 2) return {l.para, o};
        prev = next;
    }
    return {l.para, last};
}

TextPos CPageEditor::PosAt(int frame, int32_t x, int32_t y) const {
    const CPageFrame* f = page_.frame(frame);
    if (!f || f->lines.empty()) return {};
    const int32_t fx = x - f->rect.left + f->hScroll, fy = y - f->rect.top + f->vScroll;
    int line = 0;
    for (size_t i = 0; i < f->lines.size(); ++i)
        if (f->lines[i].y <= fy) line = int(i);
    return posInLine(*f, line, fx);
}

CaretBox CPageEditor::Caret() const {
    CaretBox box;
    const CPageFrame* f = selectedFrame();
    if (!f || f->lines.empty()) return box;
    const int line = lineOf(*f, f->caret);
    if (line < 0) return box;
    const TextLine& l = f->lines[size_t(line)];
    box.x = f->rect.left + xOf(*f, line, f->caret.offset) - f->hScroll;
    box.y = f->rect.top + l.y - f->vScroll;
    box.height = std::max(2, l.ascent + l.descent);
    box.visible =
        textMode && l.y - f->vScroll >= 0 && box.y < f->rect.bottom && box.x >= f->rect.left && box.x <= f->rect.right;
    return box;
}

// --- Text: editing -----------------------------------------------------------------------------

void CPageEditor::SetCaret(TextPos pos, bool extend) {
    CPageFrame* f = selectedFrame();
    if (!f) return;
    f->SetSelection(extend ? f->anchor : pos, pos);
    textMode = true;
    goalX_ = -1;
    history.BreakMerge();
    EnsureCaretVisible();
    notify();
}

void CPageEditor::SelectAllText() {
    CPageFrame* f = selectedFrame();
    if (!f) return;
    f->SelectAll();
    textMode = true;
    history.BreakMerge();
    notify();
}

void CPageEditor::MoveCaret(CaretMove move, bool extend) {
    CPageFrame* f = selectedFrame();
    if (!f || f->lines.empty()) return;
    TextPos p = f->caret;
    const auto paraLen = [&](int32_t i) { return f->paragraphs[size_t(i)].length(); };
    const int32_t lastPara = int32_t(f->paragraphs.size()) - 1;
    const bool vertical = move == MOVE_UP || move == MOVE_DOWN || move == MOVE_PAGE_UP || move == MOVE_PAGE_DOWN;
    if (!vertical) goalX_ = -1;
    switch (move) {
        case MOVE_LEFT:
            if (f->hasSelection() && !extend) p = f->selectionStart();
            else if (p.offset > 0) --p.offset;
            else if (p.para > 0) p = {p.para - 1, paraLen(p.para - 1)};
            break;
        case MOVE_RIGHT:
            if (f->hasSelection() && !extend) p = f->selectionEnd();
            else if (p.offset < paraLen(p.para)) ++p.offset;
            else if (p.para < lastPara) p = {p.para + 1, 0};
            break;
        case MOVE_WORD_LEFT: {
            if (p.offset == 0) {
                if (p.para > 0) p = {p.para - 1, paraLen(p.para - 1)};
                break;
            }
            const std::string t = f->paragraphs[size_t(p.para)].text();
            while (p.offset > 0 && isSpace(t[size_t(p.offset) - 1])) --p.offset;
            while (p.offset > 0 && !isSpace(t[size_t(p.offset) - 1])) --p.offset;
            break;
        }
        case MOVE_WORD_RIGHT: {
            const std::string t = f->paragraphs[size_t(p.para)].text();
            if (p.offset >= int32_t(t.size())) {
                if (p.para < lastPara) p = {p.para + 1, 0};
                break;
            }
            while (p.offset < int32_t(t.size()) && !isSpace(t[size_t(p.offset)])) ++p.offset;
            while (p.offset < int32_t(t.size()) && isSpace(t[size_t(p.offset)])) ++p.offset;
            break;
        }
        case MOVE_LINE_START:
        case MOVE_LINE_END: {
            const int line = lineOf(*f, p);
            int32_t s, e;
            LineSpan(*f, f->lines[size_t(line)], s, e);
            if (move == MOVE_LINE_START) {
                p.offset = s;
            } else {
                const bool wrapped = size_t(line) + 1 < f->lines.size() && f->lines[size_t(line) + 1].para == p.para;
                p.offset = wrapped && e > s ? e - 1 : e;
            }
            break;
        }
        case MOVE_TEXT_START: p = {0, 0}; break;
        case MOVE_TEXT_END: p = textEnd(*f); break;
        case MOVE_UP:
        case MOVE_DOWN:
        case MOVE_PAGE_UP:
        case MOVE_PAGE_DOWN: {
            const int line = lineOf(*f, p);
            if (goalX_ < 0) goalX_ = xOf(*f, line, p.offset);
            int target = line;
            if (move == MOVE_UP) target = line - 1;
            else if (move == MOVE_DOWN) target = line + 1;
            else {
                // A frame's height away, to the line whose top is nearest.
                const int32_t h = std::max(1, f->rect.height());
                const int32_t want = f->lines[size_t(line)].y + (move == MOVE_PAGE_UP ? -h : h);
                target = move == MOVE_PAGE_UP ? 0 : int(f->lines.size()) - 1;
                for (size_t i = 0; i < f->lines.size(); ++i) {
                    if (move == MOVE_PAGE_DOWN && f->lines[i].y >= want) {
                        target = int(i);
                        break;
                    }
                    if (move == MOVE_PAGE_UP && f->lines[i].y <= want) target = int(i);
                }
            }
            if (target < 0) p = {0, 0};
            else if (target >= int(f->lines.size())) p = textEnd(*f);
            else p = posInLine(*f, target, goalX_);
            break;
        }
    }
    f->SetSelection(extend ? f->anchor : p, p);
    textMode = true;
    history.BreakMerge();
    EnsureCaretVisible();
    notify();
}

bool CPageEditor::hasTextSelection() const {
    const CPageFrame* f = selectedFrame();
    return f && f->hasSelection();
}

void CPageEditor::Type(std::string_view text) {
    CPageFrame* f = selectedFrame();
    if (!f || text.empty()) return;
    f->InsertText(text, fonts_);
    textMode = true;
    goalX_ = -1;
    EnsureCaretVisible();
    commit("Typing", "type:" + std::to_string(selected_));
}

void CPageEditor::deleteSelection(CPageFrame& f) {
    f.DeleteSelection(fonts_);
    goalX_ = -1;
    EnsureCaretVisible();
    commit("Delete", "delete:" + std::to_string(selected_));
}

void CPageEditor::Backspace() {
    CPageFrame* f = selectedFrame();
    if (!f) return;
    if (!f->hasSelection()) {
        TextPos p = f->caret;
        if (p.offset > 0) --p.offset;
        else if (p.para > 0) p = {p.para - 1, f->paragraphs[size_t(p.para) - 1].length()};
        else return;
        f->SetSelection(p, f->caret);
    }
    deleteSelection(*f);
}

void CPageEditor::DeleteForward() {
    CPageFrame* f = selectedFrame();
    if (!f) return;
    if (!f->hasSelection()) {
        TextPos p = f->caret;
        if (p.offset < f->paragraphs[size_t(p.para)].length()) ++p.offset;
        else if (p.para + 1 < int32_t(f->paragraphs.size())) p = {p.para + 1, 0};
        else return;
        f->SetSelection(f->caret, p);
    }
    deleteSelection(*f);
}

std::string CPageEditor::CopyText() const {
    const CPageFrame* f = selectedFrame();
    return f && f->hasSelection() ? f->SelectedText() : std::string();
}

std::string CPageEditor::CutText() {
    CPageFrame* f = selectedFrame();
    if (!f || !f->hasSelection()) return {};
    std::string text = f->SelectedText();
    f->DeleteSelection(fonts_);
    EnsureCaretVisible();
    commit("Cut");
    return text;
}

void CPageEditor::Paste(std::string_view text) {
    CPageFrame* f = selectedFrame();
    if (!f || text.empty()) return;
    f->InsertText(text, fonts_);
    textMode = true;
    EnsureCaretVisible();
    commit("Paste");
}

int CPageEditor::ImportText(const std::string& path) {
    CPageFrame* f = selectedFrame();
    if (!f) return FILE_OPEN_ERROR;
    const int rc = f->ImportText(path, fonts_);
    if (rc != FILE_OK) return rc;
    textMode = true;
    EnsureCaretVisible();
    commit("Import text");
    return rc;
}

void CPageEditor::EnsureCaretVisible() {
    CPageFrame* f = selectedFrame();
    if (!f || f->lines.empty()) return;
    const int line = lineOf(*f, f->caret);
    if (line < 0) return;
    const TextLine& l = f->lines[size_t(line)];
    if (f->format.type == FRAME_SCROLLER) {
        const int32_t w = std::max(2, f->rect.width());
        const int32_t cx = xOf(*f, line, f->caret.offset);
        if (cx - f->hScroll < 0) f->hScroll = std::max(0, cx - w / 3);
        else if (cx - f->hScroll > w - 2) f->hScroll = std::max(0, cx - w * 2 / 3);
        f->vScroll = 0;
        return;
    }
    // Scroll by whole lines: the view skips a line whose top is above the frame.
    const int32_t h = f->rect.height();
    const int32_t bottom = l.y + l.ascent + l.descent;
    if (f->textHeight <= h) {
        f->vScroll = 0;
    } else if (l.y - f->vScroll < 0) {
        f->vScroll = line == 0 ? 0 : l.y;
    } else if (bottom - f->vScroll > h) {
        int32_t top = l.y;
        for (int k = line; k >= 0; --k) {
            if (bottom - f->lines[size_t(k)].y > h) break;
            top = k == 0 ? 0 : f->lines[size_t(k)].y;
        }
        f->vScroll = std::max(0, top);
    }
    f->hScroll = 0;
}

void CPageEditor::ScrollText(int steps) {
    CPageFrame* f = selectedFrame();
    if (!f || f->lines.empty() || steps == 0) return;
    if (f->format.type == FRAME_SCROLLER) {
        int32_t width = 0;
        for (const TextLine& l : f->lines) width = std::max(width, l.x + l.width);
        const int32_t most = std::max(0, width - f->rect.width() + 32);
        f->hScroll = std::clamp(f->hScroll + steps * 32, 0, most);
    } else {
        const int32_t h = f->rect.height();
        int top = 0;
        while (size_t(top) + 1 < f->lines.size() && f->lines[size_t(top)].y < f->vScroll) ++top;
        // The last top worth scrolling to shows the end of the text.
        int last = 0;
        while (size_t(last) + 1 < f->lines.size() && f->textHeight - f->lines[size_t(last)].y > h) ++last;
        const int next = std::clamp(top + steps, 0, last);
        f->vScroll = next == 0 ? 0 : std::max(0, f->lines[size_t(next)].y);
    }
    notify();
}

bool CPageEditor::TextOverflows(int frame) const {
    const CPageFrame* f = page_.frame(frame);
    if (!f) return false;
    if (f->format.type != FRAME_SCROLLER) return f->textHeight > f->rect.height();
    for (const TextLine& l : f->lines)
        if (int64_t(l.x) + l.width > f->rect.width()) return true;
    return false;
}

}  // namespace pages
