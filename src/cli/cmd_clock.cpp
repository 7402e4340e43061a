// zx clock make|info|render|thumbnail|play: clocks made from pictures as the wizard makes them,
// looked into, rendered for given times as the Device would show them, and played.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>

#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "cli/command.h"
#include "ktgsim/offline.h"
#include "pages/device_picture.h"
#include "pages/file_result.h"
#include "pages/png_io.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "wizards/clock_image.h"
#include "wizards/clock_maker.h"

namespace {

using wizards::CClockImage;

// The choice of a step value in seconds (minute's hand) or minutes (hour's hand); -1 when the
// table has no such step.
int stepChoice(const std::string& text) {
    int v = 0;
    if (!zx::ParseNumber(text, 1, 60, v)) return -1;
    for (int i = 0; i < wizards::kClockStepChoices; ++i)
        if (wizards::kClockSteps[i] == v) return i;
    return -1;
}

// A light direction by name or as -1/0/1: left/top 0, center 1, right/bottom 2; -1 otherwise.
int lightChoice(const std::string& text, bool vertical) {
    if (text == "center" || text == "0") return 1;
    if (text == (vertical ? "top" : "left") || text == "-1") return 0;
    if (text == (vertical ? "bottom" : "right") || text == "1") return 2;
    return -1;
}

// A clock file from the command line; a name below the data root may be given as such.
std::string clockPath(const zx::Args& a, const std::string& given) {
    if (auto h = a.get("home"); h && !platform::FileExists(given) && platform::FileExists(app::WithSlash(*h) + given))
        return app::WithSlash(*h) + given;
    return given;
}

// Loads a clock or says why not (exit status 1).
bool loadClock(const std::string& cmd, const std::string& path, CClockImage& clock) {
    const int code = clock.Load(path);
    if (code != pages::FILE_OK) {
        std::cerr << "zx clock " << cmd << ": " << zx::OneLine(app::FileResultText(code, path)) << "\n";
        return false;
    }
    return true;
}

// The settings of the program when --home names its folder (InverseTGA for the pictures).
std::unique_ptr<app::CZentrixApp> settingsOf(const zx::Args& a) {
    auto theApp = std::make_unique<app::CZentrixApp>();
    if (auto h = a.get("home"))
        theApp->InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", *h}));
    return theApp;
}

std::string rectText(int l, int t, int r, int b) {
    char s[64];
    std::snprintf(s, sizeof s, "(%d, %d)-(%d, %d)", l, t, r, b);
    return s;
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char e[8];
            std::snprintf(e, sizeof e, "\\u%04x", c);
            out += e;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

// ---- make -------------------------------------------------------------------------------------

int make(const zx::Args& a) {
    const char* cmd = "zx clock make";
    if (a.positional.size() != 1 && a.positional.size() != 5) {
        std::cerr << cmd << ": give the clock face, or the face, hour's, minute's and second's hand and marker\n";
        return 2;
    }
    const std::string out = a.get("out", "");
    if (out.empty()) {
        std::cerr << cmd << ": --out F.zck is missing\n";
        return 2;
    }
    wizards::ClockSources sources;
    if (a.positional.size() == 5) {
        for (int i = 0; i < wizards::SRC_COUNT; ++i) sources.paths[size_t(i)] = a.positional[size_t(i)];
    } else if (!wizards::AutoFillClockSources(a.positional[0], sources)) {
        std::cerr
            << cmd << ": " << a.positional[0]
            << " does not end in F, H, M, S or C, so the other pictures cannot be named after it; give all five\n";
        return 2;
    }
    wizards::ClockSettings s;
    if (auto v = a.get("minute-step"); v && (s.minuteStep = stepChoice(*v)) < 0) {
        std::cerr << cmd << ": --minute-step takes 1, 2, 5, 12, 15, 30 or 60 (seconds)\n";
        return 2;
    }
    if (auto v = a.get("hour-step"); v && (s.hourStep = stepChoice(*v)) < 0) {
        std::cerr << cmd << ": --hour-step takes 1, 2, 5, 12, 15, 30 or 60 (minutes)\n";
        return 2;
    }
    s.shadows = a.has("shadows");
    s.belowFace = a.has("below-face");
    if (!s.shadows && (a.has("light") || a.has("hand-height") || a.has("different-heights"))) {
        std::cerr << cmd << ": --light, --hand-height and --different-heights go with --shadows\n";
        return 2;
    }
    if (auto v = a.get("light")) {
        const size_t comma = v->find(',');
        s.lightH = comma == std::string::npos ? -1 : lightChoice(v->substr(0, comma), false);
        s.lightV = comma == std::string::npos ? -1 : lightChoice(v->substr(comma + 1), true);
        if (s.lightH < 0 || s.lightV < 0) {
            std::cerr << cmd << ": --light takes H,V: left|center|right,top|center|bottom\n";
            return 2;
        }
    }
    if (auto v = a.get("hand-height")) {
        int n = 0;
        s.handHeight = -1;
        if (zx::ParseNumber(*v, 2, 8, n))
            for (int i = 0; i < 4; ++i)
                if (wizards::kHandHeights[i] == n) s.handHeight = i;
        if (s.handHeight < 0) {
            std::cerr << cmd << ": --hand-height takes 2, 4, 6 or 8\n";
            return 2;
        }
    }
    s.differentHeights = a.has("different-heights");

    const auto theApp = settingsOf(a);
    for (int i = 0; i < wizards::SRC_COUNT; ++i)
        std::cout << wizards::kClockSourceNames[i] << ": " << sources.paths[size_t(i)] << "\n";
    CClockImage clock;
    wizards::ClockReport report;
    const bool ok = wizards::MakeClock(sources, s, clock, platform::SystemClock::instance(), report);
    for (const wizards::ClockMessage& w : report.warnings)
        std::cerr << cmd << ": warning: " << zx::OneLine(w.text()) << "\n";
    if (!ok) {
        std::cerr << cmd << ": " << zx::OneLine(report.error.text()) << "\n";
        return 1;
    }
    const int code = clock.Save(out);
    if (code != pages::FILE_OK) {
        std::cerr << cmd << ": " << zx::OneLine(app::FileResultText(code, out)) << "\n";
        return 1;
    }
    const wizards::ClockHeader& h = clock.header();
    std::cout << "Centre (" << h.centreX << ", " << h.centreY << "), radius "
              << wizards::HandRadius(h.centreX, h.centreY) << ", a render takes " << report.renderMs << " ms\nWrote "
              << out << "\n";
    return 0;
}

// ---- info -------------------------------------------------------------------------------------

int info(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx clock info: give one clock file (.zck)\n";
        return 2;
    }
    const std::string path = clockPath(a, a.positional[0]);
    CClockImage clock;
    if (!loadClock("info", path, clock)) return 1;
    const wizards::ClockHeader& h = clock.header();
    const std::vector<uint8_t>& face = clock.face();
    const uint16_t stored = uint16_t(face[0] | face[1] << 8);
    const uint16_t computed = pages::DeviceChecksum(face.data() + 2, face.size() - 2);
    static const char* const kHands[3] = {"second", "minute", "hour"};
    std::ostringstream j;
    j << "{\n  \"file\": " << jsonString(path) << ",\n  \"version\": \"0x00010000\",\n";
    j << "  \"centre\": [" << h.centreX << ", " << h.centreY << "],\n";
    j << "  \"radius\": " << wizards::HandRadius(h.centreX, h.centreY) << ",\n";
    j << "  \"steps\": {\"minute\": {\"choice\": " << int(h.steps[1])
      << ", \"seconds\": " << wizards::kClockSteps[h.steps[1]] << "}, \"hour\": {\"choice\": " << int(h.steps[2])
      << ", \"minutes\": " << wizards::kClockSteps[h.steps[2]] << "}},\n";
    j << "  \"shadows\": " << (h.shadows ? "true" : "false") << ",\n";
    j << "  \"belowFace\": " << (h.belowFace ? "true" : "false") << ",\n";
    j << "  \"hands\": [\n";
    for (int i = 0; i < 3; ++i) {
        const pages::Rect& q = h.hands[i];
        j << "    {\"hand\": \"" << kHands[i] << "\", \"rect\": [" << q.left << ", " << q.top << ", " << q.right << ", "
          << q.bottom << "], \"empty\": " << (q.empty() ? "true" : "false") << ", \"shadow\": [" << h.shadowX[i] << ", "
          << h.shadowY[i] << "]}" << (i < 2 ? "," : "") << "\n";
    }
    char sums[96];
    std::snprintf(sums, sizeof sums, "{\"stored\": \"0x%04X\", \"computed\": \"0x%04X\", \"ok\": %s}", stored, computed,
                  stored == computed ? "true" : "false");
    j << "  ],\n  \"faceChecksum\": " << sums << "\n}\n";
    std::cout << j.str();
    return 0;
}

// ---- render -----------------------------------------------------------------------------------

bool parseTime(const std::string& text, int& h, int& m, int& s) {
    int n = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%d:%d:%d%n%c", &h, &m, &s, &n, &extra) != 3 || size_t(n) != text.size())
        return false;
    return h >= 0 && h <= 23 && m >= 0 && m <= 59 && s >= 0 && s <= 59;
}

// RGBA of the Device's output picture as a 32-bit bitmap (transparency = 255 - alpha).
pages::CBitmap32 toBitmap(const ktgsim::Picture& pic) {
    pages::CBitmap32 out(pic.width, pic.height);
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x) {
            const uint8_t* s = pic.pixel(x, y);
            uint8_t* d = out.pixel(x, y);
            d[pages::PIX_RED] = s[0];
            d[pages::PIX_GREEN] = s[1];
            d[pages::PIX_BLUE] = s[2];
            d[pages::PIX_TRANS] = uint8_t(255 - s[3]);
        }
    return out;
}

