#include "app/zentrix_app.h"

#include <sys/sysinfo.h>
#include <unistd.h>

#include <cstdlib>

#include "app/file_types.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "platform/files.h"

namespace app {

namespace {
CZentrixApp* g_instance = nullptr;
}

CommandLine CommandLine::Parse(int argc, const char* const* argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return Parse(args);
}

CommandLine CommandLine::Parse(const std::vector<std::string>& args) {
    CommandLine c;
    c.args = args;
    std::string whole;
    for (auto& a : args) whole += a + " ";
    // The second edition is asked for by "/400M" anywhere on the command line.
    c.is400M = whole.find("/400M") != std::string::npos;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--home" && i + 1 < args.size()) {
            c.home = args[++i];
        } else if (a.rfind("--home=", 0) == 0) {
            c.home = a.substr(7);
        } else if (a == "/400M" || (a.size() > 1 && a[0] == '-')) {
            continue;
        } else if (c.file.empty()) {
            c.file = a;
        }
    }
    return c;
}

int ProcessorType() {
    // Every processor this program builds for is at least of the Pentium's generation.
    return 586;
}

int PhysicalMemoryMb() {
    struct sysinfo si {};
    if (sysinfo(&si) != 0) return 0;
    uint64_t bytes = uint64_t(si.totalram) * si.mem_unit;
    return int((bytes >> 20) + ((bytes >> 20) & 1));
}

std::string InstalledDataFolderFor(const std::string& exeDir) {
    const std::string share = WithSlash(exeDir) + "../share/zentrix/";
    return platform::IsDirectory(share) ? share : std::string();
}

std::string InstalledDataFolder() { return InstalledDataFolderFor(platform::ExecutableDir()); }

std::string ProgramFolderFor(const std::string& exeDir) {
    const std::string exe = WithSlash(exeDir);
    if (InstalledDataFolderFor(exe).empty() && ::access(exe.c_str(), W_OK) == 0) return exe;
    // A relative XDG_DATA_HOME is invalid and so ignored, as the base-directory rules say.
    std::string base;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && x[0] == '/') {
        base = x;
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        base = std::string(home) + "/.local/share";
    } else {
        base = "/tmp";
    }
    const std::string folder = WithSlash(base) + "zentrix/";
    platform::MakeDirectories(folder);
    return folder;
}

std::string DefaultProgramFolder() { return ProgramFolderFor(platform::ExecutableDir()); }

namespace {

// The second start's side: the file as a full name (the first program has another working
// folder), or nothing, to the first program's hand-over window. Nothing is said when no program
// answers: the second start ends silently whatever happens.
void HandOverToFirst(const CommandLine& cmd, const std::string& dir) {
    std::string file = cmd.file;
    if (!file.empty() && file[0] != '/') {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd)) file = WithSlash(cwd) + file;
    }
    platform::CopyDataChannel::Options o;
    o.dir = dir;
    platform::CopyDataChannel channel(o);
    const uintptr_t first = channel.FindWindow(CZentrixApp::HandOverTitle(cmd.is400M));
    if (!first) return;
    const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
    channel.Send(first, CZentrixApp::kHandOverOpen, 0, std::span<const uint8_t>(bytes, file.size()));
}

}  // namespace

std::string CZentrixApp::HandOverTitle(bool is400M) { return std::string(MutexName(is400M)) + " open"; }

intptr_t CZentrixApp::OnHandOver(uint32_t msg, uintptr_t, intptr_t lParam) {
    if (msg != platform::MSG_COPYDATA || !lParam || !started_) return 0;
    const auto* cd = reinterpret_cast<const platform::CopyData*>(lParam);
    if (cd->dwData != kHandOverOpen || cd->cbData > 4096) return 0;
    const std::string file(reinterpret_cast<const char*>(cd->lpData), cd->cbData);
    if (file.find('\0') != std::string::npos) return 0;
    LogMessage("CZentrixApp::OnHandOver %s", file.c_str());
    shell_->activateMainFrame();
    if (file.empty()) return 1;
    const int type = FileTypeOf(file);
    if ((type != 5 && type != 6) || !platform::FileExists(file)) return 0;
    shell_->openDocument(type, file);
    return 1;
}

