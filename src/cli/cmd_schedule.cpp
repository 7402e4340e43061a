// zx schedule: Automation mode's lists (the scheduled events of schedule.dat and the block
// bindings of binds.dat) shown and changed, the coming occurrences, and Automation mode run
// headless on the embedded virtual Device or a Device at an address.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "air/air_session.h"
#include "air/auto_event.h"
#include "air/block_schedule.h"
#include "app/file_types.h"
#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "cli/command.h"
#include "cli/run_helpers.h"
#include "demo/schedule_playout.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "device/parallel_port_driver.h"
#include "ktgsim/embedded.h"
#include "ktgsim/picture.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "video/remote_cmd.h"
#include "wizards/clock_image.h"

namespace {

std::atomic<bool> gInterrupted{false};
void onInterrupt(int) { gInterrupted.store(true); }

// The lists of a data root as the program reads them, without moving a damaged file aside: the
// command says what is wrong and changes nothing.
struct Lists {
    app::CZentrixApp theApp;
    std::string schedulePath, bindsPath;
    std::vector<air::AutoEvent> events, bindings;
    int keys = 0;

    // False with the message on standard error.
    bool open(const zx::Args& a, const char* who) {
        theApp.InitSettingsOnly(zx::CommandLineOf(a));
        theApp.profile().beginBatch();  // nothing of the settings is written back
        schedulePath = theApp.GetPath(app::FOLDER_ROOT, air::ScheduleFileName(theApp.is400M()));
        bindsPath = theApp.GetPath(app::FOLDER_ROOT, air::BindsFileName(theApp.is400M()));
        keys = theApp.deviceModel().bindings;
        return read(schedulePath, events, who) && read(bindsPath, bindings, who) &&
               (air::PadBindings(bindings, keys), true);
    }
    static bool read(const std::string& path, std::vector<air::AutoEvent>& out, const char* who) {
        const int code = air::ReadEventFile(path, out);
        if (code == pages::FILE_OK) return true;
        std::cerr << who << ": " << zx::OneLine(app::FileResultText(code, path)) << "\n";
        return false;
    }
    static bool save(const std::string& path, const std::vector<air::AutoEvent>& list, const char* who) {
        const int code = air::SaveEventFile(path, list);
        if (code == pages::FILE_OK) return true;
        std::cerr << who << ": " << zx::OneLine(app::FileResultText(code, path)) << "\n";
        return false;
    }
};

// "HH:MM:SS" (the hour 0-23).
bool parseTime(const std::string& s, int& secondOfDay) {
    int h = 0, m = 0, sec = 0, n = 0;
    if (std::sscanf(s.c_str(), "%2d:%2d:%2d%n", &h, &m, &sec, &n) != 3 || size_t(n) != s.size()) return false;
    if (h < 0 || h > 23 || m < 0 || m > 59 || sec < 0 || sec > 59) return false;
    secondOfDay = h * 3600 + m * 60 + sec;
    return true;
}

// "YYYY-MM-DD", a day that exists.
bool parseDate(const std::string& s, air::AutoEvent& e) {
    int y = 0, mo = 0, d = 0, n = 0;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &n) != 3 || size_t(n) != s.size()) return false;
    air::AutoEvent probe;
    probe.onceOnly = 1;
    probe.year = uint16_t(y);
    probe.month = uint8_t(mo);
    probe.day = uint8_t(d);
    if (y < 1 || y > 9999 || !air::EventTimeValid(probe)) return false;
    e.year = probe.year;
    e.month = probe.month;
    e.day = probe.day;
    return true;
}

// "YYYY-MM-DD HH:MM:SS" as civil seconds.
bool parseDateTime(const std::string& s, int64_t& civil) {
    const size_t blank = s.find(' ');
    air::AutoEvent e;
    int sod = 0;
    if (blank == std::string::npos || !parseDate(s.substr(0, blank), e) || !parseTime(s.substr(blank + 1), sod))
        return false;
    civil = air::CivilSeconds(e.year, e.month, e.day, sod);
    return true;
}

