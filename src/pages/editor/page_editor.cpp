#include "pages/editor/page_editor.h"

#include <algorithm>
#include <climits>

#include "app/strings.h"
#include "pages/banner_file.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"

namespace pages {

namespace {

// The run the caret is in, and the offset inside it; at a boundary the run on the left, whose
// format typing continues.
std::pair<size_t, int32_t> runAtOffset(const CParagraph& p, int32_t offset) {
    int32_t start = 0;
    for (size_t r = 0; r < p.runs.size(); ++r) {
        const int32_t end = start + int32_t(p.runs[r].text.size());
        if (offset <= end) return {r, offset - start};
        start = end;
    }
    return {p.runs.size() - 1, int32_t(p.runs.back().text.size())};
}

int32_t runStart(const CParagraph& p, int32_t run) {
    int32_t n = 0;
    for (int32_t k = 0; k < run && size_t(k) < p.runs.size(); ++k) n += int32_t(p.runs[size_t(k)].text.size());
    return n;
}

bool isSpace(char c) { return c == ' '; }

TextPos textEnd(const CPageFrame& f) { return {int32_t(f.paragraphs.size()) - 1, f.paragraphs.back().length()}; }

struct ViewState {
    TextPos anchor, caret;
    int32_t hScroll, vScroll;
};

}  // namespace

void LineSpan(const CPageFrame& f, const TextLine& line, int32_t& start, int32_t& end) {
    start = end = 0;
    if (line.para < 0 || size_t(line.para) >= f.paragraphs.size()) return;
    const CParagraph& p = f.paragraphs[size_t(line.para)];
    start = runStart(p, line.startRun) + line.startChar;
    end = std::max(start, runStart(p, line.endRun) + line.endChar + 1);
}

CPageEditor::CPageEditor(CPageDoc& page, CFontManager& fonts) : page_(page), fonts_(fonts) { history.Reset(page_, -1); }

void CPageEditor::notify() {
    if (changed) changed();
}

void CPageEditor::commit(std::string_view label, std::string_view mergeKey) {
    history.Commit(page_, selected_, label, mergeKey);
    page_.modified = !history.AtSaved();
    imageCurrent_ = false;
    notify();
}

// --- Document ----------------------------------------------------------------------------------

void CPageEditor::DocumentChanged() {
    selected_ = -1;
    textMode = false;
    goalX_ = -1;
    imageCurrent_ = false;
    history.Reset(page_, -1);
    notify();
}

void CPageEditor::NewPage() {
    page_.NewPage();
    image.Clear();
    DocumentChanged();
}

int CPageEditor::NewFromTemplate(const std::string& path) {
    const int rc = page_.NewFromTemplate(path, image);
    DocumentChanged();
    return rc;
}

int CPageEditor::Open(const std::string& path) {
    const int rc = page_.Load(LOAD_FRAMES, path, image);
    if (rc != FILE_OK) page_.NewPage();
    DocumentChanged();
    return rc;
}

void CPageEditor::Render(CompileProgress* progress) {
    // The compile lays every frame out afresh and drops carets and scroll offsets: keep them.
    std::vector<ViewState> keep;
    for (const auto& f : page_.frames) keep.push_back({f->anchor, f->caret, f->hScroll, f->vScroll});
    image.Compile(page_, prefs.compileOptions(), progress);
    for (size_t i = 0; i < keep.size() && i < page_.frames.size(); ++i) {
        CPageFrame& f = *page_.frames[i];
        f.anchor = keep[i].anchor;
        f.caret = keep[i].caret;
        f.hScroll = keep[i].hScroll;
        f.vScroll = keep[i].vScroll;
    }
    imageCurrent_ = true;
}

int CPageEditor::Save(const std::string& path) {
    if (!imageCurrent_ || page_.modified) Render();
    const int rc = page_.Save(path, image);
    if (rc == FILE_OK) history.MarkSaved();
    notify();
    return rc;
}

// --- Undo --------------------------------------------------------------------------------------

void CPageEditor::Undo() {
    int sel = -1;
    if (!history.Undo(page_, sel)) return;
    selected_ = sel;
    if (selected_ < 0) textMode = false;
    imageCurrent_ = false;
    goalX_ = -1;
    notify();
}

void CPageEditor::Redo() {
    int sel = -1;
    if (!history.Redo(page_, sel)) return;
    selected_ = sel;
    if (selected_ < 0) textMode = false;
    imageCurrent_ = false;
    goalX_ = -1;
    notify();
}

// --- Selection and tracker ---------------------------------------------------------------------

void CPageEditor::Select(int index) {
    if (!page_.frame(index)) index = -1;
    if (index != selected_) {
        selected_ = index;
        textMode = false;
        goalX_ = -1;
        history.BreakMerge();
    }
    notify();
}

HitResult CPageEditor::HitTest(int32_t x, int32_t y, int32_t tol) const {
    tol = std::max<int32_t>(tol, 1);
    if (const CPageFrame* f = selectedFrame()) {
        const Rect& r = f->rect;
        const bool nearX = x >= r.left - tol && x <= r.right + tol;
        const bool nearY = y >= r.top - tol && y <= r.bottom + tol;
        if (nearX && nearY) {
            if (!f->lock) {
                const int32_t cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
                auto at = [&](int32_t hx, int32_t hy) { return std::abs(x - hx) <= tol && std::abs(y - hy) <= tol; };
                if (at(r.left, r.top)) return {selected_, HIT_TOP_LEFT};
                if (at(r.right, r.top)) return {selected_, HIT_TOP_RIGHT};
                if (at(r.right, r.bottom)) return {selected_, HIT_BOTTOM_RIGHT};
                if (at(r.left, r.bottom)) return {selected_, HIT_BOTTOM_LEFT};
                if (at(cx, r.top)) return {selected_, HIT_TOP};
                if (at(r.right, cy)) return {selected_, HIT_RIGHT};
                if (at(cx, r.bottom)) return {selected_, HIT_BOTTOM};
                if (at(r.left, cy)) return {selected_, HIT_LEFT};
            }
            const bool inside = x > r.left + tol && x < r.right - tol && y > r.top + tol && y < r.bottom - tol;
            return {selected_, inside ? HIT_TEXT : HIT_MOVE};
        }
    }
    // The frame drawn on top wins.
    for (int i = page_.frameCount() - 1; i >= 0; --i) {
        const Rect& r = page_.frames[size_t(i)]->rect;
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return {i, HIT_MOVE};
    }
    return {};
}

Rect CPageEditor::DragRect(const Rect& s, TrackerHit hit, int32_t dx, int32_t dy) {
    Rect r = s;
    switch (hit) {
        case HIT_MOVE: return {s.left + dx, s.top + dy, s.right + dx, s.bottom + dy};
        case HIT_TOP_LEFT: r.left += dx, r.top += dy; break;
        case HIT_TOP: r.top += dy; break;
        case HIT_TOP_RIGHT: r.right += dx, r.top += dy; break;
        case HIT_RIGHT: r.right += dx; break;
        case HIT_BOTTOM_RIGHT: r.right += dx, r.bottom += dy; break;
        case HIT_BOTTOM: r.bottom += dy; break;
        case HIT_BOTTOM_LEFT: r.left += dx, r.bottom += dy; break;
        case HIT_LEFT: r.left += dx; break;
        default: break;
    }
    // An edge dragged past the opposite one turns the rectangle over.
    if (r.right < r.left) std::swap(r.left, r.right);
    if (r.bottom < r.top) std::swap(r.top, r.bottom);
    return r;
}

Rect CPageEditor::TrackedRect(int frame, const Rect& requested) const {
    const CPageFrame* f = page_.frame(frame);
    if (!f) return CPageFrame::RectangleRule(Rect{0, 0, INT32_MIN, INT32_MIN}, requested);
    if (f->lock) return f->rect;
    return CPageFrame::RectangleRule(f->rect, requested);
}

bool CPageEditor::SetFrameRect(int frame, const Rect& requested) {
    CPageFrame* f = page_.frame(frame);
    if (!f || f->lock) return false;
    const Rect before = f->rect;
    page_.SetFrameRectangle(frame, requested);
    if (f->rect == before) return false;
    const bool moved = f->rect.width() == before.width() && f->rect.height() == before.height();
    if (frame == selected_) EnsureCaretVisible();
    commit(moved ? "Move frame" : "Resize frame");
    return true;
}

bool CPageEditor::NudgeSelected(int32_t dx, int32_t dy) {
    CPageFrame* f = selectedFrame();
    if (!f || f->lock) return false;
    const Rect before = f->rect;
    page_.SetFrameRectangle(selected_, {before.left + dx, before.top + dy, before.right + dx, before.bottom + dy});
    if (f->rect == before) return false;
    commit("Move frame", "nudge:" + std::to_string(selected_));
    return true;
}

std::string CPageEditor::NextFrameName() {
    for (int n = frameCounter_;; ++n) {
        const std::string name = CPageFrame::DefaultName(n);
        const bool used =
            std::any_of(page_.frames.begin(), page_.frames.end(), [&](const auto& f) { return f->name == name; });
        if (!used || n == INT_MAX) {
            frameCounter_ = n == INT_MAX ? n : n + 1;
            return name;
        }
    }
}

int CPageEditor::CreateFrame(const Rect& rect, bool* demoted) {
    if (styles.styles.empty()) styles.styles.push_back(DefaultStyle(fonts_));
    styles.current = std::clamp(styles.current, 0, styles.count() - 1);
    StyleRecord& style = *styles.currentStyle();
    // A style whose font has gone takes the substitute for good.
    if (CheckStyleFont(style, fonts_)) SaveStyles();
    bool wasDemoted = false;
    const int index = page_.CreateFrame(rect, style.frame, style.para, style.text, NextFrameName(), &wasDemoted);
    if (demoted) *demoted = wasDemoted;
    selected_ = index;
    textMode = true;
    goalX_ = -1;
    commit("New frame");
    return index;
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
    f->DeleteSelection(fonts_);
    goalX_ = -1;
    EnsureCaretVisible();
    commit("Delete", "delete:" + std::to_string(selected_));
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
    f->DeleteSelection(fonts_);
    goalX_ = -1;
    EnsureCaretVisible();
    commit("Delete", "delete:" + std::to_string(selected_));
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

// --- Formatting --------------------------------------------------------------------------------

TextFormat CPageEditor::CaretFormat() const {
    const CPageFrame* f = selectedFrame();
    if (!f)
        return styles.styles.empty() ? TextFormat{}
                                     : styles.styles[size_t(std::clamp(styles.current, 0, styles.count() - 1))].text;
    const TextPos p = f->hasSelection() ? f->selectionStart() : f->caret;
    const CParagraph& para = f->paragraphs[size_t(std::clamp<int32_t>(p.para, 0, int32_t(f->paragraphs.size()) - 1))];
    auto [r, i] = runAtOffset(para, p.offset);
    // At the end of a run with a selection starting there, the selected run is meant.
    if (f->hasSelection() && i == int32_t(para.runs[r].text.size()) && r + 1 < para.runs.size()) ++r;
    return para.runs[r].format;
}

bool CPageEditor::CanSetTextColour() const {
    if (!selectedFrame()) return false;
    const TextFormat t = CaretFormat();
    if (const CBitmapFont* font = fonts_.Find(t.fontName())) return font->isMonochrome();
    return t.tint == 1;
}

void CPageEditor::applyTextPart(TextFormatPart part, const TextFormat& tf, std::string_view label) {
    CPageFrame* f = selectedFrame();
    if (!f) return;
    if (f->hasSelection()) {
        f->SetTextFormat(part, tf, fonts_);
    } else {
        // Nothing selected: the whole frame, empty paragraphs too.
        int32_t tint = tf.tint;
        if (const CBitmapFont* font = fonts_.Find(tf.fontName())) tint = font->isMonochrome() ? 1 : 0;
        for (CParagraph& p : f->paragraphs)
            for (TextRun& r : p.runs) switch (part) {
                    case TEXT_FONT:
                        r.format.setFontName(tf.fontName());
                        r.format.tint = tint;
                        break;
                    case TEXT_COLOUR:
                        if (r.format.tint == 1) r.format.colour = tf.colour;
                        break;
                    case TEXT_LEVEL: r.format.level = tf.level; break;
                }
        f->MergeRuns();
        f->Layout(fonts_);
    }
    EnsureCaretVisible();
    commit(label);
}

void CPageEditor::SetFont(const std::string& name) {
    TextFormat tf;
    tf.setFontName(name);
    applyTextPart(TEXT_FONT, tf, "Font");
}

void CPageEditor::SetTextColour(uint32_t colour) {
    TextFormat tf;
    tf.colour = colour;
    applyTextPart(TEXT_COLOUR, tf, "Text colour");
}

void CPageEditor::SetTextLevel(int level) {
    TextFormat tf;
    tf.level = std::clamp(level, int(LEVEL_SUBSCRIPT), int(LEVEL_SUPERSCRIPT));
    applyTextPart(TEXT_LEVEL, tf, "Text position");
}

ParaFormat CPageEditor::SelectionParaFormat() const {
    ParaFormat out;
    const CPageFrame* f = selectedFrame();
    if (!f) return out;
    const TextPos s = f->selectionStart(), e = f->selectionEnd();
    const int32_t first = std::clamp<int32_t>(s.para, 0, int32_t(f->paragraphs.size()) - 1);
    const int32_t last = std::clamp<int32_t>(e.para, first, int32_t(f->paragraphs.size()) - 1);
    out = f->paragraphs[size_t(first)].format;
    auto mix = [](int32_t& field, int32_t v) {
        if (field != v) field = -1;
    };
    for (int32_t i = first + 1; i <= last; ++i) {
        const ParaFormat& p = f->paragraphs[size_t(i)].format;
        mix(out.align, p.align);
        mix(out.lineSpacing, p.lineSpacing);
        mix(out.leftMargin, p.leftMargin);
        mix(out.rightMargin, p.rightMargin);
        mix(out.spaceBefore, p.spaceBefore);
        mix(out.spaceAfter, p.spaceAfter);
        mix(out.indent, p.indent);
    }
    return out;
}

void CPageEditor::ApplyParaFormat(const ParaFormat& pf) {
    CPageFrame* f = selectedFrame();
    if (!f) return;
    f->ApplyParaFormat(pf, fonts_);
    EnsureCaretVisible();
    commit("Paragraph formatting");
}

bool CPageEditor::CanAlign() const {
    const CPageFrame* f = selectedFrame();
    return f && f->format.type != FRAME_SCROLLER;
}

void CPageEditor::SetAlignment(int32_t align) {
    if (!CanAlign()) return;
    ParaFormat pf;
    pf.align = std::clamp<int32_t>(align, ALIGN_LEFT, ALIGN_RIGHT);
    pf.lineSpacing = pf.leftMargin = pf.rightMargin = pf.spaceBefore = pf.spaceAfter = pf.indent = -1;
    CPageFrame* f = selectedFrame();
    f->ApplyParaFormat(pf, fonts_);
    EnsureCaretVisible();
    commit("Alignment");
}

bool CPageEditor::CanChangeFrameType() const { return page_.CanChangeFrameType(selected_); }

void CPageEditor::SetFrameType(int32_t type) {
    if (!page_.SetFrameType(selected_, type)) return;
    EnsureCaretVisible();
    commit("Frame type");
}

bool CPageEditor::CanSetVAlign() const {
    const CPageFrame* f = selectedFrame();
    return f && f->format.type != FRAME_ROLL;
}

void CPageEditor::SetVAlign(int32_t vAlign) {
    if (!CanSetVAlign()) return;
    CPageFrame* f = selectedFrame();
    f->format.vAlign = std::clamp<int32_t>(vAlign, VALIGN_TOP, VALIGN_BOTTOM);
    f->Layout(fonts_);
    EnsureCaretVisible();
    commit("Vertical alignment");
}

void CPageEditor::SetFrameColour(uint32_t colour) {
    CPageFrame* f = selectedFrame();
    if (!f) return;
    f->format.colour = colour;
    commit("Frame colour");
}

FrameFormatting CPageEditor::SelectedFrameFormatting() const {
    FrameFormatting out;
    if (const CPageFrame* f = selectedFrame()) {
        out.name = f->name;
        out.left = f->rect.left;
        out.top = f->rect.top;
        out.width = f->rect.width();
        out.height = f->rect.height();
        out.border = f->format.border;
        out.backgroundFrame = f->format.backgroundFrame;
    }
    return out;
}

bool CPageEditor::CanEditBorder() const {
    const CPageFrame* f = selectedFrame();
    return f && f->isMoving();
}

bool CPageEditor::CanEditBackgroundFrame() const {
    const CPageFrame* f = selectedFrame();
    return f && (f->isMoving() || f->isBanner());
}

void CPageEditor::ApplyFrameFormatting(const FrameFormatting& ff) {
    CPageFrame* f = selectedFrame();
    if (!f) return;
    std::string name;
    for (char c : ff.name)
        if (static_cast<unsigned char>(c) >= 32) name += c;
    f->name = name;
    if (CanEditBorder()) f->format.border = std::clamp<int32_t>(ff.border, 0, 14);
    if (CanEditBackgroundFrame()) f->format.backgroundFrame = ff.backgroundFrame ? 1 : 0;
    const int64_t right = int64_t(ff.left) + std::max(0, ff.width), bottom = int64_t(ff.top) + std::max(0, ff.height);
    page_.SetFrameRectangle(selected_, {ff.left, ff.top, int32_t(std::min<int64_t>(right, INT32_MAX)),
                                        int32_t(std::min<int64_t>(bottom, INT32_MAX))});
    EnsureCaretVisible();
    commit("Frame formatting");
}

void CPageEditor::ToggleLock() {
    CPageFrame* f = selectedFrame();
    if (!f) return;
    f->lock = f->lock ? 0 : 1;
    commit(f->lock ? "Lock" : "Unlock");
}

void CPageEditor::DeleteSelectedFrame() {
    if (!selectedFrame()) return;
    page_.DeleteFrame(selected_);
    selected_ = -1;
    textMode = false;
    commit("Delete frame");
}

void CPageEditor::BringToFront() {
    if (!selectedFrame()) return;
    page_.BringToFront(selected_);
    selected_ = page_.frameCount() - 1;
    commit("Bring to front");
}

void CPageEditor::SendToBack() {
    if (!selectedFrame()) return;
    page_.SendToBack(selected_);
    selected_ = 0;
    commit("Send to back");
}

void CPageEditor::SetPageColour(uint32_t colour) {
    page_.SetBackgroundColour(colour);
    commit("Page colour");
}

void CPageEditor::SetFramePicture(const CBitmap32& picture, bool resize) {
    CPageFrame* f = selectedFrame();
    if (!f || picture.empty()) return;
    f->picture = picture;
    f->format.hasPicture = 1;
    if (resize) {
        const Rect& r = f->rect;
        page_.SetFrameRectangle(selected_, {r.left, r.top, r.left + picture.width(), r.top + picture.height()});
    }
    commit("Import picture");
}

void CPageEditor::RemoveFramePicture() {
    CPageFrame* f = selectedFrame();
    if (!f || !f->hasPicture()) return;
    f->format.hasPicture = 0;
    f->picture.clear();
    commit("Remove picture");
}

bool CPageEditor::CanLinkBanner() const { return page_.CanLinkBanner(selected_); }

int CPageEditor::LinkBanner(const std::string& path) {
    CPageFrame* f = selectedFrame();
    if (!f || !CanLinkBanner()) return FILE_OK;
    BannerHeader header;
    CBitmap32 preview;
    const int rc = ReadBannerHead(path, header, preview);
    if (rc != FILE_OK) {
        if (f->isBanner()) {
            f->format.bannerLink = 0;
            f->bannerPath.clear();
            f->picture.clear();
            commit("Unlink banner");
        }
        return rc;
    }
    f->format.hasPicture = 0;
    if (f->format.type != FRAME_FIXED) page_.SetFrameType(selected_, FRAME_FIXED);
    page_.LinkBanner(selected_, path, preview);
    const Rect r = f->rect;
    page_.SetFrameRectangle(selected_, {r.left, r.top, r.left + header.width, r.top + header.height});
    commit("Link banner");
    return FILE_OK;
}

void CPageEditor::SetBackgroundPicture(const CBitmap32& picture, int32_t x, int32_t y, int32_t sx, int32_t sy) {
    page_.SetBackgroundPicture(picture, x, y, sx, sy);
    commit("Background picture");
}

// --- Styles ------------------------------------------------------------------------------------

void CPageEditor::LoadStyles() {
    if (stylePath.empty()) styles.LoadText({}, fonts_);
    else styles.Load(stylePath, fonts_);
}

void CPageEditor::SaveStyles() {
    if (!stylePath.empty()) styles.Save(stylePath);
}

ApplyStyleResult CPageEditor::ChooseStyle(int index) {
    ApplyStyleResult r;
    StyleRecord* style = styles.style(index);
    if (!style) return r;
    styles.current = index;
    if (!selectedFrame()) {
        notify();
        return r;
    }
    r = ApplyStyle(page_, selected_, *style);
    if (r.fontReplaced) SaveStyles();
    textMode = true;
    commit("Apply style");
    return r;
}

int CPageEditor::AddStyleFromSelection() {
    const CPageFrame* f = selectedFrame();
    if (!f) return -1;
    return styles.Append(StyleFromFrame(*f, app::LoadString(IDS_NEW_STYLE)));
}

// --- Picture of the page -----------------------------------------------------------------------

void CPageEditor::DrawScreen(CBitmap32& screen) const {
    if (screen.width() != PAGE_WIDTH || screen.height() != PAGE_HEIGHT) screen.create(PAGE_WIDTH, PAGE_HEIGHT);
    if (reference_.width() == PAGE_WIDTH && reference_.height() == PAGE_HEIGHT)
        screen.blit(reference_, 0, 0, PAGE_WIDTH, PAGE_HEIGHT, 0, 0, BLIT_COPY);
    else screen.fillAll(0x00000000);
    // Whatever the pictures say, the screen stays opaque.
    screen.blit(page_.background, 0, 0, PAGE_WIDTH, PAGE_HEIGHT, 0, 0, BLIT_BLEND);
    for (int i = 0; i < page_.frameCount(); ++i) {
        const CPageFrame& f = *page_.frames[size_t(i)];
        const Rect& r = f.rect;
        if (IsVisibleColour(f.format.colour)) {
            if (prefs.useBlend) screen.fill(f.format.colour, r.left, r.top, r.width(), r.height(), true);
            else screen.fill(f.format.colour & 0x00FFFFFF, r.left, r.top, r.width(), r.height(), false);
        }
        if ((f.hasPicture() || f.isBanner()) && !f.picture.empty())
            screen.blit(f.picture, r.left, r.top, std::min(r.width(), f.picture.width()),
                        std::min(r.height(), f.picture.height()), 0, 0, BLIT_BLEND);
        const Rect clip{std::max(0, r.left), std::max(0, r.top), std::min<int32_t>(PAGE_WIDTH, r.right),
                        std::min<int32_t>(PAGE_HEIGHT, r.bottom)};
        if (!clip.empty()) f.Draw(fonts_, screen.view(), clip, prefs.useShadow ? 0 : 1, i == selected_ && textMode);
    }
    if (prefs.useClip) {
        const int32_t cx = std::clamp(prefs.clipX, 0, int(CLIP_OFFSET_MAX));
        const int32_t cy = std::clamp(prefs.clipY, 0, int(CLIP_OFFSET_MAX));
        screen.invertColumn(cx);
        screen.invertColumn(PAGE_WIDTH - 1 - cx);
        screen.invertRow(cy);
        screen.invertRow(PAGE_HEIGHT - 1 - cy);
    }
    // Opaque for the display whatever was blended in.
    uint8_t* p = screen.bits();
    for (size_t n = size_t(PAGE_WIDTH) * PAGE_HEIGHT; n--; p += 4) p[PIX_TRANS] = 0;
}

}  // namespace pages
