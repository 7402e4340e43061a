// The chat's word filter: letters and case of code page 1251 byte by byte, masking and deleting
// with whole and partial matching, "Add" and "Delete", and filter.dat of every shape.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/code_page.h"
#include "sms/chat_filter.h"
#include "support/temp_dir.h"

using sms::CChatFilter;

namespace {

const platform::CodePage kCp{1251};
std::string W(const char* utf8) { return kCp.fromUtf8(utf8); }
std::string U(const std::string& text) { return kCp.toUtf8(text); }

CChatFilter Make(std::vector<std::string> words, bool partial, bool deleteWord) {
    CChatFilter f;
    for (auto& w : words) w = W(w.c_str());
    f.setWords(std::move(words));
    f.partial = partial;
    f.deleteWord = deleteWord;
    return f;
}

}  // namespace

TEST(ChatFilterLetters, EveryByteIsClassifiedAndLoweredAsTheRussianCodePage) {
    // Written out: the letters of code page 1251 as capitals and their small partners, in the same
    // order, then the letters without a partner; every other byte separates words.
    const std::string capitals = W("ABCDEFGHIJKLMNOPQRSTUVWXYZАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯЂЃЉЊЌЋЏЎЈҐЄЇІЅ");
    const std::string smalls = W("abcdefghijklmnopqrstuvwxyzабвгдеёжзийклмнопрстуфхцчшщъыьэюяђѓљњќћџўјґєїіѕ");
    const std::string alone = W("0123456789µ");
    ASSERT_EQ(capitals.size(), 26u + 33u + 14u);
    ASSERT_EQ(smalls.size(), capitals.size());
    ASSERT_EQ(capitals.find('?'), std::string::npos);
    ASSERT_EQ(smalls.find('?'), std::string::npos);
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        const size_t up = capitals.find(char(c)), low = smalls.find(char(c));
        const bool letter =
            up != std::string::npos || low != std::string::npos || alone.find(char(c)) != std::string::npos;
        EXPECT_EQ(sms::IsChatAlnum(c), letter) << "byte " << b;
        const unsigned char expected = up != std::string::npos ? static_cast<unsigned char>(smalls[up]) : c;
        EXPECT_EQ(sms::ChatLower(c), expected) << "byte " << b;
    }
    // The separators one might take for letters.
    for (const char* s : {"№", "\u00A0", "«", "»", "—", "§", "©", "_", "'"})
        EXPECT_FALSE(sms::IsChatAlnum(static_cast<unsigned char>(W(s)[0]))) << s;
}

TEST(ChatFilter, MasksAndDeletesAsThePartsOfAWord) {
    // Partial with masking: the filter word inside a longer word, in any case.
    EXPECT_EQ(Make({"abc"}, true, false).Filter("xAbcx"), "x***x");
    // Partial with deleting: the word goes, the spaces around it stay.
    EXPECT_EQ(Make({"abc"}, true, true).Filter("one xAbcx two"), "one  two");
    // Whole words: ABC is masked, abcd is left alone.
    EXPECT_EQ(Make({"abc"}, false, false).Filter("ABC abcd"), "*** abcd");
    EXPECT_EQ(Make({"abc"}, false, true).Filter("x, ABC! abcd"), "x, ! abcd");
    // A filter word longer than the word never matches.
    EXPECT_EQ(Make({"abcdef"}, true, false).Filter("abc"), "abc");
    // Punctuation, spaces and Cyrillic come through exactly as received.
    const CChatFilter ru = Make({"дурак", "bad"}, false, false);
    EXPECT_EQ(U(ru.Filter(W("Привет,  ДУРАК!!! (bad) — Ёж\t№5"))), "Привет,  *****!!! (***) — Ёж\t№5");
    EXPECT_EQ(U(Make({"ёж"}, true, false).Filter(W("ЁЖИК"))), "**ИК");
    // Nothing listed: the text as it was, trimmed at both ends.
    EXPECT_EQ(Make({}, true, false).Filter("  \t hello, world \r\n"), "hello, world");
    // A message made only of filtered words leaves nothing to list.
    EXPECT_EQ(Make({"bad"}, false, true).Filter(" bad  BAD\r\n"), "");
    // The text ends at a zero byte.
    EXPECT_EQ(Make({}, false, false).Filter(std::string("ab\0cd", 5)), "ab");
}

