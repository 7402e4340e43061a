// CITVDoc: an interactive system — a question with up to eight answers shown on air as a page,
// and the frames of that page bound to what the vote shows (answer texts, keywords, bars, counts,
// percentages, caller numbers, the total, a clock, a temperature) — and its file (".zxi").
//
// The file, little-endian:
//   0     "ZITV"
//   4     version 0x00010001
//   8     answers (0-8)
//   12    full-scale votes
//   16    flags: bit 0 absolute page path, 1 fill whole scale, 2 ignore duplicates,
//         8 clock seconds, 9 blinking separator
//   20    decimals (0-2)
//   24    40 zero bytes
//   64    bindings: row r, column j at 64 + 512 r + 64 j, a zero-padded frame name (64 bytes, a
//         name of all 64 has no terminator)
//   3648  line table, 8 × 32-bit (answer 1-8 of phone line i, 0 = not used)
//   3680  strings, each a 32-bit length and that many bytes: page path, question, then per
//         answer 1-8 its text and its keyword
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace interactive {

constexpr int kItvAnswers = 8;
constexpr int kItvRows = 7;
constexpr int kItvColumns = 8;
constexpr size_t kItvNameSize = 64;
constexpr uint32_t ITV_FILE_VERSION = 0x00010001;
constexpr size_t kItvLineTableOffset = 3648;
constexpr size_t kItvStringsOffset = 3680;
// A string longer than this is a damaged length (the texts are single lines and file paths).
constexpr size_t kItvStringMax = 1u << 16;

// Rows of the binding table.
enum ItvRow : int {
    ITV_ROW_ANSWER = 0,   // the answer's text (static)
    ITV_ROW_KEYWORD = 1,  // its phone number or SMS keyword (static)
    ITV_ROW_SCALE = 2,    // a bar
    ITV_ROW_VOTES = 3,
    ITV_ROW_PERCENT = 4,
    ITV_ROW_CALLER = 5,  // the number of the answer's last voter
    ITV_ROW_OTHER = 6,   // columns below
};
enum ItvOtherColumn : int { ITV_COL_QUESTION = 0, ITV_COL_TOTAL = 1, ITV_COL_CLOCK = 2, ITV_COL_TEMPERATURE = 3 };

// The titles of the rows (strings 18107-18113; "Question" for row 6).
int ItvRowTitleId(int row);

enum : uint32_t {
    ITV_FLAG_ABSOLUTE = 0x001,
    ITV_FLAG_FILL_WHOLE = 0x002,
    ITV_FLAG_IGNORE_DUPLICATES = 0x004,
    ITV_FLAG_CLOCK_SECONDS = 0x100,
    ITV_FLAG_BLINKING = 0x200,
};

class CITVDoc {
public:
    int answers = 0;
    int fullScale = 0;  // "Number of votes to fill whole scale"
    bool absolutePath = false;
    std::string pagePath;  // whole, or below the pages folder
    bool fillWholeScale = false;
    bool ignoreDuplicates = false;
    int decimals = 0;
    std::array<std::array<std::string, kItvColumns>, kItvRows> bindings;  // frame names, "" = none
    std::string question;
    std::array<std::string, kItvAnswers> answerTexts;
    std::array<std::string, kItvAnswers> keywords;
    std::array<int, kItvAnswers> lineTable{};  // phone line i counts for answer lineTable[i] (1-8), 0 = unused
    bool clockSeconds = false;
    bool blinkingSeparator = false;

    // Back to a new document (no answers, nothing bound).
    void Clear() { *this = CITVDoc(); }

    // Reads a file: 0, or 257 (cannot open), 259 (not an interactive system file, or damaged),
    // 260 (another version). After a failure the document is cleared.
    int Load(const std::string& path);
    int Parse(std::span<const uint8_t> data);
    // Writes the file atomically: 0, or 258 (the old file, if any, stays).
    int Save(const std::string& path) const;
    std::vector<uint8_t> Serialize() const;

    // The page's file: a relative path is below pagesFolder.
    std::string PageFile(const std::string& pagesFolder) const;
    // Stores a page's path: relative when it lies in pagesFolder (letter case aside), else whole
    // with the absolute flag.
    void SetPageFile(const std::string& path, const std::string& pagesFolder);

    // The line table of a new system: 1, 2, ... for the first `answers` lines, 0 for the rest.
    void DefaultLineTable();
    // Every bound frame name once: "" when none is bound twice, else the first name bound twice.
    std::string DuplicateBinding() const;
};

}  // namespace interactive
