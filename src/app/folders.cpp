#include "app/folders.h"

#include "platform/files.h"

namespace app {

namespace {
constexpr const char* kSubFolders[FOLDER_COUNT] = {
    "",       "",     "Fonts/",   "Templates/", "Titr/",      "Pages/",    "Sequences/", "Video/",
    "Clock/", "ITV/", "Banners/", "Pages/",     "Sequences/", "Pictures/", "Text/",      "Video/"};
const std::string kEmpty;
}  // namespace

const char* DefaultSubFolder(int index) { return (index >= 0 && index < FOLDER_COUNT) ? kSubFolders[index] : ""; }

std::string WithSlash(std::string_view folder) {
    std::string f = platform::NormaliseDataName(folder);
    if (f.empty()) return f;
    while (f.size() > 1 && f.back() == '/') f.pop_back();
    f += '/';
    return f;
}

void FolderTable::setProgramFolder(std::string folder) { e_[0] = WithSlash(folder); }

void FolderTable::load(const Profile& ini, const Settings& s) {
    e_[1] = (s.useNetwork == 1 && !s.networkPath.empty()) ? WithSlash(s.networkPath) : e_[0];
    for (int i = 2; i < FOLDER_COUNT; ++i) {
        e_[size_t(i)] = e_[1] + kSubFolders[i];
        if (i == FOLDER_VIDEO && s.useNetVideo == 1 && !s.videoPath.empty()) e_[size_t(i)] = WithSlash(s.videoPath);
        if (i >= FOLDER_LAST_PAGES) {
            std::string key = "Path" + std::to_string(i - FOLDER_LAST_PAGES);
            std::string v = ini.getString("Paths", key, "");
            if (!v.empty()) e_[size_t(i)] = WithSlash(v);
        }
    }
}

void FolderTable::save(Profile& ini) const {
    Profile::Batch batch(ini);
    for (int i = FOLDER_LAST_PAGES; i < FOLDER_COUNT; ++i) {
        std::string key = "Path" + std::to_string(i - FOLDER_LAST_PAGES);
        std::string def = e_[1] + kSubFolders[i];
        ini.putString("Paths", key, platform::EqualsNoCase(e_[size_t(i)], def) ? std::string() : e_[size_t(i)]);
    }
}

const std::string& FolderTable::entry(int index) const {
    return (index >= 0 && index < FOLDER_COUNT) ? e_[size_t(index)] : kEmpty;
}

void FolderTable::setEntry(int index, std::string folder) {
    if (index >= 0 && index < FOLDER_COUNT) e_[size_t(index)] = WithSlash(folder);
}

std::string FolderTable::GetPath(int index, std::string_view suffix1, std::string_view suffix2) const {
    std::string p = entry(index);
    p += suffix1;
    p += suffix2;
    return p;
}

void FolderTable::SetLastPath(int index, std::string_view file) {
    if (index < FOLDER_LAST_PAGES || index >= FOLDER_COUNT) return;
    std::string dir = platform::DirectoryOf(platform::NormaliseDataName(file));
    if (dir.empty()) return;
    if (!platform::EqualsNoCase(dir, e_[size_t(index)])) e_[size_t(index)] = dir;
}

int FolderTable::MakeRelative(int index, std::string_view path, std::string& out) const {
    const std::string& base = entry(index);
    if (!base.empty() && platform::StartsWithNoCase(path, base)) {
        out = std::string(path.substr(base.size()));
        return 0;
    }
    out = std::string(path);
    return 1;
}

std::string FolderTable::MakeAbsolute(int index, std::string_view name, bool isAbsolute) const {
    if (isAbsolute) return platform::NormaliseDataName(name);
    if (name.empty()) return {};
    return entry(index) + platform::NormaliseDataName(name);
}

bool FolderTable::createDataFolders() const {
    bool ok = true;
    // The last-used folders start as their defaults under the data root; a folder chosen by the
    // operator elsewhere is not ours to create.
    for (int i = FOLDER_FONTS; i < FOLDER_COUNT; ++i) {
        std::string dir = i < FOLDER_LAST_PAGES ? e_[size_t(i)] : e_[1] + kSubFolders[i];
        if (!dir.empty()) ok = platform::MakeDirectories(dir) && ok;
    }
    return ok;
}

}  // namespace app
