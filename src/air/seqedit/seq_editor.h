// The sequence editor without its windows: every command that changes the sequence (checks,
// dates, effects, order, cut/copy/paste, removal, new and replaced pages), the editor's
// selection and clipboard, the texts of the grid, and the editor's settings. The windows show
// what it holds and hand the operator's commands to it. Every change marks the document
// modified and computes the totals again from the first item.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "air/seq_doc.h"
#include "air/seqedit/seq_dates.h"
#include "air/show_params.h"

namespace app {
class Profile;
}

namespace air {

class CEffectDialogModel;

// Grid columns.
enum SeqColumn : int {
    SEQ_COL_NUMBER,
    SEQ_COL_CHECK,
    SEQ_COL_DATE,
    SEQ_COL_TIME,
    SEQ_COL_EFFECT,
    SEQ_COL_TYPE,
    SEQ_COL_PAGE,
    SEQ_COL_ABSTRACT,
    SEQ_COL_COMMENT,
    SEQ_COLUMN_COUNT,
};
// Header strings of the columns: SEQ_COLUMN_TITLE + column.
constexpr int IDS_SEQ_COLUMN_TITLE = 15060;

// The editor's settings (section "SequenceEditor").
struct SeqEditorSettings {
    static constexpr int kDefaultWidths[SEQ_COLUMN_COUNT] = {48, 48, 132, 56, 62, 42, 192, 192, 192};
    int columnWidth[SEQ_COLUMN_COUNT] = {48, 48, 132, 56, 62, 42, 192, 192, 192};
    bool invert = false;
    ShowParams defEffect;  // given to pages added to the sequence

    void Load(const app::Profile& ini);
    void Save(app::Profile& ini) const;
};

// ---- The editor

class CSeqEditor {
public:
    explicit CSeqEditor(CSeqDoc& doc);

    CSeqDoc& doc() { return doc_; }
    const CSeqDoc& doc() const { return doc_; }
    int count() const { return doc_.count(); }

    // Display order: with invert the last item is shown first.
    bool invert() const { return invert_; }
    void setInvert(bool on) { invert_ = on; }
    int itemOfRow(int row) const { return invert_ ? count() - 1 - row : row; }
    int rowOfItem(int index) const { return invert_ ? count() - 1 - index : index; }

    // Selected items, ascending item indexes.
    const std::vector<int>& selection() const { return selection_; }
    void setSelection(std::vector<int> items);
    void selectAll();
    bool isSelected(int index) const;

    // ---- Commands; each answers whether the sequence changed.
    bool ToggleCheck(int index);
    // Over the selection: when at most half of the loaded items are checked, check them all,
    // else uncheck them all.
    bool CheckOrUncheckSelection();
    bool CheckByDate(const CheckByDateSettings& s);
    // Removes every unchecked item; answers how many went.
    int RemoveUnchecked();
    bool SetShowDate(const ShowDateEdit& edit);
    // The effect dialog over the selection (made with EffectModelForSelection) after OK.
    bool ApplyEffect(const CEffectDialogModel& model);
    // The dialog over the selected items: outApplies for any of them may be the last one played.
    CEffectDialogModel EffectModelForSelection() const;
    // Moves the selected block one place towards the start (Up) or the end (Down) of the list.
    bool MoveSelection(bool towardsStart);
    // Up and Down as the operator sees them: under "Invert" the list runs the other way.
    bool MoveRowsUp() { return MoveSelection(!invert_); }
    bool MoveRowsDown() { return MoveSelection(invert_); }
    // The editor's own clipboard.
    void CopySelection();
    bool CutSelection();
    // Appends copies of the clipboard and selects them.
    bool Paste();
    bool clipboardEmpty() const { return clipboard_.empty(); }
    bool RemoveItem(int index);
    // Appends page files with the given show parameters and selects them.
    bool AddFiles(const std::vector<std::string>& paths, const ShowParams& params);
    // "Replace page": another file for the item, read again.
    bool ReplacePage(int index, const std::string& path);
    // Typing into the Time and Comment cells.
    bool TimeEditable(int index) const;
    bool SetShowTime(int index, int seconds);
    bool SetComment(int index, const std::string& text);
    bool ToggleLoop();
    // Reads every page header again, keeping the check marks (pages that cannot be read are
    // unchecked). Not a change of the document.
    void Refresh();
    // Items whose page file is path are read again; answers how many.
    int ReloadPage(const std::string& path);
    // Sorting by a column header: Date, Time, Page, Abstract and Comment, with two or more
    // items; descending under "Invert". The selection follows its items.
    static bool Sortable(int column);
    bool CanSort(int column) const { return Sortable(column) && count() >= 2; }
    bool Sort(int column);

    // ---- The page editor working for the sequence.
    // "Add page" / "Edit page" or "Create new page" for an item; Free for the plain page editor.
    void PageEditorOpenedToAdd(const ShowParams& params);
    void PageEditorOpenedForItem(int index);
    void PageEditorOpenedFree();
    int pageEditorItem() const { return linkItem_; }
    // A page was saved by the page editor: a page being added joins the sequence (and is
    // selected), an item given a new file name takes it, and every item of that file is read
    // again. Answers whether the sequence changed.
    bool OnPageSaved(const std::string& path);

    // ---- Texts of the grid
    static std::string DateText(const SeqItem& item);
    static std::string TotalText(int seconds);         // "%d:%02d"
    static std::string SizeText(const SeqItem& item);  // "%d x %d" of the bounding box
    std::string CellText(int index, int column) const;
    std::string SummaryText(int column) const;

private:
    // Marks the document modified and computes the totals.
    void changed();
    // New order: order[n] is the old index of the item now at n; selection and the linked item
    // follow their items.
    void reorder(const std::vector<int>& order);
    // Removes the items of the ascending list; selection and linked item follow.
    void removeItems(const std::vector<int>& indexes);
    std::vector<const SeqItem*> selectedItems() const;
    void pruneSelection();

    CSeqDoc& doc_;
    bool invert_ = false;
    std::vector<int> selection_;
    std::vector<SeqItem> clipboard_;
    int linkUse_ = 0;       // app::PageEditorUse
    int linkItem_ = -1;     // the item the page editor works for
    ShowParams addParams_;  // of the page "Add page" will append
};

}  // namespace air
