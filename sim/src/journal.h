// What every loop of the emulator tells: its counters (the statistics a test waits on), its log
// lines and the protocol trace. Thread-safe; the loops share it and nothing else of each other.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

#include "handsim/emulator.h"
#include "trace_log.h"

namespace handsim {

class Journal {
  public:
    explicit Journal(std::function<void(const std::string &)> sink) : sink_(std::move(sink)) {}

    TraceLog &trace() { return trace_; }

    // A line for the caller's log and a note in the trace.
    void log(const std::string &text);

    // Changes the counters under their lock and wakes whoever waits on them.
    template <class F>
    void count(F &&f) {
        {
            std::lock_guard lock(mutex_);
            f(stats_);
        }
        cv_.notify_all();
    }

    EmulatorStats stats() const;
    bool wait_messages_sent(uint64_t count, std::chrono::milliseconds timeout) const;

  private:
    std::function<void(const std::string &)> sink_;
    TraceLog trace_;
    std::mutex log_mutex_;
    mutable std::mutex mutex_;
    mutable std::condition_variable cv_;
    EmulatorStats stats_;
};

}  // namespace handsim
