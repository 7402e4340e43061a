#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "i18n/lang_table.h"
#include "i18n/text_key.h"
#include "platform/files.h"

using namespace i18n;

namespace {

std::string TempPath(const std::string& name) {
    std::string dir = platform::RuntimeDir() + "zx_i18n_test_" + std::to_string(::getpid()) + "/";
    platform::MakeDirectories(dir);
    return dir + name;
}

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

}  // namespace

TEST(LangTable, SaveLoadRoundTripKeepsFileOrderAndLooksUpUnsigned) {
    LangTable t = LangTable::Build({{StringKey(5), "Five"},
                                    {MenuKey(128, 1, 0), "&File"},
                                    {DialogKey(309, 0), "Caption"},
                                    {StringKey(5), "second copy"},
                                    {0x7FFFFFFFu, "low"}});
    ASSERT_EQ(t.count(), 4u);  // the repeated key kept once, the first
    std::string path = TempPath("round.zxl");
    ASSERT_EQ(t.save(path), kLangOk);

    LangTable back;
    ASSERT_EQ(back.load(path), kLangOk);
    ASSERT_EQ(back.count(), 4u);
    EXPECT_EQ(back.poolSize(), t.poolSize());
    EXPECT_EQ(back.entries()[0].key, StringKey(5));
    EXPECT_EQ(back.entries()[0].offset, 0u);
    EXPECT_EQ(back.entries()[1].offset, 5u);
    EXPECT_STREQ(back.Lookup(StringKey(5)), "Five");
    EXPECT_STREQ(back.Lookup(DialogKey(309, 0)), "Caption");
    EXPECT_STREQ(back.Lookup(0x7FFFFFFFu), "low");
    EXPECT_EQ(back.Lookup(StringKey(6)), nullptr);
    // Sorted as unsigned: kind 01 before kinds 10 and 11.
    ASSERT_EQ(back.sorted().size(), 4u);
    EXPECT_EQ(back.sorted()[0].key, MenuKey(128, 1, 0));
    EXPECT_EQ(back.sorted()[1].key, 0x7FFFFFFFu);
    EXPECT_EQ(back.sorted()[2].key, DialogKey(309, 0));
    EXPECT_EQ(back.sorted()[3].key, StringKey(5));
    EXPECT_EQ(back.serialise(), t.serialise());

    std::vector<uint8_t> raw;
    ASSERT_TRUE(platform::ReadFile(path, raw));
    ASSERT_GE(raw.size(), kLangHeaderSize);
    EXPECT_EQ(std::memcmp(raw.data(), "LANG", 4), 0);
    for (size_t i = 12; i < kLangHeaderSize; ++i) EXPECT_EQ(raw[i], 0) << i;

    EXPECT_EQ(back.load(TempPath("missing.zxl")), kLangOpenError);
    EXPECT_TRUE(back.empty());
    EXPECT_EQ(t.save(TempPath("no/such/folder/x.zxl")), kLangSaveError);
}

TEST(LangTable, DamagedFilesAreRejectedWhole) {
    std::vector<uint8_t> good = LangTable::Build({{StringKey(1), "One"}, {StringKey(2), "Two"}}).serialise();
    auto rejects = [](std::vector<uint8_t> b) {
        LangTable t;
        int rc = t.parse(b.data(), b.size());
        return rc == kLangFormatError && t.empty() && t.poolSize() == 0;
    };
    {
        LangTable t;
        EXPECT_EQ(t.parse(good.data(), good.size()), kLangOk);
    }
    std::vector<uint8_t> b = good;
    b[0] = 'X';
    EXPECT_TRUE(rejects(b)) << "magic";
    EXPECT_TRUE(rejects({good.begin(), good.begin() + 100})) << "header cut short";
    b = good;
    PutU32(b, 4, 0xFFFFFFFFu);
    EXPECT_TRUE(rejects(b)) << "count past the end";
    b = good;
    PutU32(b, 8, uint32_t(good.size()));
    EXPECT_TRUE(rejects(b)) << "pool past the end";
    b = good;
    PutU32(b, kLangHeaderSize + 12, 8);  // offset == pool size
    EXPECT_TRUE(rejects(b)) << "offset past the pool";
    b = good;
    b.back() = 'x';  // "Two" without its zero
    EXPECT_TRUE(rejects(b)) << "last text unterminated";

    // An empty table is a valid file.
    std::vector<uint8_t> empty = LangTable().serialise();
    LangTable t;
    EXPECT_EQ(t.parse(empty.data(), empty.size()), kLangOk);
    EXPECT_EQ(empty.size(), kLangHeaderSize);
}

TEST(LangTable, DuplicateKeysInAFileFirstWins) {
    std::vector<uint8_t> b = LangTable::Build({{StringKey(1), "first"}, {StringKey(2), "second"}}).serialise();
    PutU32(b, kLangHeaderSize + 8, StringKey(1));  // the second entry now repeats the first key
    LangTable t;
    ASSERT_EQ(t.parse(b.data(), b.size()), kLangOk);
    EXPECT_STREQ(t.Lookup(StringKey(1)), "first");
}

TEST(LangText, TabsAndMarkers) {
    EXPECT_EQ(ExpandTabs("&Open...\\tCtrl+O"), "&Open...\tCtrl+O");
    EXPECT_EQ(ExpandTabs("a\\\\b\\"), "a\\\\b\\");
    EXPECT_EQ(FormatMarkers("%1 of %2: %02d%% %s %5.1f"),
              (std::vector<std::string>{"%1", "%2", "%02d", "%s", "%5.1f"}));
    EXPECT_TRUE(MarkersMatch("File %1 in %2", "В %2 файл %1"));
    EXPECT_FALSE(MarkersMatch("File %1 in %2", "Файл %1"));
    EXPECT_FALSE(MarkersMatch("%d of %s", "%s of %d"));
    EXPECT_FALSE(MarkersMatch("%02d:%02d", "%2d:%02d"));
    EXPECT_EQ(FormatMarkers("%1d %2"), (std::vector<std::string>{"%1d", "%2"}));
    EXPECT_TRUE(MarkersMatch("100%% done", "Done"));
}
