// ktgsim: the virtual Device as a program of its own.
#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "ktgsim/picture.h"
#include "ktgsim/server.h"
#include "output/output.h"

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: ktgsim [--class N] [--listen HOST:PORT] [--lpt-socket PATH] [--control HOST:PORT]\n"
                 "              [--time-scale K] [--background black|checker|none|FILE.png] [--no-data-check]\n"
                 "              [--silent-timeout MS]\n"
                 "              [--output FILE|URL [--output-format F|keyfill] [--output-codec C]\n"
                 "               [--output-background B] [--output-rate 25|50] [--output-audio silence]]...\n"
                 "  --class N          status class 0, 1 (default) or 2\n"
                 "  --listen           NetBIOS session service (Ethernet models); port 0 picks a free one\n"
                 "  --lpt-socket       socket of the simulated parallel-port driver (LPT models)\n"
                 "  --control          control interface (line protocol, see README.md)\n"
                 "  --time-scale K     run fields K times faster than 20 ms\n"
                 "  --background       what the program output is keyed over (default black)\n"
                 "  --no-data-check    take data blocks whatever their checksum\n"
                 "  --silent-timeout   close a link that sends nothing this long after connecting\n"
                 "                     (ms, default 10000; control connections six times that; 0: never)\n"
                 "  --output           send the program output as video, field by field, to a recording\n"
                 "                     (.mov, .mp4, .mkv, NAME%%06d.png) or a stream (udp://HOST:PORT);\n"
                 "                     repeatable, each followed by its own --output-* options\n"
                 "Hosts default to loopback.\n");
}

}  // namespace

int main(int argc, char** argv) {
    ktgsim::ServerOptions o;
    std::string background;
    std::vector<std::pair<std::string, std::string>> outputArgs;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "ktgsim: %s needs a value\n", a.c_str());
                std::exit(2);
            }
            out = argv[++i];
        };
        std::string v;
        if (a == "--class") {
            value(v);
            if (v != "0" && v != "1" && v != "2") {
                std::fprintf(stderr, "ktgsim: --class is 0, 1 or 2\n");
                return 2;
            }
            o.device.statusClass = v[0] - '0';
        } else if (a == "--listen") {
            value(o.listen);
        } else if (a == "--lpt-socket") {
            value(o.lptSocket);
        } else if (a == "--control") {
            value(o.control);
        } else if (a == "--time-scale") {
            value(v);
            char* end = nullptr;
            o.timeScale = std::strtod(v.c_str(), &end);
            if (end == v.c_str() || *end || !(o.timeScale >= 0.01 && o.timeScale <= 10000)) {
                std::fprintf(stderr, "ktgsim: --time-scale is a number from 0.01 to 10000\n");
                return 2;
            }
        } else if (a == "--background") {
            value(background);
        } else if (a == "--silent-timeout") {
            value(v);
            char* end = nullptr;
            const long ms = std::strtol(v.c_str(), &end, 10);
            if (end == v.c_str() || *end || ms < 0 || ms > 3600000) {
                std::fprintf(stderr, "ktgsim: --silent-timeout is a number of ms from 0 to 3600000\n");
                return 2;
            }
            o.silentTimeoutMs = int(ms);
        } else if (a == "--output" || a.rfind("--output-", 0) == 0) {
            value(v);
            outputArgs.emplace_back(a.substr(2), v);
        } else if (a == "--no-data-check") {
            o.device.checkData = false;
        } else if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        } else {
            std::fprintf(stderr, "ktgsim: unknown argument %s\n", a.c_str());
            Usage();
            return 2;
        }
    }
    if (o.listen.empty() && o.lptSocket.empty()) {
        std::fprintf(stderr, "ktgsim: give --listen, --lpt-socket or both\n");
        Usage();
        return 2;
    }
    std::string error;
    if (!ktgsim::Background::Parse(background, o.background, error)) {
        std::fprintf(stderr, "ktgsim: %s\n", error.c_str());
        return 1;
    }
    std::vector<output::SinkOptions> sinks;
    if (!output::ParseSinks(outputArgs, sinks, error)) {
        std::fprintf(stderr, "ktgsim: %s\n", error.c_str());
        return 2;
    }
    // Every sink opens before the Device starts: one that cannot be written stops it from
    // starting. The Device runs at its own pace for the programs that drive it, so a sink that
    // cannot keep up drops frames rather than holding the fields back.
    output::Output video;
    for (const output::SinkOptions& s : sinks)
        if (!video.add(s, ktgsim::kFrameWidth, ktgsim::kFrameHeight, error)) {
            std::fprintf(stderr, "ktgsim: %s\n", error.c_str());
            return 1;
        }
    // Interrupts are taken by one thread, which asks the server to end like a "quit" would, so
    // that the sockets are closed and the socket file removed.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    ktgsim::Server server(o);
    if (video.size()) {
        video.start();
        server.setFieldTap(
            [&video](uint64_t field, const ktgsim::Picture& pic, bool changed) {
                video.frame(pic.rgba.data(), pic.width, pic.height, field, changed);
            },
            video.fieldsPerFrame());
    }
    if (!server.start(error)) {
        std::fprintf(stderr, "ktgsim: %s\n", error.c_str());
        return 1;
    }
    std::thread([&server, signals] {
        int sig = 0;
        sigwait(&signals, &sig);
        server.requestQuit();
    }).detach();
    std::printf("ktgsim: status class %d", o.device.statusClass);
    if (!server.netAddress().empty()) std::printf(", NetBIOS on %s", server.netAddress().c_str());
    if (!o.lptSocket.empty()) std::printf(", parallel port on %s", o.lptSocket.c_str());
    if (!server.controlAddress().empty()) std::printf(", control on %s", server.controlAddress().c_str());
    std::printf("\n");
    std::fflush(stdout);
    server.waitForQuit();
    server.stop();
    server.setFieldTap(nullptr);
    video.stop();
    int status = 0;
    for (const output::SinkStats& st : video.stats()) {
        std::printf("output %s: %llu frames, %llu dropped, %llu bytes\n", st.target.c_str(),
                    static_cast<unsigned long long>(st.frames), static_cast<unsigned long long>(st.dropped),
                    static_cast<unsigned long long>(st.bytes));
        if (st.failed) {
            std::fprintf(stderr, "ktgsim: %s\n", st.error.c_str());
            status = 1;
        }
    }
    return status;
}
