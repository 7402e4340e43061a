// zx itv: interactive systems without a window — what a file holds, a new one from a page (the
// wizard), its settings (the settings sheet), votes counted in simulated time into the
// statistics and the log, and the on-air picture with given counts.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include <unistd.h>

#include <atomic>
#include <csignal>

#include "air/air_session.h"
#include "app/message_boxes.h"
#include "app/profile.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "cli/command.h"
#include "cli/run_helpers.h"
#include "demo/itv_playout.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "device/parallel_port_driver.h"
#include "gsmsim/embedded.h"
#include "interactive/itv_doc.h"
#include "interactive/itv_model.h"
#include "interactive/itv_picture.h"
#include "interactive/itv_votes.h"
#include "interactive/itv_wizard.h"
#include "ktgsim/embedded.h"
#include "ktgsim/picture.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/png_io.h"
#include "phonesim/embedded.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "sms/serial_settings.h"
#include "sms/sms_types.h"

namespace {

using namespace interactive;

// The settings (--home DIR) and the fonts of their Fonts folder.
struct Session {
    app::CZentrixApp theApp;
    pages::CFontManager fonts;
    explicit Session(const zx::Args& a) {
        theApp.InitSettingsOnly(zx::CommandLineOf(a));
        fonts.setFolder(theApp.GetPath(app::FOLDER_FONTS));
        fonts.Enumerate();
    }
    std::string pages() const { return theApp.GetPath(app::FOLDER_PAGES); }
};

int fileError(const char* cmd, int code, const std::string& path) {
    std::cerr << "zx itv " << cmd << ": " << zx::OneLine(app::FileResultText(code, path)) << "\n";
    return 1;
}

int loadDoc(const char* cmd, const zx::Args& a, CITVDoc& doc) {
    if (a.positional.size() != 1) {
        std::cerr << "zx itv " << cmd << ": give one interactive system (.zxi)\n";
        return 2;
    }
    const int code = doc.Load(a.positional[0]);
    return code ? fileError(cmd, code, a.positional[0]) : 0;
}

// ---- info -----------------------------------------------------------------------------------

int info(const zx::Args& a) {
    CITVDoc d;
    if (int rc = loadDoc("info", a, d)) return rc;
    std::ostringstream o;
    o << "{\n  \"answers\": " << d.answers << ",\n  \"fullScale\": " << d.fullScale
      << ",\n  \"absolutePath\": " << (d.absolutePath ? "true" : "false")
      << ",\n  \"page\": " << zx::JsonString(d.pagePath)
      << ",\n  \"fillWholeScale\": " << (d.fillWholeScale ? "true" : "false")
      << ",\n  \"ignoreDuplicates\": " << (d.ignoreDuplicates ? "true" : "false") << ",\n  \"decimals\": " << d.decimals
      << ",\n  \"clockSeconds\": " << (d.clockSeconds ? "true" : "false")
      << ",\n  \"blinkingSeparator\": " << (d.blinkingSeparator ? "true" : "false")
      << ",\n  \"question\": " << zx::JsonString(d.question) << ",\n  \"answerTexts\": [";
    for (int i = 0; i < kItvAnswers; ++i) o << (i ? ", " : "") << zx::JsonString(d.answerTexts[size_t(i)]);
    o << "],\n  \"keywords\": [";
    for (int i = 0; i < kItvAnswers; ++i) o << (i ? ", " : "") << zx::JsonString(d.keywords[size_t(i)]);
    o << "],\n  \"lineTable\": [";
    for (int i = 0; i < kItvAnswers; ++i) o << (i ? ", " : "") << d.lineTable[size_t(i)];
    o << "],\n  \"bindings\": {";
    bool first = true;
    for (int r = 0; r < kItvRows; ++r)
        for (int c = 0; c < kItvColumns; ++c) {
            const std::string& name = d.bindings[size_t(r)][size_t(c)];
            if (name.empty()) continue;
            o << (first ? "\n    " : ",\n    ") << "\"" << r << ":" << c << "\": " << zx::JsonString(name);
            first = false;
        }
    o << (first ? "}" : "\n  }") << "\n}\n";
    std::cout << o.str();
    return 0;
}

// ---- new ------------------------------------------------------------------------------------

// "ROW:COL=FRAME"
bool ParseBind(const std::string& text, int& row, int& col, std::string& frame) {
    const size_t colon = text.find(':'), eq = text.find('=');
    if (colon == std::string::npos || eq == std::string::npos || eq < colon) return false;
    if (!zx::ParseNumber(std::string_view(text).substr(0, colon), 0, kItvRows - 1, row)) return false;
    if (!zx::ParseNumber(std::string_view(text).substr(colon + 1, eq - colon - 1), 0, kItvColumns - 1, col))
        return false;
    frame = text.substr(eq + 1);
    return !frame.empty() && frame.size() <= kItvNameSize;
}

int makeNew(const zx::Args& a) {
    if (a.positional.size() != 1 || !a.get("out")) {
        std::cerr << "zx itv new: give the page (.zxg) and --out FILE.zxi\n";
        return 2;
    }
    Session s(a);
    CITVWizard wizard(s.fonts);
    int answers = 0;
    if (!zx::ParseNumber(a.get("answers", "0"), 0, kItvAnswers, answers)) {
        std::cerr << "zx itv new: --answers takes 0 to 8\n";
        return 2;
    }
    CITVDoc& settings = wizard.settings();
    if (auto v = a.get("full-scale"); v && !zx::ParseNumber(*v, 0, 1000000000, settings.fullScale)) {
        std::cerr << "zx itv new: --full-scale takes a number of votes\n";
        return 2;
    }
    settings.fillWholeScale = a.has("fill");
    settings.ignoreDuplicates = a.has("ignore-duplicates");
    settings.clockSeconds = a.has("seconds");
    settings.blinkingSeparator = a.has("blinking");

    // 1. The page.
    std::string page = a.positional[0];
    if (!platform::FileExists(page) && platform::FileExists(platform::JoinPath(s.pages(), page)))
        page = platform::JoinPath(s.pages(), page);
    wizard.SetAnswers(answers);
    if (const int code = wizard.LoadPage(page, s.pages())) {
        if (code == IDS_ITV_NO_FRAMES) {
            std::cerr << "zx itv new: " << app::LoadString(IDS_ITV_NO_FRAMES) << "\n";
            return 1;
        }
        return fileError("new", code, page);
    }
    // 2, 3. The bindings.
    for (const std::string& b : a.getAll("bind")) {
        int row = 0, col = 0;
        std::string frame;
        if (!ParseBind(b, row, col, frame)) {
            std::cerr << "zx itv new: --bind takes ROW:COL=FRAME (rows 0-6, columns 0-7), not " << b << "\n";
            return 2;
        }
        if (!wizard.Bindable(row, col)) {
            std::cerr << "zx itv new: " << b << ": "
                      << (row == ITV_ROW_OTHER ? "row 6 takes columns 0-3 (question, total, clock, temperature)"
                                               : "the column is past the answers")
                      << "\n";
            return 2;
        }
        if (!wizard.Bind(row, col, frame)) {
            std::cerr << "zx itv new: " << app::FormatText(app::LoadString(IDS_ITV_FRAME_NOT_FOUND), {frame}) << "\n";
            return 1;
        }
    }
    // 4. Finish.
    CITVDoc d;
    std::string twice;
    if (wizard.Finish(d, &twice) == IDS_ITV_DUPLICATE_BINDING) {
        std::cerr << "zx itv new: " << app::FormatText(app::LoadString(IDS_ITV_DUPLICATE_BINDING), {twice}) << "\n";
        return 1;
    }
    const std::string out = *a.get("out");
    if (int code = d.Save(out)) return fileError("new", code, out);
    std::cout << "wrote " << out << ": " << d.answers << " answers, page " << d.pagePath << "\n";
    return 0;
}

// ---- set ------------------------------------------------------------------------------------

// "N=TEXT" with N from 1 to 8.
bool ParseIndexed(const std::string& text, int& index, std::string& value) {
    const size_t eq = text.find('=');
    if (eq == std::string::npos || !zx::ParseNumber(std::string_view(text).substr(0, eq), 1, kItvAnswers, index))
        return false;
    value = text.substr(eq + 1);
    return true;
}

int set(const zx::Args& a) {
    CITVDoc d;
    if (int rc = loadDoc("set", a, d)) return rc;
    auto flag = [&a](const char* name, bool& field) {
        if (auto v = a.get(name)) {
            if (*v != "0" && *v != "1") return false;
            field = *v == "1";
        }
        return true;
    };
    if (auto v = a.get("question")) d.question = *v;
    if (auto v = a.get("full-scale"); v && !zx::ParseNumber(*v, 0, 1000000000, d.fullScale)) {
        std::cerr << "zx itv set: --full-scale takes a number of votes\n";
        return 2;
    }
    if (auto v = a.get("decimals"); v && !zx::ParseNumber(*v, 0, 2, d.decimals)) {
        std::cerr << "zx itv set: --decimals takes 0, 1 or 2\n";
        return 2;
    }
    if (!flag("fill", d.fillWholeScale) || !flag("ignore-duplicates", d.ignoreDuplicates) ||
        !flag("seconds", d.clockSeconds) || !flag("blinking", d.blinkingSeparator)) {
        std::cerr << "zx itv set: the switches take 0 or 1\n";
        return 2;
    }
    for (const auto& [option, value] : a.all) {
        int index = 0;
        std::string text;
        if (option != "answer" && option != "keyword" && option != "line") continue;
        if (!ParseIndexed(value, index, text)) {
            std::cerr << "zx itv set: --" << option << " takes N=VALUE with N from 1 to 8\n";
            return 2;
        }
        if (option == "answer") d.answerTexts[size_t(index - 1)] = text;
        else if (option == "keyword") d.keywords[size_t(index - 1)] = text;
        else if (!zx::ParseNumber(text, 0, kItvAnswers, d.lineTable[size_t(index - 1)])) {
            std::cerr << "zx itv set: --line N=ANSWER takes an answer from 1 to 8, 0 for an unused line\n";
            return 2;
        }
    }
    if (int code = d.Save(a.positional[0])) return fileError("set", code, a.positional[0]);
    return 0;
}

// ---- count ----------------------------------------------------------------------------------

// "YYYY-MM-DDTHH:MM:SS" (or with a blank) in local time.
bool ParseTime(const std::string& text, time_t& out) {
    std::tm tm{};
    char sep = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d%c%d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &sep, &tm.tm_hour,
                    &tm.tm_min, &tm.tm_sec) != 7 ||
        (sep != 'T' && sep != ' '))
        return false;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    out = std::mktime(&tm);
    return out != time_t(-1);
}

