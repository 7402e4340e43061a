// The clock file: what a save writes comes back whole, a preview reads only the thumbnail into
// the caller's picture, and every damaged file is refused with its code while the clock in the
// object stays as it was.
#include <gtest/gtest.h>

#include <cstring>

#include "clock_test_util.h"
#include "pages/file_result.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace wizards;

namespace {

class ClockFile : public ::testing::Test {
protected:
    zxtest::TempDir dir;
    CClockImage made;
    std::string path;

    void SetUp() override {
        clocktest::MakeTestClock(made, 301, 250);
        made.header().steps[HAND_MINUTE] = 4;
        made.header().shadows = true;
        made.header().shadowX[0] = -8;
        made.header().shadowY[2] = 6;
        made.header().belowFace = true;
        path = dir.file("made.zck");
        ASSERT_EQ(made.Save(path), pages::FILE_OK);
    }
    std::vector<uint8_t> bytes() {
        std::vector<uint8_t> b;
        EXPECT_TRUE(platform::ReadFile(path, b));
        return b;
    }
    // The saved file with one header value changed.
    std::string damaged(size_t offset, int32_t value, bool byte = false) {
        std::vector<uint8_t> b = bytes();
        if (byte) {
            b[offset] = uint8_t(value);
        } else {
            for (int k = 0; k < 4; ++k) b[offset + size_t(k)] = uint8_t(uint32_t(value) >> (8 * k));
        }
        const std::string p = dir.file("damaged.zck");
        EXPECT_TRUE(platform::WriteFileAtomic(p, b));
        return p;
    }
};

TEST_F(ClockFile, SavedFileHasTheLayoutAndComesBackWhole) {
    const std::vector<uint8_t> b = bytes();
    ASSERT_EQ(b.size(), 8322178u);
    EXPECT_EQ(std::memcmp(b.data(), "ZCLK", 4), 0);
    platform::ByteReader r(b.data(), b.size());
    r.skip(4);
    EXPECT_EQ(r.u32(), 0x00010000u);
    r.seek(56);
    EXPECT_EQ(r.i32(), 301);
    EXPECT_EQ(r.i32(), 250);
    EXPECT_EQ(b[64], 0);
    EXPECT_EQ(b[65], 4);
    EXPECT_EQ(b[67], 1);
    EXPECT_EQ(b[92], 1);
    for (size_t i = 93; i < 128; ++i) EXPECT_EQ(b[i], 0) << i;
    EXPECT_EQ(std::memcmp(b.data() + 414848, made.face().data(), 829442), 0);
    EXPECT_EQ(std::memcmp(b.data() + 1244290 + 2359296, made.hand(1).bits(), 2359296), 0);

    CClockImage back;
    ASSERT_EQ(back.Load(path), pages::FILE_OK);
    EXPECT_TRUE(back.loaded());
    EXPECT_EQ(back.header(), made.header());
    EXPECT_EQ(back.thumbnail(), made.thumbnail());
    EXPECT_EQ(back.face(), made.face());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(back.hand(i), made.hand(i)) << i;
    EXPECT_TRUE(back.HandsBelowFace());
    // Both render the same.
    ASSERT_TRUE(back.Prepare());
    ASSERT_TRUE(made.Prepare());
    back.Render(10, 8, 42, true);
    made.Render(10, 8, 42, true);
    ASSERT_EQ(back.blockSize(0), made.blockSize(0));
    EXPECT_EQ(std::memcmp(back.block(0), made.block(0), made.blockSize(0)), 0);
}

TEST_F(ClockFile, ThumbnailOnlyFillsThePictureOfTheCaller) {
    CClockImage onAir;
    clocktest::MakeTestClock(onAir);
    const ClockHeader before = onAir.header();
    pages::CBitmap32 preview;
    ASSERT_EQ(onAir.LoadPreview(path, preview), pages::FILE_OK);
    EXPECT_EQ(preview, made.thumbnail());
    EXPECT_EQ(onAir.header(), before);  // the clock that may be on air is untouched
    // A file cut after its thumbnail still gives the preview, not the clock.
    std::vector<uint8_t> b = bytes();
    b.resize(414848);
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("head.zck"), b));
    pages::CBitmap32 p2;
    EXPECT_EQ(CClockImage::ReadThumbnail(dir.file("head.zck"), p2), pages::FILE_OK);
    EXPECT_EQ(onAir.Load(dir.file("head.zck")), pages::FILE_FORMAT_ERROR);
    b.resize(414847);
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("head.zck"), b));
    pages::CBitmap32 p3;
    EXPECT_EQ(CClockImage::ReadThumbnail(dir.file("head.zck"), p3), pages::FILE_FORMAT_ERROR);
    EXPECT_TRUE(p3.empty());
}

