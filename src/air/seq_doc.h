// A sequence: an ordered list of page files, each with its own show parameters, a check mark and
// an optional show-date rule. The air controller plays it as a page list; the sequence editor
// builds it. One sequence object is shared by the program.
//
// Sequence file (".zxs"), little-endian:
//   header (128 bytes): "SEQF", version 0x00010001 (0x00010000 read: no comments), item count,
//     loop, 112 zero bytes;
//   each item: path kind (0 below the Pages folder, 1 whole), page name (length + characters),
//     ShowParams (64), date block (use-date, from, to, weekdays: 16), comment (length +
//     characters; version 0x00010001 only).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "air/show_params.h"
#include "pages/page_format.h"
#include "platform/clock.h"

namespace app {
class FolderTable;
}

namespace air {

enum : uint32_t {
    SEQ_VERSION = 0x00010001,
    SEQ_VERSION_NO_COMMENTS = 0x00010000,
    SEQ_HEADER_SIZE = 128,
};

// Result codes of load and save (file result codes: message 2999 + low byte).
enum : int {
    SEQ_OK = 0,
    SEQ_MISSING_PAGES = 5,  // loaded; some pages could not be read
    SEQ_OPEN_ERROR = 0x101,
    SEQ_SAVE_ERROR = 0x102,
    SEQ_FORMAT_ERROR = 0x103,
    SEQ_VERSION_ERROR = 0x104,
};

// A calendar day as the file stores it. Compared by year, month, day.
struct SeqDate {
    uint16_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;

    auto operator<=>(const SeqDate&) const = default;
    static SeqDate Of(const platform::LocalTime& t) { return {uint16_t(t.year), uint8_t(t.month), uint8_t(t.day)}; }
};

// Days since 1970-01-01 of a date (proleptic Gregorian; any field values give some number).
int64_t DayNumber(const SeqDate& d);
// Bit of the weekday of a date in the weekday mask: bit 0 Monday ... bit 6 Sunday.
int WeekdayBit(const SeqDate& d);

enum : int32_t { ALL_WEEKDAYS = 127 };

struct SeqItem {
    ShowParams showParams;
    int32_t useDate = 0;  // 1: the show-date rule applies
    SeqDate dateFrom;
    SeqDate dateTo;
    int32_t weekdays = ALL_WEEKDAYS;
    std::string pageName;  // below the Pages folder when pathKind is 0, else the whole path
    int32_t pathKind = 1;
    std::string comment;
    // Run time.
    bool loaded = false;  // the page file's header could be read
    bool checked = true;  // played; never true while not loaded
    pages::PageSummary summary;

    // Show time in seconds (the show-time rule with the page's summary).
    int ShowTime() const;
    // The operator typed a time: at least what the in-effect takes; the time is then fixed.
    void SetShowTime(int seconds);
    // checked = wanted and loaded; answers whether checked changed.
    bool SetChecked(bool wanted);
    // True without a date rule; else when d lies in the range and its weekday is allowed.
    bool MatchesDate(const SeqDate& d) const;
    // For items with a date rule: no allowed day is left from today up to the last day.
    bool Expired(const SeqDate& today) const;
    bool hasMovingFrame() const { return (summary.flags & pages::SUMMARY_MOVING) != 0; }
};

class CSeqDoc {
public:
    // folders: where relative page names live; clock: today's date and the name of a new
    // sequence.
    CSeqDoc(const app::FolderTable& folders, const platform::Clock& clock);

    std::vector<SeqItem> items;
    int32_t loop = 0;      // 1: the list repeats when played
    int checkedCount = 0;  // from the last ComputeTotal
    int totalTime = 0;     // seconds, from the last ComputeTotal
    bool fromFile = false;
    bool modified = false;
    std::string pathName;  // the file, or the title of a new sequence

    int count() const { return int(items.size()); }
    SeqItem* item(int index) { return index >= 0 && index < count() ? &items[size_t(index)] : nullptr; }
    const SeqItem* item(int index) const { return index >= 0 && index < count() ? &items[size_t(index)] : nullptr; }

    // No items, no loop, a title from the local time ("YYMMDD_HHMM.zxs"), not from a file.
    void NewSequence();
    // Reads a file. SEQ_OK or SEQ_MISSING_PAGES: the document holds the file's items. Any other
    // code leaves the document as it was.
    int LoadSequence(const std::string& path);
    // The same on a file image already in memory; path names the document afterwards.
    int LoadSequence(const uint8_t* data, size_t size, const std::string& path);
    // Writes the file atomically (always the newest version).
    int SaveSequence(const std::string& path);
    // The file image SaveSequence writes.
    std::vector<uint8_t> Serialize() const;
    // Counts the checked items from start to the end and adds up their show times (a second
    // more for each page with a moving frame).
    void ComputeTotal(int start);
    // Reads the item's page header again and checks the item by today's date.
    void ReloadItem(SeqItem& item);
    // The page file of an item.
    std::string FullPath(const SeqItem& item) const;
    // Appends a page (stored below the Pages folder when it is there) and reads its header.
    SeqItem& AppendPage(const std::string& path, const ShowParams& params);
    // Gives an item another page file (below the Pages folder when it is there) and reads its
    // header.
    void SetPageFile(SeqItem& item, const std::string& path);

    SeqDate today() const { return SeqDate::Of(clock_.localTime()); }

private:
    const app::FolderTable& folders_;
    const platform::Clock& clock_;
};

}  // namespace air
