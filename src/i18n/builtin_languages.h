// The languages the program brings along (resources/lang/*.txt, built in), and the translation
// files made from them: the base file and one language file each.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace i18n {

struct BuiltinLanguage {
    const char* file;  // "Russian.zxl"
    int codePage;      // of its texts
    std::string_view source;
};
const std::vector<BuiltinLanguage>& BuiltinLanguages();

// Writes "<exeName>.lna" (every text of the program) and the built-in languages into folder.
// The names written go to files; false with the reason when one cannot be made.
bool WriteTranslationFiles(const std::string& folder, const std::string& exeName, std::vector<std::string>& files,
                           std::string& error);

}  // namespace i18n
