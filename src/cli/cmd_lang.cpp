// zx lang: the translation files. base writes the base file from the program's texts; info and
// dump show what a base or language file holds; source, compile and check are a translator's
// round: a text source of a language, the language file made from it, and its coverage.
#include <cstdio>
#include <iostream>

#include "cli/command.h"
#include "i18n/lang_source.h"
#include "i18n/lang_table.h"
#include "i18n/resources.h"
#include "i18n/text_key.h"
#include "platform/code_page.h"
#include "platform/files.h"

namespace {

const char* KindName(i18n::TextKind k) {
    switch (k) {
        case i18n::TextKind::Menu: return "menu";
        case i18n::TextKind::Dialog: return "dialog";
        case i18n::TextKind::String: return "string";
        default: return "none";
    }
}

// The ids a key names, as "menu M pop-up P item I", "dialog D control C" or "string S".
std::string KeyIds(uint32_t key) {
    char buf[80];
    uint32_t high = (key >> 16) & 0x3FFFu, low = key & 0xFFFFu;
    switch (i18n::KindOf(key)) {
        case i18n::TextKind::Menu:
            std::snprintf(buf, sizeof buf, "menu %u pop-up %u item %u", high >> 4, high & 0xFu, low);
            break;
        case i18n::TextKind::Dialog: std::snprintf(buf, sizeof buf, "dialog %u control %u", high, low); break;
        case i18n::TextKind::String: std::snprintf(buf, sizeof buf, "string %u", key & 0x3FFFFFFFu); break;
        default: std::snprintf(buf, sizeof buf, "-"); break;
    }
    return buf;
}

int Load(const std::string& path, i18n::LangTable& t) {
    int rc = t.load(path);
    if (rc != i18n::kLangOk)
        std::cerr << path << ": " << (rc == i18n::kLangOpenError ? "cannot be opened" : "not a translation file")
                  << " (" << rc << ")\n";
    return rc;
}

int base(const zx::Args& a) {
    std::optional<std::string> out = a.get("out");
    if (!out) {
        std::cerr << "zx lang base: --out FILE.lna is required\n";
        return 2;
    }
    const std::vector<i18n::KeyedText> texts = i18n::BaseTexts();
    // Two texts under one key would lose one of them in every translation.
    const std::vector<std::string> clashes = i18n::KeyCollisions(texts);
    if (!clashes.empty()) {
        for (const std::string& c : clashes) std::cerr << "zx lang base: two texts under key " << c << "\n";
        return 1;
    }
    i18n::LangTable t = i18n::LangTable::Build(texts);
    int rc = t.save(*out);
    if (rc != i18n::kLangOk) {
        std::cerr << *out << ": cannot be saved (" << rc << ")\n";
        return 1;
    }
    std::cout << *out << ": " << t.count() << " texts, pool " << t.poolSize() << " bytes\n";
    return 0;
}

int info(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx lang info: one FILE\n";
        return 2;
    }
    i18n::LangTable t;
    int rc = Load(a.positional[0], t);
    size_t kinds[4] = {};
    for (const i18n::LangEntry& e : t.entries()) ++kinds[int(i18n::KindOf(e.key))];
    std::cout << a.positional[0] << ": result " << rc << ", " << t.count() << " entries, pool " << t.poolSize()
              << " bytes, " << kinds[1] << " menu, " << kinds[2] << " dialog, " << kinds[3] << " string";
    if (kinds[0]) std::cout << ", " << kinds[0] << " of no kind";
    std::cout << "\n";
    return rc == i18n::kLangOk ? 0 : 1;
}

int dump(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx lang dump: one FILE\n";
        return 2;
    }
    i18n::LangTable t, baseTable;
    if (Load(a.positional[0], t) != i18n::kLangOk) return 1;
    std::optional<std::string> basePath = a.get("base");
    if (basePath && Load(*basePath, baseTable) != i18n::kLangOk) return 1;
    for (const i18n::LangEntry& e : t.entries()) {
        char key[16];
        std::snprintf(key, sizeof key, "%08X", e.key);
        std::cout << key << "\t" << KindName(i18n::KindOf(e.key)) << "\t" << KeyIds(e.key) << "\t"
                  << zx::JsonString(t.textAt(e));
        if (basePath) {
            const char* b = baseTable.Lookup(e.key);
            std::cout << "\t" << (b ? zx::JsonString(b) : std::string("(not in the base)"));
            if (b && !i18n::MarkersMatch(b, t.textAt(e))) std::cout << "\tmarkers differ";
        }
        std::cout << "\n";
    }
    return 0;
}

// The code page of --code-page N (default 1251); false with the message when it is unknown.
bool CodePageOf(const zx::Args& a, const char* cmd, int& number) {
    number = 1251;
    if (std::optional<std::string> v = a.get("code-page"); v && !zx::ParseNumber(*v, 1, 65535, number)) {
        std::cerr << cmd << ": --code-page wants a number\n";
        return false;
    }
    if (!platform::CodePage(number).valid()) {
        std::cerr << cmd << ": code page " << number << " is not known here\n";
        return false;
    }
    return true;
}

