#include "i18n/lang_table.h"

#include <algorithm>
#include <cstring>

#include "i18n/format.h"
#include "platform/files.h"

namespace i18n {

namespace {

uint32_t readU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void putU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
    out[at + 2] = uint8_t(v >> 16);
    out[at + 3] = uint8_t(v >> 24);
}

}  // namespace

void LangTable::clear() {
    entries_.clear();
    sorted_.clear();
    pool_.clear();
}

void LangTable::sortEntries() {
    sorted_ = entries_;
    // Stable, so that of repeated keys the first in file order is found by the bisection.
    std::stable_sort(sorted_.begin(), sorted_.end(),
                     [](const LangEntry& a, const LangEntry& b) { return a.key < b.key; });
}

int LangTable::parse(const uint8_t* data, size_t size) {
    clear();
    if (size < kLangHeaderSize || std::memcmp(data, "LANG", 4) != 0) return kLangFormatError;
    uint64_t count = readU32(data + 4);
    uint64_t poolSize = readU32(data + 8);
    uint64_t entriesEnd = kLangHeaderSize + 8 * count;
    if (entriesEnd > size || poolSize > size - entriesEnd) return kLangFormatError;
    const uint8_t* pool = data + entriesEnd;
    // Every offset must start a text that ends inside the pool: at or before the last zero.
    uint64_t lastZero = 0;
    bool anyZero = false;
    for (uint64_t i = poolSize; i-- > 0;)
        if (pool[i] == 0) {
            lastZero = i;
            anyZero = true;
            break;
        }
    std::vector<LangEntry> entries(static_cast<size_t>(count));
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* e = data + kLangHeaderSize + 8 * i;
        entries[size_t(i)] = {readU32(e), readU32(e + 4)};
        if (!anyZero || entries[size_t(i)].offset > lastZero) return kLangFormatError;
    }
    entries_ = std::move(entries);
    pool_.assign(reinterpret_cast<const char*>(pool), reinterpret_cast<const char*>(pool) + poolSize);
    sortEntries();
    return kLangOk;
}

int LangTable::load(const std::string& path) {
    clear();
    std::vector<uint8_t> bytes;
    if (!platform::ReadFile(path, bytes)) return kLangOpenError;
    return parse(bytes.data(), bytes.size());
}

std::vector<uint8_t> LangTable::serialise() const {
    size_t entriesEnd = kLangHeaderSize + 8 * entries_.size();
    std::vector<uint8_t> out(entriesEnd + pool_.size(), 0);
    std::memcpy(out.data(), "LANG", 4);
    putU32(out, 4, uint32_t(entries_.size()));
    putU32(out, 8, uint32_t(pool_.size()));
    for (size_t i = 0; i < entries_.size(); ++i) {
        putU32(out, kLangHeaderSize + 8 * i, entries_[i].key);
        putU32(out, kLangHeaderSize + 8 * i + 4, entries_[i].offset);
    }
    if (!pool_.empty()) std::memcpy(out.data() + entriesEnd, pool_.data(), pool_.size());
    return out;
}

int LangTable::save(const std::string& path) const {
    return platform::WriteFileAtomic(path, serialise()) ? kLangOk : kLangSaveError;
}

LangTable LangTable::Build(const std::vector<std::pair<uint32_t, std::string>>& texts) {
    LangTable t;
    std::vector<uint32_t> seen;
    seen.reserve(texts.size());
    for (const auto& [key, text] : texts) {
        auto at = std::lower_bound(seen.begin(), seen.end(), key);
        if (at != seen.end() && *at == key) continue;
        seen.insert(at, key);
        // A text holds no zero byte of its own: it ends at the first one.
        std::string_view s(text.c_str());
        t.entries_.push_back({key, uint32_t(t.pool_.size())});
        t.pool_.insert(t.pool_.end(), s.begin(), s.end());
        t.pool_.push_back('\0');
    }
    t.sortEntries();
    return t;
}

const char* LangTable::Lookup(uint32_t key) const {
    auto it =
        std::lower_bound(sorted_.begin(), sorted_.end(), key, [](const LangEntry& e, uint32_t k) { return e.key < k; });
    if (it == sorted_.end() || it->key != key) return nullptr;
    return pool_.data() + it->offset;
}

std::string ExpandTabs(std::string_view stored) {
    std::string out;
    out.reserve(stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == '\\' && i + 1 < stored.size() && stored[i + 1] == 't') {
            out += '\t';
            ++i;
        } else {
            out += stored[i];
        }
    }
    return out;
}

std::vector<std::string> FormatMarkers(std::string_view text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        FormatMarker m = MarkerAt(text, i);
        if (m.length == 0) continue;
        if (!m.percent) out.emplace_back(text.substr(i, m.length));
        i += m.length - 1;
    }
    return out;
}

bool MarkersMatch(std::string_view original, std::string_view translation) {
    auto split = [](std::vector<std::string> all, std::vector<std::string>& positional,
                    std::vector<std::string>& printf) {
        for (std::string& m : all) {
            bool isPositional = m.size() == 2 && m[1] >= '1' && m[1] <= '9';
            (isPositional ? positional : printf).push_back(std::move(m));
        }
        std::sort(positional.begin(), positional.end());
    };
    std::vector<std::string> p1, f1, p2, f2;
    split(FormatMarkers(original), p1, f1);
    split(FormatMarkers(translation), p2, f2);
    return p1 == p2 && f1 == f2;
}

}  // namespace i18n
