#include "zx-remote/macro.h"

#include "platform/files.h"
#include "video/remote_buttons.h"

namespace zxremote {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

}  // namespace

bool ParseMacro(std::string_view text, std::vector<MacroStep>& steps, std::string& error) {
    steps.clear();
    if (text.size() > kMacroMaxBytes) {
        error = "longer than " + std::to_string(kMacroMaxBytes) + " bytes";
        return false;
    }
    int lineNo = 0;
    uint64_t total = 0;
    while (!text.empty()) {
        ++lineNo;
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (size_t c = line.find_first_of("#;"); c != std::string_view::npos) line = line.substr(0, c);
        line = Trim(line);
        if (line.empty()) continue;
        auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(lineNo) + ": " + why;
            steps.clear();
            return false;
        };
        const size_t space = line.find_first_of(" \t");
        const std::string word = platform::ToUpperAscii(line.substr(0, space));
        const std::string_view arg = space == std::string_view::npos ? std::string_view() : Trim(line.substr(space));
        if (arg.empty() || arg.find_first_of(" \t") != std::string_view::npos)
            return fail("\"" + word + "\" takes one argument");
        MacroStep step;
        if (word == "WAIT") {
            uint64_t ms = 0;
            for (char c : arg) {
                if (c < '0' || c > '9' || ms > kMacroMaxWaitMs) return fail("WAIT takes milliseconds, at most an hour");
                ms = ms * 10 + uint64_t(c - '0');
            }
            if (ms > kMacroMaxWaitMs) return fail("WAIT takes milliseconds, at most an hour");
            step.wait = true;
            step.waitMs = uint32_t(ms);
            total += ms;
            if (total > kMacroMaxTotalMs) return fail("the waits add up to more than a day");
        } else if (word == "PUSH" || word == "ON" || word == "OFF") {
            step.action = word == "PUSH" ? video::REMOTE_PUSH : word == "ON" ? video::REMOTE_ON : video::REMOTE_OFF;
            step.name = platform::ToUpperAscii(arg);
            if (!Switcher::Known(step.name)) return fail("no button \"" + std::string(arg) + "\"");
        } else {
            return fail("unknown command \"" + word + "\" (PUSH, ON, OFF, WAIT)");
        }
        if (steps.size() >= kMacroMaxSteps) return fail("more than " + std::to_string(kMacroMaxSteps) + " commands");
        steps.push_back(std::move(step));
    }
    return true;
}

}  // namespace zxremote
