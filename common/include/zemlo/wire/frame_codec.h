// Writing a frame of the handset link: the one encoder both ends use. Receiving is each end's
// own business (see frame_format.h for why).
#pragma once

#include <cstddef>
#include <cstdint>

#include "zemlo/wire/frame_format.h"

namespace zemlo::wire {

// XOR checksum of a frame: STX's value, then LEN, then every payload byte. A LEN of 0 (256 bytes)
// enters the checksum as the byte 0, which is what the low byte of count gives.
inline uint8_t frame_checksum(const uint8_t *payload, size_t count) {
    uint8_t sum = kStx ^ static_cast<uint8_t>(count);
    for (size_t i = 0; i < count; ++i) {
        sum ^= payload[i];
    }
    return sum;
}

// Writes the complete frame for 1..255 payload bytes into out (count + 4 bytes); returns its size,
// or 0 when count is out of range.
inline size_t encode_frame(const uint8_t *payload, size_t count, uint8_t *out) {
    if (count == 0 || count > kMaxFramePayload) {
        return 0;
    }
    out[0] = kStx;
    out[kFrameLengthOffset] = static_cast<uint8_t>(count);
    for (size_t i = 0; i < count; ++i) {
        out[kFramePayloadOffset + i] = payload[i];
    }
    out[kFramePayloadOffset + count] = frame_checksum(payload, count);
    out[kFramePayloadOffset + count + 1] = kEtx;
    return count + kFrameOverhead;
}

}  // namespace zemlo::wire
