#include "device/engine_worker.h"

#include <dirent.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/log/event_log.h"

namespace device {

namespace {

int ThreadId() { return int(syscall(SYS_gettid)); }

bool SetThreadNice(int tid, int nice) { return setpriority(PRIO_PROCESS, id_t(tid), nice) == 0; }

bool Due(uint32_t now, uint32_t at) { return int32_t(now - at) >= 0; }

}  // namespace

bool SetProcessNice(int nice) {
    DIR* dir = opendir("/proc/self/task");
    if (!dir) return SetThreadNice(ThreadId(), nice);
    bool ok = true;
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
        ok = SetThreadNice(std::atoi(e->d_name), nice) && ok;
    }
    closedir(dir);
    return ok;
}

void CEngine::Worker::run() {
    set_.resetSession();
    bool leave = false;
    while (!leave) {
        note_ = noteValue_ = 0;
        passError_ = 0;
        reportRequest_ = stateChange_ = false;

        // 1-2: a new command, or the next piece of work.
        bool posted = false;
        if (!stepReady_) posted = sh_->posted.wait(waitMs_);
        now_ = clock_.ticks();
        if (posted) {
            leave = takeCommand();
        } else {
            if (!connected_) connect();
            if (connected_ && !statusDue_ && !stepReady_) nextStep();
            if (connected_ && stepReady_ && !passError_) sendStep();
            if (connected_ && statusDue_ && !passError_) readStatus();
            if (passError_) dropLink();
        }

        // 8-9: one notification per pass; requests before state changes.
        if (!note_ && reportRequest_) {
            lastRequest_ = request_;
            note_ = NOTE_REQUEST;
            noteValue_ = request_;
        } else if (!note_ && stateChange_) {
            lastReported_ = state_;
            note_ = NOTE_STATE;
            noteValue_ = state_;
        }
        if (note_) notify();
    }
    sh_->alive = false;
    sh_->stopped.set();
}

bool CEngine::Worker::takeCommand() {
    bool leave = false;
    std::lock_guard l(sh_->cs);
    const CmdRecord c = sh_->mailbox;
    switch (c.code) {
        case CMD_REPLY:
            pendingReply_ = c.param1;
            if (c.param2) autoReply_ = uint16_t(c.param2);
            replyPending_ = true;
            replyCount_ = 0;
            break;
        case CMD_PAUSE:
            pauseActive_ = true;
            pauseStep_ = 0;
            break;
        case CMD_STOP:
            if (connected_ && !sh_->isAbandoned()) {
                link_->disconnect();
                connected_ = false;
            }
            leave = true;
            break;
        default:
            // Writes the link still holds belong to the command being replaced.
            link_->resetBatch();
            running_ = set_.begin(c);
            runningSeq_ = c.seq;
            if (!running_) LogMessage("CEngine::PutCmd : unknown command %d", int(c.code));
            step_ = batchStart_ = 0;
            stepSent_ = false;
            waitMs_ = 0;
            statusDue_ = stepReady_ = false;
            pauseActive_ = paused_ = false;
            break;
    }
    sh_->mailbox = CmdRecord{};
    sh_->posted.reset();
    return leave;
}

void CEngine::Worker::connect() {
    if (lastAttempt_ && platform::TicksSince(*lastAttempt_, now_) < kReconnectMs) {
        waitMs_ = 100;
        return;
    }
    int e = link_->connect();
    if (e) {
        passError_ = e;
        waitMs_ = 200;
        lastAttempt_ = now_;
        return;
    }
    setThreadPriority(true);
    connected_ = true;
    statusDue_ = true;
}

void CEngine::Worker::nextStep() {
    if (!running_) {
        if (lastStatus_ && platform::TicksSince(*lastStatus_, now_) < kIdlePollMs) waitMs_ = 100;
        else statusDue_ = true;
        return;
    }
    expectS0_ = 0;
    waitFinish_ = false;
    earliest_.reset();
    if (link_->batchCount() == 0) batchStart_ = step_;
    stepSent_ = false;
    Step s = set_.build(step_);
    if (s.forgetState) lastReported_ = -1;
    expectS0_ = s.waitS0;
    waitFinish_ = s.waitFinish;
    if (s.minMs) earliest_ = now_ + s.minMs;
    ready_ = s;
    readyOrigin_ = Origin::Main;
    stepReady_ = true;
}

