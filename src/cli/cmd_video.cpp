// zx video: clip lengths, the clip catalogue of the video folder, video playlists (made, shown,
// converted into air playlists), air playlists, and the Hardware dialog's sample-clip check.
#include <iostream>
#include <string>

#include "app/folders.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "cli/command.h"
#include "pages/file_result.h"
#include "platform/files.h"
#include "video/clip_probe.h"
#include "video/playlist.h"
#include "video/remote_cmd.h"
#include "video/sample_clip.h"
#include "video/video_cmd.h"
#include "video/video_library.h"
#include "video/video_playlist.h"
#include "video/video_playlist_player.h"

namespace {

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

struct App {
    explicit App(const zx::Args& a) : boxes(&std::cerr) {
        app.InitSettingsOnly(zx::CommandLineOf(a));
        app::SetMessageBoxes(&boxes);
    }
    ~App() { app::SetMessageBoxes(nullptr); }
    std::string videoFolder() const { return app.GetPath(app::FOLDER_VIDEO); }
    int boards(const zx::Args& a) const {
        int b = std::max(video::ConfiguredBoards(app), 1);
        if (auto v = a.get("boards")) zx::ParseNumber(*v, 1, 2, b);
        return b;
    }
    app::CZentrixApp app;
    app::HeadlessMessageBoxes boxes;
};

int probeCmd(const zx::Args& a) {
    if (a.positional.empty()) {
        std::cerr << "zx video probe: give one or more MPEG files\n";
        return 2;
    }
    int failed = 0;
    for (const std::string& f : a.positional) {
        uint32_t ms = 0;
        const bool byName = video::DurationFromName(f, ms);
        const int code = byName ? video::PROBE_OK : video::ProbeDuration(f, ms);
        if (code == video::PROBE_OK) {
            std::cout << f << ": " << ms << " ms" << (byName ? " (by its name)" : "") << "\n";
        } else {
            std::cout << f << ": " << OneLine(app::LoadString(video::IDS_MPEG_ERROR_BASE + code)) << "\n";
            ++failed;
        }
    }
    return failed ? 1 : 0;
}

void printLibrary(const video::CVideoLibrary& lib) {
    for (const video::LibraryEntry& e : lib.Entries())
        std::cout << video::CVideoPlaylist::FormatDuration(int32_t(e.duration)) << "  " << e.name
                  << (e.fullPath ? " (link)" : "") << (e.description.empty() ? "" : "  " + e.description) << "\n";
    std::cout << lib.Entries().size() << " clips in " << lib.CataloguePath() << "\n";
}

int libraryCmd(const zx::Args& a, bool scan) {
    App z(a);
    video::CVideoLibrary lib(z.videoFolder());
    const int code = scan ? lib.Refresh() : lib.Load();
    if (code & 0x100) {
        std::cerr << "zx video: " << OneLine(app::FileResultText(code, lib.CataloguePath())) << "\n";
        return 1;
    }
    lib.Sort(z.app.profile().getInt("VideoList", "SortMode", 0));
    printLibrary(lib);
    return 0;
}

int loadVid(App& z, const std::string& file, int boards, video::CVideoPlaylist& vid) {
    vid.SetFolder(z.videoFolder());
    const int code = vid.Load(file, {boards, true});
    if (code & 0x100) std::cerr << "zx video: " << OneLine(app::FileResultText(code, file)) << "\n";
    else if (code) std::cout << "warning: " << OneLine(app::FileResultText(code, file)) << "\n";
    return code;
}

int playlistInfoCmd(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx video playlist info: give one video playlist (.vid)\n";
        return 2;
    }
    App z(a);
    video::CVideoPlaylist vid;
    const int boards = z.boards(a);
    if (loadVid(z, a.positional[0], boards, vid) & 0x100) return 1;
    for (size_t i = 0; i < vid.Rows().size(); ++i) {
        const video::VideoRow& r = vid.Rows()[i];
        if (vid.IsClosing(i)) std::cout << "   -           " << video::CVideoPlaylist::TransitionText(r) << "\n";
        else
            std::cout << (i + 1 < 10 ? "   " : "  ") << i + 1 << "  "
                      << video::CVideoPlaylist::FormatDuration(r.duration) << "  " << r.name << "  "
                      << video::CVideoPlaylist::TransitionText(r) << ", " << r.interleave << " ms in, " << r.spacing
                      << " ms apart" << (r.loop ? ", looped" : "")
                      << (r.description.empty() ? "" : "  " + r.description) << "\n";
    }
    std::cout << "Play time" << video::CVideoPlaylist::FormatDuration(vid.Total()) << " with " << boards << " board"
              << (boards == 2 ? "s" : "") << (vid.LogoOff() ? ", the logo off" : "") << "\n";
    return 0;
}

