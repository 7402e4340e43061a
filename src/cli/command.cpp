#include "cli/command.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "app/zentrix_app.h"

namespace zx {

namespace {
std::vector<Command>& registry() {
    static std::vector<Command> r;
    return r;
}
}  // namespace

Register::Register(Command c) { registry().push_back(std::move(c)); }

const std::vector<Command>& Commands() { return registry(); }

bool Args::has(const std::string& name) const {
    return options.count(name) || std::find(flags.begin(), flags.end(), name) != flags.end();
}

std::optional<std::string> Args::get(const std::string& name) const {
    auto it = options.find(name);
    if (it == options.end()) return std::nullopt;
    return it->second;
}

std::string Args::get(const std::string& name, const std::string& def) const {
    auto v = get(name);
    return v ? *v : def;
}

std::vector<std::string> Args::getAll(const std::string& name) const {
    std::vector<std::string> values;
    for (const auto& [n, v] : all)
        if (n == name) values.push_back(v);
    return values;
}

Args ParseArgs(const std::vector<std::string>& argv, const std::vector<std::string>& valueOptions) {
    Args a;
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string& s = argv[i];
        if (s.size() > 2 && s.rfind("--", 0) == 0) {
            std::string name = s.substr(2);
            size_t eq = name.find('=');
            if (eq != std::string::npos) {
                a.options[name.substr(0, eq)] = name.substr(eq + 1);
                a.all.emplace_back(name.substr(0, eq), name.substr(eq + 1));
            } else if (std::find(valueOptions.begin(), valueOptions.end(), name) != valueOptions.end() &&
                       i + 1 < argv.size()) {
                a.options[name] = argv[++i];
                a.all.emplace_back(name, argv[i]);
            } else {
                a.flags.push_back(name);
            }
        } else {
            a.positional.push_back(s);
        }
    }
    return a;
}

app::CommandLine CommandLineOf(const Args& a) {
    std::vector<std::string> args;
    if (auto h = a.get("home")) {
        args.push_back("--home");
        args.push_back(*h);
    }
    if (a.has("400m")) args.push_back("/400M");
    return app::CommandLine::Parse(args);
}

bool ParseNumber(std::string_view text, long long lo, long long hi, long long& out, NumberSyntax syntax) {
    // strtoll wants a terminated string; a NUL inside the text is not part of a number.
    const std::string s(text);
    if (s.empty() || s.find('\0') != std::string::npos) return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(s.c_str(), &end, syntax == NUMBER_C ? 0 : 10);
    if (errno == ERANGE || end == s.c_str() || *end != 0 || v < lo || v > hi) return false;
    out = v;
    return true;
}

std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

}  // namespace zx
