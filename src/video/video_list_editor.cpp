#include "video/video_list_editor.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/profile.h"
#include "pages/file_result.h"
#include "platform/files.h"

namespace video {

namespace {

constexpr char kSection[] = "VideoList";
// File results with this bit are errors (nothing loaded); the others are warnings.
constexpr int kFileError = 0x100;

std::string Key(const char* format, int i) {
    char buf[40];
    std::snprintf(buf, sizeof buf, format, i);
    return buf;
}

// Widths the lists can show: a damaged setting gives neither a hidden nor a screen-wide column.
int Width(int w, int def) { return w >= 8 && w <= 2000 ? w : def; }

}  // namespace

VideoListSettings VideoListSettings::Load(const app::Profile& ini) {
    VideoListSettings s;
    s.sortMode = std::clamp(ini.getInt(kSection, "SortMode", s.sortMode), 0, 2);
    s.defaults.transition = ini.getInt(kSection, "DefTransition", s.defaults.transition);
    if (s.defaults.transition < 0 || s.defaults.transition >= kTransitionCount) s.defaults.transition = TRANSITION_CUT;
    s.defaults.timeIn = std::max(ini.getInt(kSection, "DefTimeIn", s.defaults.timeIn), 0);
    s.defaults.timeOut = std::max(ini.getInt(kSection, "DefTimeOut", s.defaults.timeOut), 0);
    for (int i = 0; i < kListColumns; ++i) {
        int& w = s.listColumns[size_t(i)];
        w = Width(ini.getInt(kSection, Key("ListColumnWidth%d", i), w), w);
    }
    for (int i = 0; i < kBaseColumns; ++i) {
        int& w = s.baseColumns[size_t(i)];
        w = Width(ini.getInt(kSection, Key("BaseColumnWidth%d", i), w), w);
    }
    return s;
}

void VideoListSettings::Save(app::Profile& ini) const {
    app::Profile::Batch batch(ini);
    ini.putInt(kSection, "SortMode", sortMode);
    ini.putInt(kSection, "DefTransition", defaults.transition);
    ini.putInt(kSection, "DefTimeIn", defaults.timeIn);
    ini.putInt(kSection, "DefTimeOut", defaults.timeOut);
    for (int i = 0; i < kListColumns; ++i) ini.putInt(kSection, Key("ListColumnWidth%d", i), listColumns[size_t(i)]);
    for (int i = 0; i < kBaseColumns; ++i) ini.putInt(kSection, Key("BaseColumnWidth%d", i), baseColumns[size_t(i)]);
}

std::vector<std::string> PlaylistsUsingClip(const std::string& folder, const std::string& name, bool fullPath) {
    namespace fs = std::filesystem;
    std::vector<std::string> out;
    if (folder.empty()) return out;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string path = it->path().string();
        if (!it->is_regular_file(ec) ||
            !platform::EqualsNoCase(platform::ExtensionOfPath(path), kVideoPlaylistExtension))
            continue;
        std::vector<uint8_t> data;
        CVideoPlaylist list;
        if (platform::ReadFile(path, data) && list.Parse(data) == pages::FILE_OK && list.UsesClip(name, fullPath))
            out.push_back(path);
    }
    std::sort(out.begin(), out.end());
    return out;
}

VideoRow RowOf(const LibraryEntry& entry) {
    VideoRow row;
    row.name = entry.name;
    row.duration = int32_t(std::min<uint32_t>(entry.duration, INT32_MAX));
    row.description = entry.description;
    row.fullPath = entry.fullPath;
    return row;
}

CVideoListEditor::CVideoListEditor(CVideoPlaylist& playlist, std::string videoFolder, int boards,
                                   VideoListSettings settings, ProbeFn probe)
    : playlist_(playlist), library_(videoFolder, std::move(probe)), boards_(boards == 2 ? 2 : 1), settings_(settings) {
    playlist_.SetFolder(videoFolder);
}

void CVideoListEditor::reset() {
    playlist_.Reset(settings_.defaults);
    playlist_.UpdateTotal(boards_);
}

CVideoListEditor::OpenResult CVideoListEditor::Open(const std::string& path) {
    OpenResult r;
    r.library = library_.Load();
    library_.Sort(settings_.sortMode);
    path_ = path;
    if (path.empty()) {
        reset();
    } else {
        CVideoPlaylist::LoadOptions o;
        o.boards = boards_;
        r.playlist = playlist_.Load(path, o);
        if (r.playlist & kFileError) reset();
    }
    if (playlist_.Rows().empty()) reset();
    playlist_.UpdateTotal(boards_);
    modified_ = false;
    return r;
}

int CVideoListEditor::Load(const std::string& path) {
    CVideoPlaylist::LoadOptions o;
    o.boards = boards_;
    o.checkBoards = true;
    const int rc = playlist_.Load(path, o);
    if (rc & kFileError) reset();
    else path_ = path;
    if (playlist_.Rows().empty()) reset();
    playlist_.UpdateTotal(boards_);
    modified_ = (rc & kFileError) != 0;
    return rc;
}

int CVideoListEditor::Save(const std::string& path) {
    playlist_.UpdateTotal(boards_);
    const int rc = playlist_.Save(path, boards_);
    if (rc == pages::FILE_OK) {
        path_ = path;
        modified_ = false;
        saved_ = true;
    }
    return rc;
}

