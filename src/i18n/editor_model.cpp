#include "i18n/editor_model.h"

#include "i18n/text_key.h"

namespace i18n {

namespace {

std::string WithCrLf(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 8);
    for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

TranslationEditorModel::TranslationEditorModel(const LangTable& base, const LangTable& language) {
    rows_.reserve(base.count());
    for (const LangEntry& e : base.entries()) {
        // A base file listing a key twice shows it once, with the text the look-up finds.
        if (base.Lookup(e.key) != base.textAt(e)) continue;
        EditorRow r;
        r.key = e.key;
        r.base = base.textAt(e);
        if (const char* t = language.Lookup(e.key)) r.translation = t;
        rows_.push_back(std::move(r));
    }
    for (const LangEntry& e : language.entries())
        if (!base.Lookup(e.key) && language.Lookup(e.key) == language.textAt(e))
            extra_.emplace_back(e.key, language.textAt(e));
}

std::string TranslationEditorModel::rowText(size_t i) const {
    std::string_view s = rows_[i].base;
    s = s.substr(0, s.find('\n'));
    if (s.size() > 25) return std::string(s.substr(0, 23)) + "...";
    return std::string(s);
}

int TranslationEditorModel::icon(size_t i) const {
    int kind = int(KindOf(rows_[i].key));
    if (kind < 1) kind = 1;  // keys of kind 00 are no kind of ours; show them as menu texts
    return 2 * (kind - 1) + (rows_[i].translation ? 0 : 1);
}

bool TranslationEditorModel::markersDiffer(size_t i) const {
    return rows_[i].translation && !MarkersMatch(rows_[i].base, *rows_[i].translation);
}

std::string TranslationEditorModel::originalField(size_t i) const { return WithCrLf(rows_[i].base); }

std::string TranslationEditorModel::translationField(size_t i) const {
    return WithCrLf(rows_[i].translation ? *rows_[i].translation : rows_[i].base);
}

void TranslationEditorModel::store(size_t i, std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (char c : field)
        if (c != '\r' && c != '\0') text += c;
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    if (first == last || text == rows_[i].base) rows_[i].translation.reset();
    else rows_[i].translation = std::move(text);
}

void TranslationEditorModel::reset(size_t i) { rows_[i].translation.reset(); }

bool TranslationEditorModel::anyTranslated() const {
    for (const EditorRow& r : rows_)
        if (r.translation) return true;
    return false;
}

LangTable TranslationEditorModel::build() const {
    std::vector<std::pair<uint32_t, std::string>> texts;
    for (const EditorRow& r : rows_)
        if (r.translation) texts.emplace_back(r.key, *r.translation);
    texts.insert(texts.end(), extra_.begin(), extra_.end());
    return LangTable::Build(texts);
}

}  // namespace i18n
