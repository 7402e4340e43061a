// CVideoPlaylist: the video playlist (".vid"), an ordered list of clips with the transition into
// each, ending in the closing row (the way back from the clips to the switcher's program input).
// It gives the play time and turns into the air playlist: clips alternating between the two
// boards (or one after the other on one board) and the switcher buttons that go with them.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "video/playlist.h"

namespace video {

inline constexpr uint32_t kVideoPlaylistVersion = 0x00010000;
inline constexpr size_t kVideoHeaderBytes = 128;
inline constexpr size_t kVideoRowBytes = 516;
inline constexpr size_t kDescriptionBytes = 64;
inline constexpr char kVideoPlaylistExtension[] = ".vid";
inline constexpr int IDS_OTHER_BOARDS = 22169;

// Transitions into a row: the switcher button and the shortest time it takes.
inline constexpr int kTransitionCount = 8;
enum : int { TRANSITION_CUT = 0, TRANSITION_MIX = 1 };
const char* TransitionButton(int index);  // CUT for an index outside the table
int32_t TransitionMinimum(int index);

// Extra commands of a row (1 LOGO1 On, 2 LOGO1 Off ... 8 THERMO Off; 0 none).
inline constexpr int kExtraCommandCount = 8;
inline constexpr int kRowExtras = 3;
const char* ExtraButton(int command);  // "" for none
int ExtraAction(int command);          // REMOTE_ON or REMOTE_OFF
// " [LOGO1 ON]" as the list shows it; "" for none.
std::string ExtraText(int command);

struct VideoRow {
    std::string name;  // empty in the closing row
    int32_t duration = 0;
    std::string description;
    int32_t transition = TRANSITION_CUT;
    int32_t interleave = 0;  // ms the clip overlaps the one before (two boards)
    int32_t spacing = 0;     // ms between this clip and the one before (one board)
    bool loop = false;
    bool fullPath = false;  // false: relative to the video folder
    std::array<uint8_t, kRowExtras> extras{};
    bool operator==(const VideoRow&) const = default;
};

// The transition defaults of new rows ([VideoList] DefTransition, DefTimeIn, DefTimeOut).
struct RowDefaults {
    int32_t transition = TRANSITION_CUT;
    int32_t timeIn = 500;
    int32_t timeOut = 500;
};

class CVideoPlaylist {
public:
    // folder: the video folder, which relative clip names are taken from.
    explicit CVideoPlaylist(std::string folder = {});
    void SetFolder(const std::string& folder);
    const std::string& Folder() const { return folder_; }

    struct LoadOptions {
        int boards = 2;            // the boards configured now
        bool checkBoards = false;  // warn (22169) when the file was made for another number
    };
    // 0x101, 0x103 (damaged; nothing changed), 0x104, or FILE_MISSING_CLIPS after dropping rows
    // whose clips are gone. The rows are kept when the boards differ.
    int Load(const std::string& path, const LoadOptions& options);
    int Save(const std::string& path, int boards) const;  // 0 or 0x102, written atomically
    // The bytes of a file: 0, 0x103 or 0x104, with the boards it was saved for; nothing changes
    // on failure.
    int Parse(std::span<const uint8_t> data, int* savedBoards = nullptr);
    std::vector<uint8_t> Serialize(int boards) const;
    bool RemoveMissing();

    // The play time in ms. Raises each interleave to its transition's minimum and, with one
    // board, makes every transition after the first a CUT (one board cannot mix with itself).
    int32_t UpdateTotal(int boards);
    int32_t Total() const { return total_; }
    // Fills the air playlist; inputs: the switcher input of each board, 0-based ("IN1" = 0).
    void ConvertTo(CPlaylist& air, int boards, const std::array<int, 2>& inputs);

    // ---- Editing (the "Edit video playlist" dialog)
    // Only the closing row, with the defaults; the logo stays on.
    void Reset(const RowDefaults& defaults);
    // A row for a clip, before the closing row (a playlist without one gets it first).
    void Add(const VideoRow& clip, const RowDefaults& defaults);
    bool CanMoveUp(size_t row) const { return row > 0 && row + 1 < rows_.size(); }
    bool CanMoveDown(size_t row) const { return row + 2 < rows_.size(); }
    bool MoveUp(size_t row);
    bool MoveDown(size_t row);
    // Drops the rows that play this clip: how many.
    size_t RemoveClip(const std::string& name, bool fullPath);
    bool RemoveRow(size_t row);
    bool UsesClip(const std::string& name, bool fullPath) const;
    bool IsClosing(size_t row) const { return row + 1 == rows_.size() && rows_[row].name.empty(); }

    std::vector<VideoRow>& Rows() { return rows_; }
    const std::vector<VideoRow>& Rows() const { return rows_; }
    bool LogoOff() const { return logoOff_; }
    void SetLogoOff(bool off) { logoOff_ = off; }
    std::string FullPath(const VideoRow& row) const;
    // "   1:05.3" for 65300 ms, as the lists and the "Play time" show durations.
    static std::string FormatDuration(int32_t ms);
    // The "Transition" column: the button and the extra commands.
    static std::string TransitionText(const VideoRow& row);

private:
    std::string folder_;
    std::vector<VideoRow> rows_;
    bool logoOff_ = false;
    int32_t total_ = 0;
};

}  // namespace video
