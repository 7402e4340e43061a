#include "interactive/interactive.h"

#include <pthread.h>
#include <sched.h>

#include <cmath>

#include "app/log/event_log.h"
#include "interactive/itv_result.h"

namespace interactive {

class CInteractive::Sink final : public CoreSink {
public:
    explicit Sink(CInteractive& owner) : e_(owner) {}
    void OnCall(const CallRecord& record) override {
        if (e_.owner_)
            e_.owner_->postBlock(platform::MSG_INTERACTIVE, ITV_NOTE_CALL,
                                 std::make_shared<platform::BlockCopy<CallRecord>>(record, e_.closed_));
    }
    bool OnProgress(size_t bytes) override {
        if (e_.owner_) e_.owner_->post(platform::MSG_INTERACTIVE, ITV_NOTE_PROGRESS, intptr_t(bytes));
        return !e_.abort_ && !e_.quit_;
    }

private:
    CInteractive& e_;
};

CInteractive::CInteractive() : CInteractive(InteractiveOptions{}) {}

CInteractive::CInteractive(InteractiveOptions options) : options_(std::move(options)) {
    if (options_.timeScale <= 0) options_.timeScale = 1.0;
    if (!options_.clock && options_.timeScale != 1.0)
        ownClock_ = std::make_unique<platform::ScaledClock>(options_.timeScale);
}

CInteractive::~CInteractive() { Close(); }

CInteractive& CInteractive::Instance() {
    static CInteractive engine;
    return engine;
}

void CInteractive::configure(const app::InteractiveConfig& c) {
    Configure(c.portNo, c.useCID != 0, c.cidLength, c.model, c.cidType);
}

void CInteractive::Configure(int portNo, bool useCID, int cidLength, int version, int cidType) {
    portNo_ = portNo;
    config_.useCID = useCID;
    config_.cidDigits = cidLength + 5;
    config_.version = version == ITV_VERSION_2 ? ITV_VERSION_2 : ITV_VERSION_1;
    config_.cidType = cidType;
}

int CInteractive::Open(platform::MessageTarget* owner) {
    if (IsOpen()) return ITV_OK;
    int result = ITV_NO_PORT;
    if (options_.makePort) {
        port_ = options_.makePort(portNo_, config_.version, result);
        if (!port_ && result == ITV_OK) result = ITV_NO_PORT;
    } else {
        auto serial = std::make_unique<SerialAdapterPort>(options_.timeScale);
        result = serial->Open(AdapterDevicePath(portNo_, config_.version), config_.version);
        if (result == ITV_OK) port_ = std::move(serial);
    }
    if (result != ITV_OK || !port_) {
        port_.reset();
        return result ? result : int(ITV_NO_PORT);
    }
    owner_ = owner;
    closed_ = std::make_shared<std::atomic<bool>>(false);
    quit_ = false;
    abort_ = false;
    busy_ = false;
    pending_.reset();
    thread_ = std::thread([this] { run(); });
    // Time-critical where the system allows it; an ordinary thread otherwise.
    sched_param p{};
    p.sched_priority = sched_get_priority_max(SCHED_FIFO);
    pthread_setschedparam(thread_.native_handle(), SCHED_FIFO, &p);
    return ITV_OK;
}

void CInteractive::Close() {
    if (!IsOpen()) return;
    quit_ = true;
    abort_ = true;
    pending_.set();
    // Every exchange is bounded, so the thread ends: no need to give up on it and leave it
    // holding the port.
    thread_.join();
    pending_.reset();
    if (closed_) closed_->store(true);
    port_.reset();
    LogMessage("all done");
    owner_ = nullptr;
}

bool CInteractive::NewCommand(ItvCommand command) {
    std::lock_guard l(slotMutex_);
    if (!IsOpen() || busy_ || quit_) {
        LogMessage("CInteractive::NewCommand %04X dropped: another command is pending", command.code);
        return false;
    }
    command.sequence = ++sequence_;
    slot_ = command;
    busy_ = true;
    pending_.set();
    return true;
}

void CInteractive::run() {
    const platform::Clock& clock = options_.clock ? *options_.clock
                                   : ownClock_    ? static_cast<const platform::Clock&>(*ownClock_)
                                                  : platform::SystemClock::instance();
    CSerial serial(*port_, clock);
    Sink sink(*this);
    InteractiveCore core(serial, sink, config_);
    auto post = [&](uintptr_t note, intptr_t value) {
        if (owner_) owner_->post(platform::MSG_INTERACTIVE, note, value);
    };
    while (core.running()) {
        int wait = core.waitMs();
        if (wait > 0 && options_.timeScale != 1.0) wait = std::max(1, int(std::lround(wait / options_.timeScale)));
        // Close sets quit before it wakes the thread, so a wake-up consumed by the end of the
        // previous command is not lost: quit is looked at before every wait.
        const bool woke = !quit_ && pending_.wait(wait);
        if (quit_) {
            LogMessage("CInteractive::NewCommand %04X", ITV_CMD_QUIT);
            core.Run({0, ITV_CMD_QUIT, 0, 0, 0, nullptr});
            break;
        }
        if (woke) {
            ItvCommand command;
            {
                std::lock_guard l(slotMutex_);
                command = slot_;
            }
            abort_ = false;
            LogMessage("CInteractive::NewCommand %04X", command.code);
            const int r = core.Run(command);
            {
                std::lock_guard l(slotMutex_);
                pending_.reset();
                busy_ = false;
            }
            post(ITV_NOTE_DONE, r);
        } else {
            const int stopped = core.OnTimeout();
            if (stopped >= 0) post(ITV_NOTE_POLL_STOPPED, stopped);
        }
    }
}

}  // namespace interactive
