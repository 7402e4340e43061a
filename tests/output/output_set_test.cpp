// The program's outputs started and stopped one by one while the Device's fields arrive, and the
// sound track of silence.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "output/output.h"
#include "output/output_set.h"
#include "support/temp_dir.h"

using namespace output;

namespace {

constexpr int kW = 720, kH = 576;

// A picture of one colour per number, opaque.
std::vector<uint8_t> Flat(int n) {
    std::vector<uint8_t> p(size_t(kW) * kH * 4);
    for (size_t i = 0; i < p.size(); i += 4)
        p[i] = uint8_t(40 * n), p[i + 1] = uint8_t(255 - 30 * n), p[i + 2] = 9, p[i + 3] = 255;
    return p;
}

int RedOf(const Frame& f) { return f.rgba.at(0); }

SinkOptions Mov(const std::string& file, int rate = 25) {
    SinkOptions o;
    o.target = file;
    o.rate = rate;
    o.lossless = true;
    return o;
}

struct Streams {
    int video = 0, audio = 0, sampleRate = 0;
    double videoSeconds = 0, audioSeconds = 0;
};

Streams Inspect(const std::string& file) {
    Streams s;
    AVFormatContext* in = nullptr;
    if (avformat_open_input(&in, file.c_str(), nullptr, nullptr) < 0) return s;
    avformat_find_stream_info(in, nullptr);
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        const AVStream* st = in->streams[i];
        const double seconds = st->duration > 0 ? double(st->duration) * av_q2d(st->time_base) : 0;
        if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) ++s.video, s.videoSeconds = seconds;
        if (st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            ++s.audio, s.sampleRate = st->codecpar->sample_rate, s.audioSeconds = seconds;
    }
    avformat_close_input(&in);
    return s;
}

}  // namespace

TEST(OutputSinks, GroupsStartAndStopOnTheirOwnAndEachTakesItsRate) {
    zxtest::TempDir dir;
    OutputSet set;
    std::vector<std::pair<bool, int>> taps;
    set.setTapControl([&](bool wanted, int fields) { taps.emplace_back(wanted, fields); });
    std::string error;
    ASSERT_TRUE(set.start(1, {Mov(dir.file("a.mov"))}, kW, kH, error)) << error;
    ASSERT_TRUE(set.start(2, {Mov(dir.file("b.mov"), 50)}, kW, kH, error)) << error;
    EXPECT_TRUE(set.running(1) && set.running(2));
    EXPECT_EQ(set.runningGroups(), (std::vector<int>{1, 2}));
    // The tap runs each field while the 50 a second output runs: field n shows picture n, and the
    // picture changes only at odd fields, so the 25 a second output that skips those must still
    // get the new picture at the next field it takes.
    const std::vector<uint8_t> pics[] = {Flat(0), Flat(1), Flat(2), Flat(3), Flat(4), Flat(5)};
    int shown = 0;
    for (uint64_t field = 0; field < 12; ++field) {
        const bool change = field % 2 == 1;
        if (change) ++shown;
        set.frame(pics[shown % 6].data(), kW, kH, field, change || field == 0);
    }
    set.stop(2);
    EXPECT_FALSE(set.running(2));
    EXPECT_EQ(set.stats(2).at(0).frames, 12u);  // the stopped group's numbers stay readable
    // Only the 25 a second output is left: the tap goes back to a frame each two fields.
    for (uint64_t field = 12; field < 16; field += 2) set.frame(pics[5].data(), kW, kH, field, true);
    set.stopAll();
    ASSERT_EQ(taps.size(), 4u);
    EXPECT_EQ(taps[0], std::make_pair(true, 2));
    EXPECT_EQ(taps[1], std::make_pair(true, 1));
    EXPECT_EQ(taps[2], std::make_pair(true, 2));
    EXPECT_EQ(taps[3], std::make_pair(false, 2));

    std::vector<Frame> a, b;
    ASSERT_TRUE(Decode(dir.file("a.mov"), a, error)) << error;
    ASSERT_TRUE(Decode(dir.file("b.mov"), b, error)) << error;
    ASSERT_EQ(b.size(), 12u);
    ASSERT_EQ(a.size(), 8u);  // fields 0, 2, ..., 10, then 12 and 14
    for (size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(RedOf(a[k]), RedOf(b[2 * k])) << "frame " << k;
        EXPECT_EQ(RedOf(a[k]), 40 * int(k % 6)) << "frame " << k;
    }
    EXPECT_EQ(RedOf(a[7]), 40 * 5);
}

TEST(OutputSinks, AGroupThatCannotOpenLeavesNothingRunning) {
    zxtest::TempDir dir;
    OutputSet set;
    int calls = 0;
    set.setTapControl([&](bool, int) { ++calls; });
    std::string error;
    EXPECT_FALSE(set.start(3, {Mov(dir.file("ok.mov")), Mov(dir.file("no/such/dir/x.mov"))}, kW, kH, error));
    EXPECT_NE(error.find("no/such/dir/x.mov"), std::string::npos) << error;
    EXPECT_FALSE(set.running(3));
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(set.stats(3).empty());
    EXPECT_FALSE(set.start(4, {}, kW, kH, error));
}

TEST(OutputSinks, SilenceIsASoundTrackAsLongAsThePictures) {
    zxtest::TempDir dir;
    std::vector<std::string> files = {"s.mov", "s.mkv", "s.ts"};
    for (const std::string& name : files) {
        SCOPED_TRACE(name);
        SinkOptions o = Mov(dir.file(name));
        o.silence = true;
        if (name != "s.mov") o.codec = DefaultVideoEncoder();
        Output out;
        std::string error;
        ASSERT_TRUE(out.add(o, kW, kH, error)) << error;
        out.start();
        const auto pic = Flat(2);
        for (int i = 0; i < 50; ++i) out.frame(pic.data(), kW, kH, uint64_t(2 * i), i == 0);
        out.stop();
        ASSERT_FALSE(out.stats()[0].failed) << out.stats()[0].error;
        const Streams s = Inspect(o.target);
        EXPECT_EQ(s.video, 1);
        EXPECT_EQ(s.audio, 1);
        EXPECT_EQ(s.sampleRate, 48000);
        if (s.audioSeconds > 0 && s.videoSeconds > 0) {
            EXPECT_NEAR(s.audioSeconds, s.videoSeconds, 0.1);
        }
        std::vector<Frame> back;
        ASSERT_TRUE(Decode(o.target, back, error)) << error;
        EXPECT_EQ(back.size(), 50u);
    }
    // Without the option there is no sound; a PNG sequence cannot carry any.
    Output plain;
    std::string error;
    ASSERT_TRUE(plain.add(Mov(dir.file("quiet.mov")), kW, kH, error)) << error;
    plain.start();
    plain.frame(Flat(1).data(), kW, kH, 0);
    plain.stop();
    EXPECT_EQ(Inspect(dir.file("quiet.mov")).audio, 0);
    SinkOptions seq = Mov(dir.file("f%04d.png"));
    seq.silence = true;
    EXPECT_FALSE(Validate(seq, error));
    EXPECT_NE(error.find("no sound"), std::string::npos) << error;
    std::vector<SinkOptions> parsed;
    EXPECT_TRUE(ParseSinks({{"output", dir.file("x.mov")}, {"output-audio", "silence"}}, parsed, error)) << error;
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_TRUE(parsed[0].silence);
    EXPECT_FALSE(ParseSinks({{"output", dir.file("x.mov")}, {"output-audio", "loud"}}, parsed, error));
}
