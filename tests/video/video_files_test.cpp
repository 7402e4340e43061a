// The air playlist (".zxp"), the video playlist (".vid") and its conversion, and the clip
// catalogue (video.dat): round trips, damaged files, the worked conversions, missing clips.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/message_boxes.h"
#include "pages/file_result.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "video/clip_probe.h"
#include "video/playlist.h"
#include "video/remote_buttons.h"
#include "video/video_library.h"
#include "video/video_playlist.h"

using namespace video;

namespace {

std::vector<std::string> Events(const CPlaylist& pl) {
    std::vector<std::string> out;
    for (const ButtonEvent& b : pl.Events())
        out.push_back(std::to_string(b.time) + " " + b.name +
                      (b.action == REMOTE_ON    ? " On"
                       : b.action == REMOTE_OFF ? " Off"
                                                : ""));
    return out;
}

VideoRow Row(const std::string& name, int32_t duration, int transition, int32_t interleave, int32_t spacing) {
    VideoRow r;
    r.name = name;
    r.duration = duration;
    r.transition = transition;
    r.interleave = interleave;
    r.spacing = spacing;
    return r;
}

// Two clips (MIX into the first, EFFECT1 with CLOCK On into the second) and the closing row (a
// CUT with CLOCK Off).
CVideoPlaylist News(const std::string& folder) {
    CVideoPlaylist p(folder);
    p.Rows() = {Row("a.mpg", 10000, TRANSITION_MIX, 500, 500), Row("b.mpg", 8000, 2, 1000, 400),
                Row("", 0, TRANSITION_CUT, 50, 500)};
    p.Rows()[1].extras = {5, 0, 0};
    p.Rows()[2].extras = {6, 0, 0};
    p.SetLogoOff(true);
    return p;
}

void Touch(const std::string& path) { ASSERT_TRUE(zxtest::WriteText(path, "")); }

}  // namespace

// ---- The video playlist -------------------------------------------------------------------

TEST(VideoPlaylist, TwoBoardsAlternateWithTheirTransitionsAndTheClosingRowAddsNoInputNorClip) {
    CVideoPlaylist vid = News("/v/");
    CPlaylist air("/root/");
    vid.ConvertTo(air, 2, {7, 6});
    // 10 + 8 s, less the 1 s overlap; the closing row's interleave was raised to its minimum.
    EXPECT_EQ(vid.Total(), 17000);
    EXPECT_EQ(air.TotalMs(), 17000u);
    EXPECT_EQ(vid.Rows()[2].interleave, 100);
    EXPECT_TRUE(air.LogoOff());
    EXPECT_EQ(Events(air), (std::vector<std::string>{"200 AUTO", "200 MIX", "200 IN8", "9150 AUTO", "9150 EFFECT1",
                                                     "9150 IN7", "9150 CLOCK On", "16900 CUT", "16900 CLOCK Off"}));
    ASSERT_EQ(air.Clips(0).size(), 1u);
    ASSERT_EQ(air.Clips(1).size(), 1u);
    EXPECT_EQ(air.Clips(0)[0], (ClipRecord{0, 10000, "/v/a.mpg", true, false}));
    EXPECT_EQ(air.Clips(1)[0], (ClipRecord{9000, 8000, "/v/b.mpg", true, false}));
    // Full paths as they are, for the players.
    EXPECT_EQ(air.Track(1).front().file, "/v/b.mpg");
    EXPECT_EQ(air.Track(1).front().startMs, 9000u);
}

TEST(VideoPlaylist, OneBoardCutsBetweenClipsAndFreezesAroundEachChange) {
    CVideoPlaylist vid = News("/v/");
    CPlaylist air;
    vid.ConvertTo(air, 1, {7, 6});
    EXPECT_EQ(vid.Total(), 18400);  // 10 s, 0.4 s apart, 8 s
    EXPECT_EQ(vid.Rows()[1].transition, TRANSITION_CUT);
    EXPECT_EQ(vid.Rows()[0].transition, TRANSITION_MIX);  // the first keeps its own
    EXPECT_EQ(Events(air), (std::vector<std::string>{"200 AUTO", "200 MIX", "200 IN8", "9800 FREEZE", "9800 CLOCK On",
                                                     "10600 FREEZE", "18300 CUT", "18300 CLOCK Off"}));
    ASSERT_EQ(air.Clips(0).size(), 2u);
    EXPECT_TRUE(air.Clips(1).empty());
    EXPECT_EQ(air.Clips(0)[1].start, 10400);
}

