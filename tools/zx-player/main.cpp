// zx-player: the stand-in for the MPEG decoder board's player program. See README.md.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "zx-player/server.h"
#include "zx-remote/control.h"

namespace {

const char kUsage[] =
    "usage: zx-player TITLE [--time-scale K] [--frames DIR] [--control PATH] [--quiet]\n"
    "       zx-player ctl TITLE|--control PATH COMMAND [ARGUMENT]\n"
    "options also come from ZX_PLAYER_OPTIONS (before those of the command line)\n"
    "control commands: ";

int Usage(const char* why) {
    if (why) std::fprintf(stderr, "zx-player: %s\n", why);
    std::fprintf(stderr, "%s%s\n", kUsage, zxplayer::ControlHelp());
    return 2;
}

int Control(const std::vector<std::string>& args) {
    if (args.empty()) return Usage("ctl needs a title or --control PATH");
    size_t i = 0;
    std::string path;
    if (args[0] == "--control") {
        if (args.size() < 2) return Usage("--control needs a path");
        path = args[1];
        i = 2;
    } else {
        path = zxplayer::DefaultControlPath(args[0]);
        i = 1;
    }
    std::string line;
    for (; i < args.size(); ++i) line += (line.empty() ? "" : " ") + args[i];
    if (line.empty()) return Usage("ctl needs a command");
    std::string reply, error;
    if (!zxremote::ControlRequest(path, line, reply, error)) {
        std::fprintf(stderr, "zx-player: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", reply.c_str());
    return reply.rfind("OK", 0) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    if (const char* env = std::getenv("ZX_PLAYER_OPTIONS")) {
        std::istringstream in(env);
        for (std::string w; in >> w;) args.push_back(w);
    }
    std::vector<std::string> given(argv + 1, argv + argc);
    if (!given.empty() && given[0] == "ctl") return Control({given.begin() + 1, given.end()});
    args.insert(args.end(), given.begin(), given.end());

    zxplayer::ServerOptions options;
    bool quiet = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--time-scale") {
            char* end = nullptr;
            if (!value(v)) return Usage("--time-scale takes a factor");
            options.player.timeScale = std::strtod(v.c_str(), &end);
            if (*end || !(options.player.timeScale >= 0.01 && options.player.timeScale <= 1000))
                return Usage("--time-scale takes a factor from 0.01 to 1000");
        } else if (a == "--frames") {
            if (!value(options.player.framesDir)) return Usage("--frames needs a folder");
            if (!platform::MakeDirectories(options.player.framesDir))
                return Usage("--frames: the folder cannot be made");
        } else if (a == "--control") {
            if (!value(options.controlPath)) return Usage("--control needs a path");
        } else if (a == "--quiet") {
            quiet = true;
        } else if (a == "--help" || a == "-h") {
            return Usage(nullptr);
        } else if (!a.empty() && a[0] == '-') {
            return Usage(("unknown option " + a).c_str());
        } else if (options.player.title.empty()) {
            options.player.title = a;
        } else {
            return Usage(("one title only, not also " + a).c_str());
        }
    }
    if (options.player.title.empty()) return Usage("give the window title (MPEG2_Video_Window_1)");
    ::signal(SIGPIPE, SIG_IGN);
    zxplayer::PlayerServer server(options, quiet ? nullptr : &std::cout);
    std::string error;
    const int rc = server.Run(error, [&] {
        if (!quiet)
            std::cout << "zx-player: window \"" << options.player.title << "\", control " << server.controlPath()
                      << std::endl;
    });
    if (rc) std::fprintf(stderr, "zx-player: %s\n", error.c_str());
    return rc;
}