void PrintStatistics(const CITVDoc& d, const CVoteCounter& c) {
    for (int i = 0; i < std::clamp(d.answers, 0, kItvAnswers); ++i)
        std::printf("answer %d %-20s %6d  %s\n", i + 1, d.answerTexts[size_t(i)].c_str(), c.votes(i),
                    PercentText(c.percent(i), d.decimals).c_str());
    std::printf("total %d\nlogged %d\nsms %d\n", c.total(), int(c.log().size()), c.smsCount());
}

int count(const zx::Args& a) {
    CITVDoc d;
    if (int rc = loadDoc("count", a, d)) return rc;
    const auto votesFile = a.get("votes");
    if (!votesFile) {
        std::cerr << "zx itv count: give --votes FILE\n";
        return 2;
    }
    time_t start = std::time(nullptr);
    if (auto t = a.get("start"); t && !ParseTime(*t, start)) {
        std::cerr << "zx itv count: --start takes YYYY-MM-DDTHH:MM:SS\n";
        return 2;
    }
    std::ifstream in(*votesFile);
    if (!in) {
        std::cerr << "zx itv count: cannot read " << *votesFile << "\n";
        return 1;
    }
    platform::ManualClock clock(1000, start);
    CVoteCounter counter;
    const VoteRules phone = VoteRules::Of(d);
    VoteRules modem = phone;  // the modem's votes name their answer's index
    for (int i = 0; i < kItvAnswers; ++i) modem.lineTable[size_t(i)] = i + 1;
    counter.setRules(phone);
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream ls(line);
        std::string word;
        if (!(ls >> word) || word[0] == '#') continue;
        CallRecord r;
        bool ok = true;
        if (word == "button") {
            int answer = 0;
            std::string v;
            ok = ls >> v && zx::ParseNumber(v, 1, kItvAnswers, answer);
            r.line = uint8_t(kItvButtonLine + answer);
        } else if (word == "call") {
            std::string v, number;
            int l = 0;
            ok = ls >> v && zx::ParseNumber(v, 1, 8, l);
            ls >> number;
            r.line = uint8_t(l - 1);
            std::snprintf(r.number, sizeof r.number, "%s", number.c_str());
            r.hasNumber = r.number[0] ? 1 : 0;
        } else if (word == "sms") {
            std::string number, text;
            ok = static_cast<bool>(ls >> number);
            std::getline(ls >> std::ws, text);
            sms::SMSRecord rec;
            rec.kind = sms::SMS_KIND_DELIVER;
            std::snprintf(rec.number, sizeof rec.number, "%s", number.c_str());
            std::snprintf(rec.text, sizeof rec.text, "%s", text.c_str());
            rec.textLength = int(std::strlen(rec.text));
            if (ok) {
                counter.countSms();
                if (SmsVote(d, rec, r)) {
                    counter.setRules(modem);
                    counter.Add(r, clock.localTime(), clock.ticks());
                    counter.setRules(phone);
                }
            }
            if (!ok) std::cerr << "zx itv count: line " << n << ": sms NUMBER TEXT\n";
            if (!ok) return 2;
            continue;
        } else if (word == "wait") {
            uint32_t ms = 0;
            std::string v;
            ok = ls >> v && zx::ParseNumber(v, 0u, 86400000u, ms);
            if (ok) {
                clock.advance(ms);
                counter.ForgetOld(clock.ticks(), kItvLastVoteMs);
            }
            if (!ok) std::cerr << "zx itv count: line " << n << ": wait MS\n";
            if (!ok) return 2;
            continue;
        } else {
            ok = false;
        }
        if (!ok) {
            std::cerr << "zx itv count: line " << n << ": button N, call LINE [NUMBER], sms NUMBER TEXT or wait MS\n";
            return 2;
        }
        counter.Add(r, clock.localTime(), clock.ticks());
    }
    PrintStatistics(d, counter);
    if (auto out = a.get("log")) {
        if (!platform::WriteFileAtomic(*out, std::string_view(counter.LogText(d, clock.localTime()))))
            return fileError("count", pages::FILE_SAVE_ERROR, *out);
    }
    return 0;
}

