// The translator's source of a language: any bytes compile to errors with their lines or to a
// table whose every text is a key of the base, and the table saves and reads back the same.
#include <cstdint>
#include <string_view>
#include <vector>

#include "i18n/lang_source.h"
#include "i18n/resources.h"
#include "platform/code_page.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const i18n::LangTable base = i18n::LangTable::Build(i18n::BaseTexts());
    static const platform::CodePage cp(1251);
    const i18n::CompiledLanguage c =
        i18n::CompileLanguageSource(std::string_view(reinterpret_cast<const char*>(data), size), base, cp);
    for (const i18n::SourceProblem& e : c.errors)
        if (e.line < 1 || e.message.empty()) __builtin_trap();
    for (const i18n::LangEntry& e : c.table.entries()) {
        if (!base.Lookup(e.key)) __builtin_trap();
        if (*c.table.textAt(e) == '\0') __builtin_trap();
    }
    std::vector<uint8_t> bytes = c.table.serialise();
    i18n::LangTable back;
    if (back.parse(bytes.data(), bytes.size()) != i18n::kLangOk || back.count() != c.table.count()) __builtin_trap();
    return 0;
}
