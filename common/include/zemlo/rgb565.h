// The handset's 16-bit pixel: RGB565, stored low byte first. The display driver encodes with
// it and everything that shows handset pictures on the PC decodes with it.
#pragma once

#include <cstdint>

namespace zemlo::rgb565 {

inline constexpr int kRedShift = 11;
inline constexpr int kGreenShift = 5;
inline constexpr uint16_t kFiveBits = 0x1F;
inline constexpr uint16_t kSixBits = 0x3F;

inline constexpr uint16_t pack(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<uint16_t>(((red >> 3) << kRedShift) | ((green >> 2) << kGreenShift) |
                                 (blue >> 3));
}

struct Rgb {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

// Widens each channel back to 8 bits by repeating its high bits, so white stays white.
inline constexpr Rgb unpack(uint16_t value) {
    const auto r = static_cast<uint8_t>((value >> kRedShift) & kFiveBits);
    const auto g = static_cast<uint8_t>((value >> kGreenShift) & kSixBits);
    const auto b = static_cast<uint8_t>(value & kFiveBits);
    return {static_cast<uint8_t>((r << 3) | (r >> 2)), static_cast<uint8_t>((g << 2) | (g >> 4)),
            static_cast<uint8_t>((b << 3) | (b >> 2))};
}

inline constexpr uint16_t from_bytes(uint8_t first, uint8_t second) {
    return static_cast<uint16_t>(first | (second << 8));
}

}  // namespace zemlo::rgb565
