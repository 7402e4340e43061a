#include "interactive/usb_engine.h"

#include <cstring>

#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "platform/registered_message.h"

namespace interactive {

CUSBEngine& CUSBEngine::Instance() {
    static CUSBEngine engine;
    return engine;
}

uint32_t CUSBEngine::Message() {
    static const uint32_t message = platform::RegisterMessage(VOICEBOARD_MESSAGE_NAME);
    return message;
}

unsigned CUSBEngine::RegisterFn(void*, const char* name) { return name ? platform::RegisterMessage(name) : 0; }

int CUSBEngine::PostFn(void* context, unsigned msg, uintptr_t wParam, intptr_t lParam) {
    auto* target = static_cast<platform::MessageTarget*>(context);
    if (!target) return 0;
    target->post(msg, wParam, lParam);
    return 1;
}

int CUSBEngine::Calls::GetNumber(int port, char (&number)[32]) {
    std::memset(number, 0, sizeof number);
    if (!e_.loaded_) return 1;
    // Room past the documented record, so that a library writing its full record stays inside.
    unsigned char state[VOICEBOARD_PORT_STATE_SIZE + 64] = {};
    int r = e_.api_.GetPortState(port, state);
    if (r != 0) return r;
    const unsigned char* at = state + VOICEBOARD_NUMBER_OFFSET;
    size_t room = VOICEBOARD_PORT_STATE_SIZE - VOICEBOARD_NUMBER_OFFSET;
    size_t n = 0;
    while (n < room && n < kUsbNumberChars && at[n]) ++n;
    std::memcpy(number, at, n);
    return 0;
}

bool CUSBEngine::Start(platform::MessageTarget* window, bool useCID, bool aoh, int cidLength) {
    LogMessage("CUSBEngine::Start()");
    Message();
    if (running_) Stop();  // a second start restarts the device instead of failing as "in use"
    if (!loaded_) {
        std::string file = VoiceBoardLibraryFile(setting_);
        if (!LoadVoiceBoardLibrary(file, api_, loadError_)) {
            LogMessage("CUSBEngine: %s", loadError_.c_str());
            app::MessageBoxId(18424, app::MB_OK | app::MB_ICONERROR);
            return false;
        }
        loaded_ = true;
        loadError_.clear();
    }
    bool serialCid = useCID && !aoh, aohCid = useCID && aoh;
    api_.CfgSetOptionBool("cid_dtmf", 0, serialCid);
    api_.CfgSetOptionBool("cid_fsk", 0, serialCid);
    api_.CfgSetOptionBool("cid_aon", 0, aohCid);
    api_.CfgSetOptionBool("cid_aon_active", 0, aohCid);
    if (aohCid) api_.CfgSetOptionInt("cid_aon_digits", 0, cidLength);
    window_ = {VOICEBOARD_WINDOW_VERSION, window, &RegisterFn, &PostFn};
    if (api_.Initialize(&window_) != 0) {
        app::MessageBoxId(18425, app::MB_OK | app::MB_ICONERROR);
        return false;
    }
    running_ = true;
    return true;
}

void CUSBEngine::Stop() {
    LogMessage("CUSBEngine::Stop()");
    if (loaded_ && running_) api_.Shutdown();
    running_ = false;
}

}  // namespace interactive