TEST_F(ClockFile, DamagedFilesAreRefusedAndTheClockKept) {
    CClockImage clock;
    ASSERT_EQ(clock.Load(path), pages::FILE_OK);
    auto refused = [&](const std::string& p, int code, const char* what) {
        EXPECT_EQ(clock.Load(p), code) << what;
        pages::CBitmap32 pic;
        EXPECT_EQ(CClockImage::ReadThumbnail(p, pic), code) << what;
        EXPECT_EQ(clock.header(), made.header()) << what;
        EXPECT_TRUE(clock.loaded());
    };
    refused(dir.file("none.zck"), pages::FILE_OPEN_ERROR, "missing");
    refused(dir.path(), pages::FILE_OPEN_ERROR, "a folder");
    refused(damaged(0, 'X', true), pages::FILE_FORMAT_ERROR, "magic");
    refused(damaged(4, 0x00010001), pages::FILE_VERSION_ERROR, "version");
    refused(damaged(56, 15), pages::FILE_FORMAT_ERROR, "centre x 15");
    refused(damaged(56, 704), pages::FILE_FORMAT_ERROR, "centre x 704");
    refused(damaged(60, 560), pages::FILE_FORMAT_ERROR, "centre y 560");
    // Centre (301, 250): R = 235. A rectangle beyond ±R or ±50 would read outside the pictures.
    refused(damaged(8 + 8, 236), pages::FILE_FORMAT_ERROR, "hand 0 right 236");
    refused(damaged(8 + 16, -236), pages::FILE_FORMAT_ERROR, "hand 1 left -236");
    refused(damaged(8 + 32 + 12, 51), pages::FILE_FORMAT_ERROR, "hand 2 bottom 51");
    refused(damaged(8 + 4, -51), pages::FILE_FORMAT_ERROR, "hand 0 top -51");
    refused(damaged(65, 7, true), pages::FILE_FORMAT_ERROR, "step choice 7");
    refused(damaged(67, 2, true), pages::FILE_FORMAT_ERROR, "shadows 2");
    refused(damaged(92, 2, true), pages::FILE_FORMAT_ERROR, "below face 2");
    refused(damaged(68, -9), pages::FILE_FORMAT_ERROR, "shadow x -9");
    refused(damaged(80 + 8, 9), pages::FILE_FORMAT_ERROR, "shadow y 9");
    std::vector<uint8_t> b = bytes();
    b.resize(b.size() - 1);
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("short.zck"), b));
    EXPECT_EQ(clock.Load(dir.file("short.zck")), pages::FILE_FORMAT_ERROR);
    b.resize(100);
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("tiny.zck"), b));
    refused(dir.file("tiny.zck"), pages::FILE_FORMAT_ERROR, "shorter than the header");

    // The edges of what is allowed are taken.
    EXPECT_EQ(clock.Load(damaged(8 + 8, 235)), pages::FILE_OK);
    EXPECT_EQ(clock.Load(damaged(68, 8)), pages::FILE_OK);
    // An empty rectangle is no hand, and fine.
    std::vector<uint8_t> e = bytes();
    std::memset(e.data() + 8, 0, 16);
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("empty.zck"), e));
    EXPECT_EQ(clock.Load(dir.file("empty.zck")), pages::FILE_OK);
    EXPECT_TRUE(clock.header().hands[0].empty());
}

TEST_F(ClockFile, SavingNeedsAClockAndAWritableFolder) {
    CClockImage none;
    EXPECT_EQ(none.Save(dir.file("none.zck")), pages::FILE_SAVE_ERROR);
    EXPECT_FALSE(platform::FileExists(dir.file("none.zck")));
    EXPECT_EQ(made.Save(dir.file("no/such/folder/x.zck")), pages::FILE_SAVE_ERROR);
    made.Clear();
    EXPECT_FALSE(made.loaded());
    EXPECT_EQ(made.Save(dir.file("cleared.zck")), pages::FILE_SAVE_ERROR);
}

}  // namespace
