// zx demo: a complete data root for a first run, made from nothing.
#include <iostream>

#include "app/zentrix_app.h"
#include "cli/command.h"
#include "demo/demo_banners.h"
#include "demo/demo_clocks.h"
#include "demo/demo_root.h"
#include "demo/demo_titles.h"

namespace {

int makeDemo(const zx::Args& a) {
    if (a.positional.size() > 1 || (a.positional.size() == 1 && a.has("home"))) {
        std::cerr << "zx demo: give one folder to make\n";
        return 2;
    }
    // Without a folder, the demo goes where the program looks when it is given none: for an
    // installed program the user's own program folder, so that `zentrix` opens on it at once.
    const std::string folder = !a.positional.empty() ? a.positional[0]
                               : a.has("home")       ? a.get("home", "")
                                                     : app::DefaultProgramFolder();
    demo::DemoOptions o;
    o.fontFolder = a.get("ttf", demo::kDejaVuFolder);
    demo::DemoResult result;
    std::string error;
    if (!demo::MakeDemoRoot(folder, o, result, error)) {
        std::cerr << "zx demo: " << error << "\n";
        return 1;
    }
    for (const std::string& f : result.files) std::cout << "  " << f << "\n";
    std::cout << "Demo data root ready: " << folder << " (" << result.fonts << " fonts, " << result.pages << " pages, "
              << result.sequences << " sequences, " << result.styles << " styles, " << result.clocks << " clocks, "
              << result.banners << " banners, " << result.titles << " titles)\n"
              << "Play it with: zx play --home " << folder << " \"" << demo::kShowSequence << "\"\n"
              << "A clock: zx play --home " << folder << " \"" << demo::kStudioClock << "\" --duration 10\n"
              << "A banner: zx play --home " << folder << " \"" << demo::kLiveBadge << "\" --duration 5\n"
              << "A title: zx titles play --home " << folder << " \"" << demo::kNameAndRoleTitle
              << "\" --field \"Name=Ivan Petrov\" --field \"Role=Editor\"\n"
              << "Automation mode: zx schedule run --home " << folder
              << " --start \"2025-06-02 12:09:50\" --for 3m --time-scale 10 --press 9@12:10:30 --press 1@12:10:33\n"
              << "USB phone lines (simulated): zx usb listen --home " << folder
              << " --library sim --for 60, and meanwhile zx voiceboard ring 101 5551234\n";
    return 0;
}

zx::Register r({"demo",
                "[DIR|--home DIR] [--ttf FOLDER]",
                "Make a data root with fonts, pages, sequences, styles and settings for the embedded virtual "
                "Device (the same files every time); without a folder, in the program folder the programs use "
                "when given none.",
                {"ttf", "home"},
                makeDemo});

}  // namespace
