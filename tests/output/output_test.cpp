// The video output's sinks: recordings read back and compared with the pictures sent, key and
// fill, a stream to a receiver on the loopback, dropping when a sink falls behind, and faults.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>

#include "output/output.h"

extern "C" {
#include <libavformat/avio.h>
}
#include "support/temp_dir.h"

using namespace output;

namespace {

constexpr int kW = 720, kH = 576;

// A moving picture with every kind of pixel: opaque colours, soft edges, transparent parts.
std::vector<uint8_t> TestPicture(int n) {
    std::vector<uint8_t> p(size_t(kW) * kH * 4, 0);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            uint8_t* d = &p[(size_t(y) * kW + x) * 4];
            const int bx = (x + n * 8) % kW;
            if (y > 400 && y < 480) {
                d[0] = uint8_t(bx);
                d[1] = uint8_t(255 - bx / 3);
                d[2] = uint8_t(y);
                d[3] = uint8_t(std::min(255, std::abs(bx - 360)));  // a soft key
            } else if (bx / 40 % 3 == 0 && y < 200) {
                d[0] = 250, d[1] = 200, d[2] = 20, d[3] = 255;
            }
        }
    return p;
}

std::vector<uint8_t> OverBlack(const std::vector<uint8_t>& p) {
    std::vector<uint8_t> out(p.size());
    for (size_t i = 0; i < p.size(); i += 4) {
        for (int c = 0; c < 3; ++c) out[i + size_t(c)] = uint8_t(p[i + size_t(c)] * p[i + 3] / 255);
        out[i + 3] = 255;
    }
    return out;
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = 0; i < a.size(); i += 4)
        for (int c = 0; c < 3; ++c, ++n) {
            const double d = double(a[i + size_t(c)]) - double(b[i + size_t(c)]);
            sum += d * d;
        }
    if (sum == 0) return 99;
    return 10 * std::log10(255.0 * 255.0 / (sum / double(n)));
}

// Records `frames` pictures through one sink and reads them back.
std::vector<Frame> RoundTrip(const SinkOptions& o, int frames, const std::string& readBack = "") {
    Output out;
    std::string error;
    EXPECT_TRUE(out.add(o, kW, kH, error)) << error;
    out.start();
    for (int i = 0; i < frames; ++i) out.frame(TestPicture(i).data(), kW, kH, uint64_t(2 * i));
    out.stop();
    const auto st = out.stats();
    EXPECT_EQ(st.at(0).frames, uint64_t(frames)) << st[0].error;
    EXPECT_FALSE(st[0].failed) << st[0].error;
    std::vector<Frame> back;
    EXPECT_TRUE(Decode(readBack.empty() ? o.target : readBack, back, error)) << error;
    return back;
}

