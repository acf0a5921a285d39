// The library's side of the handset link's frames: the wire format and the encoder come from
// zemlo/wire (shared with the handset emulator, which has a receiver of its own); this is the PC's
// byte-at-a-time receiver, with no I/O.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zemlo/wire/frame_codec.h"
#include "zemlo/wire/frame_format.h"

namespace handlink {

using zemlo::wire::encode_frame;
using zemlo::wire::frame_checksum;
using zemlo::wire::kAck;
using zemlo::wire::kEtx;
using zemlo::wire::kFrameOverhead;
using zemlo::wire::kLastSequence;
using zemlo::wire::kMaxFramePayload;
using zemlo::wire::kMaxReceivedPayload;
using zemlo::wire::kNak;
using zemlo::wire::kSegmentCommand;
using zemlo::wire::kSegmentLongHeader;
using zemlo::wire::kSegmentSignal;
using zemlo::wire::kStx;

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
