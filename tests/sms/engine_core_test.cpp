// The engine's rules in simulated time: the conversation after connecting, the reply table, slot
// queuing, polls and listings, time-outs and reconnections, and the receive buffer.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "device/log_capture.h"
#include "sms/core_harness.h"

namespace {

using sms::EngineState;
using smstest::CoreHarness;

const std::string kPdu = "07918361030000F0040791214365F700007030214100000005E8329BFD06";  // "hello" from +1234567

const std::vector<std::string> kInit = {"ATZE1Q0",         "AT+GCAP",   "AT+CGMI",        "AT+CGMM",
                                        "AT+CGSN",         "AT+CBC=?",  "AT+CSQ=?",       "AT+CMGF=0",
                                        "AT+CNMI=1,1,0,2", "AT+CPMS=?", "AT+CPMS=\"SM\"", "AT+CPMS?"};

std::vector<std::string> Expected(std::vector<std::string> tail) {
    std::vector<std::string> v = kInit;
    v.insert(v.end(), tail.begin(), tail.end());
    return v;
}

TEST(SmsCore, ConnectsWithTheInitSequenceThenPollsAndLists) {
    CoreHarness h;
    h.tick();  // the first pass opens the port
    ASSERT_TRUE(h.core.portOpen());
    EXPECT_EQ(h.port.lastBaud, 19200u);
    // Nothing for the first second after the open.
    h.clock.advance(900);
    h.take(h.core.Pass(h.clock.ticks(), sms::Wake::Timeout));
    EXPECT_TRUE(h.port.writes.empty());
    EXPECT_EQ(h.connect(), Expected({"AT+CBC", "AT+CSQ", "AT+CMGL=4"}));
    ASSERT_FALSE(h.statuses.empty());
    const sms::SMSStatus& ready = h.statuses.front();
    EXPECT_EQ(ready.status, sms::SMS_READY);
    EXPECT_STREQ(ready.manufacturer, "ACME");
    EXPECT_STREQ(ready.model, "ACME Modem 9");
    EXPECT_EQ(ready.batterySupported, 1);
    EXPECT_EQ(ready.signalSupported, 1);
    EXPECT_STREQ(ready.storageName, "\"SM\"");
    EXPECT_EQ(ready.storageUsed, 2);
    EXPECT_EQ(ready.storageTotal, 20);
    // The polls report battery 75 % and signal 20 * 100 / 32 = 62 %, each one more.
    EXPECT_EQ(h.core.status().batteryCharge, 76);
    EXPECT_EQ(h.core.status().signalQuality, 63);
    EXPECT_EQ(h.statuses.size(), 3u);
    EXPECT_EQ(h.core.view().state, EngineState::List);
}

TEST(SmsCore, WorksWithAndWithoutEcho) {
    for (bool echo : {false, true}) {
        CoreHarness h;
        h.echo = echo;
        EXPECT_EQ(h.connect(), Expected({"AT+CBC", "AT+CSQ", "AT+CMGL=4"})) << echo;
        // The echoed "AT+CGMI" is not taken for the manufacturer.
        EXPECT_STREQ(h.core.status().manufacturer, "ACME") << echo;
    }
}

TEST(SmsCore, AFinalReplyWaitsForTheByteAfterItsCr) {
    CoreHarness h;
    EXPECT_EQ(h.next(), "ATZE1Q0");
    h.feed("\r\nOK\r");
    EXPECT_TRUE(h.core.view().awaitingReply);
    EXPECT_EQ(h.core.view().replyCounter, 0);
    h.feed("\n");
    EXPECT_FALSE(h.core.view().awaitingReply);
    EXPECT_EQ(h.next(), "AT+GCAP");
}

TEST(SmsCore, IdentificationTakesTheFirstLineWhateverItSays) {
    CoreHarness h;
    h.replies["AT+CGMI"] = "\r\nOK\r\n";  // a modem without a name
    h.connect();
    EXPECT_STREQ(h.core.status().manufacturer, "OK");
    EXPECT_STREQ(h.core.status().model, "ACME Modem 9");
    // A name longer than the field keeps 31 characters.
    CoreHarness l;
    l.replies["AT+CGMM"] = "\r\n" + std::string(80, 'M') + "\r\n\r\nOK\r\n";
    l.connect();
    EXPECT_EQ(std::string(l.core.status().model), std::string(31, 'M'));
}

TEST(SmsCore, BatteryAndSignalValues) {
    CoreHarness h;
    h.replies["AT+CBC"] = "\r\n+CBC: 1,90\r\n\r\nOK\r\n";   // on mains: not on battery
    h.replies["AT+CSQ"] = "\r\n+CSQ: 99,99\r\n\r\nOK\r\n";  // not known
    h.connect();
    EXPECT_EQ(h.core.status().batteryCharge, 0);
    EXPECT_EQ(h.core.status().signalQuality, 0);
    EXPECT_EQ(h.statuses.size(), 1u) << "unchanged values notify nothing";
    CoreHarness s;
    s.replies["AT+CSQ"] = "\r\n+CSQ: 31,0\r\n\r\nOK\r\n";
    s.replies["AT+CBC"] = "\r\n+CBC: 0,99999999999999999999\r\n\r\nOK\r\n";  // saturates
    s.connect();
    EXPECT_EQ(s.core.status().signalQuality, 97);
    EXPECT_EQ(s.core.status().batteryCharge, INT_MAX);
    // Without +CBC and +CSQ the polls are ATE1.
    CoreHarness n;
    n.replies["AT+CBC=?"] = "\r\nERROR\r\n";
    n.replies["AT+CSQ=?"] = "\r\nERROR\r\n";
    EXPECT_EQ(n.connect(), Expected({"ATE1", "ATE1", "AT+CMGL=4"}));
    EXPECT_EQ(n.lastStatus(), sms::SMS_READY);
}

TEST(SmsCore, PhoneMemoryOnlyWhenTheFirstListOffersIt) {
    sms::EngineConfig useMe;
    useMe.preferPhoneMemory = true;
    CoreHarness h(useMe);
    h.connect();
    EXPECT_EQ(h.port.writes[10], "AT+CPMS=\"ME\"\r");
    CoreHarness second(useMe);
    second.replies["AT+CPMS=?"] = "\r\n+CPMS: (\"SM\"),(\"SM\",\"ME\"),(\"SM\")\r\n\r\nOK\r\n";
    second.connect();
    EXPECT_EQ(second.port.writes[10], "AT+CPMS=\"SM\"\r");
    CoreHarness off;
    off.connect();
    EXPECT_EQ(off.port.writes[10], "AT+CPMS=\"SM\"\r");
}

TEST(SmsCore, NewMessageIsReadNotifiedAndDeleted) {
    zxtest::LogCapture log;
    CoreHarness h;
    h.connect();
    h.feed("\r\n+CMTI: \"SM\",3\r\n");
    h.feed("\r\n+CMTI: \"SM\",3\r\n");  // announced twice: read once
    EXPECT_EQ(h.core.view().queuedSlots, std::vector<int>({3}));
    EXPECT_EQ(h.next(), "AT+CMGR=3");
    h.feed("\r\n+CMGR: 0,,22\r\n" + kPdu + "\r\n\r\nOK\r\n");
    ASSERT_EQ(h.records.size(), 1u);
    EXPECT_STREQ(h.records[0].number, "+1234567");
    EXPECT_EQ(std::string(h.records[0].text), "hello");
    EXPECT_EQ(h.next(), "AT+CMGD=3");
    h.answer("AT+CMGD=3");
    h.tick();
    EXPECT_EQ(h.core.view().state, EngineState::Idle);
    EXPECT_TRUE(h.core.view().queuedSlots.empty());
    EXPECT_TRUE(log.has("read SMS: 22 data bytes"));
    EXPECT_TRUE(log.has("read SMS PDU: 3 (22 bytes)"));
    EXPECT_TRUE(log.has("First octet: 04"));
    EXPECT_TRUE(log.has("TP-PID: 00, TP-DCS: 00"));
    EXPECT_TRUE(log.has("deleting SMS at: 3"));
    EXPECT_EQ(log.text().find("adding SMS to list: 3 "), log.text().rfind("adding SMS to list: 3 ")) << "logged once";
}

TEST(SmsCore, SlotZeroMeansTheStorageIsFull) {
    zxtest::LogCapture log;
    CoreHarness h;
    h.connect();
    h.feed("\r\n+CMTI: \"SM\",0\r\n");
    EXPECT_TRUE(h.core.view().queuedSlots.empty());
    EXPECT_TRUE(log.has("ERROR: SMS memory full, message lost!"));
    // A storage name past the field still gives its slot; a slot without a number gives none.
    h.feed("\r\n+CMTI: \"" + std::string(60, 'X') + "\",4\r\n");
    h.feed("\r\n+CDSI: \"SR\",\r\n");
    EXPECT_EQ(h.core.view().queuedSlots, std::vector<int>({4}));
}

TEST(SmsCore, ListingQueuesSlotsOldestFirstAndUndecodableOnesAreStillDeleted) {
    zxtest::LogCapture log;
    CoreHarness h;
    h.replies["AT+CMGL=4"] =
        "\r\n+CMGL: 5,1,,22\r\n" + kPdu + "\r\n+CMGL: 2,0,,22\r\n" + kPdu + "\r\n+CMGL: 0,0,,22\r\nXX\r\n\r\nOK\r\n";
    std::vector<std::string> cmds = h.connect();
    ASSERT_EQ(cmds.back(), "AT+CMGL=4");
    EXPECT_EQ(h.core.view().queuedSlots, std::vector<int>({5, 2}));
    EXPECT_EQ(h.next(), "AT+CMGR=5");
    std::string lower = kPdu;
    for (char& c : lower) c = char(std::tolower(uint8_t(c)));
    h.feed("\r\n+CMGR: 1,,22\r\n" + lower + "\r\n\r\nOK\r\n");
    EXPECT_TRUE(h.records.empty());
    EXPECT_TRUE(log.has("PDU: " + lower)) << "the undecoded message stays in the log";
    EXPECT_EQ(h.next(), "AT+CMGD=5");
    h.answer("AT+CMGD=5");
    EXPECT_EQ(h.next(), "AT+CMGR=2");
    // A stored outgoing message (status 2) announces no PDU, and is deleted too.
    h.feed("\r\n+CMGR: 2,,22\r\n" + kPdu + "\r\n\r\nOK\r\n");
    EXPECT_TRUE(h.records.empty());
    EXPECT_EQ(h.next(), "AT+CMGD=2");
}

TEST(SmsCore, AWaitingRecordHoldsBackTheNextRead) {
    sms::EngineConfig noOwner;
    noOwner.hasOwner = false;  // nobody takes the record, so it stays waiting
    CoreHarness h(noOwner);
    h.connect();
    h.feed("\r\n+CMTI: \"SM\",1\r\n\r\n+CMTI: \"SM\",2\r\n");
    EXPECT_EQ(h.next(), "AT+CMGR=1");
    h.feed("\r\n+CMGR: 0,,22\r\n" + kPdu + "\r\n\r\nOK\r\n");
    EXPECT_EQ(h.next(), "AT+CMGD=1");
    h.answer("AT+CMGD=1");
    EXPECT_TRUE(h.core.view().messageReady);
    // Only polls follow while the record waits; slot 2 stays queued.
    for (int i = 0; i < 3; ++i) {
        std::string c = h.next(20000);
        EXPECT_TRUE(c == "AT+CBC" || c == "AT+CSQ") << c;
        h.answer(c);
    }
    EXPECT_EQ(h.core.view().queuedSlots, std::vector<int>({2}));
}

TEST(SmsCore, PollsAfterSilenceAndListsEvery120Seconds) {
    CoreHarness h;
    h.connect();
    const uint32_t listed = h.clock.ticks();
    std::vector<std::pair<uint32_t, std::string>> seen;
    while (platform::TicksSince(listed, h.clock.ticks()) < 125000) {
        std::string c = h.next(130000);
        seen.push_back({platform::TicksSince(listed, h.clock.ticks()), c});
        h.answer(c);
    }
    // A status poll 10 s after the last data, alternately battery and signal, then the listing.
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0].second, "AT+CBC");
    EXPECT_GE(seen[0].first, 10000u);
    EXPECT_LE(seen[0].first, 12000u);
    EXPECT_EQ(seen[1].second, "AT+CSQ");
    int lists = 0;
    for (auto& [at, c] : seen)
        if (c == "AT+CMGL=4") {
            ++lists;
            EXPECT_GE(at, 120000u);
        }
    EXPECT_EQ(lists, 1);
}

