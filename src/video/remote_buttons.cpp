#include "video/remote_buttons.h"

#include <algorithm>
#include <cstring>

#include "app/strings.h"
#include "platform/bytes.h"

namespace video {

const char* const kRemoteInputs[kRemoteInputCount + 1] = {
    "BLACK", "BARS", "IN1",  "IN2",  "IN3",  "IN4",  "IN5",  "IN6",  "IN7",  "IN8",  "IN9", "IN10",
    "IN11",  "IN12", "IN13", "IN14", "IN15", "IN16", "PIC1", "PIC2", "PIC3", "PIC4", "",
};

const char* const kRemoteEffects[kRemoteEffectCount] = {
    "MIX", "EFFECT1", "EFFECT2", "EFFECT3", "EFFECT4", "EFFECT5", "EFFECT6", "EFFECT7", "EFFECT8",
};

const char* const kRemotePlaylistButtons[kRemotePlaylistButtonCount] = {
    "AIR",     "AUTO",    "AUX",  "BARS", "BLACK",  "CLOCK", "CUT",     "EFFECT1", "EFFECT2", "EFFECT3", "EFFECT4",
    "EFFECT5", "EFFECT6", "FADE", "FAST", "FREEZE", "IN1",   "IN2",     "IN3",     "IN4",     "IN5",     "IN6",
    "IN7",     "IN8",     "IN9",  "IN10", "IN11",   "IN12",  "IN13",    "IN14",    "IN15",    "IN16",    "LOGO1",
    "LOGO2",   "MIX",     "PIC1", "PIC2", "PIC3",   "PIC4",  "PREVIEW", "SOFT",    "TEST",    "TITR",    "TRANSP",
};

std::string RemoteActionName(int action) {
    if (action < REMOTE_PUSH || action > REMOTE_OFF) return {};
    return app::LoadString(IDS_REMOTE_ACTION_FIRST + action);
}

std::string AirButton(std::string_view input) { return std::string(kAirPrefix) + std::string(input); }

int RemoteInputIndex(std::string_view name) {
    for (int i = 0; i < kRemoteInputCount && *kRemoteInputs[i]; ++i)
        if (name == kRemoteInputs[i]) return i;
    return -1;
}

int RemoteEffectIndex(std::string_view name) {
    for (int i = 0; i < kRemoteEffectCount; ++i)
        if (name == kRemoteEffects[i]) return i;
    return -1;
}

bool EncodeRemotePayload(int32_t first, std::string_view text, std::vector<uint8_t>& out) {
    if (text.size() > kRemoteMaxName || text.find('\0') != std::string_view::npos) return false;
    out.clear();
    platform::ByteWriter w(out);
    w.i32(first);
    w.bytes(text.data(), text.size());
    w.zeros(kRemoteNameBytes - text.size());
    return true;
}

bool DecodeRemotePayload(std::span<const uint8_t> data, int32_t& first, std::string& text) {
    if (data.size() != kRemotePayloadBytes) return false;
    platform::ByteReader r(data);
    first = r.i32();
    std::span<const uint8_t> name = r.view(kRemoteNameBytes);
    const auto nul = std::find(name.begin(), name.end(), uint8_t(0));
    if (!r.ok() || nul == name.end()) return false;
    text.assign(name.begin(), nul);
    return true;
}

}  // namespace video
