#include "zx-remote/switcher.h"

#include <algorithm>

#include "platform/files.h"
#include "video/remote_buttons.h"

namespace zxremote {

using namespace video;

const char* const kToggles[kToggleCount] = {"LOGO1",  "LOGO2", "CLOCK", "THERMO", "TITR", "TRANSP",
                                            "FREEZE", "AUX",   "FADE",  "SOFT",   "TEST"};

namespace {

enum class Kind { Unknown, Input, Tally, Effect, Fast, Cut, Auto, Take, Break, Preview, Toggle };

struct Button {
    Kind kind = Kind::Unknown;
    int index = -1;
};

Button Classify(const std::string& upper) {
    if (int i = RemoteInputIndex(upper); i >= 0) return {Kind::Input, i};
    if (upper.rfind(kAirPrefix, 0) == 0)
        if (int i = RemoteInputIndex(std::string_view(upper).substr(4)); i >= 0) return {Kind::Tally, i};
    if (int i = RemoteEffectIndex(upper); i >= 0) return {Kind::Effect, i};
    for (int i = 0; i < kToggleCount; ++i)
        if (upper == kToggles[i]) return {Kind::Toggle, i};
    if (upper == kButtonFast) return {Kind::Fast};
    if (upper == kButtonCut) return {Kind::Cut};
    if (upper == kButtonAuto) return {Kind::Auto};
    if (upper == kButtonBreak) return {Kind::Break};
    if (upper == "AIR") return {Kind::Take};
    if (upper == "PREVIEW") return {Kind::Preview};
    return {};
}

bool Due(uint32_t when, uint32_t now) { return int32_t(now - when) >= 0; }

const char* InputName(int i) { return i >= 0 && i < kRemoteInputCount ? kRemoteInputs[i] : ""; }

}  // namespace

Switcher::Switcher(const platform::Clock& clock, const SwitcherSetup& setup) : clock_(clock) {
    s_.remote = setup.remote;
    s_.program = std::clamp(setup.program, 0, kRemoteInputCount - 1);
    s_.preview = std::clamp(setup.preview, 0, kRemoteInputCount - 1);
    s_.effect = std::clamp(setup.effect, 0, kRemoteEffectCount - 1);
    s_.styleAuto = setup.styleAuto;
    s_.fast = setup.fast;
    s_.fastDelayMs = setup.fastDelayMs;
    s_.effectTimeMs = std::max(setup.effectTimeMs, 0);
    for (const std::string& lamp : setup.lamps) {
        const Button b = Classify(platform::ToUpperAscii(lamp));
        if (b.kind == Kind::Toggle) s_.toggles[b.index] = true;
    }
}

bool Switcher::Known(const std::string& name) { return Classify(platform::ToUpperAscii(name)).kind != Kind::Unknown; }

int Switcher::Apply(int action, const std::string& name) {
    std::lock_guard lock(m_);
    settle();
    return apply(action, platform::ToUpperAscii(name));
}

void Switcher::SelectPreview(int input) {
    std::lock_guard lock(m_);
    settle();
    if (input >= 0 && input < kRemoteInputCount) s_.preview = input;
}

void Switcher::Schedule(const std::vector<MacroStep>& steps) {
    std::lock_guard lock(m_);
    settle();
    const uint32_t now = clock_.ticks();
    // After what is still queued, so that two macros do not mix their steps.
    uint32_t at = macro_.empty() || Due(macroEnd_, now) ? now : macroEnd_;
    for (const MacroStep& step : steps) {
        if (step.wait) at += step.waitMs;
        else macro_.push_back({at, step});
    }
    macroEnd_ = at;
    s_.macroSteps = macro_.size();
}

void Switcher::SetRemote(bool on) {
    std::lock_guard lock(m_);
    s_.remote = on;
}

bool Switcher::RemoteOn() {
    std::lock_guard lock(m_);
    return s_.remote;
}

void Switcher::SetFastDelay(int ms) {
    std::lock_guard lock(m_);
    settle();
    s_.fastDelayMs = ms;
    // A FAST waiting for the old delay goes by the new one.
    if (s_.fastPending && ms >= 0) fastDue_ = clock_.ticks() + uint32_t(ms);
}

SwitcherState Switcher::State() {
    std::lock_guard lock(m_);
    settle();
    SwitcherState s = s_;
    if (s.transitionTo >= 0) s.transitionLeftMs = transitionEnd_ - clock_.ticks();
    return s;
}

std::string Switcher::StateJson() { return StateToJson(State()); }

// Runs what has come due, oldest first: FAST lighting, the end of a transition, macro steps.
void Switcher::settle() {
    const uint32_t now = clock_.ticks();
    for (;;) {
        enum { NONE, FAST, TRANSITION, MACRO } next = NONE;
        uint32_t when = 0;
        auto consider = [&](bool active, uint32_t t, decltype(next) what) {
            if (active && Due(t, now) && (next == NONE || int32_t(t - when) < 0)) {
                next = what;
                when = t;
            }
        };
        consider(s_.fastPending && s_.fastDelayMs >= 0, fastDue_, FAST);
        consider(s_.transitionTo >= 0, transitionEnd_, TRANSITION);
        consider(!macro_.empty(), macro_.empty() ? 0 : macro_.front().due, MACRO);
        if (next == NONE) break;
        if (next == FAST) {
            s_.fast = true;
            s_.fastPending = false;
        } else if (next == TRANSITION) {
            finishTransition();
        } else {
            const MacroStep step = macro_.front().step;
            macro_.erase(macro_.begin());
            apply(step.action, platform::ToUpperAscii(step.name));
        }
    }
    s_.macroSteps = macro_.size();
}

void Switcher::finishTransition() {
    if (s_.transitionTo < 0) return;
    const int old = s_.program;
    s_.program = s_.transitionTo;
    if (transitionSwap_) s_.preview = old;
    s_.transitionTo = -1;
}

// An input to air: at once in FAST mode or with CUT lit, else through the effect. swap: a take of
// the preview, after which the preview holds what was on air.
void Switcher::take(int input, bool swap) {
    finishTransition();
    if (input == s_.program) return;
    if (s_.fast || !s_.styleAuto || s_.effectTimeMs == 0) {
        const int old = s_.program;
        s_.program = input;
        if (swap) s_.preview = old;
        return;
    }
    s_.transitionTo = input;
    transitionSwap_ = swap;
    transitionEnd_ = clock_.ticks() + uint32_t(s_.effectTimeMs);
}

bool Switcher::lit(const std::string& upper) const {
    const Button b = Classify(upper);
    switch (b.kind) {
        case Kind::Input: return s_.preview == b.index;
        case Kind::Tally: return s_.program == b.index || s_.transitionTo == b.index;
        case Kind::Effect: return s_.effect == b.index;
        case Kind::Fast: return s_.fast;
        case Kind::Cut: return !s_.styleAuto;
        case Kind::Auto: return s_.styleAuto;
        case Kind::Take: return s_.transitionTo >= 0;
        case Kind::Preview: return s_.previewArmed;
        case Kind::Toggle: return s_.toggles[b.index];
        case Kind::Break:
        case Kind::Unknown: return false;
    }
    return false;
}

int Switcher::apply(int action, const std::string& upper) {
    const Button b = Classify(upper);
    if (b.kind == Kind::Unknown) return 0;
    if (action == REMOTE_QUERY) return lit(upper) ? 2 : 1;
    if (action < REMOTE_PUSH || action > REMOTE_OFF) return 0;
    const bool push = action == REMOTE_PUSH, on = action == REMOTE_ON, off = action == REMOTE_OFF;
    switch (b.kind) {
        case Kind::Input:
        case Kind::Tally:
            if (off) break;
            if (s_.previewArmed) {
                s_.preview = b.index;
                s_.previewArmed = false;
            } else if (s_.transitionTo != b.index) {
                take(b.index, false);
            }
            break;
        case Kind::Effect:
            if (!off) s_.effect = b.index;
            break;
        case Kind::Fast:
            if (off || (push && s_.fast)) {
                s_.fast = s_.fastPending = false;
            } else if (!s_.fast && !s_.fastPending) {
                if (s_.fastDelayMs == 0) {
                    s_.fast = true;
                } else {
                    s_.fastPending = true;
                    fastDue_ = clock_.ticks() + uint32_t(std::max(s_.fastDelayMs, 0));
                }
            }
            break;
        case Kind::Cut:
        case Kind::Auto:
            // In FAST mode every input goes straight to air: the style waits for FAST to go off.
            if (off || s_.fast) break;
            s_.styleAuto = b.kind == Kind::Auto;
            if (push) take(s_.preview, true);
            break;
        case Kind::Take:
            if (!off) take(s_.preview, true);
            break;
        case Kind::Break: finishTransition(); break;
        case Kind::Preview: s_.previewArmed = push ? !s_.previewArmed : on; break;
        case Kind::Toggle: s_.toggles[b.index] = push ? !s_.toggles[b.index] : on; break;
        case Kind::Unknown: break;
    }
    return 1;
}

std::string StateToJson(const SwitcherState& s) {
    auto q = [](const char* t) { return std::string("\"") + t + "\""; };
    auto b = [](bool v) { return std::string(v ? "true" : "false"); };
    std::string j = "{\"remote\":" + b(s.remote);
    j += ",\"program\":" + q(InputName(s.program));
    j += ",\"preview\":" + q(InputName(s.preview));
    j += ",\"transition\":";
    j += s.transitionTo < 0
             ? std::string("null")
             : "{\"to\":" + q(InputName(s.transitionTo)) + ",\"left_ms\":" + std::to_string(s.transitionLeftMs) + "}";
    j += ",\"fast\":" + b(s.fast) + ",\"fast_pending\":" + b(s.fastPending);
    j += ",\"fast_delay_ms\":" + (s.fastDelayMs < 0 ? q("never") : std::to_string(s.fastDelayMs));
    j += ",\"style\":" + q(s.styleAuto ? "AUTO" : "CUT");
    j += ",\"effect\":" + q(kRemoteEffects[s.effect]);
    j += ",\"effect_time_ms\":" + std::to_string(s.effectTimeMs);
    j += ",\"preview_armed\":" + b(s.previewArmed);
    j += ",\"lamps\":{";
    for (int i = 0; i < kToggleCount; ++i) j += std::string(i ? "," : "") + q(kToggles[i]) + ":" + b(s.toggles[i]);
    j += "},\"macro_steps\":" + std::to_string(s.macroSteps) + "}";
    return j;
}

}  // namespace zxremote
