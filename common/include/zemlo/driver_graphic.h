// The display driver's graphic, the layout the driver writes a converted bitmap in and the picture
// converter turns into C source text: width and height (one byte each), the pixel bytes' count
// (16 bits, low byte first), the offset of the pixels (5), then two bytes a pixel, rows top to
// bottom. The driver writes it and the converter reads it, both from this one description.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "zemlo/byte_order.h"

namespace zemlo::driver_graphic {

inline constexpr size_t kHeaderBytes = 5;
inline constexpr size_t kImageSizeOffset = 2;
inline constexpr size_t kPixelOffsetOffset = 4;
inline constexpr uint8_t kPixelOffset = 5;          // the pixels follow the header at once
inline constexpr uint32_t kMaxSide = 255;           // width and height are single bytes
inline constexpr uint32_t kMaxImageBytes = 0xFFFF;  // the size field's 16 bits
inline constexpr size_t kBytesPerPixel = 2;

struct Header {
    unsigned width = 0;
    unsigned height = 0;
    unsigned image_bytes = 0;  // as the size field says

    size_t row_bytes() const { return static_cast<size_t>(width) * kBytesPerPixel; }
};

inline void write_header(uint8_t *graphic, uint8_t width, uint8_t height, uint16_t image_bytes) {
    graphic[0] = width;
    graphic[1] = height;
    write_le16(graphic + kImageSizeOffset, image_bytes);
    graphic[kPixelOffsetOffset] = kPixelOffset;
}

// The header of a graphic of `size` bytes; nothing when it is shorter than a header. Whether the
// pixels are all there is the caller's question.
inline std::optional<Header> read_header(const uint8_t *graphic, size_t size) {
    if (graphic == nullptr || size < kHeaderBytes) {
        return std::nullopt;
    }
    return Header{graphic[0], graphic[1], read_le16(graphic + kImageSizeOffset)};
}

}  // namespace zemlo::driver_graphic
