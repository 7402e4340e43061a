// The translation file reader: any bytes either load whole or answer 259, every entry of a
// loaded table reads a text inside the pool, and a loaded table saves and reads back the same.
#include <cstdint>
#include <vector>

#include "i18n/lang_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    i18n::LangTable t;
    int rc = t.parse(data, size);
    if (rc != i18n::kLangOk) {
        if (rc != i18n::kLangFormatError || !t.empty()) __builtin_trap();
        return 0;
    }
    // Many entries may share one long text: expand only a few, so a run stays linear.
    size_t checked = 0;
    for (const i18n::LangEntry& e : t.entries()) {
        if (!t.Lookup(e.key)) __builtin_trap();
        if (++checked <= 16) (void)i18n::ExpandTabs(t.textAt(e));
    }
    std::vector<uint8_t> again = t.serialise();
    i18n::LangTable back;
    if (back.parse(again.data(), again.size()) != i18n::kLangOk || back.count() != t.count()) __builtin_trap();
    return 0;
}
