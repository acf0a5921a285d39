// How work reaches the window thread: the handset's forwarded messages are queued to it, and the
// operation worker's reports and questions run on it while the worker waits.
#pragma once

#include <functional>

namespace zemlo::app {

class Dispatcher {
  public:
    virtual ~Dispatcher() = default;
    // Queues fn to run on the window thread; returns at once.
    virtual void post(std::function<void()> fn) = 0;
    // Runs fn on the window thread and returns when it has run (at once when called there).
    virtual void invoke(const std::function<void()> &fn) = 0;
    virtual bool on_window_thread() const = 0;
};

}  // namespace zemlo::app