int transitionOf(const std::string& s) {
    for (int i = 0; i < video::kTransitionCount; ++i)
        if (platform::EqualsNoCase(s, video::TransitionButton(i))) return i;
    int v = -1;
    return zx::ParseNumber(s, 0, video::kTransitionCount - 1, v) ? v : -1;
}

int playlistMakeCmd(const zx::Args& a) {
    if (a.positional.size() < 2) {
        std::cerr << "zx video playlist make: give OUT.vid and one or more CLIP[,TRANSITION,INTERLEAVE,SPACING]\n";
        return 2;
    }
    App z(a);
    const int boards = z.boards(a);
    video::CVideoLibrary lib(z.videoFolder());
    lib.Load();
    const app::Profile& ini = z.app.profile();
    const video::RowDefaults d{ini.getInt("VideoList", "DefTransition", 0), ini.getInt("VideoList", "DefTimeIn", 500),
                               ini.getInt("VideoList", "DefTimeOut", 500)};
    video::CVideoPlaylist vid(z.videoFolder());
    vid.Reset(d);
    for (size_t i = 1; i < a.positional.size(); ++i) {
        std::vector<std::string> parts;
        const std::string& clip = a.positional[i];  // CLIP[,TRANSITION,INTERLEAVE,SPACING]
        for (size_t s = 0; s <= clip.size();) {
            const size_t e = std::min(clip.find(',', s), clip.size());
            parts.push_back(clip.substr(s, e - s));
            s = e + 1;
        }
        video::VideoRow row;
        const std::string& name = parts[0];
        const bool full = !name.empty() && name[0] == '/';
        row.name = name;
        row.fullPath = full;
        const int at = lib.Find(name, full);
        uint32_t ms = 0;
        if (at >= 0) {
            row.duration = int32_t(lib.Entries()[size_t(at)].duration);
            row.description = lib.Entries()[size_t(at)].description;
        } else if (const int code = video::ProbeDuration(vid.FullPath(row), ms); code == video::PROBE_OK) {
            row.duration = int32_t(ms / 100 * 100);
        } else {
            std::cerr << "zx video playlist make: " << name << ": "
                      << OneLine(app::LoadString(video::IDS_MPEG_ERROR_BASE + code)) << "\n";
            return 1;
        }
        vid.Add(row, d);
        video::VideoRow& added = vid.Rows()[vid.Rows().size() - 2];
        if (parts.size() > 1 && !parts[1].empty() && (added.transition = transitionOf(parts[1])) < 0) {
            std::cerr << "zx video playlist make: no transition \"" << parts[1] << "\" (CUT, MIX, EFFECT1-EFFECT6)\n";
            return 2;
        }
        if ((parts.size() > 2 && !zx::ParseNumber(parts[2], 0, 600000, added.interleave)) ||
            (parts.size() > 3 && !zx::ParseNumber(parts[3], 0, 600000, added.spacing))) {
            std::cerr << "zx video playlist make: interleave and spacing are ms (0-600000)\n";
            return 2;
        }
    }
    vid.SetLogoOff(a.has("logo-off"));
    vid.UpdateTotal(boards);
    if (const int code = vid.Save(a.positional[0], boards); code) {
        std::cerr << "zx video: " << OneLine(app::FileResultText(code, a.positional[0])) << "\n";
        return 1;
    }
    std::cout << a.positional[0] << ": " << vid.Rows().size() - 1 << " clips, play time"
              << video::CVideoPlaylist::FormatDuration(vid.Total()) << "\n";
    return 0;
}

void printAir(const video::CPlaylist& pl) {
    for (int k = 0; k < 2; ++k)
        for (const air::PlaylistClip& c : pl.Track(k))
            std::cout << "board " << k + 1 << "  " << c.startMs / 1000 << "." << (c.startMs % 1000 < 100 ? "0" : "")
                      << (c.startMs % 1000 < 10 ? "0" : "") << c.startMs % 1000 << "  " << c.file
                      << (c.loop ? " (looped)" : "") << "\n";
    static const char* const kActions[] = {"Push", "On", "Off", "?"};
    for (const air::PlaylistButton& b : pl.Buttons())
        std::cout << "button  " << b.timeMs / 1000 << "." << (b.timeMs % 1000 < 100 ? "0" : "")
                  << (b.timeMs % 1000 < 10 ? "0" : "") << b.timeMs % 1000 << "  " << b.name << " "
                  << kActions[std::clamp(b.action, 0, 3)] << "\n";
    std::cout << pl.Track(0).size() << " + " << pl.Track(1).size() << " clips, " << pl.Buttons().size() << " buttons, "
              << pl.TotalMs() << " ms" << (pl.LogoOff() ? ", the logo off" : "") << "\n";
}

