// zx effect info, zx hotkeys: what the Device gets for an effect, and the air frame's hotkeys.
#include <cstdio>
#include <iostream>

#include "air/effects.h"
#include "air/hotkeys.h"
#include "app/zentrix_app.h"
#include "cli/command.h"

namespace {

int effectInfo(const zx::Args& a) {
    int type = 0, speed = 0, border = 0;
    if (a.positional.size() != 2 || !zx::ParseNumber(a.positional[0], 0, air::kEffectTypes - 1, type) ||
        !zx::ParseNumber(a.positional[1], 0, air::kMaxEffectSpeed, speed)) {
        std::cerr << "zx effect info: give TYPE (0-18) and SPEED (0-19)\n";
        return 2;
    }
    if (auto b = a.get("border"); b && !zx::ParseNumber(*b, 0, air::kMaxEffectBorder, border)) {
        std::cerr << "zx effect info: --border takes 0-14\n";
        return 2;
    }
    air::ShowParams p;
    p.inType = p.outType = type;
    p.inSpeed = p.outSpeed = speed;
    p.inBorder = p.outBorder = border;
    p.inFade = p.outFade = a.has("fade");
    p.inNewMoves = a.has("new-moves");
    p.inOldMoves = p.outMoves = a.has("old-moves");

    const air::EffectInfo& e = air::kEffectCatalogue[type];
    int ms = air::EffectDuration(type, speed, p.inFade != 0);
    char line[128];
    std::cout << "type " << type << ": motion " << e.dx << " x " << e.dy << " px, speed " << speed << " (shown "
              << speed + 1 << ", " << speed + 1 << " px per field)\n";
    std::cout << "duration " << ms << " ms (" << air::SecondsAndTenths(ms) << " s)\n";
    snprintf(line, sizeof line, "in word 0x%04X, out word 0x%04X (before the on-air bits)\n", air::EffectWord(p, true),
             air::EffectWord(p, false));
    std::cout << line;
    snprintf(line, sizeof line, "parameter 0x%08X\n", air::EffectParam(p, true));
    std::cout << line;
    return 0;
}

int hotkeys(const zx::Args& a) {
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    air::HotkeyTable t = air::LoadHotkeys(theApp.profile());
    for (int i = 0; i < air::kHotkeyCount; ++i)
        std::cout << i << "\t" << air::kHotkeyEntries[i].label << "\t" << air::HotkeyText(t[size_t(i)]) << "\t"
                  << t[size_t(i)] << "\n";
    return 0;
}

zx::Register r1({"effect info",
                 "TYPE SPEED [--fade] [--border N] [--new-moves] [--old-moves]",
                 "Print an effect's duration, its effect words and its 32-bit parameter.",
                 {"border"},
                 effectInfo});
zx::Register r2({"hotkeys",
                 "[--home DIR] [--400m]",
                 "Print the air frame's eight hotkeys as entry<TAB>command<TAB>key<TAB>stored value.",
                 {"home"},
                 hotkeys});

}  // namespace