TEST(VideoPlaylist, ConversionTimesAreClampedAtZeroAndStayInTimeOrder) {
    // A second clip that overlaps more than the first lasts: its start and transition would
    // come before the playout began.
    CVideoPlaylist vid;
    vid.Rows() = {Row("a.mpg", 200, TRANSITION_CUT, 100, 0), Row("b.mpg", 3000, 2, 2000, 0), Row("", 0, 0, 100, 0)};
    CPlaylist air;
    vid.ConvertTo(air, 2, {0, 1});
    for (size_t i = 0; i < air.Events().size(); ++i) {
        EXPECT_GE(air.Events()[i].time, 0);
        if (i) {
            EXPECT_LE(air.Events()[i - 1].time, air.Events()[i].time);
        }
    }
    EXPECT_EQ(air.Clips(1)[0].start, 0);
    // The last button (the hand-back) fires: closing at 1200 - 100.
    EXPECT_EQ(air.Events().back().time, 1100);
    EXPECT_EQ(air.Events().back().name, "CUT");
}

TEST(VideoPlaylist, RoundTripsAndReportsDamage) {
    zxtest::TempDir dir;
    Touch(dir.file("a.mpg"));
    Touch(dir.file("b.mpg"));
    CVideoPlaylist vid = News(dir.path());
    vid.Rows()[0].loop = true;
    vid.Rows()[1].fullPath = true;
    vid.Rows()[1].name = dir.file("b.mpg");
    vid.Rows()[1].description = "the weather";
    vid.UpdateTotal(2);  // as a load leaves it
    ASSERT_EQ(vid.Save(dir.file("p.vid"), 2), pages::FILE_OK);
    CVideoPlaylist back(dir.path());
    EXPECT_EQ(back.Load(dir.file("p.vid"), {}), pages::FILE_OK);
    EXPECT_EQ(back.Rows(), vid.Rows());
    EXPECT_TRUE(back.LogoOff());

    std::vector<uint8_t> bytes = vid.Serialize(2);
    ASSERT_EQ(bytes.size(), kVideoHeaderBytes + 3 * kVideoRowBytes);
    EXPECT_EQ(back.Load(dir.file("missing.vid"), {}), pages::FILE_OPEN_ERROR);
    auto parse = [&](std::vector<uint8_t> b) {
        CVideoPlaylist p = back;
        const int rc = p.Parse(b);
        if (rc) {
            EXPECT_EQ(p.Rows(), back.Rows()) << "memory touched";
        }
        return rc;
    };
    auto damaged = bytes;
    damaged[0] = 'Y';
    EXPECT_EQ(parse(damaged), pages::FILE_FORMAT_ERROR);
    damaged = bytes;
    damaged[6] = 2;
    EXPECT_EQ(parse(damaged), pages::FILE_VERSION_ERROR);
    damaged = bytes;
    damaged[12] = 4;  // one row more than the file holds
    EXPECT_EQ(parse(damaged), pages::FILE_FORMAT_ERROR);
    damaged = bytes;
    damaged[15] = 0x80;
    EXPECT_EQ(parse(damaged), pages::FILE_FORMAT_ERROR);
    EXPECT_EQ(parse({bytes.begin(), bytes.begin() + 100}), pages::FILE_FORMAT_ERROR);
    damaged = bytes;
    std::fill(damaged.begin() + kVideoHeaderBytes, damaged.begin() + kVideoHeaderBytes + 260, 'x');  // no NUL
    EXPECT_EQ(parse(damaged), pages::FILE_FORMAT_ERROR);
    // An unknown transition plays as a cut, an unknown extra command as none.
    damaged = bytes;
    damaged[kVideoHeaderBytes + 328] = 9;
    damaged[kVideoHeaderBytes + 348] = 9;
    CVideoPlaylist odd;
    ASSERT_EQ(odd.Parse(damaged), pages::FILE_OK);
    EXPECT_EQ(odd.Rows()[0].transition, TRANSITION_CUT);
    EXPECT_EQ(odd.Rows()[0].extras[0], 0);
}

