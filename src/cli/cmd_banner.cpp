// zx banner from-video|from-pictures|probe|info|frame|play: TV banners converted as the banner
// wizard converts them, what the converter sees of a source, a banner file looked into (its
// checksums verified), one frame as a picture, and a banner played.
#include <cstdio>
#include <iostream>
#include <memory>

#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "cli/command.h"
#include "pages/device_picture.h"
#include "pages/file_result.h"
#include "pages/png_io.h"
#include "platform/files.h"
#include "wizards/banner_converter.h"
#include "wizards/banner_player.h"

namespace {

std::string json(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20) {
            out += char(c);
        }
    }
    return out + "\"";
}

// A file from the command line; a name below the data root may be given as such.
std::string dataPath(const zx::Args& a, const std::string& given) {
    if (auto h = a.get("home"); h && !platform::FileExists(given) && platform::FileExists(app::WithSlash(*h) + given))
        return app::WithSlash(*h) + given;
    return given;
}

std::unique_ptr<app::CZentrixApp> settingsOf(const zx::Args& a) {
    auto theApp = std::make_unique<app::CZentrixApp>();
    if (auto h = a.get("home"))
        theApp->InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", *h}));
    return theApp;
}

int convert(const zx::Args& a, bool video) {
    const std::string cmd = video ? "zx banner from-video" : "zx banner from-pictures";
    if (a.positional.empty() || (video && a.positional.size() != 1)) {
        std::cerr << cmd << (video ? ": give one video file\n" : ": give the pictures, or one list (.txt)\n");
        return 2;
    }
    const std::string out = a.get("out", "");
    if (out.empty() || !platform::EqualsNoCase(platform::ExtensionOfPath(out), ".zxa")) {
        std::cerr << cmd << ": --out F.zxa is missing\n";
        return 2;
    }
    std::vector<std::string> files;
    for (const std::string& p : a.positional) files.push_back(dataPath(a, p));
    if (video != wizards::IsBannerVideoFile(files[0])) {
        std::cerr << cmd << ": " << files[0]
                  << (video ? " is not a video file (.avi, .mov, .mp4, .mkv, .webm, .gif)\n"
                            : " is a video file: use zx banner from-video\n");
        return 2;
    }
    auto theApp = settingsOf(a);
    wizards::BannerSource source;
    wizards::BannerReport report;
    if (!wizards::OpenBannerSource(files, source, report)) {
        std::cerr << cmd << ": " << zx::OneLine(report.error.text()) << "\n";
        return 1;
    }
    for (const auto& w : report.warnings) std::cerr << cmd << ": warning: " << zx::OneLine(w.text()) << "\n";
    if (const int code = wizards::CheckBannerFrameSize(source.width, source.height)) {
        std::cerr << cmd << ": " << zx::OneLine(wizards::BannerMessage{code, {}}.text()) << " (this one is "
                  << source.width << " x " << source.height << ")\n";
        return 1;
    }
    wizards::BannerOptions o;
    o.fps = int((source.rate100 + 50) / 100);
    o.inverseTGA = a.has("inverse-tga") || theApp->settings().inverseTGA;
    o.loop = a.has("loop");
    o.dither = a.has("dither");
    if (auto v = a.get("fps"); v && !zx::ParseNumber(*v, 1, 1000, o.fps)) {
        std::cerr << cmd << ": --fps takes frames per second (kept to 1..30)\n";
        return 2;
    }
    if ((a.get("x") && !zx::ParseNumber(*a.get("x"), 0, 720, o.x)) ||
        (a.get("y") && !zx::ParseNumber(*a.get("y"), 0, 576, o.y))) {
        std::cerr << cmd << ": --x takes 0..720 and --y 0..576 (kept on the picture)\n";
        return 2;
    }
    if (auto v = a.get("border"); v && !zx::ParseNumber(*v, 0, 14, o.border)) {
        std::cerr << cmd << ": --border takes 0 to 14\n";
        return 2;
    }
    int lastShown = -1;
    const int code = wizards::ConvertBanner(
        source, o, out,
        [&](uint32_t i, uint32_t n, const pages::CBitmap32&) {
            const int percent = int((uint64_t(i) + 1) * 100 / std::max<uint32_t>(1, n));
            if (percent != lastShown) {
                lastShown = percent;
                std::fprintf(stderr, "\r%d %%", percent);
            }
            return true;
        },
        report);
    std::fprintf(stderr, "\n");
    for (const auto& w : report.warnings) std::cerr << cmd << ": warning: " << zx::OneLine(w.text()) << "\n";
    for (const auto& note : report.notes) std::cerr << cmd << ": " << note << "\n";
    if (code != wizards::CONVERT_OK) {
        std::cerr << cmd << ": " << zx::OneLine(report.error.text()) << "\n";
        return 1;
    }
    wizards::CBannerPlayer player;
    if (player.open(out) != 0) {
        std::cerr << cmd << ": " << out << " was written but does not open\n";
        return 1;
    }
    const pages::BannerHeader& h = player.header();
    std::cout << "Wrote " << out << ": " << h.frames << " frames of " << h.width << " x " << h.height << " at (" << h.x
              << ", " << h.y << "), " << h.rate100 / 100 << " per second, "
              << wizards::BannerPlayTime(h.frames, h.rate100) << (player.Loop() ? ", looping" : "") << "\n";
    return 0;
}

