#include "sms/sms_engine.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "app/log/event_log.h"
#include "app/zentrix_app.h"
#include "platform/code_page.h"
#include "platform/event.h"
#include "sms/embedded_modem.h"
#include "sms/engine_core.h"
#include "sms/receive_buffer.h"
#include "sms/serial_modem_port.h"
#include "sms/serial_settings.h"

namespace sms {

namespace {

// The stop and data-available events, waited for together; stop first.
class Signals {
public:
    void stop() { raise(stop_); }
    void data() { raise(data_); }
    Wake wait(int ms) {
        std::unique_lock l(m_);
        cv_.wait_for(l, std::chrono::milliseconds(ms), [&] { return stop_ || data_; });
        if (stop_) {
            stop_ = false;
            return Wake::Stop;
        }
        if (data_) {
            data_ = false;
            return Wake::Data;
        }
        return Wake::Timeout;
    }

private:
    void raise(bool& flag) {
        {
            std::lock_guard l(m_);
            flag = true;
        }
        cv_.notify_all();
    }
    std::mutex m_;
    std::condition_variable cv_;
    bool stop_ = false;
    bool data_ = false;
};

// The port as both threads see it: the reader's port-open flag is cleared before the port closes.
class TrackedPort final : public ModemPort {
public:
    TrackedPort(std::unique_ptr<ModemPort> port, std::atomic<bool>& open) : port_(std::move(port)), open_(open) {}
    bool Open(uint32_t baud, long& handle) override {
        bool ok = port_->Open(baud, handle);
        open_ = ok;
        return ok;
    }
    void Close() override {
        open_ = false;
        port_->Close();
    }
    void Write(std::string_view bytes) override { port_->Write(bytes); }
    bool WaitForData(int timeoutMs) override { return port_->WaitForData(timeoutMs); }
    size_t BytesQueued() override { return port_->BytesQueued(); }
    long Read(void* buffer, size_t size) override { return port_->Read(buffer, size); }
    void Interrupt() override { port_->Interrupt(); }

private:
    std::unique_ptr<ModemPort> port_;
    std::atomic<bool>& open_;
};

int ApplicationCodePage() {
    app::CZentrixApp* theApp = app::CZentrixApp::Instance();
    return theApp ? theApp->settings().codePage : 1251;
}

}  // namespace

struct CSMSEngine::Session {
    Session(std::unique_ptr<ModemPort> modem, int codePageNumber, EngineConfig config, platform::Clock* givenClock,
            double timeScale, platform::MessageTarget* owner)
        : scaled(timeScale != 1.0 && !givenClock ? std::make_unique<platform::ScaledClock>(timeScale) : nullptr),
          clock(givenClock ? *givenClock
                : scaled   ? static_cast<platform::Clock&>(*scaled)
                           : static_cast<platform::Clock&>(platform::SystemClock::instance())),
          timeScale(timeScale > 0 ? timeScale : 1.0),
          owner(owner),
          port(std::move(modem), portOpen),
          codePage(codePageNumber),
          core(port, rx, codePage, config) {}

    std::unique_ptr<platform::ScaledClock> scaled;
    platform::Clock& clock;
    double timeScale;
    platform::MessageTarget* owner;
    std::mutex commandLock;  // the running flag between Close and the engine thread's posts
    std::atomic<bool> running{true};
    std::atomic<bool> portOpen{false};
    std::shared_ptr<std::atomic<bool>> closed = std::make_shared<std::atomic<bool>>(false);
    TrackedPort port;
    ReceiveBuffer rx;
    platform::CodePage codePage;
    EngineCore core;
    Signals wakeups;
    platform::Event readerWake{true, false};
    platform::Event engineFinished{true, false};
    platform::Event readerFinished{true, false};

