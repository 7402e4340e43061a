// The interactive system file: a round trip, the fields at their offsets, and damaged files
// answered with their codes.
#include <gtest/gtest.h>

#include <cstring>

#include "interactive/itv_doc.h"
#include "pages/file_result.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace interactive;

namespace {

CITVDoc Sample() {
    CITVDoc d;
    d.answers = 3;
    d.fullScale = 10;
    d.pagePath = "Vote.zxg";
    d.fillWholeScale = true;
    d.ignoreDuplicates = true;
    d.decimals = 2;
    d.bindings[ITV_ROW_ANSWER][0] = "Answer1";
    d.bindings[ITV_ROW_SCALE][2] = "Bar3";
    d.bindings[ITV_ROW_OTHER][ITV_COL_CLOCK] = "Clock";
    d.bindings[ITV_ROW_CALLER][7] = std::string(64, 'N');  // fills its field: no terminator
    d.question = "Who\r\nwins?";
    d.answerTexts = {"Red", "Green", "Blue"};
    d.keywords = {"RED", "GREEN", "\xC4\xC0"};
    d.DefaultLineTable();
    d.clockSeconds = true;
    d.blinkingSeparator = true;
    return d;
}

void ExpectSame(const CITVDoc& a, const CITVDoc& b) {
    EXPECT_EQ(a.answers, b.answers);
    EXPECT_EQ(a.fullScale, b.fullScale);
    EXPECT_EQ(a.absolutePath, b.absolutePath);
    EXPECT_EQ(a.pagePath, b.pagePath);
    EXPECT_EQ(a.fillWholeScale, b.fillWholeScale);
    EXPECT_EQ(a.ignoreDuplicates, b.ignoreDuplicates);
    EXPECT_EQ(a.decimals, b.decimals);
    EXPECT_EQ(a.bindings, b.bindings);
    EXPECT_EQ(a.question, b.question);
    EXPECT_EQ(a.answerTexts, b.answerTexts);
    EXPECT_EQ(a.keywords, b.keywords);
    EXPECT_EQ(a.lineTable, b.lineTable);
    EXPECT_EQ(a.clockSeconds, b.clockSeconds);
    EXPECT_EQ(a.blinkingSeparator, b.blinkingSeparator);
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    platform::ByteWriter w(b.data() + at, 4);
    w.u32(v);
}

}  // namespace

TEST(ItvDoc, RoundTripAndLayout) {
    zxtest::TempDir dir;
    const CITVDoc d = Sample();
    ASSERT_EQ(d.Save(dir.file("vote.zxi")), 0);
    CITVDoc back;
    ASSERT_EQ(back.Load(dir.file("vote.zxi")), 0);
    ExpectSame(d, back);
    EXPECT_EQ(back.bindings[ITV_ROW_CALLER][7].size(), 64u);

    const std::vector<uint8_t> b = d.Serialize();
    platform::ByteReader r(b);
    EXPECT_EQ(std::memcmp(b.data(), "ZITV", 4), 0);
    r.seek(4);
    EXPECT_EQ(r.u32(), 0x00010001u);
    EXPECT_EQ(r.u32(), 3u);
    EXPECT_EQ(r.u32(), 10u);
    EXPECT_EQ(r.u32(), 0x306u);  // fill, duplicates, seconds, blinking
    EXPECT_EQ(r.u32(), 2u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data()) + 64 + 512 * 2 + 64 * 2), "Bar3");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data()) + 64 + 512 * 6 + 64 * 2), "Clock");
    r.seek(3648);
    EXPECT_EQ(r.u32(), 1u);
    r.seek(3648 + 4 * 3);
    EXPECT_EQ(r.u32(), 0u);
    r.seek(3680);
    EXPECT_EQ(r.str32(), "Vote.zxg");
    EXPECT_EQ(r.str32(), "Who\r\nwins?");
    EXPECT_EQ(r.str32(), "Red");
    EXPECT_EQ(r.str32(), "RED");
}

