#include "interactive/voice_message.h"

#include <gtest/gtest.h>

#include "interactive/itv_result.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace interactive;

namespace {

// A PCM WAV file; extra chunks go before "fmt ".
std::vector<uint8_t> Wav(int channels, uint32_t rate, int bits, const std::vector<int16_t>& samples,
                         const std::vector<uint8_t>& before = {}, uint32_t fmtSize = 16) {
    std::vector<uint8_t> f;
    platform::ByteWriter w(f);
    w.bytes("RIFF", 4);
    w.u32(0);
    w.bytes("WAVE", 4);
    w.bytes(before.data(), before.size());
    w.bytes("fmt ", 4);
    w.u32(fmtSize);
    w.u16(1);
    w.u16(uint16_t(channels));
    w.u32(rate);
    w.u32(rate * uint32_t(channels * bits / 8));
    w.u16(uint16_t(channels * bits / 8));
    w.u16(uint16_t(bits));
    for (uint32_t i = 16; i < fmtSize; ++i) w.u8(0);
    w.bytes("data", 4);
    w.u32(uint32_t(samples.size() * size_t(bits / 8)));
    for (int16_t s : samples) {
        if (bits == 16) w.i16(s);
        else w.u8(uint8_t(s));
    }
    return f;
}

}  // namespace

TEST(MuLaw, MatchesTheG711ReferenceValues) {
    EXPECT_EQ(MuLawEncode(0), 0xFF);
    EXPECT_EQ(MuLawEncode(-1), 0x7F);
    EXPECT_EQ(MuLawEncode(1000), 0xCE);
    EXPECT_EQ(MuLawEncode(-1000), 0x4E);
    EXPECT_EQ(MuLawEncode(32767), 0x80);
    EXPECT_EQ(MuLawEncode(-32768), 0x00);
    EXPECT_EQ(MuLawEncode(32124), 0x80);
    EXPECT_EQ(MuLawDecode(0xFF), 0);
    EXPECT_EQ(MuLawDecode(0x7F), 0);
    EXPECT_EQ(MuLawDecode(0xCE), 988);
    EXPECT_EQ(MuLawDecode(0x80), 32124);
    EXPECT_EQ(MuLawDecode(0x00), -32124);
    EXPECT_EQ(MuLawDecode(0xF0), 120);
    // Every code but negative zero survives decoding and encoding again, and encoding is
    // monotonic in the sample.
    for (int c = 0; c < 256; ++c)
        if (c != 0x7F) {
            EXPECT_EQ(MuLawEncode(MuLawDecode(uint8_t(c))), c) << c;
        }
    int last = MuLawDecode(MuLawEncode(-32768));
    for (int s = -32768; s <= 32767; s += 7) {
        int v = MuLawDecode(MuLawEncode(int16_t(s)));
        EXPECT_GE(v, last);
        last = v;
    }
}

TEST(VoiceWav, ConvertsSamplesForEachVersion) {
    std::vector<uint8_t> out;
    ASSERT_EQ(ParseVoiceWav(Wav(1, 8000, 16, {0, 1000, -32768, 32767}), ITV_VERSION_2, out), WAV_OK);
    EXPECT_EQ(out, (std::vector<uint8_t>{0xFF, 0xCE, 0x00, 0x80}));
    ASSERT_EQ(ParseVoiceWav(Wav(1, 8000, 16, {0, 1000, -32768, 32767}), ITV_VERSION_1, out), WAV_OK);
    EXPECT_EQ(out, (std::vector<uint8_t>{0x80, 0x83, 0x00, 0xFF}));
    ASSERT_EQ(ParseVoiceWav(Wav(1, 8000, 8, {0x80, 0x00, 0xFF}), ITV_VERSION_1, out), WAV_OK);
    EXPECT_EQ(out, (std::vector<uint8_t>{0x80, 0x00, 0xFF}));
    ASSERT_EQ(ParseVoiceWav(Wav(1, 8000, 8, {0x80, 0x00}), ITV_VERSION_2, out), WAV_OK);
    EXPECT_EQ(out, (std::vector<uint8_t>{0xFF, MuLawEncode(-32768)}));
}

TEST(VoiceWav, LongFilesKeepTheirFirstSamplesAndWarn) {
    std::vector<int16_t> thirty(30 * 8000, 1000);
    std::vector<uint8_t> out;
    EXPECT_EQ(ParseVoiceWav(Wav(1, 8000, 16, thirty), ITV_VERSION_1, out), WAV_TOO_LONG);
    EXPECT_EQ(out.size(), kMaxSamplesV1);
    EXPECT_EQ(ParseVoiceWav(Wav(1, 8000, 16, thirty), ITV_VERSION_2, out), WAV_TOO_LONG);
    EXPECT_EQ(out.size(), kMaxSamplesV2);
    std::vector<int16_t> fits(kMaxSamplesV2, 0);
    EXPECT_EQ(ParseVoiceWav(Wav(1, 8000, 16, fits), ITV_VERSION_2, out), WAV_OK);
    EXPECT_EQ(out.size(), kMaxSamplesV2);
    EXPECT_EQ(WavErrorMessageId(WAV_TOO_LONG), 18332);
    EXPECT_EQ(WavErrorMessageId(WAV_BAD_FORMAT), 18334);
}