void CEngine::Worker::sendStep() {
    waitMs_ = 0;
    const Step& s = ready_;
    if (expectS0_ || s.kind == Step::DATA) deadline_ = now_ + kStepDeadlineMs;
    else if (waitFinish_) deadline_ = now_ + kFinishDeadlineMs;
    else deadline_.reset();
    int e = s.kind == Step::DATA ? link_->sendData(s.data, s.length)
                                 : link_->sendPacket(MakePacket(s.reg, s.value), s.batch);
    stepReady_ = false;
    lastSent_ = s;
    lastOrigin_ = readyOrigin_;
    lastWasData_ = s.kind == Step::DATA;
    if (e) {
        passError_ = e;
        return;
    }
    if (readyOrigin_ == Origin::Main) stepSent_ = true;
    if (readyOrigin_ == Origin::Main && link_->batchCount() > 0)
        advance();  // the write waits in the batch: no status until the run is sent
    else statusDue_ = true;
}

void CEngine::Worker::readStatus() {
    waitMs_ = 0;
    lastStatus_ = now_;
    uint8_t bytes[6] = {};
    if (int e = link_->readStatus(bytes, statusLength_)) {
        passError_ = e;
        return;
    }
    Status st = DecodeStatus(bytes, statusLength_, link_->hammingCoded());
    if (st.hammingError) {
        LogMessage("Hamming error");
        if (++hamming_ >= 3) {
            hamming_ = 0;
            passError_ = LINK_TOO_MANY_READ_ERRORS;
        }
        return;  // read again at once
    }
    hamming_ = 0;
    statusDue_ = false;
    if (!linkUp_) {
        linkUp_ = true;
        lastError_ = 0;
        cmdErrors_ = dataErrors_ = 0;
        note_ = NOTE_LINK_UP;
        return;
    }
    evaluate(st);
}

void CEngine::Worker::evaluate(const Status& st) {
    const uint8_t* S = st.s.data();
    if (running_ && (stepSent_ || lastOrigin_ != Origin::Main)) {
        if (!st.accepted()) {
            LogMessage("Checksum error");
            if (lastWasData_) {
                if (++dataErrors_ >= 2) {
                    passError_ = LINK_TOO_MANY_DATA_ERRORS;
                    return;
                }
                step_ = step_ >= 4 ? step_ - 4 : 0;  // the transfer is set up again
                stepSent_ = false;
            } else {
                if (++cmdErrors_ >= 3) {
                    passError_ = LINK_TOO_MANY_CMD_ERRORS;
                    return;
                }
                resend();
            }
        } else if (stepSent_) {  // (a record after a reply says nothing of a step not yet sent)
            (lastWasData_ ? dataErrors_ : cmdErrors_) = 0;
            // An emulated record carries no completion bits: without a Device every wait is met.
            const bool real = !emulating_;
            bool waiting = (real && (S[0] & expectS0_) != expectS0_) || (real && waitFinish_ && !st.finished()) ||
                           (earliest_ && !Due(now_, *earliest_));
            if (waiting) {
                bool built = pauseActive_ && waitFinish_ && runPause();
                if (deadline_ && int32_t(now_ - *deadline_) > 0) {
                    passError_ = LINK_DEVICE_TIMEOUT;
                    LogMessage("WaitStatus error: %02X %02X %02X %02X", S[0], S[1], S[2], S[3]);
                    return;
                }
                if (!built) {
                    statusDue_ = true;
                    waitMs_ = 5;
                }
            } else if (!replyPending_) {
                advance();
            }
        } else {
            cmdErrors_ = 0;
        }
    }

    state_ = st.state(class_);
    if (state_ != lastReported_) stateChange_ = true;

    if (class_ == 1) {
        const uint8_t r = st.request();
        if (r == 0) {
            // Answered: the same key pressed again is a new request.
            lastRequest_ = loggedRequest_ = 0;
        } else if (r != lastRequest_) {
            if (r != loggedRequest_) LogMessage("CEngine::Req %02X", r);
            loggedRequest_ = r;
            if (r == 4) {
                LogMessage("CEngine::Autoreply: %02X", autoReply_);
                pendingReply_ = autoReply_;
                replyPending_ = true;
                replyCount_ = 0;
                lastRequest_ = 4;
            } else if (r == 3 || ((r == 1 || r == 2) && (!running_ || waitFinish_)) || (r >= 5 && !running_)) {
                reportRequest_ = true;
                request_ = r;
            }
        }
    }

    if (replyPending_ && !note_ && !reportRequest_ && !stateChange_ && !stepReady_) {
        if (replyCount_ == 0) {
            LogMessage("CEngine::Reply %02X", pendingReply_);
            savedDeadline_ = deadline_;
            ready_ = Step{};
            ready_.reg = 0xC0;
            ready_.value = pendingReply_;
            readyOrigin_ = Origin::Reply;
            stepReady_ = true;
            replyCount_ = 1;
        } else {
            replyPending_ = false;
            deadline_ = savedDeadline_;
            // The step held back by the reply is judged by a fresh record, never sent twice.
            if (running_ && stepSent_) {
                statusDue_ = true;
                waitMs_ = 0;
            }
        }
    }
}