// "90", "90s", "15m", "2h".
bool parseDuration(const std::string& s, uint32_t& ms) {
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (s.empty() || end == s.c_str()) return false;
    const std::string unit(end);
    const double k = unit.empty() || unit == "s" ? 1 : unit == "m" ? 60 : unit == "h" ? 3600 : 0;
    if (k == 0 || !(v > 0) || v * k > 7 * 86400) return false;
    ms = uint32_t(v * k * 1000);
    return true;
}

int64_t nowCivil() { return air::CivilSeconds(platform::SystemClock::instance().localTime()); }

// A file named on the command line: as it is when it exists from here, else below the data root
// (or the video folder), where a record stores it.
std::string givenPath(const std::string& name, const std::string& folder) {
    if (name.empty() || name[0] == '/') return name;
    if (platform::FileExists(name)) {
        char* real = realpath(name.c_str(), nullptr);
        if (real) {
            std::string out = real;
            std::free(real);
            return out;
        }
    }
    return folder + name;
}

void printEvent(size_t i, const air::AutoEvent& e) {
    char head[16];
    std::snprintf(head, sizeof head, "%4zu  ", i + 1);
    std::cout << head << air::EventTimeText(e) << "  " << air::EventActionText(e)
              << (e.videoLoop && e.hasVideo() ? " (loop)" : "")
              << (air::EventTimeValid(e) ? "" : " (never: no such time)") << "\n";
}

std::string eventJson(const air::AutoEvent& e) {
    char t[16];
    std::snprintf(t, sizeof t, "%02d:%02d:%02d", e.hour, e.minute, e.second);
    std::string out = "{\"time\": \"" + std::string(t) + "\"";
    if (e.onceOnly) {
        char d[16];
        std::snprintf(d, sizeof d, "%04d-%02d-%02d", e.year, e.month, e.day);
        out += ", \"on\": \"" + std::string(d) + "\"";
    } else {
        out += ", \"weekdays\": " + std::to_string(e.weekdays);
    }
    out += std::string(", \"action\": \"") + (e.active ? "play" : "stop") + "\"";
    out += ", \"file\": " + zx::JsonString(e.fileName) + ", \"video\": " + zx::JsonString(e.videoName);
    out += std::string(", \"loop\": ") + (e.videoLoop ? "true" : "false");
    out += std::string(", \"valid\": ") + (air::EventTimeValid(e) ? "true" : "false") + "}";
    return out;
}

std::string bindingJson(int key, const air::AutoEvent& b) {
    return "{\"key\": " + std::to_string(key) + ", \"bound\": " + (b.active ? "true" : "false") +
           ", \"file\": " + zx::JsonString(b.fileName) + ", \"video\": " + zx::JsonString(b.videoName) +
           ", \"loop\": " + (b.videoLoop ? "true" : "false") +
           ", \"restore_preview\": " + (b.restorePreview ? "true" : "false") + "}";
}

int list(const zx::Args& a) {
    Lists l;
    if (!l.open(a, "zx schedule list")) return 1;
    if (a.has("json")) {
        std::cout << "[";
        for (size_t i = 0; i < l.events.size(); ++i) std::cout << (i ? ",\n " : "") << eventJson(l.events[i]);
        std::cout << "]\n";
        return 0;
    }
    for (size_t i = 0; i < l.events.size(); ++i) printEvent(i, l.events[i]);
    std::cout << l.events.size() << " scheduled events in " << l.schedulePath << "\n";
    return 0;
}

