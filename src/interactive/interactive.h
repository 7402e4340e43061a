// CInteractive: the serial phone-lines adapter of either version on a worker thread of its own.
// The view gives it one command at a time (start answering calls on lines, write or read a voice
// message, quit); the rules are InteractiveCore's, this class gives it the thread, the command
// slot and the notifications.
//
// The owner gets MSG_INTERACTIVE: 1 (lParam: the command's result) and 3 (polling stopped after
// three failed polls; the result) posted; 2 posted with a copy of the CallRecord as a block
// (MessageTarget::postBlock); 4 posted with the bytes moved so far. The thread never waits for
// the owner: a transfer is aborted through AbortTransfer (result 4), checked between pieces.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "app/zentrix_app.h"
#include "interactive/adapter_port.h"
#include "interactive/interactive_core.h"
#include "platform/clock.h"
#include "platform/event.h"
#include "platform/message_target.h"

namespace interactive {

// Notification codes (wParam of MSG_INTERACTIVE).
enum : uintptr_t { ITV_NOTE_DONE = 1, ITV_NOTE_CALL = 2, ITV_NOTE_POLL_STOPPED = 3, ITV_NOTE_PROGRESS = 4 };

constexpr int kItvCloseWaitMs = 2000;

struct InteractiveOptions {
    platform::Clock* clock = nullptr;  // nullptr: the system clock (scaled by timeScale)
    // The port for the configured index and version; default: a SerialAdapterPort on the device
    // of [Serial] COMn (the embedded stand-in for "sim"). nullptr or a port that cannot open: 1.
    std::function<std::unique_ptr<AdapterPort>(int portIndex, int version, int& result)> makePort;
    double timeScale = 1.0;  // every time of the engine that many times shorter
};

class CInteractive final : public app::InteractiveLink {
public:
    CInteractive();
    explicit CInteractive(InteractiveOptions options);
    ~CInteractive() override;
    CInteractive(const CInteractive&) = delete;
    CInteractive& operator=(const CInteractive&) = delete;

    // The process's engine.
    static CInteractive& Instance();

    // app::InteractiveLink: StartHardware configures, StopHardware closes.
    void configure(const app::InteractiveConfig& config) override;
    void close() override { Close(); }

    void Configure(int portNo, bool useCID, int cidLength, int version, int cidType);
    // Opens the port and starts the thread: 0, or 1 when the port cannot be opened.
    int Open(platform::MessageTarget* owner);
    // Quits (a transfer in progress is aborted), waits for the thread, closes the port.
    void Close();
    bool IsOpen() const { return thread_.joinable(); }

    // Queues a command; false (and a log line) when another is pending or running.
    bool NewCommand(ItvCommand command);
    bool StartLines(uint8_t lines, uint16_t value) { return NewCommand({0, ITV_CMD_START, 0, lines, value, nullptr}); }
    // The message must stay valid until notification 1.
    bool WriteVoiceMessage(uint8_t lines, uint16_t length, uint8_t* data) {
        return NewCommand({0, ITV_CMD_WRITE, 0, lines, length, data});
    }
    // buffer: kVoiceBufferSize bytes, valid until notification 1.
    bool ReadVoiceMessage(uint8_t mask, uint8_t* buffer) { return NewCommand({0, ITV_CMD_READ, 0, mask, 0, buffer}); }
    // Aborts the voice transfer in progress (it ends with result 4).
    void AbortTransfer() { abort_ = true; }

    const CoreConfig& config() const { return config_; }

private:
    class Sink;
    void run();

    InteractiveOptions options_;
    std::unique_ptr<platform::Clock> ownClock_;
    CoreConfig config_;
    int portNo_ = 1;
    platform::MessageTarget* owner_ = nullptr;
    std::unique_ptr<AdapterPort> port_;
    std::thread thread_;
    platform::Event pending_{true, false};
    std::mutex slotMutex_;
    ItvCommand slot_;
    bool busy_ = false;  // a command is pending or running
    uint16_t sequence_ = 0;
    std::atomic<bool> quit_{false};
    std::atomic<bool> abort_{false};
    std::shared_ptr<std::atomic<bool>> closed_;
};

}  // namespace interactive