CZentrixApp::CZentrixApp() { g_instance = this; }

CZentrixApp::~CZentrixApp() {
    if (g_instance == this) g_instance = nullptr;
}

CZentrixApp* CZentrixApp::Instance() { return g_instance; }

std::string CZentrixApp::IniFileName(const std::string& programFolder, bool is400M) {
    return WithSlash(programFolder) + (is400M ? "ZENTRIX_400M.INI" : "ZENTRIX.INI");
}

const char* CZentrixApp::MutexName(bool is400M) { return is400M ? "Zentrix15_400M" : "Zentrix15"; }

void CZentrixApp::readSettings() { settings_ = LoadSettings(ini_, is400M_); }

void CZentrixApp::InitSettingsOnly(const CommandLine& cmd) {
    is400M_ = cmd.is400M;
    std::string program = cmd.home.empty() ? DefaultProgramFolder() : WithSlash(cmd.home);
    ini_.open(IniFileName(program, is400M_));
    ConfigureEventLog(ini_.path(), program);
    folders_.setProgramFolder(program);
    // Tools read the settings without consuming the first-start flag.
    readSettings();
    LoadFolders();
}

StartResult CZentrixApp::InitInstance(const CommandLine& cmd) {
    // 1-2: edition and single instance.
    is400M_ = cmd.is400M;
    if (!lock_.acquire(MutexName(is400M_), lockFolder_)) {
        HandOverToFirst(cmd, lockFolder_);
        return StartResult::SecondInstance;
    }

    // 3-4: processor and memory.
    if (ProcessorType() <= 585) {
        MessageBoxId(1001, MB_OK | MB_ICONERROR);
        return StartResult::ProcessorTooOld;
    }
    memoryMb_ = PhysicalMemoryMb();

    // 5: splash.
    shell_->showSplash();

    // 7: the INI file beside the program (or in the home folder given).
    std::string program = cmd.home.empty() ? DefaultProgramFolder() : WithSlash(cmd.home);
    ini_.open(IniFileName(program, is400M_));
    ConfigureEventLog(ini_.path(), program);

    // 8: the run marker; with the log on, the splash goes at once.
    LogMessage("SESSION START");
    LogMessage("Memory size: %d Mb", memoryMb_);
    if (EventLogEnabled()) shell_->closeSplash();

    // 9-10: program folder and settings.
    folders_.setProgramFolder(program);
    readSettings();
    firstStart_ = settings_.first != 0;
    ini_.putInt("Start", "First", 0);

    // 11: folders, translation, fonts.
    LoadFolders();
    if (hooks_.loadTranslation) hooks_.loadTranslation();
    if (hooks_.loadFontList) hooks_.loadFontList();

    // 12: shared documents and objects.
    if (hooks_.createSharedObjects) hooks_.createSharedObjects();

    // 13: the Device link and the other hardware.
    StartHardware();

    // 14: main frame.
    if (!shell_->createMainFrame()) {
        StopHardware();
        return StartResult::MainFrameFailed;
    }
    started_ = true;
    if (handOverTarget_) handOver_.Open(handOverTarget_, HandOverTitle(is400M_), lockFolder_);

    // 15: a file from the command line, the first-start dialog, or the start mode.
    if (!cmd.file.empty()) {
        int type = FileTypeOf(cmd.file);
        if (type == 5 || type == 6) shell_->openDocument(type, cmd.file);
    } else if (firstStart_ && !is400M_) {
        shell_->openHardwareDialog();
    } else if (settings_.noAsk == 1) {
        shell_->openMode(32974 + settings_.program);
    }
    return StartResult::Started;
}

