// Variable-length numbers of MIDI files: 7 bits per byte, most significant group first, a set top
// bit meaning another byte follows. Reading is bounded by the caller's end offset and by the
// longest number this system accepts; writing uses the fewest bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace zemlo::media {

inline constexpr size_t kMaxVarLenBytes = 5;
inline constexpr uint8_t kVarLenMore = 0x80;
inline constexpr uint8_t kVarLenBits = 0x7F;
inline constexpr int kVarLenShift = 7;

struct VarLen {
    uint32_t value;
    size_t size;  // bytes read
};

// Reads the number at data[pos]. A fifth byte ends the number whatever its top bit says; groups
// beyond 32 bits are shifted out, as a 32-bit reader does. nullopt when the number runs into end.
inline std::optional<VarLen> read_varlen(const uint8_t *data, size_t pos, size_t end) {
    uint32_t value = 0;
    for (size_t i = 0; i < kMaxVarLenBytes; ++i) {
        if (pos + i >= end) {
            return std::nullopt;
        }
        const uint8_t b = data[pos + i];
        value = (value << kVarLenShift) | (b & kVarLenBits);
        if ((b & kVarLenMore) == 0 || i + 1 == kMaxVarLenBytes) {
            return VarLen{value, i + 1};
        }
    }
    return std::nullopt;  // not reached
}

// Writes value into out (room for kMaxVarLenBytes) and returns the number of bytes written.
inline size_t write_varlen(uint32_t value, uint8_t *out) {
    uint8_t groups[kMaxVarLenBytes];
    size_t n = 0;
    do {
        groups[n++] = static_cast<uint8_t>(value & kVarLenBits);
        value >>= kVarLenShift;
    } while (value != 0);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t more = i + 1 < n ? kVarLenMore : 0;
        out[i] = static_cast<uint8_t>(groups[n - 1 - i] | more);
    }
    return n;
}

}  // namespace zemlo::media
