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
#include "device/engine_notes.h"
#include "platform/clock.h"
#include "platform/message_target.h"

namespace device {

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
    // Answers the number it gave the command, or 0 when the command was dropped (no worker, or
    // the worker went while we waited).
    uint16_t PutCmd(CmdRecord record);

    // The command set: each answers the command's number, or 0 when nothing was posted: the
    // engine is not running, or (the data operations) the block is smaller than what the
    // command would send.
    uint16_t ResetDevice();
    uint16_t FillRect(const Rect& rect, DataRef block, int flags);
    uint16_t LoadRect(const Rect& rect, DataRef pixels, int flags);
    uint16_t InEffect(uint16_t effectFlags, uint32_t effectParams, const Rect& rect = {});
    uint16_t Scroll(const Rect& rect, uint16_t scrollFlags, uint32_t length, DataRef data);
    uint16_t EndScroll();
    uint16_t Cut();
    uint16_t SetMode(uint16_t value);
    uint16_t LoadRectData(const Rect& rect, DataRef pixels);
    uint16_t Reply(uint16_t code, uint16_t autoReply);
    uint16_t Pause();

    // app::DeviceLink: StartHardware and StopHardware open and close the link through these.
    int open(app::LinkKind link, int portNo, int statusClass) override { return Open(link, portNo, statusClass); }
    void close() override { Close(); }

    struct Session;
    class Worker;

private:
    uint16_t postData(CmdRecord& rec, const char* operation);
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
