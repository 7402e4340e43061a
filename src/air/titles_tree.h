// The tree of Live mode: everything that can be put on air by hand, one group per kind of file
// (titles, sequences, clocks, banners and, with MPEG boards, clips and video playlists), each
// listing its folder and the sub-folders below it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app {
class FolderTable;
}

namespace air {

// Item kinds of the tree's nodes (the view's selectedKind).
enum : int {
    TITR_NONE = 0,
    TITR_FOLDER = 1,  // a group or a folder
    TITR_TITLE = 2,
    TITR_SEQUENCE = 4,
    TITR_MPEG = 8,
    TITR_CLOCK = 16,
    TITR_BANNER = 32,
    TITR_VIDEO_PLAYLIST = 64,
};

// A kind in words: "title", "sequence", "mpeg", "clock", "banner", "video playlist", else "folder".
const char* TitrKindName(int kind);

struct TitlesGroup {
    int stringId;
    int folder;       // folder-table entry
    const char* ext;  // lower case, with the dot
    int kind;
    bool mpegOnly;  // listed only with MPEG boards
};
inline constexpr int kTitlesGroupCount = 6;
extern const TitlesGroup kTitlesGroups[kTitlesGroupCount];

// The scan stops this deep, whatever links the folder holds.
inline constexpr int kTitlesMaxDepth = 32;

struct TitlesNode {
    std::string text;  // a file's name without its extension
    int kind = TITR_FOLDER;
    // A file: the path it was found at (its own letter case). A group: its folder.
    std::string path;
    bool expanded = true;  // top-level nodes
    bool enabled = true;   // false: the kind cannot be played in this program (listed greyed)
    std::vector<TitlesNode> children;

    bool isFile() const { return kind > TITR_FOLDER; }
};

struct TitlesTreeOptions {
    bool mpegBoards = false;
    // The kinds whose objects exist (bits of TITR_*); the others are listed greyed.
    int playableKinds = TITR_TITLE | TITR_SEQUENCE | TITR_CLOCK | TITR_BANNER | TITR_MPEG | TITR_VIDEO_PLAYLIST;
    // The top-level nodes' states, in order ("Node%d"); missing entries are expanded.
    std::vector<bool> expanded;
};

// Lists the files of folder with extension ext (compared without regard to case) below node:
// sub-folders become folder nodes, a folder without matching files is dropped, children are
// sorted by name. A folder reached a second time (a link loop) or deeper than the limit is not
// entered; an unreadable folder is skipped. Names are looked at byte for byte (8-bit names).
void ScanTitlesFolder(const std::string& folder, const std::string& ext, int kind, TitlesNode& node);

// The whole tree: the groups in order, each with its texts by the translation.
std::vector<TitlesNode> BuildTitlesTree(const app::FolderTable& folders, const TitlesTreeOptions& options);

// Finds a file node by its path; nullptr when the tree has none.
const TitlesNode* FindTitlesNode(const std::vector<TitlesNode>& tree, const std::string& path);

}  // namespace air
