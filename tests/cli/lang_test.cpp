// zx lang: the base file written from the program's texts reads back whole, a damaged
// translation file is reported with its load result instead of being listed, and a translator's
// round (source, compile, check) gives the language back with every fault on its line.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace {

struct ZxRun {
    int status = -1;
    std::string out;
};

ZxRun Zx(const std::string& args) {
    ZxRun r;
    FILE* p = popen(("exec \"" ZX_BINARY_DIR "/src/cli/zx\" " + args).c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace

TEST(LangCommand, BaseInfoDumpAndDamagedFile) {
    zxtest::TempDir dir;
    const std::string base = dir.file("zentrix.lna");
    ZxRun made = Zx("lang base --out \"" + base + "\" 2>&1");
    ASSERT_EQ(made.status, 0) << made.out;

    ZxRun info = Zx("lang info \"" + base + "\" 2>&1");
    EXPECT_EQ(info.status, 0) << info.out;
    EXPECT_NE(info.out.find("result 0"), std::string::npos) << info.out;
    // The menus, the dialogs and the strings.
    EXPECT_EQ(info.out.find(" 0 menu"), std::string::npos) << info.out;
    EXPECT_EQ(info.out.find(" 0 dialog"), std::string::npos) << info.out;

    ZxRun dump = Zx("lang dump \"" + base + "\" --base \"" + base + "\" 2>&1");
    EXPECT_EQ(dump.status, 0);
    EXPECT_NE(dump.out.find("C0000BB9\tstring\tstring 3001\t\"Error saving file:\\u000a\\u000a%1\""), std::string::npos)
        << dump.out.substr(0, 2000);
    EXPECT_EQ(dump.out.find("markers differ"), std::string::npos);

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(platform::ReadFile(base, bytes));
    bytes[8] = 0xFF, bytes[9] = 0xFF, bytes[10] = 0xFF;  // pool size past the end
    const std::string bad = dir.file("bad.zxl");
    ASSERT_TRUE(platform::WriteFileAtomic(bad, bytes));
    ZxRun damaged = Zx("lang info \"" + bad + "\" 2>&1");
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(damaged.out.find("result 259"), std::string::npos) << damaged.out;
    EXPECT_EQ(Zx("lang dump \"" + bad + "\" 2>/dev/null").status, 1);
}

TEST(LangCommand, SourceCompileAndCheck) {
    zxtest::TempDir dir;
    const std::string base = dir.file("zentrix.lna"), source = dir.file("ru.txt"), out = dir.file("ru.zxl");
    ASSERT_EQ(Zx("lang base --out \"" + base + "\" 2>&1").status, 0);
    ZxRun written = Zx("lang source --base \"" + base + "\" --out \"" + source + "\" 2>&1");
    ASSERT_EQ(written.status, 0) << written.out;
    std::string text;
    ASSERT_TRUE(platform::ReadFile(source, text));
    EXPECT_NE(text.find("# Error saving file:\\n\\n%1\nC0000BB9\tError saving file:\\n\\n%1\n"), std::string::npos);

    // Two lines only: a translation and one with other markers.
    ASSERT_TRUE(platform::WriteFileAtomic(source, std::string_view("C0000BB9\tОшибка записи:\\n\\n%1\n"
                                                                   "C0003E98\tПусто %s\n")));
    ZxRun compiled = Zx("lang compile \"" + source + "\" --base \"" + base + "\" --out \"" + out + "\" 2>&1");
    EXPECT_EQ(compiled.status, 0) << compiled.out;
    EXPECT_NE(compiled.out.find(":2: warning:"), std::string::npos) << compiled.out;
    ZxRun check = Zx("lang check \"" + out + "\" --base \"" + base + "\" 2>&1");
    EXPECT_EQ(check.status, 1) << check.out;  // the markers differ
    EXPECT_NE(check.out.find(": 2 of "), std::string::npos) << check.out.substr(0, 300);
    EXPECT_NE(check.out.find("markers differ\tC0003E98"), std::string::npos);

    // A character code page 1251 lacks and an unknown key: errors with their lines, no file.
    ASSERT_TRUE(platform::WriteFileAtomic(source, std::string_view("C0000BB9\tOK\nC0003E98\t中\nC7777777\tx\n")));
    std::remove(out.c_str());
    ZxRun refused = Zx("lang compile \"" + source + "\" --base \"" + base + "\" --out \"" + out + "\" 2>&1");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find(":2: key C0003E98: U+4E2D is not in code page 1251"), std::string::npos) << refused.out;
    EXPECT_NE(refused.out.find(":3: key C7777777 is not in the base file"), std::string::npos) << refused.out;
    EXPECT_FALSE(platform::FileExists(out));
}
