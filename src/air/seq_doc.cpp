#include "air/seq_doc.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "air/effects.h"
#include "app/folders.h"
#include "app/log/event_log.h"
#include "pages/file_result.h"
#include "pages/page_doc.h"
#include "platform/bytes.h"
#include "platform/files.h"

namespace air {

namespace {

// The smallest item the reader accepts: path kind, name length, show parameters, date block.
constexpr size_t kMinItemBytes = 4 + 4 + kShowParamsSize + 16;

SeqDate readDate(platform::ByteReader& r) {
    SeqDate d;
    d.year = r.u16();
    d.month = r.u8();
    d.day = r.u8();
    return d;
}

void writeDate(platform::ByteWriter& w, const SeqDate& d) {
    w.u16(d.year);
    w.u8(d.month);
    w.u8(d.day);
}

}  // namespace

int64_t DayNumber(const SeqDate& d) {
    // Days from civil (H. Hinnant's algorithm), on 64-bit values so that any stored date works.
    int64_t y = d.year, m = d.month, day = d.day;
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (m + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int WeekdayBit(const SeqDate& d) {
    // 1970-01-01 was a Thursday (bit 3).
    int64_t n = (DayNumber(d) + 3) % 7;
    if (n < 0) n += 7;
    return int(n);
}

// ---- SeqItem

int SeqItem::ShowTime() const { return ShowTimeOf(showParams, summary); }

void SeqItem::SetShowTime(int seconds) {
    const int d = RoundedSeconds(EffectDuration(showParams.inType, showParams.inSpeed, showParams.inFade != 0));
    showParams.showTime = std::max(seconds, d);
    showParams.timeMode = 0;
    showParams.plusTime = 0;
}

bool SeqItem::SetChecked(bool wanted) {
    const bool now = wanted && loaded;
    const bool changed = now != checked;
    checked = now;
    return changed;
}

bool SeqItem::MatchesDate(const SeqDate& d) const {
    if (useDate == 0) return true;
    if (d < dateFrom || dateTo < d) return false;
    return (weekdays >> WeekdayBit(d)) & 1;
}

bool SeqItem::Expired(const SeqDate& today) const {
    if (dateTo < today) return true;
    const int64_t first = DayNumber(today), last = DayNumber(dateTo);
    // A week covers every weekday: no need to walk a long range day by day.
    if (last - first >= 6) return (weekdays & ALL_WEEKDAYS) == 0;
    int bit = WeekdayBit(today);
    for (int64_t n = first; n <= last; ++n, bit = (bit + 1) % 7)
        if ((weekdays >> bit) & 1) return false;
    return true;
}

// ---- CSeqDoc

CSeqDoc::CSeqDoc(const app::FolderTable& folders, const platform::Clock& clock) : folders_(folders), clock_(clock) {}

void CSeqDoc::NewSequence() {
    items.clear();
    loop = 0;
    checkedCount = 0;
    totalTime = 0;
    const platform::LocalTime t = clock_.localTime();
    char title[64];
    std::snprintf(title, sizeof title, "%02d%02d%02d_%02d%02d%s", t.year % 100, t.month, t.day, t.hour, t.minute,
                  ".zxs");
    pathName = title;
    fromFile = false;
    modified = false;
}

int CSeqDoc::LoadSequence(const std::string& path) {
    std::vector<uint8_t> file;
    if (!platform::ReadFile(platform::ResolvePath(path), file)) {
        LogMessage("CSeqDoc::LoadSequence %s: cannot open", path.c_str());
        return SEQ_OPEN_ERROR;
    }
    return LoadSequence(file.data(), file.size(), path);
}

int CSeqDoc::LoadSequence(const uint8_t* data, size_t size, const std::string& path) {
    platform::ByteReader r(data, size);
    char magic[4] = {};
    r.bytes(magic, 4);
    const uint32_t version = r.u32();
    const uint32_t count = r.u32();
    const int32_t newLoop = r.i32();
    if (!r.ok() || size < SEQ_HEADER_SIZE || std::memcmp(magic, "SEQF", 4) != 0) {
        LogMessage("CSeqDoc::LoadSequence %s: not a sequence file", path.c_str());
        return SEQ_FORMAT_ERROR;
    }
    if (version != SEQ_VERSION && version != SEQ_VERSION_NO_COMMENTS) {
        LogMessage("CSeqDoc::LoadSequence %s: version %08X", path.c_str(), version);
        return SEQ_VERSION_ERROR;
    }
    r.seek(SEQ_HEADER_SIZE);
    if (count > r.remaining() / kMinItemBytes) {
        LogMessage("CSeqDoc::LoadSequence %s: item count %u", path.c_str(), count);
        return SEQ_FORMAT_ERROR;
    }
    std::vector<SeqItem> newItems(count);
    for (SeqItem& it : newItems) {
        it.pathKind = r.i32();
        it.pageName = platform::NormaliseDataName(r.str32(r.remaining()));
        ReadShowParams(r, it.showParams);
        it.useDate = r.i32();
        it.dateFrom = readDate(r);
        it.dateTo = readDate(r);
        it.weekdays = r.i32();
        if (version == SEQ_VERSION) it.comment = r.str32(r.remaining());
        if (!r.ok()) {
            LogMessage("CSeqDoc::LoadSequence %s: damaged item", path.c_str());
            return SEQ_FORMAT_ERROR;
        }
    }

    items = std::move(newItems);
    loop = newLoop;
    int result = SEQ_OK;
    for (SeqItem& it : items) {
        ReloadItem(it);
        if (!it.loaded) result = SEQ_MISSING_PAGES;
    }
    ComputeTotal(0);
    pathName = path;
    fromFile = true;
    modified = false;
    return result;
}

std::vector<uint8_t> CSeqDoc::Serialize() const {
    std::vector<uint8_t> out;
    platform::ByteWriter w(out);
    w.bytes("SEQF", 4);
    w.u32(SEQ_VERSION);
    w.u32(uint32_t(items.size()));
    w.i32(loop);
    w.zeros(SEQ_HEADER_SIZE - 16);
    for (const SeqItem& it : items) {
        w.i32(it.pathKind);
        w.str32(it.pageName);
        WriteShowParams(w, it.showParams);
        w.i32(it.useDate);
        writeDate(w, it.dateFrom);
        writeDate(w, it.dateTo);
        w.i32(it.weekdays);
        w.str32(it.comment);
    }
    return out;
}

int CSeqDoc::SaveSequence(const std::string& path) {
    if (!platform::WriteFileAtomic(path, Serialize())) {
        LogMessage("CSeqDoc::SaveSequence %s: cannot write", path.c_str());
        return SEQ_SAVE_ERROR;
    }
    pathName = path;
    fromFile = true;
    modified = false;
    return SEQ_OK;
}

void CSeqDoc::ComputeTotal(int start) {
    checkedCount = 0;
    totalTime = 0;
    for (int i = std::max(start, 0); i < count(); ++i) {
        const SeqItem& it = items[size_t(i)];
        if (!it.checked) continue;
        ++checkedCount;
        totalTime += it.ShowTime() + (it.hasMovingFrame() ? 1 : 0);
    }
}

std::string CSeqDoc::FullPath(const SeqItem& item) const {
    return folders_.MakeAbsolute(app::FOLDER_PAGES, item.pageName, item.pathKind != 0);
}

void CSeqDoc::ReloadItem(SeqItem& item) {
    const std::string path = FullPath(item);
    item.summary = pages::PageSummary{};
    item.loaded = !path.empty() && pages::ReadPageSummary(path, item.summary) == pages::FILE_OK;
    item.SetChecked(item.MatchesDate(today()));
}

SeqItem& CSeqDoc::AppendPage(const std::string& path, const ShowParams& params) {
    SeqItem& it = items.emplace_back();
    it.showParams = params;
    SetPageFile(it, path);
    modified = true;
    ComputeTotal(0);
    return it;
}

void CSeqDoc::SetPageFile(SeqItem& item, const std::string& path) {
    item.pathKind = folders_.MakeRelative(app::FOLDER_PAGES, path, item.pageName);
    ReloadItem(item);
}

}  // namespace air