TEST(VoiceWav, RefusesWhatTheAdapterCannotPlayAndDamagedFiles) {
    std::vector<uint8_t> out;
    EXPECT_EQ(ParseVoiceWav(Wav(2, 8000, 16, {1, 2}), ITV_VERSION_2, out), WAV_BAD_FORMAT) << "stereo";
    EXPECT_EQ(ParseVoiceWav(Wav(1, 11025, 16, {1, 2}), ITV_VERSION_2, out), WAV_BAD_FORMAT);
    EXPECT_EQ(ParseVoiceWav(Wav(1, 8000, 24, {1, 2}), ITV_VERSION_2, out), WAV_BAD_FORMAT);
    auto shortFmt = Wav(1, 8000, 16, {1});
    shortFmt[16] = 14;  // the size of "fmt "
    EXPECT_EQ(ParseVoiceWav(shortFmt, ITV_VERSION_2, out), WAV_BAD_FORMAT);
    auto pastEnd = Wav(1, 8000, 16, {1, 2, 3});
    pastEnd.resize(pastEnd.size() - 2);
    EXPECT_EQ(ParseVoiceWav(pastEnd, ITV_VERSION_2, out), WAV_BAD_FORMAT) << "a chunk past the end";
    EXPECT_TRUE(out.empty());
    std::vector<uint8_t> dataFirst = {'d', 'a', 't', 'a', 2, 0, 0, 0, 1, 2};
    EXPECT_EQ(ParseVoiceWav(Wav(1, 8000, 16, {1}, dataFirst), ITV_VERSION_2, out), WAV_BAD_FORMAT);
    auto notWave = Wav(1, 8000, 16, {1});
    notWave[8] = 'X';
    EXPECT_EQ(ParseVoiceWav(notWave, ITV_VERSION_2, out), WAV_BAD_FORMAT);
    EXPECT_EQ(ParseVoiceWav({}, ITV_VERSION_2, out), WAV_BAD_FORMAT);
    EXPECT_EQ(LoadVoiceWav("/nonexistent/voice.wav", ITV_VERSION_2, out), WAV_CANNOT_OPEN);
}

TEST(VoiceWav, SkipsOtherChunksWithTheirPadByteAndLongFmt) {
    std::vector<uint8_t> list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    std::vector<uint8_t> out;
    ASSERT_EQ(ParseVoiceWav(Wav(1, 8000, 16, {0, 1000}, list, 18), ITV_VERSION_2, out), WAV_OK);
    EXPECT_EQ(out, (std::vector<uint8_t>{0xFF, 0xCE}));
}

TEST(VoiceWav, WrittenFilesHaveTheFiftyEightByteHeaderAndReadBack) {
    zxtest::TempDir dir;
    std::vector<uint8_t> mulaw = {0xFF, 0xCE, 0x4E, 0x80, 0x00};
    ASSERT_TRUE(SaveVoiceWav(dir.file("out.wav"), mulaw));
    std::vector<uint8_t> file;
    ASSERT_TRUE(platform::ReadFile(dir.file("out.wav"), file));
    ASSERT_EQ(file.size(), 58u + 10u);
    platform::ByteReader r(file);
    r.skip(4);
    EXPECT_EQ(r.u32(), file.size() - 8);
    r.seek(16);
    EXPECT_EQ(r.u32(), 18u);
    r.seek(38);
    char fact[4];
    r.bytes(fact, 4);
    EXPECT_EQ(std::string(fact, 4), "fact");
    EXPECT_EQ(r.u32(), 4u);
    EXPECT_EQ(r.u32(), 10u);
    std::vector<uint8_t> back;
    ASSERT_EQ(LoadVoiceWav(dir.file("out.wav"), ITV_VERSION_2, back), WAV_OK);
    EXPECT_EQ(back, mulaw);
    EXPECT_FALSE(SaveVoiceWav(dir.file("missing/out.wav"), mulaw));
}

TEST(VoiceWav, PlayTimeAndClearMessage) {
    EXPECT_EQ(PlayTime(0), "0.0");
    EXPECT_EQ(PlayTime(8000), "1.0");
    EXPECT_EQ(PlayTime(12799), "1.5");
    EXPECT_EQ(PlayTime(32000), "4.0");
    auto clear = ClearVoiceMessage();
    EXPECT_TRUE(IsClearVoiceMessage(clear.data(), clear.size()));
    const uint8_t other[2] = {0x80, 0x81};
    EXPECT_FALSE(IsClearVoiceMessage(other, 2));
}
