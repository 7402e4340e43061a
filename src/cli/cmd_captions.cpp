// zx captions: a titles file listed, one caption rendered into its box as a picture, and Captions
// mode played headless on the embedded virtual Device or a Device at an address.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "air/air_session.h"
#include "air/captions.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "cli/command.h"
#include "cli/run_helpers.h"
#include "demo/caption_playout.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "device/parallel_port_driver.h"
#include "ktgsim/embedded.h"
#include "ktgsim/picture.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/png_io.h"
#include "platform/event_loop.h"
#include "platform/files.h"

namespace {

std::atomic<bool> gInterrupted{false};
void onInterrupt(int) { gInterrupted.store(true); }

bool timeBaseOption(const zx::Args& a, const char* who, int& out) {
    if (auto t = a.get("time-base"); t && !zx::ParseNumber(*t, 0, int(air::CAPTION_TIME_BASE_MAX), out)) {
        std::cerr << who << ": --time-base takes 0 to " << air::CAPTION_TIME_BASE_MAX << "\n";
        return false;
    }
    return true;
}

int list(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx captions list: give one titles file\n";
        return 2;
    }
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    int timeBase = air::LoadCaptionSettings(theApp.profile()).timeBase;
    if (!timeBaseOption(a, "zx captions list", timeBase)) return 2;
    const std::string file = zx::UnderHome(a, a.positional[0]);
    air::CaptionList captions;
    if (air::ReadCaptionsFile(file, captions) != pages::FILE_OK) {
        std::cerr << "zx captions list: " << zx::OneLine(app::FileResultText(pages::FILE_OPEN_ERROR, file)) << "\n";
        return 1;
    }
    for (size_t i = 0; i < captions.size(); ++i) {
        char head[48];
        std::snprintf(head, sizeof head, "%4zu %7u ms  ", i + 1,
                      unsigned(air::CCaptions::ShowTimeOf(captions[i], timeBase)));
        std::cout << head << demo::CaptionLine(captions[i], theApp.settings().codePage) << "\n";
    }
    std::cout << captions.size() << " captions\n";
    return 0;
}

int render(const zx::Args& a) {
    if (a.positional.size() != 2 || !a.get("png")) {
        std::cerr << "zx captions render: give the caption page, the titles file, --index N and --png OUT\n";
        return 2;
    }
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    theApp.profile().beginBatch();  // nothing this command does is written back
    int index = 1;
    if (auto n = a.get("index"); n && !zx::ParseNumber(*n, 1, 1000000000, index)) {
        std::cerr << "zx captions render: --index takes a caption number, 1 for the first\n";
        return 2;
    }
    int timeBase = air::LoadCaptionSettings(theApp.profile()).timeBase;
    if (!timeBaseOption(a, "zx captions render", timeBase)) return 2;
    pages::CFontManager fonts;
    fonts.setFolder(theApp.GetPath(app::FOLDER_FONTS));
    fonts.Enumerate();
    air::CCaptions captions(theApp, fonts);
    captions.SetTimeBase(timeBase);
    const std::string page = zx::UnderHome(a, a.positional[0]), titles = zx::UnderHome(a, a.positional[1]);
    int code = captions.OpenPage(page);
    if (code != pages::FILE_OK) {
        std::cerr << "zx captions render: "
                  << (code == air::IDS_NO_FRAMES ? page + ": " + app::LoadString(code)
                                                 : zx::OneLine(app::FileResultText(code, page)))
                  << "\n";
        return 1;
    }
    code = captions.LoadCaptions(titles);
    if (code != pages::FILE_OK) {
        std::cerr << "zx captions render: "
                  << (code == air::IDS_CAPTIONS_EMPTY ? titles + ": " + app::LoadString(code)
                                                      : zx::OneLine(app::FileResultText(code, titles)))
                  << "\n";
        return 1;
    }
    if (index > int(captions.list().size())) {
        std::cerr << "zx captions render: " << titles << " has " << captions.list().size() << " captions\n";
        return 1;
    }
    captions.Render(index - 1);
    const air::CaptionState& s = captions.state();
    if (!pages::WritePng(*a.get("png"), s.captionBitmap.view())) {
        std::cerr << "zx captions render: cannot write " << *a.get("png") << "\n";
        return 1;
    }
    std::cout << "caption " << index << ", " << s.showTime << " ms, box " << s.captionRect.left << ","
              << s.captionRect.top << " " << s.captionRect.right - s.captionRect.left << "x"
              << s.captionRect.bottom - s.captionRect.top << (s.filter ? ", filtered" : "") << ": "
              << demo::CaptionLine(captions.list()[size_t(index - 1)], theApp.settings().codePage) << "\n";
    return 0;
}

