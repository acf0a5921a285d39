#include "frame_receiver.h"

namespace handlink {

void FrameReceiver::reset() {
    state_ = State::Idle;
    checksum_ = 0;
    remaining_ = 0;
    size_ = 0;
    frame_size_ = 0;
}

FrameReceiver::Event FrameReceiver::push(uint8_t byte) {
    if (state_ != State::Idle) {
        frame_[frame_size_++] = byte;
    }
    switch (state_) {
        case State::Idle:
            if (byte == kStx) {
                checksum_ = kStx;
                size_ = 0;
                frame_[0] = byte;
                frame_size_ = 1;
                state_ = State::Length;
            } else if (byte == kAck) {
                return Event::Ack;
            } else if (byte == kNak) {
                return Event::Nak;
            }
            return Event::None;
        case State::Length:
            // The length is a count from 1: a length byte of 0 announces 256 payload bytes.
            remaining_ = byte == 0 ? kMaxReceivedPayload : byte;
            checksum_ ^= byte;
            state_ = State::Payload;
            return Event::None;
        case State::Payload:
            payload_[size_++] = byte;
            checksum_ ^= byte;
            if (--remaining_ == 0) {
                state_ = State::Checksum;
            }
            return Event::None;
        case State::Checksum:
            if (byte != checksum_) {
                state_ = State::Idle;
                return Event::BadChecksum;
            }
            state_ = State::End;
            return Event::None;
        case State::End:
            state_ = State::Idle;
            return byte == kEtx ? Event::Frame : Event::MissingEtx;
    }
    return Event::None;
}

}  // namespace handlink
