// The dates of a sequence's items as the sequence editor handles them: calendar days, the days
// a show date range holds, "Check pages by date" and "Set show date" over a selection.
#pragma once

#include <cstdint>
#include <span>

#include "air/seq_doc.h"

namespace app {
class Profile;
}

namespace air {

// The day n days after 1970-01-01 (the inverse of DayNumber).
SeqDate DateOfDay(int64_t day);
// A calendar day that exists (month 1..12, day within the month, year 1..9999).
bool IsValidDate(const SeqDate& d);
// Days from first to last (both included) whose weekday bit is set in mask; 0 when last is
// before first.
int64_t CountShowDays(const SeqDate& first, const SeqDate& last, int32_t mask);

// "Check pages by date": the five modes and the operators of "Specified date".
enum CheckDateMode : int { CHECK_TODAY, CHECK_TOMORROW, CHECK_ON_DATE, CHECK_NOT_EXPIRED, CHECK_SPECIFIED };
enum DateOperator : int { DATE_ANY, DATE_NOT_LATER, DATE_NOT_EARLIER, DATE_EQUAL };
constexpr int IDS_DATE_OPERATOR = 15141;  // + operator

struct CheckByDateSettings {
    int mode = CHECK_TODAY;
    SeqDate onDate;  // "On date"
    int startOp = DATE_ANY;
    SeqDate startDate;
    int endOp = DATE_ANY;
    SeqDate endDate;

    // Remembered between uses (and runs); dates that are missing or not real days become today.
    void Load(const app::Profile& ini, const SeqDate& today);
    void Save(app::Profile& ini) const;
};

// Whether the item should be checked by the dialog's rule (before SetChecked, which also needs
// the page to be loaded).
bool CheckWish(const SeqItem& item, const CheckByDateSettings& s, const SeqDate& today);
// "not later than": value ≤ given; "not earlier than": ≥; "equal": =; "any": always.
bool ApplyDateOperator(int op, const SeqDate& value, const SeqDate& given);

// "Set show date" over a selection. -1 marks a box whose value differs among the items.
struct ShowDateEdit {
    int useDate = 0;       // "Restrict show dates": 0, 1 or -1
    bool datesSet = true;  // false while the dates are left as the items have them
    SeqDate from, to;
    int weekday[7] = {1, 1, 1, 1, 1, 1, 1};  // Monday ... Sunday: 0, 1 or -1

    // Starts from the items (the first item's values; differing weekday boxes undetermined; the
    // widest range of the items that restrict their dates, else today).
    static ShowDateEdit Of(std::span<const SeqItem* const> items, const SeqDate& today);
    // "Total": the days of the range on a checked weekday; "Left": those from today on.
    int64_t totalDays() const;
    int64_t daysLeft(const SeqDate& today) const;
    // What OK does to one item.
    void ApplyTo(SeqItem& item) const;
};

}  // namespace air