TEST(ChatFilter, MasksEveryOccurrenceOfEveryWord) {
    // Both "abc" of "abcxabc", not the first alone.
    EXPECT_EQ(Make({"abc"}, true, false).Filter("abcxabc"), "***x***");
    // "foo" goes even though "bar", listed before it, is found too.
    EXPECT_EQ(Make({"bar", "foo"}, true, false).Filter("fooxbar"), "***x***");
    // Left to right without overlap: "aa" twice in "aaaa", once in "aaa" (the last one stays).
    EXPECT_EQ(Make({"aa"}, true, false).Filter("aaaa aaa"), "**** **a");
    // At one place the word listed first is taken.
    EXPECT_EQ(Make({"ab", "abcd"}, true, false).Filter("abcdx"), "**cdx");
    EXPECT_EQ(Make({"abcd", "ab"}, true, false).Filter("abcdx"), "****x");
    // Case as received outside the masks.
    EXPECT_EQ(Make({"b"}, true, false).Filter("AbBa"), "A**a");
}

TEST(ChatFilter, AddKeepsTheListSortedAndRefusesWhatCannotMatch) {
    CChatFilter f;
    EXPECT_EQ(f.Add("  Zebra "), 0);
    EXPECT_EQ(f.Add("apple"), 0);
    EXPECT_EQ(f.Add(W("Яблоко")), 2);  // Cyrillic bytes sort after Latin ones
    EXPECT_EQ(f.Add("mango"), 1);
    EXPECT_EQ(f.Add("APPLE"), 0);  // present: selected, not added twice
    EXPECT_EQ(f.words(), (std::vector<std::string>{"apple", "mango", "zebra", W("яблоко")}));
    // Refused: a space or punctuation inside, only blanks, empty, too long.
    for (const std::string& bad : {std::string("two words"), std::string("don't"), std::string("   "), std::string(),
                                   std::string(128, 'a'), std::string("a\xA0")})
        EXPECT_EQ(f.Add(bad), -1) << bad;
    EXPECT_EQ(f.Add(std::string(127, 'q')), 2);
    EXPECT_EQ(f.words().size(), 5u);
    // A word added counts at once.
    EXPECT_EQ(f.Filter("MANGO tree"), "***** tree");
}

TEST(ChatFilter, DeleteSelectsTheWordBefore) {
    CChatFilter f;
    f.setWords({"a", "b", "c"});
    EXPECT_EQ(f.Delete(5), -1);
    EXPECT_EQ(f.words().size(), 3u);
    EXPECT_EQ(f.Delete(2), 1);
    EXPECT_EQ(f.Delete(0), 0);  // the first: the new first is selected
    EXPECT_EQ(f.words(), (std::vector<std::string>{"b"}));
    EXPECT_EQ(f.Delete(0), -1);
    EXPECT_TRUE(f.words().empty());
    EXPECT_EQ(f.Filter("b"), "b");  // deleted words no longer count
}

TEST(ChatFilterFile, LoadsEveryShapeSafely) {
    // CR LF or LF, blanks around, no final line end, upper case lowered, file order kept.
    EXPECT_EQ(CChatFilter::ParseFile("  Zed \r\nalpha\n\r\n \t \nLAST"),
              (std::vector<std::string>{"zed", "alpha", "last"}));
    // A 100 KB line is skipped whole (not cut into pieces that become words), 127 is taken.
    const std::string longLine(100 * 1024, 'x');
    EXPECT_EQ(CChatFilter::ParseFile("a\r\n" + longLine + "\r\n" + std::string(127, 'y') + "\r\nb"),
              (std::vector<std::string>{"a", std::string(127, 'y'), "b"}));
    EXPECT_EQ(CChatFilter::ParseFile(std::string(128, 'z')).size(), 0u);
    // Zero bytes: the line is skipped, the others stay.
    EXPECT_EQ(CChatFilter::ParseFile(std::string("one\r\nt\0wo\r\n\0\r\nthree", 19)),
              (std::vector<std::string>{"one", "three"}));
    EXPECT_TRUE(CChatFilter::ParseFile("").empty());

    zxtest::TempDir dir;
    EXPECT_TRUE(CChatFilter::LoadFile(dir.file("filter.dat")).empty());  // missing
}

TEST(ChatFilterFile, SavesInListOrderAtomicallyAndKeepsTheOldFileOnFailure) {
    zxtest::TempDir dir;
    const std::string path = dir.file("filter.dat");
    const std::vector<std::string> words{"zed", "alpha", W("дурак")};
    ASSERT_TRUE(CChatFilter::SaveFile(path, words));
    EXPECT_EQ(zxtest::ReadText(path), "zed\r\nalpha\r\n" + W("дурак") + "\r\n");
    EXPECT_EQ(CChatFilter::LoadFile(path), words);
    // A folder that cannot be written (unless the tests run as root): the file stays as it was.
    ASSERT_EQ(::chmod(dir.path().c_str(), 0500), 0);
    const bool saved = CChatFilter::SaveFile(path, {"other"});
    ::chmod(dir.path().c_str(), 0700);
    if (!saved) {
        EXPECT_EQ(CChatFilter::LoadFile(path), words);
    }
    EXPECT_FALSE(CChatFilter::SaveFile(dir.file("no/such/folder/filter.dat"), words));
}
