// The program's settings record, the Device model table, and the rules that read them from
// the INI file (defaults, clamps, the second-edition overrides).
#pragma once

#include <string>
#include <vector>

#include "app/profile.h"

namespace app {

enum LinkKind : int { LINK_LPT = 0, LINK_ETHERNET = 1 };

struct DeviceModel {
    const char* name;
    int statusClass;  // 0: 5-byte status; 1: 6 bytes and Device requests; 2: 6 bytes, small chunks
    LinkKind link;
    int bindings;  // block bindings the automation schedule offers
};

constexpr int kModelCount = 6;
extern const DeviceModel kDeviceModels[kModelCount];

// Model index constants.
enum : int { MODEL_KTG210 = 0, MODEL_KTG210E, MODEL_KTG320, MODEL_KTG320E, MODEL_KTG330E, MODEL_KTG400M };

struct Settings {
    // [Hardware]
    int enable = 1;
    int model = 1;
    int portNo = 0;
    int mpeg = 0;
    int mpegInput1 = 7;
    int mpegInput2 = 6;
    int volumeSet = 0;
    int audioVolume = 70;
    int itv = 0;
    int itvPortNo = 1;
    int itvModel = 0;
    int baudRate = 6;
    int useCID = 0;
    int cidLength = 1;
    int cidType = 0;
    int useME = 0;
    std::string player;  // the MPEG player program ("" = zx-player beside ours)
    // [Start]
    int noAsk = 0;
    int program = 0;
    int toolbarSize = 0;
    int remote = 1;
    std::string remotePath;
    int useNetwork = 0;
    std::string networkPath;
    int useNetVideo = 0;
    std::string videoPath;
    int useRTC = 0;
    int airLog = 0;
    int inverseTGA = 0;
    int first = 0;
    int codePage = 1251;
    // [Debug]
    int log = 0;
    int timestamp = 1;
    int emulate = 0;

    const DeviceModel& deviceModel() const { return kDeviceModels[model]; }
    bool usesLpt() const { return deviceModel().link != LINK_ETHERNET; }
    bool isStatusClass2() const { return deviceModel().statusClass == 2; }
};

// One row of the settings table, for reading, writing and listing them all.
struct SettingInfo {
    const char* section;
    const char* key;
    bool isString;
    int Settings::*intField;
    std::string Settings::*strField;
    int intDefault;  // the default without the "/400M" switch
};
const std::vector<SettingInfo>& SettingsTable();
// The default of an integer setting in this edition.
int SettingDefault(const SettingInfo& info, bool is400M);

// Reads every setting and applies the second-edition overrides and the clamps.
Settings LoadSettings(const Profile& ini, bool is400M);
// Writes the [Hardware] keys, or the [Start] keys.
void SaveHardwareSettings(Profile& ini, const Settings& s);
void SaveStartSettings(Profile& ini, const Settings& s);
// Clamps the index-like settings into their tables.
void ClampSettings(Settings& s);

// Keys that other parts of the program read from the same file themselves, listed here so that
// the settings can be shown in one place (zx settings). Defaults as text.
struct OtherSettingInfo {
    const char* section;
    const char* key;
    const char* def;
    const char* meaning;
};
const std::vector<OtherSettingInfo>& OtherSettingsTable();

// Values shown by the lists of the settings dialogs.
extern const int kBaudRates[10];
extern const int kCallerIdLengths[3];

}  // namespace app
