// The table of the sixteen data folders and the path helpers built on it.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "app/profile.h"
#include "app/settings.h"

namespace app {

enum Folder : int {
    FOLDER_PROGRAM = 0,
    FOLDER_ROOT = 1,
    FOLDER_FONTS = 2,
    FOLDER_TEMPLATES = 3,
    FOLDER_TITLES = 4,
    FOLDER_PAGES = 5,
    FOLDER_SEQUENCES = 6,
    FOLDER_VIDEO = 7,
    FOLDER_CLOCK = 8,
    FOLDER_ITV = 9,
    FOLDER_BANNERS = 10,
    FOLDER_LAST_PAGES = 11,
    FOLDER_LAST_SEQUENCES = 12,
    FOLDER_LAST_PICTURES = 13,
    FOLDER_LAST_TEXT = 14,
    FOLDER_LAST_VIDEO = 15,
    FOLDER_COUNT = 16,
};

// The sub-folder of the data root that entries 2-15 default to ("" for 0 and 1).
const char* DefaultSubFolder(int index);

class FolderTable {
public:
    // Entry 0 is the program folder (ends in '/').
    void setProgramFolder(std::string folder);
    // Fills entries 1-15 from the settings and the [Paths] keys.
    void load(const Profile& ini, const Settings& s);
    // Writes [Paths] Path0-Path4: an entry that still is its default is written empty.
    void save(Profile& ini) const;

    const std::string& entry(int index) const;
    void setEntry(int index, std::string folder);

    // Entry index followed by the two suffixes.
    std::string GetPath(int index, std::string_view suffix1 = {}, std::string_view suffix2 = {}) const;
    // Remembers the folder of file as last-used folder index (11-15 only).
    void SetLastPath(int index, std::string_view file);
    // The name of path below entry index (0) or the whole path (1).
    int MakeRelative(int index, std::string_view path, std::string& out) const;
    // name itself when isAbsolute, else entry index + name; "" for an empty name. Names from
    // data files are normalised (backslashes).
    std::string MakeAbsolute(int index, std::string_view name, bool isAbsolute) const;

    // Creates the data folders 2-10 under the data root when they are missing.
    bool createDataFolders() const;

private:
    std::array<std::string, FOLDER_COUNT> e_;
};

// Makes a folder name end in exactly one '/' (and turns backslashes into '/').
std::string WithSlash(std::string_view folder);

}  // namespace app
