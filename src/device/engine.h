// CEngine: the single owner of the conversation with the Device. The air controller hands it
// one command at a time; a worker thread runs the command's program of register writes and data
// blocks over the Device link, reads the Device's status after each step, waits for what each
// step asks for, retries damaged exchanges, serves the Device's own requests, keeps polling
// between commands, and reports to the air controller with posted MSG_ENGINE messages.
#pragma once

#include <cstdint>
#include <memory>
#include <thread>

#include "app/zentrix_app.h"
#include "device/command_set.h"
#include "device/engine_link.h"
#include "platform/clock.h"
#include "platform/message_target.h"

namespace device {

// Notification codes (first message parameter; the second carries the value).
enum EngineNote : int {
    NOTE_LINK_UP = 1,         // the first good status after the link came up; 0
    NOTE_LINK_ERROR = 2,      // a link error while no command was running; the error
    NOTE_STATE = 3,           // the Device state value changed; the new value
    NOTE_REQUEST = 4,         // the Device raised a request; its code
    NOTE_FINISHED = 18,       // the running command finished; 0
    NOTE_COMMAND_ERROR = 19,  // a link error abandoned the running command; the error
};

// Timing of the worker, in milliseconds.
constexpr uint32_t kStepDeadlineMs = 4000;     // a step that expects status bits or sends data
constexpr uint32_t kFinishDeadlineMs = 20000;  // a transition or scroll
constexpr uint32_t kReconnectMs = 1001;        // between connect attempts
constexpr uint32_t kIdlePollMs = 201;          // between status reads while idle
constexpr int kStopWaitMs = 10000;             // Done() waits this long for the worker

class CEngine final : public app::DeviceLink {
public:
    struct Options {
        platform::Clock* clock = nullptr;  // deadlines and intervals; nullptr = the system clock
        int stopWaitMs = kStopWaitMs;
        bool priorities = true;  // raise the process and worker priorities
    };

    CEngine();
    explicit CEngine(Options options);
    ~CEngine() override;
    CEngine(const CEngine&) = delete;
    CEngine& operator=(const CEngine&) = delete;

    // Opens the link: LPT with the port index, or Ethernet; 0 or a link error.
    int Open(int linkKind, int portIndex, int statusClass);
    // Opens with a link of the caller's (tests, tools).
    void OpenWith(std::shared_ptr<EngineLink> link, int statusClass);
    void Close();
    bool isOpen() const { return link_ != nullptr; }
    int statusClass() const { return statusClass_; }

    // Starts the worker with the receiver of its notifications, which must outlive Done().
    void Init(platform::MessageTarget* window);
    // Stops the worker; returns within the stop wait even when the worker is stuck in a call.
    void Done();
    bool running() const;

    // Posts one command; waits only while the worker has not yet taken the previous one.
    void PutCmd(CmdRecord record);

    // The command set. The data operations answer false, posting nothing, when the block is
    // smaller than what the command would send.
    void ResetDevice();
    bool FillRect(const Rect& rect, DataRef block, int flags);
    bool LoadRect(const Rect& rect, DataRef pixels, int flags);
    void InEffect(uint16_t effectFlags, uint32_t effectParams, const Rect& rect = {});
    bool Scroll(const Rect& rect, uint16_t scrollFlags, uint32_t length, DataRef data);
    void EndScroll();
    void Cut();
    void SetMode(uint16_t value);
    bool LoadRectData(const Rect& rect, DataRef pixels);
    void Reply(uint16_t code, uint16_t autoReply);
    void Pause();

    // app::DeviceLink: StartHardware and StopHardware open and close the link through these.
    int open(app::LinkKind link, int portNo, int statusClass) override { return Open(link, portNo, statusClass); }
    void close() override { Close(); }

    struct Session;
    class Worker;

private:
    bool postData(CmdRecord& rec, const char* operation);
    // A worker Done() gave up on that has not ended yet.
    bool staleWorker() const;

    Options options_;
    platform::Clock& clock_;
    std::shared_ptr<EngineLink> link_;
    int statusClass_ = 1;
    uint16_t sequence_ = 0;
    std::shared_ptr<Session> session_;
    std::shared_ptr<Session> stale_;
    std::thread thread_;
};

}  // namespace device
