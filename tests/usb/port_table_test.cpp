// The per-port call state machine with scripted library answers: the call flows of each caller-ID
// setting, the failures along the way and the status line.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "interactive/usb_ports.h"
#include "voiceboardsim/voiceboard.h"

namespace interactive {
namespace {

struct ScriptedCalls final : UsbCalls {
    std::vector<std::string> log;
    std::map<std::string, int> failures;  // call name -> times it fails next
    std::string number;
    int result(const std::string& name) {
        auto it = failures.find(name);
        if (it != failures.end() && it->second > 0) {
            --it->second;
            return 1;
        }
        return 0;
    }
    int GetNumber(int port, char (&out)[32]) override {
        log.push_back("GetPortState " + std::to_string(port));
        int r = result("GetPortState");
        if (r == 0) {
            std::string n = number.substr(0, 31);
            std::copy(n.begin(), n.end(), out);
            out[n.size()] = 0;
        }
        return r;
    }
    int OffHook(int port) override { return call("OffHook", port); }
    int Pause(int port, int ms) override {
        log.push_back("Pause " + std::to_string(port) + " " + std::to_string(ms));
        return result("Pause");
    }
    int PlayFile(int port, const std::string& path) override {
        log.push_back("PlayFile " + std::to_string(port) + " " + path);
        return result("PlayFile");
    }
    int Hangup(int port) override { return call("Hangup", port); }
    int call(const std::string& name, int port) {
        log.push_back(name + " " + std::to_string(port));
        return result(name);
    }
};

struct Sink final : UsbSink {
    std::vector<CallRecord> calls;
    std::vector<std::string> status;
    void OnCall(const CallRecord& r) override { calls.push_back(r); }
    void OnStatus(const std::string& text) override { status.push_back(text); }
};

class PortTableTest : public ::testing::Test {
protected:
    void start(bool useCID, bool aoh, uint8_t assigned = 0xFF) {
        UsbLineConfig c;
        c.useCID = useCID;
        c.aoh = aoh;
        c.assigned = assigned;
        c.soundFiles[0] = "/voice/line1.wav";
        c.soundFiles[1] = "";  // line 2 has no message
        table.Start(c);
    }
    bool ev(int event, int port, int value = 0) {
        return table.OnNotify(uintptr_t(event), intptr_t(port) * 65536 + value);
    }
    void ready(int port) {
        ev(VB_EVENT_PORT, port);
        ev(VB_EVENT_LINE_STATUS, port, VB_LINE_IDLE);
    }
    int state(int port) { return table.Find(port) ? table.Find(port)->state : -1; }
    ScriptedCalls calls;
    Sink sink;
    UsbPortTable table{calls, sink};
};

TEST_F(PortTableTest, CallerIdOffAnswersAtOnceVotesWithoutNumberAndPlaysTheMessage) {
    start(false, false);
    ready(101);
    EXPECT_EQ(state(101), USB_LISTENING);
    ev(VB_EVENT_LINE_STATUS, 101, VB_LINE_INCOMING);
    EXPECT_EQ(state(101), USB_OFF_HOOK);
    ev(VB_EVENT_DONE, 101);
    EXPECT_EQ(state(101), USB_PLAYING);
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(sink.calls[0].line, 0);
    EXPECT_EQ(sink.calls[0].hasNumber, 0);
    ev(VB_EVENT_DONE, 101);
    EXPECT_EQ(state(101), USB_HANGING_UP);
    ev(VB_EVENT_DONE, 101);
    EXPECT_EQ(state(101), USB_LISTENING);
    EXPECT_EQ(calls.log, (std::vector<std::string>{"OffHook 101", "PlayFile 101 /voice/line1.wav", "Hangup 101"}));
}

TEST_F(PortTableTest, CallerIdOnAnswersOnTheNumberOrAfterTheSecondRing) {
    start(true, false);
    ready(101);
    ready(103);
    ev(VB_EVENT_LINE_STATUS, 101, VB_LINE_INCOMING);
    EXPECT_EQ(state(101), USB_WAIT_NUMBER);
    ev(VB_EVENT_RING, 101, 1);
    EXPECT_EQ(state(101), USB_WAIT_NUMBER);
    ev(VB_EVENT_RING, 101, 2);
    EXPECT_EQ(state(101), USB_OFF_HOOK);

    calls.number = "5551234";
    ev(VB_EVENT_LINE_STATUS, 103, VB_LINE_INCOMING);
    ev(VB_EVENT_RING, 103, 1);
    ev(VB_EVENT_CALLER_ID, 103);
    EXPECT_EQ(state(103), USB_OFF_HOOK);
    ev(VB_EVENT_DONE, 103);
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(sink.calls[0].line, 2);
    EXPECT_STREQ(sink.calls[0].number, "5551234");
    EXPECT_EQ(sink.calls[0].hasNumber, 1);
}

TEST_F(PortTableTest, AohPausesAndTakesTheNumberAfterOffHook) {
    start(true, true);
    ready(101);
    ev(VB_EVENT_LINE_STATUS, 101, VB_LINE_INCOMING);
    EXPECT_EQ(state(101), USB_OFF_HOOK);
    ev(VB_EVENT_DONE, 101);
    EXPECT_EQ(state(101), USB_PAUSING);
    EXPECT_EQ(calls.log.back(), "Pause 101 1000");
    calls.number = "123456";
    ev(VB_EVENT_CALLER_ID, 101);
    ev(VB_EVENT_DONE, 101);
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_STREQ(sink.calls[0].number, "123456");
    EXPECT_EQ(state(101), USB_PLAYING);
}

TEST_F(PortTableTest, LineWithoutSoundFileHangsUpRightAfterTheVote) {
    start(false, false);
    ready(102);
    ev(VB_EVENT_LINE_STATUS, 102, VB_LINE_INCOMING);
    ev(VB_EVENT_DONE, 102);
    EXPECT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(state(102), USB_HANGING_UP);
    EXPECT_EQ(calls.log, (std::vector<std::string>{"OffHook 102", "Hangup 102"}));
}

TEST_F(PortTableTest, UnassignedPortsAndEventsAfterStopAreIgnored) {
    start(false, false, 0x01);  // only line 0 bound
    ready(102);                 // line 1: not bound
    ready(109);                 // line 8: outside the lines
    ready(100);                 // line -1
    EXPECT_EQ(state(102), USB_NOT_READY);
    EXPECT_EQ(state(109), USB_NOT_READY);
    ev(VB_EVENT_LINE_STATUS, 102, VB_LINE_INCOMING);
    ev(VB_EVENT_LINE_STATUS, 109, VB_LINE_INCOMING);
    EXPECT_TRUE(calls.log.empty());
    EXPECT_EQ(table.ports().size(), 3u);
    table.Stop();
    EXPECT_FALSE(ev(VB_EVENT_PORT, 101));
    EXPECT_TRUE(table.ports().empty());
}

TEST_F(PortTableTest, FailedCallsNeverLeaveALineOffHook) {
    start(false, true);  // caller ID off: AOH is not used
    ready(101);
    calls.failures["OffHook"] = 1;
    ev(VB_EVENT_LINE_STATUS, 101, VB_LINE_INCOMING);
    EXPECT_EQ(state(101), USB_LISTENING);  // left in its state
    ev(VB_EVENT_LINE_STATUS, 101, VB_LINE_INCOMING);
    EXPECT_EQ(state(101), USB_OFF_HOOK);

    // A failed message goes on to hanging up; a failed hang-up is tried again at the next event.
    calls.failures["PlayFile"] = 1;
    calls.failures["Hangup"] = 1;
    ev(VB_EVENT_DONE, 101);
    EXPECT_EQ(sink.calls.size(), 1u);
    EXPECT_TRUE(table.Find(101)->hangupDue);
    ev(VB_EVENT_RING, 101, 3);
    EXPECT_EQ(state(101), USB_HANGING_UP);
    EXPECT_FALSE(table.Find(101)->hangupDue);
    ev(VB_EVENT_DONE, 101);
    EXPECT_EQ(state(101), USB_LISTENING);
    EXPECT_EQ(sink.calls.size(), 1u);  // one call, one vote

    // A failed pause goes on to the vote and the message.
    start(true, true);
    ready(101);
    calls.failures["Pause"] = 1;
    ev(VB_EVENT_LINE_STATUS, 101, VB_LINE_INCOMING);
    ev(VB_EVENT_DONE, 101);
    EXPECT_EQ(state(101), USB_PLAYING);
    EXPECT_EQ(sink.calls.size(), 2u);
}

TEST_F(PortTableTest, RepeatedEventsNeitherEraseTheNumberNorCountTwice) {
    start(true, false);
    ready(101);
    calls.number = "777";
    ev(VB_EVENT_LINE_STATUS, 101, VB_LINE_INCOMING);
    ev(VB_EVENT_CALLER_ID, 101);
    ev(VB_EVENT_LINE_STATUS, 101, VB_LINE_INCOMING);  // repeated during the call
    EXPECT_STREQ(table.Find(101)->number, "777");
    calls.failures["PlayFile"] = 1;
    calls.failures["Hangup"] = 3;
    ev(VB_EVENT_DONE, 101);
    ev(VB_EVENT_DONE, 101);
    ev(VB_EVENT_DONE, 101);
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_STREQ(sink.calls[0].number, "777");

    // A long number is cut to 31 characters; a failing GetPortState leaves the state.
    calls.number = std::string(40, '9');
    start(true, false);
    ready(101);
    calls.failures["GetPortState"] = 1;
    ev(VB_EVENT_LINE_STATUS, 101, VB_LINE_INCOMING);
    ev(VB_EVENT_CALLER_ID, 101);
    EXPECT_EQ(state(101), USB_WAIT_NUMBER);
    ev(VB_EVENT_CALLER_ID, 101);
    EXPECT_EQ(std::string(table.Find(101)->number), std::string(31, '9'));
}

TEST_F(PortTableTest, StatusLineCountsThePortsInEachStateAndStatusZeroResets) {
    start(true, false);
    for (int p = 101; p <= 106; ++p) ready(p);
    ev(VB_EVENT_PORT, 107);  // announced, not ready
    ev(VB_EVENT_LINE_STATUS, 101, VB_LINE_INCOMING);
    ev(VB_EVENT_LINE_STATUS, 102, VB_LINE_INCOMING);
    ev(VB_EVENT_LINE_STATUS, 103, VB_LINE_INCOMING);
    ev(VB_EVENT_RING, 103, 2);
    EXPECT_EQ(sink.status.back(), "Total lines: [7] listening: [3] ringing: [2] answering: [1]");
    ev(VB_EVENT_LINE_STATUS, 103, VB_LINE_NOT_READY);
    EXPECT_EQ(state(103), USB_NOT_READY);
    EXPECT_EQ(sink.status.back(), "Total lines: [7] listening: [3] ringing: [2] answering: [0]");
    size_t before = sink.status.size();
    EXPECT_FALSE(ev(VB_EVENT_PORT, 101));  // already known: no change, no status line
    EXPECT_EQ(sink.status.size(), before);
}

}  // namespace
}  // namespace interactive
