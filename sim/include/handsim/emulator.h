// The handset emulator as a library: a pseudo-terminal whose slave side is linked at a path of the
// caller's choosing, and behind it the handset's side of the serial link and of the download
// service, with faults and events on request. The handsim program is a thin shell around it;
// tests run it in-process.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace handsim {

// One frame of the exchange, either way, numbered from 1 at the emulator's start. ACK and NAK
// bytes are answers to frames, not points of their own.
struct ExchangePoint {
    uint32_t index = 0;
    bool from_pc = false;
    std::string message;   // what its message is: "rename", "reply", "data packet 2", ...
    uint32_t segment = 0;  // its place in that message, from 0

    bool operator==(const ExchangePoint &) const = default;
};

struct EmulatorOptions {
    std::string link_path;  // where the slave side is linked (required)
    std::string store_dir;  // the media store (required)
    bool seed = false;      // fill an empty store with sample files
    uint32_t baud = 0;      // pace both directions at this rate (0: as fast as possible)
    // Hold the handset's bytes as a USB serial adapter does: until 62 are waiting or this long
    // after the first one held (0: no adapter, bytes reach the PC as they are written).
    std::chrono::milliseconds adapter_latency{0};
    std::string trace_path;      // a line for every frame and message (empty: none)
    std::string control_path;    // a FIFO that takes control commands (empty: none)
    uint64_t capacity = 524288;  // store capacity in bytes, reserve included
    std::chrono::milliseconds restart_quiet{3000};  // silence after a format
    std::chrono::milliseconds ack_timeout{1000};    // wait for the PC's ACK of a handset frame
    unsigned send_attempts = 3;                     // tries per handset frame
    std::vector<std::string> controls;              // control commands applied before serving
    std::function<void(const std::string &)> log;   // what happens, one line at a time
    // Each frame of the exchange as it comes or goes, before any fault placed at it (called on
    // the reader's or the service's thread).
    std::function<void(const ExchangePoint &)> on_point;
};

struct EmulatorStats {
    uint64_t frames_received = 0;  // complete frames from the PC, good or bad
    uint64_t naks_sent = 0;
    uint64_t frames_sent = 0;  // handset frames written, resends included
    uint64_t resends = 0;
    uint64_t messages_received = 0;
    uint64_t messages_sent = 0;  // messages whose every frame was acknowledged
    uint64_t hang_ups = 0;
    uint64_t restarts = 0;
};

class Emulator {
  public:
    explicit Emulator(EmulatorOptions options);
    ~Emulator();
    Emulator(const Emulator &) = delete;
    Emulator &operator=(const Emulator &) = delete;

    // Opens the store and the pseudo-terminal, links it and starts serving.
    bool start(std::string *error);
    // Stops serving, removes the link (and the FIFO it made). Safe to call twice.
    void stop();

    // Applies one control command (see control_command.h); false with a reason when it is wrong.
    bool control(std::string_view line, std::string *error = nullptr);

    const std::string &link_path() const;
    EmulatorStats stats() const;
    bool reporting() const;  // setup received, not restarted since
    // The frames of the exchange so far, in order (the first 100000).
    std::vector<ExchangePoint> exchange() const;
    // Waits until the handset has answered everything it received so far (a message still
    // arriving frame by frame is not counted); false at the timeout.
    bool wait_idle(std::chrono::milliseconds timeout) const;
    // Waits until a handset message has been sent or received count reaches the given values.
    bool wait_messages_sent(uint64_t count, std::chrono::milliseconds timeout) const;

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace handsim
