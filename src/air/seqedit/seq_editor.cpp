#include "air/seqedit/seq_editor.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <numeric>

#include "air/effect_dialog_model.h"
#include "air/effects.h"
#include "app/log/event_log.h"
#include "app/page_editor_link.h"
#include "app/profile.h"

namespace air {

namespace {

constexpr const char* kSection = "SequenceEditor";

bool samePath(const std::string& a, const std::string& b) {
    if (a == b) return true;
    namespace fs = std::filesystem;
    return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
}

// Three-way comparisons of the sortable columns.
int compareDates(const SeqItem& a, const SeqItem& b) {
    // Field by field: the stored block's bytes run low byte first, which would misplace years
    // across a multiple of 256.
    if (a.useDate != b.useDate) return a.useDate < b.useDate ? -1 : 1;
    if (a.dateFrom != b.dateFrom) return a.dateFrom < b.dateFrom ? -1 : 1;
    if (a.dateTo != b.dateTo) return a.dateTo < b.dateTo ? -1 : 1;
    if (a.weekdays != b.weekdays) return a.weekdays < b.weekdays ? -1 : 1;
    return 0;
}

int compareText(const std::string& a, const std::string& b) { return a.compare(b) < 0 ? -1 : a == b ? 0 : 1; }

}  // namespace

// ---- Settings

void SeqEditorSettings::Load(const app::Profile& ini) {
    for (int c = 0; c < SEQ_COLUMN_COUNT; ++c) {
        const int w = ini.getInt(kSection, "Column" + std::to_string(c), kDefaultWidths[c]);
        // A damaged width must not hide a column for good.
        columnWidth[c] = w > 0 && w <= 4000 ? w : kDefaultWidths[c];
    }
    invert = ini.getInt(kSection, "Invert", 0) != 0;
    defEffect = LoadShowParams(ini, kSection, "DefEffect");
}

void SeqEditorSettings::Save(app::Profile& ini) const {
    for (int c = 0; c < SEQ_COLUMN_COUNT; ++c) ini.putInt(kSection, "Column" + std::to_string(c), columnWidth[c]);
    ini.putInt(kSection, "Invert", invert ? 1 : 0);
}

// ---- CSeqEditor

CSeqEditor::CSeqEditor(CSeqDoc& doc) : doc_(doc) {}

void CSeqEditor::changed() {
    doc_.modified = true;
    doc_.ComputeTotal(0);
}

void CSeqEditor::setSelection(std::vector<int> items) {
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    std::erase_if(items, [this](int i) { return i < 0 || i >= count(); });
    selection_ = std::move(items);
}

void CSeqEditor::selectAll() {
    selection_.resize(size_t(count()));
    std::iota(selection_.begin(), selection_.end(), 0);
}

void CSeqEditor::pruneSelection() {
    // The shared sequence may have been replaced (the Live view loads sequences into it).
    std::erase_if(selection_, [this](int i) { return i < 0 || i >= count(); });
}

bool CSeqEditor::isSelected(int index) const { return std::binary_search(selection_.begin(), selection_.end(), index); }

std::vector<const SeqItem*> CSeqEditor::selectedItems() const {
    std::vector<const SeqItem*> out;
    for (int i : selection_)
        if (const SeqItem* it = doc_.item(i)) out.push_back(it);
    return out;
}

void CSeqEditor::reorder(const std::vector<int>& order) {
    std::vector<SeqItem> moved;
    moved.reserve(order.size());
    std::vector<int> newIndex(order.size());
    for (size_t n = 0; n < order.size(); ++n) {
        moved.push_back(std::move(doc_.items[size_t(order[n])]));
        newIndex[size_t(order[n])] = int(n);
    }
    doc_.items = std::move(moved);
    for (int& i : selection_) i = newIndex[size_t(i)];
    std::sort(selection_.begin(), selection_.end());
    if (linkItem_ >= 0 && linkItem_ < int(newIndex.size())) linkItem_ = newIndex[size_t(linkItem_)];
}

void CSeqEditor::removeItems(const std::vector<int>& indexes) {
    if (indexes.empty()) return;
    std::vector<int> newIndex(static_cast<size_t>(count()));
    std::vector<SeqItem> kept;
    kept.reserve(size_t(count()) - indexes.size());
    size_t r = 0;
    for (int i = 0; i < count(); ++i) {
        if (r < indexes.size() && indexes[r] == i) {
            newIndex[size_t(i)] = -1;
            ++r;
            continue;
        }
        newIndex[size_t(i)] = int(kept.size());
        kept.push_back(std::move(doc_.items[size_t(i)]));
    }
    doc_.items = std::move(kept);
    std::vector<int> sel;
    for (int i : selection_)
        if (newIndex[size_t(i)] >= 0) sel.push_back(newIndex[size_t(i)]);
    selection_ = std::move(sel);
    if (linkItem_ >= 0 && linkItem_ < int(newIndex.size())) {
        linkItem_ = newIndex[size_t(linkItem_)];
        // The page editor's item is gone: what it saves now is its own business.
        if (linkItem_ < 0) PageEditorOpenedFree();
    }
}

bool CSeqEditor::ToggleCheck(int index) {
    SeqItem* it = doc_.item(index);
    if (!it || !it->SetChecked(!it->checked)) return false;
    changed();
    return true;
}

bool CSeqEditor::CheckOrUncheckSelection() {
    pruneSelection();
    int loaded = 0, checked = 0;
    for (const SeqItem* it : selectedItems()) {
        loaded += it->loaded;
        checked += it->checked;
    }
    const bool wanted = checked * 2 <= loaded;
    bool any = false;
    for (int i : selection_) any |= doc_.items[size_t(i)].SetChecked(wanted);
    if (any) changed();
    return any;
}

bool CSeqEditor::CheckByDate(const CheckByDateSettings& s) {
    const SeqDate today = doc_.today();
    bool any = false;
    for (SeqItem& it : doc_.items) any |= it.SetChecked(CheckWish(it, s, today));
    if (any) changed();
    return any;
}

int CSeqEditor::RemoveUnchecked() {
    std::vector<int> gone;
    for (int i = 0; i < count(); ++i)
        if (!doc_.items[size_t(i)].checked) gone.push_back(i);
    removeItems(gone);
    if (!gone.empty()) changed();
    return int(gone.size());
}

bool CSeqEditor::SetShowDate(const ShowDateEdit& edit) {
    pruneSelection();
    bool any = false;
    const SeqDate today = doc_.today();
    for (int i : selection_) {
        SeqItem& it = doc_.items[size_t(i)];
        const SeqItem before = it;
        edit.ApplyTo(it);
        if (it.useDate == before.useDate && it.dateFrom == before.dateFrom && it.dateTo == before.dateTo &&
            it.weekdays == before.weekdays)
            continue;
        // A new rule decides at once whether the page plays today.
        it.SetChecked(it.MatchesDate(today));
        any = true;
    }
    if (any) changed();
    return any;
}

CEffectDialogModel CSeqEditor::EffectModelForSelection() const {
    std::vector<ShowParams> params;
    std::vector<PageMotion> motions;
    for (const SeqItem* it : selectedItems()) {
        params.push_back(it->showParams);
        motions.push_back(PageMotionOf(it->summary));
    }
    if (params.empty()) return CEffectDialogModel(DefaultShowParams(), nullptr, true, false);
    if (params.size() == 1) {
        const bool moving = motions[0].hasMovingFrame();
        return CEffectDialogModel(params[0], selectedItems()[0]->loaded ? &motions[0] : nullptr, true, moving);
    }
    return CEffectDialogModel::ForPages(params, motions, true);
}

bool CSeqEditor::ApplyEffect(const CEffectDialogModel& model) {
    pruneSelection();
    bool any = false;
    for (int i : selection_) {
        SeqItem& it = doc_.items[size_t(i)];
        const PageMotion motion = PageMotionOf(it.summary);
        const ShowParams next = model.apply(it.showParams, &motion);
        if (next == it.showParams) continue;
        it.showParams = next;
        any = true;
    }
    if (any) changed();
    return any;
}

bool CSeqEditor::MoveSelection(bool towardsStart) {
    pruneSelection();
    if (selection_.empty()) return false;
    if (towardsStart ? selection_.front() == 0 : selection_.back() == count() - 1) return false;
    std::vector<int> order(static_cast<size_t>(count()));
    std::iota(order.begin(), order.end(), 0);
    if (towardsStart) {
        for (int i : selection_) std::swap(order[size_t(i) - 1], order[size_t(i)]);
    } else {
        for (auto i = selection_.rbegin(); i != selection_.rend(); ++i)
            std::swap(order[size_t(*i)], order[size_t(*i) + 1]);
    }
    reorder(order);
    changed();
    return true;
}

void CSeqEditor::CopySelection() {
    pruneSelection();
    if (selection_.empty()) return;
    clipboard_.clear();
    for (const SeqItem* it : selectedItems()) clipboard_.push_back(*it);
}

bool CSeqEditor::CutSelection() {
    pruneSelection();
    if (selection_.empty()) return false;
    CopySelection();
    removeItems(std::vector<int>(selection_));
    changed();
    return true;
}

bool CSeqEditor::Paste() {
    if (clipboard_.empty()) return false;
    const int first = count();
    doc_.items.insert(doc_.items.end(), clipboard_.begin(), clipboard_.end());
    selection_.resize(clipboard_.size());
    std::iota(selection_.begin(), selection_.end(), first);
    changed();
    return true;
}

bool CSeqEditor::RemoveItem(int index) {
    if (!doc_.item(index)) return false;
    removeItems({index});
    changed();
    return true;
}

bool CSeqEditor::AddFiles(const std::vector<std::string>& paths, const ShowParams& params) {
    if (paths.empty()) return false;
    const int first = count();
    for (const std::string& p : paths) doc_.AppendPage(p, params);
    selection_.resize(paths.size());
    std::iota(selection_.begin(), selection_.end(), first);
    changed();
    return true;
}

bool CSeqEditor::ReplacePage(int index, const std::string& path) {
    SeqItem* it = doc_.item(index);
    if (!it || path.empty()) return false;
    doc_.SetPageFile(*it, path);
    changed();
    return true;
}

bool CSeqEditor::TimeEditable(int index) const {
    const SeqItem* it = doc_.item(index);
    return it && it->loaded && !it->hasMovingFrame();
}

bool CSeqEditor::SetShowTime(int index, int seconds) {
    if (!TimeEditable(index)) return false;
    SeqItem& it = doc_.items[size_t(index)];
    const ShowParams before = it.showParams;
    it.SetShowTime(std::clamp(seconds, CEffectDialogModel::kMinShowTime, 24 * 3600));
    if (it.showParams == before) return false;
    changed();
    return true;
}

bool CSeqEditor::SetComment(int index, const std::string& text) {
    SeqItem* it = doc_.item(index);
    if (!it || it->comment == text) return false;
    it->comment = text;
    changed();
    return true;
}

bool CSeqEditor::ToggleLoop() {
    doc_.loop = doc_.loop ? 0 : 1;
    changed();
    return true;
}

void CSeqEditor::Refresh() {
    for (SeqItem& it : doc_.items) {
        const bool was = it.checked;
        doc_.ReloadItem(it);
        it.SetChecked(was);
    }
    doc_.ComputeTotal(0);
}

int CSeqEditor::ReloadPage(const std::string& path) {
    int n = 0;
    for (SeqItem& it : doc_.items) {
        if (!samePath(doc_.FullPath(it), path)) continue;
        doc_.ReloadItem(it);
        ++n;
    }
    if (n) doc_.ComputeTotal(0);
    return n;
}

bool CSeqEditor::Sortable(int column) {
    return column == SEQ_COL_DATE || column == SEQ_COL_TIME || column == SEQ_COL_PAGE || column == SEQ_COL_ABSTRACT ||
           column == SEQ_COL_COMMENT;
}

bool CSeqEditor::Sort(int column) {
    if (!CanSort(column)) return false;
    // Keys first: the page's path and show time are worked out once per item, not per comparison.
    struct Key {
        int time;
        std::string path, words;
    };
    std::vector<Key> keys;
    keys.reserve(size_t(count()));
    for (const SeqItem& it : doc_.items)
        keys.push_back({column == SEQ_COL_TIME ? it.ShowTime() : 0, column == SEQ_COL_PAGE ? doc_.FullPath(it) : "",
                        column == SEQ_COL_ABSTRACT ? it.summary.descriptionText() : ""});
    auto compare = [&](int a, int b) {
        const SeqItem& x = doc_.items[size_t(a)];
        const SeqItem& y = doc_.items[size_t(b)];
        int c = 0;
        switch (column) {
            case SEQ_COL_DATE: c = compareDates(x, y); break;
            case SEQ_COL_TIME:
                c = keys[size_t(a)].time < keys[size_t(b)].time ? -1 : keys[size_t(a)].time > keys[size_t(b)].time;
                break;
            case SEQ_COL_PAGE: c = compareText(keys[size_t(a)].path, keys[size_t(b)].path); break;
            case SEQ_COL_ABSTRACT: c = compareText(keys[size_t(a)].words, keys[size_t(b)].words); break;
            case SEQ_COL_COMMENT: c = compareText(x.comment, y.comment); break;
        }
        return c != 0 ? c : compareText(x.pageName, y.pageName);
    };
    std::vector<int> order(static_cast<size_t>(count()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return invert_ ? compare(b, a) < 0 : compare(a, b) < 0; });
    reorder(order);
    changed();
    return true;
}

// ---- The page editor

void CSeqEditor::PageEditorOpenedToAdd(const ShowParams& params) {
    addParams_ = params;
    linkUse_ = app::PAGE_USE_ADD;
    linkItem_ = -1;
    app::SetPageEditorUse(linkUse_);
}

void CSeqEditor::PageEditorOpenedForItem(int index) {
    if (!doc_.item(index)) return PageEditorOpenedFree();
    linkUse_ = app::PAGE_USE_ITEM;
    linkItem_ = index;
    app::SetPageEditorUse(linkUse_);
}

void CSeqEditor::PageEditorOpenedFree() {
    linkUse_ = app::PAGE_USE_FREE;
    linkItem_ = -1;
    app::SetPageEditorUse(linkUse_);
}

bool CSeqEditor::OnPageSaved(const std::string& path) {
    bool change = false;
    if (linkUse_ == app::PAGE_USE_ADD) {
        // The default show parameters were given when "Add page" opened the editor; the new
        // item is the one the editor now works for.
        doc_.AppendPage(path, addParams_);
        selection_ = {count() - 1};
        PageEditorOpenedForItem(count() - 1);
        change = true;
    } else if (linkUse_ == app::PAGE_USE_ITEM && doc_.item(linkItem_)) {
        SeqItem& it = doc_.items[size_t(linkItem_)];
        if (!samePath(doc_.FullPath(it), path)) {
            doc_.SetPageFile(it, path);
            change = true;
        }
    }
    ReloadPage(path);
    LogMessage("CSeqView::OnPageSaved %s", path.c_str());
    if (change) changed();
    return change;
}

// ---- Texts

std::string CSeqEditor::DateText(const SeqItem& item) {
    if (!item.useDate) return {};
    char days[8];
    for (int b = 0; b < 7; ++b) days[b] = (item.weekdays >> b) & 1 ? char('1' + b) : '-';
    days[7] = 0;
    char s[64];
    std::snprintf(s, sizeof s, "%02d.%02d - %02d.%02d  [%s]", item.dateFrom.day, item.dateFrom.month, item.dateTo.day,
                  item.dateTo.month, days);
    return s;
}

std::string CSeqEditor::TotalText(int seconds) {
    char s[32];
    std::snprintf(s, sizeof s, "%d:%02d", seconds / 60, seconds % 60);
    return s;
}

std::string CSeqEditor::SizeText(const SeqItem& item) {
    if (!item.loaded) return {};
    char s[32];
    std::snprintf(s, sizeof s, "%d x %d", item.summary.bounds.width(), item.summary.bounds.height());
    return s;
}

std::string CSeqEditor::CellText(int index, int column) const {
    const SeqItem* it = doc_.item(index);
    if (!it) return {};
    switch (column) {
        case SEQ_COL_NUMBER: return std::to_string(index + 1);
        case SEQ_COL_DATE: return DateText(*it);
        case SEQ_COL_TIME: return std::to_string(it->ShowTime());
        case SEQ_COL_TYPE: return SizeText(*it);
        case SEQ_COL_PAGE: return it->pageName;
        case SEQ_COL_ABSTRACT: return it->summary.descriptionText();
        case SEQ_COL_COMMENT: return it->comment;
        default: return {};
    }
}

std::string CSeqEditor::SummaryText(int column) const {
    switch (column) {
        case SEQ_COL_NUMBER: return std::to_string(count());
        case SEQ_COL_CHECK: return std::to_string(doc_.checkedCount);
        case SEQ_COL_TIME: return TotalText(doc_.totalTime);
        default: return {};
    }
}

}  // namespace air
