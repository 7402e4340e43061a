// The simulator's messages as the program decodes them: every coding, senders, time stamps, and
// long texts in parts that each decode to exactly their own share.
#include <gtest/gtest.h>

#include <string>

#include "gsmsim/pdu_encode.h"
#include "platform/code_page.h"
#include "sms/pdu.h"

namespace {

using gsmsim::Coding;
using gsmsim::DeliverSpec;

const platform::CodePage& Cp1251() {
    static const platform::CodePage cp(1251);
    return cp;
}

sms::PduResult Decode(const std::string& pdu) {
    sms::PduResult r;
    sms::DecodePdu("00" + pdu, int(pdu.size() / 2), Cp1251(), r);
    return r;
}

std::string Utf8(const sms::PduResult& r) {
    return Cp1251().toUtf8(std::string(r.record.text, size_t(r.record.textLength)));
}

DeliverSpec Spec(const std::string& text, Coding coding = Coding::Auto) {
    DeliverSpec s;
    s.text = text;
    s.coding = coding;
    s.time = {2024, 5, 17, 9, 30, 15, 8};
    return s;
}

TEST(GsmsimPdu, EachCodingDecodesToItsText) {
    struct Case {
        std::string text;
        Coding coding;
        int dcs;
    };
    for (const Case& c : {Case{"Hello {world} 5€ ^~|", Coding::Bit7, 0x00}, Case{"plain text", Coding::Bit8, 0x04},
                          Case{"Привет, мир", Coding::Ucs2, 0x08}, Case{"Привет", Coding::Auto, 0x08},
                          Case{"@£$¥èéùì_", Coding::Auto, 0x00}}) {
        std::vector<std::string> pdus = gsmsim::EncodeDeliver(Spec(c.text, c.coding));
        ASSERT_EQ(pdus.size(), 1u) << c.text;
        sms::PduResult r = Decode(pdus[0]);
        ASSERT_EQ(r.record.kind, sms::SMS_KIND_DELIVER) << r.reason;
        EXPECT_EQ(r.dcs, c.dcs) << c.text;
        EXPECT_STREQ(r.record.number, "+381641234567");
        EXPECT_EQ(r.record.time.year, 2024);
        EXPECT_EQ(r.record.time.second, 15);
        EXPECT_FALSE(r.hasHeader);
        // 1251 lacks some of these; the rest must come through.
        if (c.text.find("£") == std::string::npos) {
            EXPECT_EQ(Utf8(r), c.text);
        }
    }
}

TEST(GsmsimPdu, SendersAndServiceCentre) {
    DeliverSpec s = Spec("x");
    s.fromAlpha = "MyBank1";
    EXPECT_STREQ(Decode(gsmsim::EncodeDeliver(s)[0]).record.number, "MyBank1");
    s.fromAlpha.clear();
    s.from = "0641234";  // national: no "+"
    EXPECT_STREQ(Decode(gsmsim::EncodeDeliver(s)[0]).record.number, "0641234");
    EXPECT_EQ(gsmsim::EncodeServiceCentre(""), "00");
    EXPECT_EQ(gsmsim::EncodeServiceCentre("+38163000000"), "07918361030000F0");
}

TEST(GsmsimPdu, LongTextsGoInPartsThatEachDecodeToTheirOwnText) {
    std::string text;
    for (int i = 0; i < 40; ++i) text += "part" + std::to_string(i) + " ";
    for (int bits : {8, 16}) {
        for (Coding coding : {Coding::Bit7, Coding::Ucs2, Coding::Bit8}) {
            DeliverSpec s = Spec(text, coding);
            s.referenceBits = bits;
            s.reference = 0x1234 & (bits == 8 ? 0xFF : 0xFFFF);
            std::vector<std::string> pdus = gsmsim::EncodeDeliver(s);
            ASSERT_GT(pdus.size(), 1u);
            std::string joined;
            for (size_t i = 0; i < pdus.size(); ++i) {
                sms::PduResult r = Decode(pdus[i]);
                ASSERT_EQ(r.record.kind, sms::SMS_KIND_DELIVER) << r.reason;
                ASSERT_TRUE(r.hasHeader);
                ASSERT_EQ(r.header.size(), 1u);
                EXPECT_EQ(r.header[0].id, bits == 8 ? 0x00 : 0x08);
                const std::vector<uint8_t>& d = r.header[0].data;
                ASSERT_EQ(d.size(), bits == 8 ? 3u : 4u);
                EXPECT_EQ(d[d.size() - 2], pdus.size());
                EXPECT_EQ(d[d.size() - 1], i + 1);
                joined += Utf8(r);
            }
            EXPECT_EQ(joined, text) << bits << " " << int(coding);
        }
    }
}

TEST(GsmsimPdu, AnEscapeIsNeverCutFromItsCharacter) {
    // 152 letters and a euro sign: the sign's two septets do not fit the first part's 153.
    std::string text = std::string(152, 'a') + "€" + std::string(10, 'b');
    std::vector<std::string> pdus = gsmsim::EncodeDeliver(Spec(text, Coding::Bit7));
    ASSERT_EQ(pdus.size(), 2u);
    EXPECT_EQ(Utf8(Decode(pdus[0])), std::string(152, 'a'));
    EXPECT_EQ(Utf8(Decode(pdus[1])), "€" + std::string(10, 'b'));
}

TEST(GsmsimPdu, StatusReportAndTimes) {
    gsmsim::StatusReportSpec s;
    s.to = "+1555";
    s.reference = 42;
    s.discharged = {2023, 12, 31, 23, 59, 58, -4};
    sms::PduResult r = Decode(gsmsim::EncodeStatusReport(s));
    ASSERT_EQ(r.record.kind, sms::SMS_KIND_STATUS_REPORT) << r.reason;
    EXPECT_STREQ(r.record.number, "+1555");
    EXPECT_EQ(r.reference, 42);
    EXPECT_EQ(r.record.time.year, 2023);
    EXPECT_EQ(r.record.time.second, 58);
    gsmsim::Timestamp t;
    EXPECT_TRUE(gsmsim::ParseIsoTime("2024-02-29T23:01:02+05:30", t));
    EXPECT_EQ(t.zoneQuarters, 22);
    EXPECT_TRUE(gsmsim::ParseIsoTime("1999-01-02", t));
    EXPECT_FALSE(gsmsim::ParseIsoTime("2024-13-01", t));
    EXPECT_FALSE(gsmsim::ParseIsoTime("yesterday", t));
}

}  // namespace
