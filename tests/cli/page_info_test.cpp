// zx page info on a page whose header points outside the file: the page still loads for air, and
// the report says which offset cannot be used instead of printing it as if it were fine.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace {

const std::string kZx = ZX_BINARY_DIR "/src/cli/zx";

struct Result {
    int status = -1;
    std::string out;
};

Result Zx(const std::string& args) {
    Result r;
    FILE* p = popen(("exec \"" + kZx + "\" " + args).c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace

TEST(PageInfo, SaysWhichHeaderOffsetItCannotUse) {
    zxtest::TempDir dir;
    const std::string data = dir.file("data");
    ASSERT_EQ(Zx("demo \"" + data + "\" >/dev/null 2>&1").status, 0);
    const std::string page = data + "/Pages/Weather.zxg";
    const Result good = Zx("page info \"" + page + "\" --home \"" + data + "\" 2>&1");
    ASSERT_EQ(good.status, 0) << good.out;
    EXPECT_NE(good.out.find("\"problems\": []"), std::string::npos) << good.out;

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(platform::ReadFile(page, bytes));
    ASSERT_GT(bytes.size(), 256u);
    bytes[172] = 0x00, bytes[173] = 0x00, bytes[174] = 0x00, bytes[175] = 0x80;  // thumbnailOffset
    const std::string bad = dir.file("bad.zxg");
    ASSERT_TRUE(platform::WriteFileAtomic(bad, bytes));
    const Result r = Zx("page info \"" + bad + "\" --home \"" + data + "\" 2>&1");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("zx page info: " + bad + ": thumbnailOffset 2147483648"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"problems\": [\"thumbnailOffset 2147483648 ("), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("deviceOffset 0"), std::string::npos) << r.out;
}
