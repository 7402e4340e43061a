// zx: the command-line side of Zentrix (batch work, scripting, inspection).
#include <algorithm>
#include <iostream>

#include "cli/command.h"

#ifndef ZX_VERSION
#define ZX_VERSION "unknown"
#endif

namespace zx {

static void printHelp(std::ostream& out) {
    out << "zx - Zentrix command-line tool\n\nUsage: zx COMMAND [ARGS]\n\nCommands:\n";
    std::vector<const Command*> cmds;
    for (auto& c : Commands()) cmds.push_back(&c);
    std::sort(cmds.begin(), cmds.end(), [](auto* a, auto* b) { return a->name < b->name; });
    for (auto* c : cmds) {
        out << "  zx " << c->name;
        if (!c->usage.empty()) out << " " << c->usage;
        out << "\n      " << c->summary << "\n";
    }
    out << "\nOptions common to the commands that read settings:\n"
           "  --home DIR   the program folder (settings file, logs; data root unless the settings\n"
           "               name a network folder); default: the folder of the executable when it runs\n"
           "               from a folder of its own, else $XDG_DATA_HOME/zentrix (~/.local/share/zentrix)\n"
           "  --400m       the 400M variant: its own settings file and defaults\n";
}

}  // namespace zx

int main(int argc, char** argv) {
    using namespace zx;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printHelp(std::cout);
        return args.empty() ? 2 : 0;
    }
    if (args[0] == "--version") {
        std::cout << "zx " << ZX_VERSION << "\n";
        return 0;
    }
    // Longest match of the command name over the leading words ("font info" before "font").
    const Command* best = nullptr;
    size_t bestWords = 0;
    for (auto& c : Commands()) {
        size_t words = 1 + size_t(std::count(c.name.begin(), c.name.end(), ' '));
        if (words > args.size()) continue;
        std::string joined = args[0];
        for (size_t i = 1; i < words; ++i) joined += " " + args[i];
        if (joined == c.name && words > bestWords) {
            best = &c;
            bestWords = words;
        }
    }
    if (!best) {
        std::cerr << "zx: unknown command '" << args[0] << "' (zx --help lists the commands)\n";
        return 2;
    }
    std::vector<std::string> rest(args.begin() + long(bestWords), args.end());
    if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
        std::cout << "Usage: zx " << best->name << " " << best->usage << "\n" << best->summary << "\n";
        return 0;
    }
    return best->run(ParseArgs(rest, best->valueOptions));
}
