// The sequence document: its file (both versions, damaged input, atomic save), missing pages,
// the date rules, the totals and the typed show time.
#include "air/seq_doc.h"

#include <gtest/gtest.h>

#include "air/effects.h"
#include "air_test_util.h"
#include "app/folders.h"
#include "pages/font_manager.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace air;

namespace {

struct SeqDocTest : ::testing::Test {
    zxtest::TempDir dir;
    pages::CFontManager fonts;
    app::FolderTable folders;
    platform::ManualClock clock;
    CSeqDoc seq{folders, clock};

    void SetUp() override {
        folders.setProgramFolder(dir.path());
        folders.setEntry(app::FOLDER_PAGES, dir.file("Pages/"));
        ASSERT_TRUE(platform::MakeDirectories(dir.file("Pages")));
    }
    std::string page(const std::string& name, const airtest::TestPage& p = {}) {
        std::string path = dir.file("Pages/" + name);
        EXPECT_TRUE(airtest::WritePage(fonts, path, p));
        return path;
    }
    SeqDate today() const { return SeqDate::Of(clock.localTime()); }
    static SeqDate plusDays(SeqDate d, int n) {
        for (; n > 0; --n) {
            static const int len[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
            if (++d.day > len[d.month - 1] || (d.month == 2 && d.day == 29 && d.year % 4 != 0)) {
                d.day = 1;
                if (++d.month > 12) d.month = 1, ++d.year;
            }
        }
        return d;
    }
};

std::vector<uint8_t> fileBytes(const std::string& path) {
    std::vector<uint8_t> b;
    platform::ReadFile(path, b);
    return b;
}

}  // namespace

TEST_F(SeqDocTest, SavesAndLoadsEveryField) {
    ShowParams fast;
    fast.inType = 3;
    fast.inSpeed = 7;
    fast.showTime = 12;
    SeqItem& a = seq.AppendPage(page("a.zxg"), fast);
    EXPECT_EQ(a.pathKind, 0);
    EXPECT_EQ(a.pageName, "a.zxg");
    a.comment = "first";
    a.useDate = 1;
    a.dateFrom = {2000, 1, 1};
    a.dateTo = {2099, 12, 31};
    a.weekdays = 0x15;
    // A page outside the Pages folder keeps its whole path.
    std::string elsewhere = dir.file("b.zxg");
    ASSERT_TRUE(airtest::WritePage(fonts, elsewhere));
    SeqItem& b = seq.AppendPage(elsewhere, ShowParams{});
    EXPECT_EQ(b.pathKind, 1);
    seq.loop = 1;

    ASSERT_EQ(seq.SaveSequence(dir.file("s.zxs")), SEQ_OK);
    EXPECT_TRUE(seq.fromFile);
    EXPECT_FALSE(seq.modified);
    std::vector<uint8_t> raw = fileBytes(dir.file("s.zxs"));
    ASSERT_GE(raw.size(), 128u);
    platform::ByteReader r(raw.data(), raw.size());
    r.skip(4);
    EXPECT_EQ(r.u32(), SEQ_VERSION);
    EXPECT_EQ(r.u32(), 2u);
    EXPECT_EQ(r.u32(), 1u);

    CSeqDoc back(folders, clock);
    ASSERT_EQ(back.LoadSequence(dir.file("s.zxs")), SEQ_OK);
    ASSERT_EQ(back.count(), 2);
    EXPECT_EQ(back.loop, 1);
    EXPECT_EQ(back.items[0].showParams, fast);
    EXPECT_EQ(back.items[0].comment, "first");
    EXPECT_EQ(back.items[0].dateTo, (SeqDate{2099, 12, 31}));
    EXPECT_EQ(back.items[0].weekdays, 0x15);
    EXPECT_EQ(back.FullPath(back.items[0]), dir.file("Pages/a.zxg"));
    EXPECT_EQ(back.FullPath(back.items[1]), elsewhere);
    EXPECT_TRUE(back.items[1].loaded);
    EXPECT_EQ(back.Serialize(), raw);
}

TEST_F(SeqDocTest, OldVersionLoadsWithoutCommentsAndIsWrittenNew) {
    page("a.zxg");
    std::vector<uint8_t> old;
    platform::ByteWriter w(old);
    w.bytes("SEQF", 4);
    w.u32(SEQ_VERSION_NO_COMMENTS);
    w.u32(1);
    w.u32(0);
    w.zeros(112);
    w.i32(0);
    w.str32("a.zxg");
    WriteShowParams(w, ShowParams{});
    w.zeros(16);
    w.u32(127);  // a stray word after the last item is not read as a comment
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("old.zxs"), old));
    ASSERT_EQ(seq.LoadSequence(dir.file("old.zxs")), SEQ_OK);
    ASSERT_EQ(seq.count(), 1);
    EXPECT_EQ(seq.items[0].comment, "");
    EXPECT_EQ(seq.items[0].useDate, 0);
    EXPECT_TRUE(seq.items[0].checked);
    ASSERT_EQ(seq.SaveSequence(dir.file("new.zxs")), SEQ_OK);
    std::vector<uint8_t> now = fileBytes(dir.file("new.zxs"));
    EXPECT_EQ(now[4], 0x01);
    EXPECT_EQ(now[6], 0x01);
    EXPECT_EQ(now.size(), old.size() - 4 + 4);  // the comment's length field takes the stray word's place
}

