#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/profile.h"
#include "i18n/builtin_languages.h"
#include "i18n/lang_source.h"
#include "i18n/resources.h"
#include "i18n/text_key.h"
#include "i18n/translation.h"
#include "platform/code_page.h"
#include "platform/files.h"

using namespace i18n;

// The program's own Russian: every text of the base translated, every character in code page
// 1251, the format markers of each text kept.
TEST(BuiltinLanguages, RussianIsComplete) {
    const LangTable base = LangTable::Build(BaseTexts());
    ASSERT_EQ(BuiltinLanguages().size(), 1u);
    const BuiltinLanguage& ru = BuiltinLanguages()[0];
    EXPECT_STREQ(ru.file, "Russian.zxl");
    EXPECT_EQ(ru.codePage, 1251);
    const CompiledLanguage c = CompileLanguageSource(ru.source, base, platform::CodePage(ru.codePage));
    for (const SourceProblem& e : c.errors) ADD_FAILURE() << "Russian.txt:" << e.line << ": " << e.message;
    for (const SourceProblem& w : c.warnings) ADD_FAILURE() << "Russian.txt:" << w.line << ": " << w.message;
    const LanguageCheck check = CheckLanguage(c.table, base);
    for (uint32_t k : check.missing) ADD_FAILURE() << "not translated: " << std::hex << k << " " << base.Lookup(k);
    EXPECT_TRUE(check.notInBase.empty());
    EXPECT_TRUE(check.markerMismatch.empty());
    // The menu accelerators stay: a text with an & in English has one in Russian.
    for (const LangEntry& e : base.entries()) {
        const std::string en = base.textAt(e);
        const char* t = c.table.Lookup(e.key);
        if (!t || KindOf(e.key) != TextKind::Menu) continue;
        EXPECT_EQ(en.find('&') != std::string::npos, std::string(t).find('&') != std::string::npos) << en;
        EXPECT_EQ(en.find("\\t") != std::string::npos, std::string(t).find("\\t") != std::string::npos) << en;
    }
}

TEST(BuiltinLanguages, WrittenFilesAreOfferedAndChosen) {
    const std::string dir = platform::RuntimeDir() + "zx_i18n_builtin_" + std::to_string(::getpid()) + "/";
    std::filesystem::remove_all(dir);
    ASSERT_TRUE(platform::MakeDirectories(dir));
    std::vector<std::string> files;
    std::string error;
    ASSERT_TRUE(WriteTranslationFiles(dir, "zentrix", files, error)) << error;
    EXPECT_EQ(files, (std::vector<std::string>{"zentrix.lna", "Russian.zxl"}));

    app::Profile ini;
    ini.open(dir + "ZENTRIX.INI");
    Translation tr;
    tr.start(dir, "zentrix", &ini);
    ASSERT_TRUE(tr.active());
    ASSERT_EQ(tr.languages(), std::vector<std::string>{"Russian.zxl"});
    EXPECT_EQ(*tr.lookUp(DialogKey(304, 0)), "Hardware");
    ASSERT_EQ(tr.selectLanguage(1), kLangOk);
    EXPECT_EQ(platform::CodePage(1251).toUtf8(*tr.lookUp(DialogKey(304, 0))), "Оборудование");
    EXPECT_EQ(ini.getString("Language", "Name"), "Russian.zxl");
    std::filesystem::remove_all(dir);
}
