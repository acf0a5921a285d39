// How a USB serial adapter hands received bytes to the PC: it holds them until a USB packet's
// worth (62 bytes) is waiting or its latency timer, started by the first byte held, runs out.
// Pure logic, fed with times and bytes; AdapterRelay runs it on a thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace handsim {

class AdapterHold {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr size_t kPacketBytes = 62;  // a 64-byte USB packet less two status bytes

    explicit AdapterHold(std::chrono::milliseconds latency) : latency_(latency) {}

    // Bytes that reached the adapter at `at` (times never go backwards).
    void push(Clock::time_point at, const uint8_t *bytes, size_t count);
    // When the next release is due; none while nothing is held.
    std::optional<Clock::time_point> due() const;
    // Everything released by `now`, in order: full packets as soon as they fill, the rest when
    // the timer of its first byte has run out.
    std::vector<uint8_t> take(Clock::time_point now);
    // Drops what is held (the line went away).
    void clear();
    size_t held() const { return bytes_.size(); }

  private:
    std::chrono::milliseconds latency_;
    std::deque<uint8_t> bytes_;
    std::deque<Clock::time_point> arrived_;  // one per held byte
};

}  // namespace handsim