int fromVideo(const zx::Args& a) { return convert(a, true); }
int fromPictures(const zx::Args& a) { return convert(a, false); }

int probe(const zx::Args& a) {
    if (a.positional.empty()) {
        std::cerr << "zx banner probe: give a video file, pictures or a list\n";
        return 2;
    }
    std::vector<std::string> files;
    for (const std::string& p : a.positional) files.push_back(dataPath(a, p));
    auto theApp = settingsOf(a);
    wizards::BannerSource s;
    wizards::BannerReport r;
    if (!wizards::OpenBannerSource(files, s, r)) {
        std::cout << "{\"error\": " << r.error.id << ", \"message\": " << json(zx::OneLine(r.error.text())) << "}\n";
        return 1;
    }
    const int size = wizards::CheckBannerFrameSize(s.width, s.height);
    std::cout << "{\"kind\": " << (s.kind == wizards::SOURCE_VIDEO ? "\"video\"" : "\"pictures\"")
              << ", \"frames\": " << s.frames << ", \"rate100\": " << s.rate100 << ", \"width\": " << s.width
              << ", \"height\": " << s.height << ", \"alpha\": " << (s.bitsPerPixel == 32 ? "true" : "false")
              << ", \"play_time\": " << json(wizards::BannerPlayTime(s.frames, s.rate100));
    if (s.kind == wizards::SOURCE_VIDEO)
        std::cout << ", \"container\": " << json(s.videoInfo.container) << ", \"codec\": " << json(s.videoInfo.codec)
                  << ", \"pixel_format\": " << json(s.videoInfo.pixelFormat)
                  << ", \"raw_transparency\": " << (s.videoInfo.rawTransparency ? "true" : "false")
                  << ", \"frames_counted\": " << (s.videoInfo.counted ? "true" : "false");
    else std::cout << ", \"pictures\": " << s.pictures.size();
    std::cout << ", \"size_ok\": " << (size == 0 ? "true" : "false");
    if (size) std::cout << ", \"message\": " << json(zx::OneLine(wizards::BannerMessage{size, {}}.text()));
    for (const auto& w : r.warnings) std::cout << ", \"warning\": " << json(zx::OneLine(w.text()));
    std::cout << "}\n";
    return size == 0 ? 0 : 1;
}

bool openBanner(const zx::Args& a, const char* cmd, wizards::CBannerPlayer& player, std::string& path) {
    path = dataPath(a, a.positional[0]);
    const int code = player.open(path);
    if (code != 0) {
        std::cerr << cmd << ": " << zx::OneLine(app::FileResultText(code, path)) << "\n";
        return false;
    }
    return true;
}

