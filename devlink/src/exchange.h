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

// 0 (nothing awaited), 9 (timeout), the link's status when no confirmation came and the frame
// failed on the link (13, 17, 19), HL_NO_WORKER, HL_BODY_TOO_LONG, or confirmation * 65536 +
// bytes copied into reply.
int32_t exchange(Library &lib, const ExchangeRequest &request, const uint8_t *body, uint8_t *reply);

}  // namespace handlink