TEST(ItvDoc, DamagedFilesGiveTheirCodes) {
    const std::vector<uint8_t> good = Sample().Serialize();
    CITVDoc d;
    ASSERT_EQ(d.Parse(good), 0);

    auto parse = [](std::vector<uint8_t> b) {
        CITVDoc doc = Sample();
        const int code = doc.Parse(b);
        if (code) {
            EXPECT_EQ(doc.answers, 0) << "a failed read leaves a cleared document";
        }
        return code;
    };
    std::vector<uint8_t> b = good;
    b[0] = 'X';
    EXPECT_EQ(parse(b), pages::FILE_FORMAT_ERROR);
    b = good;
    Put32(b, 4, 0x00010002);
    EXPECT_EQ(parse(b), pages::FILE_VERSION_ERROR);
    b = good;
    Put32(b, 8, 9);
    EXPECT_EQ(parse(b), pages::FILE_FORMAT_ERROR) << "answers outside 0-8";
    b = good;
    Put32(b, 20, 3);
    EXPECT_EQ(parse(b), pages::FILE_FORMAT_ERROR) << "decimals outside 0-2";
    b = good;
    Put32(b, 3648 + 4 * 5, 9);
    EXPECT_EQ(parse(b), pages::FILE_FORMAT_ERROR) << "a line-table entry outside 0-8";
    b = good;
    Put32(b, 3648 + 4 * 5, uint32_t(-1));
    EXPECT_EQ(parse(b), pages::FILE_FORMAT_ERROR);
    b = good;
    Put32(b, 3680, 0x7FFFFFFF);
    EXPECT_EQ(parse(b), pages::FILE_FORMAT_ERROR) << "a string length running past the end";
    b = good;
    b.resize(b.size() - 1);
    EXPECT_EQ(parse(b), pages::FILE_FORMAT_ERROR);
    b.resize(3000);
    EXPECT_EQ(parse(b), pages::FILE_FORMAT_ERROR);
    EXPECT_EQ(parse({}), pages::FILE_FORMAT_ERROR);

    zxtest::TempDir dir;
    EXPECT_EQ(d.Load(dir.file("missing.zxi")), pages::FILE_OPEN_ERROR);
}

TEST(ItvDoc, FailedSaveGives258) {
    zxtest::TempDir dir;
    const CITVDoc d = Sample();
    EXPECT_EQ(d.Save(dir.file("missing folder/v.zxi")), pages::FILE_SAVE_ERROR);
    ASSERT_TRUE(platform::MakeDirectories(dir.file("taken/inside")));
    EXPECT_EQ(d.Save(dir.file("taken")), pages::FILE_SAVE_ERROR) << "a folder of that name is not replaced";
    EXPECT_TRUE(platform::IsDirectory(dir.file("taken/inside")));
}

TEST(ItvDoc, PagePathsAndBindings) {
    CITVDoc d;
    d.SetPageFile("/data/PAGES/Sub/Vote.zxg", "/data/Pages/");
    EXPECT_FALSE(d.absolutePath);
    EXPECT_EQ(d.pagePath, "Sub/Vote.zxg");
    EXPECT_EQ(d.PageFile("/data/Pages/"), "/data/Pages/Sub/Vote.zxg");
    d.SetPageFile("/elsewhere/Vote.zxg", "/data/Pages");
    EXPECT_TRUE(d.absolutePath);
    EXPECT_EQ(d.PageFile("/data/Pages/"), "/elsewhere/Vote.zxg");

    d.answers = 3;
    d.DefaultLineTable();
    EXPECT_EQ(d.lineTable, (std::array<int, 8>{1, 2, 3, 0, 0, 0, 0, 0}));
    d.bindings[ITV_ROW_VOTES][0] = "Count";
    d.bindings[ITV_ROW_PERCENT][1] = "Other";
    EXPECT_EQ(d.DuplicateBinding(), "");
    d.bindings[ITV_ROW_OTHER][ITV_COL_TOTAL] = "Count";
    EXPECT_EQ(d.DuplicateBinding(), "Count");
}
