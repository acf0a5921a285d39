// "Stop the operation at once", made cooperative: once stopped, every device call, every wait and
// every call of the worker onto the window thread returns at once without doing anything, so the
// rest of the operation runs through as a row of no-ops and no further step of it has an effect.
// The token is handed to whoever checks it (the core's worker calls, the device binding); it is
// never found through the thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zemlo::app {

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

    // Sleeps, waking at once on a stop; false when stopped.
    bool sleep_for(std::chrono::milliseconds ms) {
        std::unique_lock<std::mutex> lock(mutex_);
        cv_.wait_for(lock, ms, [this] { return stopped_.load(); });
        return !stopped_.load();
    }

    // Waits until done() holds, the deadline passes or the token is stopped; true when done()
    // held and the token was not stopped. done() is read under the token's lock, so whoever makes
    // it true (the user's cancel, an answer the operation waits for) calls wake() afterwards.
    template <typename Done>
    bool wait_until(std::chrono::steady_clock::time_point deadline, Done done) {
        std::unique_lock<std::mutex> lock(mutex_);
        const bool held = cv_.wait_until(lock, deadline, [&] { return stopped_.load() || done(); });
        return held && !stopped_.load();
    }
    void wake() {
        {
            // Taken and let go, so that a waiter between its check and its sleep is not missed.
            std::lock_guard<std::mutex> lock(mutex_);
        }
        cv_.notify_all();
    }

  private:
    std::atomic<bool> stopped_{false};
    mutable std::mutex mutex_;
    std::condition_variable cv_;
};

}  // namespace zemlo::app
