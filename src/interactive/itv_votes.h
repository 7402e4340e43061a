// The vote counter of an interactive system: the statistics (total, per answer the votes, the
// scale of its bar and its last vote), the vote log, the SMS counter, and the text of the saved
// log. Votes arrive as CallRecords: a phone line (0-7, counted through the line table) or, from
// line 8 up, the answer in bits 0-6 (the vote buttons give 0x80 + n, SMS votes their answer's
// index through the line table 1-8).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "interactive/call_record.h"
#include "interactive/itv_doc.h"
#include "platform/clock.h"

namespace interactive {

#pragma pack(push, 1)
// One vote of the log: when it arrived (local time), the record (line + 1 for a phone call, 0 for
// a vote naming its answer), the answer it counted for (0 = not counted) and whether it was a
// duplicate.
struct VoteEntry {
    uint16_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;
    uint16_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
    CallRecord call;
    uint8_t answer = 0;
    uint8_t duplicate = 0;
    uint8_t reserved[6] = {};
};
#pragma pack(pop)
static_assert(sizeof(VoteEntry) == 51, "VoteEntry keeps its 51-byte layout");

constexpr int kItvFullScale = 10000;  // scales and percentages are in hundredths of a percent
constexpr uint8_t kItvButtonLine = 0x80;

// The percentage text of p hundredths by decimals 0-2: "13 %", "12.5 %", "12.50 %".
std::string PercentText(int hundredths, int decimals);
// Line breaks of a text (CR, LF, CR LF or LF CR) as single spaces: the log's texts are one line.
std::string OneLineText(std::string_view text);

// What a vote settles with: the document's options and the line table in force.
struct VoteRules {
    bool ignoreDuplicates = false;
    bool fillWholeScale = false;
    int fullScale = 0;
    std::array<int, kItvAnswers> lineTable{};

    static VoteRules Of(const CITVDoc& doc);
};

class CVoteCounter {
public:
    void setRules(const VoteRules& rules) { rules_ = rules; }
    const VoteRules& rules() const { return rules_; }

    // A vote arrives: the answer it counts for (1-8), or 0 when it is not counted (an unused
    // line, a duplicate caller, an answer outside 1-8). Always logged.
    int Add(const CallRecord& record, const platform::LocalTime& time, uint32_t tick);
    // Forgets the last votes older than ageMs (their numbers leave the form and the picture);
    // true when any was forgotten.
    bool ForgetOld(uint32_t tick, uint32_t ageMs);
    // Statistics and log emptied; the log counts as saved. The SMS counter stays.
    void Clear();
    // Recomputes the scales (after the rules changed).
    void Rescale();

    int total() const { return total_; }
    int votes(int answer) const { return valid(answer) ? votes_[size_t(answer)] : 0; }
    int scale(int answer) const { return valid(answer) ? scale_[size_t(answer)] : 0; }
    // Hundredths of a percent of all votes (0 without votes).
    int percent(int answer) const;
    // The log position of the answer's last vote, -1 when none (or forgotten).
    int lastVote(int answer) const { return valid(answer) ? last_[size_t(answer)] : -1; }
    // The number of the answer's last voter ("" when none).
    std::string lastNumber(int answer) const;
    // Index of an answer (0-7) from 1-8.
    static bool valid(int index) { return index >= 0 && index < kItvAnswers; }

    const std::vector<VoteEntry>& log() const { return log_; }
    bool logSaved() const { return logSaved_; }
    void markSaved() { logSaved_ = true; }
    int smsCount() const { return sms_; }
    void countSms() { ++sms_; }
    void resetSms() { sms_ = 0; }

    // Entry i of the log as the log file has it (counted from 1), without its line break.
    std::string LogLine(size_t i) const;
    // The text the log file holds, dated `date`.
    std::string LogText(const CITVDoc& doc, const platform::LocalTime& date) const;

private:
    VoteRules rules_;
    int total_ = 0;
    std::array<int, kItvAnswers> votes_{};
    std::array<int, kItvAnswers> scale_{};
    std::array<int, kItvAnswers> last_{};
    std::array<uint32_t, kItvAnswers> lastTick_{};
    std::vector<VoteEntry> log_;
    std::unordered_set<std::string> numbers_;  // every number the log holds
    bool logSaved_ = true;
    int sms_ = 0;

    void resetLast() { last_.fill(-1); }
    void appendEntry(std::string& out, const std::string& pattern, size_t i) const;

public:
    CVoteCounter() { resetLast(); }
};

}  // namespace interactive
