// The acknowledged frame link over the serial port: records cut into segments and sent one frame at
// a time with an ACK wait, received frames answered and reassembled into a ring of waiting records.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "frame_receiver.h"
#include "receive_ring.h"
#include "serial_port.h"

namespace handlink {

inline constexpr int32_t kLinkOk = 0;
inline constexpr int32_t kLinkNotOpen = 13;
inline constexpr int32_t kLinkNoAck = 17;
inline constexpr int32_t kLinkNak = 19;
// A record whose head claims more bytes than were given, or a command too long for one frame.
inline constexpr int32_t kLinkBadRecord = 21;

// The handset gets 133 polls of 3 ms to answer a frame.
inline constexpr int kAckWaitPolls = 133;
inline constexpr int kAckPollMs = 3;
// The pause after every ACK or NAK the PC writes.
inline constexpr int kAnswerSettleMs = 5;

// Message bytes per segment the PC sends: the first carries a 4-byte header, later ones 2 bytes.
inline constexpr size_t kFirstSegmentBytes = zemlo::wire::kFirstSegmentMessageBytes;
inline constexpr size_t kLaterSegmentBytes = zemlo::wire::kSegmentMessageBytes;

enum class Direction { ToHandset, FromHandset };

// Sees the traffic for the protocol trace; called on the thread doing the I/O.
class LinkObserver {
  public:
    virtual ~LinkObserver() = default;
    // The whole frame, STX to ETX (for a bad checksum, up to the checksum byte).
    virtual void frame(Direction d, const uint8_t *bytes, size_t count, bool good) = 0;
    virtual void ack(Direction d) = 0;
    virtual void nak(Direction d) = 0;
    // A complete record (head and message).
    virtual void record(Direction d, const uint8_t *record, size_t count) = 0;
};

class FrameLink {
  public:
    FrameLink() = default;
    ~FrameLink();
    FrameLink(const FrameLink &) = delete;
    FrameLink &operator=(const FrameLink &) = delete;

    // 37 if already open; otherwise resets all protocol state and opens the serial port.
    int32_t link_open(uint32_t port_number, uint32_t baud);
    void link_close();
    bool is_open() const { return open_.load(std::memory_order_acquire); }
    // record = 10-byte head + message; returns 0, 13, 17, 19 or kLinkBadRecord. Call from one
    // thread at a time. *last_frame_written (when given) says whether the record's last frame
    // went out: a record cut short before it never reached the handset whole.
    int32_t send_record(const uint8_t *record, size_t size, bool *last_frame_written = nullptr);
    // Copies the oldest waiting record (head + message, never more than it holds nor than capacity)
    // into dest; returns the number of bytes copied, 0 when none waits or the link is closed.
    size_t fetch_record(uint8_t *dest, size_t capacity);
    // Called on the reader thread each time a complete message lands in the ring.
    void set_arrival_callback(void (*callback)(void *context), void *context);
    // Called once on the reader thread when the serial line is lost (SerialPort::line_lost);
    // a frame waiting for its ACK stops waiting at once.
    void set_lost_callback(void (*callback)(void *context), void *context);
    bool line_lost() const { return port_.line_lost(); }
    void set_observer(LinkObserver *observer);  // nullptr: no trace
    SerialPort &port() { return port_; }

  private:
    static void on_byte(void *context, uint8_t byte);
    static void on_lost(void *context);
    void receive_byte(uint8_t byte);
    int32_t send_frame(const uint8_t *payload, size_t count);
    void answer(uint8_t byte);
    void write_answer(uint8_t byte);
    void reset_state();

    SerialPort port_;
    FrameReceiver receiver_;
    ReceiveRing ring_;
    std::atomic<bool> open_{false};

    // Hand-over between the sender and the reader: the answers received for the frame going out,
    // and the answers the reader owes the handset but may not write while a frame goes out.
    std::mutex answer_mutex_;
    std::condition_variable answer_arrived_;
    bool ack_received_ = false;
    bool nak_received_ = false;
    // Held while the line is written, so an ACK/NAK never lands inside an outgoing frame.
    std::mutex line_mutex_;
    bool sending_ = false;
    bool ack_pending_ = false;
    bool nak_pending_ = false;

    std::mutex callback_mutex_;
    void (*arrival_callback_)(void *) = nullptr;
    void *arrival_context_ = nullptr;
    void (*lost_callback_)(void *) = nullptr;
    void *lost_context_ = nullptr;
    std::atomic<LinkObserver *> observer_{nullptr};
};

// The library's single frame link.
FrameLink &frame_link();

}  // namespace handlink
