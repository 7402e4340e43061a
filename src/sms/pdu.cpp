#include "sms/pdu.h"

#include <cstring>

#include "platform/bytes.h"
#include "sms/compose.h"
#include "sms/gsm_alphabet.h"

namespace sms {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Text in the code page, at most 255 bytes. Code points arrive one by one; a combining mark is
// joined with the letter before it where a precomposed letter exists (the composite check).
class TextSink {
public:
    TextSink(const platform::CodePage& cp, char* out, int capacity) : cp_(cp), out_(out), capacity_(capacity) {}
    ~TextSink() { flush(); }

    void put(char32_t c) {
        if (pending_ && IsCombiningMark(c)) {
            if (char32_t joined = Compose(pending_, c)) {
                pending_ = joined;
                return;
            }
        }
        flush();
        pending_ = c;
    }
    // An 8-bit byte taken as it is; only a zero is replaced.
    void raw(uint8_t b) {
        flush();
        byte(b ? char(b) : '?');
    }
    void flush() {
        if (!pending_ && !havePending_) return;
        char32_t c = pending_;
        pending_ = 0;
        havePending_ = false;
        int b = c ? cp_.fromUnicode(c) : -1;
        byte(b > 0 ? char(b) : '?');
    }
    int length() {
        flush();
        return length_;
    }
    // A zero code point (U+0000) still takes its place, as '?'.
    void putZero() {
        flush();
        havePending_ = true;
    }

private:
    void byte(char b) {
        if (length_ < capacity_) out_[length_++] = b;
    }
    const platform::CodePage& cp_;
    char* out_;
    int capacity_;
    int length_ = 0;
    char32_t pending_ = 0;
    bool havePending_ = false;
};

void PutCodePoint(TextSink& sink, char32_t c) {
    if (c == 0) sink.putZero();
    else sink.put(c);
}

// GSM septets to text: the escape takes the next septet from the extension table; an escape the
// table does not know is dropped and the septet after it read as usual.
void PutGsm(TextSink& sink, const std::vector<uint8_t>& septets) {
    for (size_t i = 0; i < septets.size(); ++i) {
        uint8_t s = septets[i];
        if (s == kGsmEscape) {
            if (i + 1 < septets.size()) {
                if (char32_t e = GsmExtensionToUnicode(septets[i + 1])) {
                    sink.put(e);
                    ++i;
                }
            }
            continue;
        }
        sink.put(GsmToUnicode(s));
    }
}

void PutUcs2(TextSink& sink, const uint8_t* p, size_t units) {
    for (size_t i = 0; i < units; ++i) {
        char32_t u = char32_t(p[2 * i] << 8 | p[2 * i + 1]);
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units) {
            char32_t lo = char32_t(p[2 * i + 2] << 8 | p[2 * i + 3]);
            if (lo >= 0xDC00 && lo < 0xE000) {
                ++i;
                sink.put(0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));  // no 8-bit code page has it
                continue;
            }
        }
        PutCodePoint(sink, u);
    }
}

// Reads an address field into number: digits, or the alphanumeric name. False when the field runs
// past the data.
bool ReadAddress(platform::ByteReader& r, const platform::CodePage& cp, char (&number)[kSmsFieldSize]) {
    std::memset(number, 0, sizeof number);
    const int digits = r.u8();
    const int type = r.u8();
    const size_t octets = size_t(digits + 1) / 2;
    std::span<const uint8_t> field = r.view(octets);
    if (!r.ok()) return false;
    const int maxChars = kSmsFieldSize - 1;
    const int high = type & 0xF0;
    if (high >= 0x80 && high <= 0xC0) {
        static const char kHex[] = "0123456789ABCDEF";
        int n = 0;
        if (high == 0x90) number[n++] = '+';
        for (int i = 0; i < digits && n < maxChars; ++i) {
            int nibble = (i & 1) ? field[size_t(i / 2)] >> 4 : field[size_t(i / 2)] & 0x0F;
            if (nibble == 0x0F) break;
            number[n++] = kHex[nibble];
        }
    } else if (high == 0xD0) {
        // The digit count is in useful semi-octets: 4 bits each, so a name of 7 letters is not
        // given an eighth one from the padding bits.
        size_t septets = std::min<size_t>(size_t(digits) * 4 / 7, size_t(maxChars));
        std::vector<uint8_t> s;
        UnpackSeptets(field.data(), field.size(), 0, septets, s);
        TextSink sink(cp, number, maxChars);
        PutGsm(sink, s);
    }
    return true;
}

// Seven octets of swapped decimal semi-octets: year, month, day, hour, minute, second, zone.
bool ReadTimeStamp(platform::ByteReader& r, SmsTime& t) {
    std::span<const uint8_t> v = r.view(7);
    if (!r.ok()) return false;
    auto value = [&](int i) { return uint16_t((v[size_t(i)] & 0x0F) * 10 + (v[size_t(i)] >> 4)); };
    uint16_t year = value(0);
    t.year = uint16_t(year <= 89 ? 2000 + year : 1900 + year);
    t.month = value(1);
    t.day = value(2);
    t.hour = value(3);
    t.minute = value(4);
    t.second = value(5);
    t.dayOfWeek = 0;
    t.milliseconds = 0;
    return true;
}