// A port nobody holds on the loopback now, for a SOCK_DGRAM or SOCK_STREAM receiver.
int FreePort(int type) {
    const int fd = socket(AF_INET, type, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

int FreeUdpPort() { return FreePort(SOCK_DGRAM); }
int FreeTcpPort() { return FreePort(SOCK_STREAM); }

// A stream sink against a receiver started first on the loopback: the frames the receiver
// decodes are pictures of the size sent. For protocols with a connection (RTMP, SRT) the sink
// may open only once the receiver listens, so it is retried for a while, and the receiver holds
// the connection until the sender has stopped, so that the stop is a clean end and not a write
// into a connection the receiver dropped.
void StreamToReceiver(const std::string& sendUrl, const std::string& receiveUrl, bool connection) {
    constexpr size_t kWanted = 5;
    std::atomic<size_t> received{0};
    std::atomic<bool> receiverDone{false};
    std::atomic<bool> senderDone{false};
    std::vector<Frame> got;
    std::string rxError;
    std::thread rx([&] {
        DecodeEach(
            receiveUrl,
            [&](Frame& f) {
                got.push_back(std::move(f));
                received = got.size();
                if (got.size() < kWanted) return true;
                // Enough: hold the connection until the sender has finished, then hang up.
                while (connection && !senderDone) std::this_thread::sleep_for(std::chrono::milliseconds(5));
                return false;
            },
            rxError, 8000);
        receiverDone = true;
    });
    Output out;
    std::string error;
    SinkOptions o;
    o.target = sendUrl;
    bool opened = false;
    for (int attempt = 0; attempt < 50 && !opened && !receiverDone; ++attempt) {
        opened = out.add(o, kW, kH, error);
        if (!opened) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (opened) {
        out.start();
        for (int i = 0; i < 1500 && received < kWanted && !receiverDone; ++i) {
            out.frame(TestPicture(i).data(), kW, kH, uint64_t(2 * i));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    out.stop();
    senderDone = true;
    rx.join();
    ASSERT_TRUE(opened) << error;
    EXPECT_EQ(got.size(), kWanted) << rxError;
    for (const Frame& f : got) {
        EXPECT_EQ(f.width, kW);
        EXPECT_EQ(f.height, kH);
    }
    const auto st = out.stats();
    ASSERT_EQ(st.size(), 1u);
    EXPECT_GT(st[0].bytes, 0u);
    EXPECT_FALSE(st[0].failed) << st[0].error;
}

}  // namespace

TEST(OutputRecording, LosslessCodecsGiveBackThePicturesBitExactAlphaIncluded) {
    zxtest::TempDir dir;
    struct Case {
        std::string file, codec;
    };
    for (const Case& c : {Case{"anim.mov", "qtrle"}, Case{"png.mov", "png"}, Case{"seq%04d.png", ""}}) {
        SCOPED_TRACE(c.file);
        SinkOptions o;
        o.target = dir.file(c.file);
        o.codec = c.codec;
        o.background = "none";
        o.lossless = true;
        const auto back = RoundTrip(o, 6, c.file.find('%') != std::string::npos ? dir.file("seq%04d.png") : "");
        ASSERT_EQ(back.size(), 6u);
        for (int i : {0, 3, 5}) {
            const auto want = TestPicture(i);
            ASSERT_EQ(back[size_t(i)].width, kW);
            ASSERT_EQ(back[size_t(i)].height, kH);
            // Where nothing covers the picture its colour is of no account.
            size_t diff = 0;
            for (size_t k = 0; k < want.size(); k += 4)
                if (want[k + 3] != 0 && std::memcmp(&want[k], &back[size_t(i)].rgba[k], 4) != 0) ++diff;
                else if (back[size_t(i)].rgba[k + 3] != want[k + 3]) ++diff;
            EXPECT_EQ(diff, 0u) << "frame " << i;
        }
    }
}

TEST(OutputRecording, ProResFourFourFourFourKeepsTheKeyWithEitherEncoder) {
    zxtest::TempDir dir;
    for (const std::string codec : {"prores_aw", "prores_ks"}) {
        if (!HasEncoder(codec)) continue;
        SCOPED_TRACE(codec);
        SinkOptions o;
        o.target = dir.file(codec + ".mov");
        o.codec = codec;
        o.background = "none";
        o.lossless = true;
        const auto back = RoundTrip(o, 3);
        ASSERT_EQ(back.size(), 3u);
        const auto want = TestPicture(2);
        int worst = 0;
        for (size_t k = 3; k < want.size(); k += 4)
            worst = std::max(worst, std::abs(int(back[2].rgba[k]) - int(want[k])));
        EXPECT_LE(worst, 2) << "the key's largest error";
    }
}

TEST(OutputRecording, BackgroundsAndLossyCodecs) {
    zxtest::TempDir dir;
    // Over black, the lossless codecs again exactly; the compressed ones close.
    std::vector<std::pair<std::string, std::string>> cases = {
        {"black.mov", "qtrle"}, {"h.mkv", DefaultVideoEncoder()}, {"m2.mpg", "mpeg2video"}};
    if (HasEncoder("prores_ks")) cases.push_back({"pr.mov", "prores_ks"});
    for (const auto& [file, codec] : cases) {
        SCOPED_TRACE(file);
        SinkOptions o;
        o.target = dir.file(file);
        o.codec = codec;
        o.lossless = true;
        const auto back = RoundTrip(o, 10);
        ASSERT_EQ(back.size(), 10u);
        for (int i : {0, 4, 9}) {
            const double psnr = Psnr(back[size_t(i)].rgba, OverBlack(TestPicture(i)));
            if (codec == "qtrle") EXPECT_EQ(back[size_t(i)].rgba, OverBlack(TestPicture(i)));
            else EXPECT_GT(psnr, 40) << "frame " << i;
        }
    }
    // A colour behind the picture.
    SinkOptions o;
    o.target = dir.file("blue.mov");
    o.background = "#0000FF";
    o.lossless = true;
    const auto back = RoundTrip(o, 1);
    ASSERT_EQ(back.size(), 1u);
    const uint8_t* uncovered = &back[0].rgba[size_t(300) * kW * 4];
    EXPECT_EQ(uncovered[0], 0);
    EXPECT_EQ(uncovered[2], 255);
}

TEST(OutputKeyFill, KeyTimesFillIsTheOutputOverBlack) {
    zxtest::TempDir dir;
    const auto [fillName, keyName] = KeyFillTargets(dir.file("pair.mov"));
    EXPECT_EQ(fillName, dir.file("pair-fill.mov"));
    EXPECT_EQ(keyName, dir.file("pair-key.mov"));
    Output out;
    std::string error;
    SinkOptions fill, key, program;
    fill.target = fillName, fill.role = Role::Fill, fill.lossless = true;
    key.target = keyName, key.role = Role::Key, key.lossless = true;
    program.target = dir.file("program.mov"), program.lossless = true;
    ASSERT_TRUE(out.add(fill, kW, kH, error)) << error;
    ASSERT_TRUE(out.add(key, kW, kH, error)) << error;
    ASSERT_TRUE(out.add(program, kW, kH, error)) << error;
    out.start();
    for (int i = 0; i < 8; ++i) out.frame(TestPicture(i).data(), kW, kH, uint64_t(2 * i));
    out.stop();
    std::vector<Frame> f, k, p;
    ASSERT_TRUE(Decode(fillName, f, error)) << error;
    ASSERT_TRUE(Decode(keyName, k, error)) << error;
    ASSERT_TRUE(Decode(program.target, p, error)) << error;
    ASSERT_EQ(f.size(), 8u);
    ASSERT_EQ(k.size(), f.size());
    ASSERT_EQ(p.size(), f.size());
    for (size_t i = 0; i < f.size(); ++i) {
        size_t off = 0;
        for (size_t n = 0; n < f[i].rgba.size(); n += 4) {
            EXPECT_EQ(k[i].rgba[n], k[i].rgba[n + 1]);  // grey
            for (int c = 0; c < 3; ++c)
                if (f[i].rgba[n + size_t(c)] * k[i].rgba[n] / 255 != p[i].rgba[n + size_t(c)]) ++off;
        }
        EXPECT_EQ(off, 0u) << "frame " << i;
    }
}

TEST(OutputStream, AReceiverOnTheLoopbackDecodesTheStream) {
    const std::string url = "udp://127.0.0.1:" + std::to_string(FreeUdpPort());
    StreamToReceiver(url + "?pkt_size=1316", url, false);
}

TEST(OutputStream, RtmpPushesFlvToAServerOnTheLoopback) {
    const std::string url = "rtmp://127.0.0.1:" + std::to_string(FreeTcpPort()) + "/live/zentrix";
    StreamToReceiver(url, url, true);
}

TEST(OutputStream, SrtCarriesTheTransportStreamToAListener) {
    if (!avio_find_protocol_name("srt://127.0.0.1:1")) GTEST_SKIP() << "this libavformat has no SRT";
    const std::string hostPort = "srt://127.0.0.1:" + std::to_string(FreeUdpPort());
    StreamToReceiver(hostPort + "?pkt_size=1316", hostPort + "?mode=listener&pkt_size=1316", true);
}

TEST(OutputSinks, ASlowSinkDropsAndCountsWhileTheOthersTakeEveryFrame) {
    zxtest::TempDir dir;
    Output out;
    std::string error;
    SinkOptions slow;
    slow.target = dir.file("slow.mkv");
    slow.codec = DefaultVideoEncoder();
    slow.queueFrames = 1;
    SinkOptions sure;
    sure.target = dir.file("sure.mov");
    sure.lossless = true;
    ASSERT_TRUE(out.add(slow, kW, kH, error)) << error;
    ASSERT_TRUE(out.add(sure, kW, kH, error)) << error;
    out.start();
    const auto pic = TestPicture(1);
    for (int i = 0; i < 60; ++i) out.frame(pic.data(), kW, kH, uint64_t(2 * i));
    out.stop();
    const auto st = out.stats();
    EXPECT_EQ(st[0].frames + st[0].dropped, 60u);
    EXPECT_GT(st[0].dropped, 0u);
    EXPECT_EQ(st[1].frames, 60u);
    EXPECT_EQ(st[1].dropped, 0u);
    std::vector<Frame> back;
    ASSERT_TRUE(Decode(slow.target, back, error)) << error;
    EXPECT_EQ(back.size(), st[0].frames);
}

TEST(OutputSinks, AFailingSinkStopsAloneWithItsMessageAndStoppingLeavesAPlayableFile) {
    zxtest::TempDir dir;
    Output out;
    std::string error;
    SinkOptions full;
    full.target = "/dev/full";  // a disk that is full
    full.format = "mpegts";
    SinkOptions good;
    good.target = dir.file("good.mov");
    good.lossless = true;
    ASSERT_TRUE(out.add(full, kW, kH, error)) << error;
    ASSERT_TRUE(out.add(good, kW, kH, error)) << error;
    out.start();
    for (int i = 0; i < 20; ++i) out.frame(TestPicture(i).data(), kW, kH, uint64_t(2 * i));
    // Stopped in the middle of the show: what was written plays, to its last frame.
    out.stop();
    const auto st = out.stats();
    EXPECT_TRUE(st[0].failed);
    EXPECT_FALSE(st[0].running);
    EXPECT_NE(st[0].error.find("/dev/full"), std::string::npos) << st[0].error;
    EXPECT_FALSE(st[1].failed) << st[1].error;
    EXPECT_EQ(st[1].frames, 20u);
    std::vector<Frame> back;
    ASSERT_TRUE(Decode(good.target, back, error)) << error;
    ASSERT_EQ(back.size(), 20u);
    EXPECT_EQ(back.back().rgba, OverBlack(TestPicture(19)));
}

TEST(OutputSinks, BadOptionsAreRefusedWithTheSinkNamed) {
    zxtest::TempDir dir;
    struct Case {
        SinkOptions o;
        std::string says;
    };
    auto opts = [&](std::string target, std::string format, std::string codec, std::string bg, int rate) {
        SinkOptions o;
        o.target = std::move(target);
        o.format = std::move(format);
        o.codec = std::move(codec);
        o.background = std::move(bg);
        o.rate = rate;
        return o;
    };
    const std::vector<Case> cases = {
        {opts(dir.file("a.mov"), "nosuch", "", "black", 25), "unknown format nosuch"},
        {opts(dir.file("a.mov"), "", "nosuch", "black", 25), "unknown video codec nosuch"},
        {opts(dir.file("a.xyz"), "", "", "black", 25), "no container"},
        {opts(dir.file("a.mov"), "", "", "black", 30), "25 or 50"},
        {opts(dir.file("a.mov"), "", "", "#12345", 25), "#RRGGBB"},
        {opts(dir.file("a.mov"), "", "", dir.file("none.png"), 25), "cannot read the background picture"},
        {opts(dir.file("a.mkv"), "", "mpeg2video", "none", 25), "keeps no alpha"},
        {opts("", "", "", "black", 25), "no file name"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(Validate(c.o, error)) << c.says;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_NE(error.find("output "), std::string::npos) << error;
    }
    // What cannot be opened fails at add, and the sinks already added stay.
    Output out;
    std::string error;
    ASSERT_TRUE(out.add(opts(dir.file("ok.mov"), "", "", "black", 25), kW, kH, error)) << error;
    EXPECT_FALSE(out.add(opts(dir.file("no/such/folder/a.mov"), "", "", "black", 25), kW, kH, error));
    EXPECT_NE(error.find("no/such/folder/a.mov"), std::string::npos) << error;
    EXPECT_EQ(out.size(), 1u);
    out.start();
    out.frame(TestPicture(0).data(), kW, kH, 0);
    out.stop();
    EXPECT_EQ(out.stats()[0].frames, 1u);
}

TEST(OutputSinks, FiftyAndTwentyFiveFramesASecondTogether) {
    zxtest::TempDir dir;
    Output out;
    std::string error;
    SinkOptions fifty, quarter;
    fifty.target = dir.file("50.mov"), fifty.rate = 50, fifty.lossless = true;
    quarter.target = dir.file("25.mov"), quarter.lossless = true;
    ASSERT_TRUE(out.add(quarter, kW, kH, error)) << error;
    EXPECT_EQ(out.fieldsPerFrame(), 2);
    ASSERT_TRUE(out.add(fifty, kW, kH, error)) << error;
    EXPECT_EQ(out.fieldsPerFrame(), 1);
    out.start();
    for (int i = 0; i < 10; ++i) out.frame(TestPicture(i).data(), kW, kH, uint64_t(i));
    out.stop();
    std::vector<Frame> a, b;
    ASSERT_TRUE(Decode(quarter.target, a, error)) << error;
    ASSERT_TRUE(Decode(fifty.target, b, error)) << error;
    ASSERT_EQ(a.size(), 5u);
    ASSERT_EQ(b.size(), 10u);
    EXPECT_EQ(a[2].rgba, b[4].rgba);
}
