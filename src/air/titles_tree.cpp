#include "air/titles_tree.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <utility>

#include "app/folders.h"
#include "app/log/event_log.h"
#include "app/strings.h"
#include "platform/files.h"

namespace air {

const char* TitrKindName(int kind) {
    switch (kind) {
        case TITR_TITLE: return "title";
        case TITR_SEQUENCE: return "sequence";
        case TITR_MPEG: return "mpeg";
        case TITR_CLOCK: return "clock";
        case TITR_BANNER: return "banner";
        case TITR_VIDEO_PLAYLIST: return "video playlist";
        default: return "folder";
    }
}

const TitlesGroup kTitlesGroups[kTitlesGroupCount] = {
    {13033, app::FOLDER_TITLES, ".zxs", TITR_TITLE, false},
    {13034, app::FOLDER_SEQUENCES, ".zxs", TITR_SEQUENCE, false},
    {13036, app::FOLDER_CLOCK, ".zck", TITR_CLOCK, false},
    {13037, app::FOLDER_BANNERS, ".zxa", TITR_BANNER, false},
    {13035, app::FOLDER_VIDEO, ".mpg", TITR_MPEG, true},
    {13038, app::FOLDER_VIDEO, ".vid", TITR_VIDEO_PLAYLIST, true},
};

namespace {

using FolderId = std::pair<dev_t, ino_t>;

struct Scan {
    std::string ext;
    int kind;
    bool enabled;
    std::set<FolderId> visited;
};

bool EndsWithNoCase(const std::string& name, const std::string& ext) {
    return name.size() > ext.size() &&
           platform::EqualsNoCase(std::string_view(name).substr(name.size() - ext.size()), ext);
}

void SortChildren(TitlesNode& node) {
    std::stable_sort(node.children.begin(), node.children.end(),
                     [](const TitlesNode& a, const TitlesNode& b) { return a.text < b.text; });
}

// Fills node with what folder holds; false when nothing matching is below it.
bool ScanFolder(const std::string& folder, int depth, Scan& scan, TitlesNode& node) {
    struct stat st {};
    // stat follows links: a link back up the tree names a folder already visited.
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    if (!scan.visited.insert({st.st_dev, st.st_ino}).second) {
        LogMessage("CTitrView::BuildTree : %s visited already, not entered", folder.c_str());
        return false;
    }
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        LogMessage("CTitrView::BuildTree : %s cannot be read, skipped", folder.c_str());
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        names.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : names) {
        const std::string path = platform::JoinPath(folder, name);
        struct stat es {};
        if (::stat(path.c_str(), &es) != 0) continue;  // a dangling link
        if (S_ISDIR(es.st_mode)) {
            if (depth + 1 >= kTitlesMaxDepth) continue;
            TitlesNode sub;
            sub.text = name;
            sub.kind = TITR_FOLDER;
            sub.path = path;
            sub.enabled = scan.enabled;
            if (ScanFolder(path, depth + 1, scan, sub)) node.children.push_back(std::move(sub));
        } else if (S_ISREG(es.st_mode) && EndsWithNoCase(name, scan.ext)) {
            TitlesNode file;
            file.text = name.substr(0, name.size() - scan.ext.size());
            file.kind = scan.kind;
            file.path = path;
            file.enabled = scan.enabled;
            node.children.push_back(std::move(file));
        }
    }
    SortChildren(node);
    return !node.children.empty();
}

const TitlesNode* Find(const TitlesNode& node, const std::string& path) {
    if (node.isFile() && node.path == path) return &node;
    for (const TitlesNode& c : node.children)
        if (const TitlesNode* f = Find(c, path)) return f;
    return nullptr;
}

}  // namespace

void ScanTitlesFolder(const std::string& folder, const std::string& ext, int kind, TitlesNode& node) {
    Scan scan{platform::ToLowerAscii(ext), kind, node.enabled, {}};
    std::string f = folder;
    while (f.size() > 1 && f.back() == '/') f.pop_back();
    ScanFolder(f, 0, scan, node);
}

std::vector<TitlesNode> BuildTitlesTree(const app::FolderTable& folders, const TitlesTreeOptions& options) {
    std::vector<TitlesNode> tree;
    for (const TitlesGroup& g : kTitlesGroups) {
        if (g.mpegOnly && !options.mpegBoards) continue;
        TitlesNode group;
        group.text = app::LoadString(g.stringId);
        group.kind = TITR_FOLDER;
        group.path = folders.entry(g.folder);
        group.enabled = (options.playableKinds & g.kind) != 0;
        const size_t index = tree.size();
        group.expanded = index >= options.expanded.size() || options.expanded[index];
        if (!group.path.empty()) ScanTitlesFolder(group.path, g.ext, g.kind, group);
        tree.push_back(std::move(group));
    }
    return tree;
}

const TitlesNode* FindTitlesNode(const std::vector<TitlesNode>& tree, const std::string& path) {
    for (const TitlesNode& n : tree)
        if (const TitlesNode* f = Find(n, path)) return f;
    return nullptr;
}

}  // namespace air
