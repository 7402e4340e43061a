// The application object: owner of the settings, the folder and file-type tables, the hardware
// state and the mode mask; it starts and ends the program in its fixed order. The window-system
// steps (splash, main frame, dialogs) and the subsystems above this library (fonts, translation,
// shared documents, the Device link) are reached through interfaces that the program fills in.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/folders.h"
#include "app/profile.h"
#include "app/settings.h"
#include "platform/copydata_channel.h"
#include "platform/instance_lock.h"

namespace app {

class CModeManager;

// Hardware state bits.
enum : uint16_t { HW_DEVICE = 0x0001, HW_MPEG = 0x0004, HW_ITV = 0x0008 };

// Mode mask values.
enum : uint16_t { MASK_EDITORS = 0x0003, MASK_ONAIR = 0x803F, MASK_ONAIR_SMS = 0x807F };

// The Device link as the application opens and closes it (the command engine implements it).
class DeviceLink {
public:
    virtual ~DeviceLink() = default;
    // Opens the link; 0 on success, otherwise a link error number (1-17).
    virtual int open(LinkKind link, int portNo, int statusClass) = 0;
    virtual void close() = 0;
};

// The interactive hardware's configuration, handed over at start and stored until its view opens.
struct InteractiveConfig {
    int portNo = 1;
    int useCID = 0;
    int cidLength = 1;
    int model = 0;
    int cidType = 0;
};
class InteractiveLink {
public:
    virtual ~InteractiveLink() = default;
    virtual void configure(const InteractiveConfig& config) = 0;
    virtual void close() = 0;
};

// Window-system steps of start-up and exit, filled in by the GUI; the defaults do nothing.
class AppShell {
public:
    virtual ~AppShell() = default;
    virtual void showSplash() {}
    virtual void closeSplash() {}
    // Creates and shows the main frame; false ends start-up.
    virtual bool createMainFrame() { return true; }
    // Opens a page (type 5) or sequence (type 6) named on the command line in its editor.
    virtual void openDocument(int /*fileType*/, const std::string& /*path*/) {}
    virtual void openHardwareDialog() {}
    virtual void openMode(int /*command*/) {}
    virtual void destroySplash() {}
    // Brings the main frame to the front (another start of the program was handed over to it).
    virtual void activateMainFrame() {}
};

// Steps of start-up and exit that belong to the subsystems above this library.
struct StartupHooks {
    std::function<void()> loadTranslation;
    std::function<void()> loadFontList;
    std::function<void()> createSharedObjects;
    std::function<void()> destroySharedObjects;
};

struct CommandLine {
    std::vector<std::string> args;  // without the program name
    // Parsed:
    bool is400M = false;
    std::string home;  // --home DIR
    std::string file;  // the first argument that is not an option
    static CommandLine Parse(int argc, const char* const* argv);
    static CommandLine Parse(const std::vector<std::string>& args);
};

// The program folder when the command line gives no --home: the executable's folder when the
// program runs from a folder of its own (a build tree, a copied folder) that it may write, else
// "$XDG_DATA_HOME/zentrix/" (by default "~/.local/share/zentrix/"), made when missing. An installed
// program (one with the install's "share/zentrix" folder beside its "bin") always takes the latter,
// even when run by a user who could write the system's folders.
std::string DefaultProgramFolder();
// The same for a program in exeDir (ends in '/'), from the environment as it is now.
std::string ProgramFolderFor(const std::string& exeDir);

// The install's read-only data folder ("<prefix>/share/zentrix/", with the translation files and
// the control panel's pages), or "" when the program does not run from an install.
std::string InstalledDataFolder();
std::string InstalledDataFolderFor(const std::string& exeDir);

// How start-up ended.
enum class StartResult { Started, SecondInstance, ProcessorTooOld, MainFrameFailed };

class CZentrixApp {
public:
    CZentrixApp();
    ~CZentrixApp();
    CZentrixApp(const CZentrixApp&) = delete;
    CZentrixApp& operator=(const CZentrixApp&) = delete;

    // The one application object while it exists (nullptr otherwise).
    static CZentrixApp* Instance();

