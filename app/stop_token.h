// "Stop the operation at once", made cooperative: once stopped, every device call and every wait of
// the operation worker ends the operation there, so no further step of it runs.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace zemlo::app {

// Thrown inside the operation worker at its next cancellation point after a stop; caught by the
// worker procedure, never outside it.
struct OperationStopped {};

class StopToken {
  public:
    void stop() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopped_.store(true);
        }
        cv_.notify_all();
    }
    void reset() { stopped_.store(false); }
    bool stopped() const { return stopped_.load(); }

    // A cancellation point.
    void check() const {
        if (stopped_.load()) {
            throw OperationStopped{};
        }
    }

    // Sleeps, waking at once on a stop (and then ends the operation).
    void sleep_for(std::chrono::milliseconds ms) {
        std::unique_lock<std::mutex> lock(mutex_);
        cv_.wait_for(lock, ms, [this] { return stopped_.load(); });
        lock.unlock();
        check();
    }

  private:
    std::atomic<bool> stopped_{false};
    mutable std::mutex mutex_;
    std::condition_variable cv_;
};

// The token of the operation running on this thread; none on the window thread, whose calls are
// never stopped this way.
inline thread_local StopToken *current_stop_token = nullptr;

inline void cancellation_point() {
    if (current_stop_token != nullptr) {
        current_stop_token->check();
    }
}

inline void cancellable_sleep(std::chrono::milliseconds ms) {
    if (current_stop_token != nullptr) {
        current_stop_token->sleep_for(ms);
    } else {
        std::this_thread::sleep_for(ms);
    }
}

}  // namespace zemlo::app
