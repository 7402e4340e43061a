// The USB adapter's library, loaded with dlopen once and kept until the process ends. Every one of
// the nine calls is looked up before any is used: a library lacking one is refused whole.
#pragma once

#include <string>

#include "voiceboardsim/voiceboard.h"

namespace interactive {

struct VoiceBoardApi {
    VoiceBoard_Initialize_t Initialize = nullptr;
    VoiceBoard_Shutdown_t Shutdown = nullptr;
    VoiceBoard_CfgSetOption_t CfgSetOptionBool = nullptr;
    VoiceBoard_CfgSetOption_t CfgSetOptionInt = nullptr;
    VoiceBoard_GetPortState_t GetPortState = nullptr;
    VoiceBoard_Port_t OffHook = nullptr;
    VoiceBoard_Pause_t Pause = nullptr;
    VoiceBoard_PlayFile_t PlayFile = nullptr;
    VoiceBoard_Port_t Hangup = nullptr;
};

// The file dlopen is given for a [Hardware] VoiceBoardPath value: "" the adapter's own library by
// the loader's search path, "sim" the simulated library built beside the programs, else the path.
std::string VoiceBoardLibraryFile(const std::string& setting);

// Loads the library and looks up the nine calls. On failure api is untouched, the library is
// closed again and error names the file, the loader's error or the missing calls.
bool LoadVoiceBoardLibrary(const std::string& file, VoiceBoardApi& api, std::string& error);

}  // namespace interactive
