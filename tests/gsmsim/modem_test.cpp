// The simulated modem's AT conversation and faults, without a terminal.
#include <gtest/gtest.h>

#include <string>

#include "gsmsim/control.h"
#include "gsmsim/modem.h"

namespace {

using gsmsim::Modem;

// Sends a command line and takes everything due by then.
std::string At(Modem& m, const std::string& line, uint64_t now = 0) {
    m.input(line + "\r", now);
    return m.takeOutput(now);
}

TEST(GsmsimModem, AnswersTheEnginesCommandsInPduMode) {
    Modem m;
    EXPECT_EQ(At(m, "ATZE1Q0"), "ATZE1Q0\r\r\nOK\r\n");
    EXPECT_EQ(At(m, "AT+GCAP"), "AT+GCAP\r\r\n+GCAP: +CGSM,+FCLASS\r\n\r\nOK\r\n");
    EXPECT_EQ(At(m, "ATE0"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(At(m, "AT+CGMI"), "\r\nZentrix\r\n\r\nOK\r\n");
    EXPECT_EQ(At(m, "AT+CBC=?"), "\r\n+CBC: (0-3),(0-100)\r\n\r\nOK\r\n");
    EXPECT_EQ(At(m, "AT+CSQ"), "\r\n+CSQ: 20,99\r\n\r\nOK\r\n");
    EXPECT_EQ(At(m, "AT+CMGF=0"), "\r\nOK\r\n");
    EXPECT_EQ(At(m, "AT+CMGF=1"), "\r\nERROR\r\n") << "no text mode";
    EXPECT_EQ(At(m, "AT+CNMI=1,1,0,2"), "\r\nOK\r\n");
    EXPECT_EQ(At(m, "AT+CPMS=?"), "\r\n+CPMS: (\"SM\",\"ME\"),(\"SM\",\"ME\"),(\"SM\",\"ME\")\r\n\r\nOK\r\n");
    // One storage named: reading and deleting go there, and so do new messages until a third
    // storage is named.
    EXPECT_EQ(At(m, "AT+CPMS=\"ME\""), "\r\n+CPMS: 0,50,0,20,0,50\r\n\r\nOK\r\n");
    EXPECT_EQ(At(m, "AT+CPMS?"), "\r\n+CPMS: \"ME\",0,50,\"SM\",0,20,\"ME\",0,50\r\n\r\nOK\r\n");
    EXPECT_EQ(At(m, "AT+CPMS=\"XX\""), "\r\n+CMS ERROR: 302\r\n");
    // The first questions of other SMS programs, and nothing else.
    EXPECT_EQ(At(m, "AT+CPIN?"), "\r\n+CPIN: READY\r\n\r\nOK\r\n");
    EXPECT_EQ(At(m, "AT+CREG?"), "\r\n+CREG: 0,1\r\n\r\nOK\r\n");
    EXPECT_EQ(At(m, "AT+CGMR"), "\r\ngsmsim 1.0\r\n\r\nOK\r\n");
    EXPECT_EQ(At(m, "AT+CMGS=12"), "\r\nERROR\r\n");
    EXPECT_EQ(At(m, "hello"), "") << "not a command";
}

TEST(GsmsimModem, StoresAnnouncesListsReadsAndDeletes) {
    Modem m;
    At(m, "ATE0");
    At(m, "AT+CNMI=1,1,0,2");
    std::string result;
    gsmsim::DeliverSpec s;
    s.text = "hi";
    ASSERT_TRUE(m.receive(s, 0, result));
    EXPECT_EQ(m.takeOutput(0), "\r\n+CMTI: \"SM\",1\r\n");
    std::string read = At(m, "AT+CMGR=1");
    EXPECT_EQ(read.rfind("\r\n+CMGR: 0,,", 0), 0u) << read;
    EXPECT_NE(read.find("\r\n079183610300000004"), std::string::npos) << "service-centre address in front";
    EXPECT_EQ(At(m, "AT+CMGL=0"), "\r\nOK\r\n") << "no longer unread";
    EXPECT_EQ(At(m, "AT+CMGL=4").rfind("\r\n+CMGL: 1,1,,", 0), 0u);
    EXPECT_EQ(At(m, "AT+CMGD=1"), "\r\nOK\r\n");
    EXPECT_EQ(m.storedCount(), 0);
    EXPECT_EQ(At(m, "AT+CMGR=1"), "\r\n+CMS ERROR: 321\r\n");
    EXPECT_EQ(At(m, "AT+CMGD=99"), "\r\n+CMS ERROR: 321\r\n");
    // A status report is announced with +CDSI.
    gsmsim::StatusReportSpec r;
    m.receiveStatusReport(r, 0, result);
    EXPECT_EQ(m.takeOutput(0), "\r\n+CDSI: \"SM\",1\r\n");
}

TEST(GsmsimModem, AFullStorageAnnouncesSlotZero) {
    gsmsim::ModemOptions o;
    o.storages = {{"SM", 2}};
    Modem m(o);
    At(m, "AT+CNMI=1,1,0,2");
    std::string result;
    gsmsim::DeliverSpec s;
    s.text = "x";
    for (int i = 0; i < 3; ++i) m.receive(s, 0, result);
    EXPECT_EQ(result, "1 part in slot 0");
    EXPECT_EQ(m.takeOutput(0), "\r\n+CMTI: \"SM\",1\r\n\r\n+CMTI: \"SM\",2\r\n\r\n+CMTI: \"SM\",0\r\n");
    m.memoryFull(0);
    EXPECT_EQ(m.takeOutput(0), "\r\n+CMTI: \"SM\",0\r\n");
}

TEST(GsmsimModem, OptionsForOtherModems) {
    gsmsim::ModemOptions o;
    o.neverEcho = true;
    o.battery = false;
    o.gsm = false;
    o.refuseCnmi = true;
    o.manufacturer = "";
    Modem m(o);
    EXPECT_EQ(At(m, "ATZE1Q0"), "\r\nOK\r\n");
    EXPECT_EQ(At(m, "AT+GCAP"), "\r\n+GCAP: +FCLASS\r\n\r\nOK\r\n");
    EXPECT_EQ(At(m, "AT+CGMI"), "\r\nOK\r\n");
    EXPECT_EQ(At(m, "AT+CBC=?"), "\r\nERROR\r\n");
    EXPECT_EQ(At(m, "AT+CNMI=1,1,0,2"), "\r\nERROR\r\n");
}

TEST(GsmsimModem, Faults) {
    Modem m;
    At(m, "ATE0");
    m.failNext(2);
    EXPECT_EQ(At(m, "AT"), "\r\nERROR\r\n");
    EXPECT_EQ(At(m, "AT"), "\r\nERROR\r\n");
    EXPECT_EQ(At(m, "AT"), "\r\nOK\r\n");
    m.refuse("AT+CSQ");
    EXPECT_EQ(At(m, "AT+CSQ=?"), "\r\nERROR\r\n");
    m.refuse("");
    EXPECT_NE(At(m, "AT+CSQ=?"), "\r\nERROR\r\n");
    m.setDelay(500);
    EXPECT_EQ(At(m, "AT", 1000), "");
    EXPECT_EQ(m.nextDue(), 1500u);
    EXPECT_EQ(m.takeOutput(1500), "\r\nOK\r\n");
    m.setDelay(0);
    m.setSilent(true);
    EXPECT_EQ(At(m, "AT"), "");
    m.setSilent(false);
    m.endless(20000, 0);
    std::string e = m.takeOutput(0);
    EXPECT_EQ(e.size(), 20002u);
    EXPECT_EQ(e.find('\r'), 20000u);
    m.garbage(100, 0);
    EXPECT_EQ(m.takeOutput(0).size(), 100u);
    // A power cut forgets the session's settings but keeps the storage.
    std::string result;
    gsmsim::DeliverSpec s;
    s.text = "kept";
    m.receive(s, 0, result);
    At(m, "ATE1");
    m.powerCycle();
    EXPECT_EQ(At(m, "AT"), "AT\r\r\nOK\r\n");
    EXPECT_EQ(m.storedCount(), 1);
}

TEST(GsmsimControl, CommandsAndTheirErrors) {
    Modem m;
    gsmsim::Control c(m);
    bool handled = false;
    auto run = [&](const std::string& line) { return c.handle(line, 0, handled); };
    EXPECT_EQ(run("sms --from +1555 --coding ucs2 two  spaces kept"), "OK 1 part in slot 1");
    EXPECT_EQ(m.list().size(), 1u);
    std::string text(400, 'x');
    EXPECT_EQ(run("sms --split 16 " + text), "OK 3 parts in slot 2,3,4");
    EXPECT_EQ(run("sms --coding 9bit x").rfind("ERR", 0), 0u);
    EXPECT_EQ(run("sms --dcs ZZ x").rfind("ERR", 0), 0u);
    EXPECT_EQ(run("sms --time 2024-02-30T10:00 x"), "OK 1 part in slot 5");
    EXPECT_EQ(run("sms"), "ERR no text");
    EXPECT_EQ(run("pdu 0011zz"), "OK stored in slot 6") << "stored as given";
    EXPECT_EQ(run("pdu"), "ERR usage: pdu [--length N] HEX");
    EXPECT_EQ(run("signal 31"), "OK signal 31");
    EXPECT_EQ(run("signal 200").rfind("ERR", 0), 0u);
    EXPECT_EQ(run("battery 1 50"), "OK battery 1,50");
    EXPECT_EQ(run("list").rfind("OK 6 stored; SM 1 unread", 0), 0u);
    EXPECT_TRUE(handled);
    run("quit");
    EXPECT_FALSE(handled) << "the simulator's own";
    EXPECT_EQ(run("").rfind("ERR", 0), 0u);
}

}  // namespace