int convertCmd(const zx::Args& a) {
    const auto out = a.get("out");
    if (a.positional.size() != 1 || !out) {
        std::cerr << "zx video convert: give FILE.vid --out FILE.zxp\n";
        return 2;
    }
    App z(a);
    video::CVideoPlaylist vid;
    const int boards = z.boards(a);
    if (loadVid(z, a.positional[0], boards, vid) & 0x100) return 1;
    video::CPlaylist pl(z.app.GetPath(app::FOLDER_ROOT));
    vid.ConvertTo(pl, boards, video::ConfiguredInputs(z.app));
    for (int k = 0; k < 2; ++k)
        for (video::ClipRecord& c : pl.Clips(k)) c = pl.MakeClip(c.path, c.start, c.duration, c.loop);
    if (const int code = pl.Save(*out); code) {
        std::cerr << "zx video: " << OneLine(app::FileResultText(code, *out)) << "\n";
        return 1;
    }
    printAir(pl);
    return 0;
}

int airInfoCmd(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx video air-playlist info: give one air playlist (.zxp)\n";
        return 2;
    }
    App z(a);
    video::CPlaylist pl(z.app.GetPath(app::FOLDER_ROOT));
    const int code = pl.Load(a.positional[0]);
    if (code & 0x100) {
        std::cerr << "zx video: " << OneLine(app::FileResultText(code, a.positional[0])) << "\n";
        return 1;
    }
    if (code) std::cout << "warning: " << OneLine(app::FileResultText(code, a.positional[0])) << "\n";
    printAir(pl);
    return 0;
}

int checkCmd(const zx::Args& a) {
    int board = 0;
    if (a.positional.size() != 1 || !zx::ParseNumber(a.positional[0], 1, 2, board)) {
        std::cerr << "zx video check: give the board, 1 or 2\n";
        return 2;
    }
    App z(a);
    video::SampleCheck check;
    check.board = board - 1;
    check.input = board == 1 ? z.app.settings().mpegInput1 : z.app.settings().mpegInput2;
    if (auto in = a.get("input"); in && !zx::ParseNumber(*in, 1, 16, check.input)) {
        std::cerr << "zx video check: --input takes the switcher input, 1 to 16\n";
        return 2;
    } else if (in) {
        --check.input;
    }
    video::CRemoteCmd remote;
    video::CVideoCmd players;
    players.SetProgram(z.app.settings().player);
    // No window holds the message here: the clip plays to its end first.
    check.holdMs = players.ClipLength(z.videoFolder() + video::kSampleClip);
    const int rc = video::CheckSampleClip(z.app, remote, players, check);
    std::cout << (rc == video::CHECK_OK ? "played" : "failed") << "\n";
    return rc == video::CHECK_OK ? 0 : 1;
}

const char* const kHome = "[--home DIR]";

zx::Register r1(
    {"video probe", "FILE.mpg...", "Print each clip's length: by its name, or from the file.", {}, probeCmd});
zx::Register r2({"video scan",
                 kHome,
                 "Scan the video folder (and the folders and clips links lead to) and write video.dat anew.",
                 {"home"},
                 [](const zx::Args& a) { return libraryCmd(a, true); }});
zx::Register r3({"video catalogue",
                 kHome,
                 "Print the clips of video.dat (scanned first when it holds none), sorted by [VideoList] SortMode.",
                 {"home"},
                 [](const zx::Args& a) { return libraryCmd(a, false); }});
zx::Register r4({"video playlist info",
                 std::string("FILE.vid [--boards N] ") + kHome,
                 "Print a video playlist's rows and play time for the boards configured (or N).",
                 {"home", "boards"},
                 playlistInfoCmd});
zx::Register r5({"video playlist make",
                 std::string("OUT.vid CLIP[,TRANSITION,INTERLEAVE,SPACING]... [--boards N] [--logo-off] ") + kHome,
                 "Make a video playlist: clips of the video folder (or full paths), each with its transition (CUT, "
                 "MIX, EFFECT1-EFFECT6), interleave and spacing in ms ([VideoList] defaults where left out), and "
                 "the closing row.",
                 {"home", "boards"},
                 playlistMakeCmd});
zx::Register r6({"video convert",
                 std::string("FILE.vid --out FILE.zxp [--boards N] ") + kHome,
                 "Convert a video playlist into the air playlist the air frame plays, and print it.",
                 {"home", "out", "boards"},
                 convertCmd});
zx::Register r7({"video air-playlist info",
                 std::string("FILE.zxp ") + kHome,
                 "Print an air playlist as the air frame plays it (effective starts, full paths).",
                 {"home"},
                 airInfoCmd});
zx::Register r8({"video check",
                 std::string("BOARD [--input N] ") + kHome,
                 "The Hardware dialog's Check: test.mpg on the board's player (zx-player), seen on the switcher's "
                 "input N (default MPEG_InputN + 1) through zx-remote, then the switcher handed back.",
                 {"home", "input"},
                 checkCmd});

}  // namespace
