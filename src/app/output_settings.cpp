#include "app/output_settings.h"

namespace app {

namespace {

constexpr const char* kSection = "Output";

std::string Key(int n, const char* suffix) { return "Sink" + std::to_string(n) + suffix; }

}  // namespace

std::vector<std::pair<std::string, std::string>> OutputSinkSetting::arguments() const {
    std::vector<std::pair<std::string, std::string>> a = {{"output", target}};
    if (!format.empty()) a.emplace_back("output-format", format);
    if (!codec.empty()) a.emplace_back("output-codec", codec);
    if (!background.empty()) a.emplace_back("output-background", background);
    a.emplace_back("output-rate", std::to_string(rate));
    a.emplace_back("output-audio", silence ? "silence" : "none");
    return a;
}

std::vector<OutputSinkSetting> LoadOutputSettings(const Profile& ini) {
    std::vector<OutputSinkSetting> sinks(kOutputSinks);
    for (int n = 1; n <= kOutputSinks; ++n) {
        OutputSinkSetting& s = sinks[size_t(n - 1)];
        s.target = ini.getString(kSection, Key(n, ""));
        s.format = ini.getString(kSection, Key(n, "Format"));
        s.codec = ini.getString(kSection, Key(n, "Codec"));
        s.background = ini.getString(kSection, Key(n, "Background"), "black");
        // Anything but 50 is the Device's frame rate.
        s.rate = ini.getInt(kSection, Key(n, "Rate"), 25) == 50 ? 50 : 25;
        s.silence = ini.getString(kSection, Key(n, "Audio"), "none") == "silence";
        s.enabled = ini.getInt(kSection, Key(n, "Enabled"), 0) != 0;
    }
    return sinks;
}

bool SaveOutputSettings(Profile& ini, const std::vector<OutputSinkSetting>& sinks) {
    bool ok = true;
    for (int n = 1; n <= kOutputSinks; ++n) {
        const OutputSinkSetting* s = size_t(n - 1) < sinks.size() ? &sinks[size_t(n - 1)] : nullptr;
        if (!s || !s->used()) {
            for (const char* suffix : {"", "Format", "Codec", "Background", "Rate", "Audio", "Enabled"})
                if (ini.hasKey(kSection, Key(n, suffix))) ok = ini.removeKey(kSection, Key(n, suffix)) && ok;
            continue;
        }
        ok = ini.putString(kSection, Key(n, ""), s->target) && ok;
        ok = ini.putString(kSection, Key(n, "Format"), s->format) && ok;
        ok = ini.putString(kSection, Key(n, "Codec"), s->codec) && ok;
        ok = ini.putString(kSection, Key(n, "Background"), s->background) && ok;
        ok = ini.putInt(kSection, Key(n, "Rate"), s->rate) && ok;
        ok = ini.putString(kSection, Key(n, "Audio"), s->silence ? "silence" : "none") && ok;
        ok = ini.putInt(kSection, Key(n, "Enabled"), s->enabled ? 1 : 0) && ok;
    }
    return ok;
}

}  // namespace app
