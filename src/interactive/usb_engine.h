// CUSBEngine: the USB phone-lines adapter through its library (loaded once, kept until the
// process ends). Start sets the caller-ID options and starts the device, whose events arrive as
// the registered message posted to the window; Stop shuts it down. The port state machine
// (UsbPortTable) makes its calls through calls().
#pragma once

#include <cstdint>
#include <string>

#include "interactive/usb_ports.h"
#include "interactive/voiceboard_library.h"
#include "platform/message_target.h"

namespace interactive {

class CUSBEngine {
public:
    CUSBEngine() = default;
    CUSBEngine(const CUSBEngine&) = delete;
    CUSBEngine& operator=(const CUSBEngine&) = delete;

    static CUSBEngine& Instance();

    // The registered message the events come as ("{BC6D959E-...}").
    static uint32_t Message();

    // The [Hardware] VoiceBoardPath value ("" the adapter's library, "sim" the simulated one); a
    // library already loaded stays.
    void SetLibrarySetting(const std::string& setting) { setting_ = setting; }

    // True when the device runs. A library that cannot be loaded, or lacks a call, shows 18424; a
    // device that does not start shows 18425.
    bool Start(platform::MessageTarget* window, bool useCID, bool aoh, int cidLength);
    void Stop();
    bool running() const { return running_; }
    bool loaded() const { return loaded_; }
    const std::string& loadError() const { return loadError_; }

    UsbCalls& calls() { return calls_; }

private:
    class Calls final : public UsbCalls {
    public:
        explicit Calls(CUSBEngine& e) : e_(e) {}
        int GetNumber(int port, char (&number)[32]) override;
        int OffHook(int port) override { return e_.loaded_ ? e_.api_.OffHook(port) : 1; }
        int Pause(int port, int ms) override { return e_.loaded_ ? e_.api_.Pause(port, ms) : 1; }
        int PlayFile(int port, const std::string& path) override {
            return e_.loaded_ ? e_.api_.PlayFile(port, path.c_str(), 0, 0) : 1;
        }
        int Hangup(int port) override { return e_.loaded_ ? e_.api_.Hangup(port) : 1; }

    private:
        CUSBEngine& e_;
    };

    static unsigned RegisterFn(void* context, const char* name);
    static int PostFn(void* context, unsigned msg, uintptr_t wParam, intptr_t lParam);

    std::string setting_;
    VoiceBoardApi api_;
    bool loaded_ = false;
    bool running_ = false;
    std::string loadError_;
    VoiceBoardWindow window_{};
    Calls calls_{*this};
};

}  // namespace interactive
