// zx play: a sequence, a page or a clock played headless through the air controller, on the
// embedded virtual Device or a Device at an address, with pictures of the program output.
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iostream>

#include "air/air_session.h"
#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "cli/command.h"
#include "cli/run_helpers.h"
#include "demo/playout.h"
#include "device/engine.h"
#include "device/link_errors.h"
#include "device/net_transport.h"
#include "device/parallel_port_driver.h"
#include "ktgsim/embedded.h"
#include "ktgsim/picture.h"
#include "output/output.h"
#include "output/paced_clock.h"
#include "pages/font_manager.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "video/playlist.h"
#include "video/remote_cmd.h"
#include "video/video_cmd.h"
#include "video/video_playlist_player.h"
#include "wizards/banner_player.h"
#include "wizards/clock_image.h"

namespace {

std::atomic<bool> gInterrupted{false};  // lock-free: safe in the handler on whichever thread takes it
static_assert(std::atomic<bool>::is_always_lock_free);

void onInterrupt(int) { gInterrupted.store(true); }

int playWith(const zx::Args& a, const std::string& file, bool embedded, double scale, const zx::PlayCue& cue,
             output::PacedClock* pacedClock = nullptr) {
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
    // The video of this run: the file itself, or the one --video names with a sequence or page.
    const std::string ext = platform::ToLowerAscii(platform::ExtensionOfPath(file));
    std::string video = (ext == ".mpg" || ext == ".vid" || ext == ".zxp") ? file : a.get("video", "");
    if (!video.empty() && !platform::FileExists(video) && a.get("home") &&
        platform::FileExists(app::WithSlash(*a.get("home")) + video))
        video = app::WithSlash(*a.get("home")) + video;
    const std::string videoExt = platform::ToLowerAscii(platform::ExtensionOfPath(video));
    const bool videoPlaylist = videoExt == ".vid" || videoExt == ".zxp";
    if (!video.empty() && !videoPlaylist && videoExt != ".mpg") {
        std::cerr << "zx play: --video takes an MPEG file (.mpg) or a video playlist (.vid, .zxp)\n";
        return 2;
    }
    int restoreInput = video::RESTORE_SEIZED_INPUT;
    if (auto r = a.get("restore-input"); r && !zx::ParseNumber(*r, -2, video::kRemoteInputCount - 1, restoreInput)) {
        std::cerr << "zx play: --restore-input takes -2 (what the switcher shows on preview), -1 (the input it "
                     "had) or a source 0-"
                  << video::kRemoteInputCount - 1 << "\n";
        return 2;
    }
    // Players only for video, as many boards as configured (a playlist wants two, a clip one).
    if (video.empty()) theApp.settings().mpeg = 0;
    else if (theApp.settings().mpeg == 0) theApp.settings().mpeg = videoPlaylist ? 2 : 1;
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
    // With a recording in scaled time the program keeps to the Device's pace (see PacedClock).
    air::ScaledClock scaledClock(scale);
    platform::Clock& clock = pacedClock ? static_cast<platform::Clock&>(*pacedClock) : scaledClock;
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
    if (cue)
        o.cue = [&cue, &theApp, &fonts](air::CAirFrame& frame, std::string& why) {
            return cue(theApp, fonts, frame, why);
        };
    o.keepGoing = a.has("keep-going");
    o.videoPlaylist = videoPlaylist;
    o.videoFile = videoPlaylist ? std::string() : video;
    o.videoLoop = a.has("video-loop");
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
    // And its one banner player: banner files, and the banners linked to pages.
    wizards::CBannerPlayer bannerPlayer;
    int status;
    std::string error;
    {
        // Playout without a window does not start the remote-control program (one that runs is
        // used), except for a video playlist, which drives the switcher.
        video::CRemoteCmd remote;
        demo::CPlayout playout(theApp, engine, fonts, loop, std::cout);
        if (embedded) playout.setGrabber(zx::GrabEmbeddedDevice);
        playout.setClock(&clockImage);
        playout.setBanner(&bannerPlayer);
        playout.setRemote(&remote);
        // The players, started as the air frame starts them, at the pace of this run.
        video::CVideoCmd::Options vo;
        if (scale != 1) vo.args = {"--time-scale", std::to_string(scale)};
        video::CVideoCmd players(vo);
        players.SetProgram(theApp.settings().player);
        video::CPlaylist airPlaylist(theApp.GetPath(app::FOLDER_ROOT));
        video::CVideoPlaylistPlayer playlists(theApp, airPlaylist);
        bool launched = false;
        status = demo::PLAY_OK;
        if (!video.empty()) {
            playout.setVideo(&players, &airPlaylist);
            if (videoPlaylist) {
                const int code = playlists.Load(video);
                if (code & 0x100) {
                    error = app::FileResultText(code, video);
                    status = demo::PLAY_FILE_ERROR;
                } else if (code) std::cout << "warning: " << app::FileResultText(code, video) << "\n";
                playlists.SetRestoreInput(restoreInput);
                playlists.ConvertToAir();
                std::cout << "video playlist " << video << ": " << airPlaylist.Track(0).size() << " + "
                          << airPlaylist.Track(1).size() << " clips, " << airPlaylist.Buttons().size()
                          << " switcher buttons, " << airPlaylist.TotalMs() << " ms\n";
                const std::string& rp = theApp.settings().remotePath;
                launched = remote.channel().FindWindow(video::kRemoteTitle) == 0 &&
                           remote.Launch(rp.empty() ? theApp.GetPath(app::FOLDER_ROOT) : rp);
                if (launched && !remote.WaitForWindow(15000)) std::cerr << "zx play: zx-remote did not answer\n";
            }
        }
        if (status == demo::PLAY_OK) status = playout.Run(o, error);
        if (launched) remote.process().Terminate();
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    theApp.StopHardware();
    if (status != demo::PLAY_OK) {
        std::cerr << "zx " << (cue ? "titles play" : "play") << ": " << error << "\n";
        return 1;
    }
    return 0;
}

int play(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx play: give one sequence (.zxs), page (.zxg), clock (.zck), banner (.zxa), MPEG file (.mpg) "
                     "or video playlist (.vid, .zxp)\n";
        return 2;
    }
    std::string file = a.positional[0];
    // A name below the data root may be given as such ("Sequences/Evening show.zxs").
    if (auto h = a.get("home"); h && !platform::FileExists(file) && platform::FileExists(app::WithSlash(*h) + file))
        file = app::WithSlash(*h) + file;
    const std::string ext = platform::ToLowerAscii(platform::ExtensionOfPath(file));
    if (ext != ".zxs" && ext != ".zxg" && ext != ".zck" && ext != ".zxa" && ext != ".mpg" && ext != ".vid" &&
        ext != ".zxp") {
        std::cerr << "zx play: " << file
                  << " is not a sequence (.zxs), a page (.zxg), a clock (.zck), a banner (.zxa), an MPEG file "
                     "(.mpg) or a video playlist (.vid, .zxp)\n";
        return 2;
    }
    return zx::PlayHeadless(a, file, "play", nullptr);
}

}  // namespace

