#include "i18n/builtin_languages.h"

#include "i18n/lang_source.h"
#include "i18n/resources.h"
#include "platform/code_page.h"
#include "platform/files.h"

namespace i18n {

// The sources themselves, made by the build from resources/lang/.
extern const std::string_view kRussianSource;

const std::vector<BuiltinLanguage>& BuiltinLanguages() {
    static const std::vector<BuiltinLanguage> languages{{"Russian.zxl", 1251, kRussianSource}};
    return languages;
}

bool WriteTranslationFiles(const std::string& folder, const std::string& exeName, std::vector<std::string>& files,
                           std::string& error) {
    const LangTable base = LangTable::Build(BaseTexts());
    const std::string baseName = exeName + ".lna";
    if (base.save(platform::JoinPath(folder, baseName)) != kLangOk) {
        error = "cannot write " + platform::JoinPath(folder, baseName);
        return false;
    }
    files.push_back(baseName);
    for (const BuiltinLanguage& l : BuiltinLanguages()) {
        const CompiledLanguage c = CompileLanguageSource(l.source, base, platform::CodePage(l.codePage));
        if (!c.errors.empty()) {
            error = std::string(l.file) + ": line " + std::to_string(c.errors.front().line) + ": " +
                    c.errors.front().message;
            return false;
        }
        if (c.table.save(platform::JoinPath(folder, l.file)) != kLangOk) {
            error = "cannot write " + platform::JoinPath(folder, l.file);
            return false;
        }
        files.push_back(l.file);
    }
    return true;
}

}  // namespace i18n
