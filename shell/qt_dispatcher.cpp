#include "qt_dispatcher.h"

#include <QMetaObject>
#include <QThread>

namespace zemlo::shell {

void QtDispatcher::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(
        target_, [fn = std::move(fn)] { fn(); }, Qt::QueuedConnection);
}

void QtDispatcher::invoke(const std::function<void()> &fn) {
    if (on_window_thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(
        target_, [&fn] { fn(); }, Qt::BlockingQueuedConnection);
}

bool QtDispatcher::on_window_thread() const {
    return QThread::currentThread() == target_->thread();
}

}  // namespace zemlo::shell
