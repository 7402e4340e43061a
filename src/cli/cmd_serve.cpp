// zx serve: Live mode without a desktop. The air session runs on the event loop with the control
// interface (HTTP, event stream and the browser panel) on the embedded virtual Device or a Device
// at an address, until Ctrl-C.
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iostream>

#include "air/air_session.h"
#include "app/control_settings.h"
#include "app/zentrix_app.h"
#include "cli/command.h"
#include "cli/run_helpers.h"
#include "control/listen_address.h"
#include "control/serve.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "device/parallel_port_driver.h"
#include "ktgsim/embedded.h"
#include "pages/font_manager.h"
#include "platform/event_loop.h"
#include "wizards/banner_player.h"
#include "wizards/clock_image.h"

namespace {

std::atomic<bool> gStop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void onSignal(int) { gStop.store(true); }

int serve(const zx::Args& a) {
    if (!a.positional.empty()) {
        std::cerr << "zx serve: takes no file (choose what plays from the panel or the interface)\n";
        return 2;
    }
    double scale = 1;
    if (auto t = a.get("time-scale")) {
        char* end = nullptr;
        scale = std::strtod(t->c_str(), &end);
        if (t->empty() || *end || !(scale >= 1 && scale <= 100)) {
            std::cerr << "zx serve: --time-scale takes a factor from 1 to 100\n";
            return 2;
        }
    }
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    // This run's choices stay in memory: the settings file is left as it was.
    app::Profile& ini = theApp.profile();
    ini.beginBatch();
    const app::ControlSettings settings = app::LoadControlSettings(ini);
    control::ServeOptions so;
    std::string why;
    if (!control::ParseListen(a.get("listen", settings.listen), so.server.listen, why)) {
        std::cerr << "zx serve: --listen: " << why << "\n";
        return 2;
    }
    so.server.token = a.get("token", settings.token);
    if (!control::CheckAccess(so.server.listen, so.server.token, why)) {
        std::cerr << "zx serve: " << why << "\n";
        return 2;
    }
    so.server.codePage = theApp.settings().codePage;
    if (auto m = a.get("model")) {
        int model = 0;
        if (!zx::ParseNumber(*m, 0, app::kModelCount - 1, model)) {
            std::cerr << "zx serve: --model takes 0 to " << app::kModelCount - 1 << "\n";
            return 2;
        }
        theApp.settings().model = model;
    }
    theApp.settings().enable = 1;
    theApp.settings().mpeg = 0;  // no players without a desktop
    const std::string device = a.get("device", "embedded");
    const bool embedded = device == "embedded";
    if (embedded) {
        ini.putString(device::kEthernetSection, device::kHostsKey, "");
        ini.putString("Hardware", device::kLptDriverKey, "sim");
        ini.putString("Hardware", device::kLptSocketKey, "");
        device::NetSetLockFolder(theApp.GetPath(app::FOLDER_PROGRAM));
        ktgsim::EmbeddedOptions eo;
        eo.timeScale = scale;
        ktgsim::RegisterEmbeddedDevice(std::move(eo));
        so.server.program = zx::GrabEmbeddedDevice;
    } else if (theApp.settings().usesLpt()) {
        std::cerr << "zx serve: model " << theApp.deviceModel().name
                  << " uses the parallel port; a Device at an address needs an Ethernet model (--model)\n";
        return 2;
    } else {
        ini.putString(device::kEthernetSection, device::kHostsKey, device);
    }

    air::ScaledClock clock(scale);
    int status = 0;
    {
        device::CEngine engine{device::CEngine::Options{&clock, device::kStopWaitMs, false}};
        theApp.setDeviceLink(&engine);
        std::cout << "model " << theApp.deviceModel().name << ", Device " << device << "\n";
        theApp.StartHardware();
        if (!engine.isOpen()) {
            std::cerr << "zx serve: the Device link did not open\n";
            if (embedded) ktgsim::UnregisterEmbeddedDevice();
            return 1;
        }
        pages::CFontManager fonts;
        fonts.setFolder(theApp.GetPath(app::FOLDER_FONTS));
        fonts.Enumerate();
        platform::EventLoop loop(clock);
        // The program's one clock object and banner player, as Live mode has them.
        wizards::CClockImage clockImage;
        wizards::CBannerPlayer bannerPlayer;
        air::AirObjects objects;
        objects.clock = &clockImage;
        objects.banner = &bannerPlayer;

        gStop = false;
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        so.stop = [] { return gStop.load(); };
        so.listening = [&](control::ControlServer& server) {
            // Tests and scripts read the address from this line.
            std::cout << "listening on " << server.url() << (so.server.token.empty() ? "" : " (token required)")
                      << std::endl;
        };
        if (control::RunServe(theApp, engine, fonts, loop, objects, so, why) != 0) {
            std::cerr << "zx serve: " << why << "\n";
            status = 1;
        }
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        theApp.StopHardware();
    }
    if (embedded) ktgsim::UnregisterEmbeddedDevice();
    return status;
}

zx::Register r({"serve",
                "[--home DIR] [--device embedded|HOST:PORT] [--model N] [--listen ADDR:PORT] [--token T] "
                "[--time-scale K]",
                "Live mode headless for a machine without a desktop: the air session with the control interface "
                "(HTTP under /api/v1, server-sent events, the browser panel at /) until Ctrl-C. --listen and "
                "--token default to [Control] Listen (127.0.0.1:8139) and Token; an address other than loopback "
                "needs a token. Port 0 takes a free port; the address is printed as \"listening on URL\".",
                {"home", "device", "model", "listen", "token", "time-scale"},
                serve});

}  // namespace
