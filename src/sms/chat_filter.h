// The chat's word filter: a list of words (lower case, 1 to 127 characters) that are masked with
// asterisks or left out of every received message, and the file "filter.dat" that keeps them.
//
// Letters and case are those of the Russian Windows code page 1251, from a table of our own: the
// C library's locale is process-wide (the engine threads would see it change under them) and the
// Russian one is seldom installed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sms {

constexpr size_t kFilterWordMax = 127;

// A letter of code page 1251 (A-Z, a-z, every Cyrillic letter, µ) or a digit 0-9.
bool IsChatAlnum(unsigned char c);
// A capital's small partner; every other byte stays.
unsigned char ChatLower(unsigned char c);
std::string ChatLowerText(std::string_view text);
// A small letter's capital (the SMS vote keywords compare in upper case); every other byte stays.
unsigned char ChatUpper(unsigned char c);
std::string ChatUpperText(std::string_view text);
// White space at both ends removed (space, tab, CR, LF, vertical tab, form feed).
std::string TrimChat(std::string_view text);

class CChatFilter {
public:
    const std::vector<std::string>& words() const { return words_; }
    void setWords(std::vector<std::string> words);
    bool deleteWord = false;  // a matching word is left out instead of masked
    bool partial = false;     // a filter word matches inside a longer word

    // Steps 1 to 3 of the filter: the text's words through the list, every separator kept as
    // it was. The text ends at its first zero byte.
    std::string Apply(std::string_view text) const;
    // The filtered text trimmed: what enters the list ("" = nothing).
    std::string Filter(std::string_view text) const { return TrimChat(Apply(text)); }

    // "Add": the text trimmed and lower-cased, taken when it has 1 to 127 characters, all
    // letters or digits, and put at its place in ascending byte order unless it is there
    // already. The index of the word (new or present), or -1 when refused.
    int Add(std::string_view text);
    // "Delete": removes word `selected`; answers the word to select then (the one before, else
    // the first; -1 when the list is empty). An index out of range changes nothing (-1).
    int Delete(int selected);

    // "filter.dat": every line trimmed; one of 1 to 127 characters lower-cased and taken in file
    // order; the others (and one holding a zero byte) skipped. A missing file is an empty list.
    static std::vector<std::string> ParseFile(std::string_view data);
    static std::vector<std::string> LoadFile(const std::string& path);
    // The words in list order, each with CR LF.
    static std::string FormatFile(const std::vector<std::string>& words);
    // Atomically: a failed save leaves the old file. False when it cannot be written.
    static bool SaveFile(const std::string& path, const std::vector<std::string>& words);

private:
    // Masks (or finds) the filter words in one lower-cased word; true when any matched.
    bool matchPartial(std::string_view lower, std::string* word) const;
    bool matchWhole(std::string_view lower) const;

    std::vector<std::string> words_;
    // The filter words by their first byte, in list order.
    std::array<std::vector<uint32_t>, 256> byFirst_{};
};

}  // namespace sms
