// zx demo: a complete data root for a first run, made from nothing.
#include <iostream>

#include "cli/command.h"
#include "demo/demo_clocks.h"
#include "demo/demo_root.h"

namespace {

int makeDemo(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx demo: give the folder to make\n";
        return 2;
    }
    demo::DemoOptions o;
    o.fontFolder = a.get("ttf", demo::kDejaVuFolder);
    demo::DemoResult result;
    std::string error;
    if (!demo::MakeDemoRoot(a.positional[0], o, result, error)) {
        std::cerr << "zx demo: " << error << "\n";
        return 1;
    }
    for (const std::string& f : result.files) std::cout << "  " << f << "\n";
    std::cout << "Demo data root ready: " << a.positional[0] << " (" << result.fonts << " fonts, " << result.pages
              << " pages, " << result.sequences << " sequences, " << result.styles << " styles, " << result.clocks
              << " clocks)\n"
              << "Play it with: zx play --home " << a.positional[0] << " \"" << demo::kShowSequence << "\"\n"
              << "A clock: zx play --home " << a.positional[0] << " \"" << demo::kStudioClock << "\" --duration 10\n";
    return 0;
}

zx::Register r({"demo",
                "DIR [--ttf FOLDER]",
                "Make a data root with fonts, pages, sequences, styles and settings for the embedded virtual "
                "Device (the same files every time).",
                {"ttf"},
                makeDemo});

}  // namespace
