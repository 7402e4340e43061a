// CSMSEngine: the GSM modem on a serial port, driven with AT commands in PDU mode. It collects
// every short message that arrives in the modem's storage, decodes it, deletes it from the modem
// and hands the record to its owner, and reports the modem's name, battery and signal. The rules
// live in EngineCore; this class gives it its two threads: the engine thread, which runs a pass
// whenever data arrives, Close is called or the pass's time-out ends, and the reader thread,
// which moves received bytes from the port into the receive buffer.
//
// The owner gets WM_SMSENGINE_NOTIFY with code 1 (lParam: a copy of the SMSStatus) or 2 (a copy
// of the SMSRecord), posted with MessageTarget::postBlock: the engine never waits for the owner,
// and the copy is valid while the handler runs. Notifications still queued when the engine closes
// are dropped.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "platform/message_target.h"
#include "sms/modem_port.h"
#include "sms/sms_types.h"

namespace app {
class CZentrixApp;
}

namespace sms {

constexpr int kCloseWaitMs = 2000;

struct EngineOptions {
    platform::Clock* clock = nullptr;  // nullptr = the system clock
    // The port of an index. Default: the serial device that [Serial] COMn of the application's
    // settings names, or the embedded modem simulator for "sim".
    std::function<std::unique_ptr<ModemPort>(int portIndex)> makePort;
    int codePage = 0;  // texts' code page; 0 = [Start] CodePage of the application (else 1251)
    int closeWaitMs = kCloseWaitMs;
    // Runs the engine's times this many times faster (tests against the simulator): without a
    // clock of its own the engine's ticks run that fast, and its waits are that much shorter.
    double timeScale = 1.0;
};

class CSMSEngine {
public:
    CSMSEngine();
    explicit CSMSEngine(EngineOptions options);
    ~CSMSEngine();
    CSMSEngine(const CSMSEngine&) = delete;
    CSMSEngine& operator=(const CSMSEngine&) = delete;

    // The process's engine, shared by the chat view and the interactive view.
    static CSMSEngine& Instance();

    // Starts the engine: the port is opened (and reopened after failures) by the engine thread.
    // owner may be nullptr (nothing is reported); it must outlive Close. A second Open while
    // open only logs.
    void Open(platform::MessageTarget* owner, int portIndex, uint32_t baudRate, bool listPeriodically,
              bool deleteAfterReading, bool preferPhoneMemory);
    // Stops both threads and closes the port. Every blocking call is released, so this returns
    // promptly; true when both threads ended within the wait (they are never killed: a thread
    // that has not ended is left to end by itself, touching nothing of the owner's).
    bool Close();
    bool IsOpen() const { return session_ != nullptr; }

    struct Session;

private:
    EngineOptions options_;
    std::shared_ptr<Session> session_;
    std::thread engineThread_, readerThread_;
};

// The port index's default port: the serial device of [Serial] COMn in the application's settings
// (defaults without an application), the embedded simulator for "sim".
std::unique_ptr<ModemPort> MakeConfiguredPort(int portIndex);
// The same from the settings of an application of the caller's.
std::unique_ptr<ModemPort> MakeConfiguredPort(app::CZentrixApp& theApp, int portIndex);

}  // namespace sms
