#include "interactive/itv_votes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/strings.h"

namespace interactive {

namespace {

// The conversions of a printf pattern in order ("%d", "%-25s" ... → "ds"), "%%" left out.
std::string Conversions(std::string_view pattern) {
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') continue;
        size_t j = i + 1;
        while (j < pattern.size() && std::strchr("-+ #0123456789.", pattern[j])) ++j;
        if (j >= pattern.size()) return "?";
        if (pattern[j] != '%') out += pattern[j];
        i = j;
    }
    return out;
}

// A log pattern through the translation, unless the translated text asks for other arguments
// than the built-in one gives (a faulty translation must not make printf read garbage).
std::string LogPattern(int id) {
    const char* builtin = app::BuiltinString(id);
    std::string text = app::LoadString(id);
    if (builtin && Conversions(text) != Conversions(builtin)) return builtin;
    return text;
}

template <class... A>
void Append(std::string& out, const std::string& pattern, A... args) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    char buf[512];
    const int n = std::snprintf(buf, sizeof buf, pattern.c_str(), args...);
    if (n > 0 && size_t(n) < sizeof buf) {
        out.append(buf, size_t(n));
    } else if (n > 0) {  // a long answer text
        const size_t at = out.size();
        out.resize(at + size_t(n) + 1);
        std::snprintf(out.data() + at, size_t(n) + 1, pattern.c_str(), args...);
        out.resize(at + size_t(n));
    }
#pragma GCC diagnostic pop
}

int64_t ScaleOf(int votes, int64_t divisor) {
    if (divisor <= 0) return 0;
    return std::min<int64_t>(kItvFullScale, int64_t(votes) * kItvFullScale / divisor);
}

}  // namespace

std::string PercentText(int p, int decimals) {
    p = std::max(p, 0);
    char buf[32];
    switch (decimals) {
        case 1: std::snprintf(buf, sizeof buf, "%d.%01d %%", p / 100, (p / 10) % 10); break;
        case 2: std::snprintf(buf, sizeof buf, "%d.%02d %%", p / 100, p % 100); break;
        default: std::snprintf(buf, sizeof buf, "%d %%", p / 100 + (p % 100 >= 50 ? 1 : 0)); break;
    }
    return buf;
}

std::string OneLineText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            out += c;
            continue;
        }
        out += ' ';
        const char next = i + 1 < text.size() ? text[i + 1] : 0;
        if ((next == '\r' || next == '\n') && next != c) ++i;  // a pair is one break
    }
    return out;
}

VoteRules VoteRules::Of(const CITVDoc& doc) {
    VoteRules r;
    r.ignoreDuplicates = doc.ignoreDuplicates;
    r.fillWholeScale = doc.fillWholeScale;
    r.fullScale = doc.fullScale;
    r.lineTable = doc.lineTable;
    return r;
}

int CVoteCounter::Add(const CallRecord& record, const platform::LocalTime& time, uint32_t tick) {
    VoteEntry e;
    e.year = uint16_t(time.year);
    e.month = uint8_t(time.month);
    e.day = uint8_t(time.day);
    e.hour = uint16_t(time.hour);
    e.minute = uint8_t(time.minute);
    e.second = uint8_t(time.second);
    e.call = record;
    // The record may come from another thread's parser: its number ends inside the field.
    e.call.number[sizeof e.call.number - 1] = 0;
    const size_t length = strnlen(e.call.number, sizeof e.call.number);
    e.call.hasNumber = record.hasNumber && length > 0 ? 1 : 0;

    int answer = 0;
    if (record.line >= 8) {
        answer = record.line & 0x7F;
        e.call.line = 0;
    } else {
        answer = rules_.lineTable[record.line];
        e.call.line = uint8_t(record.line + 1);
    }
    if (answer < 1 || answer > kItvAnswers) answer = 0;

    std::string number;
    if (e.call.hasNumber) {
        number.assign(e.call.number, length);
        if (rules_.ignoreDuplicates && numbers_.count(number)) {
            e.duplicate = 1;
            answer = 0;
        }
    }
    e.answer = uint8_t(answer);
    log_.push_back(e);
    if (!number.empty()) numbers_.insert(std::move(number));
    logSaved_ = false;

    if (answer) {
        const size_t a = size_t(answer - 1);
        ++votes_[a];
        // Its place in the log: the total no longer points there once uncounted votes are logged.
        last_[a] = int(log_.size() - 1);
        lastTick_[a] = tick;
        ++total_;
        Rescale();
    }
    return answer;
}

void CVoteCounter::Rescale() {
    int64_t divisor = total_;
    if (rules_.fillWholeScale) divisor = *std::max_element(votes_.begin(), votes_.end());
    divisor = std::max<int64_t>(divisor, rules_.fullScale);
    for (size_t i = 0; i < votes_.size(); ++i) scale_[i] = int(ScaleOf(votes_[i], divisor));
}

bool CVoteCounter::ForgetOld(uint32_t tick, uint32_t ageMs) {
    bool changed = false;
    for (size_t i = 0; i < last_.size(); ++i)
        if (last_[i] >= 0 && platform::TicksSince(lastTick_[i], tick) > ageMs) {
            last_[i] = -1;
            changed = true;
        }
    return changed;
}

void CVoteCounter::Clear() {
    total_ = 0;
    votes_.fill(0);
    scale_.fill(0);
    resetLast();
    log_.clear();
    log_.shrink_to_fit();
    numbers_.clear();
    logSaved_ = true;
}

int CVoteCounter::percent(int answer) const {
    if (!valid(answer) || total_ <= 0) return 0;
    return int(int64_t(votes_[size_t(answer)]) * kItvFullScale / total_);
}

std::string CVoteCounter::lastNumber(int answer) const {
    const int i = lastVote(answer);
    if (i < 0 || size_t(i) >= log_.size()) return {};
    const CallRecord& c = log_[size_t(i)].call;
    return c.hasNumber ? std::string(c.number, strnlen(c.number, sizeof c.number)) : std::string();
}

void CVoteCounter::appendEntry(std::string& out, const std::string& pattern, size_t i) const {
    const VoteEntry& e = log_[i];
    const std::string number(e.call.number, strnlen(e.call.number, sizeof e.call.number));
    Append(out, pattern, int(i + 1), int(e.day), int(e.month), int(e.year) % 100, int(e.hour), int(e.minute),
           int(e.second), int(e.answer), int(e.call.line), number.c_str(), e.duplicate ? "*" : "");
}

std::string CVoteCounter::LogLine(size_t i) const {
    std::string out;
    if (i < log_.size()) appendEntry(out, LogPattern(18225), i);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

std::string CVoteCounter::LogText(const CITVDoc& doc, const platform::LocalTime& date) const {
    std::string out = LogPattern(18223);
    const std::string question = OneLineText(doc.question);
    Append(out, LogPattern(18226), date.day, date.month, date.year % 100, question.c_str());
    const int answers = std::clamp(doc.answers, 0, kItvAnswers);
    for (int i = 0; i < answers; ++i) {
        const std::string text = OneLineText(doc.answerTexts[size_t(i)]);
        const std::string pct = PercentText(percent(i), doc.decimals);
        Append(out, LogPattern(18227), i + 1, text.c_str(), votes(i), pct.c_str());
    }
    Append(out, LogPattern(18228), total_);
    out += LogPattern(18224);
    const std::string entry = LogPattern(18225);
    for (size_t i = 0; i < log_.size(); ++i) appendEntry(out, entry, i);
    return out;
}

}  // namespace interactive
