// The [Output] section: up to four configured video outputs of the program (Sink1 ... Sink4),
// each a target with its format, codec, background, rate, sound and whether it starts with the
// program. The values are kept as the operator wrote them; the output library checks them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/profile.h"

namespace app {

constexpr int kOutputSinks = 4;

struct OutputSinkSetting {
    std::string target;  // file, PNG sequence or URL; "" = the slot is free
    std::string format;  // muxer name or "keyfill"; "" = from the target
    std::string codec;
    std::string background = "black";
    int rate = 25;
    bool silence = false;
    bool enabled = false;  // started when the program starts

    bool used() const { return !target.empty(); }
    // The same as command-line options ("output", "output-format", ...) for output::ParseSinks.
    std::vector<std::pair<std::string, std::string>> arguments() const;
};

// Keys: SinkN (the target), SinkNFormat, SinkNCodec, SinkNBackground, SinkNRate (25 or 50),
// SinkNAudio ("silence" or "none"), SinkNEnabled (0 or 1).
std::vector<OutputSinkSetting> LoadOutputSettings(const Profile& ini);
// Writes all four slots (a free slot's keys are removed). False when the file could not be written.
bool SaveOutputSettings(Profile& ini, const std::vector<OutputSinkSetting>& sinks);

}  // namespace app