    void setShell(AppShell* shell) { shell_ = shell; }
    void setHooks(StartupHooks hooks) { hooks_ = std::move(hooks); }
    void setDeviceLink(DeviceLink* link) { deviceLink_ = link; }
    void setInteractiveLink(InteractiveLink* link) { itvLink_ = link; }
    // Where the single-instance lock lives (tests use their own folder).
    void setLockFolder(std::string folder) { lockFolder_ = std::move(folder); }

    // Start-up in the documented order; on anything but Started the caller ends the program
    // (a second instance silently, with exit status 0).
    StartResult InitInstance(const CommandLine& cmd);

    // A second start of the same edition hands its command line's file to the running program
    // before it ends (a double click on a page in a file manager while the program runs), and
    // the running one opens it in its editor and comes to the front. The running program listens
    // once its main frame exists, on the window of HandOverTitle, with requests delivered
    // through target (the user-interface thread's), which hands them to OnHandOver.
    void setHandOverTarget(platform::MessageTarget* target) { handOverTarget_ = target; }
    intptr_t OnHandOver(uint32_t msg, uintptr_t wParam, intptr_t lParam);
    static std::string HandOverTitle(bool is400M);
    static constexpr uint32_t kHandOverOpen = 1;  // dwData: the data is a file name, or empty
    // Exit in reverse order.
    void ExitInstance();

    // Only the settings part of start-up: INI name, log location, settings and folders. Used by
    // tools (zx) that work on a data root without opening windows or the Device.
    void InitSettingsOnly(const CommandLine& cmd);

    bool is400M() const { return is400M_; }
    Profile& profile() { return ini_; }
    const std::string& iniPath() const { return ini_.path(); }
    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }
    FolderTable& folders() { return folders_; }
    const FolderTable& folders() const { return folders_; }
    const DeviceModel& deviceModel() const { return settings_.deviceModel(); }
    int memoryMb() const { return memoryMb_; }
    bool wasFirstStart() const { return firstStart_; }

    // Folder-table helpers of the application object.
    std::string GetPath(int index, std::string_view s1 = {}, std::string_view s2 = {}) const {
        return folders_.GetPath(index, s1, s2);
    }
    void SetLastPath(int index, std::string_view file) { folders_.SetLastPath(index, file); }
    int MakeRelative(int index, std::string_view path, std::string& out) const {
        return folders_.MakeRelative(index, path, out);
    }
    std::string MakeAbsolute(int index, std::string_view name, bool isAbsolute) const {
        return folders_.MakeAbsolute(index, name, isAbsolute);
    }
    void LoadFolders();
    void SaveFolders();

    // Hardware.
    void StartHardware();
    void StopHardware();
    uint16_t hardwareState() const { return hwState_; }
    uint16_t modeMask() const { return modeMask_; }
    int lastLinkError() const { return lastLinkError_; }

    // The working modes, owned by the main frame while it exists (nullptr otherwise); the views
    // reach the mode operations (preview, switch to Live, close) through it.
    void setModeManager(CModeManager* modes) { modes_ = modes; }
    CModeManager* modes() const { return modes_; }

    // The settings dialogs write back through these (and cycle the hardware / reload folders).
    void ApplyHardwareSettings(const Settings& s);
    void ApplyStartSettings(const Settings& s);

    // The INI file name for a program folder and edition.
    static std::string IniFileName(const std::string& programFolder, bool is400M);
    static const char* MutexName(bool is400M);

private:
    void readSettings();

    AppShell defaultShell_;
    AppShell* shell_ = &defaultShell_;
    StartupHooks hooks_;
    DeviceLink* deviceLink_ = nullptr;
    InteractiveLink* itvLink_ = nullptr;
    CModeManager* modes_ = nullptr;
    std::string lockFolder_;
    platform::InstanceLock lock_;
    platform::MessageTarget* handOverTarget_ = nullptr;
    platform::CopyDataWindow handOver_;

    bool is400M_ = false;
    bool started_ = false;
    bool firstStart_ = false;
    int memoryMb_ = 0;
    Profile ini_;
    Settings settings_;
    FolderTable folders_;
    uint16_t hwState_ = 0;
    uint16_t modeMask_ = 0;
    int lastLinkError_ = 0;
};

// The processor type as the start-up check sees it (586 and above pass).
int ProcessorType();
// The physical memory in megabytes, rounded as the start-up log reports it.
int PhysicalMemoryMb();

}  // namespace app
