// The editors' logic without their dialogs: the video playlist editor on a folder of clips
// (open, add, move, transitions, defaults, descriptions, deleting a clip that playlists use,
// the [VideoList] settings) and the air playlist's list lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/profile.h"
#include "pages/file_result.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "video/clip_probe.h"
#include "video/playlist.h"
#include "video/video_list_editor.h"

using namespace video;

namespace {

// Clips whose length their name says (the probe never opens them); anything else fails as a
// file that holds no stream.
int NameProbe(const std::string& path, uint32_t& ms) { return DurationFromName(path, ms) ? PROBE_OK : PROBE_NO_STREAM; }

struct Folder {
    zxtest::TempDir dir;
    std::string video = dir.file("Video/");
    Folder() {
        platform::MakeDirectories(video + "sub");
        for (const char* f : {"a_10.mpg", "b_4.mpg", "sub/c_2500ms.mpg"}) zxtest::WriteText(video + f, "");
    }
};

std::vector<std::string> Names(const CVideoPlaylist& p) {
    std::vector<std::string> out;
    for (const VideoRow& r : p.Rows()) out.push_back(r.name.empty() ? "-" : r.name);
    return out;
}

}  // namespace

TEST(VideoListEditor, OpensOnTheFolderAddsBeforeTheClosingRowAndMovesWithinTheClips) {
    Folder f;
    CVideoPlaylist pl;
    VideoListSettings s;
    s.defaults = {TRANSITION_MIX, 600, 300};
    CVideoListEditor ed(pl, f.video, 2, s, NameProbe);
    // No catalogue yet: the folder is scanned and video.dat written; a new playlist is only the
    // closing row, with the defaults.
    const auto opened = ed.Open("");
    EXPECT_EQ(opened.library, pages::FILE_OK);
    EXPECT_TRUE(platform::FileExists(f.video + "video.dat"));
    ASSERT_EQ(ed.library().Entries().size(), 3u);
    EXPECT_EQ(Names(pl), std::vector<std::string>{"-"});
    EXPECT_EQ(pl.Rows()[0].transition, TRANSITION_MIX);
    EXPECT_EQ(pl.Rows()[0].interleave, 600);
    EXPECT_EQ(pl.Rows()[0].spacing, 300);
    EXPECT_FALSE(ed.modified());

    EXPECT_EQ(ed.Add(0), 0);
    EXPECT_EQ(ed.Add(2), 1);
    EXPECT_EQ(ed.Add(1), 2);
    EXPECT_EQ(ed.Add(9), -1);
    EXPECT_EQ(Names(pl), (std::vector<std::string>{"a_10.mpg", "sub/c_2500ms.mpg", "b_4.mpg", "-"}));
    EXPECT_EQ(pl.Rows()[1].duration, 2500);
    EXPECT_EQ(pl.Rows()[1].interleave, 600);
    // Two boards: 10 + 2.5 + 4 s, less two overlaps of 600 ms, and the closing MIX's 300 less
    // its 600.
    EXPECT_EQ(ed.Total(), 16500 - 1200 - 300);
    EXPECT_TRUE(ed.modified());

    // Neither the first row up nor the closing row (or the row above it) down.
    EXPECT_FALSE(ed.MoveUp(0));
    EXPECT_FALSE(ed.MoveUp(3));
    EXPECT_FALSE(ed.MoveDown(2));
    EXPECT_FALSE(ed.MoveDown(3));
    EXPECT_TRUE(ed.MoveDown(0));
    EXPECT_TRUE(ed.MoveUp(2));
    EXPECT_EQ(Names(pl), (std::vector<std::string>{"sub/c_2500ms.mpg", "b_4.mpg", "a_10.mpg", "-"}));

    const auto lines = ed.PlaylistLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].number, "1");
    EXPECT_EQ(lines[0].duration, "   0:02.5");
    EXPECT_EQ(lines[0].transition, "MIX");
    EXPECT_EQ(lines[3].number, "-");
    EXPECT_EQ(lines[3].duration, "");
}

TEST(VideoListEditor, TransitionsAreBoundedAndOneBoardCutsAfterTheFirstClip) {
    Folder f;
    CVideoPlaylist pl;
    CVideoListEditor ed(pl, f.video, 1, {}, NameProbe);
    ed.Open("");
    ed.Add(0);
    ed.Add(1);
    TransitionEdit e;
    e.transition = 3;
    e.interleave = 10;  // below EFFECT2's 700
    e.spacing = -5;
    e.extras = {1, 9, 8};
    EXPECT_TRUE(ed.SetTransition(0, e));
    EXPECT_FALSE(ed.SetTransition(7, e));
    const TransitionEdit got = ed.TransitionOf(0);
    EXPECT_EQ(got.transition, 3);
    EXPECT_EQ(got.interleave, 700);
    EXPECT_EQ(got.spacing, 0);
    EXPECT_EQ(got.extras, (std::array<uint8_t, 3>{1, 0, 8}));
    EXPECT_EQ(ed.PlaylistLines()[0].transition, "EFFECT2 [LOGO1 ON] [THERMO OFF]");
    // One board: the second clip cannot mix with the first.
    e.extras = {};
    ed.SetTransition(1, e);
    EXPECT_EQ(pl.Rows()[1].transition, TRANSITION_CUT);
}

