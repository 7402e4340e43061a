// The modem's side of short messages: received messages and status reports built as the network
// delivers them, in PDU form (hexadecimal octets). Written from the GSM documents on their own,
// not from the program's decoder, so that the two check each other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gsmsim {

enum class Coding { Auto, Bit7, Bit8, Ucs2 };

struct Timestamp {
    int year = 2024, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    int zoneQuarters = 0;  // time zone in quarter hours, signed
};

struct DeliverSpec {
    std::string from = "+381641234567";  // digits, "+" for an international number
    std::string fromAlpha;               // an alphanumeric sender instead (at most 11 characters)
    Coding coding = Coding::Auto;        // Auto: the default alphabet when it holds the text, else UCS2
    int dcs = -1;                        // the data coding scheme to write instead of the coding's own
    int pid = 0;
    Timestamp time;
    int referenceBits = 8;  // 8 or 16: the concatenation reference of a text in parts
    int reference = 0;      // that reference
    int codePage = 1251;    // the 8-bit coding's bytes are the text in this code page
    std::string text;       // UTF-8
};

struct StatusReportSpec {
    std::string to = "+381641234567";
    int reference = 0;  // TP-MR of the message reported on
    int status = 0;     // TP-ST: 0 delivered
    Timestamp sent, discharged;
};

// The PDUs of a received message without the service-centre address: one, or the parts of a
// long text with concatenation headers. Empty with a reason when the text cannot be sent.
std::vector<std::string> EncodeDeliver(const DeliverSpec& spec, std::string* error = nullptr);
std::string EncodeStatusReport(const StatusReportSpec& spec);
// The service-centre address field in front of a stored PDU: "00" for none.
std::string EncodeServiceCentre(const std::string& number);
// Parses "YYYY-MM-DD[THH:MM[:SS]][Z|+HH:MM|-HH:MM]"; false when malformed.
bool ParseIsoTime(const std::string& text, Timestamp& out);
// The local time now, with its zone.
Timestamp NowTimestamp();

std::string Hex(const std::vector<uint8_t>& octets);
// Octets of an upper- or lower-case hexadecimal string; false when it is not one.
bool FromHex(const std::string& hex, std::vector<uint8_t>& out);

}  // namespace gsmsim
