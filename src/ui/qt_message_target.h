// Messages to a part that lives on the GUI thread (the air frame, a view): post queues the
// handler onto the GUI thread from any thread; send runs it at once on the GUI thread and waits
// for it from any other. Messages still queued when the target goes are dropped.
#pragma once

#include <QObject>

#include "platform/message_target.h"

namespace ui {

class QtMessageTarget final : public QObject, public platform::MessageTarget {
public:
    explicit QtMessageTarget(platform::MessageHandler handler, QObject* parent = nullptr);
    void post(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
    intptr_t send(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
    void postCall(std::function<void()> fn) override;

private:
    platform::MessageHandler handler_;
};

}  // namespace ui
