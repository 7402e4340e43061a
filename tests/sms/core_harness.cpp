#include "sms/core_harness.h"

namespace smstest {

std::string UsualReply(const std::string& c) {
    auto info = [](const std::string& line) { return "\r\n" + line + "\r\n\r\nOK\r\n"; };
    if (c == "AT+GCAP") return info("+GCAP: +CGSM,+FCLASS,+DS");
    if (c == "AT+CGMI") return info("ACME");
    if (c == "AT+CGMM") return info("ACME Modem 9");
    if (c == "AT+CGSN") return info("350000000000018");
    if (c == "AT+CBC=?") return info("+CBC: (0-3),(0-100)");
    if (c == "AT+CSQ=?") return info("+CSQ: (0-31,99),(0-7,99)");
    if (c == "AT+CPMS=?") return info("+CPMS: (\"SM\",\"ME\"),(\"SM\",\"ME\"),(\"SM\")");
    if (c.rfind("AT+CPMS=", 0) == 0) return info("+CPMS: 2,20,2,20,2,20");
    if (c == "AT+CPMS?") return info("+CPMS: \"SM\",2,20,\"SM\",2,20,\"SM\",2,20");
    if (c == "AT+CBC") return info("+CBC: 0,75");
    if (c == "AT+CSQ") return info("+CSQ: 20,99");
    return "\r\nOK\r\n";
}

void CoreHarness::take(const sms::PassResult& r) {
    wait = r.waitMs;
    if (r.note == sms::SMS_NOTE_STATUS) statuses.push_back(core.status());
    if (r.note == sms::SMS_NOTE_RECORD) records.push_back(core.record());
}

void CoreHarness::tick() {
    clock.advance(uint32_t(wait));
    take(core.Pass(clock.ticks(), sms::Wake::Timeout));
}

void CoreHarness::feed(const std::string& bytes) {
    rx.append(bytes.data(), bytes.size());
    take(core.Pass(clock.ticks(), sms::Wake::Data));
}

std::string CoreHarness::next(uint32_t limitMs) {
    const size_t before = port.writes.size();
    const uint32_t t0 = clock.ticks();
    while (port.writes.size() == before && platform::TicksSince(t0, clock.ticks()) < limitMs) tick();
    if (port.writes.size() == before) return {};
    std::string w = port.writes.back();
    if (!w.empty() && w.back() == '\r') w.pop_back();
    return w;
}

void CoreHarness::answer(const std::string& command) {
    auto it = replies.find(command);
    std::string reply = it != replies.end() ? it->second : UsualReply(command);
    feed((echo ? command + "\r" : std::string()) + reply);
}

std::vector<std::string> CoreHarness::connect() {
    std::vector<std::string> commands;
    for (int i = 0; i < 40; ++i) {
        std::string c = next();
        if (c.empty()) break;
        commands.push_back(c);
        answer(c);
        if (c == "AT+CMGL=4") break;
    }
    return commands;
}

}  // namespace smstest
