// Macro files of zx-remote: plain text, one command a line.
//   PUSH NAME | ON NAME | OFF NAME   a button action (names as the switcher has them, any case)
//   WAIT MS                          a pause before the next command (at most an hour; a day
//                                    for all the pauses of a file)
// '#' or ';' starts a comment; blank lines are skipped; keywords may be in any case.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "zx-remote/switcher.h"

namespace zxremote {

inline constexpr size_t kMacroMaxBytes = 64 * 1024;
inline constexpr size_t kMacroMaxSteps = 4096;
inline constexpr uint32_t kMacroMaxWaitMs = 3600 * 1000;
// All waits of one macro together: the switcher's clock is the wrapping tick count.
inline constexpr uint32_t kMacroMaxTotalMs = 24 * 3600 * 1000;

// Reads a macro. A file with a line that is not a command is refused as a whole (false, with
// "line N: reason" in error) rather than run in part.
bool ParseMacro(std::string_view text, std::vector<MacroStep>& steps, std::string& error);

}  // namespace zxremote
