// The handset's receiver of the PC's frames, built on the shared wire format only. It is written
// apart from the link library's receiver on purpose: the emulator is the other end of the cable,
// and a framing mistake made in one receiver must not be repeated in the one it is tested against.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "zemlo/wire/frame_format.h"

namespace handsim {

class FrameReader {
  public:
    enum class Event {
        None,         // the byte was taken; nothing is complete
        Ack,          // an ACK between frames
        Nak,          // a NAK between frames
        Frame,        // a whole frame with a good checksum and ETX
        BadChecksum,  // a frame whose checksum byte is wrong, dropped
        MissingEtx,   // a frame whose checksum is followed by something else than ETX, dropped
    };

    // Takes the next byte from the line. ACK and NAK mean something only between frames; inside
    // a frame every byte is payload.
    Event take(uint8_t byte);
    // Forgets a frame under way (after a hang-up or a quiet time).
    void reset() { have_ = 0; }

    // The frame last reported (any event but None, Ack and Nak), valid until the next byte:
    // the raw bytes from STX on, and its payload.
    const uint8_t *frame() const { return raw_.data(); }
    size_t frame_size() const { return reported_; }
    const uint8_t *payload() const { return raw_.data() + zemlo::wire::kFramePayloadOffset; }
    size_t payload_size() const { return payload_size_; }

  private:
    std::array<uint8_t, zemlo::wire::kMaxReceivedPayload + zemlo::wire::kFrameOverhead> raw_{};
    size_t have_ = 0;          // bytes of the frame under way; 0 between frames
    size_t payload_size_ = 0;  // what its LEN byte announced
    size_t reported_ = 0;
};

}  // namespace handsim
