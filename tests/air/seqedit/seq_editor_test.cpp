// The sequence editor's commands without windows: checks, dates, effects, order, clipboard,
// removal, the page editor's saves, and the texts and totals the grid shows.
#include "air/seqedit/seq_editor.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "air/air_test_util.h"
#include "air/effect_dialog_model.h"
#include "app/folders.h"
#include "app/page_editor_link.h"
#include "app/profile.h"
#include "pages/font_manager.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace air;

namespace {

struct SeqEditorTest : ::testing::Test {
    zxtest::TempDir dir;
    pages::CFontManager fonts;
    app::FolderTable folders;
    platform::ManualClock clock;
    CSeqDoc seq{folders, clock};
    CSeqEditor ed{seq};

    void SetUp() override {
        folders.setProgramFolder(dir.path());
        folders.setEntry(app::FOLDER_PAGES, dir.file("Pages/"));
        ASSERT_TRUE(platform::MakeDirectories(dir.file("Pages")));
        seq.NewSequence();
    }
    std::string page(const std::string& name, const airtest::TestPage& p = {}) {
        std::string path = dir.file("Pages/" + name);
        EXPECT_TRUE(airtest::WritePage(fonts, path, p));
        return path;
    }
    // Appends pages of the given show times (a missing page for a negative time).
    void add(std::initializer_list<int> times) {
        for (int t : times) {
            ShowParams p;
            p.showTime = t < 0 ? 5 : t;
            const std::string name = "p" + std::to_string(seq.count()) + ".zxg";
            seq.AppendPage(t < 0 ? dir.file("Pages/missing-" + name) : page(name), p);
        }
        seq.modified = false;
    }
    std::string names() const {
        std::string s;
        for (const SeqItem& it : seq.items) s += (s.empty() ? "" : " ") + it.pageName;
        return s;
    }
    SeqDate today() const { return seq.today(); }
    SeqDate plus(int days) const { return DateOfDay(DayNumber(today()) + days); }
    void dateRule(int index, SeqDate from, SeqDate to, int32_t weekdays = ALL_WEEKDAYS) {
        SeqItem& it = seq.items[size_t(index)];
        it.useDate = 1;
        it.dateFrom = from;
        it.dateTo = to;
        it.weekdays = weekdays;
    }
};

}  // namespace

TEST_F(SeqEditorTest, CheckOrUncheckCountsOnlyLoadedItems) {
    add({5, 5, 5, 5, -1});
    ed.selectAll();
    // 1 of 4 loaded checked: all are checked; the missing page cannot be.
    for (int i : {1, 2, 3}) seq.items[size_t(i)].checked = false;
    EXPECT_TRUE(ed.CheckOrUncheckSelection());
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(seq.items[size_t(i)].checked) << i;
    EXPECT_FALSE(seq.items[4].checked);
    EXPECT_TRUE(seq.modified);
    EXPECT_EQ(seq.checkedCount, 4);
    EXPECT_EQ(ed.SummaryText(SEQ_COL_TIME), "0:20");

    // 3 of 4: all are unchecked.
    seq.items[0].checked = false;
    EXPECT_TRUE(ed.CheckOrUncheckSelection());
    for (const SeqItem& it : seq.items) EXPECT_FALSE(it.checked);
    EXPECT_EQ(seq.checkedCount, 0);
    EXPECT_EQ(ed.SummaryText(SEQ_COL_TIME), "0:00");

    // Half of them checked: checked.
    ed.setSelection({0, 1});
    seq.items[0].checked = true;
    EXPECT_TRUE(ed.CheckOrUncheckSelection());
    EXPECT_TRUE(seq.items[1].checked);
    // The Check cell toggles; a missing page stays unchecked and changes nothing.
    EXPECT_TRUE(ed.ToggleCheck(1));
    EXPECT_FALSE(seq.items[1].checked);
    seq.modified = false;
    EXPECT_FALSE(ed.ToggleCheck(4));
    EXPECT_FALSE(seq.modified);
}