int zx::PlayHeadless(const Args& a, const std::string& file, const char* cmd, const PlayCue& cue) {
    double scale = 1;
    if (auto t = a.get("time-scale")) {
        char* end = nullptr;
        scale = std::strtod(t->c_str(), &end);
        if (t->empty() || *end || !(scale >= 1 && scale <= 100)) {
            std::cerr << "zx " << cmd << ": --time-scale takes a factor from 1 to 100\n";
            return 2;
        }
    }
    const bool embedded = a.get("device", "embedded") == "embedded";
    if (!embedded && a.has("snapshots")) {
        std::cerr << "zx " << cmd
                  << ": snapshots come from the embedded Device only (ktgsim's control interface has "
                     "\"snapshot PATH\" for a Device of its own)\n";
        return 2;
    }
    std::vector<output::SinkOptions> sinks;
    std::string why;
    if (!output::ParseSinks(a.all, sinks, why)) {
        std::cerr << "zx " << cmd << ": " << why << "\n";
        return 2;
    }
    if (!embedded && !sinks.empty()) {
        std::cerr << "zx " << cmd << ": video output comes from the embedded Device only\n";
        return 2;
    }
    if (!embedded) return playWith(a, file, false, scale, cue);
    // The sinks open before the Device starts: one that cannot be written stops the run before it
    // begins. In scaled time a recording takes every frame by field count, so that it has the
    // show's real-time length; a stream drops what it cannot send in time.
    output::Output video;
    for (output::SinkOptions& s : sinks) {
        s.lossless = scale > 1 && s.target.find("://") == std::string::npos;
        if (!video.add(s, ktgsim::kFrameWidth, ktgsim::kFrameHeight, why)) {
            std::cerr << "zx " << cmd << ": " << why << "\n";
            return 1;
        }
    }
    bool paced = false;
    for (const output::SinkOptions& s : sinks) paced = paced || s.lossless;
    output::PacedClock pacedClock(scale);
    ktgsim::EmbeddedOptions eo;
    eo.timeScale = scale;
    ktgsim::RegisterEmbeddedDevice(std::move(eo));
    if (video.size()) {
        video.start();
        ktgsim::SetEmbeddedFieldTap(
            [&video, &pacedClock](uint64_t field, const ktgsim::Picture& pic, bool changed) {
                video.frame(pic.rgba.data(), pic.width, pic.height, field, changed);
                pacedClock.deviceField(field);
            },
            video.fieldsPerFrame());
    }
    int rc = playWith(a, file, true, scale, cue, paced ? &pacedClock : nullptr);
    ktgsim::SetEmbeddedFieldTap(nullptr);
    video.stop();
    for (const output::SinkStats& st : video.stats()) {
        std::cout << "output " << st.target << ": " << st.frames << " frames, " << st.dropped << " dropped, "
                  << st.bytes << " bytes\n";
        if (st.failed) {
            std::cerr << "zx " << cmd << ": " << st.error << "\n";
            if (rc == 0) rc = 1;
        }
    }
    ktgsim::UnregisterEmbeddedDevice();
    return rc;
}