int info(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx banner info: give one banner file\n";
        return 2;
    }
    wizards::CBannerPlayer p;
    std::string path;
    if (!openBanner(a, "zx banner info", p, path)) return 1;
    const pages::BannerHeader& h = p.header();
    std::cout << "{\"frames\": " << h.frames << ", \"rate100\": " << h.rate100 << ", \"width\": " << h.width
              << ", \"height\": " << h.height << ", \"x\": " << h.x << ", \"y\": " << h.y
              << ", \"preview\": " << ((h.flags & pages::BANNER_HAS_PREVIEW) ? "true" : "false")
              << ", \"loop\": " << (p.Loop() ? "true" : "false") << ", \"border\": " << int(h.border)
              << ", \"period_ms\": " << p.FramePeriodMs() << ", \"total_ms\": " << p.TotalMs()
              << ", \"play_time\": " << json(wizards::BannerPlayTime(h.frames, h.rate100))
              << ", \"block_bytes\": " << p.blockSize() << ", \"file_bytes\": " << pages::BannerFileSize(h);
    int bad = 0;
    if (a.has("verify")) {
        std::vector<uint8_t> block;
        std::cout << ", \"bad_checksums\": [";
        for (uint32_t i = 0; i < h.frames; ++i) {
            const bool ok = p.ReadFrame(i, block) && (uint16_t(block[0] | block[1] << 8)) ==
                                                         pages::DeviceChecksum(block.data() + 2, block.size() - 2);
            if (!ok) std::cout << (bad++ ? ", " : "") << i;
        }
        std::cout << "], \"verified\": " << (bad == 0 ? "true" : "false");
    }
    std::cout << "}\n";
    return bad ? 1 : 0;
}

int frame(const zx::Args& a) {
    if (a.positional.size() != 2 || !a.get("png")) {
        std::cerr << "zx banner frame: give a banner file, a frame number and --png OUT\n";
        return 2;
    }
    wizards::CBannerPlayer p;
    std::string path;
    if (!openBanner(a, "zx banner frame", p, path)) return 1;
    uint32_t n = 0;
    if (!zx::ParseNumber(a.positional[1], 0u, p.header().frames - 1, n)) {
        std::cerr << "zx banner frame: the banner has frames 0 to " << p.header().frames - 1 << "\n";
        return 2;
    }
    std::vector<uint8_t> block;
    if (!p.ReadFrame(n, block)) {
        std::cerr << "zx banner frame: frame " << n << " cannot be read\n";
        return 1;
    }
    pages::CBitmap32 picture = pages::FromDevice(block.data(), block.size(), p.Width(), p.Height());
    if (!pages::WritePng(*a.get("png"), picture)) {
        std::cerr << "zx banner frame: cannot write " << *a.get("png") << "\n";
        return 1;
    }
    std::cout << "Wrote " << *a.get("png") << ": frame " << n << ", " << picture.width() << " x " << picture.height()
              << " as the Device shows it\n";
    return 0;
}

int play(const zx::Args& a) {
    for (const zx::Command& c : zx::Commands())
        if (c.name == "play") return c.run(a);
    return 2;
}

const std::vector<std::string> kConvertOptions = {"fps", "x", "y", "border", "out", "home"};

zx::Register rVideo({"banner from-video",
                     "FILE [--fps N] [--x X --y Y] [--border N] [--loop] [--dither] [--inverse-tga] [--home DIR] "
                     "--out F.zxa",
                     "Convert a video (.avi, .mov, .mp4, .mkv, .webm, .gif) into a TV banner as the banner wizard "
                     "does; the progress goes to standard error.",
                     kConvertOptions, fromVideo});
zx::Register rPictures({"banner from-pictures",
                        "FILES...|LIST.txt [--fps N] [--x X --y Y] [--border N] [--loop] [--dither] [--inverse-tga] "
                        "[--home DIR] --out F.zxa",
                        "Convert pictures (BMP, TGA; a BMP pairs with its \"_w\" partner) or a list of them into a TV "
                        "banner as the banner wizard does.",
                        kConvertOptions, fromPictures});
zx::Register rProbe({"banner probe",
                     "FILE|FILES...|LIST.txt [--home DIR]",
                     "What the banner converter sees of a source, as JSON: frames, rate, size, alpha, codec; or its "
                     "message.",
                     {"home"},
                     probe});
zx::Register rInfo({"banner info",
                    "F.zxa [--verify] [--home DIR]",
                    "A banner's header as JSON with its play time and frame period; --verify checks every frame's "
                    "checksum.",
                    {"home"},
                    info});
zx::Register rFrame({"banner frame",
                     "F.zxa N --png OUT [--home DIR]",
                     "Write frame N of a banner as the Device shows it, as PNG.",
                     {"png", "home"},
                     frame});
zx::Register rPlay({"banner play",
                    "F.zxa [--home DIR] [--duration S] [--snapshots DIR] [--time-scale K] ...",
                    "Play a banner headless: the same as zx play F.zxa.",
                    {"home", "device", "model", "snapshots", "loops", "duration", "time-scale"},
                    play});

}  // namespace
