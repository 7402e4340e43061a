#include "ui/qt_timer_service.h"

#include <QTimer>

namespace ui {

QtTimerService::~QtTimerService() {
    for (auto& [id, t] : timers_) delete t;
}

int QtTimerService::setTimer(uint32_t periodMs, std::function<void()> fn) {
    int id = nextId_++;
    if (nextId_ <= 0) nextId_ = 1;
    auto* t = new QTimer(this);
    t->setInterval(int(periodMs));
    connect(t, &QTimer::timeout, this, [fn = std::move(fn)] { fn(); });
    timers_[id] = t;
    t->start();
    return id;
}

void QtTimerService::killTimer(int id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second->stop();
    // The callback may be the one running now: delete the timer once it has returned.
    it->second->deleteLater();
    timers_.erase(it);
}

}  // namespace ui