int render(const zx::Args& a) {
    const char* cmd = "zx clock render";
    if (a.positional.size() != 1 || !a.get("time") || !a.get("png")) {
        std::cerr << cmd << ": give one clock file, --time H:MM:SS[,...] and --png OUT\n";
        return 2;
    }
    std::vector<std::array<int, 3>> times;
    std::stringstream list(*a.get("time"));
    for (std::string t; std::getline(list, t, ',');) {
        std::array<int, 3> v{};
        if (!parseTime(t, v[0], v[1], v[2])) {
            std::cerr << cmd << ": " << t << " is no time H:MM:SS\n";
            return 2;
        }
        times.push_back(v);
    }
    if (times.empty()) {
        std::cerr << cmd << ": --time names no time\n";
        return 2;
    }
    CClockImage clock;
    if (!loadClock("render", clockPath(a, a.positional[0]), clock)) return 1;
    clock.Prepare();

    // The face into bank 0 (bank 1 cleared), each image into bank 1 as the air frame sends them,
    // the clock's overlay, and the half of the last image shown.
    ktgsim::OfflineDevice device;
    bool sent = device.reset() && device.loadRectData({0, 0, 720, 576}, clock.face().data(), clock.face().size());
    int buffer = 0;
    for (const auto& t : times) {
        buffer = clock.currentBuffer();
        clock.Render(t[0] % 12, t[1], t[2], true);
        const pages::Rect& r = clock.lastRendered();
        const device::Rect& g = clock.target(buffer);
        std::printf("%d:%02d:%02d  buffer %d  area %s  target %s  block %zu bytes\n", t[0], t[1], t[2], buffer,
                    rectText(r.left, r.top, r.right, r.bottom).c_str(),
                    rectText(g.left, g.top, g.right, g.bottom).c_str(), clock.blockSize(buffer));
        sent = sent && device.loadRect(g, clock.block(buffer), clock.blockSize(buffer), device::RECT_OTHER_BANK);
        clock.SwitchBuffer();
    }
    sent = sent && device.inEffect(clock.HandsBelowFace() ? 0x1A01 : 0x0A01, 0x0A0A) &&
           device.setMode(buffer ? wizards::CLOCK_HALF_OFFSET : 0);
    if (!sent) {
        std::cerr << cmd << ": the virtual Device refused a block (a damaged face?)\n";
        return 1;
    }
    ktgsim::Picture pic;
    device.render(pic, ktgsim::Background{});
    pages::CBitmap32 shown = toBitmap(pic);
    const std::string png = *a.get("png");
    if (!pages::WritePng(png, shown)) {
        std::cerr << cmd << ": cannot write " << png << "\n";
        return 1;
    }
    std::cout << "Wrote " << png << ": the Device's output over black\n";
    if (auto layers = a.get("layers-png")) {
        const pages::Rect& r = clock.lastRendered();
        pages::CBitmap32 area;
        area.copyRegion(clock.layer(), r.left, r.top, r.width(), r.height());
        if (area.empty() || !pages::WritePng(*layers, area)) {
            std::cerr << cmd << ": cannot write " << *layers << (area.empty() ? " (nothing was drawn)" : "") << "\n";
            return 1;
        }
        std::cout << "Wrote " << *layers << ": the hands' " << r.width() << " x " << r.height()
                  << " pixels before conversion\n";
    }
    if (auto block = a.get("block")) {
        if (!platform::WriteFileAtomic(*block, clock.block(buffer), clock.blockSize(buffer))) {
            std::cerr << cmd << ": cannot write " << *block << "\n";
            return 1;
        }
        std::cout << "Wrote " << *block << ": the Device block, " << clock.blockSize(buffer) << " bytes\n";
    }
    return 0;
}

