// Whether the handset has begun to answer a list command. The worker waits for it after sending
// the command; the window thread says when the block transfer starts, or when the listing ends
// another way. A handset that never begins would otherwise leave the connect waiting for ever.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zemlo::app {

class ListingStart {
  public:
    // Before the list command goes out.
    void arm() {
        std::lock_guard<std::mutex> lock(mutex_);
        begun_ = false;
    }
    // The start packet came, the listing ended, or the waiting worker is being stopped.
    void begun() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            begun_ = true;
        }
        cv_.notify_all();
    }
    // Waits for begun(), at most timeout; true when it came.
    bool wait(std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        return cv_.wait_for(lock, timeout, [this] { return begun_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool begun_ = false;
};

}  // namespace zemlo::app
