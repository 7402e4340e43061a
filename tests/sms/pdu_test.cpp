// The PDU decoder on worked values (hand-packed octets, not made by the program's own encoder):
// addresses, time stamps, the three alphabets, the escapes, headers and damaged lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/code_page.h"
#include "sms/pdu.h"

namespace {

using sms::DecodePdu;
using sms::PduResult;

const platform::CodePage& Cp(int n) {
    static const platform::CodePage cp1251(1251), cp1252(1252), cp1253(1253);
    return n == 1251 ? cp1251 : n == 1252 ? cp1252 : cp1253;
}

// Decodes a line as the modem lists it, the announced length from its service-centre octet.
PduResult Decode(const std::string& line, int codePage = 1252) {
    int sca = std::stoi(line.substr(0, 2), nullptr, 16);
    PduResult r;
    DecodePdu(line, int(line.size() / 2) - 1 - sca, Cp(codePage), r);
    return r;
}

std::string Text(const PduResult& r) { return std::string(r.record.text, size_t(r.record.textLength)); }

TEST(PduDecode, DeliverWithAddressTimeStampAndDefaultAlphabet) {
    // Service centre +38163000000 in front; sender 7 digits, type 0x91, octets 21 43 65 F7.
    PduResult r = Decode("07918361030000F0040791214365F700007030214100000005E8329BFD06");
    ASSERT_EQ(r.record.kind, sms::SMS_KIND_DELIVER) << r.reason;
    EXPECT_STREQ(r.record.number, "+1234567");
    EXPECT_EQ(r.firstOctet, 0x04);
    EXPECT_EQ(r.pid, 0);
    EXPECT_EQ(r.dcs, 0);
    EXPECT_EQ(Text(r), "hello");
    // Year octet 70 is year 07.
    EXPECT_EQ(r.record.time.year, 2007);
    EXPECT_EQ(r.record.time.month, 3);
    EXPECT_EQ(r.record.time.day, 12);
    EXPECT_EQ(r.record.time.hour, 14);
    EXPECT_EQ(r.record.time.dayOfWeek, 0);
    EXPECT_EQ(r.record.time.milliseconds, 0);
    EXPECT_EQ(r.record.text[5], 0) << "zero-padded";
}

TEST(PduDecode, EveryEscapeOfTheExtensionTable) {
    // The ten escapes, then an escape the table lacks before 'A', then an escape at the very end.
    const std::string line = "00040791214365F7000070302141000000171BC586B2416D529BD786B7E96D7C1BE0A6BC096E00";
    PduResult r = Decode(line, 1252);
    ASSERT_TRUE(r.record.kind) << r.reason;
    EXPECT_EQ(Text(r), std::string("\f^{}\\[~]|\x80") + "A");  // euro sign is 0x80 in 1252
    PduResult cyr = Decode(line, 1251);
    EXPECT_EQ(Text(cyr), std::string("\f^{}\\[~]|\x88") + "A");  // and 0x88 in 1251
}

TEST(PduDecode, DefaultAlphabetGoesThroughUnicodeIntoTheCodePage) {
    // "é£": code page 1252 has both; 1251 has neither, so neither may turn into a Cyrillic letter.
    const std::string latin = "00040791214365F7000070302141000000028500";
    EXPECT_EQ(Text(Decode(latin, 1252)), "\xE9\xA3");
    EXPECT_EQ(Text(Decode(latin, 1251)), "??");
    // A text that starts with a Greek capital keeps its place ('?' where the code page lacks it)
    // instead of ending at a zero byte.
    const std::string greek = "00040791214365F70000703021410000000490B0780C";
    PduResult r = Decode(greek, 1251);
    EXPECT_EQ(r.record.textLength, 4);
    EXPECT_EQ(Text(r), "?abc");
    EXPECT_EQ(Text(Decode(greek, 1253)),
              "\xC4"
              "abc");  // Greek code page: capital delta
}

TEST(PduDecode, AlphanumericSenderAndCenturyOfTheYear) {
    // "MyBank1": seven letters in 13 semi-octets; the padding bits give no eighth letter.
    PduResult r = Decode("00040DD0CDBC30EC5EC70000009910123123595902E834");
    ASSERT_TRUE(r.record.kind) << r.reason;
    EXPECT_STREQ(r.record.number, "MyBank1");
    EXPECT_EQ(r.record.time.year, 1999);
    EXPECT_EQ(Text(r), "hi");
}

TEST(PduDecode, Ucs2IntoTheCodePageWithCompositeCheck) {
    PduResult plain = Decode("00040791214365F70008703021410000000C041F04400438043204350442", 1251);
    EXPECT_EQ(Text(plain), "\xCF\xF0\xE8\xE2\xE5\xF2");  // "Привет" in 1251
    EXPECT_EQ(Text(Decode("00040791214365F70008703021410000000C041F04400438043204350442", 1252)), "??????");
    // "и" + combining breve, "е" + combining diaeresis: "йё".
    PduResult composed = Decode("00040791214365F7000870302141000000080438030604350308", 1251);
    EXPECT_EQ(Text(composed), "\xE9\xB8");
    // U+0000 gives '?', not the end of the text.
    EXPECT_EQ(Text(Decode("00040791214365F70008703021410000000400000041", 1252)), "?A");
}

TEST(PduDecode, HeadersLeaveEachPartExactlyItsOwnText) {
    // 7-bit, concatenation with an 8-bit reference: 6 header octets, one fill bit.
    PduResult a = Decode("00440791214365F7000070302141000000110500032A02018C69F99C0E8287E574");
    ASSERT_TRUE(a.record.kind) << a.reason;
    EXPECT_EQ(Text(a), "First part");
    ASSERT_EQ(a.header.size(), 1u);
    EXPECT_EQ(a.header[0].id, 0x00);
    EXPECT_EQ(a.header[0].data, (std::vector<uint8_t>{0x2A, 0x02, 0x01}));
    // 16-bit reference and another element: 12 header octets, two fill bits.
    PduResult b = Decode("00440791214365F7000070302141000000140B0804123403020A030005014CCBE3B79B0C");
    ASSERT_TRUE(b.record.kind) << b.reason;
    EXPECT_EQ(Text(b), "Second");
    ASSERT_EQ(b.header.size(), 2u);
    EXPECT_EQ(b.header[0].id, 0x08);
    EXPECT_EQ(b.header[0].data, (std::vector<uint8_t>{0x12, 0x34, 0x03, 0x02}));
    EXPECT_EQ(b.header[1].id, 0x0A);
    // UCS2 and 8-bit: the text is TP-UDL less the header; an 8-bit zero becomes '?'.
    EXPECT_EQ(Text(Decode("00440791214365F700087030214100000012050003070202041F04400438043204350442", 1251)),
              "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(Text(Decode("00440791214365F70004703021410000000A05000307020248690021")), "Hi?!");
}

TEST(PduDecode, StatusReport) {
    PduResult r = Decode("00062A0791214365F7703021410000007030214110000000");
    ASSERT_EQ(r.record.kind, sms::SMS_KIND_STATUS_REPORT) << r.reason;
    EXPECT_STREQ(r.record.number, "+1234567");
    EXPECT_EQ(r.reference, 0x2A);
    EXPECT_EQ(r.record.time.minute, 1);  // the discharge time, not the service centre's
    EXPECT_EQ(r.record.textLength, 0);
}

TEST(PduDecode, SchemesWithoutTextStillGiveARecord) {
    // Compressed (0x20), message waiting group (0xC0) and the reserved alphabet (0x0C): no text.
    for (const char* dcs : {"20", "C0", "0C"}) {
        std::string line = std::string("00040791214365F700") + dcs + "70302141000000" + "05E8329BFD06";
        PduResult r = Decode(line);
        EXPECT_EQ(r.record.kind, sms::SMS_KIND_DELIVER) << dcs;
        EXPECT_EQ(r.record.textLength, 0) << dcs;
    }
    // Class 1 in the general group and the 0xF0 group still use the default alphabet.
    for (const char* dcs : {"11", "F1"}) {
        std::string line = std::string("00040791214365F700") + dcs + "70302141000000" + "05E8329BFD06";
        EXPECT_EQ(Text(Decode(line)), "hello") << dcs;
    }
}

TEST(PduDecode, RejectsLinesThatAreNotUpperCaseHexOfEvenLength) {
    const std::string good = "07918361030000F0040791214365F700007030214100000005E8329BFD06";
    PduResult r;
    EXPECT_FALSE(DecodePdu(good.substr(1), 22, Cp(1252), r));
    std::string lower = good;
    for (char& c : lower) c = char(std::tolower(uint8_t(c)));
    EXPECT_FALSE(DecodePdu(lower, 22, Cp(1252), r));
    EXPECT_FALSE(DecodePdu("", 0, Cp(1252), r));
    // Other message types give no record either.
    EXPECT_FALSE(DecodePdu("0001", 1, Cp(1252), r));
    EXPECT_FALSE(DecodePdu("0003", 1, Cp(1252), r));
    EXPECT_EQ(r.record.kind, 0);
}

TEST(PduDecode, AValidPduCutAtEveryLengthGivesNoRecord) {
    const std::string full = "00440791214365F7000070302141000000140B0804123403020A030005014CCBE3B79B0C";
    for (size_t n = 0; n < full.size(); ++n) {
        const std::string cut = full.substr(0, n);
        PduResult r;
        // With the full message's announced length, and with one that fits what is left.
        EXPECT_FALSE(DecodePdu(cut, int(full.size() / 2) - 1, Cp(1252), r)) << n;
        EXPECT_FALSE(DecodePdu(cut, int(n / 2) - 1, Cp(1252), r)) << n;
        EXPECT_EQ(r.record.kind, 0) << n;
        EXPECT_EQ(r.record.textLength, 0) << n;
    }
}

TEST(PduDecode, DamagedLengthsStayInsideTheLine) {
    // A header length octet larger than the user data.
    EXPECT_FALSE(Decode("00440791214365F7000070302141000000110F00032A02018C69F99C0E8287E574").record.kind);
    // A header element longer than the header.
    EXPECT_FALSE(Decode("00440791214365F7000070302141000000110500092A02018C69F99C0E8287E574").record.kind);
    // A digit count that runs past the line.
    EXPECT_FALSE(Decode("0004FF91214365F7").record.kind);
    // A TP-UDL of 160 septets where five are present.
    EXPECT_FALSE(Decode("00040791214365F7000070302141000000A0E8329BFD06").record.kind);
    // Announced lengths of zero, below zero and past the line.
    PduResult r;
    const std::string line =
        "00040791214365F7000070302141000000"
        "05E8329BFD06";
    EXPECT_FALSE(DecodePdu(line, 0, Cp(1252), r));
    EXPECT_FALSE(DecodePdu(line, -3, Cp(1252), r));
    EXPECT_FALSE(DecodePdu(line, int(line.size()), Cp(1252), r));
    EXPECT_TRUE(DecodePdu(line, int(line.size() / 2), Cp(1252), r)) << "no service-centre octet at all";
}

TEST(PduDecode, FieldsKeepTheirLimits) {
    // A 40-digit international number: "+" and 30 digits.
    std::string digits;
    for (int i = 0; i < 20; ++i) digits += "21";
    PduResult n = Decode(
        "000428"
        "91" +
        digits + "0000703021410000000161");
    ASSERT_TRUE(n.record.kind) << n.reason;
    std::string expected = "+";
    for (int i = 0; i < 15; ++i) expected += "12";
    EXPECT_EQ(std::string(n.record.number), expected);
    EXPECT_EQ(std::strlen(n.record.number), 31u);
    // 8-bit, 255 octets of text: 255 bytes and a zero.
    std::string ud;
    for (int i = 0; i < 255; ++i) ud += "41";
    PduResult t = Decode("00040791214365F7000470302141000000FF" + ud);
    ASSERT_TRUE(t.record.kind) << t.reason;
    EXPECT_EQ(t.record.textLength, 255);
    EXPECT_EQ(t.record.text[255], 0);
}

}  // namespace