int compile(const zx::Args& a) {
    std::optional<std::string> basePath = a.get("base"), out = a.get("out");
    if (a.positional.size() != 1 || !basePath || !out) {
        std::cerr << "zx lang compile: SOURCE.txt --base FILE.lna --out FILE.zxl\n";
        return 2;
    }
    int number = 0;
    if (!CodePageOf(a, "zx lang compile", number)) return 2;
    i18n::LangTable base;
    if (Load(*basePath, base) != i18n::kLangOk) return 1;
    std::string source;
    if (!platform::ReadFile(a.positional[0], source)) {
        std::cerr << a.positional[0] << ": cannot be read\n";
        return 1;
    }
    const i18n::CompiledLanguage c = i18n::CompileLanguageSource(source, base, platform::CodePage(number));
    for (const i18n::SourceProblem& w : c.warnings)
        std::cerr << a.positional[0] << ":" << w.line << ": warning: " << w.message << "\n";
    for (const i18n::SourceProblem& e : c.errors)
        std::cerr << a.positional[0] << ":" << e.line << ": " << e.message << "\n";
    if (!c.errors.empty()) {
        std::cerr << "zx lang compile: " << c.errors.size() << " error(s), nothing written\n";
        return 1;
    }
    if (c.table.save(*out) != i18n::kLangOk) {
        std::cerr << *out << ": cannot be saved\n";
        return 1;
    }
    std::cout << *out << ": " << c.table.count() << " of " << base.count() << " texts, code page " << number << "\n";
    return 0;
}

int check(const zx::Args& a) {
    std::optional<std::string> basePath = a.get("base");
    if (a.positional.size() != 1 || !basePath) {
        std::cerr << "zx lang check: FILE.zxl --base FILE.lna\n";
        return 2;
    }
    i18n::LangTable t, base;
    if (Load(a.positional[0], t) != i18n::kLangOk || Load(*basePath, base) != i18n::kLangOk) return 1;
    const i18n::LanguageCheck c = i18n::CheckLanguage(t, base);
    char pc[16];
    std::snprintf(pc, sizeof pc, "%.1f", c.baseCount ? 100.0 * double(c.translated) / double(c.baseCount) : 100.0);
    std::cout << a.positional[0] << ": " << c.translated << " of " << c.baseCount << " base texts translated (" << pc
              << "%), " << c.missing.size() << " missing, " << c.notInBase.size() << " not in the base, "
              << c.markerMismatch.size() << " with other format markers\n";
    auto list = [](const char* what, const std::vector<uint32_t>& keys, const i18n::LangTable& texts) {
        for (uint32_t k : keys) {
            char key[16];
            std::snprintf(key, sizeof key, "%08X", k);
            const char* text = texts.Lookup(k);
            std::cout << what << "\t" << key << "\t" << KeyIds(k) << "\t" << zx::JsonString(text ? text : "") << "\n";
        }
    };
    list("missing", c.missing, base);
    list("not in the base", c.notInBase, t);
    list("markers differ", c.markerMismatch, t);
    return c.markerMismatch.empty() ? 0 : 1;
}

int source(const zx::Args& a) {
    std::optional<std::string> basePath = a.get("base"), out = a.get("out"), from = a.get("from");
    if (!a.positional.empty() || !basePath || !out) {
        std::cerr << "zx lang source: --base FILE.lna [--from FILE.zxl] --out SOURCE.txt\n";
        return 2;
    }
    int number = 0;
    if (!CodePageOf(a, "zx lang source", number)) return 2;
    i18n::LangTable base, language;
    if (Load(*basePath, base) != i18n::kLangOk) return 1;
    if (from && Load(*from, language) != i18n::kLangOk) return 1;
    if (!platform::WriteFileAtomic(*out, i18n::WriteLanguageSource(base, language, platform::CodePage(number)))) {
        std::cerr << *out << ": cannot be written\n";
        return 1;
    }
    std::cout << *out << ": " << base.count() << " texts\n";
    return 0;
}

zx::Register rBase({"lang base",
                    "--out FILE.lna",
                    "Write the base translation file: every text of the program's menus, dialogs and string table.",
                    {"out"},
                    base});
zx::Register rInfo({"lang info",
                    "FILE",
                    "Print the entry count, pool size and texts per kind of a translation file, and its load result.",
                    {},
                    info});
zx::Register rDump({"lang dump",
                    "FILE [--base FILE.lna]",
                    "Print every entry of a translation file: key, kind, ids and text, with the base text beside.",
                    {"base"},
                    dump});

zx::Register rCompile({"lang compile",
                       "SOURCE.txt --base FILE.lna --out FILE.zxl [--code-page N]",
                       "Make a language file from a UTF-8 source of KEY<TAB>TEXT lines (texts in code page N, "
                       "1251 when not given); every error with its line.",
                       {"base", "out", "code-page"},
                       compile});
zx::Register rCheck({"lang check",
                     "FILE.zxl --base FILE.lna",
                     "How a language covers the base: translated, missing, not in the base, other format "
                     "markers (exit status 1 when any markers differ).",
                     {"base"},
                     check});
zx::Register rSource({"lang source",
                      "--base FILE.lna [--from FILE.zxl] --out SOURCE.txt [--code-page N]",
                      "Write a translator's source of every base text (the language's translation where it has "
                      "one), for zx lang compile.",
                      {"base", "from", "out", "code-page"},
                      source});

}  // namespace
