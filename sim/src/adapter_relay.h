// The emulated adapter between the handset's bytes and the pseudo-terminal: bytes are held by an
// AdapterHold and written out by a thread of their own when it releases them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "adapter_hold.h"

namespace handsim {

class AdapterRelay {
  public:
    // Writes released bytes to the line; false when the line took them not (they are dropped).
    using Sink = std::function<bool(const uint8_t *, size_t)>;

    AdapterRelay(std::chrono::milliseconds latency, Sink sink);
    ~AdapterRelay();
    AdapterRelay(const AdapterRelay &) = delete;
    AdapterRelay &operator=(const AdapterRelay &) = delete;

    void start();
    void stop();  // what is still held is dropped
    // Bytes that reached the adapter now.
    void hold(const uint8_t *bytes, size_t count);
    // Drops what is held and runs `change` while nothing is being written (the line is closed or
    // replaced).
    void drop_held(const std::function<void()> &change);

  private:
    void run();

    Sink sink_;
    std::mutex mutex_;
    std::condition_variable cv_;
    AdapterHold hold_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace handsim