TEST(SmsCore, PollingModeWhenNewMessageIndicationsAreRefused) {
    zxtest::LogCapture log;
    CoreHarness h;
    h.replies["AT+CNMI=1,1,0,2"] = "\r\n+CMS ERROR: 303\r\n";
    EXPECT_EQ(h.connect(), Expected({"AT+CBC", "AT+CSQ", "AT+CMGL=4"}));
    EXPECT_TRUE(h.core.view().pollingMode);
    EXPECT_TRUE(log.has("WARNING: using polling mode for new SMS!"));
    const uint32_t listed = h.clock.ticks();
    std::string c;
    while ((c = h.next(40000)) != "AT+CMGL=4" && !c.empty()) h.answer(c);
    uint32_t gap = platform::TicksSince(listed, h.clock.ticks());
    EXPECT_GE(gap, 30000u);
    EXPECT_LT(gap, 33000u);
}

TEST(SmsCore, PortThatCannotBeOpenedIsRetriedEveryTenSeconds) {
    zxtest::LogCapture log;
    CoreHarness h;
    h.port.openOk = false;
    for (int i = 0; i < 3; ++i) h.tick();
    EXPECT_EQ(h.port.opens, 3);
    EXPECT_EQ(h.wait, 10000);
    ASSERT_EQ(h.statuses.size(), 3u);
    EXPECT_EQ(h.lastStatus(), sms::SMS_PORT_FAILED);
    EXPECT_TRUE(log.has("opening port: FFFFFFFF"));
    EXPECT_TRUE(log.has("port open done."));
    h.port.openOk = true;
    EXPECT_EQ(h.connect().size(), kInit.size() + 3);
    EXPECT_EQ(h.lastStatus(), sms::SMS_READY);
}

