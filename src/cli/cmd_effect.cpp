// zx effect info, zx hotkeys: what the Device gets for an effect, and the air frame's hotkeys.
#include <charconv>
#include <cstdio>
#include <iostream>

#include "air/effects.h"
#include "air/hotkeys.h"
#include "app/zentrix_app.h"
#include "cli/command.h"

namespace {

bool parseInt(const std::string& s, int lo, int hi, int& out) {
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size() && out >= lo && out <= hi;
}

int effectInfo(const zx::Args& a) {
    int type = 0, speed = 0, border = 0;
    if (a.positional.size() != 2 || !parseInt(a.positional[0], 0, air::kEffectTypes - 1, type) ||
        !parseInt(a.positional[1], 0, air::kMaxEffectSpeed, speed)) {
        std::cerr << "zx effect info: give TYPE (0-18) and SPEED (0-19)\n";
        return 2;
    }
    if (auto b = a.get("border"); b && !parseInt(*b, 0, air::kMaxEffectBorder, border)) {
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

app::CommandLine commandLineOf(const zx::Args& a) {
    std::vector<std::string> args;
    if (auto h = a.get("home")) {
        args.push_back("--home");
        args.push_back(*h);
    }
    if (a.has("400m")) args.push_back("/400M");
    return app::CommandLine::Parse(args);
}

int hotkeys(const zx::Args& a) {
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(commandLineOf(a));
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
