// SMS votes: the first bytes are the system's keywords (eight, separated by a zero byte), then
// each 64 bytes are one received record (kind, a number and a text of any bytes, lengths that
// need not match the text). Every record is counted, a vote only for an answer whose keyword
// the message holds, and the counter's sums always agree.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "interactive/itv_model.h"
#include "interactive/itv_votes.h"
#include "sms/chat_filter.h"

using namespace interactive;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    CITVDoc doc;
    doc.answers = data[0] % 9;
    doc.ignoreDuplicates = data[0] & 0x80;
    size_t pos = 1;
    for (int i = 0; i < kItvAnswers && pos < size && pos < 64; ++i) {
        const size_t start = pos;
        while (pos < size && pos < 64 && data[pos] != 0) ++pos;
        doc.keywords[size_t(i)].assign(reinterpret_cast<const char*>(data + start), pos - start);
        ++pos;
    }
    CVoteCounter counter;
    VoteRules rules = VoteRules::Of(doc);
    for (int i = 0; i < kItvAnswers; ++i) rules.lineTable[size_t(i)] = i + 1;
    counter.setRules(rules);
    platform::LocalTime t;
    for (pos = 64; pos + 64 <= size; pos += 64) {
        const uint8_t* p = data + pos;
        sms::SMSRecord r;
        r.kind = p[0] % 4;
        r.textLength = int(int8_t(p[1])) * 3;
        std::memcpy(r.number, p + 2, sizeof r.number);  // may lack its zero
        std::memcpy(r.text, p + 34, 30);
        std::memset(r.text + 30, p[63], sizeof r.text - 30);  // and so may the text
        CallRecord vote;
        const bool votes = SmsVote(doc, r, vote);
        if (votes && (vote.line >= doc.answers || r.kind != sms::SMS_KIND_DELIVER)) std::abort();
        if (votes && std::memchr(vote.number, 0, sizeof vote.number) == nullptr) std::abort();
        if (votes) {
            const std::string keyword = sms::ChatUpperText(doc.keywords[vote.line]);
            const std::string text = sms::ChatUpperText(std::string(r.text, strnlen(r.text, sizeof r.text - 1)));
            if (keyword.empty() || text.find(keyword) == std::string::npos) std::abort();
            const int before = counter.total();
            const int answer = counter.Add(vote, t, 0);
            if (answer != 0 && answer != vote.line + 1) std::abort();
            if (counter.total() != before + (answer ? 1 : 0)) std::abort();
        }
    }
    int sum = 0;
    for (int i = 0; i < kItvAnswers; ++i) {
        sum += counter.votes(i);
        if (counter.scale(i) < 0 || counter.scale(i) > kItvFullScale) std::abort();
        if (counter.lastVote(i) >= int(counter.log().size())) std::abort();
    }
    if (sum != counter.total()) std::abort();
    (void)counter.LogText(doc, t);
    return 0;
}
