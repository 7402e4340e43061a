#include "gsmsim/modem.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace gsmsim {

namespace {

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return s;
}

// Numbers after '=' separated by commas; empty fields read as -1.
std::vector<int> Numbers(const std::string& args) {
    std::vector<int> v;
    size_t pos = 0;
    while (pos <= args.size()) {
        size_t comma = args.find(',', pos);
        std::string field = args.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        char* end = nullptr;
        long n = std::strtol(field.c_str(), &end, 10);
        v.push_back(field.empty() || end == field.c_str() ? -1 : int(std::clamp<long>(n, INT_MIN, INT_MAX)));
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    return v;
}

// Storage names after '=': "SM","ME" (quotes optional).
std::vector<std::string> Names(const std::string& args) {
    std::vector<std::string> names;
    size_t pos = 0;
    while (pos <= args.size()) {
        size_t comma = args.find(',', pos);
        std::string field = args.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        field.erase(std::remove(field.begin(), field.end(), '"'), field.end());
        names.push_back(Upper(field));
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    return names;
}

// The announced length of a stored line: its octets after the service-centre address.
int LengthOf(const std::string& line) {
    std::vector<uint8_t> octets;
    if (!FromHex(line, octets) || octets.empty()) return int(line.size() / 2);
    int sca = octets[0];
    int n = int(octets.size()) - 1 - sca;
    return n > 0 ? n : int(octets.size());
}

}  // namespace

Modem::Modem(ModemOptions options) : options_(std::move(options)) {
    for (const StorageSpec& s : options_.storages)
        storages_.push_back({Upper(s.name), std::vector<StoredMessage>(size_t(std::max(s.slotCount, 0)))});
    if (storages_.empty()) storages_.push_back({"SM", std::vector<StoredMessage>(20)});
    resetSession();
}

void Modem::resetSession() {
    echo_ = options_.echo;
    quiet_ = false;
    std::fill(std::begin(cnmi_), std::end(cnmi_), 0);
    for (std::string& m : mem_) m = storages_.front().name;
    mem3Set_ = false;
}

void Modem::powerCycle() {
    resetSession();
    lineBuffer_.clear();
    lineOverflow_ = false;
    out_.clear();
}

Modem::Storage* Modem::storage(const std::string& name) {
    for (Storage& s : storages_)
        if (s.name == name) return &s;
    return nullptr;
}

Modem::Storage* Modem::mem(int which) { return storage(which == 2 && !mem3Set_ ? mem_[0] : mem_[which]); }

void Modem::queueOutput(const std::string& bytes, uint64_t dueMs) {
    if (bytes.empty() || silent_) return;
    out_.emplace_back(dueMs, bytes);
}

void Modem::unsolicited(const std::string& line, uint64_t nowMs) {
    queueOutput("\r\n" + line + "\r\n", nowMs + uint64_t(delayMs_));
}

std::string Modem::takeOutput(uint64_t nowMs) {
    std::string s;
    while (!out_.empty() && out_.front().first <= nowMs) {
        s += out_.front().second;
        out_.pop_front();
    }
    return s;
}

uint64_t Modem::nextDue() const { return out_.empty() ? UINT64_MAX : out_.front().first; }

void Modem::input(std::string_view bytes, uint64_t nowMs) {
    if (silent_) return;
    std::string echo;
    for (char c : bytes) {
        if (echo_ && !options_.neverEcho) echo.push_back(c);
        if (c == '\r') {
            if (!echo.empty()) {
                queueOutput(echo, nowMs);
                echo.clear();
            }
            std::string line;
            line.swap(lineBuffer_);
            bool overflow = lineOverflow_;
            lineOverflow_ = false;
            if (!overflow) commandLine(line, nowMs);
        } else if (c == '\n') {
        } else if (c == 0x08 || c == 0x7F) {
            if (!lineBuffer_.empty()) lineBuffer_.pop_back();
        } else if (lineBuffer_.size() < 2048) {
            lineBuffer_.push_back(c);
        } else {
            lineOverflow_ = true;
        }
    }
    queueOutput(echo, nowMs);
}

void Modem::refuse(const std::string& prefix) {
    if (prefix.empty()) {
        refused_.clear();
        return;
    }
    std::string p = Upper(prefix);
    if (p.rfind("AT", 0) == 0) p = p.substr(2);
    refused_.insert(p);
}

void Modem::commandLine(const std::string& raw, uint64_t nowMs) {
    std::string upper = Upper(raw);
    size_t at = upper.find("AT");
    if (at == std::string::npos) return;  // not a command: a modem ignores it
    commands_.push_back(raw.substr(at));
    std::string body = raw.substr(at + 2);
    std::string bodyUpper = upper.substr(at + 2);
    const uint64_t due = nowMs + uint64_t(delayMs_);
    auto finish = [&](const std::vector<std::string>& info, const std::string& final) {
        std::string s;
        for (const std::string& line : info) s += "\r\n" + line + "\r\n";
        if (!quiet_) s += "\r\n" + final + "\r\n";
        queueOutput(s, due);
    };
    if (errors_ > 0) {
        --errors_;
        finish({}, "ERROR");
        return;
    }
    for (const std::string& p : refused_)
        if (bodyUpper.rfind(p, 0) == 0 || bodyUpper.find(";" + p) != std::string::npos) {
            finish({}, "ERROR");
            return;
        }
    std::vector<std::string> info;
    size_t i = 0;
    while (i < body.size()) {
        std::string cmd;
        if (body[i] == '+') {
            size_t end = body.find(';', i);
            cmd = body.substr(i, end == std::string::npos ? std::string::npos : end - i);
            i = end == std::string::npos ? body.size() : end + 1;
        } else if (body[i] == ' ' || body[i] == ';') {
            ++i;
            continue;
        } else {
            size_t start = i++;
            if (body[start] == '&' && i < body.size()) ++i;
            if (i < body.size() && (body[i] == '=' || body[i] == '?')) ++i;
            while (i < body.size() && (isdigit(uint8_t(body[i])) || body[i] == '=' || body[i] == '?')) ++i;
            cmd = body.substr(start, i - start);
        }
        std::string final;
        if (!run(cmd, info, final)) {
            finish(info, final.empty() ? "ERROR" : final);
            return;
        }
    }
    finish(info, "OK");
}

std::string Modem::cpmsCounts() const {
    std::string s;
    for (int m = 0; m < 3; ++m) {
        const std::string& name = m == 2 && !mem3Set_ ? mem_[0] : mem_[m];
        for (const Storage& st : storages_)
            if (st.name == name) {
                int used =
                    int(std::count_if(st.entries.begin(), st.entries.end(), [](auto& x) { return !x.line.empty(); }));
                s += (s.empty() ? "" : ",") + std::to_string(used) + "," + std::to_string(st.entries.size());
            }
    }
    return s;
}

bool Modem::run(const std::string& cmd, std::vector<std::string>& info, std::string& final) {
    const std::string u = Upper(cmd);
    if (u.empty()) return true;
    if (u[0] != '+') {
        const char letter = u[0];
        const int value = u.size() > 1 ? std::atoi(u.c_str() + 1) : 0;
        switch (letter) {
            case 'Z': resetSession(); return true;
            case 'E': echo_ = value != 0; return true;
            case 'Q': quiet_ = value != 0; return true;
            case 'V':
            case 'H':
            case 'X':
            case 'S': return true;
            case 'I': info.push_back(options_.manufacturer + " " + options_.model); return true;
            case '&':
                if (u.size() > 1 && u[1] == 'F') resetSession();
                return u.size() > 1;
            default: return false;
        }
    }
    size_t eq = u.find('=');
    const std::string name = u.substr(0, std::min(eq, u.find('?')));
    const bool query = u.size() > name.size() && u.substr(name.size()) == "?";
    const bool test = u.substr(name.size()) == "=?";
    const std::string args = eq == std::string::npos ? std::string() : cmd.substr(eq + 1);
    const bool set = eq != std::string::npos && !test;
    const bool plain = u == name;

    if (name == "+GCAP" && plain) {
        info.push_back(options_.gsm ? "+GCAP: +CGSM,+FCLASS" : "+GCAP: +FCLASS");
        return true;
    }
    auto ident = [&](const std::string& text) {
        if (!text.empty()) info.push_back(text);
        return true;
    };
    if ((name == "+CGMI" || name == "+GMI") && plain) return ident(options_.manufacturer);
    if ((name == "+CGMM" || name == "+GMM") && plain) return ident(options_.model);
    if ((name == "+CGMR" || name == "+GMR") && plain) return ident(options_.revision);
    if ((name == "+CGSN" || name == "+GSN") && plain) return ident(options_.imei);
    if (name == "+CBC" && options_.battery) {
        if (test) info.push_back("+CBC: (0-3),(0-100)");
        else if (plain) info.push_back("+CBC: " + std::to_string(bcs_) + "," + std::to_string(bcl_));
        else return false;
        return true;
    }
    if (name == "+CSQ" && options_.signal) {
        if (test) info.push_back("+CSQ: (0-31,99),(0-7,99)");
        else if (plain) info.push_back("+CSQ: " + std::to_string(rssi_) + "," + std::to_string(ber_));
        else return false;
        return true;
    }
    if (name == "+CMGF") {
        if (query) info.push_back("+CMGF: 0");
        else if (test) info.push_back("+CMGF: (0)");
        else return set && args == "0";  // PDU mode only
        return true;
    }
    if (name == "+CNMI") {
        if (query) {
            std::string s = "+CNMI: ";
            for (int i = 0; i < 5; ++i) s += (i ? "," : "") + std::to_string(cnmi_[i]);
            info.push_back(s);
            return true;
        }
        if (test) {
            info.push_back("+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)");
            return true;
        }
        if (!set || options_.refuseCnmi) return false;
        std::vector<int> v = Numbers(args);
        for (size_t i = 0; i < v.size() && i < 5; ++i)
            if (v[i] >= 0) cnmi_[i] = v[i];
        return true;
    }
    if (name == "+CPMS") {
        if (test) {
            std::string list = "(";
            for (size_t i = 0; i < storages_.size(); ++i) list += (i ? ",\"" : "\"") + storages_[i].name + "\"";
            list += ")";
            info.push_back("+CPMS: " + list + "," + list + "," + list);
            return true;
        }
        if (query) {
            std::string s = "+CPMS: ";
            std::string counts = cpmsCounts();
            std::vector<int> c = Numbers(counts);
            for (int m = 0; m < 3; ++m) {
                const std::string& n = m == 2 && !mem3Set_ ? mem_[0] : mem_[m];
                s += (m ? ",\"" : "\"") + n + "\"," + std::to_string(c[size_t(2 * m)]) + "," +
                     std::to_string(c[size_t(2 * m + 1)]);
            }
            info.push_back(s);
            return true;
        }
        if (!set) return false;
        std::vector<std::string> names = Names(args);
        for (const std::string& n : names)
            if (!storage(n)) {
                final = "+CMS ERROR: 302";
                return false;
            }
        for (size_t i = 0; i < names.size() && i < 3; ++i) mem_[i] = names[i];
        if (names.size() >= 3) mem3Set_ = true;
        info.push_back("+CPMS: " + cpmsCounts());
        return true;
    }
    if (name == "+CMGL") {
        int stat = set ? std::atoi(args.c_str()) : 0;
        if (test) {
            info.push_back("+CMGL: (0-4)");
            return true;
        }
        if ((set && (args.empty() || !isdigit(uint8_t(args[0])))) || stat < 0 || stat > 4) return false;
        Storage* s = mem(0);
        for (size_t i = 0; s && i < s->entries.size(); ++i) {
            StoredMessage& m = s->entries[i];
            if (m.line.empty() || (stat != 4 && m.stat != stat)) continue;
            info.push_back("+CMGL: " + std::to_string(i + 1) + "," + std::to_string(m.stat) + ",," +
                           std::to_string(m.length));
            info.push_back(m.line);
            m.stat = 1;
        }
        return true;
    }
    if (name == "+CMGR" && set) {
        int index = std::atoi(args.c_str());
        Storage* s = mem(0);
        if (!s || index < 1 || size_t(index) > s->entries.size() || s->entries[size_t(index - 1)].line.empty()) {
            final = "+CMS ERROR: 321";
            return false;
        }
        StoredMessage& m = s->entries[size_t(index - 1)];
        info.push_back("+CMGR: " + std::to_string(m.stat) + ",," + std::to_string(m.length));
        info.push_back(m.line);
        m.stat = 1;
        return true;
    }
    if (name == "+CMGD" && set) {
        std::vector<int> v = Numbers(args);
        Storage* s = mem(0);
        if (!s) return false;
        if (v.size() > 1 && v[1] == 4) {
            for (StoredMessage& m : s->entries) m = StoredMessage{};
            return true;
        }
        if (v.empty() || v[0] < 1 || size_t(v[0]) > s->entries.size()) {
            final = "+CMS ERROR: 321";
            return false;
        }
        s->entries[size_t(v[0] - 1)] = StoredMessage{};
        return true;
    }
    if (name == "+CPIN" && query) return ident("+CPIN: READY");
    if (name == "+CREG" && query) return ident("+CREG: 0,1");
    if (name == "+CSCA" && query)
        return ident("+CSCA: \"" + options_.serviceCentre + "\"," +
                     (options_.serviceCentre.rfind('+', 0) == 0 ? "145" : "129"));
    if (name == "+COPS" && query) return ident("+COPS: 0,0,\"GSMSIM\"");
    if (name == "+CSCS" && query) return ident("+CSCS: \"GSM\"");
    if ((name == "+CMEE" || name == "+CREG" || name == "+CSCS") && set) return true;
    return false;
}

int Modem::store(const std::string& line, int length, uint64_t nowMs) {
    Storage* s = mem(2);
    if (!s) return 0;
    for (size_t i = 0; i < s->entries.size(); ++i)
        if (s->entries[i].line.empty()) {
            s->entries[i] = StoredMessage{line, length, 0};
            (void)nowMs;
            return int(i + 1);
        }
    return 0;
}

bool Modem::receive(const DeliverSpec& spec, uint64_t nowMs, std::string& result) {
    std::string error;
    std::vector<std::string> pdus = EncodeDeliver(spec, &error);
    if (pdus.empty()) {
        result = error;
        return false;
    }
    const std::string sca = EncodeServiceCentre(options_.serviceCentre);
    std::string slots;
    for (const std::string& pdu : pdus) {
        int slot = store(sca + pdu, int(pdu.size() / 2), nowMs);
        if (cnmi_[1] >= 1) unsolicited("+CMTI: \"" + mem(2)->name + "\"," + std::to_string(slot), nowMs);
        slots += (slots.empty() ? "" : ",") + std::to_string(slot);
    }
    result = std::to_string(pdus.size()) + (pdus.size() == 1 ? " part" : " parts") + " in slot " + slots;
    return true;
}

bool Modem::receiveStatusReport(const StatusReportSpec& spec, uint64_t nowMs, std::string& result) {
    std::string pdu = EncodeStatusReport(spec);
    int slot = store(EncodeServiceCentre(options_.serviceCentre) + pdu, int(pdu.size() / 2), nowMs);
    if (cnmi_[3] == 2) unsolicited("+CDSI: \"" + mem(2)->name + "\"," + std::to_string(slot), nowMs);
    result = "status report in slot " + std::to_string(slot);
    return true;
}

bool Modem::storeLine(const std::string& line, int length, uint64_t nowMs, std::string& result) {
    if (line.empty()) {
        result = "empty PDU";
        return false;
    }
    int slot = store(line, length >= 0 ? length : LengthOf(line), nowMs);
    if (cnmi_[1] >= 1) unsolicited("+CMTI: \"" + mem(2)->name + "\"," + std::to_string(slot), nowMs);
    result = "stored in slot " + std::to_string(slot);
    return true;
}

void Modem::garbage(int n, uint64_t nowMs) {
    std::string s;
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < n; ++i) s.push_back(char(byte(random_)));
    queueOutput(s, nowMs);
}

void Modem::endless(size_t n, uint64_t nowMs) {
    std::string s;
    s.reserve(n + 2);
    for (size_t i = 0; i < n; ++i) s.push_back(char('A' + i % 26));
    queueOutput(s + "\r\n", nowMs);
}

void Modem::memoryFull(uint64_t nowMs) { unsolicited("+CMTI: \"" + mem(2)->name + "\",0", nowMs); }

std::vector<std::string> Modem::list() const {
    std::vector<std::string> out;
    for (const Storage& s : storages_)
        for (size_t i = 0; i < s.entries.size(); ++i)
            if (!s.entries[i].line.empty())
                out.push_back(s.name + " " + std::to_string(i + 1) + (s.entries[i].stat ? " read " : " unread ") +
                              std::to_string(s.entries[i].length) + " " + s.entries[i].line);
    return out;
}

int Modem::storedCount() const {
    int n = 0;
    for (const Storage& s : storages_)
        for (const StoredMessage& m : s.entries) n += !m.line.empty();
    return n;
}

}  // namespace gsmsim
