#include <gtest/gtest.h>

#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/msgbox_watcher.h"
#include "platform/event_loop.h"
#include "support/temp_dir.h"

using namespace app;

namespace {

class Watcher : public ::testing::Test {
protected:
    void SetUp() override {
        zxtest::WriteText(dir.file("z.ini"), "[Debug]\nLog=1\nTimestamp=0\n");
        ResetEventLog();
        ConfigureEventLog(dir.file("z.ini"), dir.path());
    }
    void TearDown() override { ResetEventLog(); }
    std::string log() { return zxtest::ReadText(dir.file("logfile.txt")); }

    zxtest::TempDir dir;
    platform::ManualClock clock;
    platform::EventLoop loop{clock};
    bool shown = true;
    int closes = 0;
};

TEST_F(Watcher, ClosesAnUnansweredBoxAfterThirtySeconds) {
    EXPECT_TRUE(MessageBoxAutoCloses(MB_OK | MB_ICONERROR));
    EXPECT_FALSE(MessageBoxAutoCloses(MB_YESNO | MB_ICONQUESTION));
    EXPECT_FALSE(MessageBoxAutoCloses(MB_OKCANCEL));
    MsgBoxWatcher w(
        clock, loop, [&] { return shown; },
        [&] {
            ++closes;
            shown = false;
        });
    loop.advance(29999);
    EXPECT_EQ(closes, 0);  // not more than 29,999 ms yet
    loop.advance(1000);
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(w.fired());
    EXPECT_TRUE(w.finished());
    loop.advance(60000);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(log(), "MsgBoxThread(): started\r\nMsgBoxThread(): timeout fired\r\n");
}

TEST_F(Watcher, EndsWhenTheBoxWasAnswered) {
    {
        MsgBoxWatcher w(
            clock, loop, [&] { return shown; }, [&] { ++closes; });
        loop.advance(5000);
        shown = false;
        loop.advance(1000);
        EXPECT_TRUE(w.finished());
        loop.advance(40000);
    }
    {
        // Answered between two looks: the watcher goes with the box and says so once.
        shown = true;
        MsgBoxWatcher w(
            clock, loop, [&] { return shown; }, [&] { ++closes; });
        loop.advance(2500);
    }
    loop.advance(40000);
    EXPECT_EQ(closes, 0);
    EXPECT_EQ(log(),
              "MsgBoxThread(): started\r\nMsgBoxThread(): no msgbox found\r\n"
              "MsgBoxThread(): started\r\nMsgBoxThread(): no msgbox found\r\n");
}

}  // namespace
