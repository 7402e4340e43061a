// File-system helpers: whole-file reads, atomic saves, and opening names that come from data
// files made on Windows (backslashes, a different letter case than on disk).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Reads a whole file. Returns false (and leaves out empty) when it cannot be opened or read.
bool ReadFile(const std::string& path, std::vector<uint8_t>& out);
bool ReadFile(const std::string& path, std::string& out);

// Writes a file atomically: the data goes to a temporary file in the same folder, is flushed,
// and replaces the target by rename, so a crash never leaves a half-written file behind. The
// temporary has no name while it is written where the file system allows it; temporaries left
// by killed saves of the same target are removed first.
bool WriteFileAtomic(const std::string& path, const void* data, size_t size);
inline bool WriteFileAtomic(const std::string& path, std::string_view data) {
    return WriteFileAtomic(path, data.data(), data.size());
}
inline bool WriteFileAtomic(const std::string& path, const std::vector<uint8_t>& data) {
    return WriteFileAtomic(path, data.data(), data.size());
}

// Writes all of data to a descriptor, going on after short writes and interruptions. False on
// an error (errno tells which).
bool WriteAll(int fd, const void* data, size_t size);

// Appends to a file (created when missing) while holding an exclusive flock on it, so that
// writers in several threads or processes take turns and no line is split or mixed.
bool AppendToFile(const std::string& path, std::string_view data);

// Turns a name read from a data file into a local path: backslashes become '/'.
std::string NormaliseDataName(std::string_view name);

// Finds the file a (normalised) path names: the path itself when it exists, otherwise the
// first entry of each folder level whose name matches case-insensitively. Returns the
// normalised path unchanged when nothing matches, so the caller's open fails as usual.
std::string ResolvePath(std::string_view path);

// The absolute path with every link and "." or ".." resolved; otherwise when it does not exist.
std::string RealPath(const std::string& path, std::string_view otherwise = {});

bool FileExists(const std::string& path);
bool IsDirectory(const std::string& path);
bool MakeDirectories(const std::string& path);  // like mkdir -p; true when it exists afterwards
int64_t FileSize(const std::string& path);      // -1 when missing

// The folder of the running executable, ending in '/'.
std::string ExecutableDir();

// The user's runtime folder for locks and sockets (XDG_RUNTIME_DIR, or a private folder
// under /tmp), created with mode 0700 when missing. Ends in '/'.
std::string RuntimeDir();

// A folder and a name below it with one '/' between them; an empty folder gives the name alone.
std::string JoinPath(std::string_view folder, std::string_view name);
// Folder part of a path including the final '/', or "" when there is none.
std::string DirectoryOf(std::string_view path);
// Name part after the last '/'.
std::string FileNameOf(std::string_view path);
// Extension including the dot, or "" (a dot in a folder name does not count).
std::string ExtensionOfPath(std::string_view path);

// ASCII case-insensitive comparisons (the program's texts are 8-bit; only A-Z fold).
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
std::string ToLowerAscii(std::string_view s);
std::string ToUpperAscii(std::string_view s);

}  // namespace platform