int binds(const zx::Args& a) {
    Lists l;
    if (!l.open(a, "zx schedule binds")) return 1;
    if (a.has("json")) {
        std::cout << "[";
        for (int i = 0; i < l.keys; ++i) std::cout << (i ? ",\n " : "") << bindingJson(i + 1, l.bindings[size_t(i)]);
        std::cout << "]\n";
        return 0;
    }
    for (int i = 0; i < l.keys; ++i) {
        const air::AutoEvent& b = l.bindings[size_t(i)];
        std::printf("%4d  %s%s%s\n", i + 1, b.active ? air::BindingText(b).c_str() : "-",
                    b.active && b.videoLoop && b.hasVideo() ? " (loop)" : "",
                    b.active && b.restorePreview ? " (restore preview)" : "");
    }
    std::cout << l.keys << " item keys (" << l.theApp.deviceModel().name << ")";
    if (l.bindings.size() > size_t(l.keys))
        std::cout << "; " << l.bindings.size() - size_t(l.keys) << " more bindings kept for another model";
    std::cout << "\n";
    return 0;
}

// The names of --file and --video into a record; false with the message.
bool contentOptions(const zx::Args& a, const Lists& l, air::AutoEvent& e, const char* who) {
    const std::string file = givenPath(a.get("file", ""), l.theApp.GetPath(app::FOLDER_ROOT));
    const std::string video = givenPath(a.get("video", ""), l.theApp.GetPath(app::FOLDER_VIDEO));
    air::StoreEventNames(l.theApp.folders(), e, file, video);
    e.videoLoop = a.has("loop") ? 1 : 0;
    if (e.videoLoop && !e.hasVideo()) {
        std::cerr << who << ": --loop goes with --video\n";
        return false;
    }
    if (!e.hasFile() && !e.hasVideo()) {
        std::cerr << who << ": give --file, --video or both\n";
        return false;
    }
    return true;
}

int add(const zx::Args& a) {
    const char* who = "zx schedule add";
    Lists l;
    if (!l.open(a, who)) return 1;
    air::AutoEvent e;
    int sod = 0;
    if (!a.get("at") || !parseTime(*a.get("at"), sod)) {
        std::cerr << who << ": --at takes HH:MM:SS\n";
        return 2;
    }
    e.hour = uint16_t(sod / 3600);
    e.minute = uint8_t(sod / 60 % 60);
    e.second = uint8_t(sod % 60);
    e.weekdays = 127;
    if (a.get("on") && a.has("daily")) {
        std::cerr << who << ": give --on DATE or --daily, not both\n";
        return 2;
    }
    if (auto on = a.get("on")) {
        if (!parseDate(*on, e)) {
            std::cerr << who << ": --on takes a date that exists, YYYY-MM-DD\n";
            return 2;
        }
        e.onceOnly = 1;
    } else if (a.has("daily")) {
        if (auto d = a.get("days")) {
            e.weekdays = 0;
            for (char c : *d) {
                if (c < '1' || c > '7') {
                    std::cerr << who << ": --days takes the digits 1 (Monday) to 7 (Sunday)\n";
                    return 2;
                }
                e.weekdays |= 1 << (c - '1');
            }
        }
    } else {
        std::cerr << who << ": give --on DATE or --daily\n";
        return 2;
    }
    if (a.has("stop")) {
        if (a.get("file") || a.get("video")) {
            std::cerr << who << ": --stop plays nothing; leave out --file and --video\n";
            return 2;
        }
        e.active = 0;
    } else {
        e.active = 1;
        if (!contentOptions(a, l, e, who)) return 2;
    }
    if (air::RefuseEvent(e) == air::EventRefusal::NO_WEEKDAY) {
        std::cerr << who << ": a daily event needs a weekday\n";
        return 2;
    }
    l.events.push_back(e);
    if (!Lists::save(l.schedulePath, l.events, who)) return 1;
    printEvent(l.events.size() - 1, e);
    return 0;
}

// N of a list of count; false with the message.
bool indexArg(const zx::Args& a, size_t count, const char* who, const char* what, size_t& index) {
    int n = 0;
    if (a.positional.size() != 1 || !zx::ParseNumber(a.positional[0], 1, 1000000, n) || size_t(n) > count) {
        std::cerr << who << ": give the number of the " << what << ", 1 to " << count << "\n";
        return false;
    }
    index = size_t(n - 1);
    return true;
}

