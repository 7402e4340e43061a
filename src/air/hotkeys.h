// The air frame's eight hotkeys: transport commands and two view commands. Each entry is the
// Windows virtual-key code in bits 0-7 and the modifiers in bits 16-18, as the settings file
// stores it (section "HotKeys", keys "Key0" ... "Key7"); the UI maps it to its own keys.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace app {
class Profile;
}

namespace air {

constexpr int kHotkeyCount = 8;

enum : uint32_t {
    HOTKEY_KEY_MASK = 0x000000FF,
    HOTKEY_SHIFT = 0x00010000,
    HOTKEY_CTRL = 0x00020000,
    HOTKEY_ALT = 0x00040000,
    HOTKEY_EXT = 0x00080000,  // extended key (the navigation block), as the hotkey control marks it
};

// Command ids of the entries.
enum : int {
    CMD_PLAY = 32957,
    CMD_STOP = 32958,
    CMD_PREVIOUS = 32961,
    CMD_PAUSE = 32963,
    CMD_NEXT = 32964,
    CMD_EFFECT = 32968,
    CMD_HOTKEYS = 32993,
    CMD_RENDER = 1228,
    CMD_REFRESH_LIST = 1230,
};

struct HotkeyEntry {
    const char* label;  // as the "Hotkeys" dialog shows it
    int command;
    uint32_t defaultValue;
};
extern const HotkeyEntry kHotkeyEntries[kHotkeyCount];

using HotkeyTable = std::array<uint32_t, kHotkeyCount>;

HotkeyTable DefaultHotkeys();
// Reads "Key%d" for every entry; a missing key gives the entry's default.
HotkeyTable LoadHotkeys(const app::Profile& ini);
// Writes all eight entries (one save of the file).
bool SaveHotkeys(app::Profile& ini, const HotkeyTable& table);

// Accelerator flags as the window system's accelerator tables use them.
enum : uint8_t { ACCEL_VIRTKEY = 0x01, ACCEL_SHIFT = 0x04, ACCEL_CONTROL = 0x08, ACCEL_ALT = 0x10 };
struct Accelerator {
    uint8_t flags;
    uint16_t key;  // the entry's low 16 bits: the virtual-key code
    int command;
};
// One accelerator per entry, in entry order. Two entries with the same key are not rejected.
std::vector<Accelerator> BuildAccelerators(const HotkeyTable& table);

// The value from the parts the hotkey control hands back: (modifiers × 65536) | key.
inline uint32_t MakeHotkey(uint8_t virtualKey, uint8_t modifiers) { return (uint32_t(modifiers) << 16) | virtualKey; }
inline uint8_t HotkeyKey(uint32_t v) { return uint8_t(v & HOTKEY_KEY_MASK); }
inline uint8_t HotkeyModifiers(uint32_t v) { return uint8_t(v >> 16); }

// Key names as the hotkey control shows them: "F5", "Ctrl + R", "None".
std::string VirtualKeyName(uint8_t virtualKey);
std::string HotkeyText(uint32_t value);

}  // namespace air
