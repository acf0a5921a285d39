// The core's dispatcher on Qt's event loop: posted work is a queued call to the window thread,
// invoked work a blocking queued call (or a direct one when already on that thread).
#pragma once

#include <QObject>

#include "dispatcher.h"

namespace zemlo::shell {

class QtDispatcher : public app::Dispatcher {
  public:
    // target lives on the window thread; calls are delivered through its event queue.
    explicit QtDispatcher(QObject *target) : target_(target) {}
    void post(std::function<void()> fn) override;
    void invoke(const std::function<void()> &fn) override;
    bool on_window_thread() const override;

  private:
    QObject *target_;
};

}  // namespace zemlo::shell