void CZentrixApp::ExitInstance() {
    handOver_.Close();
    StopHardware();
    if (started_ || !ini_.path().empty()) SaveFolders();
    if (hooks_.destroySharedObjects) hooks_.destroySharedObjects();
    shell_->destroySplash();
    LogMessage("SESSION END");
    started_ = false;
    lock_.release();
}

void CZentrixApp::LoadFolders() { folders_.load(ini_, settings_); }

void CZentrixApp::SaveFolders() {
    if (!ini_.path().empty()) folders_.save(ini_);
}

void CZentrixApp::StartHardware() {
    hwState_ = 0;
    lastLinkError_ = 0;
    if (settings_.enable == 1) {
        const DeviceModel& m = deviceModel();
        int err = deviceLink_ ? deviceLink_->open(m.link, settings_.portNo, m.statusClass) : -1;
        if (err < 0) {
            LogMessage("CZentrixApp::StartHardware() : no Device link available");
        } else if (err != 0) {
            lastLinkError_ = err;
            shell_->closeSplash();
            MessageBoxId(4090 + err, MB_OK | MB_ICONERROR);
        } else {
            hwState_ |= HW_DEVICE;
        }
    }
    if (settings_.mpeg != 0) hwState_ |= HW_MPEG;
    if (settings_.itv == 1) {
        if (itvLink_) {
            InteractiveConfig c{settings_.itvPortNo, settings_.useCID, settings_.cidLength, settings_.itvModel,
                                settings_.cidType};
            itvLink_->configure(c);
        }
        hwState_ |= HW_ITV;
    }
    modeMask_ = MASK_EDITORS;
    if (hwState_ & HW_DEVICE) {
        modeMask_ = MASK_ONAIR;
        if ((hwState_ & HW_ITV) && settings_.itvModel == 2) modeMask_ = MASK_ONAIR_SMS;
    }
}

void CZentrixApp::StopHardware() {
    if ((hwState_ & HW_DEVICE) && deviceLink_) deviceLink_->close();
    if ((hwState_ & HW_ITV) && itvLink_) itvLink_->close();
    hwState_ = 0;
    modeMask_ = 0;
}

void CZentrixApp::ApplyHardwareSettings(const Settings& s) {
    Settings n = settings_;
    n.enable = s.enable;
    n.model = s.model;
    n.portNo = s.portNo;
    n.mpeg = s.mpeg;
    n.mpegInput1 = s.mpegInput1;
    n.mpegInput2 = s.mpegInput2;
    n.volumeSet = s.volumeSet;
    n.audioVolume = s.audioVolume;
    n.itv = s.itv;
    n.itvPortNo = s.itvPortNo;
    n.itvModel = s.itvModel;
    n.baudRate = s.baudRate;
    n.useCID = s.useCID;
    n.cidLength = s.cidLength;
    n.cidType = s.cidType;
    n.useME = s.useME;
    if (is400M_) {
        n.enable = 1;
        n.model = MODEL_KTG400M;
    }
    ClampSettings(n);
    settings_ = n;
    SaveHardwareSettings(ini_, settings_);
    StopHardware();
    StartHardware();
}

void CZentrixApp::ApplyStartSettings(const Settings& s) {
    SaveFolders();
    Settings n = settings_;
    n.noAsk = s.noAsk;
    n.program = s.program;
    n.toolbarSize = s.toolbarSize;
    n.remote = s.remote;
    n.remotePath = s.remotePath;
    n.useNetwork = s.useNetwork;
    n.networkPath = s.networkPath;
    n.useNetVideo = s.useNetVideo;
    n.videoPath = s.videoPath;
    n.useRTC = s.useRTC;
    n.airLog = s.airLog;
    n.inverseTGA = s.inverseTGA;
    n.codePage = s.codePage;
    ClampSettings(n);
    settings_ = n;
    SaveStartSettings(ini_, settings_);
    LoadFolders();
    if (hooks_.loadFontList) hooks_.loadFontList();
}

}  // namespace app
