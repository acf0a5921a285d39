// The handset picture file as it is stored on the handset and sent to it: width, height (one byte
// each), 0x03, 0x10, then two bytes a pixel (zemlo/rgb565.h), with every 0x00 byte sent as 0x01
// because the handset takes a 0x00 byte as the end of its data. The PC's converter writes it, the
// program previews it and the handset emulator shows it, all from this one description.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace zemlo::handset_picture {

inline constexpr uint8_t kKind = 0x03;
inline constexpr uint8_t kDepth = 0x10;
inline constexpr size_t kHeaderBytes = 4;
inline constexpr size_t kBytesPerPixel = 2;
inline constexpr uint8_t kZeroByte = 0x00;
inline constexpr uint8_t kZeroSentAs = 0x01;

struct Header {
    unsigned width = 0;
    unsigned height = 0;

    size_t pixel_bytes() const { return static_cast<size_t>(width) * height * kBytesPerPixel; }
    size_t file_bytes() const { return kHeaderBytes + pixel_bytes(); }
};

inline std::array<uint8_t, kHeaderBytes> header_bytes(uint8_t width, uint8_t height) {
    return {width, height, kKind, kDepth};
}

// The header of a file of `size` bytes: empty when it is shorter than a header, names a zero
// width or height, or has another kind or depth. Whether the pixels are all there is the caller's
// question (file_bytes()).
inline std::optional<Header> read_header(const uint8_t *file, size_t size) {
    if (file == nullptr || size < kHeaderBytes || file[0] == 0 || file[1] == 0 ||
        file[2] != kKind || file[3] != kDepth) {
        return std::nullopt;
    }
    return Header{file[0], file[1]};
}

// A pixel byte as the handset receives it.
inline constexpr uint8_t as_sent(uint8_t byte) {
    return byte == kZeroByte ? kZeroSentAs : byte;
}

}  // namespace zemlo::handset_picture
