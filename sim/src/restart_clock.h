// When the handset, restarting after a format, listens to the line again: set by the service
// loop, read by the line reader, which ignores what arrives until then.
#pragma once

#include <atomic>
#include <cstdint>

#include "pty_line.h"

namespace handsim {

class RestartClock {
  public:
    void restart(Clock::duration quiet) {
        quiet_until_ = (Clock::now() + quiet).time_since_epoch().count();
    }
    bool quiet() const { return Clock::now().time_since_epoch().count() < quiet_until_.load(); }

  private:
    std::atomic<int64_t> quiet_until_{0};  // steady clock, in its own ticks
};

}  // namespace handsim
