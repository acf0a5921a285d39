// Waiting for a condition that nothing signals (a count another thread or process keeps, a file
// appearing): it is checked again every millisecond until it holds or the time is up, so a test
// waits only as long as the condition takes, however slow the build under test is.
#pragma once

#include <chrono>
#include <thread>

namespace zemlo::testing {

// Whether the condition came to hold within the timeout.
template <class Condition>
bool wait_until(Condition holds, std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!holds()) {
        if (std::chrono::steady_clock::now() >= until) {
            return holds();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace zemlo::testing
