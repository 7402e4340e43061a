#include "app/strings.h"

#include <algorithm>
#include <mutex>

namespace app {

namespace {

struct Entry {
    int id;
    const char* text;
};

#define ZX_STR(id, text) {id, text},
constexpr Entry kStrings[] = {
#include "resources/strings.inc"
};
#undef ZX_STR

constexpr bool sortedById() {
    for (size_t i = 1; i < std::size(kStrings); ++i)
        if (kStrings[i - 1].id >= kStrings[i].id) return false;
    return true;
}
static_assert(sortedById(), "the string table must list each id once, ascending");

std::mutex& translatorMutex() {
    static std::mutex m;
    return m;
}
Translator& translator() {
    static Translator t;
    return t;
}

}  // namespace

const char* BuiltinString(int id) {
    auto it =
        std::lower_bound(std::begin(kStrings), std::end(kStrings), id, [](const Entry& e, int v) { return e.id < v; });
    if (it == std::end(kStrings) || it->id != id) return nullptr;
    return it->text;
}

void ForEachBuiltinString(const std::function<void(int, const char*)>& fn) {
    for (const Entry& e : kStrings) fn(e.id, e.text);
}

void SetTranslator(Translator t) {
    std::lock_guard lock(translatorMutex());
    translator() = std::move(t);
}

std::string LoadString(int id) {
    {
        std::lock_guard lock(translatorMutex());
        if (translator()) {
            if (const char* s = translator()(id)) return s;
        }
    }
    const char* s = BuiltinString(id);
    return s ? s : std::string();
}

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(pattern.size() + 64);
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            size_t n = size_t(pattern[i + 1] - '1');
            if (n < args.size()) {
                out += *(args.begin() + n);
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

std::string FirstLine(std::string_view text) {
    size_t p = text.find_first_of("\r\n");
    return std::string(p == std::string_view::npos ? text : text.substr(0, p));
}

}  // namespace app
