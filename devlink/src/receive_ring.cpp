#include "receive_ring.h"

#include <algorithm>
#include <cstring>

#include <zemlo/byte_order.h>

#include "frame_receiver.h"

namespace handlink {
namespace {

// The first segment of a long-header message carries the message's body length at payload
// offset 14 (message offset 12); the record's length is that plus the 16-byte header.
constexpr size_t kLongBodyLengthInPayload = kSegmentHeaderBytes + zemlo::kLongBodyLengthOffset;
constexpr size_t kLongHeaderBytes = zemlo::kLongBodyOffset;

size_t next_index(size_t index) {
    return (index + 1) % kRingSlots;
}

}  // namespace

void ReceiveRing::reset() {
    write_index_.store(0);
    read_index_.store(0);
    start_of_message_ = true;
    write_position_ = 0;
    last_completed_ = nullptr;
}

bool ReceiveRing::full() const {
    return next_index(write_index_.load(std::memory_order_relaxed)) ==
           read_index_.load(std::memory_order_acquire);
}

size_t ReceiveRing::waiting() const {
    const size_t w = write_index_.load(std::memory_order_acquire);
    const size_t r = read_index_.load(std::memory_order_acquire);
    return (w + kRingSlots - r) % kRingSlots;
}

size_t ReceiveRing::last_completed_size() const {
    if (last_completed_ == nullptr) {
        return 0;
    }
    const size_t length = zemlo::read_le16(last_completed_ + zemlo::kRecordLengthOffset);
    return zemlo::kRecordHeadBytes + std::min(length, kSlotMessageBytes);
}

void ReceiveRing::store(const uint8_t *payload, size_t size) {
    // Every segment advances the message by a full 253 bytes; what a short frame does not fill is
    // zeroed, so no byte of an earlier message shows through.
    uint8_t *at = slots_[write_index_.load(std::memory_order_relaxed)] + zemlo::kRecordHeadBytes +
                  write_position_;
    const size_t count = std::min(size - kSegmentHeaderBytes, kReceivedSegmentBytes);
    std::memcpy(at, payload + kSegmentHeaderBytes, count);
    std::memset(at + count, 0, kReceivedSegmentBytes - count);
    write_position_ += kReceivedSegmentBytes;
}

ReceiveRing::Verdict ReceiveRing::accept_segment(const uint8_t *payload, size_t size) {
    if (size < kSegmentHeaderBytes) {
        return Verdict::Refused;  // not even a type and a sequence byte
    }
    uint8_t *slot = slots_[write_index_.load(std::memory_order_relaxed)];
    if (start_of_message_) {
        uint32_t kind = 0;
        size_t length = 0;
        if (payload[0] == kSegmentSignal) {
            kind = zemlo::kKindSignal;
            length = kReceivedSignalLength;
        } else if (payload[0] == kSegmentLongHeader) {
            kind = zemlo::kKindLongHeader;
            const size_t body = size >= kLongBodyLengthInPayload + 2
                                    ? zemlo::read_le16(payload + kLongBodyLengthInPayload)
                                    : 0;
            length = std::min(body + kLongHeaderBytes, kSlotMessageBytes);
        } else {
            return Verdict::Dropped;
        }
        zemlo::write_le32(slot + zemlo::kRecordReservedOffset, 0);
        zemlo::write_le32(slot + zemlo::kRecordKindOffset, kind);
        zemlo::write_le16(slot + zemlo::kRecordLengthOffset, static_cast<uint16_t>(length));
        write_position_ = 0;
    }
    if (write_position_ + kReceivedSegmentBytes > kSlotMessageBytes) {
        // More than a slot holds: refuse the segment and give up the message. The handset, like
        // our own sender, does not resend after a NAK, so its next frame starts a new message.
        start_of_message_ = true;
        return Verdict::Refused;
    }
    if (payload[1] != kLastSequence) {
        store(payload, size);
        start_of_message_ = false;
        return Verdict::Accepted;
    }
    if (full()) {
        // Nothing changes, so the same last segment sent again can still complete the message.
        return Verdict::Refused;
    }
    store(payload, size);
    start_of_message_ = true;
    last_completed_ = slot;
    write_index_.store(next_index(write_index_.load(std::memory_order_relaxed)),
                       std::memory_order_release);
    return Verdict::Completed;
}

size_t ReceiveRing::fetch(uint8_t *dest, size_t capacity) {
    const size_t r = read_index_.load(std::memory_order_relaxed);
    if (capacity == 0 || r == write_index_.load(std::memory_order_acquire)) {
        return 0;
    }
    const uint8_t *slot = slots_[r];
    const size_t length = zemlo::read_le16(slot + zemlo::kRecordLengthOffset);
    const size_t total = zemlo::kRecordHeadBytes + std::min(length, kSlotMessageBytes);
    const size_t count = std::min(total, capacity);
    std::memcpy(dest, slot, count);
    read_index_.store(next_index(r), std::memory_order_release);
    return count;
}

}  // namespace handlink
