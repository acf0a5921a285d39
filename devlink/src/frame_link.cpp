#include "frame_link.h"

#include <chrono>
#include <cstring>
#include <thread>

#include <zemlo/byte_order.h>
#include <zemlo/signal_record.h>

#include "time_scale.h"

namespace handlink {
namespace {

// A signal-form record may take at most 255 segments (sequence 0 to 254, then 0xFF), so that no
// segment but the last ever carries the sequence number 0xFF.
constexpr size_t kMaxSequencedSegments = 255;
constexpr size_t kMaxSignalMessage =
    kFirstSegmentBytes + (kMaxSequencedSegments - 1) * kLaterSegmentBytes;
constexpr auto kAckWait = std::chrono::milliseconds(kAckWaitPolls * kAckPollMs);

void settle_after_answer() {
    std::this_thread::sleep_for(std::chrono::milliseconds(kAnswerSettleMs));
}

}  // namespace

FrameLink::~FrameLink() {
    link_close();
}

void FrameLink::reset_state() {
    receiver_.reset();
    ring_.reset();
    {
        std::lock_guard lock(answer_mutex_);
        ack_received_ = false;
        nak_received_ = false;
    }
    std::lock_guard lock(line_mutex_);
    sending_ = false;
    ack_pending_ = false;
    nak_pending_ = false;
}

int32_t FrameLink::link_open(uint32_t port_number, uint32_t baud) {
    if (is_open()) {
        return kSerialNotOpened;
    }
    reset_state();
    port_.set_lost_handler(&FrameLink::on_lost, this);
    const int32_t status = port_.open(port_number, baud, &FrameLink::on_byte, this);
    if (status == kSerialOk) {
        open_.store(true, std::memory_order_release);
    }
    return status;
}

void FrameLink::link_close() {
    if (open_.exchange(false)) {
        port_.close();
    }
}

void FrameLink::set_arrival_callback(void (*callback)(void *context), void *context) {
    std::lock_guard lock(callback_mutex_);
    arrival_callback_ = callback;
    arrival_context_ = context;
}

void FrameLink::set_lost_callback(void (*callback)(void *context), void *context) {
    std::lock_guard lock(callback_mutex_);
    lost_callback_ = callback;
    lost_context_ = context;
}

void FrameLink::on_lost(void *context) {
    auto *self = static_cast<FrameLink *>(context);
    { std::lock_guard lock(self->answer_mutex_); }
    self->answer_arrived_.notify_all();
    std::lock_guard lock(self->callback_mutex_);
    if (self->lost_callback_ != nullptr) {
        self->lost_callback_(self->lost_context_);
    }
}

void FrameLink::set_observer(LinkObserver *observer) {
    observer_.store(observer);
}

size_t FrameLink::fetch_record(uint8_t *dest, size_t capacity) {
    if (!is_open()) {
        return 0;
    }
    return ring_.fetch(dest, capacity);
}

int32_t FrameLink::send_record(const uint8_t *record, size_t size, bool *last_frame_written) {
    if (last_frame_written != nullptr) {
        *last_frame_written = false;
    }
    if (!is_open()) {
        return kLinkNotOpen;
    }
    if (size < zemlo::kRecordHeadBytes) {
        return kLinkBadRecord;
    }
    const uint32_t kind = zemlo::read_le32(record + zemlo::kRecordKindOffset);
    if (kind != zemlo::kKindSignal && kind != zemlo::kKindCommand) {
        return kLinkOk;  // only signal and command records travel from the PC
    }
    const size_t length = zemlo::read_le16(record + zemlo::kRecordLengthOffset);
    if (length > size - zemlo::kRecordHeadBytes) {
        return kLinkBadRecord;
    }
    const size_t limit = kind == zemlo::kKindCommand ? kFirstSegmentBytes : kMaxSignalMessage;
    if (length > limit) {
        return kLinkBadRecord;
    }
    if (LinkObserver *observer = observer_.load()) {
        observer->record(Direction::ToHandset, record, zemlo::kRecordHeadBytes + length);
    }
    const uint8_t *message = record + zemlo::kRecordHeadBytes;
    const uint8_t type = kind == zemlo::kKindCommand ? kSegmentCommand : kSegmentSignal;

    uint8_t segment[kMaxFramePayload];
    size_t offset = 0;
    uint8_t sequence = 0;
    for (bool first = true;; first = false) {
        const size_t room = first ? kFirstSegmentBytes : kLaterSegmentBytes;
        const size_t left = length - offset;
        const bool last = left <= room;
        const size_t take = last ? left : room;
        size_t at = 0;
        segment[at++] = type;
        segment[at++] = last ? kLastSequence : sequence;
        if (first) {
            zemlo::write_be16(segment + at, static_cast<uint16_t>(length));
            at = zemlo::wire::kFirstSegmentHeaderBytes;
        }
        if (take > 0) {
            std::memcpy(segment + at, message + offset, take);
        }
        at += take;
        const int32_t status = send_frame(segment, at);
        if (last && last_frame_written != nullptr) {
            // Written, whatever came back: its ACK may be what was lost.
            *last_frame_written = status != kLinkNotOpen;
        }
        if (status != kLinkOk || last) {
            return status;
        }
        offset += take;
        ++sequence;
    }
}

int32_t FrameLink::send_frame(const uint8_t *payload, size_t count) {
    if (!is_open()) {
        return kLinkNotOpen;
    }
    uint8_t frame[kMaxFramePayload + kFrameOverhead];
    const size_t frame_size = encode_frame(payload, count, frame);
    {
        // Cleared before the first byte goes out: an answer that overtakes our own writing
        // still counts.
        std::lock_guard lock(answer_mutex_);
        ack_received_ = false;
        nak_received_ = false;
    }
    bool written = false;
    {
        std::lock_guard lock(line_mutex_);
        sending_ = true;
        written = port_.write(frame, frame_size);
    }
    LinkObserver *observer = observer_.load();
    if (observer != nullptr) {
        observer->frame(Direction::ToHandset, frame, frame_size, written);
    }

    int32_t result = kLinkNoAck;
    if (written) {
        std::unique_lock lock(answer_mutex_);
        answer_arrived_.wait_for(lock, scaled(kAckWait), [this] {
            return ack_received_ || nak_received_ || port_.line_lost();
        });
        if (ack_received_) {
            ack_received_ = false;
            result = kLinkOk;
        } else if (nak_received_) {
            nak_received_ = false;
            result = kLinkNak;
        }
    }

    // Now the answers owed to the handset for frames that came in meanwhile.
    std::lock_guard lock(line_mutex_);
    if (ack_pending_) {
        port_.write_byte(kAck);
        if (observer != nullptr) {
            observer->ack(Direction::ToHandset);
        }
        ack_pending_ = false;
        settle_after_answer();
    }
    if (nak_pending_) {
        port_.write_byte(kNak);
        if (observer != nullptr) {
            observer->nak(Direction::ToHandset);
        }
        settle_after_answer();
        nak_pending_ = false;
    }
    sending_ = false;
    return result;
}

void FrameLink::answer(uint8_t byte) {
    {
        std::lock_guard lock(line_mutex_);
        if (sending_) {
            (byte == kAck ? ack_pending_ : nak_pending_) = true;
            return;
        }
        port_.write_byte(byte);
    }
    if (LinkObserver *observer = observer_.load()) {
        if (byte == kAck) {
            observer->ack(Direction::ToHandset);
        } else {
            observer->nak(Direction::ToHandset);
        }
    }
    settle_after_answer();
}

void FrameLink::on_byte(void *context, uint8_t byte) {
    static_cast<FrameLink *>(context)->receive_byte(byte);
}

void FrameLink::receive_byte(uint8_t byte) {
    const FrameReceiver::Event event = receiver_.push(byte);
    if (event == FrameReceiver::Event::None) {
        return;
    }
    LinkObserver *observer = observer_.load();
    switch (event) {
        case FrameReceiver::Event::Ack:
        case FrameReceiver::Event::Nak: {
            const bool ack = event == FrameReceiver::Event::Ack;
            {
                std::lock_guard lock(answer_mutex_);
                (ack ? ack_received_ : nak_received_) = true;
            }
            answer_arrived_.notify_one();
            if (observer != nullptr) {
                if (ack) {
                    observer->ack(Direction::FromHandset);
                } else {
                    observer->nak(Direction::FromHandset);
                }
            }
            return;
        }
        case FrameReceiver::Event::BadChecksum:
        case FrameReceiver::Event::MissingEtx:
            if (observer != nullptr) {
                observer->frame(Direction::FromHandset, receiver_.frame(), receiver_.frame_size(),
                                false);
            }
            answer(kNak);
            return;
        case FrameReceiver::Event::Frame:
            break;
        case FrameReceiver::Event::None:
            return;
    }
    if (observer != nullptr) {
        observer->frame(Direction::FromHandset, receiver_.frame(), receiver_.frame_size(), true);
    }
    const ReceiveRing::Verdict verdict =
        ring_.accept_segment(receiver_.payload(), receiver_.payload_size());
    if (verdict == ReceiveRing::Verdict::Completed) {
        if (observer != nullptr) {
            observer->record(Direction::FromHandset, ring_.last_completed(),
                             ring_.last_completed_size());
        }
        void (*callback)(void *) = nullptr;
        void *callback_context = nullptr;
        {
            std::lock_guard lock(callback_mutex_);
            callback = arrival_callback_;
            callback_context = arrival_context_;
        }
        if (callback != nullptr) {
            callback(callback_context);
        }
    }
    answer(verdict == ReceiveRing::Verdict::Refused ? kNak : kAck);
}

}  // namespace handlink