void CVideoListEditor::edited() {
    playlist_.UpdateTotal(boards_);
    modified_ = true;
}

void CVideoListEditor::Clear() {
    reset();
    modified_ = true;
}

int CVideoListEditor::Add(size_t entry) {
    if (entry >= library_.Entries().size()) return -1;
    playlist_.Add(RowOf(library_.Entries()[entry]), settings_.defaults);
    edited();
    return int(playlist_.Rows().size()) - 2;
}

bool CVideoListEditor::MoveUp(size_t row) {
    if (!playlist_.MoveUp(row)) return false;
    edited();
    return true;
}

bool CVideoListEditor::MoveDown(size_t row) {
    if (!playlist_.MoveDown(row)) return false;
    edited();
    return true;
}

TransitionEdit CVideoListEditor::TransitionOf(size_t row) const {
    TransitionEdit e;
    if (row >= playlist_.Rows().size()) return e;
    const VideoRow& r = playlist_.Rows()[row];
    e.transition = r.transition;
    e.interleave = r.interleave;
    e.spacing = r.spacing;
    e.extras = r.extras;
    return e;
}

bool CVideoListEditor::SetTransition(size_t row, const TransitionEdit& edit) {
    if (row >= playlist_.Rows().size()) return false;
    VideoRow& r = playlist_.Rows()[row];
    r.transition = edit.transition >= 0 && edit.transition < kTransitionCount ? edit.transition : TRANSITION_CUT;
    r.interleave = std::max(edit.interleave, 0);
    r.spacing = std::max(edit.spacing, 0);
    for (size_t i = 0; i < r.extras.size(); ++i)
        r.extras[i] = edit.extras[i] <= kExtraCommandCount ? edit.extras[i] : 0;
    edited();
    return true;
}

void CVideoListEditor::SetLogoOff(bool off) {
    if (playlist_.LogoOff() == off) return;
    playlist_.SetLogoOff(off);
    modified_ = true;
}

void CVideoListEditor::SetDefaults(const RowDefaults& defaults) {
    RowDefaults& d = settings_.defaults;
    d.transition =
        defaults.transition >= 0 && defaults.transition < kTransitionCount ? defaults.transition : TRANSITION_CUT;
    d.timeIn = std::max(defaults.timeIn, 0);
    d.timeOut = std::max(defaults.timeOut, 0);
}

void CVideoListEditor::SetColumnWidths(const std::array<int, VideoListSettings::kListColumns>& list,
                                       const std::array<int, VideoListSettings::kBaseColumns>& base) {
    for (size_t i = 0; i < list.size(); ++i) settings_.listColumns[i] = Width(list[i], settings_.listColumns[i]);
    for (size_t i = 0; i < base.size(); ++i) settings_.baseColumns[i] = Width(base[i], settings_.baseColumns[i]);
}

void CVideoListEditor::Sort(int mode) {
    settings_.sortMode = std::clamp(mode, 0, 2);
    library_.Sort(settings_.sortMode);
}

int CVideoListEditor::Refresh() {
    const int rc = library_.Refresh();
    library_.Sort(settings_.sortMode);
    return rc;
}

bool CVideoListEditor::SetDescription(size_t entry, const std::string& text, int* result) {
    if (!library_.SetDescription(entry, text)) return false;
    const int rc = library_.Write();
    if (result) *result = rc;
    return true;
}

std::vector<std::string> CVideoListEditor::UsersOf(size_t entry) const {
    if (entry >= library_.Entries().size()) return {};
    const LibraryEntry& e = library_.Entries()[entry];
    return PlaylistsUsingClip(library_.Folder(), e.name, e.fullPath);
}

bool CVideoListEditor::DeleteClip(size_t entry) {
    if (entry >= library_.Entries().size()) return false;
    const LibraryEntry e = library_.Entries()[entry];
    std::error_code ec;
    std::filesystem::remove(platform::ResolvePath(library_.FullPath(e)), ec);
    if (ec) return false;
    library_.Remove(entry);
    library_.Write();
    if (playlist_.RemoveClip(e.name, e.fullPath) > 0) edited();
    return true;
}

std::vector<CVideoListEditor::Line> CVideoListEditor::PlaylistLines() const {
    std::vector<Line> out;
    const auto& rows = playlist_.Rows();
    out.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const VideoRow& r = rows[i];
        Line l;
        const bool closing = playlist_.IsClosing(i);
        l.number = closing ? "-" : std::to_string(i + 1);
        l.video = r.name;
        if (!closing) l.duration = CVideoPlaylist::FormatDuration(r.duration);
        l.transition = CVideoPlaylist::TransitionText(r);
        l.comment = r.description;
        out.push_back(std::move(l));
    }
    return out;
}

std::vector<CVideoListEditor::EntryLine> CVideoListEditor::LibraryLines() const {
    std::vector<EntryLine> out;
    out.reserve(library_.Entries().size());
    for (const LibraryEntry& e : library_.Entries())
        out.push_back({e.name, CVideoPlaylist::FormatDuration(int32_t(std::min<uint32_t>(e.duration, INT32_MAX))),
                       e.description});
    return out;
}

}  // namespace video
