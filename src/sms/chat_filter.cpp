#include "sms/chat_filter.h"

#include <algorithm>

#include "platform/files.h"

namespace sms {

namespace {

// Code page 1251's letters with their small partners: the capital, then the small one.
constexpr unsigned char kCyrillicPairs[][2] = {
    {0x80, 0x90},  // Ђ ђ
    {0x81, 0x83},  // Ѓ ѓ
    {0x8A, 0x9A},  // Љ љ
    {0x8C, 0x9C},  // Њ њ
    {0x8D, 0x9D},  // Ќ ќ
    {0x8E, 0x9E},  // Ћ ћ
    {0x8F, 0x9F},  // Џ џ
    {0xA1, 0xA2},  // Ў ў
    {0xA3, 0xBC},  // Ј ј
    {0xA5, 0xB4},  // Ґ ґ
    {0xA8, 0xB8},  // Ё ё
    {0xAA, 0xBA},  // Є є
    {0xAF, 0xBF},  // Ї ї
    {0xB2, 0xB3},  // І і
    {0xBD, 0xBE},  // Ѕ ѕ
};
constexpr unsigned char kMicro = 0xB5;

struct Tables {
    std::array<bool, 256> alnum{};
    std::array<unsigned char, 256> lower{};
    std::array<unsigned char, 256> upper{};
    Tables() {
        for (int c = 0; c < 256; ++c) lower[size_t(c)] = static_cast<unsigned char>(c);
        for (int c = '0'; c <= '9'; ++c) alnum[size_t(c)] = true;
        for (int c = 'a'; c <= 'z'; ++c) alnum[size_t(c)] = alnum[size_t(c - 32)] = true;
        for (int c = 'A'; c <= 'Z'; ++c) lower[size_t(c)] = static_cast<unsigned char>(c + 32);
        // А-Я and а-я.
        for (int c = 0xC0; c <= 0xFF; ++c) alnum[size_t(c)] = true;
        for (int c = 0xC0; c <= 0xDF; ++c) lower[size_t(c)] = static_cast<unsigned char>(c + 32);
        for (const auto& p : kCyrillicPairs) {
            alnum[p[0]] = alnum[p[1]] = true;
            lower[p[0]] = p[1];
        }
        alnum[kMicro] = true;
        for (int c = 0; c < 256; ++c) upper[size_t(c)] = static_cast<unsigned char>(c);
        for (int c = 0; c < 256; ++c)
            if (lower[size_t(c)] != c) upper[lower[size_t(c)]] = static_cast<unsigned char>(c);
    }
};

const Tables& T() {
    static const Tables tables;
    return tables;
}

bool IsBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

bool IsChatAlnum(unsigned char c) { return T().alnum[c]; }
unsigned char ChatLower(unsigned char c) { return T().lower[c]; }
unsigned char ChatUpper(unsigned char c) { return T().upper[c]; }

std::string ChatUpperText(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = char(ChatUpper(static_cast<unsigned char>(c)));
    return out;
}

std::string ChatLowerText(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = char(ChatLower(static_cast<unsigned char>(c)));
    return out;
}

std::string TrimChat(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(static_cast<unsigned char>(text[b]))) ++b;
    while (e > b && IsBlank(static_cast<unsigned char>(text[e - 1]))) --e;
    return std::string(text.substr(b, e - b));
}

void CChatFilter::setWords(std::vector<std::string> words) {
    words_ = std::move(words);
    for (auto& v : byFirst_) v.clear();
    for (size_t i = 0; i < words_.size(); ++i)
        if (!words_[i].empty()) byFirst_[static_cast<unsigned char>(words_[i][0])].push_back(uint32_t(i));
}

bool CChatFilter::matchWhole(std::string_view lower) const {
    for (uint32_t i : byFirst_[static_cast<unsigned char>(lower[0])])
        if (words_[i] == lower) return true;
    return false;
}

bool CChatFilter::matchPartial(std::string_view lower, std::string* word) const {
    // Left to right: at each place the first listed word found there is masked and the search
    // goes on behind it, so every occurrence of every word goes, and none overlaps another.
    bool any = false;
    for (size_t pos = 0; pos < lower.size();) {
        size_t found = 0;
        for (uint32_t i : byFirst_[static_cast<unsigned char>(lower[pos])]) {
            const std::string& w = words_[i];
            if (w.size() <= lower.size() - pos && lower.compare(pos, w.size(), w) == 0) {
                found = w.size();
                break;
            }
        }
        if (!found) {
            ++pos;
            continue;
        }
        any = true;
        if (!word) return true;
        std::fill_n(word->begin() + std::ptrdiff_t(pos), found, '*');
        pos += found;
    }
    return any;
}

std::string CChatFilter::Apply(std::string_view text) const {
    if (size_t z = text.find('\0'); z != std::string_view::npos) text = text.substr(0, z);
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (!IsChatAlnum(static_cast<unsigned char>(text[i]))) {
            out += text[i++];
            continue;
        }
        const size_t start = i;
        while (i < text.size() && IsChatAlnum(static_cast<unsigned char>(text[i]))) ++i;
        const std::string_view word = text.substr(start, i - start);
        const std::string lower = ChatLowerText(word);
        if (partial) {
            if (deleteWord) {
                if (!matchPartial(lower, nullptr)) out += word;
            } else {
                std::string masked(word);
                matchPartial(lower, &masked);
                out += masked;
            }
        } else if (matchWhole(lower)) {
            if (!deleteWord) out.append(word.size(), '*');
        } else {
            out += word;
        }
    }
    return out;
}