// ---- render ---------------------------------------------------------------------------------

int render(const zx::Args& a) {
    CITVDoc d;
    if (int rc = loadDoc("render", a, d)) return rc;
    const auto png = a.get("png");
    if (!png) {
        std::cerr << "zx itv render: give --png OUT.png\n";
        return 2;
    }
    Session s(a);
    platform::ManualClock clock(1000, std::time(nullptr));
    CVoteCounter counter;
    counter.setRules(VoteRules::Of(d));
    if (auto v = a.get("votes")) {
        std::istringstream list(*v);
        std::string item;
        for (int answer = 1; std::getline(list, item, ','); ++answer) {
            int n = 0;
            if (answer > kItvAnswers || !zx::ParseNumber(item, 0, 10000000, n)) {
                std::cerr << "zx itv render: --votes takes up to eight counts, A,B,...\n";
                return 2;
            }
            CallRecord r;
            r.line = uint8_t(kItvButtonLine + answer);
            for (int i = 0; i < n; ++i) counter.Add(r, clock.localTime(), clock.ticks());
        }
    }
    CITVPicture picture(s.fonts, clock, d, counter);
    picture.showClock = !a.has("no-clock");
    picture.showTemperature = !a.has("no-temperature");
    if (auto t = a.get("temperature"); t && !zx::ParseNumber(*t, -99, 99, picture.temperature)) {
        std::cerr << "zx itv render: --temperature takes -99 to 99\n";
        return 2;
    }
    const std::string page = d.PageFile(s.pages());
    std::string missing;
    const int code = picture.Load(page, &missing);
    if (code == IDS_ITV_FRAME_NOT_FOUND || code == IDS_ITV_NO_FRAMES) {
        std::cerr << "zx itv render: " << app::FormatText(app::LoadString(code), {missing}) << "\n";
        return 1;
    }
    if (code) return fileError("render", code, page);
    picture.PrepareBase();
    picture.Rebuild();
    pages::CBitmap32 out = picture.Composite();
    if (!pages::WritePng(*png, out)) return fileError("render", pages::FILE_SAVE_ERROR, *png);
    std::cout << "total " << counter.total() << "\n";
    return 0;
}

