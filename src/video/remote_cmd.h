// CRemoteCmd: the channel to the video switcher's remote-control program. It presses buttons by
// name, asks whether a button is lit, runs macro files in the remote program, starts the program,
// and takes the switcher over for a video playlist (Seize) and hands it back (Restore).
//
// One object of the application; only the thread that owns the air frame calls it. A failure is
// shown to the operator once (the error latch) and logged every time. The waits of Seize go
// through an injectable sleep and clock, so that tests run in simulated time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "air/air_content.h"
#include "platform/clock.h"
#include "platform/copydata_channel.h"
#include "platform/process.h"
#include "video/remote_buttons.h"

namespace video {

// Message ids.
enum : int {
    IDS_REMOTE_NOT_FOUND = 18002,
    IDS_REMOTE_SEIZE_BASE = 18004,  // + the result of a failed Seize
    IDS_REMOTE_NO_CONNECTION = 18005,
    IDS_REMOTE_NOT_RUNNING = 18006,
    IDS_REMOTE_BAD_SCRIPT = 18008,
    IDS_REMOTE_NO_FAST = 18009,
};

// Results of Seize.
enum : int { SEIZE_OK = 0, SEIZE_NO_BREAK = 1, SEIZE_NO_FAST = 5 };

// Restore's input: the one active at Seize (-1), or whatever the switcher shows on preview (-2).
enum : int { RESTORE_SEIZED_INPUT = -1, RESTORE_ANY_INPUT = -2 };

// The waits of Seize (ms).
enum : uint32_t { SEIZE_BREAK_WAIT = 200, SEIZE_FAST_POLL = 100, SEIZE_FAST_LIMIT = 2000 };

class CRemoteCmd final : public air::AirRemote {
public:
    using SleepFn = std::function<void(uint32_t ms)>;
    struct Options {
        const platform::Clock* clock = nullptr;  // nullptr: the system's
        SleepFn sleep;                           // empty: a real sleep
        platform::CopyDataChannel::Options channel;
        std::string programFolder;  // where the stand-in is when no remote folder holds it ("" = ours)
    };

    CRemoteCmd();
    explicit CRemoteCmd(Options options);
    ~CRemoteCmd() override;
    CRemoteCmd(const CRemoteCmd&) = delete;
    CRemoteCmd& operator=(const CRemoteCmd&) = delete;

    // A button action (REMOTE_PUSH ...). Non-zero on success; a query answers 1 when the button
    // is lit and 0 when not (or on failure).
    int SendCmd(int action, const std::string& button) override { return SendCmd(action, button, sender_); }
    int SendCmd(int action, const std::string& button, uintptr_t wParam);
    // Runs a macro file in the remote program: the number of its commands, 0 on failure.
    int RunScript(const std::string& path) override { return RunScript(path, sender_); }
    int RunScript(const std::string& path, uintptr_t wParam);

    // Starts the remote program from folder (the RemotePath setting, or the data root), which
    // is also its working folder; when that folder does not hold it, from programFolder. True at
    // once when it runs already. Shows 18002 itself when it cannot be started.
    bool Launch(const std::string& folder);
    // Waits (through the sleep) until the remote window answers; false after ms.
    bool WaitForWindow(uint32_t ms);

    int Seize(bool logoOff) override;
    void Restore(bool cutFirst, int input) override;
    void RearmError() override { errorShown_ = false; }
    // The input buttons, in table order.
    std::vector<std::string> SourceNames() const override;

    // The window handle sent with each message as the sender (0 = none).
    void setSenderWindow(uintptr_t window) { sender_ = window; }

    // ---- State, for the tests and the command line
    uintptr_t remoteWindow() const { return remote_; }
    bool errorLatched() const { return errorShown_; }
    int activeInput() const { return activeInput_; }
    int activeEffect() const { return activeEffect_; }
    bool logoWasOn() const { return logoWasOn_; }
    bool fastWasOn() const { return fastWasOn_; }
    bool cutWasOn() const { return cutWasOn_; }
    bool restorePending() const { return restorePending_; }
    // The remote program's own answer to the last message (0 when it failed or was not sent).
    intptr_t lastReply() const { return lastReply_; }
    // The program Launch started last.
    platform::Process& process() { return process_; }
    platform::CopyDataChannel& channel() { return channel_; }

private:
    bool findRemote();
    void showOnce(int stringId, unsigned style);
    void logFailure(const char* operation, const std::string& what);
    bool push(const std::string& button) { return SendCmd(REMOTE_PUSH, button) != 0; }
    bool lit(const std::string& button) { return SendCmd(REMOTE_QUERY, button) != 0; }
    void sleep(uint32_t ms);

    const platform::Clock& clock_;
    SleepFn sleep_;
    std::string programFolder_;
    platform::CopyDataChannel channel_;
    platform::Process process_;
    uintptr_t remote_ = 0;
    uintptr_t sender_ = 0;
    bool errorShown_ = false;
    int activeInput_ = -1;
    int activeEffect_ = -1;
    bool logoWasOn_ = false;
    bool fastWasOn_ = false;
    bool cutWasOn_ = false;
    bool restorePending_ = false;
    intptr_t lastReply_ = 0;
};

}  // namespace video
