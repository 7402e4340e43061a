// The vote counter: scales and percentages by the worked values, duplicates and unused lines,
// the large counts, the last vote's place in the log, the saved log's text, and SMS votes.
#include <gtest/gtest.h>

#include <cstring>

#include "interactive/itv_model.h"
#include "interactive/itv_votes.h"
#include "sms/sms_types.h"

using namespace interactive;

namespace {

platform::LocalTime At(int h, int m, int s) {
    platform::LocalTime t;
    t.year = 2026;
    t.month = 12;
    t.day = 9;
    t.hour = h;
    t.minute = m;
    t.second = s;
    return t;
}

CallRecord Button(int answer) {
    CallRecord r;
    r.line = uint8_t(kItvButtonLine + answer);
    return r;
}

CallRecord Call(int line, const char* number = "") {
    CallRecord r;
    r.line = uint8_t(line);
    std::strncpy(r.number, number, sizeof r.number - 1);
    r.hasNumber = number[0] ? 1 : 0;
    return r;
}

VoteRules Rules(int fullScale, bool fill, bool duplicates = false) {
    VoteRules r;
    r.fullScale = fullScale;
    r.fillWholeScale = fill;
    r.ignoreDuplicates = duplicates;
    r.lineTable = {1, 2, 3, 0, 0, 0, 0, 0};
    return r;
}

void Cast(CVoteCounter& c, std::initializer_list<int> votes) {
    int answer = 1;
    for (int n : votes) {
        for (int i = 0; i < n; ++i) c.Add(Button(answer), At(12, 0, 0), 0);
        ++answer;
    }
}

}  // namespace

TEST(ItvVotes, ScalesByTheWorkedValues) {
    for (bool fill : {false, true}) {
        CVoteCounter c;
        c.setRules(Rules(10, fill));
        Cast(c, {3, 1, 0});
        EXPECT_EQ(c.scale(0), 3000) << fill;
        EXPECT_EQ(c.scale(1), 1000);
        EXPECT_EQ(c.scale(2), 0);
        EXPECT_EQ(c.total(), 4);
    }
    CVoteCounter c;
    c.setRules(Rules(0, true));
    Cast(c, {3, 1, 0});
    EXPECT_EQ(c.scale(0), kItvFullScale) << "the leading answer's bar is full";
    EXPECT_EQ(c.scale(1), 3333);
    c.setRules(Rules(0, false));
    c.Rescale();
    EXPECT_EQ(c.scale(0), 7500);
}

TEST(ItvVotes, PercentagesByDecimals) {
    EXPECT_EQ(PercentText(1250, 0), "13 %");
    EXPECT_EQ(PercentText(1249, 0), "12 %");
    EXPECT_EQ(PercentText(1250, 1), "12.5 %");
    EXPECT_EQ(PercentText(1250, 2), "12.50 %");
    EXPECT_EQ(PercentText(10000, 2), "100.00 %");
    EXPECT_EQ(PercentText(5, 2), "0.05 %");
    CVoteCounter c;
    c.setRules(Rules(0, false));
    EXPECT_EQ(c.percent(0), 0) << "no votes";
    Cast(c, {1, 7});
    EXPECT_EQ(c.percent(0), 1250);
}

TEST(ItvVotes, LargeCountsDoNotOverflow) {
    // 250,000 votes × 10000 is past 32 bits.
    CVoteCounter c;
    c.setRules(Rules(0, false));
    Cast(c, {150000, 100000});
    EXPECT_EQ(c.total(), 250000);
    EXPECT_EQ(c.percent(0), 6000);
    EXPECT_EQ(c.scale(1), 4000);
    EXPECT_EQ(PercentText(c.percent(1), 2), "40.00 %");
}

