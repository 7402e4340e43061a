#include "pages/editor/page_history.h"

#include <unordered_set>

#include "pages/page_doc.h"

namespace pages {

namespace {

size_t frameBytes(const CPageFrame& f) {
    size_t n = sizeof(CPageFrame) + f.name.size() + f.bannerPath.size() + f.picture.byteSize() +
               f.lines.size() * sizeof(TextLine);
    for (const CParagraph& p : f.paragraphs) {
        n += sizeof(CParagraph);
        for (const TextRun& r : p.runs) n += sizeof(TextRun) + r.text.size();
    }
    return n;
}

}  // namespace

bool SameFrameContent(const CPageFrame& a, const CPageFrame& b) {
    if (a.name != b.name || !(a.rect == b.rect) || a.lock != b.lock || a.bannerPath != b.bannerPath ||
        a.format != b.format || a.paragraphs.size() != b.paragraphs.size())
        return false;
    for (size_t i = 0; i < a.paragraphs.size(); ++i) {
        const CParagraph &p = a.paragraphs[i], &q = b.paragraphs[i];
        if (p.format != q.format || p.runs.size() != q.runs.size()) return false;
        for (size_t k = 0; k < p.runs.size(); ++k)
            if (p.runs[k].text != q.runs[k].text || p.runs[k].format != q.runs[k].format) return false;
    }
    return a.picture == b.picture;
}

CPageHistory::CPageHistory(size_t maxSteps, size_t maxBytes)
    : maxSteps_(maxSteps ? maxSteps : 1), maxBytes_(maxBytes) {}

CPageHistory::State CPageHistory::capture(const CPageDoc& page, int selected, const State* prev) const {
    State s;
    s.backgroundColour = page.backgroundColour;
    s.hasBackgroundPicture = page.hasBackgroundPicture;
    s.backgroundRect = page.backgroundRect;
    s.selected = selected;
    if (prev && prev->background && *prev->background == page.background) s.background = prev->background;
    else s.background = std::make_shared<const CBitmap32>(page.background);
    for (size_t i = 0; i < page.frames.size(); ++i) {
        const CPageFrame& f = *page.frames[i];
        std::shared_ptr<const CPageFrame> same;
        if (prev) {
            // Most edits leave each frame where it was; look there first, then anywhere.
            if (i < prev->frames.size() && SameFrameContent(*prev->frames[i], f)) same = prev->frames[i];
            for (size_t k = 0; !same && k < prev->frames.size(); ++k)
                if (SameFrameContent(*prev->frames[k], f)) same = prev->frames[k];
        }
        s.frames.push_back(same ? same : std::make_shared<const CPageFrame>(f));
    }
    return s;
}

bool CPageHistory::sameState(const State& a, const State& b) {
    return a.backgroundColour == b.backgroundColour && a.hasBackgroundPicture == b.hasBackgroundPicture &&
           a.backgroundRect == b.backgroundRect && a.background == b.background && a.frames == b.frames;
}

void CPageHistory::Reset(const CPageDoc& page, int selected) {
    states_.clear();
    states_.push_back(capture(page, selected, nullptr));
    index_ = 0;
    saved_ = 0;
    mergeKey_.clear();
}

void CPageHistory::Commit(const CPageDoc& page, int selected, std::string_view label, std::string_view mergeKey) {
    if (states_.empty()) {
        Reset(page, selected);
        return;
    }
    const bool merge = !mergeKey.empty() && mergeKey == mergeKey_ && index_ > 0 && index_ + 1 == states_.size();
    // Compared with the state before the merged step, so that typing and deleting back to it
    // leaves no step.
    const State& base = merge ? states_[index_ - 1] : states_[index_];
    State s = capture(page, selected, &states_[index_]);
    mergeKey_ = std::string(mergeKey);
    if (merge) {
        if (saved_ == long(index_)) saved_ = -1;
        if (sameState(s, base)) {
            // Back to where the run of merged edits started: the step disappears.
            states_.pop_back();
            --index_;
            mergeKey_.clear();
            return;
        }
        s.label = states_[index_].label;
        states_[index_] = std::move(s);
        return;
    }
    if (sameState(s, base)) {
        states_[index_].selected = selected;
        return;
    }
    s.label = std::string(label);
    states_.erase(states_.begin() + long(index_) + 1, states_.end());
    if (saved_ > long(index_)) saved_ = -1;
    states_.push_back(std::move(s));
    ++index_;
    trim();
}

void CPageHistory::trim() {
    while (states_.size() > 1 && (states_.size() - 1 > maxSteps_ || bytes() > maxBytes_) && index_ > 0) {
        states_.erase(states_.begin());
        --index_;
        saved_ = saved_ > 0 ? saved_ - 1 : -1;
    }
}

size_t CPageHistory::bytes() const {
    std::unordered_set<const void*> seen;
    size_t n = 0;
    for (const State& s : states_) {
        if (s.background && seen.insert(s.background.get()).second) n += s.background->byteSize();
        for (const auto& f : s.frames)
            if (seen.insert(f.get()).second) n += frameBytes(*f);
    }
    return n;
}

std::string CPageHistory::UndoLabel() const { return CanUndo() ? states_[index_].label : std::string(); }
std::string CPageHistory::RedoLabel() const { return CanRedo() ? states_[index_ + 1].label : std::string(); }

void CPageHistory::restore(const State& s, CPageDoc& page, int& selected) const {
    page.backgroundColour = s.backgroundColour;
    page.hasBackgroundPicture = s.hasBackgroundPicture;
    page.backgroundRect = s.backgroundRect;
    if (s.background) page.background = *s.background;
    page.frames.clear();
    for (const auto& f : s.frames) {
        auto copy = std::make_unique<CPageFrame>(*f);
        copy->Layout(page.fonts());
        page.frames.push_back(std::move(copy));
    }
    selected = s.selected < page.frameCount() ? s.selected : -1;
    page.modified = !AtSaved();
}

bool CPageHistory::Undo(CPageDoc& page, int& selected) {
    if (!CanUndo()) return false;
    // The selection of the undone step is where the operator was working.
    const int at = states_[index_].selected;
    --index_;
    mergeKey_.clear();
    restore(states_[index_], page, selected);
    if (at >= 0 && at < page.frameCount()) selected = at;
    return true;
}

bool CPageHistory::Redo(CPageDoc& page, int& selected) {
    if (!CanRedo()) return false;
    ++index_;
    mergeKey_.clear();
    restore(states_[index_], page, selected);
    return true;
}

}  // namespace pages
