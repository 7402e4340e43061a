// zx lang: the base file written from the program's strings reads back whole, and a damaged
// translation file is reported with its load result instead of being listed.
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
    EXPECT_NE(info.out.find(" 0 menu, 0 dialog, "), std::string::npos) << info.out;

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
