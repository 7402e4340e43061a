#include "interactive/voiceboard_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

namespace interactive {

namespace {

std::string ProgramDir() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    buf[n] = 0;
    return std::filesystem::path(buf).parent_path().string();
}

}  // namespace

std::string VoiceBoardLibraryFile(const std::string& setting) {
    if (setting.empty()) return "libVoiceBoard.so";
    if (setting != "sim") return setting;
    std::error_code ec;
    std::string beside = ProgramDir() + "/libvoiceboardsim.so";
    if (std::filesystem::exists(beside, ec)) return beside;
#ifdef ZX_PRIVATE_LIBDIR
    // An installed program keeps it in its private library folder, relative to its "bin".
    std::string installed = ProgramDir() + "/" ZX_PRIVATE_LIBDIR "/libvoiceboardsim.so";
    if (std::filesystem::exists(installed, ec)) return installed;
#endif
#ifdef ZX_VOICEBOARDSIM_PATH
    return ZX_VOICEBOARDSIM_PATH;  // the build tree's copy
#else
    return beside;
#endif
}

bool LoadVoiceBoardLibrary(const std::string& file, VoiceBoardApi& api, std::string& error) {
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* e = ::dlerror();
        error = file + ": " + (e ? e : "cannot be loaded");
        return false;
    }
    VoiceBoardApi found;
    std::string missing;
    auto look = [&](auto& slot, const char* name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(::dlsym(handle, name));
        if (!slot) missing += std::string(missing.empty() ? "" : ", ") + name;
    };
    look(found.Initialize, "VoiceBoard_Initialize");
    look(found.Shutdown, "VoiceBoard_Shutdown");
    look(found.CfgSetOptionBool, "VoiceBoard_CfgSetOptionBool");
    look(found.CfgSetOptionInt, "VoiceBoard_CfgSetOptionInt");
    look(found.GetPortState, "VoiceBoard_GetPortState");
    look(found.OffHook, "VoiceBoard_OffHook");
    look(found.Pause, "VoiceBoard_Pause");
    look(found.PlayFile, "VoiceBoard_PlayFile");
    look(found.Hangup, "VoiceBoard_Hangup");
    if (!missing.empty()) {
        error = file + ": missing " + missing;
        ::dlclose(handle);
        return false;
    }
    api = found;  // the handle stays open until the process ends
    return true;
}

}  // namespace interactive
