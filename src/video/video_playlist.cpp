#include "video/video_playlist.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "app/folders.h"
#include "app/message_boxes.h"
#include "pages/file_result.h"
#include "platform/files.h"
#include "video/fixed_text.h"
#include "video/remote_buttons.h"

namespace video {

namespace {

constexpr char kMagic[4] = {'Z', 'X', 'M', 'M'};
constexpr const char* kTransitions[kTransitionCount] = {"CUT",     "MIX",     "EFFECT1", "EFFECT2",
                                                        "EFFECT3", "EFFECT4", "EFFECT5", "EFFECT6"};
constexpr const char* kExtras[4] = {"LOGO1", "LOGO2", "CLOCK", "THERMO"};

bool ValidTransition(int index) { return index >= 0 && index < kTransitionCount; }

// The air playlist's times are milliseconds from the start; nothing happens before it.
int32_t Clamp(int64_t t) { return int32_t(std::clamp<int64_t>(t, 0, INT32_MAX)); }

}  // namespace

const char* TransitionButton(int index) { return kTransitions[ValidTransition(index) ? index : 0]; }

int32_t TransitionMinimum(int index) {
    if (!ValidTransition(index) || index == TRANSITION_CUT) return 100;
    return index == TRANSITION_MIX ? 300 : 700;
}

const char* ExtraButton(int command) {
    return command >= 1 && command <= kExtraCommandCount ? kExtras[(command - 1) / 2] : "";
}

int ExtraAction(int command) { return command % 2 == 1 ? REMOTE_ON : REMOTE_OFF; }

std::string ExtraText(int command) {
    if (!*ExtraButton(command)) return {};
    char buf[48];
    std::snprintf(buf, sizeof buf, " [%s %s]", ExtraButton(command), ExtraAction(command) == REMOTE_ON ? "ON" : "OFF");
    return buf;
}

CVideoPlaylist::CVideoPlaylist(std::string folder) { SetFolder(folder); }

void CVideoPlaylist::SetFolder(const std::string& folder) {
    folder_ = folder.empty() ? std::string() : app::WithSlash(folder);
}

int CVideoPlaylist::Parse(std::span<const uint8_t> data, int* savedBoards) {
    platform::ByteReader r(data);
    char magic[4] = {};
    r.bytes(magic, 4);
    const uint32_t version = r.u32();
    const int32_t boards = r.i32();
    const uint32_t count = r.u32();
    r.skip(64);
    const uint32_t flags = r.u32();
    if (!r.ok() || std::memcmp(magic, kMagic, 4) != 0) return pages::FILE_FORMAT_ERROR;
    if (version != kVideoPlaylistVersion) return pages::FILE_VERSION_ERROR;
    if (uint64_t(count) * kVideoRowBytes > data.size() - std::min(data.size(), kVideoHeaderBytes) ||
        !r.seek(kVideoHeaderBytes))
        return pages::FILE_FORMAT_ERROR;
    std::vector<VideoRow> rows(count);
    for (VideoRow& row : rows) {
        if (!ReadFixedText(r, 260, row.name)) return pages::FILE_FORMAT_ERROR;
        row.duration = r.i32();
        if (!ReadFixedText(r, kDescriptionBytes, row.description)) return pages::FILE_FORMAT_ERROR;
        row.transition = r.i32();
        // An unknown transition plays as a cut; an unknown extra command as none.
        if (!ValidTransition(row.transition)) row.transition = TRANSITION_CUT;
        row.interleave = r.i32();
        row.spacing = r.i32();
        row.loop = r.i32() != 0;
        row.fullPath = r.i32() != 0;
        for (uint8_t& e : row.extras) {
            e = r.u8();
            if (e > kExtraCommandCount) e = 0;
        }
        r.skip(kVideoRowBytes - 351);
        if (!r.ok()) return pages::FILE_FORMAT_ERROR;
        row.name = platform::NormaliseDataName(row.name);
    }
    rows_ = std::move(rows);
    logoOff_ = (flags & 1) != 0;
    if (savedBoards) *savedBoards = boards;
    return pages::FILE_OK;
}

std::vector<uint8_t> CVideoPlaylist::Serialize(int boards) const {
    std::vector<uint8_t> out;
    out.reserve(kVideoHeaderBytes + rows_.size() * kVideoRowBytes);
    platform::ByteWriter w(out);
    w.bytes(kMagic, 4);
    w.u32(kVideoPlaylistVersion);
    w.i32(boards);
    w.u32(uint32_t(rows_.size()));
    w.zeros(64);
    w.u32(logoOff_ ? 1 : 0);
    w.zeros(44);
    for (const VideoRow& row : rows_) {
        WriteFixedText(w, row.name, 260);
        w.i32(row.duration);
        WriteFixedText(w, row.description, kDescriptionBytes);
        w.i32(row.transition);
        w.i32(row.interleave);
        w.i32(row.spacing);
        w.i32(row.loop ? 1 : 0);
        w.i32(row.fullPath ? 1 : 0);
        for (uint8_t e : row.extras) w.u8(e);
        w.zeros(kVideoRowBytes - 351);
    }
    return out;
}

int CVideoPlaylist::Load(const std::string& path, const LoadOptions& options) {
    std::vector<uint8_t> data;
    if (!platform::ReadFile(platform::ResolvePath(path), data)) return pages::FILE_OPEN_ERROR;
    int saved = 0;
    if (const int rc = Parse(data, &saved); rc != pages::FILE_OK) return rc;
    if (saved != options.boards && options.checkBoards)
        app::MessageBoxId(IDS_OTHER_BOARDS, app::MB_OK | app::MB_ICONWARNING);
    const bool missing = RemoveMissing();
    UpdateTotal(options.boards);
    return missing ? FILE_MISSING_CLIPS : pages::FILE_OK;
}

int CVideoPlaylist::Save(const std::string& path, int boards) const {
    return platform::WriteFileAtomic(path, Serialize(boards)) ? pages::FILE_OK : pages::FILE_SAVE_ERROR;
}

std::string CVideoPlaylist::FullPath(const VideoRow& row) const {
    return row.fullPath || folder_.empty() ? row.name : folder_ + row.name;
}

bool CVideoPlaylist::RemoveMissing() {
    const size_t before = rows_.size();
    std::erase_if(rows_, [this](const VideoRow& row) {
        return !row.name.empty() && !platform::FileExists(platform::ResolvePath(FullPath(row)));
    });
    return rows_.size() != before;
}

int32_t CVideoPlaylist::UpdateTotal(int boards) {
    int64_t total = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
        VideoRow& row = rows_[i];
        total += row.duration;
        row.interleave = std::max(row.interleave, TransitionMinimum(row.transition));
        if (i == 0) continue;
        if (IsClosing(i)) {
            total += TransitionMinimum(row.transition) - row.interleave;
        } else if (boards == 2) {
            total -= row.interleave;
        } else {
            row.transition = TRANSITION_CUT;
            total += row.spacing;
        }
    }
    total_ = Clamp(total);
    return total_;
}