int playWith(const zx::Args& a, const demo::CaptionPlayOptions& o, bool embedded, double scale) {
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    // The choices of this run stay in memory: the settings file is left as it was.
    app::Profile& ini = theApp.profile();
    ini.beginBatch();
    theApp.settings().enable = 1;
    const std::string device = a.get("device", "embedded");
    if (embedded) {
        ini.putString(device::kEthernetSection, device::kHostsKey, "");
        ini.putString("Hardware", device::kLptDriverKey, "sim");
        ini.putString("Hardware", device::kLptSocketKey, "");
        device::NetSetLockFolder(theApp.GetPath(app::FOLDER_PROGRAM));
    } else if (theApp.settings().usesLpt()) {
        std::cerr << "zx captions play: model " << theApp.deviceModel().name
                  << " uses the parallel port; a Device at an address needs an Ethernet model\n";
        return 2;
    } else {
        ini.putString(device::kEthernetSection, device::kHostsKey, device);
    }
    air::ScaledClock clock(scale);
    device::CEngine engine{device::CEngine::Options{&clock, device::kStopWaitMs, false}};
    theApp.setDeviceLink(&engine);
    std::cout << "model " << theApp.deviceModel().name << ", Device " << device << "\n";
    theApp.StartHardware();
    if (!engine.isOpen()) {
        std::cerr << "zx captions play: the Device link did not open\n";
        return 1;
    }
    pages::CFontManager fonts;
    fonts.setFolder(theApp.GetPath(app::FOLDER_FONTS));
    fonts.Enumerate();
    platform::EventLoop loop(clock);
    gInterrupted = false;
    demo::CaptionPlayOptions run = o;
    run.interrupted = &gInterrupted;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    int status;
    std::string error;
    {
        demo::CCaptionPlayout playout(theApp, engine, fonts, loop, std::cout);
        if (embedded) playout.setGrabber(zx::GrabEmbeddedDevice);
        status = playout.Run(run, error);
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    theApp.StopHardware();
    if (status != demo::PLAY_OK) {
        std::cerr << "zx captions play: " << error << "\n";
        return 1;
    }
    return 0;
}

int play(const zx::Args& a) {
    if (a.positional.size() != 2) {
        std::cerr << "zx captions play: give the caption page and the titles file\n";
        return 2;
    }
    demo::CaptionPlayOptions o;
    o.page = zx::UnderHome(a, a.positional[0]);
    o.titles = zx::UnderHome(a, a.positional[1]);
    if (a.get("time-base")) {
        o.timeBase = 0;
        if (!timeBaseOption(a, "zx captions play", o.timeBase)) return 2;
    }
    if (auto b = a.get("border"); b && !zx::ParseNumber(*b, 0, int(air::CAPTION_BORDER_MAX), o.border)) {
        std::cerr << "zx captions play: --border takes 0 to " << air::CAPTION_BORDER_MAX << "\n";
        return 2;
    }
    if (a.has("fade")) o.fade = 1;
    if (a.has("fast")) o.fast = 1;
    if (a.has("normal")) o.fast = 0;
    if (auto g = a.get("gap"); g && !zx::ParseNumber(*g, 0u, 3600000u, o.gapMs)) {
        std::cerr << "zx captions play: --gap takes milliseconds, 0 to 3600000\n";
        return 2;
    }
    if (auto f = a.get("first"); f && !zx::ParseNumber(*f, 1, 1000000000, o.first)) {
        std::cerr << "zx captions play: --first takes a caption number, 1 for the first\n";
        return 2;
    }
    if (auto c = a.get("count"); c && !zx::ParseNumber(*c, 1, 1000000000, o.count)) {
        std::cerr << "zx captions play: --count takes a number of captions, 1 or more\n";
        return 2;
    }
    o.snapshots = a.get("snapshots", "");
    double scale = 1;
    if (auto t = a.get("time-scale")) {
        char* end = nullptr;
        scale = std::strtod(t->c_str(), &end);
        if (t->empty() || *end || !(scale >= 1 && scale <= 100)) {
            std::cerr << "zx captions play: --time-scale takes a factor from 1 to 100\n";
            return 2;
        }
    }
    const bool embedded = a.get("device", "embedded") == "embedded";
    if (!embedded && !o.snapshots.empty()) {
        std::cerr << "zx captions play: snapshots come from the embedded Device only\n";
        return 2;
    }
    if (!embedded) return playWith(a, o, false, scale);
    ktgsim::EmbeddedOptions eo;
    eo.timeScale = scale;
    ktgsim::RegisterEmbeddedDevice(std::move(eo));
    const int rc = playWith(a, o, true, scale);
    ktgsim::UnregisterEmbeddedDevice();
    return rc;
}

zx::Register rList({"captions list",
                    "FILE.txt [--time-base N] [--home DIR]",
                    "List the captions of a titles file: number, show time in ms and text (lines joined by \" / \").",
                    {"home", "time-base"},
                    list});

zx::Register rRender({"captions render",
                      "PAGE.zxg FILE.txt --index N --png OUT [--time-base N] [--home DIR]",
                      "Render caption N (1 = the first) into the caption box of the page's first frame, as it goes "
                      "on air, and write the box as a PNG picture.",
                      {"home", "index", "png", "time-base"},
                      render});

zx::Register rPlay({"captions play",
                    "PAGE.zxg FILE.txt [--home DIR] [--device embedded|HOST:PORT] [--time-base N] [--fade] "
                    "[--border N] [--fast|--normal] [--gap MS] [--first N] [--count N] [--snapshots DIR] "
                    "[--time-scale K]",
                    "Captions mode headless: press F2 for each caption in turn (normal mode: GAP ms after the "
                    "caption went off; fast mode: every GAP ms, replacing the caption on air), printing the air "
                    "states and each caption with its show time; with --snapshots, pictures of the program output "
                    "at each state change.",
                    {"home", "device", "time-base", "border", "gap", "first", "count", "snapshots", "time-scale"},
                    play});

}  // namespace
