#include "gsmsim/pdu_encode.h"

#include <cstdio>
#include <ctime>

#include "platform/code_page.h"

namespace gsmsim {

namespace {

// GSM 03.38 default alphabet, septet by septet (0x1B is the escape).
// clang-format off
const char16_t kAlphabet[128] = {
    0x0040, 0x00A3, 0x0024, 0x00A5, 0x00E8, 0x00E9, 0x00F9, 0x00EC, 0x00F2, 0x00C7, 0x000A, 0x00D8, 0x00F8, 0x000D, 0x00C5, 0x00E5,
    0x0394, 0x005F, 0x03A6, 0x0393, 0x039B, 0x03A9, 0x03A0, 0x03A8, 0x03A3, 0x0398, 0x039E, 0xFFFF, 0x00C6, 0x00E6, 0x00DF, 0x00C9,
    0x0020, 0x0021, 0x0022, 0x0023, 0x00A4, 0x0025, 0x0026, 0x0027, 0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    0x00A1, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047, 0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057, 0x0058, 0x0059, 0x005A, 0x00C4, 0x00D6, 0x00D1, 0x00DC, 0x00A7,
    0x00BF, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067, 0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077, 0x0078, 0x0079, 0x007A, 0x00E4, 0x00F6, 0x00F1, 0x00FC, 0x00E0,
};
// clang-format on
struct Extension {
    char32_t c;
    uint8_t septet;
};
const Extension kExtension[] = {{0x0C, 0x0A}, {'^', 0x14}, {'{', 0x28}, {'}', 0x29}, {'\\', 0x2F},
                                {'[', 0x3C},  {'~', 0x3D}, {']', 0x3E}, {'|', 0x40}, {0x20AC, 0x65}};

// The septets of one character: 1, 2 (escape + extension) or 0 when the alphabet lacks it.
int Septets(char32_t c, uint8_t out[2]) {
    for (int i = 0; i < 128; ++i)
        if (i != 0x1B && kAlphabet[i] == c) {
            out[0] = uint8_t(i);
            return 1;
        }
    for (const Extension& e : kExtension)
        if (e.c == c) {
            out[0] = 0x1B;
            out[1] = e.septet;
            return 2;
        }
    return 0;
}

std::vector<char32_t> CodePoints(const std::string& utf8) {
    std::vector<char32_t> cps;
    size_t pos = 0;
    while (pos < utf8.size()) cps.push_back(platform::NextUtf8(utf8, pos));
    return cps;
}

// Septets packed from bit firstBit on, least significant bits first.
void Pack(const std::vector<uint8_t>& septets, size_t firstBit, std::vector<uint8_t>& octets) {
    size_t bits = firstBit + septets.size() * 7;
    octets.resize((bits + 7) / 8, 0);
    for (size_t i = 0; i < septets.size(); ++i)
        for (int b = 0; b < 7; ++b)
            if (septets[i] >> b & 1) {
                size_t at = firstBit + i * 7 + size_t(b);
                octets[at / 8] |= uint8_t(1 << (at % 8));
            }
}

uint8_t Swapped(int v) { return uint8_t((v % 10) << 4 | (v / 10 % 10)); }

void PutTime(std::vector<uint8_t>& o, const Timestamp& t) {
    o.push_back(Swapped(t.year % 100));
    o.push_back(Swapped(t.month));
    o.push_back(Swapped(t.day));
    o.push_back(Swapped(t.hour));
    o.push_back(Swapped(t.minute));
    o.push_back(Swapped(t.second));
    int q = t.zoneQuarters < 0 ? -t.zoneQuarters : t.zoneQuarters;
    o.push_back(uint8_t(Swapped(q) | (t.zoneQuarters < 0 ? 0x08 : 0)));
}

void PutNumber(std::vector<uint8_t>& o, const std::string& number) {
    std::string digits;
    for (char c : number)
        if (c >= '0' && c <= '9') digits.push_back(c);
    bool international = !number.empty() && number[0] == '+';
    o.push_back(uint8_t(digits.size()));
    o.push_back(international ? 0x91 : 0x81);
    for (size_t i = 0; i < digits.size(); i += 2) {
        int lo = digits[i] - '0';
        int hi = i + 1 < digits.size() ? digits[i + 1] - '0' : 0x0F;
        o.push_back(uint8_t(hi << 4 | lo));
    }
}

void PutAlphanumeric(std::vector<uint8_t>& o, const std::string& name) {
    std::vector<uint8_t> septets;
    for (char32_t c : CodePoints(name)) {
        uint8_t s[2];
        int n = Septets(c, s);
        if (n == 0) s[0] = 0x3F, n = 1;  // '?'
        for (int i = 0; i < n && septets.size() < 11; ++i) septets.push_back(s[i]);
    }
    std::vector<uint8_t> packed;
    Pack(septets, 0, packed);
    o.push_back(uint8_t((septets.size() * 7 + 3) / 4));  // useful semi-octets
    o.push_back(0xD0);
    o.insert(o.end(), packed.begin(), packed.end());
}

// One unit of text that a part boundary may not cut: its encoded form.
struct Unit {
    std::vector<uint8_t> bytes;  // septets (7-bit) or octets
};

std::vector<uint8_t> ConcatHeader(int bits, int reference, int total, int seq) {
    if (bits == 16)
        return {0x06, 0x08, 0x04, uint8_t(reference >> 8), uint8_t(reference), uint8_t(total), uint8_t(seq)};
    return {0x05, 0x00, 0x03, uint8_t(reference), uint8_t(total), uint8_t(seq)};
}

}  // namespace

std::string Hex(const std::vector<uint8_t>& octets) {
    static const char* d = "0123456789ABCDEF";
    std::string s;
    s.reserve(octets.size() * 2);
    for (uint8_t b : octets) {
        s.push_back(d[b >> 4]);
        s.push_back(d[b & 15]);
    }
    return s;
}

bool FromHex(const std::string& hex, std::vector<uint8_t>& out) {
    auto value = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    out.clear();
    if (hex.size() % 2) return false;
    for (size_t i = 0; i < hex.size(); i += 2) {
        int hi = value(hex[i]), lo = value(hex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(uint8_t(hi << 4 | lo));
    }
    return true;
}

std::string EncodeServiceCentre(const std::string& number) {
    if (number.empty()) return "00";
    std::vector<uint8_t> o;
    PutNumber(o, number);
    // The length counts octets here (type included), not digits.
    o[0] = uint8_t(o.size() - 1);
    return Hex(o);
}

std::vector<std::string> EncodeDeliver(const DeliverSpec& spec, std::string* error) {
    Coding coding = spec.coding;
    const std::vector<char32_t> cps = CodePoints(spec.text);
    std::vector<Unit> units;
    if (coding == Coding::Auto) {
        coding = Coding::Bit7;
        uint8_t s[2];
        for (char32_t c : cps)
            if (!Septets(c, s)) coding = Coding::Ucs2;
    }
    if (coding == Coding::Bit7) {
        for (char32_t c : cps) {
            Unit u;
            uint8_t s[2];
            int n = Septets(c, s);
            if (n == 0) s[0] = 0x3F, n = 1;
            u.bytes.assign(s, s + n);
            units.push_back(u);
        }
    } else if (coding == Coding::Ucs2) {
        for (char32_t c : cps) {
            Unit u;
            if (c >= 0x10000) {
                char32_t v = c - 0x10000;
                char16_t hi = char16_t(0xD800 + (v >> 10)), lo = char16_t(0xDC00 + (v & 0x3FF));
                u.bytes = {uint8_t(hi >> 8), uint8_t(hi), uint8_t(lo >> 8), uint8_t(lo)};
            } else {
                u.bytes = {uint8_t(c >> 8), uint8_t(c)};
            }
            units.push_back(u);
        }
    } else {
        platform::CodePage cp(spec.codePage);
        for (char c : cp.fromUtf8(spec.text)) units.push_back(Unit{{uint8_t(c)}});
    }

    const bool sevenBit = coding == Coding::Bit7;
    const size_t single = sevenBit ? 160 : 140;
    size_t total = 0;
    for (const Unit& u : units) total += u.bytes.size();
    const std::vector<uint8_t> probe = ConcatHeader(spec.referenceBits, 0, 0, 0);
    const size_t headerOctets = probe.size();
    const size_t perPart = sevenBit ? 160 - (headerOctets * 8 + 6) / 7 : 140 - headerOctets;

    std::vector<std::vector<uint8_t>> parts;
    if (total <= single) {
        parts.emplace_back();
        for (const Unit& u : units) parts.back().insert(parts.back().end(), u.bytes.begin(), u.bytes.end());
    } else {
        for (const Unit& u : units) {
            if (parts.empty() || parts.back().size() + u.bytes.size() > perPart) parts.emplace_back();
            parts.back().insert(parts.back().end(), u.bytes.begin(), u.bytes.end());
        }
    }
    if (parts.size() > 255) {
        if (error) *error = "text too long for 255 parts";
        return {};
    }
    const int dcs = spec.dcs >= 0 ? spec.dcs : sevenBit ? 0x00 : coding == Coding::Bit8 ? 0x04 : 0x08;
    std::vector<std::string> out;
    for (size_t p = 0; p < parts.size(); ++p) {
        const bool withHeader = parts.size() > 1;
        std::vector<uint8_t> o;
        o.push_back(uint8_t(0x04 | (withHeader ? 0x40 : 0)));  // SMS-DELIVER, no more messages waiting
        if (!spec.fromAlpha.empty()) PutAlphanumeric(o, spec.fromAlpha);
        else PutNumber(o, spec.from);
        o.push_back(uint8_t(spec.pid));
        o.push_back(uint8_t(dcs));
        PutTime(o, spec.time);
        std::vector<uint8_t> header;
        if (withHeader) header = ConcatHeader(spec.referenceBits, spec.reference, int(parts.size()), int(p + 1));
        std::vector<uint8_t> ud = header;
        if (sevenBit) {
            size_t start = (header.size() * 8 + 6) / 7;  // septets taken by the header and its fill bits
            std::vector<uint8_t> packed(header);
            Pack(parts[p], start * 7, packed);
            ud = packed;
            o.push_back(uint8_t(start + parts[p].size()));
        } else {
            ud.insert(ud.end(), parts[p].begin(), parts[p].end());
            o.push_back(uint8_t(ud.size()));
        }
        o.insert(o.end(), ud.begin(), ud.end());
        out.push_back(Hex(o));
    }
    return out;
}

std::string EncodeStatusReport(const StatusReportSpec& spec) {
    std::vector<uint8_t> o;
    o.push_back(0x06);  // SMS-STATUS-REPORT, no more messages waiting
    o.push_back(uint8_t(spec.reference));
    PutNumber(o, spec.to);
    PutTime(o, spec.sent);
    PutTime(o, spec.discharged);
    o.push_back(uint8_t(spec.status));
    return Hex(o);
}

bool ParseIsoTime(const std::string& text, Timestamp& out) {
    Timestamp t;
    int n = 0;
    char sep = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &t.year, &t.month, &t.day, &n) != 3) return false;
    size_t pos = size_t(n);
    if (pos < text.size() && (text[pos] == 'T' || text[pos] == ' ')) {
        int m = 0;
        if (std::sscanf(text.c_str() + pos + 1, "%2d:%2d%n", &t.hour, &t.minute, &m) != 2) return false;
        pos += 1 + size_t(m);
        if (pos < text.size() && text[pos] == ':') {
            if (std::sscanf(text.c_str() + pos + 1, "%2d%n", &t.second, &m) != 1) return false;
            pos += 1 + size_t(m);
        }
    }
    if (pos < text.size()) {
        if (text[pos] == 'Z' && pos + 1 == text.size()) {
            t.zoneQuarters = 0;
        } else if (text[pos] == '+' || text[pos] == '-') {
            int h = 0, mi = 0, m = 0;
            sep = text[pos];
            if (std::sscanf(text.c_str() + pos + 1, "%2d:%2d%n", &h, &mi, &m) != 2 ||
                pos + 1 + size_t(m) != text.size())
                return false;
            t.zoneQuarters = (h * 60 + mi) / 15 * (sep == '-' ? -1 : 1);
        } else {
            return false;
        }
    }
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 || t.second > 59)
        return false;
    out = t;
    return true;
}

Timestamp NowTimestamp() {
    time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    Timestamp t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    t.zoneQuarters = int(local.tm_gmtoff / 900);
    return t;
}

}  // namespace gsmsim
