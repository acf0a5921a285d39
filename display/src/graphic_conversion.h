// The driver's conversion of a checked bitmap into its graphic layout (zemlo/driver_graphic.h) at
// 16 bits per pixel: RGB565 pixels, low byte first, rows top to bottom.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bitmap_view.h"

namespace zemlo::display {

inline constexpr int32_t kSupportedDepth = 16;

// Bytes the graphic needs, or 0 when a side does not fit its byte. The answer may exceed
// 16 bits; such a graphic cannot be described by its size field and convert() refuses it.
uint32_t graphic_bytes(const BitmapView &bitmap);

// Writes exactly graphic_bytes(bitmap) bytes to graphic. False (nothing written) when the
// bitmap cannot be described by the layout.
bool convert(const BitmapView &bitmap, uint8_t *graphic);

}  // namespace zemlo::display
