// The source of a language file, as a translator writes it: UTF-8 text, one translation a line,
//   KEY<TAB>TEXT
// KEY is the text's key in eight hex digits (as "zx lang dump" prints it). In TEXT, \n is a line
// feed, \r a carriage return, \\ a backslash, and \t stays as the two characters "\t" that the
// translation files use for a TAB (a TAB typed in TEXT means the same). Lines that are empty or
// start with '#' are comments. The texts are converted to the program's 8-bit code page.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "i18n/lang_table.h"

namespace platform {
class CodePage;
}

namespace i18n {

struct SourceProblem {
    int line = 0;  // 1-based; 0 for the file as a whole
    std::string message;
};

struct CompiledLanguage {
    LangTable table;                      // the translations, in the base file's order
    std::vector<SourceProblem> errors;    // any error: the table is not to be written
    std::vector<SourceProblem> warnings;  // kept, but worth a look (format markers)
};

// Compiles a source against the base table: an unknown key, a key given twice, a character the
// code page lacks, bytes that are not UTF-8, a bad escape or a line that is no KEY<TAB>TEXT is an
// error with its line. A translation whose format markers differ from its base text is a warning.
CompiledLanguage CompileLanguageSource(std::string_view source, const LangTable& base, const platform::CodePage& cp);

// A source for a translator: every base text in base order, each under a comment with the base
// text, the translation when the language has one, else the base text itself.
std::string WriteLanguageSource(const LangTable& base, const LangTable& language, const platform::CodePage& cp);

// How a language covers its base.
struct LanguageCheck {
    size_t baseCount = 0;
    size_t translated = 0;
    std::vector<uint32_t> missing;         // base keys without a translation
    std::vector<uint32_t> notInBase;       // translations of keys the base lacks
    std::vector<uint32_t> markerMismatch;  // translations whose format markers differ
};
LanguageCheck CheckLanguage(const LangTable& language, const LangTable& base);

}  // namespace i18n
