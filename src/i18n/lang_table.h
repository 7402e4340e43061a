// The translation table and its file: the base file beside the executable (".lna") and the
// language files (".zxl") share one layout, little-endian:
//   0    "LANG"
//   4    count of entries (u32)
//   8    pool size in bytes (u32)
//   12   116 zero bytes
//   128  count x {key u32, offset of the text in the pool u32}
//   then the pool: the texts, each ending in a zero byte
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace i18n {

// File result codes shared with the other data files.
constexpr int kLangOk = 0;
constexpr int kLangOpenError = 257;
constexpr int kLangSaveError = 258;
constexpr int kLangFormatError = 259;

constexpr size_t kLangHeaderSize = 128;

struct LangEntry {
    uint32_t key = 0;
    uint32_t offset = 0;  // into the pool
};

class LangTable {
public:
    // Reads a file: 0, 257 when it cannot be opened, 259 when it is not a whole translation
    // file. On failure the table is left empty.
    int load(const std::string& path);
    // The same over bytes in memory (0 or 259).
    int parse(const uint8_t* data, size_t size);
    // Saves atomically: 0 or 258. The file on disk stays whole when saving fails.
    int save(const std::string& path) const;
    std::vector<uint8_t> serialise() const;

    // A table of texts in the given order (pool offsets in that order). Of repeated keys the
    // first one is kept.
    static LangTable Build(const std::vector<std::pair<uint32_t, std::string>>& texts);

    // The stored text of a key (before "\t" expansion), nullptr when the table lacks it.
    const char* Lookup(uint32_t key) const;

    void clear();
    bool empty() const { return entries_.empty(); }
    size_t count() const { return entries_.size(); }
    size_t poolSize() const { return pool_.size(); }
    const std::vector<LangEntry>& entries() const { return entries_; }  // file order
    const std::vector<LangEntry>& sorted() const { return sorted_; }    // by key, unsigned
    const char* textAt(const LangEntry& e) const { return pool_.data() + e.offset; }

private:
    void sortEntries();

    std::vector<LangEntry> entries_;
    std::vector<LangEntry> sorted_;
    std::vector<char> pool_;
};

// A stored text as shown: every "\t" pair (backslash, t) becomes a TAB.
std::string ExpandTabs(std::string_view stored);

// The format markers of a text, in order: %1-%9 and printf conversions (%d, %s, %02d, %5.1f...);
// "%%" is no marker.
std::vector<std::string> FormatMarkers(std::string_view text);
// Whether a translation carries the markers of its original: the same positional markers
// (%1-%9, in any order) and the same printf conversions in the same order.
bool MarkersMatch(std::string_view original, std::string_view translation);

}  // namespace i18n
