// A window thread without a window: a thread that runs queued work in order. The command-line
// program and the tests use it where the desktop program has its event loop.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "dispatcher.h"

namespace zemlo::app {

class EventLoopThread : public Dispatcher {
  public:
    EventLoopThread();
    ~EventLoopThread() override;
    EventLoopThread(const EventLoopThread &) = delete;
    EventLoopThread &operator=(const EventLoopThread &) = delete;

    void post(std::function<void()> fn) override;
    void invoke(const std::function<void()> &fn) override;
    bool on_window_thread() const override;

    // Waits until everything queued so far has run.
    void drain();

  private:
    void run();

    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace zemlo::app
