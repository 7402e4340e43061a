// The USB adapter's ports as the interactive view runs them: the port table and the per-port call
// state machine driven by the library's events (one event at a time, on the view's thread). The
// library's calls and the results of a call go through interfaces, so tests and the fuzz harness
// drive it with scripted answers.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "interactive/call_record.h"

namespace interactive {

// Port states.
enum : int {
    USB_NOT_READY = 0,
    USB_LISTENING = 1,
    USB_WAIT_NUMBER = 2,
    USB_OFF_HOOK = 3,
    USB_PAUSING = 4,
    USB_PLAYING = 5,
    USB_HANGING_UP = 6,
};

constexpr int kUsbPauseMs = 1000;
constexpr int kUsbLines = 8;
constexpr size_t kUsbNumberChars = 31;

// The library calls the state machine makes; each answers 0 on success.
class UsbCalls {
public:
    virtual ~UsbCalls() = default;
    // Fills number (zero-terminated, at most kUsbNumberChars characters).
    virtual int GetNumber(int port, char (&number)[32]) = 0;
    virtual int OffHook(int port) = 0;
    virtual int Pause(int port, int milliseconds) = 0;
    virtual int PlayFile(int port, const std::string& path) = 0;
    virtual int Hangup(int port) = 0;
};

class UsbSink {
public:
    virtual ~UsbSink() = default;
    virtual void OnCall(const CallRecord& record) = 0;
    virtual void OnStatus(const std::string& text) = 0;
};

struct UsbLineConfig {
    bool useCID = false;
    bool aoh = false;                               // "CIDType" = 0
    uint8_t assigned = 0;                           // bit n: line n is bound to an answer
    std::array<std::string, kUsbLines> soundFiles;  // "SoundFile1".."SoundFile8"; empty: no message
};

struct UsbPort {
    int port = 0;
    int state = USB_NOT_READY;
    char number[32] = {};
    bool voted = false;      // this call's vote is counted
    bool hangupDue = false;  // a hang-up failed: tried again at the port's next event
};

struct UsbCounts {
    int total = 0, listening = 0, ringing = 0, answering = 0;
};

class UsbPortTable {
public:
    UsbPortTable(UsbCalls& calls, UsbSink& sink) : calls_(calls), sink_(sink) {}

    // Empties the table and takes the lines' configuration; events are handled from now on.
    void Start(const UsbLineConfig& config);
    // Empties the table; later events are ignored.
    void Stop();
    bool running() const { return running_; }

    // One event of the library's message (wParam, lParam): true when the table changed.
    bool OnNotify(uintptr_t wParam, intptr_t lParam);

    // The line of a port, or -1 when it is outside 0-7.
    static int LineOf(int port);
    bool Assigned(int port) const;
    const std::vector<UsbPort>& ports() const { return ports_; }
    const UsbPort* Find(int port) const;
    UsbCounts Counts() const;
    std::string StatusText() const;

private:
    UsbPort* find(int port);
    void enter(UsbPort& p, int state);

    UsbCalls& calls_;
    UsbSink& sink_;
    UsbLineConfig config_;
    std::vector<UsbPort> ports_;
    bool running_ = false;
};

}  // namespace interactive
