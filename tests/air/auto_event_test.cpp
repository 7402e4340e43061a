// The automation files: the record at its documented offsets, damaged and odd files, and the
// binding list against the model's item keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "air/auto_event.h"
#include "app/settings.h"
#include "pages/file_result.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace {

using air::AutoEvent;

uint32_t at32(const std::vector<uint8_t>& b, size_t o) {
    return uint32_t(b[o]) | uint32_t(b[o + 1]) << 8 | uint32_t(b[o + 2]) << 16 | uint32_t(b[o + 3]) << 24;
}

AutoEvent sample() {
    AutoEvent e;
    e.hour = 23;
    e.minute = 59;
    e.second = 58;
    e.onceOnly = 1;
    e.year = 2025;
    e.month = 12;
    e.day = 31;
    e.weekdays = 0x55;
    e.active = 1;
    e.filePathKind = 0;
    e.fileName = "Sequences\\Evening show.zxs";
    e.videoPathKind = 1;
    e.videoName = "/media/clips/intro.mpg";
    e.videoLoop = 1;
    e.holdOff = 7;
    e.restorePreview = 1;
    return e;
}

std::vector<uint8_t> header(const char* magic, uint32_t version, uint32_t count) {
    std::vector<uint8_t> out;
    platform::ByteWriter w(out);
    w.bytes(magic, 4);
    w.u32(version);
    w.u32(count);
    w.zeros(52);
    return out;
}

TEST(AutoEventFile, RecordsSitAtTheirOffsetsAndReadBackWithoutTheRunState) {
    const std::vector<uint8_t> img = air::SerializeEventFile({AutoEvent{}, sample()});
    ASSERT_EQ(img.size(), 64u + 2 * 1024u);
    EXPECT_EQ(std::string(img.begin(), img.begin() + 4), "ZXEF");
    EXPECT_EQ(at32(img, 4), 0x00010000u);
    EXPECT_EQ(at32(img, 8), 2u);
    for (size_t i = 12; i < 64; ++i) ASSERT_EQ(img[i], 0) << i;
    const size_t r = 64 + 1024;
    EXPECT_EQ(img[r + 0] | img[r + 1] << 8, 23);
    EXPECT_EQ(img[r + 2], 59);
    EXPECT_EQ(img[r + 3], 58);
    EXPECT_EQ(at32(img, r + 4), 1u);
    EXPECT_EQ(img[r + 8] | img[r + 9] << 8, 2025);
    EXPECT_EQ(img[r + 10], 12);
    EXPECT_EQ(img[r + 11], 31);
    EXPECT_EQ(at32(img, r + 12), 0x55u);
    EXPECT_EQ(at32(img, r + 16), 1u);
    EXPECT_EQ(at32(img, r + 20), 0u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&img[r + 24])), "Sequences\\Evening show.zxs");
    EXPECT_EQ(at32(img, r + 284), 1u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&img[r + 288])), "/media/clips/intro.mpg");
    EXPECT_EQ(at32(img, r + 548), 1u);
    EXPECT_EQ(at32(img, r + 552), 7u);  // the countdown is written as it stands
    EXPECT_EQ(at32(img, r + 556), 1u);
    for (size_t i = r + 560; i < r + 1024; ++i) ASSERT_EQ(img[i], 0) << i;

    std::vector<AutoEvent> back;
    ASSERT_EQ(air::ParseEventFile(img.data(), img.size(), back), 0);
    ASSERT_EQ(back.size(), 2u);
    AutoEvent want = sample();
    want.holdOff = 0;  // a fresh run does not rest
    EXPECT_EQ(back[1], want);
    EXPECT_EQ(back[0], AutoEvent{});
}

