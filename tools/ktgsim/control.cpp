#include "ktgsim/control.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace ktgsim {

namespace {

std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        if (i > start) words.emplace_back(line.substr(start, i - start));
    }
    return words;
}

// A whole decimal or 0x-hexadecimal number within [lo, hi].
bool Number(const std::string& s, long lo, long hi, long& out) {
    if (s.empty() || s.size() > 12) return false;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 0);
    if (end == s.c_str() || *end != '\0' || v < lo || v > hi) return false;
    out = v;
    return true;
}

// The rest of the line after the first word, for a path with spaces.
std::string After(std::string_view line, const std::string& word) {
    size_t at = line.find(word);
    std::string_view rest = line.substr(at + word.size());
    size_t b = rest.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    size_t e = rest.find_last_not_of(" \t\r");
    return std::string(rest.substr(b, e - b + 1));
}

}  // namespace

const char* ControlInterface::Help() {
    return "OK commands: press CODE | state VALUE|auto | power off|on | fault status-flip N [1|2] | "
           "fault reject N | fault reject-data N | fault silence N | fault clear | snapshot PATH | stats | "
           "help | quit";
}

std::string ControlInterface::handle(std::string_view line, bool& quit) {
    const std::vector<std::string> w = Words(line);
    if (w.empty()) return "ERR empty command";
    const std::string& cmd = w[0];
    long v = 0;

    if (cmd == "press") {
        if (w.size() != 2 || !Number(w[1], 1, 15, v)) return "ERR usage: press CODE (1-15)";
        std::string error;
        if (!device_.press(int(v), error)) return "ERR " + error;
        return "OK request " + std::to_string(v);
    }
    if (cmd == "state") {
        if (w.size() == 2 && w[1] == "auto") {
            device_.setStateOverride(-1);
            return "OK state auto";
        }
        if (w.size() != 2 || !Number(w[1], 0, 15, v)) return "ERR usage: state VALUE (0-15) | state auto";
        device_.setStateOverride(int(v));
        return "OK state " + std::to_string(v);
    }
    if (cmd == "power") {
        if (w.size() == 2 && (w[1] == "off" || w[1] == "on")) {
            device_.setPower(w[1] == "on");
            return "OK power " + w[1];
        }
        return "ERR usage: power off | power on";
    }
    if (cmd == "fault") {
        if (w.size() == 2 && w[1] == "clear") {
            device_.setFaults(Faults{});
            return "OK faults cleared";
        }
        if (w.size() < 3 || w.size() > 4 || !Number(w[2], 0, 1000000, v))
            return "ERR usage: fault status-flip N [1|2] | fault reject N | fault reject-data N | fault silence N";
        Faults f = device_.faults();
        if (w[1] == "status-flip") {
            long bits = 1;
            if (w.size() == 4 && !Number(w[3], 1, 2, bits)) return "ERR status-flip damages one or two bits";
            f.statusFlips = int(v);
            f.flipBits = int(bits);
        } else if (w.size() != 3) {
            return "ERR too many arguments";
        } else if (w[1] == "reject") {
            f.rejectPackets = int(v);
        } else if (w[1] == "reject-data") {
            f.rejectBlocks = int(v);
        } else if (w[1] == "silence") {
            f.silence = int(v);
        } else {
            return "ERR unknown fault " + w[1];
        }
        device_.setFaults(f);
        return "OK fault " + w[1] + " " + std::to_string(v);
    }
    if (cmd == "snapshot") {
        std::string path = After(line, cmd);
        if (path.empty()) return "ERR usage: snapshot PATH";
        std::string error;
        if (!snapshot_ || !snapshot_(path, error)) return "ERR " + (error.empty() ? "cannot write " + path : error);
        return "OK " + path;
    }
    if (cmd == "stats") {
        if (w.size() != 1) return "ERR usage: stats";
        const DeviceStats s = device_.stats();
        std::ostringstream o;
        o << "OK packets=" << s.packets << " blocks=" << s.blocks << " bytes=" << s.bytes << " rejects=" << s.rejects
          << " effects=" << s.effects << " scrolls=" << s.scrolls << " status-reads=" << s.statusReads
          << " last-motion-fields=" << s.lastMotionFields << " request=" << device_.request()
          << " display=" << device_.display() << " state=" << device_.stateValue()
          << " power=" << (device_.powered() ? "on" : "off") << " fields=" << device_.fieldCount();
        return o.str();
    }
    if (cmd == "help") return Help();
    if (cmd == "quit") {
        quit = true;
        return "OK bye";
    }
    return "ERR unknown command " + cmd.substr(0, 40) + " (try help)";
}

}  // namespace ktgsim
