// 8-bit text of a Windows code page <-> UTF-8, for the edge where the program's 8-bit texts
// meet the user interface. Built once per code page from iconv; conversions are table look-ups.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>

namespace platform {

class CodePage {
public:
    // Builds the tables for Windows code page `number` (1250..1258, 866, 437 ...). An unknown
    // code page falls back to 1252 and valid() answers false.
    explicit CodePage(int number = 1251);

    int number() const { return number_; }
    bool valid() const { return valid_; }

    std::string toUtf8(std::string_view text) const;
    // Characters the code page cannot hold become '?'.
    std::string fromUtf8(std::string_view utf8) const;

    // The Unicode code point of one 8-bit character (0 for an unassigned code).
    char32_t toUnicode(unsigned char c) const { return toUni_[c]; }
    // The 8-bit character of a code point, or -1.
    int fromUnicode(char32_t cp) const;

private:
    int number_;
    bool valid_ = false;
    std::array<char32_t, 256> toUni_{};
    std::unordered_map<char32_t, unsigned char> fromUni_;
};

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);
// Decodes the next code point of a UTF-8 string at pos (advancing it); bad bytes give U+FFFD.
char32_t NextUtf8(std::string_view s, size_t& pos);

}  // namespace platform