TEST(VideoListEditor, LoadAndSaveKeepTheFileAndAFailedLoadLeavesTheClosingRow) {
    Folder f;
    CVideoPlaylist pl;
    CVideoListEditor ed(pl, f.video, 2, {}, NameProbe);
    ed.Open("");
    ed.Add(0);
    ed.SetLogoOff(true);
    const std::string file = f.video + "News.vid";
    EXPECT_EQ(ed.Save(file), pages::FILE_OK);
    EXPECT_TRUE(ed.saved());
    EXPECT_FALSE(ed.modified());
    EXPECT_EQ(ed.path(), file);

    CVideoPlaylist again;
    CVideoListEditor other(again, f.video, 2, {}, NameProbe);
    EXPECT_EQ(other.Open(file).playlist, pages::FILE_OK);
    EXPECT_EQ(Names(again), (std::vector<std::string>{"a_10.mpg", "-"}));
    EXPECT_TRUE(again.LogoOff());
    EXPECT_FALSE(other.saved());

    zxtest::WriteText(f.video + "bad.vid", "ZXMM");
    EXPECT_EQ(other.Load(f.video + "bad.vid"), pages::FILE_FORMAT_ERROR);
    EXPECT_EQ(Names(again), std::vector<std::string>{"-"});
    EXPECT_FALSE(again.LogoOff());
    EXPECT_EQ(other.path(), file);  // still the file it was opened on
    EXPECT_EQ(other.Open(f.video + "missing.vid").playlist, pages::FILE_OPEN_ERROR);
    EXPECT_EQ(Names(again), std::vector<std::string>{"-"});
    // Saving where no file can be is an error, and the playlist stays unsaved.
    ed.Add(1);
    EXPECT_EQ(ed.Save(f.dir.file("no/such/dir/x.vid")), pages::FILE_SAVE_ERROR);
    EXPECT_TRUE(ed.modified());
}

TEST(VideoListEditor, DeletingAClipNamesThePlaylistsThatUseItAndRemovesEveryTrace) {
    Folder f;
    CVideoPlaylist pl;
    CVideoListEditor ed(pl, f.video, 2, {}, NameProbe);
    ed.Open("");
    ASSERT_EQ(ed.library().Entries()[0].name, "a_10.mpg");
    ed.Add(0);
    ed.Add(1);
    ASSERT_EQ(ed.Save(f.video + "sub/One.vid"), pages::FILE_OK);
    ed.Add(0);
    ASSERT_EQ(ed.Save(f.video + "Two.vid"), pages::FILE_OK);
    zxtest::WriteText(f.video + "Damaged.vid", "not a playlist");

    EXPECT_EQ(ed.UsersOf(0), (std::vector<std::string>{f.video + "Two.vid", f.video + "sub/One.vid"}));
    EXPECT_EQ(ed.UsersOf(2), std::vector<std::string>{});
    EXPECT_TRUE(ed.DeleteClip(0));
    EXPECT_FALSE(platform::FileExists(f.video + "a_10.mpg"));
    EXPECT_EQ(Names(pl), (std::vector<std::string>{"b_4.mpg", "-"}));
    EXPECT_EQ(ed.library().Entries().size(), 2u);
    // The catalogue no longer has it.
    CVideoLibrary lib(f.video, NameProbe);
    ASSERT_EQ(lib.Read(), pages::FILE_OK);
    EXPECT_EQ(lib.Find("a_10.mpg", false), -1);
    EXPECT_EQ(lib.Entries().size(), 2u);
    // A clip that cannot be deleted stays everywhere.
    const size_t c = size_t(ed.library().Find("sub/c_2500ms.mpg", false));
    ASSERT_EQ(::unlink((f.video + "sub/c_2500ms.mpg").c_str()), 0);
    platform::MakeDirectories(f.video + "sub/c_2500ms.mpg/x");  // a folder of that name
    EXPECT_FALSE(ed.DeleteClip(c));
    EXPECT_EQ(ed.library().Entries().size(), 2u);
}

