#include "segment_codec.h"

#include <algorithm>

#include "zemlo/byte_order.h"
#include "zemlo/signal_record.h"
#include "zemlo/wire/frame_format.h"

namespace handsim {

namespace wire = zemlo::wire;

namespace {
using wire::kSegmentHeaderBytes;
constexpr size_t kFirstHeaderBytes = wire::kFirstSegmentHeaderBytes;
constexpr size_t kLaterSegmentBytes = wire::kSegmentMessageBytes;
constexpr size_t kLongHeaderReceiverOffset = 1;
}  // namespace

std::optional<SignalMessage> parse_signal_message(const Bytes &m) {
    if (m.size() < zemlo::kSigBodyOffset) {
        return std::nullopt;
    }
    SignalMessage s;
    s.sender = m[zemlo::kSigSenderOffset];
    s.receiver = m[zemlo::kSigReceiverOffset];
    s.signal_id = zemlo::read_le16(&m[zemlo::kSigSignalIdOffset]);
    const size_t declared = zemlo::read_le16(&m[zemlo::kSigBodyLengthOffset]);
    const size_t present = m.size() - zemlo::kSigBodyOffset;
    if (declared > present) {
        return std::nullopt;
    }
    s.body.assign(m.begin() + zemlo::kSigBodyOffset,
                  m.begin() + static_cast<std::ptrdiff_t>(zemlo::kSigBodyOffset + declared));
    return s;
}

void SegmentAssembler::reset() {
    in_message_ = false;
    expected_ = 0;
    bytes_.clear();
}

SegmentAssembler::Verdict SegmentAssembler::push(const uint8_t *payload, size_t size,
                                                 std::optional<PcMessage> *complete) {
    if (complete != nullptr) {
        complete->reset();
    }
    if (payload == nullptr || size < kSegmentHeaderBytes) {
        return Verdict::Refused;
    }
    const uint8_t type = payload[0];
    const uint8_t sequence = payload[1];
    const uint8_t *data = payload + kSegmentHeaderBytes;
    size_t count = size - kSegmentHeaderBytes;

    // A segment numbered 0, or a last segment outside a message, starts one. A last segment that
    // does not complete the message under way but carries its own matching length header is a
    // message of one segment: the PC gave up on the earlier one after a failed frame.
    const bool completes = in_message_ && bytes_.size() + count == expected_;
    const bool self_sized =
        size >= kFirstHeaderBytes &&
        zemlo::read_be16(&payload[wire::kMessageLengthOffset]) == size - kFirstHeaderBytes;
    const bool first = type == wire::kSegmentCommand ||
                       (type == wire::kSegmentSignal && sequence == 0) ||
                       (type == wire::kSegmentSignal && sequence == wire::kLastSequence &&
                        (!in_message_ || (!completes && self_sized)));
    if (first) {
        if (type != wire::kSegmentSignal && type != wire::kSegmentCommand) {
            return Verdict::Ignored;
        }
        if (size < kFirstHeaderBytes) {
            reset();
            return Verdict::Refused;
        }
        // A new first segment abandons whatever was being assembled: the PC gave up on it.
        reset();
        in_message_ = true;
        form_ = type == wire::kSegmentCommand ? PcMessage::Form::Command : PcMessage::Form::Signal;
        expected_ = zemlo::read_be16(&payload[wire::kMessageLengthOffset]);
        data = payload + kFirstHeaderBytes;
        count = size - kFirstHeaderBytes;
        if (expected_ == 0 || expected_ > kMaxMessageBytes ||
            (type == wire::kSegmentCommand && sequence != wire::kLastSequence)) {
            reset();
            return Verdict::Refused;
        }
    } else if (!in_message_) {
        return type == wire::kSegmentSignal ? Verdict::Refused : Verdict::Ignored;
    } else if (type != wire::kSegmentSignal || count > kLaterSegmentBytes) {
        reset();
        return Verdict::Refused;
    }

    if (bytes_.size() + count > expected_) {
        reset();
        return Verdict::Refused;
    }
    bytes_.insert(bytes_.end(), data, data + count);
    if (sequence != wire::kLastSequence) {
        return Verdict::Accepted;
    }
    if (bytes_.size() != expected_) {
        reset();
        return Verdict::Refused;
    }
    if (complete != nullptr) {
        *complete = PcMessage{form_, std::move(bytes_)};
    }
    reset();
    return Verdict::Accepted;
}

Bytes long_header_message(uint8_t sender, uint8_t receiver, uint16_t signal_id, const uint8_t *body,
                          size_t body_size) {
    Bytes message(zemlo::kLongBodyOffset + body_size, 0);
    message[zemlo::kLongSenderOffset] = sender;
    message[kLongHeaderReceiverOffset] = receiver;
    zemlo::write_le16(&message[zemlo::kLongBodyLengthOffset], static_cast<uint16_t>(body_size));
    zemlo::write_le16(&message[zemlo::kLongSignalIdOffset], signal_id);
    for (size_t i = 0; i < body_size; ++i) {
        message[zemlo::kLongBodyOffset + i] = body[i];
    }
    return message;
}

std::vector<Bytes> split_long_header(const Bytes &message) {
    std::vector<Bytes> segments;
    size_t pos = 0;
    uint8_t sequence = 0;
    while (pos < message.size()) {
        const size_t n = std::min(kLaterSegmentBytes, message.size() - pos);
        const bool last = pos + n == message.size();
        Bytes seg;
        seg.reserve(kSegmentHeaderBytes + n);
        seg.push_back(wire::kSegmentLongHeader);
        seg.push_back(last ? wire::kLastSequence : sequence++);
        seg.insert(seg.end(), message.begin() + static_cast<std::ptrdiff_t>(pos),
                   message.begin() + static_cast<std::ptrdiff_t>(pos + n));
        segments.push_back(std::move(seg));
        pos += n;
    }
    return segments;
}

std::vector<Bytes> long_header_segments(uint8_t sender, uint8_t receiver, uint16_t signal_id,
                                        const uint8_t *body, size_t body_size) {
    return split_long_header(long_header_message(sender, receiver, signal_id, body, body_size));
}

}  // namespace handsim
