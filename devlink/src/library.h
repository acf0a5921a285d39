// The library's single state: the frame link, the device worker over it, the name tables, the
// exchange timeout and the protocol trace. Created at the first export call and torn down when
// the library is unloaded (the worker is stopped and the link closed then).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "device_worker.h"
#include "frame_link.h"
#include "handlink/name_tables.h"
#include "protocol_trace.h"
#include "time_scale.h"

namespace handlink {

inline constexpr uint32_t kDefaultTimeoutMs = 2000;

// What the setup exchange needs from the tables, read after a rebuild under one lock.
struct SetupNames {
    uint8_t sender = 0;
    uint8_t receiver = 0;
    uint16_t filter_signal = 0;
    std::vector<uint8_t> matrix;
};

class Library {
  public:
    Library();
    ~Library();
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;

    FrameLink &link() { return link_; }
    DeviceWorker &worker() { return worker_; }
    ProtocolTrace &trace() { return trace_; }

    uint8_t task_id(const char *name);
    uint16_t signal_id(const char *name);
    SetupNames rebuild_tables();
    void set_description_file(const char *path);

    uint32_t timeout_ms() const { return timeout_ms_.load(); }
    void set_timeout_ms(uint32_t ms) { timeout_ms_.store(ms); }
    std::atomic<uint8_t> mode{0};

    // Why the last OpenComm was refused before it touched any device (empty: it was not).
    std::string open_refusal() const {
        std::lock_guard<std::mutex> lock(refusal_mutex_);
        return open_refusal_;
    }
    void set_open_refusal(std::string text) {
        std::lock_guard<std::mutex> lock(refusal_mutex_);
        open_refusal_ = std::move(text);
    }

  private:
    // Constructed first, so the link outlives everything that uses it.
    FrameLink &link_;
    DeviceWorker worker_;
    ProtocolTrace trace_;
    std::mutex names_mutex_;
    NameTables names_;
    std::atomic<uint32_t> timeout_ms_{scaled_ms(kDefaultTimeoutMs)};
    mutable std::mutex refusal_mutex_;
    std::string open_refusal_;
};

Library &library();

}  // namespace handlink
