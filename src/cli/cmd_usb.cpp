// zx usb listen: the USB phone-lines adapter through CUSBEngine and the port state machine on an
// event loop, printing every event, state change, status line and call record.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include "app/profile.h"
#include "app/zentrix_app.h"
#include "cli/command.h"
#include "interactive/usb_engine.h"
#include "interactive/usb_ports.h"
#include "platform/event_loop.h"

namespace {

using namespace interactive;

std::atomic<bool> gStop{false};
void onStop(int) { gStop = true; }

struct PrintSink final : UsbSink {
    std::array<std::string, kUsbLines> answers;
    void OnCall(const CallRecord& r) override {
        std::printf("call on line %d (answer %s): number %s\n", r.line + 1, answers[r.line].c_str(),
                    r.hasNumber ? r.number : "(none)");
    }
    void OnStatus(const std::string& text) override { std::printf("status: %s\n", text.c_str()); }
};

int listen(const zx::Args& a) {
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    const app::Settings& s = theApp.settings();
    UsbLineConfig config;
    config.useCID = s.useCID != 0;
    config.aoh = s.cidType == 0;
    PrintSink sink;
    for (int line = 0; line < kUsbLines; ++line)
        config.soundFiles[size_t(line)] = theApp.profile().getString("ITV", "SoundFile" + std::to_string(line + 1));
    // --lines L=ANSWER: the lines bound to an answer (1-8); default every line to its own number.
    auto bindings = a.getAll("lines");
    for (int line = 0; line < kUsbLines; ++line) sink.answers[size_t(line)] = std::to_string(line + 1);
    if (bindings.empty()) config.assigned = 0xFF;
    for (const std::string& b : bindings) {
        size_t eq = b.find('=');
        int line = 0;
        if (eq == std::string::npos || eq + 1 == b.size() ||
            !zx::ParseNumber(std::string_view(b).substr(0, eq), 1, 8, line)) {
            std::cerr << "zx usb listen: --lines takes LINE=ANSWER, LINE 1-8 (" << b << ")\n";
            return 2;
        }
        config.assigned |= uint8_t(1u << (line - 1));
        sink.answers[size_t(line - 1)] = b.substr(eq + 1);
    }
    for (const std::string& f : a.getAll("sound")) {
        size_t eq = f.find('=');
        int line = 0;
        if (eq == std::string::npos || !zx::ParseNumber(std::string_view(f).substr(0, eq), 1, 8, line)) {
            std::cerr << "zx usb listen: --sound takes LINE=FILE.wav, LINE 1-8 (" << f << ")\n";
            return 2;
        }
        config.soundFiles[size_t(line - 1)] = f.substr(eq + 1);
    }
    long long seconds = 0;
    if (auto v = a.get("for"); v && !zx::ParseNumber(*v, 1, 86400 * 365, seconds)) {
        std::cerr << "zx usb listen: --for takes seconds\n";
        return 2;
    }
    CUSBEngine engine;
    engine.SetLibrarySetting(a.get("library", theApp.profile().getString("Hardware", "VoiceBoardPath")));
    UsbPortTable table(engine.calls(), sink);
    platform::EventLoop loop;
    platform::LoopTarget target(loop, [&](uint32_t msg, uintptr_t w, intptr_t l) -> intptr_t {
        if (msg != CUSBEngine::Message()) return 0;
        int port = int(uintptr_t(l) >> 16 & 0xFFFF);
        std::printf("event %d port %d value %d\n", int(w), port, int(l & 0xFFFF));
        const UsbPort* p = table.Find(port);
        int before = p ? p->state : -1;
        table.OnNotify(w, l);
        p = table.Find(port);
        if (p && p->state != before) std::printf("port %d: state %d -> %d\n", port, before, p->state);
        std::fflush(stdout);
        return 0;
    });
    std::signal(SIGINT, onStop);
    std::signal(SIGTERM, onStop);
    table.Start(config);
    if (!engine.Start(&target, config.useCID, config.aoh, s.cidLength)) {
        if (!engine.loadError().empty()) std::cerr << "zx usb listen: " << engine.loadError() << "\n";
        std::cerr << "zx usb listen: the USB adapter did not start\n";
        return 1;
    }
    std::printf("listening (caller ID %s%s)\n", config.useCID ? "on" : "off",
                config.useCID && config.aoh ? ", AOH" : "");
    std::fflush(stdout);
    const uint32_t limitMs = seconds ? uint32_t(seconds * 1000) : UINT32_MAX;
    loop.runUntil([] { return gStop.load(); }, limitMs);
    engine.Stop();
    table.Stop();
    loop.processPending();
    std::printf("stopped\n");
    return 0;
}

zx::Register r1({"usb listen",
                 "[--home DIR] [--lines L=ANSWER...] [--sound L=FILE...] [--library PATH|sim] [--for S]",
                 "Run the USB phone-lines adapter: print every event, state change, status line and call.",
                 {"home", "lines", "sound", "library", "for"},
                 listen});

}  // namespace
