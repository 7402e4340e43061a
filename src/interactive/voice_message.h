// Voice messages as the adapters keep them: 8000 samples a second, G.711 mu-law on the second
// version (stored in reverse order), unsigned 8-bit linear on the first. Read from and written to
// PCM WAV files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace interactive {

constexpr size_t kVoiceBufferSize = 65536;
constexpr size_t kMaxSamplesV2 = 65534;
constexpr size_t kMaxSamplesV1 = 32000;
constexpr uint8_t kSilence8 = 0x80;

// ITU-T G.711 mu-law (bias 132, magnitudes clipped at 32767).
uint8_t MuLawEncode(int16_t sample);
int16_t MuLawDecode(uint8_t code);

// Errors of the WAV reader; the view shows string 18331 + error.
enum WavError : int {
    WAV_OK = 0,
    WAV_TOO_LONG = 1,     // the first samples up to the limit are kept (a warning)
    WAV_CANNOT_OPEN = 2,  // the file cannot be read
    WAV_BAD_FORMAT = 3,   // not PCM / 8000 Hz / 8 or 16 bits / mono, or damaged
};
constexpr int WavErrorMessageId(int error) { return error >= 1 && error <= 3 ? 18331 + error : 0; }

// The sample limit of an adapter version (ITV_VERSION_1 or ITV_VERSION_2).
size_t VoiceSampleLimit(int version);

// A WAV file's samples in the adapter's format of the version (in playing order: the caller
// reverses them for the second version).
int ParseVoiceWav(std::span<const uint8_t> file, int version, std::vector<uint8_t>& out);
int LoadVoiceWav(const std::string& path, int version, std::vector<uint8_t>& out);

// "Clear voice message": two bytes of silence.
std::vector<uint8_t> ClearVoiceMessage();
bool IsClearVoiceMessage(const uint8_t* data, size_t length);

// The play time of a message as the dialog shows it: "%d.%d" (seconds and tenths).
std::string PlayTime(size_t samples);

// A 16-bit PCM WAV file (58-byte header with a "fact" chunk) of mu-law samples in playing order,
// saved atomically. False when the file cannot be made.
std::vector<uint8_t> MakeVoiceWav(std::span<const uint8_t> mulaw);
bool SaveVoiceWav(const std::string& path, std::span<const uint8_t> mulaw);
// The same for the first version's unsigned 8-bit samples (the stand-in's dumps).
std::vector<uint8_t> MakeVoiceWavLinear8(std::span<const uint8_t> samples);

}  // namespace interactive