TEST_F(SeqEditorTest, CheckByDateModes) {
    add({5, 5, 5, 5, 5});
    const int tomorrowBit = WeekdayBit(plus(1));
    dateRule(0, today(), today());                      // today only
    dateRule(1, plus(1), plus(1));                      // tomorrow only
    dateRule(2, plus(-10), plus(-3));                   // over
    dateRule(3, plus(-1), plus(30), 1 << tomorrowBit);  // one weekday a week, from yesterday
    // item 4 has no rule: always checked

    CheckByDateSettings s;
    auto checks = [&] {
        std::string r;
        for (const SeqItem& it : seq.items) r += it.checked ? '+' : '-';
        return r;
    };
    s.mode = CHECK_TODAY;
    ed.CheckByDate(s);
    EXPECT_EQ(checks(), "+---+");
    s.mode = CHECK_TOMORROW;
    ed.CheckByDate(s);
    EXPECT_EQ(checks(), "-+-++");
    s.mode = CHECK_ON_DATE;
    s.onDate = plus(-5);
    ed.CheckByDate(s);
    EXPECT_EQ(checks(), "--+-+");
    s.mode = CHECK_NOT_EXPIRED;
    ed.CheckByDate(s);
    EXPECT_EQ(checks(), "++-++");
    // Specified: starts not later than today and ends not earlier than tomorrow.
    s.mode = CHECK_SPECIFIED;
    s.startOp = DATE_NOT_LATER;
    s.startDate = today();
    s.endOp = DATE_NOT_EARLIER;
    s.endDate = plus(1);
    ed.CheckByDate(s);
    EXPECT_EQ(checks(), "---++");
    s.startOp = DATE_EQUAL;
    s.startDate = plus(1);
    s.endOp = DATE_ANY;
    ed.CheckByDate(s);
    EXPECT_EQ(checks(), "-+--+");
    EXPECT_TRUE(seq.modified);
    EXPECT_EQ(seq.checkedCount, 2);

    // The settings come back as they were used; damaged dates become today.
    app::Profile ini(dir.file("ZENTRIX.INI"));
    s.Save(ini);
    CheckByDateSettings back;
    back.Load(ini, today());
    EXPECT_EQ(back.mode, CHECK_SPECIFIED);
    EXPECT_EQ(back.startOp, DATE_EQUAL);
    EXPECT_EQ(back.startDate, plus(1));
    EXPECT_EQ(back.endDate, plus(1));
    ini.putString("SequenceEditor", "CheckOnDate", "2025-02-30");
    ini.putInt("SequenceEditor", "CheckMode", 99);
    back.Load(ini, today());
    EXPECT_EQ(back.onDate, today());
    EXPECT_EQ(back.mode, CHECK_SPECIFIED);
}

TEST_F(SeqEditorTest, SortByColumnWithAndWithoutInvert) {
    add({5, 20, 3, 20});
    seq.items[0].comment = "b";
    seq.items[2].comment = "a";
    ed.setSelection({2});  // the 3-second page
    ASSERT_TRUE(ed.Sort(SEQ_COL_TIME));
    EXPECT_EQ(names(), "p2.zxg p0.zxg p1.zxg p3.zxg");  // equal times by page name
    EXPECT_EQ(ed.selection(), std::vector<int>{0});
    EXPECT_TRUE(seq.modified);

    // Under "Invert" the longest page comes first in the list (and is shown last).
    ed.setInvert(true);
    ASSERT_TRUE(ed.Sort(SEQ_COL_TIME));
    EXPECT_EQ(names(), "p3.zxg p1.zxg p0.zxg p2.zxg");
    EXPECT_EQ(ed.selection(), std::vector<int>{3});
    EXPECT_EQ(ed.rowOfItem(3), 0);
    ed.setInvert(false);

    ASSERT_TRUE(ed.Sort(SEQ_COL_COMMENT));
    EXPECT_EQ(names(), "p1.zxg p3.zxg p2.zxg p0.zxg");
    EXPECT_FALSE(ed.Sort(SEQ_COL_CHECK));
    EXPECT_FALSE(ed.Sort(SEQ_COL_TYPE));

    // Dates compare by day, even across a year whose low byte wraps.
    dateRule(0, {2048, 1, 1}, {2048, 1, 2});
    dateRule(1, {2047, 12, 30}, {2047, 12, 31});
    dateRule(2, {2047, 12, 30}, {2048, 1, 1});
    ASSERT_TRUE(ed.Sort(SEQ_COL_DATE));
    EXPECT_EQ(names(), "p0.zxg p3.zxg p2.zxg p1.zxg");  // no rule first, then by first and last day
}

