// zx chat: SMS Chat mode headless on the embedded virtual Device (or a Device at an address) with
// the modem simulator inside zx; and zx chat filter, a text through the chat's word filter.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "air/air_session.h"
#include "app/profile.h"
#include "app/zentrix_app.h"
#include "cli/command.h"
#include "cli/run_helpers.h"
#include "demo/chat_playout.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "device/parallel_port_driver.h"
#include "gsmsim/embedded.h"
#include "ktgsim/embedded.h"
#include "ktgsim/picture.h"
#include "pages/font_manager.h"
#include "platform/code_page.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "sms/chat_filter.h"
#include "sms/serial_settings.h"

namespace {

std::atomic<bool> gInterrupted{false};
void onInterrupt(int) { gInterrupted.store(true); }

int chat(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx chat: give the template sequence (.zxs)\n";
        return 2;
    }
    demo::ChatPlayOptions o;
    o.templ = zx::UnderHome(a, a.positional[0]);
    const std::string queue = a.get("queue", "all");
    if (queue != "all" && queue != "none") {
        std::cerr << "zx chat: --queue takes all or none\n";
        return 2;
    }
    o.queueAll = queue == "all";
    if (auto c = a.get("count"); c && !zx::ParseNumber(*c, 1, 1000000000, o.count)) {
        std::cerr << "zx chat: --count takes a number of messages, 1 or more\n";
        return 2;
    }
    o.snapshots = a.get("snapshots", "");
    double scale = 1;
    if (auto t = a.get("time-scale")) {
        char* end = nullptr;
        scale = std::strtod(t->c_str(), &end);
        if (t->empty() || *end || !(scale >= 1 && scale <= 100)) {
            std::cerr << "zx chat: --time-scale takes a factor from 1 to 100\n";
            return 2;
        }
    }
    o.timeScale = scale;
    const std::string modem = a.get("modem", "sim");
    if (modem != "sim" && modem != "settings") {
        std::cerr << "zx chat: --modem takes sim or settings\n";
        return 2;
    }
    const std::string device = a.get("device", "embedded");
    const bool embedded = device == "embedded";
    if (!embedded && !o.snapshots.empty()) {
        std::cerr << "zx chat: snapshots come from the embedded Device only\n";
        return 2;
    }

    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    // The choices of this run stay in memory: the settings file is left as it was.
    app::Profile& ini = theApp.profile();
    ini.beginBatch();
    theApp.settings().enable = 1;
    if (embedded) {
        ini.putString(device::kEthernetSection, device::kHostsKey, "");
        ini.putString("Hardware", device::kLptDriverKey, "sim");
        ini.putString("Hardware", device::kLptSocketKey, "");
        device::NetSetLockFolder(theApp.GetPath(app::FOLDER_PROGRAM));
    } else if (theApp.settings().usesLpt()) {
        std::cerr << "zx chat: model " << theApp.deviceModel().name
                  << " uses the parallel port; a Device at an address needs an Ethernet model\n";
        return 2;
    } else {
        ini.putString(device::kEthernetSection, device::kHostsKey, device);
    }
    const int port = theApp.settings().itvPortNo;
    std::string script = a.get("script") ? zx::UnderHome(a, *a.get("script"))
                                         : sms::SimScriptPath(ini, theApp.GetPath(app::FOLDER_PROGRAM));
    std::string scaled;
    if (modem == "sim") {
        ini.putString(sms::kSerialSection, sms::SerialKey(port), sms::kSimDevice);
        if (!script.empty() && scale != 1) {
            std::string why;
            scaled = zx::ScaledSimScript(script, scale, "chat", why);
            if (scaled.empty()) {
                std::cerr << "zx chat: " << why << "\n";
                return 1;
            }
        }
        ini.putString(sms::kSerialSection, sms::kSimScriptKey, scaled.empty() ? script : scaled);
    }
    std::cout << "modem " << sms::SerialKey(port) << ": " << sms::SerialDevice(ini, port)
              << (script.empty() ? std::string() : ", script " + script) << "\n";

    if (embedded) {
        ktgsim::EmbeddedOptions eo;
        eo.timeScale = scale;
        ktgsim::RegisterEmbeddedDevice(std::move(eo));
    }
    gsmsim::RegisterEmbeddedModem();
    int status = 0;
    std::string error;
    {
        air::ScaledClock clock(scale);
        device::CEngine engine{device::CEngine::Options{&clock, device::kStopWaitMs, false}};
        theApp.setDeviceLink(&engine);
        std::cout << "model " << theApp.deviceModel().name << ", Device " << device << "\n";
        theApp.StartHardware();
        if (!engine.isOpen()) {
            error = "the Device link did not open";
            status = demo::PLAY_LINK_ERROR;
        } else {
            pages::CFontManager fonts;
            fonts.setFolder(theApp.GetPath(app::FOLDER_FONTS));
            fonts.Enumerate();
            platform::EventLoop loop(clock);
            gInterrupted = false;
            o.interrupted = &gInterrupted;
            std::signal(SIGINT, onInterrupt);
            std::signal(SIGTERM, onInterrupt);
            {
                demo::CChatPlayout playout(theApp, engine, fonts, loop, std::cout);
                if (embedded) playout.setGrabber(zx::GrabEmbeddedDevice);
                status = playout.Run(o, error);
            }
            std::signal(SIGINT, SIG_DFL);
            std::signal(SIGTERM, SIG_DFL);
        }
        theApp.StopHardware();
    }
    gsmsim::UnregisterEmbeddedModem();
    if (embedded) ktgsim::UnregisterEmbeddedDevice();
    if (!scaled.empty()) std::remove(scaled.c_str());
    if (status != demo::PLAY_OK) {
        std::cerr << "zx chat: " << error << "\n";
        return 1;
    }
    return 0;
}

int filter(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx chat filter: give one text\n";
        return 2;
    }
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    const std::string file = a.get("file", platform::JoinPath(theApp.GetPath(app::FOLDER_ROOT), "filter.dat"));
    if (a.get("file") && !platform::FileExists(platform::ResolvePath(file))) {
        std::cerr << "zx chat filter: " << file << " cannot be read\n";
        return 1;
    }
    sms::CChatFilter f;
    f.setWords(sms::CChatFilter::LoadFile(file));
    f.partial = a.has("partial");
    f.deleteWord = a.has("delete");
    const platform::CodePage cp(theApp.settings().codePage);
    std::cout << cp.toUtf8(f.Filter(cp.fromUtf8(a.positional[0]))) << "\n";
    return 0;
}

zx::Register r0({"chat",
                 "TEMPLATE.zxs [--home DIR] [--device embedded|HOST:PORT] [--modem sim|settings] [--script FILE] "
                 "[--queue all|none] [--count N] [--snapshots DIR] [--time-scale K]",
                 "SMS Chat headless: the template loaded, the SMS engine started (on the modem simulator playing "
                 "the script unless --modem settings), every status text and list change printed, new messages "
                 "queued as told and the queued ones played on air; ends after N messages were shown.",
                 {"home", "device", "modem", "script", "queue", "count", "snapshots", "time-scale"},
                 chat});
zx::Register r1({"chat filter",
                 "[--file F] [--partial] [--delete] [--home DIR] TEXT",
                 "Put a text (UTF-8) through the chat's word filter (filter.dat of the data root unless --file).",
                 {"file", "home"},
                 filter});

}  // namespace
