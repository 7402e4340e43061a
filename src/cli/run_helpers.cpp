#include "cli/run_helpers.h"

#include <unistd.h>

#include <cstdio>
#include <vector>

#include "app/folders.h"
#include "gsmsim/simulator.h"
#include "ktgsim/embedded.h"
#include "ktgsim/picture.h"
#include "platform/files.h"

namespace zx {

std::string UnderHome(const Args& a, const std::string& file) {
    if (auto h = a.get("home"); h && !platform::FileExists(file) && platform::FileExists(app::WithSlash(*h) + file))
        return app::WithSlash(*h) + file;
    return file;
}

bool GrabEmbeddedDevice(pages::CBitmap32& out) {
    ktgsim::Picture pic;
    if (!ktgsim::WithEmbeddedServer([&](ktgsim::Server& s) { s.render(pic); })) return false;
    out = ktgsim::ToBitmap(pic);
    return true;
}

std::string ScaledSimScript(const std::string& path, double scale, const std::string& tag, std::string& error) {
    std::vector<gsmsim::ScriptLine> lines;
    if (!gsmsim::ReadScript(path, lines, error)) return {};
    std::string text;
    for (const gsmsim::ScriptLine& l : lines) {
        char t[32];
        std::snprintf(t, sizeof t, "%.3f ", l.seconds / scale);
        text += t + l.command + "\n";
    }
    const std::string out = platform::RuntimeDir() + "zx-" + tag + "-" + std::to_string(::getpid()) + ".txt";
    if (!platform::WriteFileAtomic(out, std::string_view(text))) {
        error = "cannot write " + out;
        return {};
    }
    return out;
}

}  // namespace zx
