// Pure pieces of the request/confirm exchange: the signal-form record a request goes out as, the
// test that tells a received record is the awaited confirmation (and copies its body), and the
// rule that picks the handset-initiated messages the program is to see.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "zemlo/signal_record.h"

namespace handlink {

// The request record holds this many body bytes; longer requests are refused unsent.
inline constexpr size_t kMaxRequestBody = 16386;
inline constexpr size_t kRequestRecordBytes =
    zemlo::kRecordHeadBytes + zemlo::kSigBodyOffset + kMaxRequestBody;
// The most a confirmation can carry: a ring slot's 10018 message bytes less the long header.
inline constexpr size_t kMaxReplyBytes = 10002;

// Writes a signal-form record (head, sender, receiver, body length, signal, body) into out, which
// holds kRequestRecordBytes. Returns the record's size, or 0 when body_length exceeds
// kMaxRequestBody.
size_t build_signal_record(uint8_t sender, uint8_t receiver, uint16_t signal, const uint8_t *body,
                           size_t body_length, uint8_t *out);

// Writes a command-form record of count raw bytes; returns its size (0 when too long).
size_t build_command_record(const uint8_t *bytes, size_t count, uint8_t *out, size_t capacity);

// When record (size bytes held) carries the signal `confirmation` (signal form: id at message
// offset 6; any other kind: id at offset 14), copies its body into reply (at most reply_capacity
// bytes, never beyond what the record holds) and returns confirmation * 65536 + bytes copied.
// nullopt when it is some other message.
std::optional<int32_t> match_confirmation(const uint8_t *record, size_t size, uint16_t confirmation,
                                          uint8_t *reply, size_t reply_capacity);

// True for the messages forwarded to the program: sender QNDLW_TASK_ID or TASK_FL_ID and the
// uint16 at message offset 14 is SIG_DOWNLOAD_DATA_IND or SIG_DLW_REMOTE_CMD_IND. The test looks
// at the long header's fields whatever the record's kind.
bool is_forwarded(const uint8_t *record, size_t size);

}  // namespace handlink
