// The PDU decoder: any line and announced length give a record within its fields (a text of at
// most 255 bytes without a zero inside, a number of at most 31 characters) or none with the
// record left empty. The first two bytes are the announced length; the rest is tried as it is
// and as upper-case hexadecimal of itself, so that the fuzzer reaches past the line check.
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/code_page.h"
#include "sms/pdu.h"

static void Check(const std::string& line, int length, const platform::CodePage& cp) {
    sms::PduResult r;
    bool ok = sms::DecodePdu(line, length, cp, r);
    const sms::SMSRecord& rec = r.record;
    if (!ok) {
        if (rec.kind != 0 || rec.textLength != 0 || rec.number[0] != 0) __builtin_trap();
        return;
    }
    if (rec.kind != sms::SMS_KIND_DELIVER && rec.kind != sms::SMS_KIND_STATUS_REPORT) __builtin_trap();
    if (rec.textLength < 0 || rec.textLength > 255 || rec.text[255] != 0) __builtin_trap();
    if (std::memchr(rec.text, 0, size_t(rec.textLength))) __builtin_trap();
    for (int i = rec.textLength; i < 256; ++i)
        if (rec.text[i]) __builtin_trap();
    if (rec.number[31] != 0) __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const platform::CodePage cp1251(1251), cp1252(1252);
    if (size < 2) return 0;
    int length = int16_t(data[0] | data[1] << 8);
    std::string raw(reinterpret_cast<const char*>(data + 2), size - 2);
    Check(raw, length, cp1251);
    static const char* hex = "0123456789ABCDEF";
    std::string line;
    for (unsigned char c : raw) {
        line.push_back(hex[c >> 4]);
        line.push_back(hex[c & 15]);
    }
    Check(line, length, cp1251);
    Check(line, int(raw.size()) - (raw.empty() ? 0 : 1 + uint8_t(raw[0])), cp1252);
    return 0;
}
