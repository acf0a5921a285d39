// A checked view of an uncompressed Windows bitmap file held in memory. Every offset the
// conversion will read (headers, palette, pixel rows) is proven to lie inside the bytes given
// before the view is handed out, so the converter itself needs no further checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace zemlo::display {

inline constexpr size_t kFileHeaderBytes = 14;
inline constexpr size_t kInfoHeaderBytes = 40;
inline constexpr uint16_t kBitmapMagic = 0x4D42;  // "BM"
inline constexpr uint32_t kCompressionNone = 0;
inline constexpr size_t kPaletteEntryBytes = 4;  // blue, green, red, reserved

struct BitmapView {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bits_per_pixel = 0;
    bool top_down = false;             // negative height: first stored row is the top one
    const uint8_t *palette = nullptr;  // kPaletteEntryBytes per entry
    uint32_t palette_entries = 0;      // entries actually present; indices past them are black
    const uint8_t *rows = nullptr;
    size_t row_stride = 0;  // bytes per stored row, padded to 4

    // The stored row that holds image row y (0 = top).
    const uint8_t *row(uint32_t y) const {
        const uint32_t stored = top_down ? y : height - 1 - y;
        return rows + static_cast<size_t>(stored) * row_stride;
    }
};

// Checks the bitmap in image[0, size) and returns a view of it, or the reason it is refused.
// Accepts 1, 2, 4, 8 and 24 bits per pixel, uncompressed, any info header of at least 40 bytes.
std::optional<BitmapView> view_bitmap(const uint8_t *image, size_t size, std::string *why);

}  // namespace zemlo::display