TEST(ItvVotes, DuplicatesUnusedLinesAndTheLastVote) {
    CVoteCounter c;
    c.setRules(Rules(0, false, true));
    EXPECT_EQ(c.Add(Call(0, "5551234"), At(12, 0, 1), 100), 1);
    EXPECT_EQ(c.Add(Call(1, "5551234"), At(12, 0, 2), 200), 0) << "the same number again";
    EXPECT_EQ(c.Add(Call(5, "5559999"), At(12, 0, 3), 300), 0) << "an unused line";
    EXPECT_EQ(c.Add(Call(1, "5550000"), At(12, 0, 4), 400), 2);
    EXPECT_EQ(c.Add(Call(2), At(12, 0, 5), 500), 3) << "no number: never a duplicate";
    EXPECT_EQ(c.Add(Call(2), At(12, 0, 6), 600), 3);
    ASSERT_EQ(c.log().size(), 6u);
    EXPECT_EQ(c.total(), 4);
    EXPECT_EQ(c.votes(1), 1);
    EXPECT_EQ(c.log()[1].duplicate, 1);
    EXPECT_EQ(c.log()[1].answer, 0);
    EXPECT_EQ(c.log()[1].call.line, 2) << "phone lines are logged as line + 1";
    EXPECT_EQ(c.log()[2].answer, 0);
    EXPECT_EQ(c.log()[2].duplicate, 0);
    // The last vote is where the entry is in the log, not the total at the time (2 here).
    EXPECT_EQ(c.lastVote(1), 3);
    EXPECT_EQ(c.lastNumber(1), "5550000");
    EXPECT_EQ(c.lastNumber(2), "");
    EXPECT_FALSE(c.logSaved());

    // Forgotten after three seconds, each by its own time.
    EXPECT_FALSE(c.ForgetOld(3100, kItvLastVoteMs));
    EXPECT_TRUE(c.ForgetOld(3101, kItvLastVoteMs));
    EXPECT_EQ(c.lastVote(0), -1);
    EXPECT_EQ(c.lastVote(1), 3);

    // The duplicate option off: the same number counts.
    VoteRules r = Rules(0, false, false);
    c.setRules(r);
    EXPECT_EQ(c.Add(Call(0, "5551234"), At(12, 0, 7), 700), 1);
    // A line number from the wire naming a line past the table, a button past 8.
    EXPECT_EQ(c.Add(Button(9), At(12, 0, 8), 800), 0);
    EXPECT_EQ(c.log().back().call.line, 0);
    c.Clear();
    EXPECT_TRUE(c.logSaved());
    EXPECT_EQ(c.total(), 0);
    EXPECT_EQ(c.lastVote(1), -1);
    c.setRules(Rules(0, false, true));
    EXPECT_EQ(c.Add(Call(0, "5551234"), At(12, 0, 9), 900), 1) << "the index is emptied with the log";
}

TEST(ItvVotes, GoldenLog) {
    CITVDoc doc;
    doc.answers = 2;
    doc.decimals = 1;
    doc.question = "Tea\r\nor coffee?\n\r";
    doc.answerTexts = {"Tea\n", "Coffee"};
    CVoteCounter c;
    VoteRules r = Rules(0, false, true);
    c.setRules(r);
    c.Add(Call(0, "5551234"), At(9, 5, 1), 0);
    c.Add(Call(1, "5551234"), At(9, 5, 2), 0);
    c.Add(Button(2), At(9, 6, 0), 0);
    c.Add(Call(6, "777"), At(10, 0, 59), 0);
    const std::string text = c.LogText(doc, At(23, 0, 0));
    EXPECT_EQ(text,
              "Interactive system log\n"
              "\nDate: 09.12.26\n\nQuestion: Tea or coffee? \n\n"
              "Answer                          Votes\n"
              "------------------------------------------\n"
              " 1 Tea                           1 (50.0 %)\n"
              " 2 Coffee                        1 (50.0 %)\n"
              "\nTotal votes: 2\n"
              "\nVote     Date    Time  Answer Line    Number      Comment\n"
              "---------------------------------------------------------\n"
              "   1  09.12.26 09:05:01   1     1    5551234        \n"
              "   2  09.12.26 09:05:02   0     2    5551234        *\n"
              "   3  09.12.26 09:06:00   2     0                   \n"
              "   4  09.12.26 10:00:59   0     7    777            \n");
    EXPECT_EQ(OneLineText("a\r\nb\n\rc\rd\ne\n\nf"), "a b c d e  f");
}

TEST(ItvVotes, SmsKeywords) {
    CITVDoc doc;
    doc.answers = 4;
    doc.keywords = {"yes", "", "\xE4\xE0", "YES PLEASE"};  // "да" in code page 1251
    EXPECT_EQ(SmsAnswer(doc, "I say Yes!"), 0) << "lower case and the first match in order";
    EXPECT_EQ(SmsAnswer(doc, "\xC4\xC0 \xEA\xEE\xED\xE5\xF7\xED\xEE"), 2) << "Cyrillic capitals match small letters";
    EXPECT_EQ(SmsAnswer(doc, "no keyword here"), -1) << "the empty keyword matches nothing";
    EXPECT_EQ(SmsAnswer(doc, ""), -1);
    doc.answers = 2;
    EXPECT_EQ(SmsAnswer(doc, "\xE4\xE0"), -1) << "only the system's answers";

    sms::SMSRecord r;
    r.kind = sms::SMS_KIND_DELIVER;
    std::strcpy(r.number, "+4915112345");
    std::strcpy(r.text, "yes");
    r.textLength = 3;
    CallRecord vote;
    ASSERT_TRUE(SmsVote(doc, r, vote));
    EXPECT_EQ(vote.line, 0);
    EXPECT_STREQ(vote.number, "+4915112345");
    EXPECT_EQ(vote.hasNumber, 1);
    r.textLength = 2;
    EXPECT_FALSE(SmsVote(doc, r, vote)) << "the text ends at its length";
    r.textLength = 3;
    r.kind = sms::SMS_KIND_STATUS_REPORT;
    EXPECT_FALSE(SmsVote(doc, r, vote));
    r.kind = sms::SMS_KIND_DELIVER;
    std::memset(r.number, '9', sizeof r.number);  // no terminator
    ASSERT_TRUE(SmsVote(doc, r, vote));
    EXPECT_EQ(std::strlen(vote.number), 31u);
}
