// zx play: a sequence, a page or a clock played headless through the air controller, on the
// embedded virtual Device or a Device at an address, with pictures of the program output.
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iostream>

#include "air/air_session.h"
#include "app/zentrix_app.h"
#include "cli/command.h"
#include "demo/playout.h"
#include "device/engine.h"
#include "device/link_errors.h"
#include "device/net_transport.h"
#include "device/parallel_port_driver.h"
#include "ktgsim/embedded.h"
#include "ktgsim/picture.h"
#include "pages/font_manager.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "video/remote_cmd.h"
#include "wizards/clock_image.h"

namespace {

std::atomic<bool> gInterrupted{false};  // lock-free: safe in the handler on whichever thread takes it
static_assert(std::atomic<bool>::is_always_lock_free);

void onInterrupt(int) { gInterrupted.store(true); }

// The program output of the embedded Device as a page bitmap (transparency = 255 - alpha).
bool grabEmbedded(pages::CBitmap32& out) {
    ktgsim::Picture pic;
    if (!ktgsim::WithEmbeddedServer([&](ktgsim::Server& s) { s.render(pic); })) return false;
    out = ktgsim::ToBitmap(pic);
    return true;
}

int playWith(const zx::Args& a, const std::string& file, bool embedded, double scale) {
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    // The choices of this run stay in memory: the batch is never closed, so the settings file
    // is left as it was (also by what the link and the air frame would write back).
    app::Profile& ini = theApp.profile();
    ini.beginBatch();
    if (auto m = a.get("model")) {
        int model = 0;
        if (!zx::ParseNumber(*m, 0, app::kModelCount - 1, model)) {
            std::cerr << "zx play: --model takes 0 to " << app::kModelCount - 1 << "\n";
            return 2;
        }
        theApp.settings().model = model;
    }
    theApp.settings().enable = 1;
    const std::string device = a.get("device", "embedded");
    if (embedded) {
        ini.putString(device::kEthernetSection, device::kHostsKey, "");
        ini.putString("Hardware", device::kLptDriverKey, "sim");
        ini.putString("Hardware", device::kLptSocketKey, "");
        // The embedded Device is this process's own: its NetBIOS name clashes with nobody's.
        device::NetSetLockFolder(theApp.GetPath(app::FOLDER_PROGRAM));
    } else if (theApp.settings().usesLpt()) {
        std::cerr << "zx play: model " << theApp.deviceModel().name
                  << " uses the parallel port; a Device at an address needs an Ethernet model (--model)\n";
        return 2;
    } else {
        ini.putString(device::kEthernetSection, device::kHostsKey, device);
    }

    // The engine keeps the Device's pace too (its waits for a fade are in Device time).
    air::ScaledClock clock(scale);
    device::CEngine engine{device::CEngine::Options{&clock, device::kStopWaitMs, false}};
    theApp.setDeviceLink(&engine);
    std::cout << "model " << theApp.deviceModel().name << ", Device " << device << "\n";
    theApp.StartHardware();
    if (!engine.isOpen()) {
        std::cerr << "zx play: the Device link did not open\n";
        return 1;
    }
    pages::CFontManager fonts;
    fonts.setFolder(theApp.GetPath(app::FOLDER_FONTS));
    fonts.Enumerate();
    platform::EventLoop loop(clock);

    demo::PlayOptions o;
    o.file = file;
    o.keepGoing = a.has("keep-going");
    // Ctrl-C ends the run cleanly: the link is closed and the pictures written so far are kept.
    gInterrupted = false;
    o.interrupted = &gInterrupted;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    o.snapshots = a.get("snapshots", "");
    if (auto n = a.get("loops"); n && !zx::ParseNumber(*n, 1, 1000000, o.loops)) {
        std::cerr << "zx play: --loops takes a number of playouts, 1 or more\n";
        return 2;
    }
    if (auto d = a.get("duration")) {
        char* end = nullptr;
        const double seconds = std::strtod(d->c_str(), &end);
        if (d->empty() || *end || !(seconds > 0 && seconds <= 86400)) {
            std::cerr << "zx play: --duration takes the seconds on air before Stop (up to 86400)\n";
            return 2;
        }
        o.durationMs = uint32_t(seconds * 1000);
    }
    // The program's one clock object, which clock files are loaded into for air.
    wizards::CClockImage clockImage;
    int status;
    std::string error;
    {
        // Playout without a window does not start the remote-control program; one that runs is used.
        video::CRemoteCmd remote;
        demo::CPlayout playout(theApp, engine, fonts, loop, std::cout);
        if (embedded) playout.setGrabber(grabEmbedded);
        playout.setClock(&clockImage);
        playout.setRemote(&remote);
        status = playout.Run(o, error);
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    theApp.StopHardware();
    if (status != demo::PLAY_OK) {
        std::cerr << "zx play: " << error << "\n";
        return 1;
    }
    return 0;
}

int play(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx play: give one sequence (.zxs), page (.zxg) or clock (.zck)\n";
        return 2;
    }
    std::string file = a.positional[0];
    // A name below the data root may be given as such ("Sequences/Evening show.zxs").
    if (auto h = a.get("home"); h && !platform::FileExists(file) && platform::FileExists(app::WithSlash(*h) + file))
        file = app::WithSlash(*h) + file;
    const std::string ext = platform::ToLowerAscii(platform::ExtensionOfPath(file));
    if (ext != ".zxs" && ext != ".zxg" && ext != ".zck") {
        std::cerr << "zx play: " << file << " is not a sequence (.zxs), a page (.zxg) or a clock (.zck)\n";
        return 2;
    }
    double scale = 1;
    if (auto t = a.get("time-scale")) {
        char* end = nullptr;
        scale = std::strtod(t->c_str(), &end);
        if (t->empty() || *end || !(scale >= 1 && scale <= 100)) {
            std::cerr << "zx play: --time-scale takes a factor from 1 to 100\n";
            return 2;
        }
    }
    const bool embedded = a.get("device", "embedded") == "embedded";
    if (!embedded && a.has("snapshots")) {
        std::cerr << "zx play: snapshots come from the embedded Device only (ktgsim's control interface has "
                     "\"snapshot PATH\" for a Device of its own)\n";
        return 2;
    }
    if (!embedded) return playWith(a, file, false, scale);
    ktgsim::EmbeddedOptions eo;
    eo.timeScale = scale;
    ktgsim::RegisterEmbeddedDevice(std::move(eo));
    const int rc = playWith(a, file, true, scale);
    ktgsim::UnregisterEmbeddedDevice();
    return rc;
}

zx::Register r({"play",
                "FILE.zxs|FILE.zxg|FILE.zck [--home DIR] [--device embedded|HOST:PORT] [--model N] "
                "[--snapshots DIR] [--loops N] [--duration S] [--time-scale K] [--keep-going]",
                "Play a sequence, a page or a clock headless through the air controller, pressing Play itself; "
                "print the air states and the air log; with --snapshots, pictures of the program output at each "
                "state change and every second (a clock: each second it shows); --duration presses Stop after S "
                "seconds on air; with --keep-going a link error is ridden through (the playout starts again once "
                "the Device is back) until every loop has run.",
                {"home", "device", "model", "snapshots", "loops", "duration", "time-scale"},
                play});

}  // namespace
