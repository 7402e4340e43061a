// Window timers for the Qt front end: periodic callbacks on the GUI thread.
#pragma once

#include <QObject>
#include <functional>
#include <map>

#include "platform/timer_service.h"

class QTimer;

namespace ui {

class QtTimerService final : public QObject, public platform::TimerService {
public:
    QtTimerService() = default;
    ~QtTimerService() override;
    int setTimer(uint32_t periodMs, std::function<void()> fn) override;
    void killTimer(int id) override;

private:
    std::map<int, QTimer*> timers_;
    int nextId_ = 1;
};

}  // namespace ui