namespace {

zx::Register r(
    {"play",
     "FILE.zxs|FILE.zxg|FILE.zck|FILE.zxa|FILE.mpg|FILE.vid|FILE.zxp [--home DIR] [--device embedded|HOST:PORT] "
     "[--model N] [--snapshots DIR] [--loops N] [--duration S] [--time-scale K] [--keep-going] "
     "[--video FILE.mpg|FILE.vid|FILE.zxp] [--video-loop] [--restore-input N] "
     "[--output FILE|URL [--output-format F|keyfill] [--output-codec C] [--output-background B] "
     "[--output-rate 25|50] [--output-audio silence]]...",
     "Play a sequence, a page, a clock or a banner headless through the air controller, pressing Play itself; "
     "print the air states and the air log; with --snapshots, pictures of the program output at each "
     "state change and every second (a clock: each second it shows); --duration presses Stop after S "
     "seconds on air; with --keep-going a link error is ridden through (the playout starts again once "
     "the Device is back) until every loop has run. Video (an MPEG file or video playlist alone, or --video "
     "with the rest) plays on zx-player stand-ins started as the air frame starts them, a video playlist "
     "with the switcher's zx-remote (started when none runs); their traffic is printed. --restore-input: "
     "the input the switcher gets back (-2 what is on preview, -1 the one it had, else the source). --output sends the "
     "embedded Device's "
     "program output as video, frame by frame, to a recording (.mov with alpha: qtrle, png, prores_aw, prores_ks; "
     ".mp4/.mkv; NAME%06d.png), a stream (udp://HOST:PORT as MPEG-TS, rtmp://) or, with --output-format "
     "keyfill, a fill and a key file; the background is black, none (transparent), #RRGGBB or a PNG file.",
     {"home", "device", "model", "snapshots", "loops", "duration", "time-scale", "video", "restore-input", "output",
      "output-format", "output-codec", "output-background", "output-rate", "output-audio"},
     play});

}  // namespace