TEST(SmsCore, SilenceEndsInStatusTwoAndAReconnection) {
    zxtest::LogCapture log;
    CoreHarness h;
    h.connect();
    std::string c = h.next();  // a poll, never answered
    ASSERT_EQ(c, "AT+CBC");
    const uint32_t sent = h.clock.ticks();
    while (h.port.closes == 0) h.tick();
    EXPECT_GE(platform::TicksSince(sent, h.clock.ticks()), 5000u);
    EXPECT_LT(platform::TicksSince(sent, h.clock.ticks()), 7000u);
    EXPECT_EQ(h.lastStatus(), sms::SMS_NO_ANSWER);
    EXPECT_TRUE(log.has("timeout waiting for reply!"));
    EXPECT_TRUE(log.has("port close done."));
    // About 2 s later the port opens again and the init starts over.
    const uint32_t closed = h.clock.ticks();
    EXPECT_EQ(h.next(), "ATZE1Q0");
    EXPECT_EQ(h.port.opens, 2);
    EXPECT_GE(platform::TicksSince(closed, h.clock.ticks()), 3000u);  // 2 s, then the 1 s after opening
    EXPECT_EQ(h.core.status().status, 0) << "the block starts afresh at each open";
    // A listing or read waits 20 s.
    CoreHarness l;
    l.replies["AT+CMGL=4"] = "";
    l.connect();
    const uint32_t listed = l.clock.ticks();
    while (l.port.closes == 0) l.tick();
    EXPECT_GE(platform::TicksSince(listed, l.clock.ticks()), 20000u);
}

