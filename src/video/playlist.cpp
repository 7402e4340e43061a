#include "video/playlist.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "app/folders.h"
#include "pages/file_result.h"
#include "platform/files.h"
#include "video/clip_probe.h"
#include "video/fixed_text.h"
#include "video/remote_buttons.h"

namespace video {

namespace {

constexpr char kMagic[4] = {'Z', 'X', 'L', 'L'};

// Inserts by the editor's rule: a positive time before the first entry whose own time is
// non-zero and later; 0 at the end.
template <class T, class Time>
void InsertTimed(std::vector<T>& list, T item, Time time) {
    auto at = list.end();
    if (time(item) > 0)
        at = std::find_if(list.begin(), list.end(), [&](const T& e) { return time(e) != 0 && time(e) > time(item); });
    list.insert(at, std::move(item));
}

bool ReadClip(platform::ByteReader& r, ClipRecord& c) {
    c.start = r.i32();
    c.duration = r.i32();
    if (!ReadFixedText(r, kClipPathBytes, c.path)) return false;
    c.absolute = r.i32() != 0;
    c.loop = r.i32() != 0;
    return r.skip(kClipRecordBytes - 276);
}

void WriteClip(platform::ByteWriter& w, const ClipRecord& c) {
    w.i32(c.start);
    w.i32(c.duration);
    WriteFixedText(w, c.path, kClipPathBytes);
    w.i32(c.absolute ? 1 : 0);
    w.i32(c.loop ? 1 : 0);
    w.zeros(kClipRecordBytes - 276);
}

bool ReadButton(platform::ByteReader& r, ButtonEvent& b) {
    b.time = r.i32();
    if (!ReadFixedText(r, kButtonNameBytes, b.name)) return false;
    b.action = r.i32();
    return r.skip(kButtonEventBytes - 40);
}

void WriteButton(platform::ByteWriter& w, const ButtonEvent& b) {
    w.i32(b.time);
    WriteFixedText(w, b.name, kButtonNameBytes);
    w.i32(b.action);
    w.zeros(kButtonEventBytes - 40);
}

}  // namespace

CPlaylist::CPlaylist(std::string root) { SetRoot(root); }

void CPlaylist::SetRoot(const std::string& root) {
    root_ = root.empty() ? std::string() : app::WithSlash(root);
    dirty_ = true;
}

int CPlaylist::Parse(std::span<const uint8_t> data) {
    platform::ByteReader r(data);
    char magic[4] = {};
    r.bytes(magic, 4);
    const uint32_t version = r.u32();
    const uint32_t counts[3] = {r.u32(), r.u32(), r.u32()};
    const uint32_t flags = r.u32();
    if (!r.ok() || std::memcmp(magic, kMagic, 4) != 0) return pages::FILE_FORMAT_ERROR;
    if (version != kPlaylistVersion) return pages::FILE_VERSION_ERROR;
    // Counts beyond what the file holds are damage (checked before anything is allocated).
    const uint64_t need = kPlaylistHeaderBytes + (uint64_t(counts[0]) + counts[1]) * kClipRecordBytes +
                          uint64_t(counts[2]) * kButtonEventBytes;
    if (need > data.size() || !r.seek(kPlaylistHeaderBytes)) return pages::FILE_FORMAT_ERROR;
    std::vector<ClipRecord> tracks[2];
    for (int k = 0; k < 2; ++k) {
        tracks[k].resize(counts[k]);
        for (ClipRecord& c : tracks[k])
            if (!ReadClip(r, c)) return pages::FILE_FORMAT_ERROR;
    }
    std::vector<ButtonEvent> buttons(counts[2]);
    for (ButtonEvent& b : buttons)
        if (!ReadButton(r, b)) return pages::FILE_FORMAT_ERROR;
    if (!r.ok()) return pages::FILE_FORMAT_ERROR;
    for (int k = 0; k < 2; ++k)
        for (ClipRecord& c : tracks[k]) c.path = platform::NormaliseDataName(c.path);
    tracks_[0] = std::move(tracks[0]);
    tracks_[1] = std::move(tracks[1]);
    buttons_ = std::move(buttons);
    logoOff_ = (flags & 1) != 0;
    total_ = 0;  // the file has no total: the clips' end stands for it
    dirty_ = true;
    return pages::FILE_OK;
}

std::vector<uint8_t> CPlaylist::Serialize() const {
    std::vector<uint8_t> out;
    out.reserve(kPlaylistHeaderBytes + (tracks_[0].size() + tracks_[1].size()) * kClipRecordBytes +
                buttons_.size() * kButtonEventBytes);
    platform::ByteWriter w(out);
    w.bytes(kMagic, 4);
    w.u32(kPlaylistVersion);
    w.u32(uint32_t(tracks_[0].size()));
    w.u32(uint32_t(tracks_[1].size()));
    w.u32(uint32_t(buttons_.size()));
    w.u32(logoOff_ ? 1 : 0);
    w.zeros(kPlaylistHeaderBytes - 24);
    for (const auto& track : tracks_)
        for (const ClipRecord& c : track) WriteClip(w, c);
    for (const ButtonEvent& b : buttons_) WriteButton(w, b);
    return out;
}

int CPlaylist::Load(const std::string& path) {
    std::vector<uint8_t> data;
    if (!platform::ReadFile(platform::ResolvePath(path), data)) return pages::FILE_OPEN_ERROR;
    if (const int rc = Parse(data); rc != pages::FILE_OK) return rc;
    return RemoveMissing() ? FILE_MISSING_CLIPS : pages::FILE_OK;
}

int CPlaylist::Save(const std::string& path) const {
    return platform::WriteFileAtomic(path, Serialize()) ? pages::FILE_OK : pages::FILE_SAVE_ERROR;
}

std::string CPlaylist::FullPath(const ClipRecord& clip) const {
    return clip.absolute || root_.empty() ? clip.path : root_ + clip.path;
}

bool CPlaylist::RemoveMissing() {
    bool removed = false;
    for (auto& track : tracks_) {
        const size_t before = track.size();
        std::erase_if(
            track, [this](const ClipRecord& c) { return !platform::FileExists(platform::ResolvePath(FullPath(c))); });
        removed |= track.size() != before;
    }
    dirty_ = true;
    return removed;
}

void CPlaylist::Clear() {
    tracks_[0].clear();
    tracks_[1].clear();
    buttons_.clear();
    total_ = 0;
    logoOff_ = false;
    dirty_ = true;
}

void CPlaylist::AddClip(int board, ClipRecord clip) {
    InsertTimed(tracks_[board & 1], std::move(clip), [](const ClipRecord& c) { return c.start; });
    dirty_ = true;
}

void CPlaylist::AddButton(ButtonEvent button) {
    InsertTimed(buttons_, std::move(button), [](const ButtonEvent& b) { return b.time; });
    dirty_ = true;
}

ClipRecord CPlaylist::MakeClip(const std::string& fullPath, int32_t start, int32_t duration, bool loop) const {
    ClipRecord c;
    c.start = start;
    c.duration = duration;
    c.loop = loop;
    if (!root_.empty() && fullPath.size() > root_.size() && fullPath.compare(0, root_.size(), root_) == 0) {
        c.path = fullPath.substr(root_.size());
    } else {
        c.path = fullPath;
        c.absolute = true;
    }
    return c;
}

void CPlaylist::RemoveClip(int board, size_t index) {
    auto& track = tracks_[board & 1];
    if (index < track.size()) track.erase(track.begin() + ptrdiff_t(index));
    dirty_ = true;
}

void CPlaylist::RemoveButton(size_t index) {
    if (index < buttons_.size()) buttons_.erase(buttons_.begin() + ptrdiff_t(index));
    dirty_ = true;
}

int CPlaylist::AddClipFile(int board, const std::string& fullPath, int32_t start, bool loop,
                           const std::function<int(const std::string&, uint32_t&)>& probe) {
    uint32_t ms = 0;
    const int rc = probe ? probe(fullPath, ms) : ProbeDuration(fullPath, ms);
    if (rc != PROBE_OK) return rc;
    AddClip(board, MakeClip(fullPath, std::max(start, 0), int32_t(std::min<uint32_t>(ms, INT32_MAX)), loop));
    return PROBE_OK;
}

std::vector<PlaylistLine> CPlaylist::Lines() const {
    std::vector<PlaylistLine> out;
    for (int k = 0; k < 2; ++k) {
        // As the air frame is given them: 0 follows the clip before.
        int64_t previous = 0, previousLength = 0;
        for (size_t i = 0; i < tracks_[k].size(); ++i) {
            const ClipRecord& c = tracks_[k][i];
            int64_t start = std::max<int32_t>(c.start, 0);
            if (start == 0 && i > 0) start = previous + previousLength;
            previous = start = std::min<int64_t>(start, INT32_MAX);
            previousLength = std::max<int32_t>(c.duration, 0);
            out.push_back({int32_t(start), k, i, c.path + (c.loop ? " (loop)" : "")});
        }
    }
    int32_t previous = 0;
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const ButtonEvent& b = buttons_[i];
        previous = b.time > 0 ? b.time : previous;
        out.push_back({previous, LINE_BUTTONS, i, b.name + " " + RemoteActionName(b.action)});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const PlaylistLine& a, const PlaylistLine& b) { return a.time < b.time; });
    return out;
}

