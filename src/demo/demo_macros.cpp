#include "demo/demo_macros.h"

#include "platform/files.h"

namespace demo {

bool WriteDemoMacros(const std::string& root, std::vector<std::string>& files, std::string& error) {
    static const struct {
        const char* file;
        const char* text;
    } kMacros[] = {
        {kBarsMacro,
         "# Remote control macro: the colour bars on the preview bus, ready to go to air.\n"
         "PUSH PREVIEW\n"
         "PUSH BARS\n"},
        {kLogoMacro,
         "# Remote control macro: the station logo on, after a moment.\n"
         "WAIT 500\n"
         "ON LOGO1\n"},
    };
    for (const auto& m : kMacros) {
        const std::string path = root + m.file;
        if (!platform::WriteFileAtomic(path, std::string_view(m.text))) {
            error = "cannot write " + path;
            return false;
        }
        files.push_back(m.file);
    }
    return true;
}

}  // namespace demo