TEST(VideoPlaylist, OtherBoardsWarnWhenAskedAndDeletedClipsAreDropped) {
    zxtest::TempDir dir;
    Touch(dir.file("a.mpg"));
    Touch(dir.file("b.mpg"));
    app::HeadlessMessageBoxes boxes;
    app::SetMessageBoxes(&boxes);
    const CVideoPlaylist vid = News(dir.path());
    ASSERT_EQ(vid.Save(dir.file("p.vid"), 2), pages::FILE_OK);
    CVideoPlaylist p(dir.path());
    EXPECT_EQ(p.Load(dir.file("p.vid"), {1, false}), pages::FILE_OK);
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(p.Load(dir.file("p.vid"), {1, true}), pages::FILE_OK);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_NE(boxes.lastText().find("different"), std::string::npos);
    EXPECT_EQ(boxes.lastStyle() & app::MB_ICONMASK, unsigned(app::MB_ICONWARNING));
    EXPECT_EQ(p.Rows().size(), 3u);  // kept
    EXPECT_EQ(p.Total(), 18400);     // as one board plays it

    ASSERT_EQ(::unlink(dir.file("a.mpg").c_str()), 0);
    EXPECT_EQ(p.Load(dir.file("p.vid"), {2, true}), FILE_MISSING_CLIPS);
    ASSERT_EQ(p.Rows().size(), 2u);
    EXPECT_EQ(p.Rows()[0].name, "b.mpg");
    EXPECT_TRUE(p.IsClosing(1));
    app::SetMessageBoxes(nullptr);
}

TEST(VideoPlaylist, EditingKeepsTheClosingRowLast) {
    CVideoPlaylist p;
    const RowDefaults d{TRANSITION_MIX, 600, 700};
    p.Reset(d);
    ASSERT_EQ(p.Rows().size(), 1u);
    EXPECT_EQ(p.Rows()[0], Row("", 0, TRANSITION_MIX, 600, 700));
    p.Add(Row("a.mpg", 1000, 0, 0, 0), d);
    p.Add(Row("b.mpg", 2000, 0, 0, 0), d);
    ASSERT_EQ(p.Rows().size(), 3u);
    EXPECT_EQ(p.Rows()[1].name, "b.mpg");
    EXPECT_EQ(p.Rows()[1].interleave, 600);
    EXPECT_FALSE(p.MoveUp(0));
    EXPECT_FALSE(p.MoveUp(2));    // the closing row
    EXPECT_FALSE(p.MoveDown(1));  // just above the closing row
    EXPECT_TRUE(p.MoveDown(0));
    EXPECT_EQ(p.Rows()[0].name, "b.mpg");
    EXPECT_TRUE(p.MoveUp(1));
    EXPECT_EQ(p.Rows()[0].name, "a.mpg");
    EXPECT_FALSE(p.RemoveRow(2));
    EXPECT_EQ(p.RemoveClip("a.mpg", false), 1u);
    EXPECT_TRUE(p.IsClosing(1));
    EXPECT_EQ(CVideoPlaylist::FormatDuration(65300), "   1:05.3");
    VideoRow r = Row("x", 0, 3, 0, 0);
    r.extras = {1, 8, 0};
    EXPECT_EQ(CVideoPlaylist::TransitionText(r), "EFFECT2 [LOGO1 ON] [THERMO OFF]");
}

// ---- The air playlist ---------------------------------------------------------------------

