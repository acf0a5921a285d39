#include "frame_reader.h"

#include "zemlo/wire/frame_codec.h"

namespace handsim {

namespace wire = zemlo::wire;

FrameReader::Event FrameReader::take(uint8_t byte) {
    if (have_ == 0) {
        if (byte == wire::kStx) {
            raw_[have_++] = byte;
        }
        return byte == wire::kAck ? Event::Ack : byte == wire::kNak ? Event::Nak : Event::None;
    }
    raw_[have_++] = byte;
    if (have_ == wire::kFramePayloadOffset) {
        // LEN counts from 1; a LEN of 0 announces the 256 bytes that fill the buffer.
        payload_size_ = byte == 0 ? wire::kMaxReceivedPayload : byte;
        return Event::None;
    }
    const size_t checksum_end = wire::kFramePayloadOffset + payload_size_ + 1;
    if (have_ < checksum_end) {
        return Event::None;
    }
    if (have_ == checksum_end) {
        if (byte == wire::frame_checksum(payload(), payload_size_)) {
            return Event::None;
        }
        reported_ = have_;
        have_ = 0;
        return Event::BadChecksum;
    }
    reported_ = have_;
    have_ = 0;
    return byte == wire::kEtx ? Event::Frame : Event::MissingEtx;
}

}  // namespace handsim
