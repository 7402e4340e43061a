#include "ui/qt_message_target.h"

#include <QMetaObject>
#include <QThread>

namespace ui {

QtMessageTarget::QtMessageTarget(platform::MessageHandler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {}

void QtMessageTarget::post(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    QMetaObject::invokeMethod(
        this, [this, msg, wParam, lParam] { handler_(msg, wParam, lParam); }, Qt::QueuedConnection);
}

void QtMessageTarget::postCall(std::function<void()> fn) {
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

intptr_t QtMessageTarget::send(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (QThread::currentThread() == thread()) return handler_(msg, wParam, lParam);
    intptr_t result = 0;
    QMetaObject::invokeMethod(
        this, [&] { result = handler_(msg, wParam, lParam); }, Qt::BlockingQueuedConnection);
    return result;
}

}  // namespace ui
