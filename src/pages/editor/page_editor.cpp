#include "pages/editor/page_editor.h"

#include <algorithm>
#include <array>
#include <climits>

#include "app/strings.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"

namespace pages {

namespace {

// The value a command of a group of three stands for, by its place in the group.
int32_t inGroup(EditorCommand command, EditorCommand first, const std::array<int32_t, 3>& values) {
    return values[size_t(command - first)];
}

struct ViewState {
    TextPos anchor, caret;
    int32_t hScroll, vScroll;
};

}  // namespace

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

void CPageEditor::historyStepped(int sel) {
    selected_ = sel;
    if (selected_ < 0) textMode = false;
    imageCurrent_ = false;
    goalX_ = -1;
    notify();
}

void CPageEditor::Undo() {
    int sel = -1;
    if (history.Undo(page_, sel)) historyStepped(sel);
}

void CPageEditor::Redo() {
    int sel = -1;
    if (history.Redo(page_, sel)) historyStepped(sel);
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

// --- Commands ----------------------------------------------------------------------------------

CommandStatus CPageEditor::CommandState(EditorCommand command, const CommandContext& outside) const {
    const CPageFrame* f = selectedFrame();
    const bool sel = f != nullptr;
    switch (command) {
        case CMD_UNDO: return {CanUndo()};
        case CMD_REDO: return {CanRedo()};
        case CMD_CUT:
        case CMD_COPY: return {hasTextSelection()};
        case CMD_PASTE: return {sel && outside.clipboardHasText};
        case CMD_IMPORT_PICTURE: return {sel && !f->isBanner()};
        case CMD_REMOVE_PICTURE: return {sel && f->hasPicture()};
        case CMD_LINK_BANNER: return {sel && CanLinkBanner()};
        case CMD_PLAY: return {outside.canPreview};
        case CMD_DELETE:
        case CMD_SELECT_ALL:
        case CMD_IMPORT_TEXT:
        case CMD_FRAME_FORMAT:
        case CMD_FRAME_COLOUR:
        case CMD_FRONT:
        case CMD_BACK:
        case CMD_DELETE_FRAME:
        case CMD_ADD_STYLE:
        case CMD_PARAGRAPH: return {sel};
        case CMD_LOCK: return {sel, sel && f->lock != 0};
        case CMD_FIXED:
        case CMD_SCROLLER:
        case CMD_ROLL:
            return {sel && CanChangeFrameType(),
                    sel && f->format.type == inGroup(command, CMD_FIXED, {FRAME_FIXED, FRAME_SCROLLER, FRAME_ROLL})};
        case CMD_VTOP:
        case CMD_VCENTER:
        case CMD_VBOTTOM:
            return {CanSetVAlign(),
                    sel && f->format.vAlign == inGroup(command, CMD_VTOP, {VALIGN_TOP, VALIGN_CENTER, VALIGN_BOTTOM})};
        case CMD_ALIGN_LEFT:
        case CMD_ALIGN_CENTER:
        case CMD_ALIGN_RIGHT:
            return {CanAlign(), sel && SelectionParaFormat().align ==
                                           inGroup(command, CMD_ALIGN_LEFT, {ALIGN_LEFT, ALIGN_CENTER, ALIGN_RIGHT})};
        case CMD_SUBSCRIPT:
        case CMD_NORMAL:
        case CMD_SUPERSCRIPT:
            return {sel, sel && CaretFormat().level == inGroup(command, CMD_SUBSCRIPT,
                                                               {LEVEL_SUBSCRIPT, LEVEL_NORMAL, LEVEL_SUPERSCRIPT})};
        case CMD_TEXT_COLOUR: return {CanSetTextColour()};
        case CMD_REMOVE_BACKGROUND: return {page_.hasBackgroundPicture};
        case CMD_VIEW_BACKGROUND: return {true, prefs.hasBackground};
        default: return {};  // files, styles library, page colour, zoom, ...: always there
    }
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
