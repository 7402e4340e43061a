// zx lang: the translation files. base writes the base file from the program's texts; info and
// dump show what a base or language file holds.
#include <cstdio>
#include <iostream>

#include "cli/command.h"
#include "i18n/lang_table.h"
#include "i18n/resources.h"
#include "i18n/text_key.h"

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

}  // namespace