void CVideoPlaylist::ConvertTo(CPlaylist& air, int boards, const std::array<int, 2>& inputs) {
    boards = boards == 2 ? 2 : 1;
    UpdateTotal(boards);
    air.Clear();
    air.SetTotal(total_);
    air.SetLogoOff(logoOff_);
    std::vector<ButtonEvent>& events = air.Events();
    events.reserve(rows_.size() * 4);
    air.Clips(0).reserve(boards == 2 ? rows_.size() / 2 + 1 : rows_.size());
    if (boards == 2) air.Clips(1).reserve(rows_.size() / 2 + 1);
    auto event = [&events](const char* name, int action, int64_t t) { events.push_back({Clamp(t), name, action}); };
    int64_t start = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
        const VideoRow& row = rows_[i];
        const int k = boards == 2 ? int(i % 2) : 0;
        const bool closing = IsClosing(i);
        const int32_t minimal = TransitionMinimum(row.transition);
        int64_t t;
        if (i == 0) t = start + row.interleave - minimal;
        else if (closing) t = start - row.interleave;
        else if (boards == 2) t = start + (row.interleave - minimal) / 2;
        else t = start - rows_[i - 1].spacing - 100;
        if (boards == 1 && i > 0 && !closing) {
            event(kButtonFreeze, REMOTE_PUSH, t);
            event(kButtonFreeze, REMOTE_PUSH, t + rows_[i - 1].spacing + 300);
        } else {
            if (row.transition != TRANSITION_CUT) {
                event(kButtonAuto, REMOTE_PUSH, t);
                event(TransitionButton(row.transition), REMOTE_PUSH, t);
            } else {
                event(kButtonCut, REMOTE_PUSH, t);
            }
            if (!closing) {
                const std::string in = "IN" + std::to_string(std::clamp(inputs[size_t(k)], 0, 15) + 1);
                events.push_back({Clamp(t), in, REMOTE_PUSH});
            }
        }
        for (uint8_t e : row.extras)
            if (e) event(ExtraButton(e), ExtraAction(e), t);
        if (!row.name.empty()) {
            ClipRecord c;
            c.start = Clamp(start);
            c.duration = row.duration;
            c.path = FullPath(row);
            c.absolute = true;
            c.loop = row.loop;
            air.Clips(k).push_back(std::move(c));
            start += row.duration;
            if (i + 1 < rows_.size() && !IsClosing(i + 1)) {
                if (boards == 2) start -= rows_[i + 1].interleave;
                else start += rows_[i + 1].spacing;
            }
        }
    }
    // In time order: a clamped or early event must not wait behind a later one. (Mostly they
    // are in order already, and a sort of them would take longer than all the rest.)
    const auto byTime = [](const ButtonEvent& a, const ButtonEvent& b) { return a.time < b.time; };
    if (!std::is_sorted(events.begin(), events.end(), byTime)) std::stable_sort(events.begin(), events.end(), byTime);
    const auto byStart = [](const ClipRecord& a, const ClipRecord& b) { return a.start < b.start; };
    for (int k = 0; k < 2; ++k)
        if (!std::is_sorted(air.Clips(k).begin(), air.Clips(k).end(), byStart))
            std::stable_sort(air.Clips(k).begin(), air.Clips(k).end(), byStart);
    air.Changed();
}

