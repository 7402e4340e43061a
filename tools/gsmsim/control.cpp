#include "gsmsim/control.h"

#include <cstdlib>

namespace gsmsim {

namespace {

bool Number(const std::string& s, long lo, long hi, long& out, int base = 10) {
    if (s.empty() || s.size() > 12) return false;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, base);
    if (end == s.c_str() || *end != '\0' || v < lo || v > hi) return false;
    out = v;
    return true;
}

}  // namespace

std::vector<Word> Words(std::string_view line) {
    std::vector<Word> words;
    size_t i = 0;
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (i < line.size()) {
        while (i < line.size() && space(line[i])) ++i;
        size_t start = i;
        while (i < line.size() && !space(line[i])) ++i;
        if (i > start) words.push_back({std::string(line.substr(start, i - start)), start});
    }
    return words;
}

bool ParseSms(std::string_view line, const std::vector<Word>& w, size_t first, DeliverSpec& spec, std::string& error) {
    spec.time = NowTimestamp();
    size_t i = first;
    long v = 0;
    for (; i < w.size() && w[i].text.rfind("--", 0) == 0; ++i) {
        const std::string& opt = w[i].text;
        if (opt == "--") {
            ++i;
            break;
        }
        if (i + 1 >= w.size()) {
            error = opt + " needs a value";
            return false;
        }
        const std::string& value = w[++i].text;
        if (opt == "--from") {
            spec.from = value;
            spec.fromAlpha.clear();
        } else if (opt == "--from-alpha") {
            spec.fromAlpha = value;
        } else if (opt == "--coding") {
            if (value == "7bit") spec.coding = Coding::Bit7;
            else if (value == "8bit") spec.coding = Coding::Bit8;
            else if (value == "ucs2") spec.coding = Coding::Ucs2;
            else if (value == "auto") spec.coding = Coding::Auto;
            else {
                error = "--coding is 7bit, 8bit, ucs2 or auto";
                return false;
            }
        } else if (opt == "--dcs") {
            if (!Number(value, 0, 255, v, 16)) {
                error = "--dcs takes a hexadecimal octet";
                return false;
            }
            spec.dcs = int(v);
        } else if (opt == "--time") {
            if (!ParseIsoTime(value, spec.time)) {
                error = "--time takes YYYY-MM-DDTHH:MM:SS[+HH:MM]";
                return false;
            }
        } else if (opt == "--split") {
            if (value != "8" && value != "16") {
                error = "--split is 8 or 16";
                return false;
            }
            spec.referenceBits = value == "8" ? 8 : 16;
        } else {
            error = "unknown option " + opt;
            return false;
        }
    }
    if (i >= w.size()) {
        error = "no text";
        return false;
    }
    std::string_view text = line.substr(w[i].at);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
    spec.text = std::string(text);
    return true;
}

const char* Control::Help() {
    return "OK commands: sms [--from N|--from-alpha NAME] [--coding 7bit|8bit|ucs2|auto] [--dcs HEX] [--time ISO] "
           "[--split 8|16] TEXT | status-report [--to N] [--ref N] [--status N] | pdu [--length N] HEX | "
           "signal RSSI [BER] | battery [STATUS] CHARGE | drop | error N | refuse CMD|off | silent on|off | "
           "delay MS | garbage N | endless [N] | memory-full | list | line | help | quit";
}

