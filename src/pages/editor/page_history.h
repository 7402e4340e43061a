// Undo and redo for the page editor: the page's states one after the other. A state holds the
// page's content (background and frames); states share every frame and background that did not
// change between them, so a long history of small edits costs little memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pages/bitmap32.h"
#include "pages/page_frame.h"

namespace pages {

class CPageDoc;

// Whether two frames hold the same page content (layout, carets and scroll offsets aside).
bool SameFrameContent(const CPageFrame& a, const CPageFrame& b);

class CPageHistory {
public:
    // The history keeps at most maxSteps undo steps and drops the oldest beyond about maxBytes.
    explicit CPageHistory(size_t maxSteps = 200, size_t maxBytes = size_t(256) << 20);

    // Starts again from the page as it is (after new and open): nothing to undo or redo, and
    // this state counts as saved.
    void Reset(const CPageDoc& page, int selected);
    // Records the page after an edit, labelled for the menu ("Undo Typing"). Commits with the
    // same non-empty merge key in a row become one step (typing, nudging). A commit that
    // changed nothing adds no step. Anything that could be redone is dropped.
    void Commit(const CPageDoc& page, int selected, std::string_view label, std::string_view mergeKey = {});
    // Ends the running merge (the caret moved, another command came between).
    void BreakMerge() { mergeKey_.clear(); }

    bool CanUndo() const { return index_ > 0; }
    bool CanRedo() const { return index_ + 1 < states_.size(); }
    std::string UndoLabel() const;
    std::string RedoLabel() const;
    // Puts the page back into the previous / next state (laid out again); selected gets the
    // frame that was selected then. The page's modified flag follows the saved state.
    bool Undo(CPageDoc& page, int& selected);
    bool Redo(CPageDoc& page, int& selected);

    // The page was saved in its current state.
    void MarkSaved() {
        saved_ = long(index_);
        mergeKey_.clear();
    }
    bool AtSaved() const { return saved_ == long(index_); }

    size_t steps() const { return states_.empty() ? 0 : states_.size() - 1; }
    size_t position() const { return index_; }
    // Memory held by the distinct frames and backgrounds of all states (approximate).
    size_t bytes() const;

private:
    struct State {
        uint32_t backgroundColour = 0;
        bool hasBackgroundPicture = false;
        Rect backgroundRect;
        std::shared_ptr<const CBitmap32> background;
        std::vector<std::shared_ptr<const CPageFrame>> frames;
        int selected = -1;
        std::string label;  // of the edit that led to this state
    };

    State capture(const CPageDoc& page, int selected, const State* previous) const;
    static bool sameState(const State& a, const State& b);
    void restore(const State& s, CPageDoc& page, int& selected) const;
    void trim();

    size_t maxSteps_, maxBytes_;
    std::vector<State> states_;
    size_t index_ = 0;
    long saved_ = 0;  // index of the saved state, -1 when it is gone
    std::string mergeKey_;
};

}  // namespace pages