TEST_F(SeqDocTest, DamagedFilesLeaveTheDocumentAlone) {
    seq.AppendPage(page("a.zxg"), ShowParams{});
    ASSERT_EQ(seq.SaveSequence(dir.file("good.zxs")), SEQ_OK);
    const std::vector<uint8_t> good = fileBytes(dir.file("good.zxs"));

    EXPECT_EQ(seq.LoadSequence(dir.file("missing.zxs")), SEQ_OPEN_ERROR);
    auto withBytes = [&](std::vector<uint8_t> b) {
        platform::WriteFileAtomic(dir.file("bad.zxs"), b);
        return seq.LoadSequence(dir.file("bad.zxs"));
    };
    std::vector<uint8_t> b = good;
    b[0] = 'X';
    EXPECT_EQ(withBytes(b), SEQ_FORMAT_ERROR);
    b = good;
    b[4] = 0x02;
    EXPECT_EQ(withBytes(b), SEQ_VERSION_ERROR);
    b = good;
    b[8] = 0xFF, b[9] = 0xFF, b[10] = 0xFF, b[11] = 0x7F;  // more items than the file can hold
    EXPECT_EQ(withBytes(b), SEQ_FORMAT_ERROR);
    b = good;
    b.resize(b.size() - 3);  // the comment cut short
    EXPECT_EQ(withBytes(b), SEQ_FORMAT_ERROR);
    b = good;
    b[132] = 0xF0;  // a name length beyond the end
    EXPECT_EQ(withBytes(b), SEQ_FORMAT_ERROR);
    EXPECT_EQ(withBytes(std::vector<uint8_t>(good.begin(), good.begin() + 60)), SEQ_FORMAT_ERROR);

    ASSERT_EQ(seq.count(), 1);
    EXPECT_EQ(seq.pathName, dir.file("good.zxs"));
    EXPECT_EQ(seq.SaveSequence(dir.file("no/such/folder/x.zxs")), SEQ_SAVE_ERROR);
    EXPECT_EQ(seq.pathName, dir.file("good.zxs"));
}

TEST_F(SeqDocTest, MissingPagesStayUncheckedAndTheLoadWarns) {
    seq.AppendPage(page("a.zxg"), ShowParams{});
    seq.AppendPage(page("gone.zxg"), ShowParams{});
    ASSERT_EQ(seq.SaveSequence(dir.file("s.zxs")), SEQ_OK);
    std::remove(dir.file("Pages/gone.zxg").c_str());
    // A damaged page reads as missing too, and so does the oldest version (no summary).
    zxtest::WriteText(dir.file("Pages/a.zxg"), "PAGE");
    std::vector<uint8_t> old = fileBytes(page("old.zxg"));
    old[4] = 0x02;
    platform::WriteFileAtomic(dir.file("Pages/old.zxg"), old);
    SeqItem& oldItem = seq.AppendPage(dir.file("Pages/old.zxg"), ShowParams{});
    EXPECT_FALSE(oldItem.loaded);
    old[4] = 0x04;
    platform::WriteFileAtomic(dir.file("Pages/old.zxg"), old);
    seq.ReloadItem(oldItem);
    EXPECT_TRUE(oldItem.loaded);
    CSeqDoc back(folders, clock);
    ASSERT_EQ(back.LoadSequence(dir.file("s.zxs")), SEQ_MISSING_PAGES);
    ASSERT_EQ(back.count(), 2);
    for (SeqItem& it : back.items) {
        EXPECT_FALSE(it.loaded);
        EXPECT_FALSE(it.checked);
        EXPECT_FALSE(it.SetChecked(true));  // never checked while its page is missing
    }
    EXPECT_EQ(back.checkedCount, 0);
    EXPECT_TRUE(back.fromFile);
}

