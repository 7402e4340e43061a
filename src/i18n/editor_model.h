// The model behind "Edit translation": one row per entry of the base table, in base-file
// order, each with its translation (if any). The window shows and edits it; OK turns it back
// into a language table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/lang_table.h"

namespace i18n {

struct EditorRow {
    uint32_t key = 0;
    std::string base;                        // the stored base text
    std::optional<std::string> translation;  // stored form ("\t" pairs kept)
};

class TranslationEditorModel {
public:
    // The rows of base, filled from language (which may be empty for a new language).
    TranslationEditorModel(const LangTable& base, const LangTable& language);

    size_t size() const { return rows_.size(); }
    const EditorRow& row(size_t i) const { return rows_[i]; }

    // The list text of a row: the base text up to its first LF, cut to 23 characters plus
    // "..." when longer than 25.
    std::string rowText(size_t i) const;
    // The list icon: 2 x (kind - 1), plus 1 when the row has no translation.
    int icon(size_t i) const;
    // A translation whose format markers differ from the base text (not used by the program).
    bool markersDiffer(size_t i) const;

    // The "Original" and "Translation" fields: line feeds shown as CR LF; the translation
    // field shows the base text when there is no translation.
    std::string originalField(size_t i) const;
    std::string translationField(size_t i) const;

    // Leaving a row with the field's text: CRs removed; empty after trimming, or the base text
    // itself, means no translation.
    void store(size_t i, std::string_view field);
    void reset(size_t i);
    bool anyTranslated() const;

    // The table for OK: the translated rows in base order, then the translations of keys the
    // base lacks (kept from the language table as they were).
    LangTable build() const;

private:
    std::vector<EditorRow> rows_;
    std::vector<std::pair<uint32_t, std::string>> extra_;
};

}  // namespace i18n
