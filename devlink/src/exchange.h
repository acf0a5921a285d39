// The send-and-wait routine behind every request: discard what arrived before, send the request
// through the device worker, then wait for the confirmation and copy its body to the caller.
#pragma once

#include <cstddef>
#include <cstdint>

namespace handlink {

class Library;

// A request waits at most this many timeouts in all, however many unrelated messages arrive.
inline constexpr int kMaxWaitTimeouts = 8;

struct ExchangeRequest {
    uint8_t sender = 0;
    uint8_t receiver = 0;
    size_t body_length = 0;
    uint16_t signal = 0;
    uint16_t confirmation = 0;  // 0: nothing awaited
};

// 0 (nothing awaited), 9 (no confirmation in time), HL_NO_WORKER, HL_BODY_TOO_LONG, or
// confirmation * 65536 + bytes copied into reply. Why the request's frame failed on the line, if
// it did, is kept for the calling thread (last_request_error).
int32_t exchange(Library &lib, const ExchangeRequest &request, const uint8_t *body, uint8_t *reply);

// Why the calling thread's last request got no confirmation, when the line rather than the
// handset was at fault: HL_STATUS_LINK_NOT_OPEN, HL_STATUS_LINK_NO_ACK, HL_STATUS_LINK_NAK or
// HL_STATUS_LINE_LOST; 0 otherwise (confirmed, a handset that stayed silent, or no request yet).
int32_t last_request_error();
// Forgets the reason, at the start of every request.
void clear_request_error();

}  // namespace handlink
