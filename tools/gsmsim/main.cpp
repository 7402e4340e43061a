// gsmsim: the GSM modem simulator as a program of its own, and "gsmsim pdu", which prints the
// PDUs of a message.
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "gsmsim/simulator.h"

namespace {

void Usage() {
    std::fprintf(
        stderr,
        "usage: gsmsim [--link PATH] [--control HOST:PORT|-] [--storages NAME:SLOTS,...] [--echo on|off|never]\n"
        "              [--manufacturer TEXT] [--model TEXT] [--no-cbc] [--no-csq] [--not-gsm] [--refuse-cnmi]\n"
        "              [--sca NUMBER|none] [--codepage N] [--no-pacing] [--script FILE] [--trace]\n"
        "       gsmsim pdu [--from N|--from-alpha NAME] [--coding 7bit|8bit|ucs2|auto] [--dcs HEX]\n"
        "              [--time ISO] [--split 8|16] [--sca NUMBER|none] TEXT\n"
        "  --link PATH      a symbolic link to the modem's terminal (the program's serial device)\n"
        "  --control        the control interface (line protocol, see README.md); - reads standard input\n"
        "  --storages       message storages and their slots (default SM:20,ME:50)\n"
        "  --echo           echo after a reset (on, default), off, or never whatever ATE says\n"
        "  --no-cbc, --no-csq  no battery or signal commands\n"
        "  --not-gsm        +GCAP without +CGSM\n"
        "  --refuse-cnmi    AT+CNMI answers ERROR (the program falls back to polling)\n"
        "  --sca            the service-centre address in front of each stored PDU (none: \"00\")\n"
        "  --codepage N     the code page of 8-bit texts (default 1251)\n"
        "  --no-pacing      replies at once instead of at the line's baud rate\n"
        "  --script FILE    lines of SECONDS COMMAND: control commands at those times\n"
        "  --trace          prints the conversation on standard error\n");
}

bool Value(int argc, char** argv, int& i, std::string& out) {
    if (i + 1 >= argc) {
        std::fprintf(stderr, "gsmsim: %s needs a value\n", argv[i]);
        return false;
    }
    out = argv[++i];
    return true;
}

bool ParseStorages(const std::string& list, std::vector<gsmsim::StorageSpec>& out) {
    out.clear();
    size_t pos = 0;
    while (pos < list.size()) {
        size_t comma = list.find(',', pos);
        std::string item = list.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        size_t colon = item.find(':');
        if (colon == std::string::npos || colon == 0) return false;
        char* end = nullptr;
        long slots = std::strtol(item.c_str() + colon + 1, &end, 10);
        if (*end || slots < 1 || slots > 1000) return false;
        out.push_back({item.substr(0, colon), int(slots)});
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    return !out.empty();
}

int PrintPdu(int argc, char** argv) {
    std::string line, sca = "+381630000000";
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--sca" && i + 1 < argc) {
            sca = argv[++i];
            if (sca == "none") sca.clear();
            continue;
        }
        line += (line.empty() ? "" : " ") + std::string(argv[i]);
    }
    gsmsim::DeliverSpec spec;
    std::string error;
    if (!gsmsim::ParseSms(line, gsmsim::Words(line), 0, spec, error)) {
        std::fprintf(stderr, "gsmsim pdu: %s\n", error.c_str());
        return 2;
    }
    std::vector<std::string> pdus = gsmsim::EncodeDeliver(spec, &error);
    if (pdus.empty()) {
        std::fprintf(stderr, "gsmsim pdu: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& pdu : pdus)
        std::printf("%s%s %zu\n", gsmsim::EncodeServiceCentre(sca).c_str(), pdu.c_str(), pdu.size() / 2);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "pdu") return PrintPdu(argc, argv);
    gsmsim::SimulatorOptions o;
    std::string v;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--link" || a == "--control" || a == "--script" || a == "--manufacturer" || a == "--model") {
            if (!Value(argc, argv, i, v)) return 2;
            if (a == "--link") o.link = v;
            else if (a == "--control") o.control = v;
            else if (a == "--script") o.script = v;
            else if (a == "--manufacturer") o.modem.manufacturer = v;
            else o.modem.model = v;
        } else if (a == "--storages") {
            if (!Value(argc, argv, i, v)) return 2;
            if (!ParseStorages(v, o.modem.storages)) {
                std::fprintf(stderr, "gsmsim: --storages takes NAME:SLOTS,... (1-1000 slots)\n");
                return 2;
            }
        } else if (a == "--echo") {
            if (!Value(argc, argv, i, v)) return 2;
            if (v != "on" && v != "off" && v != "never") {
                std::fprintf(stderr, "gsmsim: --echo is on, off or never\n");
                return 2;
            }
            o.modem.echo = v == "on";
            o.modem.neverEcho = v == "never";
        } else if (a == "--sca") {
            if (!Value(argc, argv, i, v)) return 2;
            o.modem.serviceCentre = v == "none" ? "" : v;
        } else if (a == "--codepage") {
            if (!Value(argc, argv, i, v)) return 2;
            o.modem.codePage = std::atoi(v.c_str());
        } else if (a == "--no-cbc") {
            o.modem.battery = false;
        } else if (a == "--no-csq") {
            o.modem.signal = false;
        } else if (a == "--not-gsm") {
            o.modem.gsm = false;
        } else if (a == "--refuse-cnmi") {
            o.modem.refuseCnmi = true;
        } else if (a == "--no-pacing") {
            o.pacing = false;
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        } else {
            std::fprintf(stderr, "gsmsim: unknown argument %s\n", a.c_str());
            Usage();
            return 2;
        }
    }
    const bool fromStdin = o.control == "-";
    if (fromStdin) o.control.clear();
    // Interrupts are taken by one thread, which ends the simulator like "quit" (the link removed).
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    gsmsim::Simulator sim(o);
    std::string error;
    if (!sim.start(error)) {
        std::fprintf(stderr, "gsmsim: %s\n", error.c_str());
        return 1;
    }
    std::thread([&sim, signals] {
        int sig = 0;
        sigwait(&signals, &sig);
        sim.requestQuit();
    }).detach();
    std::printf("gsmsim: modem on %s", sim.terminalPath().c_str());
    if (!o.link.empty()) std::printf(" (link %s)", o.link.c_str());
    if (!sim.controlAddress().empty()) std::printf(", control on %s", sim.controlAddress().c_str());
    if (fromStdin) std::printf(", control on standard input");
    std::printf("\n");
    std::fflush(stdout);
    if (fromStdin) {
        // Control lines from standard input, on this thread, until the end of the input or a quit.
        std::string pending;
        while (!sim.quitRequested()) {
            pollfd p{0, POLLIN, 0};
            if (poll(&p, 1, 200) <= 0) continue;
            char buf[1024];
            ssize_t n = read(0, buf, sizeof buf);
            if (n <= 0) break;
            pending.append(buf, size_t(n));
            size_t nl;
            while ((nl = pending.find('\n')) != std::string::npos) {
                std::string line = pending.substr(0, nl);
                pending.erase(0, nl + 1);
                if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
                std::printf("%s\n", sim.control(line).c_str());
                std::fflush(stdout);
            }
        }
        sim.requestQuit();
    }
    sim.waitForQuit();
    sim.stop();
    return 0;
}