int remove(const zx::Args& a) {
    const char* who = "zx schedule remove";
    Lists l;
    if (!l.open(a, who)) return 1;
    size_t i = 0;
    if (!indexArg(a, l.events.size(), who, "event", i)) return 2;
    l.events.erase(l.events.begin() + long(i));
    if (!Lists::save(l.schedulePath, l.events, who)) return 1;
    std::cout << l.events.size() << " scheduled events left\n";
    return 0;
}

int bind(const zx::Args& a) {
    const char* who = "zx schedule bind";
    Lists l;
    if (!l.open(a, who)) return 1;
    size_t i = 0;
    if (!indexArg(a, size_t(l.keys), who, "item key", i)) return 2;
    air::AutoEvent b;
    b.active = 1;
    if (!contentOptions(a, l, b, who)) return 2;
    if (a.has("restore-preview")) {
        if (!b.hasVideo() || app::FileTypeOf(b.videoName) != app::FT_VIDEO_PLAYLIST) {
            std::cerr << who << ": --restore-preview goes with a video playlist (.vid)\n";
            return 2;
        }
        b.restorePreview = 1;
    }
    l.bindings[i] = b;
    if (!Lists::save(l.bindsPath, l.bindings, who)) return 1;
    std::printf("%4zu  %s\n", i + 1, air::BindingText(b).c_str());
    return 0;
}

int unbind(const zx::Args& a) {
    const char* who = "zx schedule unbind";
    Lists l;
    if (!l.open(a, who)) return 1;
    size_t i = 0;
    if (!indexArg(a, size_t(l.keys), who, "item key", i)) return 2;
    l.bindings[i].active = 0;
    l.bindings[i].fileName.clear();
    l.bindings[i].videoName.clear();
    if (!Lists::save(l.bindsPath, l.bindings, who)) return 1;
    std::printf("%4zu  -\n", i + 1);
    return 0;
}

int next(const zx::Args& a) {
    const char* who = "zx schedule next";
    Lists l;
    if (!l.open(a, who)) return 1;
    int64_t from = nowCivil();
    if (auto f = a.get("from"); f && !parseDateTime(*f, from)) {
        std::cerr << who << ": --from takes \"YYYY-MM-DD HH:MM:SS\"\n";
        return 2;
    }
    int count = 10;
    if (auto c = a.get("count"); c && !zx::ParseNumber(*c, 1, 100000, count)) {
        std::cerr << who << ": --count takes 1 or more\n";
        return 2;
    }
    for (const air::Occurrence& o : air::UpcomingOccurrences(l.events, from, count)) {
        const air::AutoEvent& e = l.events[size_t(o.index)];
        if (o.play)
            std::cout << "cue " << air::CivilText(o.civil - air::CUE_AHEAD_S).substr(11) << ".."
                      << air::CivilText(o.civil).substr(11) << "  play " << air::CivilText(o.civil);
        else std::cout << "                    stop " << air::CivilText(o.civil);
        std::cout << "  [" << o.index + 1 << "] " << air::EventActionText(e) << "\n";
    }
    return 0;
}

bool pressEmbedded(int code, std::string& why) {
    bool ok = false;
    if (!ktgsim::WithEmbeddedServer([&](ktgsim::Server& s) { ok = s.device().press(code, why); })) {
        why = "the embedded Device does not run";
        return false;
    }
    return ok;
}

int displayEmbedded() {
    int v = -1;
    ktgsim::WithEmbeddedServer([&](ktgsim::Server& s) { v = s.device().display(); });
    return v;
}