TEST(SmsCore, NotAGsmModemEndsInStatusThree) {
    // Answers the init until the engine closes the port; the commands sent.
    auto until = [](CoreHarness& h) {
        std::vector<std::string> sent;
        while (h.port.closes == 0 && sent.size() < 20) {
            sent.push_back(h.next());
            h.answer(sent.back());
        }
        return sent;
    };
    CoreHarness refused;
    refused.replies["ATZE1Q0"] = "\r\nERROR\r\n";
    EXPECT_EQ(until(refused), std::vector<std::string>({"ATZE1Q0"}));
    EXPECT_EQ(refused.lastStatus(), sms::SMS_NOT_SUPPORTED);
    EXPECT_EQ(refused.next(), "ATZE1Q0") << "reconnected and tried again";
    EXPECT_EQ(refused.port.opens, 2);

    CoreHarness second;
    second.replies["AT+GCAP"] = "\r\nERROR\r\n";
    EXPECT_EQ(until(second).size(), 2u);
    EXPECT_EQ(second.lastStatus(), sms::SMS_NOT_SUPPORTED);

    CoreHarness noGsm;
    noGsm.replies["AT+GCAP"] = "\r\n+GCAP: +FCLASS\r\n\r\nOK\r\n";
    EXPECT_EQ(until(noGsm).size(), 2u);
    EXPECT_EQ(noGsm.lastStatus(), sms::SMS_NOT_SUPPORTED);

    // A later refused command does not stop the sequence.
    CoreHarness later;
    later.replies["AT+CGSN"] = "\r\nERROR\r\n";
    EXPECT_EQ(later.connect(), Expected({"AT+CBC", "AT+CSQ", "AT+CMGL=4"}));
    EXPECT_EQ(later.statuses.front().status, sms::SMS_READY);
}

