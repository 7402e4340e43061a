// The zx command registry: each command group registers its commands from its own file.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zx {

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // "--name value" or "--name=value"
    std::vector<std::string> flags;              // "--name" without a value

    bool has(const std::string& name) const;
    std::optional<std::string> get(const std::string& name) const;
    std::string get(const std::string& name, const std::string& def) const;
};

// Splits argv into positionals, options that take a value, and flags.
Args ParseArgs(const std::vector<std::string>& argv, const std::vector<std::string>& valueOptions);

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
