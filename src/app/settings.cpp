#include "app/settings.h"

namespace app {

const DeviceModel kDeviceModels[kModelCount] = {
    {"KTG210", 1, LINK_LPT, 8},       {"KTG210E", 1, LINK_ETHERNET, 8},  {"KTG320", 0, LINK_LPT, 0},
    {"KTG320E", 0, LINK_ETHERNET, 0}, {"KTG330E", 1, LINK_ETHERNET, 10}, {"KTG400M", 2, LINK_ETHERNET, 0},
};

const int kBaudRates[10] = {300, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200};
const int kCallerIdLengths[3] = {5, 6, 7};

const std::vector<SettingInfo>& SettingsTable() {
    static const std::vector<SettingInfo> table = [] {
        std::vector<SettingInfo> t;
        auto i = [&](const char* sec, const char* key, int Settings::*f, int def) {
            t.push_back({sec, key, false, f, nullptr, def});
        };
        auto s = [&](const char* sec, const char* key, std::string Settings::*f) {
            t.push_back({sec, key, true, nullptr, f, 0});
        };
        i("Hardware", "Enable", &Settings::enable, 1);
        i("Hardware", "Model", &Settings::model, 1);
        i("Hardware", "PortNo", &Settings::portNo, 0);
        i("Hardware", "MPEG", &Settings::mpeg, 0);
        i("Hardware", "MPEG_Input1", &Settings::mpegInput1, 7);
        i("Hardware", "MPEG_Input2", &Settings::mpegInput2, 6);
        i("Hardware", "VolumeSet", &Settings::volumeSet, 0);
        i("Hardware", "AudioVolume", &Settings::audioVolume, 70);
        i("Hardware", "ITV", &Settings::itv, 0);
        i("Hardware", "ITVPortNo", &Settings::itvPortNo, 1);
        i("Hardware", "ITVModel", &Settings::itvModel, 0);
        i("Hardware", "BaudRate", &Settings::baudRate, 6);
        i("Hardware", "UseCID", &Settings::useCID, 0);
        i("Hardware", "CIDLength", &Settings::cidLength, 1);
        i("Hardware", "CIDType", &Settings::cidType, 0);
        i("Hardware", "UseME", &Settings::useME, 0);
        s("Hardware", "Player", &Settings::player);
        i("Start", "NoAsk", &Settings::noAsk, 0);
        i("Start", "Program", &Settings::program, 0);
        i("Start", "ToolbarSize", &Settings::toolbarSize, 0);
        i("Start", "Remote", &Settings::remote, 1);
        s("Start", "RemotePath", &Settings::remotePath);
        i("Start", "UseNetwork", &Settings::useNetwork, 0);
        s("Start", "NetworkPath", &Settings::networkPath);
        i("Start", "UseNetVideo", &Settings::useNetVideo, 0);
        s("Start", "VideoPath", &Settings::videoPath);
        i("Start", "UseRTC", &Settings::useRTC, 0);
        i("Start", "AirLog", &Settings::airLog, 0);
        i("Start", "InverseTGA", &Settings::inverseTGA, 0);
        i("Start", "First", &Settings::first, 0);
        i("Start", "CodePage", &Settings::codePage, 1251);
        i("Debug", "Log", &Settings::log, 0);
        i("Debug", "Timestamp", &Settings::timestamp, 1);
        i("Debug", "Emulate", &Settings::emulate, 0);
        return t;
    }();
    return table;
}

const std::vector<OtherSettingInfo>& OtherSettingsTable() {
    static const std::vector<OtherSettingInfo> table = {
        {"Hardware", "LptDriver", "ppdev", "parallel-port backend: ppdev (real port) or sim (virtual Device)"},
        {"Hardware", "LptSocket", "", "socket of the virtual Device for the sim backend"},
        {"Hardware", "VoiceBoardPath", "",
         "USB phone-lines adapter library: empty = libVoiceBoard.so, sim = the simulated one"},
        {"Ethernet", "Hosts", "", "Device addresses host:port;...; empty = the embedded virtual Device"},
        {"Ethernet", "LanaPos", "0", "the adapter (position in Hosts) that found the Device last"},
        {"Ethernet", "NoCheck", "0", "1 = skip the network check before the adapters are tried"},
        {"Serial", "COM1", "/dev/ttyS0",
         "device of serial port COM1 (COM2 ... COM8 likewise); sim = the modem simulator"},
        {"Serial", "COM2", "/dev/ttyS1", ""},
        {"Serial", "COM3", "/dev/ttyS2", ""},
        {"Serial", "COM4", "/dev/ttyS3", ""},
        {"Serial", "COM5", "/dev/ttyS4", ""},
        {"Serial", "COM6", "/dev/ttyS5", ""},
        {"Serial", "COM7", "/dev/ttyS6", ""},
        {"Serial", "COM8", "/dev/ttyS7", ""},
        {"Serial", "SimScript", "", "script of timed messages the modem simulator delivers (below the program folder)"},
        {"Serial", "PhoneSimRate", "0", "calls a minute the phone-lines adapter simulator rings on a sim port"},
        {"Output", "Sink1", "",
         "video output 1 (Sink2 ... Sink4 likewise): file, NAME%06d.png or udp://HOST:PORT; empty = none"},
        {"Output", "Sink1Format", "",
         "container (mov, mp4, matroska, mpegts, flv, image2) or keyfill; empty = by name"},
        {"Output", "Sink1Codec", "", "video encoder (qtrle, png, prores_ks, libx264, mpeg2video); empty = default"},
        {"Output", "Sink1Background", "black", "black, none (alpha kept), #RRGGBB or a PNG file"},
        {"Output", "Sink1Rate", "25", "frames a second: 25 or 50"},
        {"Output", "Sink1Audio", "none", "silence = a 48 kHz sound track of silence"},
        {"Output", "Sink1Enabled", "0", "1 = started with the program"},
        {"Layout", "Left", "22", "main window position and size, and 1 = maximized"},
        {"Layout", "Top", "22", ""},
        {"Layout", "Width", "600", ""},
        {"Layout", "Height", "400", ""},
        {"Layout", "Maximize", "1", ""},
    };
    return table;
}

int SettingDefault(const SettingInfo& info, bool is400M) {
    if (is400M && info.intField == &Settings::remote) return 0;
    return info.intDefault;
}

void ClampSettings(Settings& s) {
    // The model and board count follow the documented reading rules; the other indexes of
    // tables fall back to their defaults rather than reach outside the table.
    if (s.model > 5 || s.model < 0) s.model = 0;
    if (s.mpeg > 1) s.mpeg = 2;
    if (s.mpeg < 0) s.mpeg = 0;
    auto range = [](int& v, int lo, int hi, int def) {
        if (v < lo || v > hi) v = def;
    };
    range(s.portNo, 0, 2, 0);
    range(s.mpegInput1, 0, 15, 7);
    range(s.mpegInput2, 0, 15, 6);
    range(s.itvPortNo, 0, 7, 1);
    range(s.itvModel, 0, 3, 0);
    range(s.baudRate, 0, 9, 6);
    range(s.cidLength, 0, 2, 1);
    range(s.cidType, 0, 1, 0);
    range(s.program, 0, 6, 0);
    range(s.toolbarSize, 0, 2, 0);
    range(s.audioVolume, 0, 100, 70);
}

Settings LoadSettings(const Profile& ini, bool is400M) {
    Settings s;
    for (const SettingInfo& info : SettingsTable()) {
        if (info.isString) s.*info.strField = ini.getString(info.section, info.key, "");
        else s.*info.intField = ini.getInt(info.section, info.key, SettingDefault(info, is400M));
    }
    if (is400M) {
        s.enable = 1;
        s.model = MODEL_KTG400M;
    }
    ClampSettings(s);
    return s;
}

namespace {
void saveSection(Profile& ini, const Settings& s, const char* section) {
    Profile::Batch batch(ini);
    for (const SettingInfo& info : SettingsTable()) {
        if (std::string_view(info.section) != section) continue;
        if (info.intField == &Settings::first) continue;  // written once at start only
        if (info.isString) ini.putString(info.section, info.key, s.*info.strField);
        else ini.putInt(info.section, info.key, s.*info.intField);
    }
}
}  // namespace

void SaveHardwareSettings(Profile& ini, const Settings& s) { saveSection(ini, s, "Hardware"); }
void SaveStartSettings(Profile& ini, const Settings& s) { saveSection(ini, s, "Start"); }

}  // namespace app
