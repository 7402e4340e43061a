#include <gtest/gtest.h>

#include "air/air_log.h"
#include "app/folders.h"
#include "app/settings.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace air;

namespace {

// 1700000000 is 14.11.2023 22:13:20 (the tests run in UTC).
struct Fixture {
    zxtest::TempDir dir;
    app::Settings settings;
    app::FolderTable folders;
    platform::ManualClock clock{5000, 1700000000};
    CAirLog log{settings, folders, clock};

    Fixture() {
        settings.airLog = 1;
        folders.setProgramFolder(dir.path());
        folders.setEntry(app::FOLDER_PAGES, "/data/Pages/");
        folders.setEntry(app::FOLDER_VIDEO, "/data/Video/");
    }
    std::string text() const { return zxtest::ReadText(dir.file("airlog.txt")); }
    bool exists() const { return platform::FileExists(dir.file("airlog.txt")); }
    void onAir(const std::string& page, uint32_t ms) {
        log.setPageOnAir(page);
        log.openPage(true);
        clock.advance(ms);
        log.closePage();
    }
};

TEST(AirLog, PageLine) {
    Fixture f;
    f.onAir("/data/pages/News/a.zxg", 75000);
    EXPECT_EQ(f.text(), "14.11.2023 22:13:20   75 News/a.zxg\r\n");
    // Lines are appended; a name outside the pages folder is written whole.
    f.onAir("/elsewhere/b.zxg", 1999);
    EXPECT_EQ(f.text(),
              "14.11.2023 22:13:20   75 News/a.zxg\r\n"
              "14.11.2023 22:14:35    1 /elsewhere/b.zxg\r\n");
    f.onAir("/data/Pages/long.zxg", 12345 * 1000);
    EXPECT_NE(f.text().find(" 12345 long.zxg\r\n"), std::string::npos);
}

TEST(AirLog, ZeroSecondsWriteNothing) {
    Fixture f;
    f.onAir("/data/Pages/a.zxg", 400);
    EXPECT_FALSE(f.exists());
    f.log.openClip(0, "/data/Video/c.mpg");
    f.clock.advance(999);
    f.log.closeClip(0);
    EXPECT_FALSE(f.exists());
}

TEST(AirLog, NothingWhileSwitchedOff) {
    Fixture f;
    f.settings.airLog = 0;
    f.onAir("/data/Pages/a.zxg", 10000);
    f.log.openClip(1, "/data/Video/c.mpg");
    f.clock.advance(10000);
    f.log.closeClips();
    f.log.writeTitles("t.zxg", "[Name]:[John]");
    EXPECT_FALSE(f.exists());
    // Only the value 1 switches it on.
    f.settings.airLog = 2;
    f.onAir("/data/Pages/a.zxg", 10000);
    EXPECT_FALSE(f.exists());
}

TEST(AirLog, RecordStartsWhenTheDeviceIsOnAir) {
    Fixture f;
    f.log.setPageOnAir("/data/Pages/a.zxg");
    f.log.openPage(false);  // the Device still reports off air
    EXPECT_FALSE(f.log.pageRecordOpen());
    f.clock.advance(10000);
    f.log.openPage(true);
    f.clock.advance(3000);
    f.log.openPage(true);  // an open record is not restarted
    f.clock.advance(2000);
    f.log.closePage();
    EXPECT_EQ(f.text(), "14.11.2023 22:13:30    5 a.zxg\r\n");
    f.log.closePage();  // already closed: no second line
    EXPECT_EQ(f.text(), "14.11.2023 22:13:30    5 a.zxg\r\n");
}

TEST(AirLog, ResetDropsTheOpenRecords) {
    Fixture f;
    f.log.setPageOnAir("/data/Pages/a.zxg");
    f.log.openPage(true);
    f.log.openClip(0, "/data/Video/c.mpg");
    f.clock.advance(10000);
    f.log.clearPage();
    f.log.clearClips();
    f.log.closePage();
    f.log.closeClips();
    EXPECT_FALSE(f.exists());
    EXPECT_EQ(f.log.pageOnAir(), "");
    // No name, no record.
    f.log.openPage(true);
    EXPECT_FALSE(f.log.pageRecordOpen());
}

TEST(AirLog, ClipLines) {
    Fixture f;
    f.log.openClip(0, "/DATA/VIDEO/intro.mpg");
    f.clock.advance(2000);
    f.log.openClip(1, "/media/news.mpg");
    f.log.openClip(2, "/media/ignored.mpg");  // there are two boards
    EXPECT_EQ(f.log.clipName(2), "");
    f.clock.advance(8000);
    f.log.closeClips();
    EXPECT_EQ(f.text(),
              "14.11.2023 22:13:20   10 intro.mpg\r\n"
              "14.11.2023 22:13:22    8 /media/news.mpg\r\n");
    EXPECT_EQ(f.log.clipName(0), "");
}

TEST(AirLog, TitlesLineLinesUpUnderTheName) {
    Fixture f;
    f.log.writeTitles("Titles/name.zxg", "[Name]:[John\r\nSmith],[Role]:[Host]");
    std::string head = "14.11.2023 22:13:20   75 ";
    std::string line = f.text();
    EXPECT_EQ(line, std::string(22, ' ') + "-> Titles/name.zxg -> [Name]:[John Smith],[Role]:[Host]\r\n");
    EXPECT_EQ(line.find("Titles"), head.size());
    f.log.writeTitles("x.zxg", "");  // nothing filled in: no line
    EXPECT_EQ(f.text(), line);
}

TEST(AirLog, NamesAndLinesStayWhole) {
    // The example of a Windows data folder: compared without regard to case.
    EXPECT_EQ(CAirLog::RelativeName("C:\\Data\\Pages\\News\\a.zxg", "C:\\DATA\\PAGES\\"), "News\\a.zxg");
    EXPECT_EQ(CAirLog::RelativeName("C:\\Data\\Page", "C:\\DATA\\PAGES\\"), "C:\\Data\\Page");
    EXPECT_EQ(CAirLog::RelativeName("a.zxg", ""), "a.zxg");
    platform::LocalTime t;
    t.year = 2024, t.month = 3, t.day = 9, t.hour = 7, t.minute = 5, t.second = 1;
    EXPECT_EQ(CAirLog::FormatLine(t, 75, "x"), "09.03.2024 07:05:01   75 x");
    EXPECT_EQ(CAirLog::FormatLine(t, 123456, "x"), "09.03.2024 07:05:01 123456 x");
    // A line break in a name would split the record.
    EXPECT_EQ(CAirLog::FormatLine(t, 1, "a\nb\rc"), "09.03.2024 07:05:01    1 a b c");
}

TEST(AirLog, UnwritableFileLosesTheLineSilently) {
    Fixture f;
    f.folders.setProgramFolder(f.dir.path() + "missing/");
    f.onAir("/data/Pages/a.zxg", 5000);
    EXPECT_FALSE(platform::FileExists(f.dir.path() + "missing/airlog.txt"));
    EXPECT_FALSE(CAirLog::AppendLine(f.dir.path() + "missing/airlog.txt", "x\r\n"));
    // An existing file keeps what it had.
    zxtest::WriteText(f.dir.file("airlog.txt"), "old line\r\n");
    f.folders.setProgramFolder(f.dir.path());
    f.onAir("/data/Pages/a.zxg", 5000);
    EXPECT_EQ(f.text(), "old line\r\n14.11.2023 22:13:25    5 a.zxg\r\n");
}

}  // namespace
