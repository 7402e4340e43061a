// zx paths, zx settings: what the program would use on a data root.
#include <iostream>

#include "app/zentrix_app.h"
#include "cli/command.h"

namespace {

int paths(const zx::Args& a) {
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    for (int i = 0; i < app::FOLDER_COUNT; ++i) std::cout << i << "\t" << theApp.GetPath(i) << "\n";
    return 0;
}

int settings(const zx::Args& a) {
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    std::cout << "# " << theApp.iniPath() << "\n";
    const app::Settings& s = theApp.settings();
    std::string section;
    for (const auto& info : app::SettingsTable()) {
        if (section != info.section) {
            section = info.section;
            std::cout << "[" << section << "]\n";
        }
        if (info.isString) std::cout << info.key << "=" << s.*info.strField << "\t(default: empty)\n";
        else
            std::cout << info.key << "=" << s.*info.intField
                      << "\t(default: " << app::SettingDefault(info, theApp.is400M()) << ")\n";
    }
    for (const auto& o : app::OtherSettingsTable()) {
        if (section != o.section) {
            section = o.section;
            std::cout << "[" << section << "]\n";
        }
        std::cout << o.key << "=" << theApp.profile().getString(o.section, o.key, o.def)
                  << "\t(default: " << (*o.def ? o.def : "empty") << ")";
        if (*o.meaning) std::cout << "\t" << o.meaning;
        std::cout << "\n";
    }
    const app::DeviceModel& m = theApp.deviceModel();
    std::cout << "# Device model: " << m.name << ", status class " << m.statusClass << ", "
              << (m.link == app::LINK_LPT ? "LPT/ECP" : "Ethernet") << " link, " << m.bindings << " block bindings\n";
    return 0;
}

zx::Register r1(
    {"paths", "[--home DIR] [--400m]", "Print the 16 data folders, one per line as index<TAB>path.", {"home"}, paths});
zx::Register r2({"settings",
                 "[--home DIR] [--400m]",
                 "Print every setting with its current value and its default.",
                 {"home"},
                 settings});

}  // namespace
