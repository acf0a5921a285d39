// The driver's conversion of a checked bitmap into the handset graphic layout at 16 bits per
// pixel: width, height, 16-bit image size, pixel offset 5, then RGB565 pixels (low byte first),
// rows top to bottom.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bitmap_view.h"

namespace zemlo::display {

inline constexpr size_t kGraphicHeaderBytes = 5;
inline constexpr uint8_t kGraphicPixelOffset = 5;
inline constexpr uint32_t kMaxGraphicSide = 255;  // width and height are single bytes
inline constexpr size_t kBytesPerPixel = 2;
inline constexpr int32_t kSupportedDepth = 16;

// Bytes the graphic needs, or 0 when a side does not fit its byte. The answer may exceed
// 16 bits; such a graphic cannot be described by its size field and convert() refuses it.
uint32_t graphic_bytes(const BitmapView &bitmap);

// Writes exactly graphic_bytes(bitmap) bytes to graphic. False (nothing written) when the
// bitmap cannot be described by the layout.
bool convert(const BitmapView &bitmap, uint8_t *graphic);

}  // namespace zemlo::display
