#include "zx-remote/server.h"

#include <unistd.h>

#include "video/remote_buttons.h"

namespace zxremote {

RemoteServer::RemoteServer(ServerOptions options)
    : options_(std::move(options)),
      program_(platform::SystemClock::instance(), options_.setup, options_.base),
      controlPath_(options_.controlPath.empty() ? DefaultControlPath() : options_.controlPath) {
    if (options_.title.empty()) options_.title = video::kRemoteTitle;
    vanish_ = [] { ::_exit(0); };
}

RemoteServer::~RemoteServer() = default;

intptr_t RemoteServer::onMessage(uint32_t msg, uintptr_t, intptr_t lParam) {
    if (msg == platform::MSG_CLOSE) {
        Quit();
        return 1;
    }
    if (msg != platform::MSG_COPYDATA) return 0;
    // A hung program: the message waits here, and so does everything behind it.
    program_.WaitWhileHung();
    const auto* cd = reinterpret_cast<const platform::CopyData*>(lParam);
    return intptr_t(program_.OnCopyData(cd->dwData, {cd->lpData, cd->cbData}));
}

int RemoteServer::Run(std::string& error, const std::function<void()>& ready) {
    platform::EventLoop loop;
    platform::LoopTarget target(loop, [this](uint32_t m, uintptr_t w, intptr_t l) { return onMessage(m, w, l); });
    loop.processPending();  // the loop is this thread's from here on
    platform::CopyDataWindow window;
    if (!window.Open(&target, options_.title, options_.dir)) {
        error = "the window \"" + options_.title + "\" cannot be opened (is another zx-remote running?)";
        return 1;
    }
    ControlServer control;
    if (!control.Start(
            controlPath_, program_, [this] { Quit(); }, [this] { vanish_(); }, error)) {
        window.Close();
        return 1;
    }
    handle_ = window.handle();
    loop_ = &loop;
    if (ready) ready();
    if (!quit_) loop.run();
    loop_ = nullptr;
    // Whatever hangs is let go, so that the requests still queued get their answers.
    program_.SetHung(false);
    control.Stop();
    window.Close();
    handle_ = 0;
    if (onQuit_) onQuit_();
    return 0;
}

void RemoteServer::Quit() {
    quit_ = true;
    program_.SetHung(false);
    if (platform::EventLoop* l = loop_.load()) l->quit();
}

}  // namespace zxremote
