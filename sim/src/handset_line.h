// The handset's end of the line as the loops share it: the pseudo-terminal, its one write lock,
// the pacing of what the handset writes, and the emulated adapter when there is one. The reader
// thread alone reads, hangs up and reopens; any thread writes.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "adapter_relay.h"
#include "pty_line.h"

namespace handsim {

class HandsetLine {
  public:
    HandsetLine(uint32_t baud, std::chrono::milliseconds adapter_latency);
    ~HandsetLine();
    HandsetLine(const HandsetLine &) = delete;
    HandsetLine &operator=(const HandsetLine &) = delete;

    // Opens the pseudo-terminal, links it at path and starts the adapter.
    bool open(const std::string &path, std::string *error);
    // Stops the adapter and closes the line for good.
    void close();

    // The descriptor the reader polls; changed only by hang_up and reopen (reader thread).
    int fd() const { return line_.fd(); }
    const std::string &slave_name() const { return line_.slave_name(); }

    // Writes noise (may be empty) and then bytes as one paced write; false when the line is gone.
    bool write(const uint8_t *bytes, size_t n, const uint8_t *noise = nullptr, size_t noise_n = 0);

    // Closes both sides (the PC sees a hang-up), dropping what the adapter holds.
    void hang_up();
    // Links a new pseudo-terminal at the same path.
    bool reopen(const std::string &path, std::string *error);

  private:
    // Caller holds mutex_.
    bool write_line(const uint8_t *bytes, size_t n);
    bool write_paced(const uint8_t *bytes, size_t n);
    // Caller holds mutex_. Runs a change of the line with no adapter write under way.
    template <class F>
    void change_line(F &&f) {
        if (adapter_) {
            adapter_->drop_held(f);
        } else {
            f();
        }
    }

    const std::chrono::milliseconds adapter_latency_;
    std::mutex mutex_;
    PtyLine line_;
    LinePacer pacer_;
    std::unique_ptr<AdapterRelay> adapter_;  // with an adapter latency: the only writer of the line
};

}  // namespace handsim
