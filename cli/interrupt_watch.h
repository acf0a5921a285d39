// Ctrl-C during a handset command: the first SIGINT, SIGTERM or SIGHUP (the terminal closed) is
// handed to a callback on a
// thread of its own (the command cancels the operation as the wait window's Cancel button does,
// so the handset is told); a second one ends the program at once.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace zemlo::cli {

class InterruptWatch {
  public:
    explicit InterruptWatch(std::function<void()> on_interrupt);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch &) = delete;
    InterruptWatch &operator=(const InterruptWatch &) = delete;

    bool interrupted() const { return interrupted_.load(); }

  private:
    void watch();

    std::function<void()> on_interrupt_;
    int pipe_[2] = {-1, -1};
    std::atomic<bool> interrupted_{false};
    std::thread thread_;
};

}  // namespace zemlo::cli