    void engineLoop();
    void readerLoop();
    void notify(int note);
};

void CSMSEngine::Session::notify(int note) {
    platform::PostedBlockPtr block;
    if (note == SMS_NOTE_STATUS) block = std::make_shared<platform::BlockCopy<SMSStatus>>(core.status(), closed);
    else block = std::make_shared<platform::BlockCopy<SMSRecord>>(core.record(), closed);
    std::lock_guard l(commandLock);
    if (running && owner) owner->postBlock(WM_SMSENGINE_NOTIFY, uintptr_t(note), std::move(block));
}

void CSMSEngine::Session::engineLoop() {
    int waitMs = 0;
    for (;;) {
        Wake wake = wakeups.wait(waitMs);
        PassResult r = core.Pass(clock.ticks(), wake);
        if (r.wakeReader) readerWake.set();
        if (r.note) notify(r.note);
        waitMs = timeScale == 1.0 || r.waitMs == 0 ? r.waitMs : std::max(1, int(r.waitMs / timeScale));
        if (r.last) break;
    }
    engineFinished.set();
}

void CSMSEngine::Session::readerLoop() {
    for (;;) {
        readerWake.wait();
        readerWake.reset();
        if (!running) break;
        while (running && portOpen) {
            // While the buffer is full the engine has lines to take out (or drops it): wait for
            // room rather than spin on the bytes waiting in the port.
            if (rx.fill() >= kReceiveBufferSize) {
                rx.waitForRoom(100);
                continue;
            }
            if (!port.WaitForData(1000)) continue;
            bool got = false;
            {
                auto locked = rx.lock();
                for (;;) {
                    size_t room = kReceiveBufferSize - locked.fill;
                    if (room == 0) break;
                    size_t queued = port.BytesQueued();
                    if (queued == 0) break;
                    long n = port.Read(locked.data + locked.fill, std::min(queued, room));
                    if (n <= 0) break;
                    locked.fill += size_t(n);
                    got = true;
                }
            }
            if (got) wakeups.data();
        }
    }
    readerFinished.set();
}

std::unique_ptr<ModemPort> MakeConfiguredPort(int portIndex) {
    if (app::CZentrixApp* theApp = app::CZentrixApp::Instance()) return MakeConfiguredPort(*theApp, portIndex);
    return std::make_unique<SerialModemPort>([device = DefaultSerialDevice(portIndex)] { return device; });
}

std::unique_ptr<ModemPort> MakeConfiguredPort(app::CZentrixApp& theApp, int portIndex) {
    const std::string device = SerialDevice(theApp.profile(), portIndex);
    const std::string script = SimScriptPath(theApp.profile(), theApp.GetPath(app::FOLDER_PROGRAM));
    if (device == kSimDevice) {
        return std::make_unique<SerialModemPort>([portIndex, script] {
            EmbeddedModem modem = GetEmbeddedModem();
            return modem.devicePath ? modem.devicePath(portIndex, script) : std::string();
        });
    }
    return std::make_unique<SerialModemPort>([device] { return device; });
}

CSMSEngine::CSMSEngine() : CSMSEngine(EngineOptions{}) {}
CSMSEngine::CSMSEngine(EngineOptions options) : options_(std::move(options)) {}
CSMSEngine::~CSMSEngine() {
    if (session_) Close();
}

CSMSEngine& CSMSEngine::Instance() {
    static CSMSEngine engine;
    return engine;
}

void CSMSEngine::Open(platform::MessageTarget* owner, int portIndex, uint32_t baudRate, bool listPeriodically,
                      bool deleteAfterReading, bool preferPhoneMemory) {
    LogMessage("CSMSEngine::Open()");
    if (session_) {
        LogMessage("CSMSEngine::Open(): already open");
        return;
    }
    EngineConfig config;
    config.baud = baudRate;
    config.listPeriodically = listPeriodically;
    config.deleteAfterReading = deleteAfterReading;
    config.preferPhoneMemory = preferPhoneMemory;
    config.hasOwner = owner != nullptr;
    std::unique_ptr<ModemPort> port = options_.makePort ? options_.makePort(portIndex) : MakeConfiguredPort(portIndex);
    int codePage = options_.codePage ? options_.codePage : ApplicationCodePage();
    session_ = std::make_shared<Session>(std::move(port), codePage, config, options_.clock, options_.timeScale, owner);
    // Each thread holds the session, so one left running after a late Close still has it.
    std::shared_ptr<Session> s = session_;
    engineThread_ = std::thread([s] { s->engineLoop(); });
    readerThread_ = std::thread([s] { s->readerLoop(); });
}

bool CSMSEngine::Close() {
    LogMessage("CSMSEngine::Close()");
    bool finished = true;
    if (session_) {
        std::shared_ptr<Session> s = std::move(session_);
        {
            std::lock_guard l(s->commandLock);
            s->running = false;
            s->closed->store(true);
            s->wakeups.stop();
        }
        // Releases a write to a slow port and the reader's wait; the reader then sees the
        // cleared running flag.
        s->port.Interrupt();
        s->readerWake.set();
        const auto t0 = std::chrono::steady_clock::now();
        finished = s->engineFinished.wait(options_.closeWaitMs);
        int left =
            options_.closeWaitMs -
            int(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count());
        finished = finished && s->readerFinished.wait(std::max(left, 0));
        if (finished) {
            engineThread_.join();
            readerThread_.join();
        } else {
            LogMessage("WaitForMultipleObjects(): threads still running, left to end by themselves");
            engineThread_.detach();
            readerThread_.detach();
        }
    }
    LogMessage("CSMSEngine::Close() done");
    return finished;
}

}  // namespace sms