TEST_F(SeqEditorTest, SortingNeedsTwoItems) {
    add({5});
    EXPECT_FALSE(ed.CanSort(SEQ_COL_PAGE));
    EXPECT_FALSE(ed.Sort(SEQ_COL_PAGE));
    EXPECT_FALSE(seq.modified);
}

TEST_F(SeqEditorTest, UpAndDownFollowTheDisplayOrder) {
    add({1, 2, 3, 4, 5});
    ed.setSelection({1, 2});
    EXPECT_TRUE(ed.MoveRowsUp());
    EXPECT_EQ(names(), "p1.zxg p2.zxg p0.zxg p3.zxg p4.zxg");
    EXPECT_EQ(ed.selection(), (std::vector<int>{0, 1}));
    EXPECT_FALSE(ed.MoveRowsUp());  // already at the top
    EXPECT_TRUE(seq.modified);

    // Under "Invert" the top row is the last item: Up moves towards the end of the list.
    ed.setInvert(true);
    ed.setSelection({3});
    EXPECT_TRUE(ed.MoveRowsUp());
    EXPECT_EQ(names(), "p1.zxg p2.zxg p0.zxg p4.zxg p3.zxg");
    EXPECT_EQ(ed.rowOfItem(ed.selection()[0]), 0);
    EXPECT_FALSE(ed.MoveRowsUp());
    EXPECT_TRUE(ed.MoveRowsDown());
    EXPECT_EQ(names(), "p1.zxg p2.zxg p0.zxg p3.zxg p4.zxg");

    // A selection with gaps: each part moves one place.
    ed.setInvert(false);
    ed.setSelection({2, 4});
    EXPECT_TRUE(ed.MoveRowsUp());
    EXPECT_EQ(names(), "p1.zxg p0.zxg p2.zxg p4.zxg p3.zxg");
    EXPECT_EQ(ed.selection(), (std::vector<int>{1, 3}));
}

TEST_F(SeqEditorTest, CutCopyPasteAndRemoveUnchecked) {
    add({2, 3, 4, 5});
    seq.items[1].comment = "second";
    ed.setSelection({1, 2});
    ASSERT_TRUE(ed.CutSelection());
    EXPECT_EQ(names(), "p0.zxg p3.zxg");
    EXPECT_TRUE(ed.selection().empty());
    EXPECT_EQ(seq.totalTime, 7);
    ASSERT_TRUE(ed.Paste());
    ASSERT_TRUE(ed.Paste());
    EXPECT_EQ(names(), "p0.zxg p3.zxg p1.zxg p2.zxg p1.zxg p2.zxg");
    EXPECT_EQ(ed.selection(), (std::vector<int>{4, 5}));
    EXPECT_EQ(seq.items[4].comment, "second");
    EXPECT_EQ(seq.totalTime, 21);

    ed.setSelection({0});
    ed.CopySelection();
    ASSERT_TRUE(ed.Paste());
    EXPECT_EQ(seq.count(), 7);
    EXPECT_EQ(seq.items[6].pageName, "p0.zxg");

    seq.items[1].checked = false;
    seq.items[6].checked = false;
    ed.setSelection({2, 6});
    seq.modified = false;
    EXPECT_EQ(ed.RemoveUnchecked(), 2);
    EXPECT_EQ(names(), "p0.zxg p1.zxg p2.zxg p1.zxg p2.zxg");
    EXPECT_EQ(ed.selection(), std::vector<int>{1});  // the surviving selected item moved up
    EXPECT_TRUE(seq.modified);
    EXPECT_EQ(ed.RemoveUnchecked(), 0);
}

