// Decoding of one stored short message as the modem lists it in PDU mode: a line of hexadecimal
// octets (the service-centre address, then the message) and the message's length as the modem
// announced it, into the engine's record. Pure: no state, no log.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/code_page.h"
#include "sms/sms_types.h"

namespace sms {

// One element of a user data header.
struct UdhElement {
    int id = 0;
    std::vector<uint8_t> data;
};

struct PduResult {
    SMSRecord record;
    int firstOctet = -1;
    int pid = -1;           // TP-PID (deliver)
    int dcs = -1;           // TP-DCS (deliver)
    int alphabet = -1;      // 0 default 7-bit, 4 8-bit, 8 UCS2, 12 reserved; -1 a scheme without text
    int udl = -1;           // TP-UDL as announced
    int reference = -1;     // TP-MR (status report)
    int reportStatus = -1;  // TP-ST (status report)
    bool hasHeader = false;
    std::vector<UdhElement> header;
    const char* reason = "";  // why there is no record
};

// Decodes a line into out. True with a record of kind 1 (deliver) or 3 (status report); false
// with the reason when the line is not upper-case hexadecimal of even length, the announced
// length, an address, the user data or its header run past the line, or the message is of
// another type. Texts go into the given code page (what it lacks becomes '?'); neither the text
// nor the number ever holds a zero byte.
bool DecodePdu(std::string_view line, int announcedLength, const platform::CodePage& codePage, PduResult& out);

// Septets packed in octets, least significant bits first, from bit firstBit on; false when the
// octets do not hold them all.
bool UnpackSeptets(const uint8_t* octets, size_t octetCount, size_t firstBit, size_t septets,
                   std::vector<uint8_t>& out);

}  // namespace sms
