// zx remote: the switcher's remote-control program from a terminal or a script, through the same
// CRemoteCmd the air frame uses: start it, press buttons, ask for lamps, run macro files, and
// seize and restore the switcher step by step.
#include <unistd.h>

#include <chrono>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "app/folders.h"
#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "cli/command.h"
#include "platform/files.h"
#include "video/remote_cmd.h"

namespace {

// How long `launch` waits for the program's window.
constexpr uint32_t kLaunchWaitMs = 15000;

class Remote {
public:
    explicit Remote(const zx::Args& a) : boxes_(&std::cerr) {
        app_.InitSettingsOnly(zx::CommandLineOf(a));
        app::SetMessageBoxes(&boxes_);
    }
    ~Remote() { app::SetMessageBoxes(nullptr); }

    video::CRemoteCmd& cmd() { return cmd_; }

    // The folder Live mode starts it from: RemotePath, or the data root.
    std::string folder() const {
        const std::string& path = app_.settings().remotePath;
        return path.empty() ? app_.GetPath(app::FOLDER_ROOT) : path;
    }

    bool launch() {
        if (!cmd_.Launch(folder())) return false;
        if (cmd_.WaitForWindow(kLaunchWaitMs)) return true;
        std::cerr << "zx remote: " << video::kRemoteProgram << " started but its window \"" << video::kRemoteTitle
                  << "\" did not answer\n";
        return false;
    }

    // A macro's full path, as the remote program needs it: as given, from the working folder,
    // or below the data root.
    std::string macroPath(const std::string& file) const {
        if (!file.empty() && file[0] == '/') return file;
        if (platform::FileExists(file)) {
            char cwd[4096];
            if (::getcwd(cwd, sizeof cwd)) return app::WithSlash(cwd) + file;
        }
        const std::string below = app_.GetPath(app::FOLDER_ROOT) + file;
        return platform::FileExists(platform::ResolvePath(below)) ? platform::ResolvePath(below) : below;
    }

    // One button action; prints the query's answer. False when the message failed.
    bool button(int action, const std::string& name, bool print) {
        const int r = cmd_.SendCmd(action, name);
        if (cmd_.lastReply() == 0) return false;
        if (print) std::cout << (action == video::REMOTE_QUERY ? std::to_string(r) : "ok") << "\n";
        return true;
    }

private:
    app::CZentrixApp app_;
    app::HeadlessMessageBoxes boxes_;
    video::CRemoteCmd cmd_;
};

int launchCmd(const zx::Args& a) {
    Remote r(a);
    if (!r.launch()) return 1;
    std::cout << "running\n";
    return 0;
}

int buttonCmd(const zx::Args& a, int action) {
    if (a.positional.size() != 1) {
        std::cerr << "zx remote: give one button name (IN1, FAST, LOGO1 ...)\n";
        return 2;
    }
    Remote r(a);
    return r.button(action, a.positional[0], true) ? 0 : 1;
}

int runCmd(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx remote run: give one macro file (.txt)\n";
        return 2;
    }
    Remote r(a);
    const int n = r.cmd().RunScript(r.macroPath(a.positional[0]));
    if (n == 0) return 1;
    std::cout << n << " commands\n";
    return 0;
}

// Input of `restore`: a name of the input table, its index, "seized" (-1) or "any" (-2).
bool parseInput(const std::string& word, int& input) {
    if (word == "seized") input = video::RESTORE_SEIZED_INPUT;
    else if (word == "any") input = video::RESTORE_ANY_INPUT;
    else if (int i = video::RemoteInputIndex(platform::ToUpperAscii(word)); i >= 0) input = i;
    else return zx::ParseNumber(word, -2, video::kRemoteInputCount - 1, input);
    return true;
}