TEST_F(SeqEditorTest, EffectOverSeveralItems) {
    ShowParams five;
    five.showTime = 5;
    airtest::TestPage crawl;
    crawl.moving = 1;
    crawl.stripLength = 600;
    seq.AppendPage(page("a.zxg"), five);
    seq.AppendPage(page("crawl.zxg", crawl), five);
    ShowParams wipe = five;
    wipe.inType = 1;
    wipe.inSpeed = 9;
    seq.AppendPage(page("c.zxg"), wipe);
    ed.selectAll();

    CEffectDialogModel m = ed.EffectModelForSelection();
    EXPECT_FALSE(m.determined(SP_IN_TYPE));  // the in-effects differ
    EXPECT_TRUE(m.determined(SP_OUT_TYPE));
    EXPECT_TRUE(m.scrollApplies());
    m.setOutType(3);  // determines the out-effect group
    m.setTimeChoice(CEffectDialogModel::TimeChoice::Fixed);
    m.setShowTime(7);
    ASSERT_TRUE(ed.ApplyEffect(m));
    EXPECT_TRUE(seq.modified);
    for (const SeqItem& it : seq.items) EXPECT_EQ(it.showParams.outType, 3);
    // The in-effects were left alone.
    EXPECT_EQ(seq.items[0].showParams.inType, 0);
    EXPECT_EQ(seq.items[2].showParams.inType, 1);
    EXPECT_EQ(seq.items[2].showParams.inSpeed, 9);
    // Fixed time per page: a moving frame gets timeMode 1 and at least its scroll's time.
    EXPECT_EQ(seq.items[0].showParams.timeMode, 0);
    EXPECT_EQ(seq.items[0].showParams.showTime, 7);
    EXPECT_EQ(seq.items[1].showParams.timeMode, 1);
    EXPECT_EQ(seq.items[1].showParams.showTime,
              ComputedShowTime(seq.items[1].showParams, PageMotionOf(seq.items[1].summary)));
    EXPECT_GT(seq.items[1].showParams.showTime, 7);
    EXPECT_EQ(seq.totalTime, 7 + seq.items[1].ShowTime() + 1 + 7);

    // The variable choice: only the moving page takes "plus".
    ed.setSelection({0, 1});
    CEffectDialogModel v = ed.EffectModelForSelection();
    v.setTimeChoice(CEffectDialogModel::TimeChoice::Variable);
    v.setPlusTime(4);
    ASSERT_TRUE(ed.ApplyEffect(v));
    EXPECT_EQ(seq.items[1].showParams.timeMode, 0);
    EXPECT_EQ(seq.items[1].showParams.plusTime, 4);
    EXPECT_EQ(seq.items[0].showParams.plusTime, 0);
    EXPECT_EQ(seq.items[0].showParams.showTime, 7);
}

TEST_F(SeqEditorTest, ShowDateOverASelection) {
    add({5, 5, 5});
    dateRule(0, plus(0), plus(6), 0b0011111);  // Monday ... Friday
    dateRule(1, plus(-3), plus(3), 0b1111111);
    // item 2: no rule

    const SeqItem* two[] = {&seq.items[0], &seq.items[1]};
    ShowDateEdit e = ShowDateEdit::Of(two, today());
    EXPECT_EQ(e.useDate, 1);
    EXPECT_EQ(e.from, plus(-3));  // the widest range
    EXPECT_EQ(e.to, plus(6));
    EXPECT_FALSE(e.datesSet);
    EXPECT_EQ(e.weekday[0], 1);
    EXPECT_EQ(e.weekday[5], -1);  // Saturday differs
    EXPECT_EQ(e.weekday[6], -1);
    // Total: ten days, with two undetermined weekdays counted out.
    EXPECT_EQ(e.totalDays(), CountShowDays(plus(-3), plus(6), 0b0011111));
    EXPECT_EQ(e.daysLeft(today()), CountShowDays(today(), plus(6), 0b0011111));

    // Only Monday changes: each item keeps its own range and its other days.
    e.weekday[0] = 0;
    ed.setSelection({0, 1});
    ASSERT_TRUE(ed.SetShowDate(e));
    EXPECT_EQ(seq.items[0].weekdays, 0b0011110);
    EXPECT_EQ(seq.items[1].weekdays, 0b1111110);
    EXPECT_EQ(seq.items[0].dateFrom, plus(0));
    EXPECT_EQ(seq.items[1].dateFrom, plus(-3));
    // The rule decides today's check at once.
    EXPECT_EQ(seq.items[0].checked, seq.items[0].MatchesDate(today()));

    // Mixed "Restrict" set for all with a range: the item without a rule takes it.
    ed.setSelection({1, 2});
    const SeqItem* mixed[] = {&seq.items[1], &seq.items[2]};
    e = ShowDateEdit::Of(mixed, today());
    EXPECT_EQ(e.useDate, -1);
    EXPECT_TRUE(e.datesSet);  // one range only
    e.useDate = 1;
    ASSERT_TRUE(ed.SetShowDate(e));
    EXPECT_EQ(seq.items[2].useDate, 1);
    EXPECT_EQ(seq.items[2].dateFrom, plus(-3));
    EXPECT_EQ(seq.items[2].dateTo, plus(3));
    EXPECT_EQ(CSeqEditor::DateText(seq.items[2]).size(), std::string("01.01 - 01.01  [1234567]").size());

    // Clearing the rule.
    e.useDate = 0;
    ASSERT_TRUE(ed.SetShowDate(e));
    EXPECT_EQ(seq.items[1].useDate, 0);
    EXPECT_EQ(seq.items[1].dateFrom.year, 0);
    EXPECT_EQ(seq.items[1].dateTo.year, 0);
    EXPECT_EQ(seq.items[1].weekdays, ALL_WEEKDAYS);
    EXPECT_TRUE(seq.items[1].checked);
    EXPECT_EQ(CSeqEditor::DateText(seq.items[1]), "");
}

