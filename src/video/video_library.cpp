#include "video/video_library.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

#include "app/folders.h"
#include "pages/file_result.h"
#include "platform/files.h"
#include "video/clip_probe.h"

namespace video {

namespace {

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// The next line of the text without its ending; false at the end.
bool NextLine(std::string_view text, size_t& at, std::string_view& line) {
    if (at >= text.size()) return false;
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    at = end + 1;
    return true;
}

// A decimal number as the C library reads one: leading blanks, a sign, digits; no digits is 0.
// Held to 32 bits.
int64_t Decimal(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    int64_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = std::min<int64_t>(v * 10 + (s[i] - '0'), INT32_MAX);
    return negative ? -v : v;
}

bool IsClip(const std::string& name) { return platform::EqualsNoCase(platform::ExtensionOfPath(name), ".mpg"); }

// A folder by what it is on the disk, so that a link back up the tree is followed once.
std::string Identity(const struct stat& st) { return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino); }

}  // namespace

CVideoLibrary::CVideoLibrary(std::string folder, ProbeFn probe) : probe_(std::move(probe)) {
    if (!probe_) probe_ = ProbeDuration;
    SetFolder(folder);
}

void CVideoLibrary::SetFolder(const std::string& folder) {
    folder_ = folder.empty() ? std::string() : app::WithSlash(folder);
}

std::vector<LibraryEntry> CVideoLibrary::Parse(std::string_view text) {
    std::vector<LibraryEntry> out;
    size_t at = 0;
    for (;;) {
        std::string_view name, numbers, description;
        if (!NextLine(text, at, name) || !NextLine(text, at, numbers) || !NextLine(text, at, description)) break;
        if (name.empty() || name.size() > kMaxClipName || name.find('\0') != std::string_view::npos) continue;
        LibraryEntry e;
        e.name = platform::NormaliseDataName(name);
        const int64_t duration = Decimal(numbers);
        e.duration = duration > 0 ? uint32_t(duration) : 0;
        const size_t comma = numbers.find(',');
        e.fullPath = comma != std::string_view::npos && Decimal(numbers.substr(comma + 1)) != 0;
        e.description = std::string(description.substr(0, kMaxDescription));
        out.push_back(std::move(e));
    }
    return out;
}

std::string CVideoLibrary::Format(const std::vector<LibraryEntry>& entries) {
    std::string text;
    for (const LibraryEntry& e : entries) {
        text += e.name;
        text += '\n';
        text += std::to_string(e.duration) + "," + (e.fullPath ? "1" : "0") + "\n";
        text += e.description;
        text += '\n';
    }
    return text;
}

int CVideoLibrary::Read() {
    std::string text;
    if (!platform::ReadFile(platform::ResolvePath(CataloguePath()), text)) return pages::FILE_OPEN_ERROR;
    entries_ = Parse(text);
    return pages::FILE_OK;
}

int CVideoLibrary::Write() const {
    for (const LibraryEntry& e : entries_)
        if (HasLineBreak(e.name) || HasLineBreak(e.description)) return pages::FILE_SAVE_ERROR;
    return platform::WriteFileAtomic(CataloguePath(), Format(entries_)) ? pages::FILE_OK : pages::FILE_SAVE_ERROR;
}

int CVideoLibrary::Load() {
    Read();
    if (!entries_.empty()) return pages::FILE_OK;
    return Refresh();
}

void CVideoLibrary::addClip(const std::string& path, const std::string& name, bool fullPath,
                            std::vector<LibraryEntry>& out) const {
    // The catalogue is line-based and the records hold 260 bytes: such names cannot be kept.
    if (name.size() > kMaxClipName || HasLineBreak(name)) return;
    uint32_t ms = 0;
    if (probe_(path, ms) != PROBE_OK || ms / 100 == 0) return;
    LibraryEntry e;
    e.fullPath = fullPath;
    e.name = name;
    e.duration = ms / 100 * 100;
    out.push_back(std::move(e));
}

void CVideoLibrary::scan(const std::string& dir, const std::string& relative, bool viaLink,
                         std::vector<std::string>& seen, std::vector<LibraryEntry>& out) const {
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) return;
    const std::string id = Identity(st);
    if (std::find(seen.begin(), seen.end(), id) != seen.end()) return;
    seen.push_back(id);
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    std::vector<std::string> names;
    while (dirent* ent = ::readdir(d)) {
        const std::string n = ent->d_name;
        if (n != "." && n != "..") names.push_back(n);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    for (const std::string& n : names) {
        const std::string path = dir + n;
        struct stat link {};
        if (::lstat(path.c_str(), &link) != 0) continue;
        const bool isLink = S_ISLNK(link.st_mode);
        struct stat target {};
        if (::stat(path.c_str(), &target) != 0) continue;  // a link to nothing
        const bool linked = viaLink || isLink;
        if (S_ISDIR(target.st_mode)) {
            // What a link leads to is named by its full path, as a shortcut's target is.
            if (linked) scan(app::WithSlash(platform::RealPath(path, path)), {}, true, seen, out);
            else scan(path + "/", relative + n + "/", false, seen, out);
        } else if (S_ISREG(target.st_mode) && IsClip(n)) {
            if (linked) {
                const std::string real = platform::RealPath(path, path);
                addClip(real, real, true, out);
            } else {
                addClip(path, relative + n, false, out);
            }
        }
    }
}

int CVideoLibrary::Refresh() {
    std::vector<LibraryEntry> found;
    std::vector<std::string> seen;
    if (!folder_.empty()) scan(folder_, {}, false, seen, found);
    // A clip found twice (through two links) is one clip.
    std::vector<LibraryEntry> unique;
    for (LibraryEntry& e : found)
        if (std::none_of(unique.begin(), unique.end(),
                         [&](const LibraryEntry& u) { return u.fullPath == e.fullPath && u.name == e.name; }))
            unique.push_back(std::move(e));
    for (LibraryEntry& e : unique)
        if (const int i = Find(e.name, e.fullPath); i >= 0) e.description = entries_[size_t(i)].description;
    entries_ = std::move(unique);
    return Write();
}

void CVideoLibrary::Sort(int mode) {
    auto byName = [](const LibraryEntry& a, const LibraryEntry& b) {
        if (a.fullPath != b.fullPath) return a.fullPath < b.fullPath;
        return a.name < b.name;
    };
    if (mode == SORT_BY_DURATION)
        std::stable_sort(entries_.begin(), entries_.end(),
                         [](const LibraryEntry& a, const LibraryEntry& b) { return a.duration < b.duration; });
    else if (mode == SORT_BY_DESCRIPTION)
        std::stable_sort(entries_.begin(), entries_.end(),
                         [](const LibraryEntry& a, const LibraryEntry& b) { return a.description < b.description; });
    else std::stable_sort(entries_.begin(), entries_.end(), byName);
}

int CVideoLibrary::Find(const std::string& name, bool fullPath) const {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].fullPath == fullPath && entries_[i].name == name) return int(i);
    return -1;
}

bool CVideoLibrary::SetDescription(size_t index, const std::string& text) {
    if (index >= entries_.size() || text.size() > kMaxDescription || HasLineBreak(text)) return false;
    entries_[index].description = text;
    return true;
}

void CVideoLibrary::Remove(size_t index) {
    if (index < entries_.size()) entries_.erase(entries_.begin() + ptrdiff_t(index));
}

}  // namespace video
