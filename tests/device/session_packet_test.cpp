// NetBIOS names, the session request and the session-packet reader.
#include <gtest/gtest.h>

#include "device/net_bios.h"
#include "device/net_transport.h"
#include "device/session_packet.h"

using namespace device;

namespace {

std::string Hex(const NetName& n) {
    static const char* d = "0123456789ABCDEF";
    std::string s;
    for (uint8_t b : n) {
        s += d[b >> 4];
        s += d[b & 15];
    }
    return s;
}

TEST(NetNames, TheFourNamesAndTheirEncoding) {
    EXPECT_EQ(Hex(NetTransport::DeviceName(false)), "4B5447333230455F52544C0490DD2020");
    EXPECT_EQ(Hex(NetTransport::DeviceName(true)), "4B5447333230455F52544D0490DD2020");
    EXPECT_EQ(Hex(NetTransport::LocalName(false)), "4B54475F434F4E54524F4C2020202020");
    EXPECT_EQ(Hex(NetTransport::LocalName(true)), "4B54475F434F4E54524F4D2020202020");
    EXPECT_EQ(EncodeNetName(NetTransport::DeviceName(false)), "ELFEEHDDDCDAEFFPFCFEEMAEJANNCACA");
    EXPECT_EQ(EncodeNetName(NetTransport::LocalName(false)), "ELFEEHFPEDEPEOFEFCEPEMCACACACACA");
    NetName back{};
    ASSERT_TRUE(DecodeNetName("ELFEEHDDDCDAEFFPFCFEEMAEJANNCACA", back));
    EXPECT_EQ(back, NetTransport::DeviceName(false));
    EXPECT_FALSE(DecodeNetName("ELFEEHDDDCDAEFFPFCFEEMAEJANNCACQ", back));  // Q is past P
    EXPECT_FALSE(DecodeNetName("ELFE", back));
}

TEST(SessionRequest, HeaderAndBothNamesWithRootLabel) {
    std::vector<uint8_t> r = SessionRequest(NetTransport::DeviceName(false), NetTransport::LocalName(false));
    ASSERT_EQ(r.size(), 72u);
    EXPECT_EQ(std::vector<uint8_t>(r.begin(), r.begin() + 4), (std::vector<uint8_t>{0x81, 0x00, 0x00, 0x44}));
    EXPECT_EQ(r[4], 0x20);
    EXPECT_EQ(std::string(r.begin() + 5, r.begin() + 37), "ELFEEHDDDCDAEFFPFCFEEMAEJANNCACA");
    EXPECT_EQ(r[37], 0x00);
    EXPECT_EQ(r[38], 0x20);
    EXPECT_EQ(std::string(r.begin() + 39, r.begin() + 71), "ELFEEHFPEDEPEOFEFCEPEMCACACACACA");
    EXPECT_EQ(r[71], 0x00);
}

TEST(SessionPacketReader, SplitsPacketsWhateverTheChunks) {
    std::vector<uint8_t> stream = {0x85, 0, 0, 0,                 // keep-alive
                                   0x00, 0, 0, 3, 'a', 'b', 'c',  // message
                                   0x82, 0, 0, 0};
    std::vector<uint8_t> big(70000, 0x5A);  // needs the 17th length bit
    auto h = SessionHeader(SESSION_MESSAGE, big.size());
    EXPECT_EQ(h[1], 1);
    stream.insert(stream.end(), h.begin(), h.end());
    stream.insert(stream.end(), big.begin(), big.end());
    for (size_t step : {size_t(1), size_t(3), size_t(4096), stream.size()}) {
        SessionPacketReader r;
        std::vector<std::pair<uint8_t, size_t>> got;
        for (size_t i = 0; i < stream.size(); i += step) {
            r.feed(stream.data() + i, std::min(step, stream.size() - i));
            uint8_t t;
            std::vector<uint8_t> p;
            while (r.next(t, p)) got.emplace_back(t, p.size());
        }
        std::vector<std::pair<uint8_t, size_t>> want{{0x85, 0}, {0x00, 3}, {0x82, 0}, {0x00, 70000}};
        EXPECT_EQ(got, want) << "step " << step;
        EXPECT_EQ(r.buffered(), 0u);
        EXPECT_FALSE(r.failed());
    }
}

TEST(SessionPacketReader, DamagedHeaderStopsTheReader) {
    for (std::vector<uint8_t> bad : {std::vector<uint8_t>{0x42, 0, 0, 0}, std::vector<uint8_t>{0x00, 0x02, 0, 0}}) {
        SessionPacketReader r;
        std::vector<uint8_t> s = {0x00, 0, 0, 1, 'x'};
        s.insert(s.end(), bad.begin(), bad.end());
        s.insert(s.end(), {0x00, 0, 0, 1, 'y'});
        r.feed(s.data(), s.size());
        uint8_t t;
        std::vector<uint8_t> p;
        EXPECT_TRUE(r.next(t, p));
        EXPECT_FALSE(r.next(t, p));
        EXPECT_TRUE(r.failed());
        r.feed(s.data(), s.size());
        EXPECT_FALSE(r.next(t, p));
    }
}

TEST(NetAddresses, HostListsAndAddresses) {
    EXPECT_EQ(SplitHosts(" 10.0.0.5:139 ;;ktg2 ; [::1]:1139;"),
              (std::vector<std::string>{"10.0.0.5:139", "ktg2", "[::1]:1139"}));
    EXPECT_TRUE(SplitHosts("  ").empty());
    std::string host;
    uint16_t port = 0;
    ASSERT_TRUE(ParseNetAddress("10.0.0.5:1139", host, port));
    EXPECT_EQ(host, "10.0.0.5");
    EXPECT_EQ(port, 1139);
    ASSERT_TRUE(ParseNetAddress("ktg2", host, port));
    EXPECT_EQ(port, 139);
    ASSERT_TRUE(ParseNetAddress("[fe80::1]:20", host, port));
    EXPECT_EQ(host, "fe80::1");
    EXPECT_EQ(port, 20);
    ASSERT_TRUE(ParseNetAddress("::1", host, port));
    EXPECT_EQ(host, "::1");
    for (const char* bad : {"", ":139", "host:", "host:0", "host:65536", "host:12a", "[::1", "[::1]x"})
        EXPECT_FALSE(ParseNetAddress(bad, host, port)) << bad;
}

}  // namespace
