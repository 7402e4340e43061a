#include "control/serve.h"

#include "app/log/event_log.h"
#include "device/engine_notes.h"

namespace control {

// The frame's window without a screen: what it shows changes with the frame's state.
class CServeHost::Window final : public air::AirFrameWindow {
public:
    explicit Window(CServeHost& host) : host_(host) {}
    void EnableActions(uint16_t) override { host_.scheduleCheck(); }
    void ShowTimes(const std::string&, const std::string&) override { host_.scheduleCheck(); }
    void SetIndicator(int, int) override { host_.scheduleCheck(); }

private:
    CServeHost& host_;
};

CServeHost::CServeHost(app::CZentrixApp& app, pages::CFontManager& fonts, air::CAirSession& session,
                       const air::AirObjects& objects, platform::EventLoop& loop)
    : LiveControl(app, fonts),
      session_(session),
      loop_(loop),
      model_(app, fonts, session.frame(), objects, loop.clock()),
      window_(std::make_unique<Window>(*this)),
      target_(
          std::make_unique<platform::LoopTarget>(loop, [](uint32_t, uintptr_t, intptr_t) -> intptr_t { return 0; })) {
    session_.frame().setWindow(window_.get());
    session_.setViewObserver([this](int code, intptr_t value) {
        model_.OnAirNote(code, value);
        scheduleCheck();
    });
    session_.setEngineObserver([this](int code, int value) {
        if (code == device::NOTE_REQUEST) deviceRequest(value);
        scheduleCheck();
    });
    // What no step tells (the air log's lines) is looked at ten times a second.
    timer_ = loop_.setTimer(100, [this] { check(); });
}

air::AirFrameWindow* CServeHost::window() { return window_.get(); }

CServeHost::~CServeHost() {
    loop_.killTimer(timer_);
    session_.setViewObserver(nullptr);
    session_.setEngineObserver(nullptr);
    session_.frame().setWindow(nullptr);
    target_.reset();  // drops a check still queued
}

void CServeHost::scheduleCheck() {
    if (checkQueued_) return;
    checkQueued_ = true;
    target_->postCall([this] {
        checkQueued_ = false;
        check();
    });
}

int RunServe(app::CZentrixApp& app, device::CEngine& engine, pages::CFontManager& fonts, platform::EventLoop& loop,
             const air::AirObjects& objects, const ServeOptions& options, std::string& error) {
    air::CAirSession session(app, engine, fonts, loop, objects);
    CServeHost host(app, fonts, session, objects, loop);
    ControlServer server(host, host.target(), options.server);
    if (!server.start(error)) return 1;
    host.attach(&server.board());
    session.Open();
    if (options.listening) options.listening(server);
    const int stopTimer = loop.setTimer(50, [&] {
        if (options.stop && options.stop()) loop.quit();
    });
    loop.run();
    loop.killTimer(stopTimer);
    // The server goes before the host it asks.
    server.stop();
    host.attach(nullptr);
    LogMessage("RunServe: ended");
    return 0;
}

}  // namespace control