bool CPlaylist::RemoveLine(const PlaylistLine& line) {
    if (line.column == LINE_BUTTONS) {
        if (line.index >= buttons_.size()) return false;
        RemoveButton(line.index);
        return true;
    }
    if (line.column != LINE_TRACK_1 && line.column != LINE_TRACK_2) return false;
    if (line.index >= tracks_[line.column].size()) return false;
    RemoveClip(line.column, line.index);
    return true;
}

std::string CPlaylist::FormatTime(int32_t ms) {
    ms = std::max(ms, 0);
    char buf[24];
    std::snprintf(buf, sizeof buf, "%d.%03d", ms / 1000, ms % 1000);
    return buf;
}

void CPlaylist::resolve() const {
    if (!dirty_) return;
    end_ = 0;
    for (int k = 0; k < 2; ++k) {
        auto& out = played_[k];
        out.clear();
        out.reserve(tracks_[k].size());
        int64_t previous = 0, previousLength = 0;
        bool first = true;
        for (const ClipRecord& c : tracks_[k]) {
            // 0 follows the clip before; a negative time (a hand-made file) counts as 0.
            int64_t start = std::max<int32_t>(c.start, 0);
            if (start == 0 && !first) start = previous + previousLength;
            start = std::min<int64_t>(start, UINT32_MAX);
            out.push_back({uint32_t(start), FullPath(c), c.loop});
            previous = start;
            previousLength = std::max<int32_t>(c.duration, 0);
            first = false;
            end_ = uint32_t(std::clamp<int64_t>(std::max<int64_t>(end_, start + previousLength), 0, UINT32_MAX));
        }
        const auto byStart = [](const air::PlaylistClip& a, const air::PlaylistClip& b) {
            return a.startMs < b.startMs;
        };
        if (!std::is_sorted(out.begin(), out.end(), byStart)) std::stable_sort(out.begin(), out.end(), byStart);
    }
    pressed_.clear();
    pressed_.reserve(buttons_.size());
    uint32_t previous = 0;
    for (const ButtonEvent& b : buttons_) {
        const uint32_t t = b.time > 0 ? uint32_t(b.time) : previous;
        pressed_.push_back({t, b.name, b.action});
        previous = t;
    }
    const auto byTime = [](const air::PlaylistButton& a, const air::PlaylistButton& b) { return a.timeMs < b.timeMs; };
    if (!std::is_sorted(pressed_.begin(), pressed_.end(), byTime))
        std::stable_sort(pressed_.begin(), pressed_.end(), byTime);
    dirty_ = false;
}

const std::vector<air::PlaylistClip>& CPlaylist::Track(int board) const {
    resolve();
    return played_[board & 1];
}

const std::vector<air::PlaylistButton>& CPlaylist::Buttons() const {
    resolve();
    return pressed_;
}

uint32_t CPlaylist::TotalMs() const {
    resolve();
    return total_ > 0 ? uint32_t(total_) : end_;
}

}  // namespace video
