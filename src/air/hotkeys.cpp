#include "air/hotkeys.h"

#include <cstdio>

#include "app/profile.h"

namespace air {

const HotkeyEntry kHotkeyEntries[kHotkeyCount] = {
    {"Play", CMD_PLAY, 0x74},                     // F5
    {"Pause", CMD_PAUSE, 0x75},                   // F6
    {"Next", CMD_NEXT, 0x76},                     // F7
    {"Stop", CMD_STOP, 0x77},                     // F8
    {"Effect", CMD_EFFECT, 0x78},                 // F9
    {"Render", CMD_RENDER, 0x71},                 // F2
    {"Refresh list", CMD_REFRESH_LIST, 0x20052},  // Ctrl+R
    {"Prev", CMD_PREVIOUS, 0x72},                 // F3
};

namespace {
constexpr const char* kSection = "HotKeys";

std::string keyName(int i) {
    char k[16];
    snprintf(k, sizeof k, "Key%d", i);
    return k;
}
}  // namespace

HotkeyTable DefaultHotkeys() {
    HotkeyTable t{};
    for (int i = 0; i < kHotkeyCount; ++i) t[size_t(i)] = kHotkeyEntries[i].defaultValue;
    return t;
}

HotkeyTable LoadHotkeys(const app::Profile& ini) {
    HotkeyTable t{};
    for (int i = 0; i < kHotkeyCount; ++i)
        t[size_t(i)] = uint32_t(ini.getInt(kSection, keyName(i), int(kHotkeyEntries[i].defaultValue)));
    return t;
}

bool SaveHotkeys(app::Profile& ini, const HotkeyTable& table) {
    app::Profile::Batch batch(ini);
    bool ok = true;
    for (int i = 0; i < kHotkeyCount; ++i) ok = ini.putInt(kSection, keyName(i), int(table[size_t(i)])) && ok;
    return ok;
}

std::vector<Accelerator> BuildAccelerators(const HotkeyTable& table) {
    std::vector<Accelerator> out;
    out.reserve(kHotkeyCount);
    for (int i = 0; i < kHotkeyCount; ++i) {
        uint32_t v = table[size_t(i)];
        uint8_t flags = ACCEL_VIRTKEY;
        if (v & HOTKEY_CTRL) flags |= ACCEL_CONTROL;
        if (v & HOTKEY_ALT) flags |= ACCEL_ALT;
        if (v & HOTKEY_SHIFT) flags |= ACCEL_SHIFT;
        out.push_back({flags, uint16_t(v & 0xFFFF), kHotkeyEntries[i].command});
    }
    return out;
}

std::string VirtualKeyName(uint8_t vk) {
    char buf[16];
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string(1, char(vk));
    if (vk >= 0x70 && vk <= 0x87) {
        snprintf(buf, sizeof buf, "F%d", vk - 0x6F);
        return buf;
    }
    if (vk >= 0x60 && vk <= 0x69) {
        snprintf(buf, sizeof buf, "Num %d", vk - 0x60);
        return buf;
    }
    switch (vk) {
        case 0x00: return "None";
        case 0x03: return "Break";
        case 0x08: return "Backspace";
        case 0x09: return "Tab";
        case 0x0C: return "Clear";
        case 0x0D: return "Enter";
        case 0x13: return "Pause";
        case 0x14: return "Caps Lock";
        case 0x1B: return "Esc";
        case 0x20: return "Space";
        case 0x21: return "Page Up";
        case 0x22: return "Page Down";
        case 0x23: return "End";
        case 0x24: return "Home";
        case 0x25: return "Left";
        case 0x26: return "Up";
        case 0x27: return "Right";
        case 0x28: return "Down";
        case 0x29: return "Select";
        case 0x2A: return "Print";
        case 0x2C: return "Print Screen";
        case 0x2D: return "Insert";
        case 0x2E: return "Delete";
        case 0x2F: return "Help";
        case 0x5B: return "Left Windows";
        case 0x5C: return "Right Windows";
        case 0x5D: return "Application";
        case 0x5F: return "Sleep";
        case 0x6A: return "Num *";
        case 0x6B: return "Num +";
        case 0x6C: return "Separator";
        case 0x6D: return "Num -";
        case 0x6E: return "Num .";
        case 0x6F: return "Num /";
        case 0x90: return "Num Lock";
        case 0x91: return "Scroll Lock";
        case 0xBA: return ";";
        case 0xBB: return "=";
        case 0xBC: return ",";
        case 0xBD: return "-";
        case 0xBE: return ".";
        case 0xBF: return "/";
        case 0xC0: return "`";
        case 0xDB: return "[";
        case 0xDC: return "\\";
        case 0xDD: return "]";
        case 0xDE: return "'";
        default: break;
    }
    snprintf(buf, sizeof buf, "Key 0x%02X", vk);
    return buf;
}

std::string HotkeyText(uint32_t value) {
    uint8_t vk = HotkeyKey(value);
    if (vk == 0) return "None";
    std::string s;
    if (value & HOTKEY_CTRL) s += "Ctrl + ";
    if (value & HOTKEY_SHIFT) s += "Shift + ";
    if (value & HOTKEY_ALT) s += "Alt + ";
    return s + VirtualKeyName(vk);
}

}  // namespace air
