// The zx command registry: each command group registers its commands from its own file. Also
// what the commands share: the program's command line and the reading of numbers.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace air {
class CAirFrame;
}
namespace app {
class CZentrixApp;
struct CommandLine;
}  // namespace app
namespace pages {
class CFontManager;
}

namespace zx {

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // "--name value" or "--name=value"
    std::vector<std::string> flags;              // "--name" without a value
    // Every option with its value in the order given (an option may be repeated).
    std::vector<std::pair<std::string, std::string>> all;

    bool has(const std::string& name) const;
    std::optional<std::string> get(const std::string& name) const;
    std::string get(const std::string& name, const std::string& def) const;
    // Each value of a repeated option, in order.
    std::vector<std::string> getAll(const std::string& name) const;
};

// Splits argv into positionals, options that take a value, and flags.
Args ParseArgs(const std::vector<std::string>& argv, const std::vector<std::string>& valueOptions);

// The program's own command line for the commands that read settings: --home DIR names the
// program folder, --400m the 400M variant (its own settings file and defaults).
app::CommandLine CommandLineOf(const Args& a);

// How a number may be written: decimal only, or also as C writes it (0x1F hex, 017 octal).
enum NumberSyntax { NUMBER_DECIMAL, NUMBER_C };

// A whole number from lo to hi that is the whole text (blanks before it and a sign allowed);
// false for anything else, out unchanged.
bool ParseNumber(std::string_view text, long long lo, long long hi, long long& out,
                 NumberSyntax syntax = NUMBER_DECIMAL);

template <class T>
bool ParseNumber(std::string_view text, T lo, T hi, T& out, NumberSyntax syntax = NUMBER_DECIMAL) {
    long long v = 0;
    if (!ParseNumber(text, static_cast<long long>(lo), static_cast<long long>(hi), v, syntax)) return false;
    out = static_cast<T>(v);
    return true;
}

// zx play's headless playout (the options of zx play) of file, or of what cue starts once the
// Device is reset (a file result code, with the reason in the string). cmd names the command in
// messages.
using PlayCue = std::function<int(app::CZentrixApp&, pages::CFontManager&, air::CAirFrame&, std::string&)>;
int PlayHeadless(const Args& a, const std::string& file, const char* cmd, const PlayCue& cue);

// A message of the program on one line (its line breaks become blanks), for the terminal.
std::string OneLine(std::string text);
// A text as a JSON string, quotes included (bytes as they are, control characters escaped).
std::string JsonString(std::string_view text);

struct Command {
    std::string name;                       // "paths", "font info", ...
    std::string usage;                      // one line: arguments
    std::string summary;                    // one line: what it does
    std::vector<std::string> valueOptions;  // options that take a value
    std::function<int(const Args&)> run;    // exit status
};

// Registers a command at static-initialisation time.
struct Register {
    explicit Register(Command c);
};

const std::vector<Command>& Commands();

}  // namespace zx