int CChatFilter::Add(std::string_view text) {
    const std::string w = ChatLowerText(TrimChat(text));
    if (w.empty() || w.size() > kFilterWordMax) return -1;
    for (char c : w)
        if (!IsChatAlnum(static_cast<unsigned char>(c))) return -1;
    if (auto it = std::find(words_.begin(), words_.end(), w); it != words_.end()) return int(it - words_.begin());
    // Bytes compare unsigned, so Cyrillic sorts after Latin.
    auto less = [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        });
    };
    size_t at = 0;
    while (at < words_.size() && !less(w, words_[at])) ++at;
    std::vector<std::string> words = words_;
    words.insert(words.begin() + std::ptrdiff_t(at), w);
    setWords(std::move(words));
    return int(at);
}

int CChatFilter::Delete(int selected) {
    if (selected < 0 || selected >= int(words_.size())) return -1;
    std::vector<std::string> words = words_;
    words.erase(words.begin() + selected);
    setWords(std::move(words));
    if (words_.empty()) return -1;
    return selected > 0 ? selected - 1 : 0;
}

std::vector<std::string> CChatFilter::ParseFile(std::string_view data) {
    std::vector<std::string> words;
    size_t pos = 0;
    while (pos < data.size()) {
        size_t end = data.find('\n', pos);
        if (end == std::string_view::npos) end = data.size();
        const std::string_view line = data.substr(pos, end - pos);
        pos = end + 1;
        if (line.find('\0') != std::string_view::npos) continue;
        std::string w = TrimChat(line);
        if (w.empty() || w.size() > kFilterWordMax) continue;
        words.push_back(ChatLowerText(w));
    }
    return words;
}

std::vector<std::string> CChatFilter::LoadFile(const std::string& path) {
    std::string data;
    if (!platform::ReadFile(platform::ResolvePath(path), data)) return {};
    return ParseFile(data);
}

std::string CChatFilter::FormatFile(const std::vector<std::string>& words) {
    std::string out;
    for (const std::string& w : words) out += w + "\r\n";
    return out;
}

bool CChatFilter::SaveFile(const std::string& path, const std::vector<std::string>& words) {
    return platform::WriteFileAtomic(path, FormatFile(words));
}

}  // namespace sms
