#include "graphic_conversion.h"

#include "zemlo/byte_order.h"
#include "zemlo/driver_graphic.h"
#include "zemlo/rgb565.h"

namespace zemlo::display {

namespace {

namespace graphic = driver_graphic;

constexpr size_t kBgrBytes = 3;

uint16_t palette_colour(const BitmapView &bitmap, uint32_t index) {
    if (index >= bitmap.palette_entries) {
        return 0;
    }
    const uint8_t *entry = bitmap.palette + static_cast<size_t>(index) * kPaletteEntryBytes;
    return rgb565::pack(entry[2], entry[1], entry[0]);
}

uint16_t pixel(const BitmapView &bitmap, const uint8_t *row, uint32_t x) {
    const uint16_t bits = bitmap.bits_per_pixel;
    if (bits == 24) {
        const uint8_t *p = row + static_cast<size_t>(x) * kBgrBytes;
        return rgb565::pack(p[2], p[1], p[0]);
    }
    // Palette indices are packed from the most significant bits of each byte.
    const uint32_t bit = x * bits;
    const uint32_t shift = 8 - bits - (bit % 8);
    const uint32_t mask = (1u << bits) - 1;
    return palette_colour(bitmap, (row[bit / 8] >> shift) & mask);
}

}  // namespace

uint32_t graphic_bytes(const BitmapView &bitmap) {
    if (bitmap.width > graphic::kMaxSide || bitmap.height > graphic::kMaxSide) {
        return 0;
    }
    return static_cast<uint32_t>(graphic::kHeaderBytes +
                                 bitmap.width * bitmap.height * graphic::kBytesPerPixel);
}

bool convert(const BitmapView &bitmap, uint8_t *out) {
    const uint32_t total = graphic_bytes(bitmap);
    if (total == 0 || total - graphic::kHeaderBytes > graphic::kMaxImageBytes) {
        return false;
    }
    graphic::write_header(out, static_cast<uint8_t>(bitmap.width),
                          static_cast<uint8_t>(bitmap.height),
                          static_cast<uint16_t>(total - graphic::kHeaderBytes));
    uint8_t *pixels = out + graphic::kHeaderBytes;
    for (uint32_t y = 0; y < bitmap.height; ++y) {
        const uint8_t *row = bitmap.row(y);
        for (uint32_t x = 0; x < bitmap.width; ++x) {
            write_le16(pixels, pixel(bitmap, row, x));
            pixels += graphic::kBytesPerPixel;
        }
    }
    return true;
}

}  // namespace zemlo::display
