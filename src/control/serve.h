// zx serve without its command line: the air session on an event loop, Live mode's model on its
// frame, and the control interface, until asked to stop. The session's frame reports to a window
// of this host, so that each change of state is told on the event stream as it happens.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "air/air_session.h"
#include "control/control_server.h"
#include "control/live_control.h"
#include "platform/event_loop.h"

namespace control {

class CServeHost final : public LiveControl {
public:
    // objects: the content objects the session's frame plays (clock, banner).
    CServeHost(app::CZentrixApp& app, pages::CFontManager& fonts, air::CAirSession& session,
               const air::AirObjects& objects, platform::EventLoop& loop);
    ~CServeHost() override;

    // Posts onto the session's loop (what the server's AirPort goes through).
    platform::MessageTarget& target() { return *target_; }
    air::CTitrModel& titles() { return model_; }

protected:
    air::CAirFrame* frame() override { return &session_.frame(); }
    air::CTitrModel* model() override { return &model_; }
    std::string mode() override { return "live"; }
    air::AirFrameWindow* window() override;

private:
    class Window;
    // The frame's changes come in steps: the state is looked at once the step has ended.
    void scheduleCheck();

    air::CAirSession& session_;
    platform::EventLoop& loop_;
    air::CTitrModel model_;
    std::unique_ptr<Window> window_;
    std::unique_ptr<platform::LoopTarget> target_;
    int timer_ = 0;
    bool checkQueued_ = false;
};

struct ServeOptions {
    ServerOptions server;
    // Looked at on the loop every 50 ms: true ends the run.
    std::function<bool()> stop;
    // The server listens (tests learn the port this way).
    std::function<void(ControlServer&)> listening;
};

// Runs the air session of engine (open: StartHardware has run) on loop with the control
// interface until options.stop answers true. 0, or 1 with the reason in error (the server
// could not start).
int RunServe(app::CZentrixApp& app, device::CEngine& engine, pages::CFontManager& fonts, platform::EventLoop& loop,
             const air::AirObjects& objects, const ServeOptions& options, std::string& error);

}  // namespace control