TEST(AutoEventFile, DamagedHeadersAndOddCounts) {
    std::vector<AutoEvent> out{AutoEvent{}};
    // Short, wrong magic, other version.
    std::vector<uint8_t> shortFile = header("ZXEF", 0x00010000, 0);
    shortFile.resize(40);
    EXPECT_EQ(air::ParseEventFile(shortFile.data(), shortFile.size(), out), pages::FILE_FORMAT_ERROR);
    EXPECT_TRUE(out.empty());
    const std::vector<uint8_t> magic = header("ZXEX", 0x00010000, 0);
    EXPECT_EQ(air::ParseEventFile(magic.data(), magic.size(), out), pages::FILE_FORMAT_ERROR);
    const std::vector<uint8_t> version = header("ZXEF", 0x00020000, 0);
    EXPECT_EQ(air::ParseEventFile(version.data(), version.size(), out), pages::FILE_VERSION_ERROR);

    // A count beyond the data reads the records present; a last one cut short is dropped.
    std::vector<uint8_t> img = air::SerializeEventFile({sample(), sample(), sample()});
    img[8] = 0xFF;
    img[9] = img[10] = img[11] = 0xFF;
    img.resize(img.size() - 10);
    ASSERT_EQ(air::ParseEventFile(img.data(), img.size(), out), 0);
    EXPECT_EQ(out.size(), 2u);
    // A count below the data reads that many.
    img = air::SerializeEventFile({sample(), sample(), sample()});
    img[8] = 1;
    ASSERT_EQ(air::ParseEventFile(img.data(), img.size(), out), 0);
    EXPECT_EQ(out.size(), 1u);

    // A name that fills its field without a zero is cut at 259 characters.
    img = air::SerializeEventFile({sample()});
    std::fill(img.begin() + 64 + 24, img.begin() + 64 + 24 + 260, 'a');
    ASSERT_EQ(air::ParseEventFile(img.data(), img.size(), out), 0);
    EXPECT_EQ(out[0].fileName, std::string(259, 'a'));
    EXPECT_EQ(out[0].videoName, sample().videoName);
    // Written back it keeps its zero.
    img = air::SerializeEventFile(out);
    EXPECT_EQ(img[64 + 24 + 259], 0);
}

TEST(AutoEventFile, AnUnreadableFileIsKeptAsideAndTheListStartsEmpty) {
    zxtest::TempDir dir;
    const std::string path = dir.file("schedule.dat");
    std::vector<AutoEvent> out{sample()};
    EXPECT_EQ(air::LoadEventFile(path, out), 0) << "no file yet is an empty list";
    EXPECT_TRUE(out.empty());

    const std::vector<uint8_t> old = header("ZXEF", 0x00020000, 3);
    ASSERT_TRUE(platform::WriteFileAtomic(path, old));
    EXPECT_EQ(air::LoadEventFile(path, out), pages::FILE_VERSION_ERROR);
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(platform::FileExists(path));
    std::vector<uint8_t> kept;
    ASSERT_TRUE(platform::ReadFile(path + ".bad", kept));
    EXPECT_EQ(kept, old);

    // The next save writes a fresh file and leaves the old one where it was put.
    ASSERT_EQ(air::SaveEventFile(path, {sample()}), 0);
    ASSERT_EQ(air::LoadEventFile(path, out), 0);
    EXPECT_EQ(out.size(), 1u);
    ASSERT_TRUE(platform::ReadFile(path + ".bad", kept));
    EXPECT_EQ(kept, old);

    EXPECT_EQ(air::SaveEventFile(dir.file("no/such/folder/binds.dat"), {}), pages::FILE_SAVE_ERROR);
}

TEST(AutoEventFile, NamesOfTheFilesAndTheBindingCountOfEachModel) {
    EXPECT_EQ(air::ScheduleFileName(false), "schedule.dat");
    EXPECT_EQ(air::ScheduleFileName(true), "schedule_400m.dat");
    EXPECT_EQ(air::BindsFileName(false), "binds.dat");
    EXPECT_EQ(air::BindsFileName(true), "binds_400m.dat");
    const int want[app::kModelCount] = {8, 8, 0, 0, 10, 0};
    for (int m = 0; m < app::kModelCount; ++m) EXPECT_EQ(app::kDeviceModels[m].bindings, want[m]) << m;

    std::vector<AutoEvent> b(3, sample());
    air::PadBindings(b, app::kDeviceModels[4].bindings);  // KTG330E: ten keys
    ASSERT_EQ(b.size(), 10u);
    EXPECT_EQ(b[2], sample());
    EXPECT_EQ(b[9], AutoEvent{});
    b.resize(12, sample());
    air::PadBindings(b, 8);  // more than the keys: kept for another model
    EXPECT_EQ(b.size(), 12u);
}

TEST(AutoEventFile, ImpossibleDatesAndTimes) {
    AutoEvent e = sample();
    EXPECT_TRUE(air::EventTimeValid(e));
    e.month = 2;
    e.day = 29;
    EXPECT_FALSE(air::EventTimeValid(e));
    e.year = 2024;
    EXPECT_TRUE(air::EventTimeValid(e));
    e.month = 13;
    EXPECT_FALSE(air::EventTimeValid(e));
    e = sample();
    e.hour = 24;
    EXPECT_FALSE(air::EventTimeValid(e));
    e = sample();
    e.onceOnly = 0;
    e.year = 0;  // the date of a daily event is not used
    EXPECT_TRUE(air::EventTimeValid(e));
    e.second = 60;
    EXPECT_FALSE(air::EventTimeValid(e));
}

}  // namespace