TEST_F(SeqEditorTest, DateHelpers) {
    for (int64_t n : {-1000, 0, 59, 60, 20000, 30000, 2932896}) EXPECT_EQ(DayNumber(DateOfDay(n)), n) << n;
    EXPECT_TRUE(IsValidDate({2024, 2, 29}));
    EXPECT_FALSE(IsValidDate({2023, 2, 29}));
    EXPECT_FALSE(IsValidDate({0, 0, 0}));
    // 2026-12-07 is a Monday: two weeks and a day, Mondays and Sundays.
    EXPECT_EQ(CountShowDays({2026, 12, 7}, {2026, 12, 21}, 0b1000001), 5);
    EXPECT_EQ(CountShowDays({2026, 12, 7}, {2026, 12, 6}, ALL_WEEKDAYS), 0);
    EXPECT_EQ(CountShowDays({1, 1, 1}, {9999, 12, 31}, ALL_WEEKDAYS),
              DayNumber({9999, 12, 31}) - DayNumber({1, 1, 1}) + 1);

    SeqItem it;
    it.useDate = 1;
    it.dateFrom = {2026, 3, 5};
    it.dateTo = {2026, 11, 20};
    it.weekdays = 0b1010101;
    EXPECT_EQ(CSeqEditor::DateText(it), "05.03 - 20.11  [1-3-5-7]");
    EXPECT_EQ(CSeqEditor::TotalText(671), "11:11");
}

TEST_F(SeqEditorTest, TotalsAndTypedCells) {
    ShowParams five;
    five.showTime = 5;
    airtest::TestPage crawl;
    crawl.moving = 1;
    crawl.stripLength = 2;
    crawl.words = "news crawl";
    seq.AppendPage(page("still.zxg"), five);
    five.timeMode = 1;  // at least the 5 seconds
    five.stopScrolling = 1;
    five.scrollSpeed = 6;
    seq.AppendPage(page("crawl.zxg", crawl), five);
    ASSERT_EQ(seq.items[1].ShowTime(), 5);
    // Two pages of 5 s, one scrolling: a second more.
    EXPECT_EQ(ed.SummaryText(SEQ_COL_TIME), "0:11");
    EXPECT_EQ(ed.SummaryText(SEQ_COL_NUMBER), "2");
    EXPECT_EQ(ed.SummaryText(SEQ_COL_CHECK), "2");
    EXPECT_EQ(ed.CellText(1, SEQ_COL_ABSTRACT), "news crawl");
    EXPECT_EQ(ed.CellText(1, SEQ_COL_TYPE), "720 x 576");
    EXPECT_EQ(ed.CellText(0, SEQ_COL_NUMBER), "1");

    seq.modified = false;
    EXPECT_FALSE(ed.TimeEditable(1));  // the scroll decides its time
    EXPECT_FALSE(ed.SetShowTime(1, 30));
    EXPECT_TRUE(ed.SetShowTime(0, 12));
    EXPECT_EQ(ed.SummaryText(SEQ_COL_TIME), "0:18");
    EXPECT_TRUE(seq.modified);
    seq.modified = false;
    EXPECT_FALSE(ed.SetComment(0, ""));
    EXPECT_FALSE(seq.modified);
    EXPECT_TRUE(ed.SetComment(0, "opening"));
    EXPECT_TRUE(ed.ToggleLoop());
    EXPECT_EQ(seq.loop, 1);

    // Refresh keeps the check marks; a page that went away is unchecked.
    ed.ToggleCheck(0);
    ASSERT_EQ(std::remove(dir.file("Pages/crawl.zxg").c_str()), 0);
    seq.modified = false;
    ed.Refresh();
    EXPECT_FALSE(seq.items[0].checked);
    EXPECT_FALSE(seq.items[1].checked);
    EXPECT_FALSE(seq.items[1].loaded);
    EXPECT_EQ(seq.checkedCount, 0);
    EXPECT_FALSE(seq.modified);
}

