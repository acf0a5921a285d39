// The core's own protocol waits (the settle after opening the link, the restart after a format)
// at the percentage ZEMLO_TIME_PERCENT gives, read once; tests against the emulator shorten them.
#pragma once

#include <chrono>
#include <cstdlib>

#include "zemlo/time_percent.h"

namespace zemlo::app {

inline std::chrono::milliseconds core_time(std::chrono::milliseconds full) {
    static const uint32_t percent = time_percent_of(std::getenv("ZEMLO_TIME_PERCENT"));
    return at_percent(full, percent);
}

}  // namespace zemlo::app