int stepsCmd(const zx::Args& a) {
    Remote r(a);
    video::CRemoteCmd& cmd = r.cmd();
    int failed = 0;
    std::string line;
    int lineNo = 0;
    while (std::getline(std::cin, line)) {
        ++lineNo;
        if (size_t c = line.find('#'); c != std::string::npos) line.erase(c);
        std::istringstream in(line);
        std::vector<std::string> w;
        for (std::string word; in >> word;) w.push_back(word);
        if (w.empty()) continue;
        const std::string step = platform::ToLowerAscii(w[0]);
        auto bad = [&](const char* why) {
            std::cerr << "zx remote steps: line " << lineNo << ": " << why << "\n";
            ++failed;
        };
        if (step == "launch" && w.size() == 1) {
            const bool ok = r.launch();
            std::cout << "launch " << (ok ? "running" : "failed") << "\n";
            failed += ok ? 0 : 1;
        } else if (step == "seize" && (w.size() == 1 || (w.size() == 2 && w[1] == "logo-off"))) {
            const int e = cmd.Seize(w.size() == 2);
            std::cout << "seize " << e << "\n";
            if (e != video::SEIZE_OK) {
                // As the air frame reports it: 18004 + the result, and the latch re-armed.
                app::MessageBoxId(video::IDS_REMOTE_SEIZE_BASE + e, app::MB_OK | app::MB_ICONERROR);
                cmd.RearmError();
                ++failed;
            }
        } else if (step == "restore" && w.size() <= 3) {
            bool cut = false;
            int input = video::RESTORE_SEIZED_INPUT;
            size_t i = 1;
            if (i < w.size() && w[i] == "cut") {
                cut = true;
                ++i;
            }
            if (i < w.size() && (i + 1 != w.size() || !parseInput(w[i], input))) {
                bad("restore takes [cut] [INPUT] (a name such as IN3, an index, seized or any)");
                continue;
            }
            cmd.Restore(cut, input);
            std::cout << "restore" << (cut ? " cut" : "") << " " << input << "\n";
        } else if ((step == "push" || step == "on" || step == "off" || step == "query") && w.size() == 2) {
            const int action = step == "push"  ? video::REMOTE_PUSH
                               : step == "on"  ? video::REMOTE_ON
                               : step == "off" ? video::REMOTE_OFF
                                               : video::REMOTE_QUERY;
            const int result = cmd.SendCmd(action, w[1]);
            std::cout << step << " " << w[1] << " " << (cmd.lastReply() == 0 ? "failed" : std::to_string(result))
                      << "\n";
            failed += cmd.lastReply() == 0 ? 1 : 0;
        } else if (step == "run" && w.size() >= 2) {
            // A file name may hold blanks: the rest of the line.
            const std::string file = line.substr(line.find(w[1]), line.find_last_not_of(" \t\r") + 1 - line.find(w[1]));
            const int n = cmd.RunScript(r.macroPath(file));
            std::cout << "run " << file << " " << n << "\n";
            failed += n == 0 ? 1 : 0;
        } else if (step == "wait" && w.size() == 2) {
            uint32_t ms = 0;
            if (!zx::ParseNumber(w[1], 0u, 3600000u, ms)) {
                bad("wait takes milliseconds");
                continue;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            std::cout << "wait " << ms << "\n";
        } else {
            bad("not a step (launch, seize [logo-off], restore [cut] [INPUT], push|on|off|query NAME, run FILE, "
                "wait MS)");
        }
        std::cout.flush();
    }
    return failed ? 1 : 0;
}

const char* const kHome = "[--home DIR] [--400m]";

zx::Register r1({"remote launch",
                 kHome,
                 "Start the switcher's remote-control program as Live mode does (RemotePath, else the data root, "
                 "else beside zx) and wait for its window.",
                 {"home"},
                 launchCmd});
zx::Register r2(
    {"remote push", std::string("NAME ") + kHome, "Push a button of the switcher.", {"home"}, [](const zx::Args& a) {
         return buttonCmd(a, video::REMOTE_PUSH);
     }});
zx::Register r3({"remote on", std::string("NAME ") + kHome, "Switch a button on.", {"home"}, [](const zx::Args& a) {
                     return buttonCmd(a, video::REMOTE_ON);
                 }});
zx::Register r4({"remote off", std::string("NAME ") + kHome, "Switch a button off.", {"home"}, [](const zx::Args& a) {
                     return buttonCmd(a, video::REMOTE_OFF);
                 }});
zx::Register r5({"remote query",
                 std::string("NAME ") + kHome,
                 "Print 1 when a button is lit, 0 when not.",
                 {"home"},
                 [](const zx::Args& a) { return buttonCmd(a, video::REMOTE_QUERY); }});
zx::Register r6({"remote run",
                 std::string("FILE.txt ") + kHome,
                 "Run a macro file in the remote-control program; prints the number of its commands.",
                 {"home"},
                 runCmd});
zx::Register r7({"remote steps",
                 kHome,
                 "Read steps from standard input (launch, seize [logo-off], restore [cut] [INPUT], "
                 "push|on|off|query NAME, run FILE, wait MS) and print each result.",
                 {"home"},
                 stepsCmd});

}  // namespace
