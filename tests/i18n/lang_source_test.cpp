#include <gtest/gtest.h>

#include <string>

#include "i18n/lang_source.h"
#include "i18n/text_key.h"
#include "platform/code_page.h"

using namespace i18n;

namespace {

LangTable Base() {
    return LangTable::Build({{MenuKey(128, 1, 0), "&File"},
                             {MenuKey(128, 1, 57601), "&Open...\\tCtrl+O"},
                             {DialogKey(309, 1261), "Name:"},
                             {StringKey(3001), "Error saving file:\n\n%1"},
                             {StringKey(14040), "Frame %d"},
                             {StringKey(16024), "Sequence is empty!"}});
}

std::string Line(uint32_t key, const std::string& text) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X", key);
    return std::string(buf) + "\t" + text + "\n";
}

const platform::CodePage& Cp1251() {
    static const platform::CodePage cp(1251);
    return cp;
}

}  // namespace

TEST(LangSource, CompilesEscapesAndCodePageInTheBaseOrder) {
    const LangTable base = Base();
    // Out of order, with a BOM, comments, blank lines and CR LF line ends.
    const std::string source = "\xEF\xBB\xBF# a comment\r\n\r\n" + Line(StringKey(3001), "Ошибка записи:\\n\\n%1") +
                               Line(MenuKey(128, 1, 57601), "&Открыть...\\tCtrl+O") +
                               Line(MenuKey(128, 1, 0), "&Файл") + "c0003e98\tПусто\\\\нет\r\n";
    const CompiledLanguage c = CompileLanguageSource(source, base, Cp1251());
    ASSERT_TRUE(c.errors.empty()) << c.errors.front().message;
    EXPECT_TRUE(c.warnings.empty());
    ASSERT_EQ(c.table.count(), 4u);
    // The base file's order, whatever the source's.
    EXPECT_EQ(c.table.entries()[0].key, MenuKey(128, 1, 0));
    EXPECT_EQ(c.table.entries()[2].key, StringKey(3001));
    EXPECT_EQ(c.table.entries()[3].key, StringKey(16024));
    EXPECT_STREQ(c.table.Lookup(StringKey(3001)), "\xCE\xF8\xE8\xE1\xEA\xE0 \xE7\xE0\xEF\xE8\xF1\xE8:\n\n%1");
    // \t stays the stored "\t" that the look-up turns into a TAB.
    EXPECT_EQ(ExpandTabs(c.table.Lookup(MenuKey(128, 1, 57601))), "&\xCE\xF2\xEA\xF0\xFB\xF2\xFC...\tCtrl+O");
    EXPECT_STREQ(c.table.Lookup(StringKey(16024)), "\xCF\xF3\xF1\xF2\xEE\\\xED\xE5\xF2");
}

TEST(LangSource, EveryFaultIsAnErrorWithItsLine) {
    const LangTable base = Base();
    const std::string source = Line(StringKey(99999), "unknown") +            // 1
                               "C0003E98 no tab\n" +                          // 2
                               "C0003E9\tshort key\n" +                       // 3
                               Line(StringKey(16024), "中文") +               // 4: not in 1251
                               Line(DialogKey(309, 1261), "bad \xFF byte") +  // 5
                               Line(StringKey(3001), "\\q escape") +          // 6
                               Line(StringKey(3001), "ends in \\") +          // 7
                               Line(StringKey(14040), "") +                   // 8
                               Line(MenuKey(128, 1, 0), "&Файл") +            // 9
                               Line(MenuKey(128, 1, 0), "&Файл again");       // 10
    const CompiledLanguage c = CompileLanguageSource(source, base, Cp1251());
    std::vector<int> lines;
    for (const SourceProblem& e : c.errors) lines.push_back(e.line);
    EXPECT_EQ(lines, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 10}));
    EXPECT_NE(c.errors[0].message.find("not in the base"), std::string::npos);
    EXPECT_NE(c.errors[3].message.find("U+4E2D"), std::string::npos);
    EXPECT_NE(c.errors[4].message.find("UTF-8"), std::string::npos);
    EXPECT_NE(c.errors[8].message.find("twice"), std::string::npos);
}

TEST(LangSource, OtherMarkersAreAWarningAndTheTextIsKept) {
    const CompiledLanguage c =
        CompileLanguageSource(Line(StringKey(14040), "Рамка %s") + Line(StringKey(3001), "Ошибка"), Base(), Cp1251());
    EXPECT_TRUE(c.errors.empty());
    ASSERT_EQ(c.warnings.size(), 2u);
    EXPECT_EQ(c.warnings[0].line, 1);
    EXPECT_EQ(c.table.count(), 2u);
}

TEST(LangSource, WrittenSourceCompilesBackToTheSameLanguage) {
    const LangTable base = Base();
    const LangTable language = LangTable::Build({{MenuKey(128, 1, 57601), "&\xCE\xF2\xEA\xF0\xFB\xF2\xFC\\tCtrl+O"},
                                                 {StringKey(3001), "\xCE\xF8\xE8\xE1\xEA\xE0:\r\n\n%1 a\\b"}});
    const std::string source = WriteLanguageSource(base, language, Cp1251());
    // Every base text is there, the untranslated ones with the base text.
    EXPECT_NE(source.find("# Sequence is empty!\nC0003E98\tSequence is empty!\n"), std::string::npos);
    const CompiledLanguage c = CompileLanguageSource(source, base, Cp1251());
    ASSERT_TRUE(c.errors.empty()) << c.errors.front().message;
    EXPECT_STREQ(c.table.Lookup(StringKey(3001)), language.Lookup(StringKey(3001)));
    EXPECT_STREQ(c.table.Lookup(MenuKey(128, 1, 57601)), language.Lookup(MenuKey(128, 1, 57601)));
    EXPECT_EQ(c.table.count(), base.count());
}

TEST(LangSource, CheckCountsCoverageAndMismatches) {
    const LangTable base = Base();
    const LangTable language =
        LangTable::Build({{StringKey(14040), "Рамка %s"}, {StringKey(16024), "Пусто"}, {StringKey(77777), "Лишний"}});
    const LanguageCheck c = CheckLanguage(language, base);
    EXPECT_EQ(c.baseCount, 6u);
    EXPECT_EQ(c.translated, 2u);
    EXPECT_EQ(c.missing.size(), 4u);
    EXPECT_EQ(c.notInBase, std::vector<uint32_t>{StringKey(77777)});
    EXPECT_EQ(c.markerMismatch, std::vector<uint32_t>{StringKey(14040)});
}
