#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>

#include "app/log/event_log.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace {

class EventLogTest : public ::testing::Test {
protected:
    void SetUp() override { app::ResetEventLog(); }
    void TearDown() override { app::ResetEventLog(); }
    void configure(const std::string& ini) {
        zxtest::WriteText(dir.file("ZENTRIX.INI"), ini);
        app::ConfigureEventLog(dir.file("ZENTRIX.INI"), dir.path());
    }
    std::string log() { return zxtest::ReadText(dir.file("logfile.txt")); }
    zxtest::TempDir dir;
};

TEST_F(EventLogTest, OffByDefaultCreatesNoFile) {
    configure("[Start]\nFirst=0\n");
    LogMessage("SESSION START");
    EXPECT_FALSE(platform::FileExists(dir.file("logfile.txt")));
    EXPECT_FALSE(app::EventLogEnabled());
}

TEST_F(EventLogTest, TimestampedLinesDayFirstWithCrLf) {
    configure("[Debug]\nLog=1\n");
    LogMessage("Memory size: %d Mb", 512);
    std::string text = log();
    std::regex line(R"(^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{3} - Memory size: 512 Mb\r\n$)");
    EXPECT_TRUE(std::regex_match(text, line)) << text;
}

TEST_F(EventLogTest, WithoutTimestampAndSwitchesReadOnlyOnce) {
    configure("[Debug]\nLog=1\nTimestamp=0\n");
    LogMessage("CEngine::Reply %02X", 0x0A);
    // Switching the log off in the file has no effect until the next start.
    zxtest::WriteText(dir.file("ZENTRIX.INI"), "[Debug]\nLog=0\n");
    LogMessage("two\nlines");
    EXPECT_EQ(log(), "CEngine::Reply 0A\r\ntwo\r\nlines\r\n");
}

TEST_F(EventLogTest, LongMessagesStopAt255Characters) {
    configure("[Debug]\nLog=1\nTimestamp=0\n");
    std::string big(400, 'x');
    LogMessage("%s", big.c_str());
    EXPECT_EQ(log(), std::string(255, 'x') + "\r\n");
}

TEST_F(EventLogTest, ManyThreadsLoseNoLineAndMixNone) {
    configure("[Debug]\nLog=1\n");
    constexpr int kThreads = 8, kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i) LogMessage("thread %d line %d %s", t, i, "payload-payload-payload");
        });
    for (auto& th : threads) th.join();
    std::istringstream in(log());
    std::string l;
    int count = 0;
    std::regex whole(R"(^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{3} - thread \d line \d+ payload-payload-payload\r$)");
    std::vector<int> perThread(kThreads, 0);
    while (std::getline(in, l)) {
        ASSERT_TRUE(std::regex_match(l, whole)) << l;
        int t = l[33] - '0';
        ++perThread[size_t(t)];
        ++count;
    }
    EXPECT_EQ(count, kThreads * kLines);
    for (int n : perThread) EXPECT_EQ(n, kLines);
}

TEST_F(EventLogTest, UnwritableFolderDropsTheLineSilently) {
    zxtest::WriteText(dir.file("ZENTRIX.INI"), "[Debug]\nLog=1\n");
    app::ConfigureEventLog(dir.file("ZENTRIX.INI"), dir.file("missing-folder"));
    LogMessage("lost");
    EXPECT_FALSE(platform::FileExists(dir.file("missing-folder/logfile.txt")));
}

}  // namespace
