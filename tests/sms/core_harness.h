// The engine core in simulated time, driven as the engine thread drives it, against a scripted
// modem that answers each command written to the port.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/code_page.h"
#include "sms/engine_core.h"

namespace smstest {

class FakePort final : public sms::ModemPort {
public:
    bool openOk = true;
    int opens = 0, closes = 0;
    std::vector<std::string> writes;  // each with its CR
    bool Open(uint32_t baud, long& handle) override {
        ++opens;
        lastBaud = baud;
        handle = openOk ? 7 : -1;
        return openOk;
    }
    void Close() override { ++closes; }
    void Write(std::string_view bytes) override { writes.emplace_back(bytes); }
    uint32_t lastBaud = 0;
};

// A modem's usual answer to each of the engine's commands (after the echo, when echo is on).
std::string UsualReply(const std::string& command);

class CoreHarness {
public:
    explicit CoreHarness(sms::EngineConfig config = {}, uint32_t startTicks = 1000, int codePage = 1252)
        : clock(startTicks), cp(codePage), core(port, rx, cp, config) {}

    platform::ManualClock clock;
    sms::ReceiveBuffer rx;
    FakePort port;
    platform::CodePage cp;
    sms::EngineCore core;

    bool echo = false;
    std::map<std::string, std::string> replies;  // answers in place of the usual ones
    int wait = 0;                                // the next wait's time-out
    std::vector<sms::SMSStatus> statuses;        // notifications 1, in order
    std::vector<sms::SMSRecord> records;         // notifications 2, in order

    void take(const sms::PassResult& r);
    // A pass after the wait has timed out.
    void tick();
    // Bytes from the modem: a data pass.
    void feed(const std::string& bytes);
    // Time-out passes until a command is written, at most limitMs of simulated time; the command
    // without its CR, or "" when none came.
    std::string next(uint32_t limitMs = 300000);
    // Answers a command as the modem would.
    void answer(const std::string& command);
    // Opens, answers the init sequence and the first polls and listing; the commands in order.
    std::vector<std::string> connect();
    int lastStatus() const { return statuses.empty() ? -1 : statuses.back().status; }
};

}  // namespace smstest