TEST(AirPlaylist, RoundTripsAndDamageLeavesItAsItWas) {
    zxtest::TempDir dir;
    Touch(dir.file("Video/a.mpg"));
    CPlaylist pl(dir.path());
    pl.AddClip(0, pl.MakeClip(dir.file("Video/a.mpg"), 0, 5000, true));
    pl.AddClip(1, pl.MakeClip(dir.file("Video/a.mpg"), 2000, 5000, false));
    pl.AddButton({100, "IN8", REMOTE_PUSH});
    pl.AddButton({0, "LOGO1", REMOTE_OFF});
    pl.SetLogoOff(true);
    EXPECT_EQ(pl.Clips(0)[0].path, "Video/a.mpg");  // below the data root: relative
    EXPECT_FALSE(pl.Clips(0)[0].absolute);
    ASSERT_EQ(pl.Save(dir.file("p.zxp")), pages::FILE_OK);
    CPlaylist back(dir.path());
    ASSERT_EQ(back.Load(dir.file("p.zxp")), pages::FILE_OK);
    EXPECT_EQ(back.Clips(0), pl.Clips(0));
    EXPECT_EQ(back.Clips(1), pl.Clips(1));
    EXPECT_EQ(back.Events(), pl.Events());
    EXPECT_TRUE(back.LogoOff());

    const std::vector<uint8_t> bytes = pl.Serialize();
    ASSERT_EQ(bytes.size(), kPlaylistHeaderBytes + 2 * kClipRecordBytes + 2 * kButtonEventBytes);
    auto parse = [&](std::vector<uint8_t> b) {
        CPlaylist p = back;
        const int rc = p.Parse(b);
        if (rc) {
            EXPECT_EQ(p.Events(), back.Events()) << "memory touched";
        }
        return rc;
    };
    auto damaged = bytes;
    damaged[3] = 'M';
    EXPECT_EQ(parse(damaged), pages::FILE_FORMAT_ERROR);
    damaged = bytes;
    damaged[4] = 1;
    EXPECT_EQ(parse(damaged), pages::FILE_VERSION_ERROR);
    for (size_t at : {8, 12, 16}) {
        damaged = bytes;
        damaged[at + 3] = 0x10;  // a count beyond the file
        EXPECT_EQ(parse(damaged), pages::FILE_FORMAT_ERROR) << at;
    }
    damaged = bytes;
    std::fill(damaged.begin() + 64 + 8, damaged.begin() + 64 + 268, 'x');  // a path without its end
    EXPECT_EQ(parse(damaged), pages::FILE_FORMAT_ERROR);
    damaged = bytes;
    std::fill(damaged.end() - 60, damaged.end() - 28, 'x');  // a button name without its end
    EXPECT_EQ(parse(damaged), pages::FILE_FORMAT_ERROR);
    EXPECT_EQ(back.Load(dir.file("none.zxp")), pages::FILE_OPEN_ERROR);

    ASSERT_EQ(::unlink(dir.file("Video/a.mpg").c_str()), 0);
    EXPECT_EQ(back.Load(dir.file("p.zxp")), FILE_MISSING_CLIPS);
    EXPECT_TRUE(back.Clips(0).empty());
    EXPECT_EQ(back.Events().size(), 2u);
}

TEST(AirPlaylist, TheEditorsInsertRuleAndTheEffectiveStarts) {
    CPlaylist pl("/data/");
    pl.AddClip(0, pl.MakeClip("/data/Video/a.mpg", 0, 4000, false));
    pl.AddClip(0, pl.MakeClip("/data/Video/b.mpg", 0, 3000, false));  // after a
    pl.AddClip(0, pl.MakeClip("/elsewhere/c.mpg", 20000, 1000, true));
    pl.AddClip(0, pl.MakeClip("/data/Video/d.mpg", 10000, 2000, false));  // before c
    std::vector<std::string> names;
    for (const ClipRecord& c : pl.Clips(0)) names.push_back(c.path);
    EXPECT_EQ(names, (std::vector<std::string>{"Video/a.mpg", "Video/b.mpg", "Video/d.mpg", "/elsewhere/c.mpg"}));
    EXPECT_TRUE(pl.Clips(0)[3].absolute);
    // A literal 0 would cut a at once: b follows a (0 + 4 s).
    const auto& track = pl.Track(0);
    ASSERT_EQ(track.size(), 4u);
    EXPECT_EQ(track[0].startMs, 0u);
    EXPECT_EQ(track[1].startMs, 4000u);
    EXPECT_EQ(track[1].file, "/data/Video/b.mpg");
    EXPECT_EQ(track[2].startMs, 10000u);
    EXPECT_EQ(track[3].file, "/elsewhere/c.mpg");
    EXPECT_EQ(pl.TotalMs(), 21000u);     // no total of its own: the end of the last clip
    EXPECT_EQ(pl.Clips(0)[1].start, 0);  // the file keeps the 0

    pl.AddButton({5000, "IN8", REMOTE_PUSH});
    pl.AddButton({0, "LOGO1", REMOTE_OFF});  // right after IN8
    pl.AddButton({1000, "CUT", REMOTE_PUSH});
    std::vector<std::string> pressed;
    for (const auto& b : pl.Buttons()) pressed.push_back(std::to_string(b.timeMs) + " " + b.name);
    EXPECT_EQ(pressed, (std::vector<std::string>{"1000 CUT", "5000 IN8", "5000 LOGO1"}));
    pl.Clear();
    EXPECT_TRUE(pl.Track(0).empty());
    EXPECT_TRUE(pl.Buttons().empty());
}

// ---- The catalogue ------------------------------------------------------------------------