std::string Control::handle(std::string_view line, uint64_t nowMs, bool& handled) {
    handled = true;
    const std::vector<Word> w = Words(line);
    if (w.empty()) return "ERR empty command";
    const std::string& cmd = w[0].text;
    long v = 0, v2 = 0;
    std::string result;

    if (cmd == "sms") {
        DeliverSpec spec;
        spec.codePage = modem_.options().codePage;
        spec.reference = reference_;
        if (!ParseSms(line, w, 1, spec, result)) return "ERR " + result;
        if (!modem_.receive(spec, nowMs, result)) return "ERR " + result;
        reference_ = (reference_ + 1) & (spec.referenceBits == 16 ? 0xFFFF : 0xFF);
        return "OK " + result;
    }
    if (cmd == "status-report") {
        StatusReportSpec spec;
        spec.sent = spec.discharged = NowTimestamp();
        for (size_t i = 1; i < w.size(); i += 2) {
            if (i + 1 >= w.size()) return "ERR " + w[i].text + " needs a value";
            const std::string& value = w[i + 1].text;
            if (w[i].text == "--to") spec.to = value;
            else if (w[i].text == "--ref" && Number(value, 0, 255, v)) spec.reference = int(v);
            else if (w[i].text == "--status" && Number(value, 0, 255, v)) spec.status = int(v);
            else return "ERR usage: status-report [--to N] [--ref N] [--status N]";
        }
        modem_.receiveStatusReport(spec, nowMs, result);
        return "OK " + result;
    }
    if (cmd == "pdu") {
        int length = -1;
        size_t i = 1;
        if (w.size() > 2 && w[1].text == "--length") {
            if (!Number(w[2].text, -1000, 1000, v)) return "ERR --length takes a number";
            length = int(v);
            i = 3;
        }
        if (i + 1 != w.size()) return "ERR usage: pdu [--length N] HEX";
        if (!modem_.storeLine(w[i].text, length, nowMs, result)) return "ERR " + result;
        return "OK " + result;
    }
    if (cmd == "signal") {
        if (w.size() < 2 || w.size() > 3 || !Number(w[1].text, 0, 99, v) ||
            (w.size() == 3 && !Number(w[2].text, 0, 99, v2)))
            return "ERR usage: signal RSSI [BER] (0-31, 99 unknown)";
        modem_.setSignal(int(v), w.size() == 3 ? int(v2) : 99);
        return "OK signal " + std::to_string(v);
    }
    if (cmd == "battery") {
        if (w.size() == 2 && Number(w[1].text, 0, 100, v)) {
            modem_.setBattery(0, int(v));
            return "OK battery 0," + std::to_string(v);
        }
        if (w.size() == 3 && Number(w[1].text, 0, 3, v) && Number(w[2].text, 0, 100, v2)) {
            modem_.setBattery(int(v), int(v2));
            return "OK battery " + std::to_string(v) + "," + std::to_string(v2);
        }
        return "ERR usage: battery [STATUS 0-3] CHARGE (0-100)";
    }
    if (cmd == "error") {
        if (w.size() != 2 || !Number(w[1].text, 0, 1000000, v)) return "ERR usage: error N";
        modem_.failNext(int(v));
        return "OK next " + std::to_string(v) + " commands answer ERROR";
    }
    if (cmd == "refuse") {
        if (w.size() != 2) return "ERR usage: refuse CMD | refuse off";
        modem_.refuse(w[1].text == "off" ? std::string() : w[1].text);
        return "OK refuse " + w[1].text;
    }
    if (cmd == "silent") {
        if (w.size() != 2 || (w[1].text != "on" && w[1].text != "off")) return "ERR usage: silent on|off";
        modem_.setSilent(w[1].text == "on");
        return "OK silent " + w[1].text;
    }
    if (cmd == "delay") {
        if (w.size() != 2 || !Number(w[1].text, 0, 600000, v)) return "ERR usage: delay MS";
        modem_.setDelay(int(v));
        return "OK delay " + std::to_string(v);
    }
    if (cmd == "garbage") {
        if (w.size() != 2 || !Number(w[1].text, 0, 10000000, v)) return "ERR usage: garbage N";
        modem_.garbage(int(v), nowMs);
        return "OK garbage " + std::to_string(v);
    }
    if (cmd == "endless") {
        v = 40000;
        if (w.size() > 2 || (w.size() == 2 && !Number(w[1].text, 1, 10000000, v))) return "ERR usage: endless [N]";
        modem_.endless(size_t(v), nowMs);
        return "OK endless " + std::to_string(v);
    }
    if (cmd == "memory-full") {
        modem_.memoryFull(nowMs);
        return "OK memory-full";
    }
    if (cmd == "list") {
        std::vector<std::string> items = modem_.list();
        std::string s = "OK " + std::to_string(items.size()) + " stored";
        for (const std::string& item : items) s += "; " + item;
        return s;
    }
    if (cmd == "help") return Help();
    handled = false;
    return {};
}

}  // namespace gsmsim