// ---- run ------------------------------------------------------------------------------------

std::atomic<bool> gInterrupted{false};
void onInterrupt(int) { gInterrupted.store(true); }

int run(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx itv run: give one interactive system (.zxi)\n";
        return 2;
    }
    demo::ItvPlayOptions o;
    o.system = zx::UnderHome(a, a.positional[0]);
    double scale = 1;
    if (auto t = a.get("time-scale")) {
        char* end = nullptr;
        scale = std::strtod(t->c_str(), &end);
        if (t->empty() || *end || !(scale >= 1 && scale <= 100)) {
            std::cerr << "zx itv run: --time-scale takes a factor from 1 to 100\n";
            return 2;
        }
    }
    o.timeScale = scale;
    double seconds = 10;
    if (auto f = a.get("for")) {
        char* end = nullptr;
        seconds = std::strtod(f->c_str(), &end);
        if (f->empty() || *end || !(seconds > 0 && seconds <= 86400)) {
            std::cerr << "zx itv run: --for takes seconds, up to a day\n";
            return 2;
        }
    }
    o.forMs = uint32_t(seconds * 1000);
    o.snapshots = a.get("snapshots", "");
    o.log = a.get("log", "");
    const std::string hardware = a.get("hardware", "settings");
    const std::string device = a.get("device", "embedded");
    const bool embedded = device == "embedded";
    if (!embedded && !o.snapshots.empty()) {
        std::cerr << "zx itv run: snapshots come from the embedded Device only\n";
        return 2;
    }

    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    // The choices of this run stay in memory: the settings file is left as it was.
    app::Profile& ini = theApp.profile();
    ini.beginBatch();
    theApp.settings().enable = 1;
    app::Settings& s = theApp.settings();
    const int port = s.itvPortNo;
    if (hardware == "none") {
        s.itv = 0;
    } else if (hardware == "adapter1" || hardware == "adapter2" || hardware == "gsm") {
        s.itv = 1;
        s.itvModel = hardware == "adapter1"   ? ITV_MODEL_ADAPTER1
                     : hardware == "adapter2" ? ITV_MODEL_ADAPTER2
                                              : ITV_MODEL_GSM;
        ini.putString(sms::kSerialSection, sms::SerialKey(port), sms::kSimDevice);
    } else if (hardware == "usb") {
        s.itv = 1;
        s.itvModel = ITV_MODEL_USB;
        ini.putString("Hardware", "VoiceBoardPath", "sim");
    } else if (hardware != "settings") {
        std::cerr << "zx itv run: --hardware takes none, adapter1, adapter2, gsm, usb or settings\n";
        return 2;
    }
    if (embedded) {
        ini.putString(device::kEthernetSection, device::kHostsKey, "");
        ini.putString("Hardware", device::kLptDriverKey, "sim");
        ini.putString("Hardware", device::kLptSocketKey, "");
        device::NetSetLockFolder(theApp.GetPath(app::FOLDER_PROGRAM));
    } else if (theApp.settings().usesLpt()) {
        std::cerr << "zx itv run: model " << theApp.deviceModel().name
                  << " uses the parallel port; a Device at an address needs an Ethernet model\n";
        return 2;
    } else {
        ini.putString(device::kEthernetSection, device::kHostsKey, device);
    }
    // The modem simulator's script keeps pace with the scaled clock.
    std::string scaled;
    const std::string script = sms::SimScriptPath(ini, theApp.GetPath(app::FOLDER_PROGRAM));
    if (s.itv && s.itvModel == ITV_MODEL_GSM && !script.empty() && scale != 1) {
        std::string why;
        scaled = zx::ScaledSimScript(script, scale, "itv", why);
        if (scaled.empty()) {
            std::cerr << "zx itv run: " << why << "\n";
            return 1;
        }
        ini.putString(sms::kSerialSection, sms::kSimScriptKey, scaled);
    }
    std::cout << "hardware " << (s.itv ? std::to_string(s.itvModel) : std::string("none")) << ", port "
              << sms::SerialKey(port) << "\n";
    if (embedded) {
        ktgsim::EmbeddedOptions eo;
        eo.timeScale = scale;
        ktgsim::RegisterEmbeddedDevice(std::move(eo));
    }
    gsmsim::RegisterEmbeddedModem();
    phonesim::SimulatorOptions po;
    po.timeScale = scale;
    phonesim::RegisterEmbeddedAdapter(po);
    int status = 0;
    std::string error;
    {
        air::ScaledClock clock(scale);
        device::CEngine engine{device::CEngine::Options{&clock, device::kStopWaitMs, false}};
        theApp.setDeviceLink(&engine);
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
                demo::CItvPlayout playout(theApp, engine, fonts, loop, std::cout);
                if (embedded) playout.setGrabber(zx::GrabEmbeddedDevice);
                status = playout.Run(o, error);
            }
            std::signal(SIGINT, SIG_DFL);
            std::signal(SIGTERM, SIG_DFL);
        }
        theApp.StopHardware();
    }
    phonesim::UnregisterEmbeddedAdapter();
    gsmsim::UnregisterEmbeddedModem();
    if (embedded) ktgsim::UnregisterEmbeddedDevice();
    if (!scaled.empty()) std::remove(scaled.c_str());
    if (status != demo::PLAY_OK) {
        std::cerr << "zx itv run: " << error << "\n";
        return 1;
    }
    return 0;
}

