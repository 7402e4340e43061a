// zx-remote's macro reader: any text is refused with a line number or read into steps that the
// switcher knows, within the limits.
#include <cstdint>
#include <string>

#include "zx-remote/macro.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<zxremote::MacroStep> steps;
    std::string error;
    if (!zxremote::ParseMacro(std::string_view(reinterpret_cast<const char*>(data), size), steps, error)) {
        if (!steps.empty()) __builtin_trap();
        if (size <= zxremote::kMacroMaxBytes && error.rfind("line ", 0) != 0) __builtin_trap();
        return 0;
    }
    if (steps.size() > zxremote::kMacroMaxSteps) __builtin_trap();
    uint64_t total = 0;
    for (const zxremote::MacroStep& s : steps) {
        total += s.waitMs;
        if (s.wait ? s.waitMs > zxremote::kMacroMaxWaitMs : !zxremote::Switcher::Known(s.name)) __builtin_trap();
        if (!s.wait && (s.action < 0 || s.action > 2)) __builtin_trap();
    }
    if (total > zxremote::kMacroMaxTotalMs) __builtin_trap();
    return 0;
}
