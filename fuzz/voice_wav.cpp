// The WAV reader of voice messages: any file gives one of its error codes and at most the
// version's sample limit, with no samples on a refusal.
#include <cstdint>
#include <span>
#include <vector>

#include "interactive/itv_result.h"
#include "interactive/voice_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int version : {interactive::ITV_VERSION_1, interactive::ITV_VERSION_2}) {
        std::vector<uint8_t> out;
        int r = interactive::ParseVoiceWav(std::span<const uint8_t>(data, size), version, out);
        if (r != interactive::WAV_OK && r != interactive::WAV_TOO_LONG && r != interactive::WAV_BAD_FORMAT)
            __builtin_trap();
        if (out.size() > interactive::VoiceSampleLimit(version)) __builtin_trap();
        if (r == interactive::WAV_BAD_FORMAT && !out.empty()) __builtin_trap();
    }
    return 0;
}
