// The waits a real handset needs (settle pauses, answer waits, timeouts), taken at a percentage
// that tests against the emulator set through the environment, so that a sweep of a thousand
// operations ends in minutes. Each deliverable reads its own variable once per process; unset,
// empty or outside 1 to 100 means 100, the handset's own times.
#pragma once

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace zemlo {

inline constexpr uint32_t kFullTime = 100;

// The percentage a variable's text gives.
inline uint32_t time_percent_of(const char *text) {
    if (text == nullptr) {
        return kFullTime;
    }
    uint32_t value = 0;
    const char *end = text + std::strlen(text);
    const auto [at, ec] = std::from_chars(text, end, value);
    if (ec != std::errc() || at != end || value == 0 || value > kFullTime) {
        return kFullTime;
    }
    return value;
}

// A wait at a percentage, never below 1 ms.
inline std::chrono::milliseconds at_percent(std::chrono::milliseconds full, uint32_t percent) {
    if (percent >= kFullTime || full.count() <= 0) {
        return full;
    }
    return std::max(std::chrono::milliseconds(1), full * percent / kFullTime);
}

}  // namespace zemlo