// ---- thumbnail, play --------------------------------------------------------------------------

int thumbnail(const zx::Args& a) {
    if (a.positional.size() != 1 || !a.get("png")) {
        std::cerr << "zx clock thumbnail: give one clock file and --png OUT\n";
        return 2;
    }
    const std::string path = clockPath(a, a.positional[0]);
    pages::CBitmap32 thumb;
    const int code = CClockImage::ReadThumbnail(path, thumb);
    if (code != pages::FILE_OK) {
        std::cerr << "zx clock thumbnail: " << zx::OneLine(app::FileResultText(code, path)) << "\n";
        return 1;
    }
    if (!pages::WritePng(*a.get("png"), thumb)) {
        std::cerr << "zx clock thumbnail: cannot write " << *a.get("png") << "\n";
        return 1;
    }
    std::cout << "Wrote " << *a.get("png") << ": " << thumb.width() << " x " << thumb.height() << "\n";
    return 0;
}

int play(const zx::Args& a) {
    // The same as zx play with the clock file.
    for (const zx::Command& c : zx::Commands())
        if (c.name == "play") return c.run(a);
    return 2;
}

zx::Register rMake({"clock make",
                    "FACE [HOUR MINUTE SECOND MARKER] [--minute-step S] [--hour-step M] [--shadows [--light H,V] "
                    "[--hand-height N] [--different-heights]] [--below-face] [--home DIR] --out F.zck",
                    "Make a clock as the clock wizard does: from the face alone the other names are filled in (its "
                    "last letter F, H, M, S or C; BMP files pair with their \"_w\" partner).",
                    {"out", "minute-step", "hour-step", "light", "hand-height", "home"},
                    make});
zx::Register rInfo({"clock info",
                    "F.zck [--home DIR]",
                    "The header of a clock as JSON: centre, radius, steps, hands, shadows, and whether the face's "
                    "checksum holds.",
                    {"home"},
                    info});
zx::Register rRender({"clock render",
                      "F.zck --time H:MM:SS[,...] --png OUT [--layers-png OUT] [--block OUT] [--home DIR]",
                      "Render the hands for the times in turn into the two buffers, print each area and target, and "
                      "write the last picture as the Device shows it, the hands before conversion and the block.",
                      {"time", "png", "layers-png", "block", "home"},
                      render});
zx::Register rThumb({"clock thumbnail",
                     "F.zck --png OUT [--home DIR]",
                     "Write a clock's thumbnail as PNG.",
                     {"png", "home"},
                     thumbnail});
zx::Register rPlay({"clock play",
                    "F.zck [--home DIR] [--duration S] [--snapshots DIR] [--time-scale K] ...",
                    "Play a clock headless: the same as zx play F.zck.",
                    {"home", "device", "model", "snapshots", "loops", "duration", "time-scale"},
                    play});

}  // namespace