TEST(VideoLibrary, ParsesGroupsOfThreeLinesAndRefusesLineBreaks) {
    const auto e =
        CVideoLibrary::Parse("a.mpg\n12000,0\nfirst\r\n/x/b.mpg\r\n1500,1\r\n\r\n" + std::string(300, 'n') +
                             "\n1,0\nskipped\nc.mpg\n" + "oops,x\n" + std::string(80, 'd') + "\ncut.mpg\n5\n");
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0], (LibraryEntry{false, "a.mpg", 12000, "first"}));
    EXPECT_EQ(e[1], (LibraryEntry{true, "/x/b.mpg", 1500, ""}));
    EXPECT_EQ(e[2].duration, 0u);
    EXPECT_EQ(e[2].description.size(), kMaxDescription);
    EXPECT_EQ(CVideoLibrary::Parse(CVideoLibrary::Format(e)), e);

    zxtest::TempDir dir;
    CVideoLibrary lib(dir.path());
    lib.Entries() = e;
    ASSERT_EQ(lib.Write(), pages::FILE_OK);
    EXPECT_FALSE(lib.SetDescription(0, "two\nlines"));
    EXPECT_FALSE(lib.SetDescription(0, std::string(64, 'x')));
    lib.Entries()[0].name = "bad\nname.mpg";
    EXPECT_EQ(lib.Write(), pages::FILE_SAVE_ERROR);
    CVideoLibrary back(dir.path());
    ASSERT_EQ(back.Read(), pages::FILE_OK);
    EXPECT_EQ(back.Entries(), e);  // the file as it was
}

TEST(VideoLibrary, RefreshScansFoldersAndLinksOnceAndAnEmptyCatalogueIsRescanned) {
    zxtest::TempDir dir;
    zxtest::TempDir outside;
    const std::string video = dir.file("Video/");
    Touch(video + "a_12.mpg");
    Touch(video + "news/b_1500ms.mpg");
    Touch(video + "skip_0.mpg");  // no length: not a clip
    Touch(video + "notes.txt");
    Touch(outside.file("far_3.mpg"));
    Touch(outside.file("dir/deep_4.MPG"));
    ASSERT_EQ(::symlink(outside.file("far_3.mpg").c_str(), (video + "far.mpg").c_str()), 0);
    ASSERT_EQ(::symlink(outside.file("dir").c_str(), (video + "linked").c_str()), 0);
    ASSERT_EQ(::symlink(video.c_str(), (video + "news/loop").c_str()), 0);  // back up the tree
    int probed = 0;
    CVideoLibrary lib(video, [&probed](const std::string& path, uint32_t& ms) {
        ++probed;
        return ProbeDuration(path, ms);
    });
    ASSERT_EQ(lib.Load(), pages::FILE_OK);  // no catalogue yet: scanned and written
    lib.Sort(SORT_BY_NAME);
    std::vector<std::string> names;
    for (const auto& e : lib.Entries()) names.push_back(e.name + " " + std::to_string(e.duration));
    const std::string far = platform::ResolvePath(outside.file("far_3.mpg"));
    char* realDeep = ::realpath(outside.file("dir/deep_4.MPG").c_str(), nullptr);
    char* realFar = ::realpath(outside.file("far_3.mpg").c_str(), nullptr);
    EXPECT_EQ(names, (std::vector<std::string>{"a_12.mpg 12000", "news/b_1500ms.mpg 1500",
                                               std::string(realDeep) + " 4000", std::string(realFar) + " 3000"}));
    std::free(realDeep);
    std::free(realFar);
    EXPECT_TRUE(lib.Entries()[2].fullPath);
    EXPECT_EQ(probed, 5);  // the loop was not followed

    // Descriptions survive a refresh; an emptied catalogue is rescanned on the next load.
    ASSERT_TRUE(lib.SetDescription(0, "bars"));
    ASSERT_EQ(lib.Refresh(), pages::FILE_OK);
    EXPECT_EQ(lib.Entries()[lib.Find("a_12.mpg", false)].description, "bars");
    ASSERT_TRUE(zxtest::WriteText(video + kCatalogueName, ""));
    CVideoLibrary again(video);
    ASSERT_EQ(again.Load(), pages::FILE_OK);
    EXPECT_EQ(again.Entries().size(), 4u);
    again.Sort(SORT_BY_DURATION);
    EXPECT_EQ(again.Entries()[0].duration, 1500u);
}
