// The library's protocol waits (settle pauses, the ACK wait, the exchange timeout) at the
// percentage HANDLINK_TIME_PERCENT gives, read once; tests against the emulator shorten them.
#pragma once

#include <chrono>
#include <cstdlib>

#include <zemlo/time_percent.h>

namespace handlink {

inline uint32_t time_percent() {
    static const uint32_t percent = zemlo::time_percent_of(std::getenv("HANDLINK_TIME_PERCENT"));
    return percent;
}

inline std::chrono::milliseconds scaled(std::chrono::milliseconds full) {
    return zemlo::at_percent(full, time_percent());
}

inline uint32_t scaled_ms(uint32_t full_ms) {
    return static_cast<uint32_t>(scaled(std::chrono::milliseconds(full_ms)).count());
}

}  // namespace handlink
