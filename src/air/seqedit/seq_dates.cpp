#include "air/seqedit/seq_dates.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <string>

#include "app/profile.h"

namespace air {

namespace {

constexpr const char* kSection = "SequenceEditor";

std::string dateString(const SeqDate& d) {
    char s[32];
    std::snprintf(s, sizeof s, "%04d-%02d-%02d", d.year, d.month, d.day);
    return s;
}

SeqDate parseDate(const std::string& s, const SeqDate& fallback) {
    int y = 0, m = 0, d = 0;
    if (std::sscanf(s.c_str(), "%d-%d-%d", &y, &m, &d) != 3) return fallback;
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31) return fallback;
    const SeqDate date{uint16_t(y), uint8_t(m), uint8_t(d)};
    return IsValidDate(date) ? date : fallback;
}

// The weekday boxes that are on, as a mask of weekday bits.
int32_t weekdayMask(const int (&weekday)[7]) {
    int32_t mask = 0;
    for (int b = 0; b < 7; ++b)
        if (weekday[b] == 1) mask |= 1 << b;
    return mask;
}

}  // namespace

SeqDate DateOfDay(int64_t z) {
    // Civil from days (H. Hinnant's algorithm).
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = yoe + era * 400 + (m <= 2);
    return SeqDate{uint16_t(std::clamp<int64_t>(y, 0, 65535)), uint8_t(m), uint8_t(d)};
}

bool IsValidDate(const SeqDate& d) {
    if (d.year < 1 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1) return false;
    return DateOfDay(DayNumber(d)) == d;
}

int64_t CountShowDays(const SeqDate& first, const SeqDate& last, int32_t mask) {
    const int64_t a = DayNumber(first), b = DayNumber(last);
    if (b < a) return 0;
    mask &= ALL_WEEKDAYS;
    const int64_t days = b - a + 1;
    int64_t n = days / 7 * std::popcount(uint32_t(mask));
    int bit = WeekdayBit(first);
    for (int64_t i = 0; i < days % 7; ++i, bit = (bit + 1) % 7)
        if ((mask >> bit) & 1) ++n;
    return n;
}

bool ApplyDateOperator(int op, const SeqDate& value, const SeqDate& given) {
    switch (op) {
        case DATE_NOT_LATER: return value <= given;
        case DATE_NOT_EARLIER: return value >= given;
        case DATE_EQUAL: return value == given;
        default: return true;
    }
}

bool CheckWish(const SeqItem& item, const CheckByDateSettings& s, const SeqDate& today) {
    if (item.useDate == 0) return true;
    switch (s.mode) {
        case CHECK_TODAY: return item.MatchesDate(today);
        case CHECK_TOMORROW: return item.MatchesDate(DateOfDay(DayNumber(today) + 1));
        case CHECK_ON_DATE: return item.MatchesDate(s.onDate);
        case CHECK_NOT_EXPIRED: return !item.Expired(today);
        case CHECK_SPECIFIED:
            return ApplyDateOperator(s.startOp, item.dateFrom, s.startDate) &&
                   ApplyDateOperator(s.endOp, item.dateTo, s.endDate);
        default: return true;
    }
}

void CheckByDateSettings::Load(const app::Profile& ini, const SeqDate& today) {
    mode = std::clamp(ini.getInt(kSection, "CheckMode", CHECK_TODAY), int(CHECK_TODAY), int(CHECK_SPECIFIED));
    startOp = std::clamp(ini.getInt(kSection, "CheckStartOp", DATE_ANY), int(DATE_ANY), int(DATE_EQUAL));
    endOp = std::clamp(ini.getInt(kSection, "CheckEndOp", DATE_ANY), int(DATE_ANY), int(DATE_EQUAL));
    onDate = parseDate(ini.getString(kSection, "CheckOnDate"), today);
    startDate = parseDate(ini.getString(kSection, "CheckStartDate"), today);
    endDate = parseDate(ini.getString(kSection, "CheckEndDate"), today);
}

void CheckByDateSettings::Save(app::Profile& ini) const {
    app::Profile::Batch batch(ini);
    ini.putInt(kSection, "CheckMode", mode);
    ini.putInt(kSection, "CheckStartOp", startOp);
    ini.putInt(kSection, "CheckEndOp", endOp);
    ini.putString(kSection, "CheckOnDate", dateString(onDate));
    ini.putString(kSection, "CheckStartDate", dateString(startDate));
    ini.putString(kSection, "CheckEndDate", dateString(endDate));
}

// ---- "Set show date"

ShowDateEdit ShowDateEdit::Of(std::span<const SeqItem* const> items, const SeqDate& today) {
    ShowDateEdit e;
    e.from = e.to = today;
    if (items.empty()) return e;
    const SeqItem& first = *items[0];
    e.useDate = first.useDate != 0 ? 1 : 0;
    for (int b = 0; b < 7; ++b) e.weekday[b] = (first.weekdays >> b) & 1;
    bool anyRange = false;
    for (const SeqItem* it : items) {
        if ((it->useDate != 0 ? 1 : 0) != e.useDate) e.useDate = -1;
        for (int b = 0; b < 7; ++b)
            if (e.weekday[b] >= 0 && ((it->weekdays >> b) & 1) != e.weekday[b]) e.weekday[b] = -1;
        if (it->useDate == 0) continue;
        if (!anyRange) {
            e.from = it->dateFrom;
            e.to = it->dateTo;
            anyRange = true;
            continue;
        }
        if (it->dateFrom != e.from || it->dateTo != e.to) e.datesSet = false;
        e.from = std::min(e.from, it->dateFrom);
        e.to = std::max(e.to, it->dateTo);
    }
    // A range that is no calendar (zeros from an item made without dates) opens on today.
    if (!IsValidDate(e.from)) e.from = today;
    if (!IsValidDate(e.to) || e.to < e.from) e.to = e.from;
    return e;
}

int64_t ShowDateEdit::totalDays() const { return CountShowDays(from, to, weekdayMask(weekday)); }

int64_t ShowDateEdit::daysLeft(const SeqDate& today) const {
    return CountShowDays(std::max(from, today), to, weekdayMask(weekday));
}

void ShowDateEdit::ApplyTo(SeqItem& item) const {
    if (useDate == 0) {
        item.useDate = 0;
        item.dateFrom.year = 0;
        item.dateTo.year = 0;
        item.weekdays = ALL_WEEKDAYS;
        return;
    }
    if (useDate == 1) {
        // An item that had no rule has no range of its own to keep.
        if (datesSet || item.useDate == 0) {
            item.dateFrom = from;
            item.dateTo = to;
        }
        item.useDate = 1;
    } else if (item.useDate != 0 && datesSet) {
        item.dateFrom = from;
        item.dateTo = to;
    }
    if (item.useDate == 0) return;
    for (int b = 0; b < 7; ++b) {
        if (weekday[b] < 0) continue;
        item.weekdays = weekday[b] ? item.weekdays | (1 << b) : item.weekdays & ~(1 << b);
    }
}

}  // namespace air
