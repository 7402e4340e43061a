// zx init: a new, empty data folder with its settings file.
#include <iostream>

#include "app/zentrix_app.h"
#include "cli/command.h"
#include "platform/files.h"

namespace {

int init(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx init: give the folder to make\n";
        return 2;
    }
    std::string dir = app::WithSlash(a.positional[0]);
    if (!platform::MakeDirectories(dir)) {
        std::cerr << "zx init: cannot create " << dir << "\n";
        return 1;
    }
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(app::CommandLine::Parse({"--home", dir}));
    if (!theApp.folders().createDataFolders()) {
        std::cerr << "zx init: cannot create the data folders under " << dir << "\n";
        return 1;
    }
    app::Profile& ini = theApp.profile();
    if (!ini.hasKey("Start", "First")) {
        app::Profile::Batch batch(ini);
        app::SaveHardwareSettings(ini, theApp.settings());
        app::SaveStartSettings(ini, theApp.settings());
        ini.putInt("Start", "First", 0);
        ini.putInt("Debug", "Log", 0);
        ini.putInt("Debug", "Timestamp", 1);
    }
    std::cout << "Data folder ready: " << dir << "\n";
    return 0;
}

zx::Register r({"init", "DIR", "Make a data folder: the folder tree and a settings file with the defaults.", {}, init});

}  // namespace
