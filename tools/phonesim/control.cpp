#include "phonesim/control.h"

#include <cstdlib>

namespace phonesim {

std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n')) ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '\n') ++i;
        if (i > start) words.emplace_back(line.substr(start, i - start));
    }
    return words;
}

namespace {

bool Number(const std::string& s, int lo, int hi, int& out) {
    if (s.empty() || s.size() > 9) return false;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (*end || v < lo || v > hi) return false;
    out = int(v);
    return true;
}

std::string OnOff(const std::vector<std::string>& w, bool& on) {
    if (w.size() != 2 || (w[1] != "on" && w[1] != "off")) return "ERR " + w[0] + " on|off";
    on = w[1] == "on";
    return {};
}

}  // namespace

const char* ControlHelp() {
    return "ring LINE [NUMBER] [--cid none|aoh|dtmf|fsk] [--rings N] | hangup LINE | "
           "fault corrupt|noise|drop|nak|echo|flash N | fault erase-stuck on|off | silent on|off | power on|off | "
           "voice dump|load LINE FILE.wav | stats | quit";
}

std::string HandleControl(Adapter& adapter, std::string_view line, uint64_t nowMs, bool& handled) {
    handled = true;
    const std::vector<std::string> w = Words(line);
    if (w.empty()) return "ERR empty command";
    const std::string& cmd = w[0];
    std::string error;
    if (cmd == "ring") {
        int lineNo = 0, rings = 1;
        if (w.size() < 2 || !Number(w[1], 0, 7, lineNo)) return "ERR ring LINE [NUMBER] [--cid KIND] [--rings N]";
        std::string number;
        Cid cid = Cid::None;
        bool cidGiven = false;
        for (size_t i = 2; i < w.size(); ++i) {
            if (w[i] == "--cid" && i + 1 < w.size()) {
                if (!ParseCid(w[++i], cid)) return "ERR --cid none|aoh|dtmf|fsk";
                cidGiven = true;
            } else if (w[i] == "--rings" && i + 1 < w.size()) {
                if (!Number(w[++i], 0, 100, rings)) return "ERR --rings 0-100";
            } else if (number.empty() && w[i][0] != '-') {
                number = w[i];
            } else {
                return "ERR unexpected " + w[i];
            }
        }
        if (!adapter.ring(lineNo, number, cid, cidGiven, rings, nowMs, error)) return "ERR " + error;
        return "OK ringing " + std::to_string(lineNo);
    }
    if (cmd == "hangup") {
        int lineNo = 0;
        if (w.size() != 2 || !Number(w[1], 0, 7, lineNo)) return "ERR hangup LINE";
        if (!adapter.hangup(lineNo, error)) return "ERR " + error;
        return "OK";
    }
    if (cmd == "fault") {
        if (w.size() == 3 && w[1] == "erase-stuck") {
            if (w[2] != "on" && w[2] != "off") return "ERR fault erase-stuck on|off";
            adapter.setEraseStuck(w[2] == "on");
            return "OK";
        }
        int count = 0;
        if (w.size() != 3 || !Number(w[2], 0, 1000000, count)) return "ERR fault KIND N";
        if (!adapter.fault(w[1], count, error)) return "ERR " + error;
        return "OK";
    }
    if (cmd == "silent" || cmd == "power") {
        bool on = false;
        std::string e = OnOff(w, on);
        if (!e.empty()) return e;
        if (cmd == "silent") adapter.setSilent(on);
        else adapter.power(on);
        return "OK";
    }
    if (cmd == "stats") {
        adapter.advance(nowMs);
        return "OK " + adapter.statsLine();
    }
    if (cmd == "help") return std::string("OK ") + ControlHelp();
    if (cmd == "voice" || cmd == "quit") {
        handled = false;
        return {};
    }
    return "ERR unknown command " + cmd + " (" + ControlHelp() + ")";
}

}  // namespace phonesim
