// CPlaylist: the air playlist the air frame plays with video. Two tracks of timed clips, one
// per MPEG board, and a track of timed switcher buttons; its file is the ".zxp" air playlist.
//
// A stored start of 0 means "right after the previous clip" (the editor's "Immidiately after
// previous clip"). The air frame starts a clip once its start has come and stops a board that
// still plays, so it is given effective starts: Track() and Buttons() resolve the 0s (the
// previous start plus its duration), give full paths, and keep time order. The file keeps the 0s.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "air/air_content.h"

namespace video {

inline constexpr uint32_t kPlaylistVersion = 0x00010000;
inline constexpr size_t kClipRecordBytes = 384;
inline constexpr size_t kButtonEventBytes = 64;
inline constexpr size_t kPlaylistHeaderBytes = 64;
inline constexpr size_t kClipPathBytes = 260;
inline constexpr size_t kButtonNameBytes = 32;
inline constexpr char kPlaylistExtension[] = ".zxp";
// The file result of a load that dropped clips whose files are gone (a warning).
inline constexpr int FILE_MISSING_CLIPS = 6;

struct ClipRecord {
    int32_t start = 0;  // ms from the start of the playout; 0 = after the previous clip
    int32_t duration = 0;
    std::string path;
    bool absolute = false;  // false: relative to the data root
    bool loop = false;
    bool operator==(const ClipRecord&) const = default;
};

struct ButtonEvent {
    int32_t time = 0;  // 0 = right after the previous button
    std::string name;
    int32_t action = 0;  // REMOTE_PUSH, REMOTE_ON, REMOTE_OFF
    bool operator==(const ButtonEvent&) const = default;
};

// A line of the "Edit playlist" list: an entry of track 1, track 2 or the buttons at its time.
enum : int { LINE_TRACK_1 = 0, LINE_TRACK_2 = 1, LINE_BUTTONS = 2 };
struct PlaylistLine {
    int32_t time = 0;  // when it happens ("right after the previous" resolved)
    int column = LINE_TRACK_1;
    size_t index = 0;  // in its track or the buttons
    std::string text;
};

class CPlaylist final : public air::AirPlaylist {
public:
    // root: the data root, which relative clip paths are taken from.
    explicit CPlaylist(std::string root = {});

    void SetRoot(const std::string& root);
    const std::string& Root() const { return root_; }

    // ---- The file
    // 0x101, 0x103 (damaged; nothing changed), 0x104, or FILE_MISSING_CLIPS after dropping clips
    // whose files are gone.
    int Load(const std::string& path);
    int Save(const std::string& path) const;  // 0 or 0x102, written atomically
    // The bytes of a file: 0, 0x103 or 0x104; on failure the playlist is left as it was.
    int Parse(std::span<const uint8_t> data);
    std::vector<uint8_t> Serialize() const;
    // Drops the clips whose files are gone: true when any was dropped.
    bool RemoveMissing();

    // ---- Editing (the "Edit playlist" dialog)
    void Clear();
    // A start (or time) above 0 goes before the first entry whose own is non-zero and later;
    // 0 goes to the end.
    void AddClip(int board, ClipRecord clip);
    void AddButton(ButtonEvent button);
    // A path below the data root is stored relative to it, any other whole.
    ClipRecord MakeClip(const std::string& fullPath, int32_t start, int32_t duration, bool loop) const;
    void RemoveClip(int board, size_t index);
    void RemoveButton(size_t index);
    // A clip file for a track, with the length the probe finds: PROBE_OK, or the probe's code
    // (nothing added; the editor shows 3046 + the code).
    int AddClipFile(int board, const std::string& fullPath, int32_t start, bool loop,
                    const std::function<int(const std::string&, uint32_t&)>& probe);
    // Every entry in time order (the tracks before the buttons at equal times).
    std::vector<PlaylistLine> Lines() const;
    bool RemoveLine(const PlaylistLine& line);
    // "12.345": seconds as the list shows times.
    static std::string FormatTime(int32_t ms);
    void Changed() { dirty_ = true; }

    std::vector<ClipRecord>& Clips(int board) { return dirty_ = true, tracks_[board & 1]; }
    const std::vector<ClipRecord>& Clips(int board) const { return tracks_[board & 1]; }
    std::vector<ButtonEvent>& Events() { return dirty_ = true, buttons_; }
    const std::vector<ButtonEvent>& Events() const { return buttons_; }
    // The full path of a clip record.
    std::string FullPath(const ClipRecord& clip) const;

    void SetTotal(int32_t ms) { total_ = ms; }
    int32_t Total() const { return total_; }
    void SetLogoOff(bool off) { logoOff_ = off; }
    void SetRestoreInput(int input) { restoreInput_ = input; }

    // ---- What the air frame plays
    const std::vector<air::PlaylistClip>& Track(int board) const override;
    const std::vector<air::PlaylistButton>& Buttons() const override;
    // The total the conversion gave, or else (a ".zxp" file holds none) the end of the last clip.
    uint32_t TotalMs() const override;
    int RestoreInput() const override { return restoreInput_; }
    bool LogoOff() const override { return logoOff_; }

private:
    void resolve() const;

    std::string root_;
    std::vector<ClipRecord> tracks_[2];
    std::vector<ButtonEvent> buttons_;
    int32_t total_ = 0;
    bool logoOff_ = false;
    int restoreInput_ = -1;
    // What the air frame is given, rebuilt after a change.
    mutable bool dirty_ = true;
    mutable std::vector<air::PlaylistClip> played_[2];
    mutable std::vector<air::PlaylistButton> pressed_;
    mutable uint32_t end_ = 0;
};

}  // namespace video
