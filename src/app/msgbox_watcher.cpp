#include "app/msgbox_watcher.h"

#include "app/log/event_log.h"
#include "app/message_boxes.h"

namespace app {

bool MessageBoxAutoCloses(unsigned style) { return (style & MB_TYPEMASK) == MB_OK; }

MsgBoxWatcher::MsgBoxWatcher(platform::Clock& clock, platform::TimerService& timers, IsShown isShown, Close close)
    : clock_(clock), timers_(timers), isShown_(std::move(isShown)), close_(std::move(close)), start_(clock.ticks()) {
    LogMessage("MsgBoxThread(): started");
    timer_ = timers_.setTimer(kMsgBoxLookMs, [this] { look(); });
}

MsgBoxWatcher::~MsgBoxWatcher() {
    if (!finished()) LogMessage("MsgBoxThread(): no msgbox found");
    stop();
}

void MsgBoxWatcher::stop() {
    if (timer_) timers_.killTimer(timer_);
    timer_ = 0;
}

void MsgBoxWatcher::look() {
    if (finished()) return;
    if (!isShown_()) {
        LogMessage("MsgBoxThread(): no msgbox found");
        stop();
        return;
    }
    if (platform::TicksSince(start_, clock_.ticks()) > kMsgBoxTimeoutMs - 1) {
        LogMessage("MsgBoxThread(): timeout fired");
        fired_ = true;
        stop();
        close_();
    }
}

}  // namespace app
