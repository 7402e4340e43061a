// phonesim: the phone-lines adapter stand-in as a program of its own.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "phonesim/simulator.h"
#include "platform/files.h"

namespace {

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

void Usage() {
    std::fprintf(stderr,
                 "usage: phonesim --version 1|2 [--lines N] [--link PATH] [--control ADDR] [--time-scale K]\n"
                 "                [--pace] [--flash DIR] [--auto RATE] [--erase-ms MS]\n"
                 "  --version     the adapter: 1 (letters framed by DTR, 9600 baud) or 2 (packets, 19200)\n"
                 "  --lines N     lines 1-8 (default 8)\n"
                 "  --link PATH   a symbolic link to the adapter's terminal (the program's serial device)\n"
                 "  --control     HOST:PORT (loopback TCP) or a socket path; default the runtime folder's\n"
                 "                phonesim.ctl\n"
                 "  --time-scale  rings, erases and messages K times faster\n"
                 "  --pace        answers at the line's baud rate\n"
                 "  --flash DIR   keeps the voice memory in DIR/line0.bin ... across runs\n"
                 "  --auto RATE   rings random lines with random numbers, RATE calls a minute\n");
}

}  // namespace

int main(int argc, char** argv) {
    phonesim::SimulatorOptions o;
    o.control = platform::RuntimeDir() + "phonesim.ctl";
    bool versionGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--pace") o.pace = true;
        else if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        } else if (!value(v)) {
            std::fprintf(stderr, "phonesim: %s needs a value\n", a.c_str());
            Usage();
            return 2;
        } else if (a == "--version" && (v == "1" || v == "2")) {
            o.adapter.version = v[0] - '0';
            versionGiven = true;
        } else if (a == "--lines" && std::atoi(v.c_str()) >= 1 && std::atoi(v.c_str()) <= 8) {
            o.adapter.lines = std::atoi(v.c_str());
        } else if (a == "--link") o.link = v;
        else if (a == "--control") o.control = v == "-" ? std::string() : v;
        else if (a == "--time-scale" && std::atof(v.c_str()) > 0) o.timeScale = std::atof(v.c_str());
        else if (a == "--flash") o.flashDir = v;
        else if (a == "--auto" && std::atof(v.c_str()) >= 0) o.autoRate = std::atof(v.c_str());
        else if (a == "--erase-ms" && std::atoi(v.c_str()) >= 0) o.adapter.eraseMs = uint32_t(std::atoi(v.c_str()));
        else {
            std::fprintf(stderr, "phonesim: bad option %s %s\n", a.c_str(), v.c_str());
            Usage();
            return 2;
        }
    }
    if (!versionGiven) {
        std::fprintf(stderr, "phonesim: --version 1|2 is required\n");
        Usage();
        return 2;
    }
    phonesim::Simulator sim(o);
    std::string error;
    if (!sim.start(error)) {
        std::fprintf(stderr, "phonesim: %s\n", error.c_str());
        return 1;
    }
    std::printf("phonesim: version %d on %s, control %s\n", o.adapter.version, sim.devicePath().c_str(),
                sim.controlAddress().empty() ? "none" : sim.controlAddress().c_str());
    std::fflush(stdout);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    while (!gStop && !sim.quitRequested()) {
        struct timespec ts {
            0, 50 * 1000 * 1000
        };
        nanosleep(&ts, nullptr);
    }
    sim.stop();
    return 0;
}
