// Inside the command engine: what CEngine and one run of its worker thread share, and the
// worker itself, which runs the loop of passes (take a command, connect, build, send and confirm
// steps, read the status, report). Only engine.cpp and engine_worker.cpp include this.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

#include "device/engine.h"
#include "platform/event.h"

namespace device {

// Process priority classes and thread priorities map onto nice values: the high class is
// nice -10, a time-critical thread nice -20, and normal is nice 0.
constexpr int kNiceNormal = 0;
constexpr int kNiceHigh = -10;
constexpr int kNiceTimeCritical = -20;

// The whole process: every thread it has now (threads made later inherit their maker's value).
bool SetProcessNice(int nice);

// What CEngine and one run of its worker share: the mailbox and its critical section, the
// command-posted event (also the mailbox-full flag), the stopped event and the receiver.
struct CEngine::Session {
    std::mutex cs;
    platform::Event posted{true, false};
    platform::Event stopped{true, false};
    CmdRecord mailbox;

    std::mutex postMutex;
    platform::MessageTarget* target = nullptr;
    bool abandoned = false;  // Done() gave up waiting: the worker must no longer post or hang up
    int processNice = kNiceNormal;
    std::atomic<bool> alive{true};

    bool isAbandoned() {
        std::lock_guard l(postMutex);
        return abandoned;
    }
};

class CEngine::Worker {
public:
    Worker(std::shared_ptr<Session> session, std::shared_ptr<EngineLink> link, int statusClass, platform::Clock& clock,
           bool priorities)
        : sh_(std::move(session)),
          link_(std::move(link)),
          class_(statusClass),
          clock_(clock),
          priorities_(priorities),
          statusLength_(StatusLength(statusClass)),
          emulating_(link_->emulating()) {}

    void run();

private:
    enum class Origin { Main, Pause, Reply };

    bool takeCommand();
    void connect();
    void nextStep();
    void sendStep();
    void readStatus();
    void evaluate(const Status& st);
    void advance();
    bool runPause();
    void resend();
    void dropLink();
    void notify();
    void setThreadPriority(bool timeCritical);

    std::shared_ptr<Session> sh_;
    std::shared_ptr<EngineLink> link_;
    const int class_;
    platform::Clock& clock_;
    const bool priorities_;
    const size_t statusLength_;
    const bool emulating_;
    CommandSet set_;

    // This pass.
    uint32_t now_ = 0;
    int note_ = 0, noteValue_ = 0;
    int passError_ = 0;
    bool reportRequest_ = false, stateChange_ = false;
    uint8_t request_ = 0;
    int state_ = 0;

    // The loop.
    int waitMs_ = 0;
    bool connected_ = false, linkUp_ = false;
    bool statusDue_ = false, stepReady_ = false;
    std::optional<uint32_t> lastAttempt_, lastStatus_;
    bool priorityRefused_ = false;

    // The running command and its number, which its finish or error carries.
    bool running_ = false;
    uint16_t runningSeq_ = 0;
    int step_ = 0;
    bool stepSent_ = false;  // the current step has gone out and waits for its status
    int batchStart_ = 0;     // first step of the run of writes the link holds back
    Step ready_;
    Origin readyOrigin_ = Origin::Main;
    Step lastSent_;
    Origin lastOrigin_ = Origin::Main;
    uint8_t expectS0_ = 0;
    bool waitFinish_ = false;
    std::optional<uint32_t> earliest_, deadline_, savedDeadline_;

    // Replies, requests, state, errors.
    bool replyPending_ = false;
    uint16_t pendingReply_ = 0;
    int replyCount_ = 0;
    uint16_t autoReply_ = 4;
    int lastRequest_ = 0;
    int loggedRequest_ = 0;
    int lastReported_ = -1;  // -1: nothing reported (or forgotten)
    int lastError_ = 0;
    int hamming_ = 0, cmdErrors_ = 0, dataErrors_ = 0;
    bool lastWasData_ = false;

    // Pause.
    bool pauseActive_ = false, paused_ = false;
    int pauseStep_ = 0;
};

}  // namespace device