bool Fail(PduResult& out, const char* reason) {
    out.reason = reason;
    out.record = SMSRecord{};
    return false;
}

}  // namespace

bool UnpackSeptets(const uint8_t* octets, size_t octetCount, size_t firstBit, size_t septets,
                   std::vector<uint8_t>& out) {
    out.clear();
    if (septets > (octetCount * 8 - std::min(octetCount * 8, firstBit)) / 7) return false;
    out.reserve(septets);
    for (size_t i = 0; i < septets; ++i) {
        size_t bit = firstBit + 7 * i;
        size_t at = bit / 8, shift = bit % 8;
        unsigned v = octets[at] >> shift;
        if (shift > 1) v |= unsigned(octets[at + 1]) << (8 - shift);
        out.push_back(uint8_t(v & 0x7F));
    }
    return true;
}

bool DecodePdu(std::string_view line, int announcedLength, const platform::CodePage& codePage, PduResult& out) {
    out = PduResult{};
    if (line.empty() || line.size() % 2) return Fail(out, "not hexadecimal of even length");
    std::vector<uint8_t> octets(line.size() / 2);
    for (size_t i = 0; i < octets.size(); ++i) {
        int hi = HexValue(line[2 * i]), lo = HexValue(line[2 * i + 1]);
        if (hi < 0 || lo < 0) return Fail(out, "not upper-case hexadecimal");
        octets[i] = uint8_t(hi << 4 | lo);
    }
    if (announcedLength <= 0 || size_t(announcedLength) > octets.size())
        return Fail(out, "announced length runs past the line");
    platform::ByteReader r(octets.data(), octets.size());
    r.seek(octets.size() - size_t(announcedLength));
    SMSRecord& rec = out.record;
    out.firstOctet = r.u8();
    const int type = out.firstOctet & 3;

    if (type == 2) {
        rec.kind = SMS_KIND_STATUS_REPORT;
        out.reference = r.u8();
        if (!ReadAddress(r, codePage, rec.number)) return Fail(out, "recipient address runs past the line");
        SmsTime serviceCentre;
        if (!ReadTimeStamp(r, serviceCentre) || !ReadTimeStamp(r, rec.time))
            return Fail(out, "time stamps run past the line");
        out.reportStatus = r.u8();
        if (!r.ok()) return Fail(out, "status runs past the line");
        return true;
    }
    if (type != 0) return Fail(out, "neither a received message nor a status report");

    rec.kind = SMS_KIND_DELIVER;
    if (!ReadAddress(r, codePage, rec.number)) return Fail(out, "originating address runs past the line");
    out.pid = r.u8();
    out.dcs = r.u8();
    if (!ReadTimeStamp(r, rec.time)) return Fail(out, "time stamp runs past the line");
    out.udl = r.u8();
    if (!r.ok()) return Fail(out, "user data length runs past the line");
    const size_t udOctets = r.remaining();
    const uint8_t* ud = r.view(udOctets).data();  // the rest of the line is the user data

    const int dcs = out.dcs;
    if ((dcs & 0xE0) == 0 || (dcs & 0xF0) == 0xF0) out.alphabet = dcs & 0x0C;
    const size_t udl = size_t(out.udl);
    // The user data must be all there, whatever its alphabet: septets for the default one.
    const size_t needOctets = out.alphabet == 0 ? (udl * 7 + 7) / 8 : udl;
    if (needOctets > udOctets) return Fail(out, "user data runs past the line");

    size_t headerOctets = 0;  // the header with its length octet
    if (out.firstOctet & 0x40) {
        out.hasHeader = true;
        if (needOctets < 1) return Fail(out, "user data header runs past the user data");
        headerOctets = size_t(ud[0]) + 1;
        if (headerOctets > needOctets) return Fail(out, "user data header runs past the user data");
        platform::ByteReader h(ud + 1, headerOctets - 1);
        while (h.remaining() >= 2) {
            UdhElement e;
            e.id = h.u8();
            size_t n = h.u8();
            std::span<const uint8_t> d = h.view(n);
            if (!h.ok()) return Fail(out, "user data header element runs past the header");
            e.data.assign(d.begin(), d.end());
            out.header.push_back(std::move(e));
        }
        if (h.remaining()) return Fail(out, "user data header element runs past the header");
    }

    TextSink sink(codePage, rec.text, kSmsTextSize - 1);
    if (out.alphabet == 0) {
        // The text starts at the septet boundary after the header and its fill bits.
        size_t headerSeptets = (headerOctets * 8 + 6) / 7;
        if (headerSeptets > udl) return Fail(out, "user data header runs past the user data");
        std::vector<uint8_t> septets;
        UnpackSeptets(ud, needOctets, headerSeptets * 7, udl - headerSeptets, septets);
        PutGsm(sink, septets);
    } else if (out.alphabet == 4) {
        for (size_t i = headerOctets; i < udl; ++i) sink.raw(ud[i]);
    } else if (out.alphabet == 8) {
        PutUcs2(sink, ud + headerOctets, (udl - headerOctets) / 2);
    }
    rec.textLength = sink.length();
    return true;
}

}  // namespace sms
