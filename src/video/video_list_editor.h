// What the "Edit video playlist" dialog does, without the dialog: the clips of the video folder
// beside the playlist being edited, the rows added, moved, edited and dropped, the transition
// defaults and the column widths of [VideoList], and a clip file deleted with every trace of
// it. The dialog only shows this and asks the operator.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "video/video_library.h"
#include "video/video_playlist.h"

namespace app {
class Profile;
}

namespace video {

// [VideoList].
struct VideoListSettings {
    static constexpr int kListColumns = 5;  // "#", "Video", "Duration", "Transition", "Comment"
    static constexpr int kBaseColumns = 3;  // "Video", "Duration", "Comment"
    int sortMode = SORT_BY_NAME;
    RowDefaults defaults;
    std::array<int, kListColumns> listColumns{28, 120, 60, 64, 120};
    std::array<int, kBaseColumns> baseColumns{128, 64, 120};

    static VideoListSettings Load(const app::Profile& ini);
    void Save(app::Profile& ini) const;
};

// A row's transition as "Edit transition effect" edits it.
struct TransitionEdit {
    int32_t transition = TRANSITION_CUT;
    int32_t interleave = 0;
    int32_t spacing = 0;
    std::array<uint8_t, kRowExtras> extras{};
};

// The playlists (".vid", below the folder) with a row that plays the clip, as full paths in
// name order. Files that cannot be read are passed over.
std::vector<std::string> PlaylistsUsingClip(const std::string& folder, const std::string& name, bool fullPath);

// The row a library entry becomes (its transition and times are the defaults'; see Add).
VideoRow RowOf(const LibraryEntry& entry);

class CVideoListEditor {
public:
    // playlist: the one edited (the video playlists' own); boards: the boards configured now.
    CVideoListEditor(CVideoPlaylist& playlist, std::string videoFolder, int boards, VideoListSettings settings,
                     ProbeFn probe = {});

    // ---- The files
    // Reads the library (scanning the folder when video.dat holds no clip) and the playlist
    // (none for ""). An error or an empty playlist leaves the closing row alone. The file
    // results: of the library (its first read or scan) and of the playlist.
    struct OpenResult {
        int library = 0;
        int playlist = 0;
    };
    OpenResult Open(const std::string& path);
    // "Load": a file result; an error leaves the closing row alone.
    int Load(const std::string& path);
    // "Save": 0 or 0x102; a saved file is the one edited from then on.
    int Save(const std::string& path);
    const std::string& path() const { return path_; }
    bool modified() const { return modified_; }
    // A file was written (the caller reads the playlists again).
    bool saved() const { return saved_; }

    // ---- The playlist
    void Clear();
    // The library entry as a row just before the closing row; the index of the new row, or -1.
    int Add(size_t entry);
    bool MoveUp(size_t row);
    bool MoveDown(size_t row);
    TransitionEdit TransitionOf(size_t row) const;
    // Bounded: transitions outside the table are CUT, times at least 0 (the interleave is raised
    // to the transition's minimum with the total), unknown extra commands none.
    bool SetTransition(size_t row, const TransitionEdit& edit);
    void SetLogoOff(bool off);
    int32_t Total() const { return playlist_.Total(); }
    int boards() const { return boards_; }
    CVideoPlaylist& playlist() { return playlist_; }
    const CVideoPlaylist& playlist() const { return playlist_; }

    // ---- The defaults and the list settings (written back by SaveSettings)
    const VideoListSettings& settings() const { return settings_; }
    void SetDefaults(const RowDefaults& defaults);
    void SetColumnWidths(const std::array<int, VideoListSettings::kListColumns>& list,
                         const std::array<int, VideoListSettings::kBaseColumns>& base);
    void SaveSettings(app::Profile& ini) const { settings_.Save(ini); }

    // ---- The library
    const CVideoLibrary& library() const { return library_; }
    // Sorts by the clicked column ("Video" 0, "Duration" 1, "Comment" 2), kept as SortMode.
    void Sort(int mode);
    // "Refresh": the folder scanned anew; a file result of writing video.dat.
    int Refresh();
    // "Edit description": at most 63 characters and no line break, else false and nothing
    // changes; video.dat is written (its result in *result).
    bool SetDescription(size_t entry, const std::string& text, int* result = nullptr);
    // The playlists of the video folder that play the entry's clip.
    std::vector<std::string> UsersOf(size_t entry) const;
    // "Delete" once confirmed: the clip file, its entry (video.dat written) and the rows that
    // play it. False when the file could not be deleted (nothing else changes then).
    bool DeleteClip(size_t entry);

    // ---- What the lists show
    struct Line {
        std::string number, video, duration, transition, comment;
    };
    std::vector<Line> PlaylistLines() const;
    struct EntryLine {
        std::string video, duration, comment;
    };
    std::vector<EntryLine> LibraryLines() const;

private:
    void edited();
    void reset();

    CVideoPlaylist& playlist_;
    CVideoLibrary library_;
    int boards_;
    VideoListSettings settings_;
    std::string path_;
    bool modified_ = false;
    bool saved_ = false;
};

}  // namespace video