int runWith(const zx::Args& a, demo::SchedulePlayOptions& o, bool embedded, double scale, int64_t startMs) {
    const char* who = "zx schedule run";
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    // The choices of this run stay in memory: the settings file is left as it was.
    app::Profile& ini = theApp.profile();
    ini.beginBatch();
    if (auto m = a.get("model")) {
        int model = 0;
        if (!zx::ParseNumber(*m, 0, app::kModelCount - 1, model)) {
            std::cerr << who << ": --model takes 0 to " << app::kModelCount - 1 << "\n";
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
        device::NetSetLockFolder(theApp.GetPath(app::FOLDER_PROGRAM));
    } else if (theApp.settings().usesLpt()) {
        std::cerr << who << ": model " << theApp.deviceModel().name
                  << " uses the parallel port; a Device at an address needs an Ethernet model (--model)\n";
        return 2;
    } else {
        ini.putString(device::kEthernetSection, device::kHostsKey, device);
    }
    air::ScaledClock clock(scale, startMs);
    device::CEngine engine{device::CEngine::Options{&clock, device::kStopWaitMs, false}};
    theApp.setDeviceLink(&engine);
    std::cout << "model " << theApp.deviceModel().name << ", Device " << device << "\n";
    theApp.StartHardware();
    if (!engine.isOpen()) {
        std::cerr << who << ": the Device link did not open\n";
        return 1;
    }
    pages::CFontManager fonts;
    fonts.setFolder(theApp.GetPath(app::FOLDER_FONTS));
    fonts.Enumerate();
    platform::EventLoop loop(clock);
    wizards::CClockImage clockImage;
    gInterrupted = false;
    o.interrupted = &gInterrupted;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    int status;
    std::string error;
    {
        // A headless run does not start the remote-control program; one that runs is used.
        video::CRemoteCmd remote;
        demo::CSchedulePlayout playout(theApp, engine, fonts, loop, std::cout);
        playout.setClock(&clockImage);
        playout.setRemote(&remote);
        if (embedded) {
            playout.setGrabber(zx::GrabEmbeddedDevice);
            playout.setPresser(pressEmbedded);
            playout.setReplyReader(displayEmbedded);
        }
        status = playout.Run(o, error);
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    theApp.StopHardware();
    if (status != demo::PLAY_OK) {
        std::cerr << who << ": " << error << "\n";
        return 1;
    }
    return 0;
}

int run(const zx::Args& a) {
    const char* who = "zx schedule run";
    demo::SchedulePlayOptions o;
    int64_t start = nowCivil();
    if (auto s = a.get("start"); s && !parseDateTime(*s, start)) {
        std::cerr << who << ": --start takes \"YYYY-MM-DD HH:MM:SS\" (local time)\n";
        return 2;
    }
    if (auto f = a.get("for"); f && !parseDuration(*f, o.durationMs)) {
        std::cerr << who << ": --for takes a duration up to a week: seconds, or 90s, 15m, 2h\n";
        return 2;
    }
    double scale = 1;
    if (auto t = a.get("time-scale")) {
        char* end = nullptr;
        scale = std::strtod(t->c_str(), &end);
        if (t->empty() || *end || !(scale >= 1 && scale <= 100)) {
            std::cerr << who << ": --time-scale takes a factor from 1 to 100\n";
            return 2;
        }
    }
    for (const std::string& p : a.getAll("press")) {
        const size_t at = p.find('@');
        int code = 0, sod = 0;
        if (at == std::string::npos || !zx::ParseNumber(p.substr(0, at), 1, 15, code) ||
            !parseTime(p.substr(at + 1), sod)) {
            std::cerr << who
                      << ": --press takes CODE@HH:MM:SS, a Device key 1-15 (8-15 items 1-8, 6 and 7 items 9 "
                         "and 10, 1 Play, 2 Pause, 3 Stop)\n";
            return 2;
        }
        // The first such time at or after the start.
        int64_t when = (start / 86400) * 86400 + sod;
        if (when < start) when += 86400;
        o.presses.push_back({code, when});
    }
    o.snapshots = a.get("snapshots", "");
    const bool embedded = a.get("device", "embedded") == "embedded";
    if (!embedded && (!o.snapshots.empty() || !o.presses.empty())) {
        std::cerr << who << ": snapshots and key presses need the embedded Device\n";
        return 2;
    }
    // The local time the run starts at, in the zone of TZ.
    const platform::LocalTime lt = air::CivilTime(start);
    std::tm tm{};
    tm.tm_year = lt.year - 1900;
    tm.tm_mon = lt.month - 1;
    tm.tm_mday = lt.day;
    tm.tm_hour = lt.hour;
    tm.tm_min = lt.minute;
    tm.tm_sec = lt.second;
    tm.tm_isdst = -1;
    const int64_t startMs = int64_t(std::mktime(&tm)) * 1000;
    if (!embedded) return runWith(a, o, false, scale, startMs);
    ktgsim::EmbeddedOptions eo;
    eo.timeScale = scale;
    ktgsim::RegisterEmbeddedDevice(std::move(eo));
    const int rc = runWith(a, o, true, scale, startMs);
    ktgsim::UnregisterEmbeddedDevice();
    return rc;
}

zx::Register rList({"schedule list",
                    "[--home DIR] [--400m] [--json]",
                    "List Automation mode's scheduled events (schedule.dat): number, time with its date or weekdays, "
                    "and what it plays or \"Stop playback\".",
                    {"home"},
                    list});

zx::Register rBinds({"schedule binds",
                     "[--home DIR] [--400m] [--json]",
                     "List the block bindings (binds.dat): what each of the model's item keys cues.",
                     {"home"},
                     binds});

zx::Register rAdd({"schedule add",
                   "--at HH:MM:SS (--on YYYY-MM-DD | --daily [--days 1234567]) (--stop | [--file F] [--video V "
                   "[--loop]]) [--home DIR] [--400m]",
                   "Add a scheduled event: once on a date or daily on weekdays (1 Monday ... 7 Sunday), playing a "
                   "sequence, clock or macro (below the data root) and/or a video (below the video folder), or a stop.",
                   {"home", "at", "on", "days", "file", "video"},
                   add});

zx::Register rRemove(
    {"schedule remove", "N [--home DIR] [--400m]", "Remove scheduled event N (1 = the first).", {"home"}, remove});

zx::Register rBind({"schedule bind",
                    "N [--file F] [--video V] [--loop] [--restore-preview] [--home DIR] [--400m]",
                    "Bind item key N to a sequence, clock or macro and/or a video; --restore-preview makes a video "
                    "playlist hand the switcher its preview input back at its end.",
                    {"home", "file", "video"},
                    bind});

zx::Register rUnbind(
    {"schedule unbind", "N [--home DIR] [--400m]", "Clear the binding of item key N.", {"home"}, unbind});

zx::Register rNext({"schedule next",
                    "[--from \"YYYY-MM-DD HH:MM:SS\"] [--count N] [--home DIR] [--400m]",
                    "The coming occurrences in time order (default: the next 10 from now): when each play event is "
                    "cued and played, and when each stop runs.",
                    {"home", "from", "count"},
                    next});

zx::Register rRun({"schedule run",
                   "[--home DIR] [--device embedded|HOST:PORT] [--model N] [--start \"YYYY-MM-DD HH:MM:SS\"] "
                   "[--for DURATION] [--time-scale K] [--press CODE@HH:MM:SS]... [--snapshots DIR]",
                   "Automation mode headless: local time starts at --start (the zone of TZ) and runs K times faster "
                   "for DURATION (default 60 s); the Device's keys are pressed at the given times; every cue, play, "
                   "stop, miss, reply and air-log line is printed, then a summary; exit status 1 on a link or file "
                   "error.",
                   {"home", "device", "model", "start", "for", "time-scale", "press", "snapshots"},
                   run});

}  // namespace
