// The handset picture file shown on the PC: its 16-bit pixels decoded back to colours, exactly
// as they will be sent (so black comes out as the 0x0101 the handset receives).
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

namespace zemlo::media {

// A null image when the bytes are not one whole handset picture.
QImage handset_picture_image(const std::vector<uint8_t> &file);

}  // namespace zemlo::media