zx::Register r1({"itv info", "FILE.zxi", "Print an interactive system file as JSON.", {}, info});
zx::Register r2({"itv new",
                 "PAGE.zxg --answers N --bind ROW:COL=FRAME... --out FILE.zxi [--full-scale N] [--fill] "
                 "[--ignore-duplicates] [--seconds] [--blinking] [--home DIR]",
                 "Make an interactive system of a page, as the wizard does.",
                 {"answers", "bind", "out", "full-scale", "home"},
                 makeNew});
zx::Register r3({"itv set",
                 "FILE.zxi [--question T] [--full-scale N] [--fill 0|1] [--ignore-duplicates 0|1] [--decimals N] "
                 "[--seconds 0|1] [--blinking 0|1] [--answer N=T] [--keyword N=T] [--line N=ANSWER]",
                 "Change an interactive system's settings, as the settings sheet does.",
                 {"question", "full-scale", "fill", "ignore-duplicates", "decimals", "seconds", "blinking", "answer",
                  "keyword", "line"},
                 set});
zx::Register r4({"itv count",
                 "FILE.zxi --votes FILE [--start YYYY-MM-DDTHH:MM:SS] [--log OUT.txt]",
                 "Count votes (button N, call LINE [NUMBER], sms NUMBER TEXT, wait MS) in simulated time.",
                 {"votes", "start", "log"},
                 count});
zx::Register r5({"itv render",
                 "FILE.zxi --png OUT.png [--votes A,B,...] [--no-clock] [--no-temperature] [--temperature T] "
                 "[--home DIR]",
                 "Draw the interactive system's on-air picture with given counts.",
                 {"png", "votes", "temperature", "home"},
                 render});
zx::Register r6({"itv run",
                 "FILE.zxi [--home DIR] [--hardware none|adapter1|adapter2|gsm|usb] [--device embedded|HOST:PORT] "
                 "[--snapshots DIR] [--for S] [--log OUT.txt] [--time-scale K]",
                 "The Interactive system headless: the picture on air, the hardware started (the stand-ins inside "
                 "zx), each vote printed as its log line, a snapshot after each flip, the log saved at the end.",
                 {"home", "hardware", "device", "snapshots", "for", "log", "time-scale"},
                 run});

}  // namespace