void CEngine::Worker::advance() {
    stepSent_ = false;
    step_ = set_.complete(step_);
    if (step_ >= set_.stepCount()) {
        running_ = false;
        note_ = NOTE_FINISHED;
        noteValue_ = 0;
    }
}

bool CEngine::Worker::runPause() {
    if (pauseStep_ >= CommandSet::kPauseSteps - 1) {
        // Frozen motion has no deadline; resumed motion gets a full one.
        pauseActive_ = false;
        if (paused_) deadline_.reset();
        else deadline_ = now_ + kFinishDeadlineMs;
        return false;
    }
    if (pauseStep_ == 0) {
        paused_ = !paused_;
        expectS0_ = 1;
    }
    ready_ = set_.pauseStep(pauseStep_, paused_);
    readyOrigin_ = Origin::Pause;
    stepReady_ = true;
    ++pauseStep_;
    return true;
}

void CEngine::Worker::resend() {
    if (lastOrigin_ == Origin::Main) {
        // A refused message is refused whole: send the run of writes it carried again.
        step_ = batchStart_;
        stepSent_ = false;
        stepReady_ = false;
        return;
    }
    ready_ = lastSent_;
    readyOrigin_ = lastOrigin_;
    stepReady_ = true;
}

void CEngine::Worker::dropLink() {
    if (connected_) {
        link_->disconnect();
        setThreadPriority(false);
        connected_ = false;
    }
    statusDue_ = stepReady_ = false;
    const int e = passError_;
    bool fresh = e != lastError_;
    if (fresh) {
        lastError_ = e;
        LogMessage("CEngine::Error : %d", e);
    }
    if (running_) {
        // The caller waits for its command: it hears of the failure even when the error repeats.
        note_ = NOTE_COMMAND_ERROR;
        noteValue_ = e;
    } else if (fresh && !(e == LINK_READ_ERROR && !linkUp_)) {
        note_ = NOTE_LINK_ERROR;
        noteValue_ = e;
    }
    linkUp_ = false;
    running_ = false;
    pauseActive_ = paused_ = false;
    link_->resetBatch();
    waitMs_ = 100;
}

void CEngine::Worker::notify() {
    std::lock_guard l(sh_->postMutex);
    if (sh_->abandoned || !sh_->target) return;
    const bool ofCommand = note_ == NOTE_FINISHED || note_ == NOTE_COMMAND_ERROR;
    sh_->target->post(platform::MSG_ENGINE, PackNote(note_, ofCommand ? runningSeq_ : 0), intptr_t(noteValue_));
}

void CEngine::Worker::setThreadPriority(bool timeCritical) {
    if (!priorities_) return;
    int nice = timeCritical ? kNiceTimeCritical : sh_->processNice;
    if (!SetThreadNice(ThreadId(), nice) && timeCritical && !priorityRefused_) {
        priorityRefused_ = true;
        LogMessage("CEngine : thread priority not raised (%s)", std::strerror(errno));
    }
}

}  // namespace device
