#include "interactive/voice_message.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "interactive/itv_result.h"
#include "platform/bytes.h"
#include "platform/files.h"

namespace interactive {

uint8_t MuLawEncode(int16_t sample) {
    int value = sample;
    uint8_t sign = 0;
    if (value < 0) {
        value = -value;
        sign = 0x80;
    }
    value = std::min(value, 32767) + 132;
    // The segment is the position of the top bit above bit 7; a biased value past 15 bits is the
    // top of segment 7.
    if (value > 0x7FFF) return uint8_t(~(sign | 0x7F));
    int segment = 0;
    for (int v = value >> 8; v; v >>= 1) ++segment;
    const int mantissa = (value >> (segment + 3)) & 0x0F;
    return uint8_t(~(sign | segment << 4 | mantissa));
}

int16_t MuLawDecode(uint8_t code) {
    const int u = uint8_t(~code);
    int t = ((u & 0x0F) << 3) + 132;
    t <<= (u & 0x70) >> 4;
    return int16_t((u & 0x80) ? 132 - t : t - 132);
}

size_t VoiceSampleLimit(int version) { return version == ITV_VERSION_1 ? kMaxSamplesV1 : kMaxSamplesV2; }

int ParseVoiceWav(std::span<const uint8_t> file, int version, std::vector<uint8_t>& out) {
    out.clear();
    platform::ByteReader r(file);
    char riff[4], wave[4];
    r.bytes(riff, 4);
    r.u32();
    r.bytes(wave, 4);
    if (!r.ok() || std::memcmp(riff, "RIFF", 4) || std::memcmp(wave, "WAVE", 4)) return WAV_BAD_FORMAT;
    int bits = 0;
    while (r.remaining() >= 8) {
        char id[4];
        r.bytes(id, 4);
        const uint32_t size = r.u32();
        if (size > r.remaining()) return WAV_BAD_FORMAT;  // a chunk past the end of the file
        if (!std::memcmp(id, "fmt ", 4)) {
            if (size < 16) return WAV_BAD_FORMAT;
            const uint16_t format = r.u16(), channels = r.u16();
            const uint32_t rate = r.u32();
            r.u32();
            r.u16();
            const uint16_t sampleBits = r.u16();
            if (format != 1 || channels != 1 || rate != 8000 || (sampleBits != 8 && sampleBits != 16))
                return WAV_BAD_FORMAT;
            bits = sampleBits;
            r.skip(size - 16);
        } else if (!std::memcmp(id, "data", 4)) {
            if (!bits) return WAV_BAD_FORMAT;
            const size_t bytesPerSample = size_t(bits / 8);
            const size_t available = size / bytesPerSample;
            const size_t limit = VoiceSampleLimit(version);
            const size_t n = std::min(available, limit);
            auto samples = r.view(n * bytesPerSample);
            if (!r.ok()) return WAV_BAD_FORMAT;
            out.resize(n);
            for (size_t i = 0; i < n; ++i) {
                if (bits == 16) {
                    const int16_t s = int16_t(samples[2 * i] | samples[2 * i + 1] << 8);
                    out[i] = version == ITV_VERSION_1 ? uint8_t((uint16_t(s) + 0x8000u) >> 8 & 0xFF) : MuLawEncode(s);
                } else {
                    const uint8_t u = samples[i];
                    out[i] = version == ITV_VERSION_1 ? u : MuLawEncode(int16_t((u - 128) * 256));
                }
            }
            return available > limit ? WAV_TOO_LONG : WAV_OK;
        } else {
            r.skip(size);
        }
        if ((size & 1) && r.remaining()) r.skip(1);  // the RIFF pad byte
        if (!r.ok()) return WAV_BAD_FORMAT;
    }
    return WAV_BAD_FORMAT;  // no samples
}

int LoadVoiceWav(const std::string& path, int version, std::vector<uint8_t>& out) {
    out.clear();
    std::vector<uint8_t> file;
    if (!platform::ReadFile(path, file)) return WAV_CANNOT_OPEN;
    return ParseVoiceWav(file, version, out);
}

std::vector<uint8_t> ClearVoiceMessage() { return {kSilence8, kSilence8}; }

bool IsClearVoiceMessage(const uint8_t* data, size_t length) {
    return length == 2 && data && data[0] == kSilence8 && data[1] == kSilence8;
}

std::string PlayTime(size_t samples) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d", int(samples / 8000), int(samples % 8000 / 800));
    return text;
}

namespace {

template <class Decode>
std::vector<uint8_t> MakeWav(size_t n, Decode decode) {
    std::vector<uint8_t> file;
    file.reserve(58 + 2 * n);
    platform::ByteWriter w(file);
    const uint32_t dataSize = uint32_t(2 * n);
    w.bytes("RIFF", 4);
    w.u32(58 - 8 + dataSize);
    w.bytes("WAVE", 4);
    w.bytes("fmt ", 4);
    w.u32(18);
    w.u16(1);
    w.u16(1);
    w.u32(8000);
    w.u32(16000);
    w.u16(2);
    w.u16(16);
    w.u16(0);
    w.bytes("fact", 4);
    w.u32(4);
    w.u32(dataSize);
    w.bytes("data", 4);
    w.u32(dataSize);
    for (size_t i = 0; i < n; ++i) w.i16(decode(i));
    return file;
}

}  // namespace

std::vector<uint8_t> MakeVoiceWav(std::span<const uint8_t> mulaw) {
    return MakeWav(mulaw.size(), [&](size_t i) { return MuLawDecode(mulaw[i]); });
}

std::vector<uint8_t> MakeVoiceWavLinear8(std::span<const uint8_t> samples) {
    return MakeWav(samples.size(), [&](size_t i) { return int16_t((samples[i] - 128) * 256); });
}

bool SaveVoiceWav(const std::string& path, std::span<const uint8_t> mulaw) {
    return platform::WriteFileAtomic(path, MakeVoiceWav(mulaw));
}

}  // namespace interactive
