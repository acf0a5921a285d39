// Error diffusion to the handset's 16-bit colours. Cutting each channel to its top 5 or 6 bits
// turns a smooth gradient into visible bands; instead each pixel takes the nearest 16-bit colour
// and passes what it lost on to the pixels not yet visited (Floyd-Steinberg weights, rows
// alternating direction), so an area keeps its average colour. The result is an ordinary 24-bit
// picture whose every colour is one the handset shows exactly: its channels are the 16-bit
// values widened back to 8 bits as the handset does, which the display driver's truncation turns
// into the same 16-bit values again. Deterministic: the same picture gives the same bytes.
#pragma once

#include <QImage>

#include "picture_geometry.h"

namespace zemlo::media {

// The area with the pixels inside region dithered and those outside it left as they are.
QImage dither_to_rgb565(const QImage &area, const PixelRect &region);

}  // namespace zemlo::media
