// The waits a real handset needs (settle pauses, answer waits, timeouts), taken at a percentage
// that tests against the emulator set through the environment, so that a sweep of a thousand
// operations ends in minutes. Each deliverable reads its own variable once per process; unset,
// empty or outside 1 to 100 means 100, the handset's own times.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace zemlo {

inline constexpr uint32_t kFullTime = 100;

// The percentage a variable's text gives. Read digit by digit: std::from_chars would bring the
// standard library's table along, a symbol unique across the process that would keep the link
// library from ever being unloaded.
inline uint32_t time_percent_of(const char *text) {
    if (text == nullptr || *text == '\0') {
        return kFullTime;
    }
    uint32_t value = 0;
    for (const char *c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') {
            return kFullTime;
        }
        value = value * 10 + static_cast<uint32_t>(*c - '0');
        if (value > kFullTime) {
            return kFullTime;
        }
    }
    return value == 0 ? kFullTime : value;
}

// A wait at a percentage, never below 1 ms.
inline std::chrono::milliseconds at_percent(std::chrono::milliseconds full, uint32_t percent) {
    if (percent >= kFullTime || full.count() <= 0) {
        return full;
    }
    return std::max(std::chrono::milliseconds(1), full * percent / kFullTime);
}

}  // namespace zemlo
