// A scripted handset for the library's wire tests, on top of the pty peer: it acknowledges every
// frame, reassembles the PC's records, keeps both for the test to inspect, and answers records
// through a responder the test sets. It also sends records of its own to the PC.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "pty_peer.h"

namespace handlink::testing {

// One record the PC sent: kind (0xD3 signal form, 0xD5 command) and its message bytes.
struct PcRecord {
    uint8_t segment_type = 0;
    Bytes message;

    // Signal-form fields.
    uint8_t sender() const { return message.size() > 0 ? message[0] : 0; }
    uint8_t receiver() const { return message.size() > 1 ? message[1] : 0; }
    uint16_t body_length() const;
    uint16_t signal() const;
    Bytes body() const;
};

// The message of a signal-form record (sender, receiver, body length, signal, body).
Bytes signal_message(uint8_t sender, uint8_t receiver, uint16_t signal, const Bytes &body);
// The message of a long-header record (sender, 11 uninterpreted bytes, body length, signal, body).
Bytes long_header_message(uint8_t sender, uint16_t signal, const Bytes &body);

class ScriptedHandset {
  public:
    // Given each record the PC sent, returns the messages to send back, as
    // (segment type 0xD3 or 0xD4, message bytes).
    using Reply = std::pair<uint8_t, Bytes>;
    using Responder = std::function<std::vector<Reply>(const PcRecord &)>;

    ScriptedHandset();
    ~ScriptedHandset();

    bool ok() const { return peer_.ok(); }
    const std::string &device() const { return peer_.device(); }

    void set_responder(Responder responder);
    // Sends one message of the given segment type to the PC (split into frames as needed).
    void send(uint8_t segment_type, const Bytes &message);

    // Waits until at least count records have arrived; returns all so far.
    std::vector<PcRecord> wait_records(size_t count,
                                       std::chrono::milliseconds timeout = kPeerTimeout);
    std::vector<Bytes> frames() const;
    size_t acks_received() const;
    void clear();

  private:
    void run();
    void on_frame(const uint8_t *payload, size_t size);
    void write(const Bytes &bytes);

    PtyPeer peer_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::mutex write_mutex_;
    Responder responder_;
    std::vector<Bytes> frames_;
    std::vector<PcRecord> records_;
    size_t acks_ = 0;
    // Reassembly of the record in progress.
    bool in_record_ = false;
    PcRecord building_;
    std::thread thread_;
};

}  // namespace handlink::testing
