// The handset link's frame format: STX, LEN, payload, XOR checksum, ETX, with ACK and NAK as single
// bytes between frames. Pure functions and a byte-at-a-time receiver with no I/O, shared by the
// library's frame link and by the handset emulator.
#pragma once

#include <cstddef>
#include <cstdint>

namespace handlink {

inline constexpr uint8_t kStx = 0x02;
inline constexpr uint8_t kEtx = 0x03;
inline constexpr uint8_t kAck = 0x06;
inline constexpr uint8_t kNak = 0x15;

// Segment types (payload byte 0) and the sequence number of a message's last segment.
inline constexpr uint8_t kSegmentSignal = 0xD3;
inline constexpr uint8_t kSegmentLongHeader = 0xD4;
inline constexpr uint8_t kSegmentCommand = 0xD5;
inline constexpr uint8_t kLastSequence = 0xFF;

inline constexpr size_t kMaxFramePayload = 255;     // what a sender puts in LEN
inline constexpr size_t kMaxReceivedPayload = 256;  // a received LEN of 0 counts 256 bytes
inline constexpr size_t kFrameOverhead = 4;         // STX, LEN, CHK, ETX

// XOR checksum of a frame: STX's value, then LEN, then every payload byte.
uint8_t frame_checksum(const uint8_t *payload, size_t count);

// Writes the complete frame for 1..255 payload bytes into out (count + 4 bytes); returns its size,
// or 0 when count is out of range.
size_t encode_frame(const uint8_t *payload, size_t count, uint8_t *out);

// The receive state machine. Feed it every byte from the line; it tells what the byte completed.
// ACK and NAK are recognised only between frames; inside a frame they are payload.
class FrameReceiver {
  public:
    enum class Event {
        None,         // byte consumed, nothing complete
        Ack,          // an ACK byte between frames
        Nak,          // a NAK byte between frames
        Frame,        // a frame with a good checksum and ETX: payload() holds it
        BadChecksum,  // frame dropped: the checksum byte did not match
        MissingEtx,   // frame dropped: the byte after the checksum was not ETX
    };

    Event push(uint8_t byte);
    void reset();

    // The payload of the frame last reported as Event::Frame.
    const uint8_t *payload() const { return payload_; }
    size_t payload_size() const { return size_; }
    // The raw bytes of the frame last reported (Frame, BadChecksum, MissingEtx), from STX on.
    const uint8_t *frame() const { return frame_; }
    size_t frame_size() const { return frame_size_; }

  private:
    enum class State { Idle, Length, Payload, Checksum, End };

    State state_ = State::Idle;
    uint8_t checksum_ = 0;
    size_t remaining_ = 0;
    size_t size_ = 0;
    uint8_t payload_[kMaxReceivedPayload] = {};
    size_t frame_size_ = 0;
    uint8_t frame_[kMaxReceivedPayload + kFrameOverhead] = {};
};

}  // namespace handlink