TEST(SmsCore, TicksThatWrapFakeNoTimeOut) {
    // Starts 3 s before the 32-bit tick counter wraps.
    CoreHarness h({}, 0xFFFFFFFFu - 3000);
    std::vector<std::string> cmds = h.connect();
    EXPECT_EQ(cmds, Expected({"AT+CBC", "AT+CSQ", "AT+CMGL=4"}));
    EXPECT_EQ(h.port.closes, 0);
    EXPECT_EQ(h.lastStatus(), sms::SMS_READY);
    // And a start at tick 1000 (not yet 10 s or 120 s after "tick 0") opens and lists at once.
    CoreHarness early({}, 1000);
    EXPECT_EQ(early.connect().back(), "AT+CMGL=4");
}

TEST(SmsCore, StopClosesThePortAndEndsWithoutNotifying) {
    CoreHarness h;
    h.connect();
    h.feed("\r\n+CMTI: \"SM\",1\r\n");
    sms::PassResult r = h.core.Pass(h.clock.ticks(), sms::Wake::Stop);
    EXPECT_TRUE(r.last);
    EXPECT_TRUE(r.wakeReader);
    EXPECT_EQ(r.note, 0);
    EXPECT_EQ(h.port.closes, 1);
    EXPECT_FALSE(h.core.portOpen());
}

TEST(SmsCore, ReceiveBuffer) {
    zxtest::LogCapture log;
    CoreHarness h;
    h.connect();
    // A full buffer without a line end is dropped instead of deafening the engine.
    std::string endless(sms::kReceiveBufferSize, 'A');
    h.feed(endless);
    EXPECT_EQ(h.rx.fill(), 0u);
    EXPECT_TRUE(log.has("read buffer full - data lost!"));
    h.feed("\r\n+CMTI: \"SM\",6\r\n");
    EXPECT_EQ(h.core.view().queuedSlots, std::vector<int>({6}));
    // A full buffer of complete lines is parsed, not dropped.
    std::string lines;
    while (lines.size() + 12 <= sms::kReceiveBufferSize) lines += "\r\n+CNMI: 1\r\n";
    lines += std::string(sms::kReceiveBufferSize - lines.size(), '\n');
    h.feed(lines);
    EXPECT_EQ(h.rx.fill(), 0u);
    // Bytes left from before are gone when the port opens.
    CoreHarness again;
    again.rx.append("\r\n+CMTI: \"SM\",9\r\n", 17);
    again.tick();
    EXPECT_EQ(again.rx.fill(), 0u);
}

}  // namespace
