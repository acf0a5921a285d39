// The overall deadline of a handset command. When it passes, on_expiry runs on a thread of its own
// (the command cancels the operation as Ctrl-C does and fails with a message); should the command
// still not have ended after the grace period, on_stuck runs (it ends the program), so that no
// handset, however it floods or stalls the line, keeps the command running.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace zemlo::cli {

class CommandDeadline {
  public:
    CommandDeadline(std::chrono::milliseconds limit, std::chrono::milliseconds grace,
                    std::function<void()> on_expiry, std::function<void()> on_stuck);
    ~CommandDeadline();
    CommandDeadline(const CommandDeadline &) = delete;
    CommandDeadline &operator=(const CommandDeadline &) = delete;

  private:
    void watch(std::chrono::steady_clock::time_point expiry, std::chrono::milliseconds grace);

    std::function<void()> on_expiry_;
    std::function<void()> on_stuck_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool ended_ = false;
    std::thread thread_;
};

}  // namespace zemlo::cli
