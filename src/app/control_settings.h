// The [Control] section: the remote control of the on-air modes over HTTP. Off unless Enabled is
// 1; it listens on loopback unless an address is configured, and a configured Token must be
// given by every request (one is required for any address other than loopback).
#pragma once

#include <string>

#include "app/profile.h"

namespace app {

constexpr const char* kControlSection = "Control";
constexpr const char* kControlDefaultListen = "127.0.0.1:8139";

struct ControlSettings {
    bool enabled = false;
    std::string listen = kControlDefaultListen;  // "HOST:PORT", "[V6]:PORT"
    std::string token;                           // "" = none (loopback only)
};

// Keys: Enabled (0 or 1), Listen, Token. An empty Listen is the default.
ControlSettings LoadControlSettings(const Profile& ini);
// False when the file could not be written.
bool SaveControlSettings(Profile& ini, const ControlSettings& settings);

}  // namespace app