TEST_F(SeqDocTest, DateRulesCheckItemsAtLoad) {
    const SeqDate t = today();
    const int todayBit = WeekdayBit(t);
    ShowParams p;
    SeqItem& free = seq.AppendPage(page("a.zxg"), p);  // no rule: checked whenever its page exists
    SeqItem& future = seq.AppendPage(page("b.zxg"), p);
    future.useDate = 1;
    future.dateFrom = plusDays(t, 2);
    future.dateTo = plusDays(t, 30);
    SeqItem& otherDay = seq.AppendPage(page("c.zxg"), p);
    otherDay.useDate = 1;
    otherDay.dateFrom = {2000, 1, 1};
    otherDay.dateTo = {2099, 1, 1};
    otherDay.weekdays = ALL_WEEKDAYS & ~(1 << todayBit);
    SeqItem& now = seq.AppendPage(page("d.zxg"), p);
    now.useDate = 1;
    now.dateFrom = now.dateTo = t;
    now.weekdays = 1 << todayBit;
    (void)free;
    ASSERT_EQ(seq.SaveSequence(dir.file("s.zxs")), SEQ_OK);

    CSeqDoc back(folders, clock);
    ASSERT_EQ(back.LoadSequence(dir.file("s.zxs")), SEQ_OK);
    EXPECT_TRUE(back.items[0].checked);
    EXPECT_FALSE(back.items[1].checked);
    EXPECT_FALSE(back.items[2].checked);
    EXPECT_TRUE(back.items[3].checked);
    EXPECT_EQ(back.checkedCount, 2);
    EXPECT_TRUE(back.items[1].MatchesDate(plusDays(t, 2)));
    EXPECT_FALSE(back.items[1].MatchesDate(plusDays(t, 31)));
}

TEST_F(SeqDocTest, WeekdaysAndExpiry) {
    // 2024-01-01 was a Monday.
    EXPECT_EQ(WeekdayBit({2024, 1, 1}), 0);
    EXPECT_EQ(WeekdayBit({2024, 1, 7}), 6);
    EXPECT_EQ(WeekdayBit({2024, 2, 29}), 3);
    SeqItem it;
    it.useDate = 1;
    it.dateFrom = {2024, 1, 1};
    it.dateTo = {2024, 1, 10};  // a Wednesday
    it.weekdays = 1 << 5;       // Saturdays only
    EXPECT_TRUE(it.MatchesDate({2024, 1, 6}));
    EXPECT_FALSE(it.MatchesDate({2024, 1, 5}));
    EXPECT_FALSE(it.MatchesDate({2024, 1, 13}));  // a Saturday after the range
    EXPECT_FALSE(it.Expired({2024, 1, 6}));       // today is still a Saturday in range
    EXPECT_TRUE(it.Expired({2024, 1, 7}));        // no Saturday left up to the 10th
    EXPECT_TRUE(it.Expired({2024, 1, 11}));       // past the last day
    it.dateTo = {2030, 1, 1};
    EXPECT_FALSE(it.Expired({2024, 1, 7}));
    it.weekdays = 0;
    EXPECT_TRUE(it.Expired({2024, 1, 7}));
    // Damaged dates from a file still compare without trouble.
    it.dateTo = {65535, 255, 255};
    it.weekdays = ALL_WEEKDAYS;
    EXPECT_FALSE(it.Expired({2024, 1, 7}));
}

TEST_F(SeqDocTest, TotalsAddASecondPerScrollingPage) {
    ShowParams five;
    five.showTime = 5;
    five.timeMode = 1;
    seq.AppendPage(page("a.zxg"), five);
    airtest::TestPage crawl;
    crawl.moving = 1;
    crawl.stripLength = 100;
    crawl.movingRect = {100, 500, 200, 540};  // 100 wide: the text moves 200 pixels, 4 s at speed 0
    seq.AppendPage(page("b.zxg", crawl), five);
    ASSERT_TRUE(seq.items[1].hasMovingFrame());
    EXPECT_EQ(seq.items[1].ShowTime(), 5);
    seq.ComputeTotal(0);
    EXPECT_EQ(seq.checkedCount, 2);
    EXPECT_EQ(seq.totalTime, 11);
    seq.ComputeTotal(1);
    EXPECT_EQ(seq.totalTime, 6);
    seq.ComputeTotal(7);
    EXPECT_EQ(seq.checkedCount, 0);
    seq.items[0].SetChecked(false);
    seq.ComputeTotal(-3);
    EXPECT_EQ(seq.totalTime, 6);
}

TEST_F(SeqDocTest, TypedShowTimeIsAtLeastTheInEffect) {
    SeqItem it;
    it.showParams.inType = 1;  // 720 pixels at 1 per field: 14.4 s
    it.showParams.timeMode = 1;
    it.showParams.plusTime = 4;
    it.SetShowTime(3);
    EXPECT_EQ(it.showParams.showTime, 15);
    EXPECT_EQ(it.showParams.timeMode, 0);
    EXPECT_EQ(it.showParams.plusTime, 0);
    it.showParams.inSpeed = 9;  // 1.44 s
    it.SetShowTime(3);
    EXPECT_EQ(it.showParams.showTime, 3);
}
