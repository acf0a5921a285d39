#include "request_record.h"

#include <algorithm>
#include <cstring>

#include "zemlo/byte_order.h"
#include "zemlo/handset_records.h"

namespace handlink {
namespace {

using namespace zemlo;

constexpr unsigned kSignalIdShift = 16;

// Message bytes the record really holds: its length field, cut to what was given.
size_t held_message_bytes(const uint8_t *record, size_t size) {
    if (size < kRecordHeadBytes) {
        return 0;
    }
    return std::min<size_t>(read_le16(record + kRecordLengthOffset), size - kRecordHeadBytes);
}

}  // namespace

size_t build_signal_record(uint8_t sender, uint8_t receiver, uint16_t signal, const uint8_t *body,
                           size_t body_length, uint8_t *out) {
    if (body_length > kMaxRequestBody) {
        return 0;
    }
    const size_t length = kSigBodyOffset + body_length;
    std::memset(out, 0, kRecordHeadBytes + kSigBodyOffset);
    write_le32(out + kRecordKindOffset, kKindSignal);
    write_le16(out + kRecordLengthOffset, static_cast<uint16_t>(length));
    uint8_t *message = out + kRecordHeadBytes;
    message[kSigSenderOffset] = sender;
    message[kSigReceiverOffset] = receiver;
    write_le16(message + kSigBodyLengthOffset, static_cast<uint16_t>(body_length));
    write_le16(message + kSigSignalIdOffset, signal);
    if (body_length > 0) {
        std::memcpy(message + kSigBodyOffset, body, body_length);
    }
    return kRecordHeadBytes + length;
}

size_t build_command_record(const uint8_t *bytes, size_t count, uint8_t *out, size_t capacity) {
    if (capacity < kRecordHeadBytes || count > capacity - kRecordHeadBytes || count > UINT16_MAX) {
        return 0;
    }
    std::memset(out, 0, kRecordHeadBytes);
    write_le32(out + kRecordKindOffset, kKindCommand);
    write_le16(out + kRecordLengthOffset, static_cast<uint16_t>(count));
    std::memcpy(out + kRecordHeadBytes, bytes, count);
    return kRecordHeadBytes + count;
}

std::optional<int32_t> match_confirmation(const uint8_t *record, size_t size, uint16_t confirmation,
                                          uint8_t *reply, size_t reply_capacity) {
    if (size < kRecordHeadBytes) {
        return std::nullopt;
    }
    const size_t held = held_message_bytes(record, size);
    const uint8_t *message = record + kRecordHeadBytes;
    const bool signal_form = read_le32(record + kRecordKindOffset) == kKindSignal;
    const size_t id_offset = signal_form ? kSigSignalIdOffset : kLongSignalIdOffset;
    const size_t length_offset = signal_form ? kSigBodyLengthOffset : kLongBodyLengthOffset;
    const size_t body_offset = signal_form ? kSigBodyOffset : kLongBodyOffset;
    if (held < body_offset || read_le16(message + id_offset) != confirmation) {
        return std::nullopt;
    }
    const size_t copied = std::min({static_cast<size_t>(read_le16(message + length_offset)),
                                    held - body_offset, reply_capacity});
    if (copied > 0) {
        std::memcpy(reply, message + body_offset, copied);
    }
    return static_cast<int32_t>((static_cast<uint32_t>(confirmation) << kSignalIdShift) + copied);
}

bool is_forwarded(const uint8_t *record, size_t size) {
    if (held_message_bytes(record, size) < kLongBodyOffset) {
        return false;
    }
    const uint8_t *message = record + kRecordHeadBytes;
    const uint8_t sender = message[kLongSenderOffset];
    const uint16_t signal = read_le16(message + kLongSignalIdOffset);
    // The forwarding rule is fixed numbering, not looked up: it must work before the tables exist.
    return (sender == records::kQndlwTaskId || sender == records::kTaskFlId) &&
           (signal == records::kSigDownloadDataInd || signal == records::kSigDlwRemoteCmdInd);
}

}  // namespace handlink
