// The emulator's stop, seen by every loop: a flag, and a pipe that turns readable when it is
// raised, so a loop blocked in poll() wakes at once.
#pragma once

#include <atomic>
#include <chrono>
#include <string>

namespace handsim {

class StopSignal {
  public:
    StopSignal() = default;
    ~StopSignal();
    StopSignal(const StopSignal &) = delete;
    StopSignal &operator=(const StopSignal &) = delete;

    bool open(std::string *error);
    void raise();
    bool raised() const { return raised_.load(); }
    // Readable once raised; poll it beside what a loop waits for.
    int fd() const { return pipe_[0]; }
    // Waits for the given time; false when the stop came first.
    bool wait_for(std::chrono::milliseconds d) const;
    void close();

  private:
    std::atomic<bool> raised_{false};
    int pipe_[2] = {-1, -1};
};

}  // namespace handsim
