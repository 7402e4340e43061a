// The simulated video switcher behind zx-remote: a program bus (what is on air, the "AIR_" tallies)
// and a preview bus (the plain input lamps) over the 22 sources, FAST mode, the CUT/AUTO take
// style, the transition effects MIX and EFFECT1-8 with their times, toggle lamps and BREAK.
//
// Time comes from a Clock: FAST lighting after its delay, the end of an AUTO transition and the
// steps of a running macro happen when their time has come, at the next call that looks. Every
// call is safe from any thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace zxremote {

// The lamps that a push turns on and off.
inline constexpr int kToggleCount = 11;
extern const char* const kToggles[kToggleCount];

// A step of a macro: a button action, or a wait.
struct MacroStep {
    bool wait = false;
    int action = 0;  // REMOTE_PUSH, REMOTE_ON or REMOTE_OFF
    std::string name;
    uint32_t waitMs = 0;
};

struct SwitcherSetup {
    int program = 2;                 // IN1
    int preview = 3;                 // IN2
    int effect = 0;                  // MIX
    bool styleAuto = false;          // CUT lit, else AUTO
    bool fast = false;               // FAST mode lit at the start
    std::vector<std::string> lamps;  // toggle lamps lit at the start
    int fastDelayMs = 200;           // FAST lights this long after its push; -1: never
    int effectTimeMs = 1000;         // the length of an AUTO transition
    bool remote = true;              // the <Remote> button: off refuses every command of the program
};

struct SwitcherState {
    bool remote = true;
    int program = 2, preview = 3;
    int transitionTo = -1;  // an AUTO transition running towards this input
    uint32_t transitionLeftMs = 0;
    bool fast = false, fastPending = false;
    int fastDelayMs = 200;
    bool styleAuto = false;
    int effect = 0;
    int effectTimeMs = 1000;
    bool previewArmed = false;
    bool toggles[kToggleCount] = {};
    size_t macroSteps = 0;  // steps still to run
};

class Switcher {
public:
    Switcher(const platform::Clock& clock, const SwitcherSetup& setup);

    // Whether the switcher has a button of this name (letter case aside).
    static bool Known(const std::string& name);

    // A button action; the reply the remote program gives: 0 for an unknown name or action, 1
    // when done, and for a query 1 (not lit) or 2 (lit). The <Remote> button is not looked at.
    int Apply(int action, const std::string& name);
    // The operator's own press on the panel or the control interface.
    void Press(const std::string& name) { Apply(0, name); }
    void SelectPreview(int input);
    // Queues a macro after what is still queued; its first step runs at the next look.
    void Schedule(const std::vector<MacroStep>& steps);

    void SetRemote(bool on);
    bool RemoteOn();
    void SetFastDelay(int ms);
    SwitcherState State();
    std::string StateJson();

private:
    int apply(int action, const std::string& upper);
    bool lit(const std::string& upper) const;
    void settle();
    void take(int input, bool swap);
    void finishTransition();

    const platform::Clock& clock_;
    std::mutex m_;
    SwitcherState s_;
    uint32_t transitionEnd_ = 0;
    bool transitionSwap_ = false;
    uint32_t fastDue_ = 0;
    struct Queued {
        uint32_t due;
        MacroStep step;
    };
    std::vector<Queued> macro_;
    uint32_t macroEnd_ = 0;  // when the last queued step runs
};

// Builds the JSON text of a state.
std::string StateToJson(const SwitcherState& s);

}  // namespace zxremote
