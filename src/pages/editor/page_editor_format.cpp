// The page editor's formatting commands: text, paragraph and frame formats, frame order and
// lock, pictures, banners and the page background, with the rules that allow them.
#include <algorithm>
#include <climits>

#include "pages/banner_file.h"
#include "pages/editor/page_editor.h"
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

}  // namespace

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

void CPageEditor::applyParaFormat(const ParaFormat& pf, std::string_view label) {
    CPageFrame* f = selectedFrame();
    if (!f) return;
    f->ApplyParaFormat(pf, fonts_);
    EnsureCaretVisible();
    commit(label);
}

void CPageEditor::ApplyParaFormat(const ParaFormat& pf) { applyParaFormat(pf, "Paragraph formatting"); }

bool CPageEditor::CanAlign() const {
    const CPageFrame* f = selectedFrame();
    return f && f->format.type != FRAME_SCROLLER;
}

void CPageEditor::SetAlignment(int32_t align) {
    if (!CanAlign()) return;
    ParaFormat pf;
    pf.align = std::clamp<int32_t>(align, ALIGN_LEFT, ALIGN_RIGHT);
    pf.lineSpacing = pf.leftMargin = pf.rightMargin = pf.spaceBefore = pf.spaceAfter = pf.indent = -1;
    applyParaFormat(pf, "Alignment");
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

}  // namespace pages