void CVideoPlaylist::Reset(const RowDefaults& defaults) {
    rows_.clear();
    VideoRow closing;
    closing.transition = ValidTransition(defaults.transition) ? defaults.transition : TRANSITION_CUT;
    closing.interleave = defaults.timeIn;
    closing.spacing = defaults.timeOut;
    rows_.push_back(closing);
    logoOff_ = false;
}

void CVideoPlaylist::Add(const VideoRow& clip, const RowDefaults& defaults) {
    if (rows_.empty() || !rows_.back().name.empty()) {
        VideoRow closing;
        closing.transition = ValidTransition(defaults.transition) ? defaults.transition : TRANSITION_CUT;
        closing.interleave = defaults.timeIn;
        closing.spacing = defaults.timeOut;
        rows_.push_back(closing);
    }
    VideoRow row = clip;
    row.transition = ValidTransition(defaults.transition) ? defaults.transition : TRANSITION_CUT;
    row.interleave = defaults.timeIn;
    row.spacing = defaults.timeOut;
    rows_.insert(rows_.end() - 1, std::move(row));
}

bool CVideoPlaylist::MoveUp(size_t row) {
    if (!CanMoveUp(row)) return false;
    std::swap(rows_[row], rows_[row - 1]);
    return true;
}

bool CVideoPlaylist::MoveDown(size_t row) {
    if (!CanMoveDown(row)) return false;
    std::swap(rows_[row], rows_[row + 1]);
    return true;
}

bool CVideoPlaylist::RemoveRow(size_t row) {
    if (row >= rows_.size() || IsClosing(row)) return false;
    rows_.erase(rows_.begin() + ptrdiff_t(row));
    return true;
}

size_t CVideoPlaylist::RemoveClip(const std::string& name, bool fullPath) {
    return std::erase_if(
        rows_, [&](const VideoRow& r) { return !r.name.empty() && r.name == name && r.fullPath == fullPath; });
}

bool CVideoPlaylist::UsesClip(const std::string& name, bool fullPath) const {
    return std::any_of(rows_.begin(), rows_.end(),
                       [&](const VideoRow& r) { return !r.name.empty() && r.name == name && r.fullPath == fullPath; });
}

std::string CVideoPlaylist::FormatDuration(int32_t ms) {
    ms = std::max(ms, 0);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%4d:%02d.%d", ms / 60000, ms / 1000 % 60, ms / 100 % 10);
    return buf;
}

std::string CVideoPlaylist::TransitionText(const VideoRow& row) {
    std::string s = TransitionButton(row.transition);
    for (uint8_t e : row.extras) s += ExtraText(e);
    return s;
}

}  // namespace video
