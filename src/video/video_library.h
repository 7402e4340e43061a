// CVideoLibrary: the clips of the video folder with their durations and the operator's
// descriptions, kept in the catalogue file "video.dat" there. "Refresh" scans the folder and
// its sub-folders (and the folders and clips symbolic links lead to, which stand in for
// shortcuts) and probes each clip.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace video {

inline constexpr char kCatalogueName[] = "video.dat";
inline constexpr size_t kMaxClipName = 259;
inline constexpr size_t kMaxDescription = 63;

// [VideoList] SortMode.
enum : int { SORT_BY_NAME = 0, SORT_BY_DURATION = 1, SORT_BY_DESCRIPTION = 2 };

struct LibraryEntry {
    bool fullPath = false;  // false: name relative to the video folder
    std::string name;
    uint32_t duration = 0;  // ms, a multiple of 100
    std::string description;
    bool operator==(const LibraryEntry&) const = default;
};

// Probes one clip: PROBE_OK with its length, or a failure code.
using ProbeFn = std::function<int(const std::string& path, uint32_t& ms)>;

class CVideoLibrary {
public:
    // folder: the video folder; probe: ProbeDuration unless given.
    explicit CVideoLibrary(std::string folder = {}, ProbeFn probe = {});
    void SetFolder(const std::string& folder);
    const std::string& Folder() const { return folder_; }
    std::string CataloguePath() const { return folder_ + kCatalogueName; }

    // Reads video.dat; when it holds no clip (or is missing), scans the folder and writes it
    // anew. A file result code of the read or the write.
    int Load();
    // The catalogue's text: each group of three lines fills an entry; a group cut short ends it.
    // Names too long for the catalogue are skipped, descriptions cut to 63 characters.
    static std::vector<LibraryEntry> Parse(std::string_view text);
    static std::string Format(const std::vector<LibraryEntry>& entries);
    int Read();
    // Written atomically; 0x102 when it cannot be, or when a name or description holds a line
    // break (it would shift every group after it).
    int Write() const;
    // Scans the folder and writes the catalogue; descriptions of clips still there are kept.
    int Refresh();

    void Sort(int mode);
    std::vector<LibraryEntry>& Entries() { return entries_; }
    const std::vector<LibraryEntry>& Entries() const { return entries_; }
    std::string FullPath(const LibraryEntry& e) const { return e.fullPath ? e.name : folder_ + e.name; }
    // The entry of a clip, or -1.
    int Find(const std::string& name, bool fullPath) const;
    // A description for an entry: false (unchanged) when too long or with a line break.
    bool SetDescription(size_t index, const std::string& text);
    void Remove(size_t index);

private:
    void scan(const std::string& dir, const std::string& relative, bool viaLink, std::vector<std::string>& seen,
              std::vector<LibraryEntry>& out) const;
    void addClip(const std::string& path, const std::string& name, bool fullPath, std::vector<LibraryEntry>& out) const;

    std::string folder_;
    ProbeFn probe_;
    std::vector<LibraryEntry> entries_;
};

}  // namespace video
