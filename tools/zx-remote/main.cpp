// zx-remote: the stand-in for the switcher's remote-control program. See README.md.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "video/remote_buttons.h"
#include "zx-remote/control.h"
#include "zx-remote/server.h"
#ifdef ZX_REMOTE_PANEL
#include "zx-remote/panel.h"
#endif

namespace {

const char kUsage[] =
    "usage: zx-remote [--headless] [--minimized] [--control PATH] [--program INPUT] [--preview INPUT]\n"
    "                 [--effect MIX|EFFECTn] [--style cut|auto] [--fast] [--lamps NAME,NAME...]\n"
    "                 [--fast-delay MS|never] [--effect-time MS] [--remote-off]\n"
    "       zx-remote ctl [--control PATH] COMMAND [ARGUMENT]\n"
    "control commands: ";

int Usage(const char* why) {
    if (why) std::fprintf(stderr, "zx-remote: %s\n", why);
    std::fprintf(stderr, "%s%s\n", kUsage, zxremote::ControlHelp());
    return 2;
}

bool ParseMs(const std::string& text, int& out) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || v < 0 || v > 600000) return false;
    out = int(v);
    return true;
}

int Control(const std::vector<std::string>& args) {
    std::string path = zxremote::DefaultControlPath();
    size_t i = 0;
    if (i + 1 < args.size() && args[i] == "--control") {
        path = args[i + 1];
        i += 2;
    }
    std::string line;
    for (; i < args.size(); ++i) line += (line.empty() ? "" : " ") + args[i];
    if (line.empty()) return Usage("ctl needs a command");
    std::string reply, error;
    if (!zxremote::ControlRequest(path, line, reply, error)) {
        std::fprintf(stderr, "zx-remote: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", reply.c_str());
    return reply.rfind("OK", 0) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "ctl") return Control({args.begin() + 1, args.end()});

    zxremote::ServerOptions options;
    bool headless = false, minimized = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--headless") {
            headless = true;
        } else if (a == "--minimized") {
            minimized = true;
        } else if (a == "--fast") {
            options.setup.fast = true;
        } else if (a == "--remote-off") {
            options.setup.remote = false;
        } else if (a == "--control") {
            if (!value(options.controlPath)) return Usage("--control needs a path");
        } else if (a == "--program" || a == "--preview") {
            if (!value(v) || video::RemoteInputIndex(platform::ToUpperAscii(v)) < 0)
                return Usage("--program and --preview take an input (BLACK, BARS, IN1-IN16, PIC1-PIC4)");
            (a == "--program" ? options.setup.program : options.setup.preview) =
                video::RemoteInputIndex(platform::ToUpperAscii(v));
        } else if (a == "--effect") {
            if (!value(v) || video::RemoteEffectIndex(platform::ToUpperAscii(v)) < 0)
                return Usage("--effect takes MIX or EFFECT1-EFFECT8");
            options.setup.effect = video::RemoteEffectIndex(platform::ToUpperAscii(v));
        } else if (a == "--style") {
            if (!value(v) || (platform::ToLowerAscii(v) != "cut" && platform::ToLowerAscii(v) != "auto"))
                return Usage("--style takes cut or auto");
            options.setup.styleAuto = platform::ToLowerAscii(v) == "auto";
        } else if (a == "--lamps") {
            if (!value(v)) return Usage("--lamps needs names");
            for (size_t s = 0; s <= v.size();) {
                const size_t e = std::min(v.find(',', s), v.size());
                const std::string lamp = platform::ToUpperAscii(v.substr(s, e - s));
                bool known = false;
                for (const char* t : zxremote::kToggles) known = known || lamp == t;
                if (!known) return Usage(("no lamp \"" + lamp + "\"").c_str());
                options.setup.lamps.push_back(lamp);
                s = e + 1;
            }
        } else if (a == "--fast-delay") {
            if (!value(v)) return Usage("--fast-delay takes MS or never");
            if (v == "never") options.setup.fastDelayMs = -1;
            else if (!ParseMs(v, options.setup.fastDelayMs)) return Usage("--fast-delay takes MS or never");
        } else if (a == "--effect-time") {
            if (!value(v) || !ParseMs(v, options.setup.effectTimeMs)) return Usage("--effect-time takes MS");
        } else if (a == "--help" || a == "-h") {
            return Usage(nullptr);
        } else {
            return Usage(("unknown option " + a).c_str());
        }
    }

    zxremote::RemoteServer server(options);
    // SIGINT and SIGTERM end it properly (its sockets go with it); they are taken by a thread of
    // their own, blocked everywhere else.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    std::thread([&server, stop] {
        int sig;
        sigwait(&stop, &sig);
        server.Quit();
    }).detach();

#ifdef ZX_REMOTE_PANEL
    const bool desktop = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
    if (!headless && desktop) return zxremote::RunPanel(argc, argv, server, minimized);
#else
    (void)minimized;
#endif
    (void)headless;
    std::string error;
    const int status = server.Run(error, [&server] {
        std::printf("zx-remote: \"%s\" ready; control: %s\n", video::kRemoteTitle, server.controlPath().c_str());
        std::fflush(stdout);
    });
    if (status != 0) std::fprintf(stderr, "zx-remote: %s\n", error.c_str());
    return status;
}