TEST_F(SeqEditorTest, PagesSavedByThePageEditor) {
    add({5, 5});
    ShowParams def;
    def.showTime = 9;
    ed.PageEditorOpenedToAdd(def);
    EXPECT_EQ(app::CurrentPageEditorUse(), app::PAGE_USE_ADD);
    // The first save appends the page and selects it.
    const std::string fresh = page("fresh.zxg");
    EXPECT_TRUE(ed.OnPageSaved(fresh));
    ASSERT_EQ(seq.count(), 3);
    EXPECT_EQ(seq.items[2].pageName, "fresh.zxg");
    EXPECT_EQ(seq.items[2].pathKind, 0);
    EXPECT_EQ(seq.items[2].showParams.showTime, 9);
    EXPECT_EQ(ed.selection(), std::vector<int>{2});
    EXPECT_TRUE(seq.modified);
    // Saving it again changes nothing but the header it reads.
    seq.modified = false;
    EXPECT_FALSE(ed.OnPageSaved(fresh));
    EXPECT_EQ(seq.count(), 3);

    // The editor's item moves with a sort; saving under a new name renames that item only.
    ed.setInvert(true);
    ed.Sort(SEQ_COL_PAGE);  // descending: p1, p0, fresh
    ASSERT_EQ(ed.pageEditorItem(), 2);
    const std::string renamed = page("renamed.zxg", airtest::TestPage{.words = "new words"});
    EXPECT_TRUE(ed.OnPageSaved(renamed));
    EXPECT_EQ(names(), "p1.zxg p0.zxg renamed.zxg");
    EXPECT_EQ(seq.items[2].summary.descriptionText(), "new words");

    // A page edited for an item is read again in every item that uses it.
    ed.Paste();  // nothing on the clipboard
    ed.setSelection({1});
    ed.CopySelection();
    ed.Paste();
    const std::string shared = seq.FullPath(seq.items[1]);
    ed.PageEditorOpenedForItem(1);
    airtest::TestPage changedPage;
    changedPage.words = "changed";
    ASSERT_TRUE(airtest::WritePage(fonts, shared, changedPage));
    seq.modified = false;
    EXPECT_FALSE(ed.OnPageSaved(shared));
    EXPECT_EQ(seq.items[1].summary.descriptionText(), "changed");
    EXPECT_EQ(seq.items[3].summary.descriptionText(), "changed");
    EXPECT_FALSE(seq.modified);

    // When the item goes, later saves belong to the page editor alone.
    ed.RemoveItem(1);
    EXPECT_EQ(app::CurrentPageEditorUse(), app::PAGE_USE_FREE);
    EXPECT_FALSE(ed.OnPageSaved(page("other.zxg")));
    EXPECT_EQ(seq.count(), 3);
}

TEST_F(SeqEditorTest, SettingsAndTheirDefaults) {
    app::Profile ini(dir.file("ZENTRIX.INI"));
    SeqEditorSettings s;
    s.Load(ini);
    EXPECT_EQ(s.columnWidth[2], 132);
    EXPECT_EQ(s.columnWidth[8], 192);
    EXPECT_FALSE(s.invert);
    EXPECT_EQ(s.defEffect, DefaultShowParams());
    s.columnWidth[3] = 80;
    s.invert = true;
    s.Save(ini);
    ini.putInt("SequenceEditor", "Column4", -5);
    SeqEditorSettings back;
    back.Load(ini);
    EXPECT_EQ(back.columnWidth[3], 80);
    EXPECT_EQ(back.columnWidth[4], 62);  // a damaged width falls back
    EXPECT_TRUE(back.invert);
}