TEST(VideoListEditor, DescriptionsSortingAndTheSettingsGoBack) {
    Folder f;
    zxtest::TempDir home;
    app::Profile ini(home.file("ZENTRIX.INI"));
    ini.putInt("VideoList", "SortMode", 1);
    ini.putInt("VideoList", "DefTransition", 42);  // none such: CUT
    ini.putInt("VideoList", "ListColumnWidth2", -7);
    ini.putInt("VideoList", "BaseColumnWidth1", 99);
    VideoListSettings s = VideoListSettings::Load(ini);
    EXPECT_EQ(s.sortMode, 1);
    EXPECT_EQ(s.defaults.transition, TRANSITION_CUT);
    EXPECT_EQ(s.defaults.timeIn, 500);
    EXPECT_EQ(s.listColumns, (std::array<int, 5>{28, 120, 60, 64, 120}));
    EXPECT_EQ(s.baseColumns, (std::array<int, 3>{128, 99, 120}));

    CVideoPlaylist pl;
    CVideoListEditor ed(pl, f.video, 2, s, NameProbe);
    ed.Open("");
    // By duration, as SortMode says.
    EXPECT_EQ(ed.LibraryLines()[0].video, "sub/c_2500ms.mpg");
    EXPECT_EQ(ed.LibraryLines()[2].duration, "   0:10.0");
    int rc = -1;
    EXPECT_FALSE(ed.SetDescription(0, std::string(64, 'x')));
    EXPECT_FALSE(ed.SetDescription(0, "two\nlines"));
    EXPECT_TRUE(ed.SetDescription(0, "Zebra", &rc));
    EXPECT_EQ(rc, pages::FILE_OK);
    EXPECT_TRUE(ed.SetDescription(2, "Apple"));
    ed.Sort(SORT_BY_DESCRIPTION);
    EXPECT_EQ(ed.LibraryLines()[1].comment, "Apple");
    CVideoLibrary lib(f.video, NameProbe);
    lib.Read();
    EXPECT_EQ(lib.Entries()[size_t(lib.Find("sub/c_2500ms.mpg", false))].description, "Zebra");
    // A refresh keeps the descriptions of clips still there.
    EXPECT_EQ(ed.Refresh(), pages::FILE_OK);
    EXPECT_EQ(ed.LibraryLines()[2].comment, "Zebra");

    ed.SetDefaults({TRANSITION_MIX, -1, 800});
    ed.SetColumnWidths({30, 200, 5, 70, 100}, {140, 70, 3000});
    ed.SaveSettings(ini);
    app::Profile back(home.file("ZENTRIX.INI"));
    EXPECT_EQ(back.getInt("VideoList", "SortMode", -1), SORT_BY_DESCRIPTION);
    EXPECT_EQ(back.getInt("VideoList", "DefTransition", -1), TRANSITION_MIX);
    EXPECT_EQ(back.getInt("VideoList", "DefTimeIn", -1), 0);
    EXPECT_EQ(back.getInt("VideoList", "DefTimeOut", -1), 800);
    EXPECT_EQ(back.getInt("VideoList", "ListColumnWidth1", -1), 200);
    EXPECT_EQ(back.getInt("VideoList", "ListColumnWidth2", -1), 60);  // 5 px: kept as it was
    EXPECT_EQ(back.getInt("VideoList", "BaseColumnWidth2", -1), 120);
}

TEST(AirPlaylistLines, EntriesInTimeOrderWithTheirEffectiveTimesAndRemovedByLine) {
    CPlaylist pl("/data/");
    EXPECT_EQ(pl.AddClipFile(0, "/data/Video/a_4.mpg", 0, false, NameProbe), PROBE_OK);
    EXPECT_EQ(pl.AddClipFile(0, "/data/Video/b_3.mpg", 0, true, NameProbe), PROBE_OK);  // after a: 4 s
    EXPECT_EQ(pl.AddClipFile(1, "/elsewhere/c_1.mpg", 2500, false, NameProbe), PROBE_OK);
    EXPECT_EQ(pl.AddClipFile(1, "/data/Video/broken.mpg", 1000, false, NameProbe), PROBE_NO_STREAM);
    pl.AddButton({3000, "IN8", 0});
    pl.AddButton({0, "LOGO1", 2});  // right after the previous button
    pl.AddButton({1000, "AUTO", 0});
    EXPECT_EQ(pl.Clips(0)[1].path, "Video/b_3.mpg");
    EXPECT_FALSE(pl.Clips(0)[1].absolute);
    EXPECT_TRUE(pl.Clips(1)[0].absolute);
    EXPECT_EQ(pl.Clips(1).size(), 1u);

    std::vector<std::string> shown;
    for (const PlaylistLine& l : pl.Lines())
        shown.push_back(CPlaylist::FormatTime(l.time) + " " + std::to_string(l.column) + " " + l.text);
    EXPECT_EQ(shown,
              (std::vector<std::string>{"0.000 0 Video/a_4.mpg", "1.000 2 AUTO Push", "2.500 1 /elsewhere/c_1.mpg",
                                        "3.000 2 IN8 Push", "3.000 2 LOGO1 Off", "4.000 0 Video/b_3.mpg (loop)"}));
    const auto lines = pl.Lines();
    EXPECT_TRUE(pl.RemoveLine(lines[4]));
    EXPECT_TRUE(pl.RemoveLine(lines[2]));
    EXPECT_FALSE(pl.RemoveLine({0, LINE_TRACK_2, 5, {}}));
    EXPECT_FALSE(pl.RemoveLine({0, 7, 0, {}}));
    EXPECT_EQ(pl.Events().size(), 2u);
    EXPECT_TRUE(pl.Clips(1).empty());
    EXPECT_EQ(CPlaylist::FormatTime(61005), "61.005");
    EXPECT_EQ(CPlaylist::FormatTime(-3), "0.000");
}
