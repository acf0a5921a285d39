#include "bitmap_view.h"

#include <limits>

#include "zemlo/byte_order.h"

namespace zemlo::display {

namespace {

constexpr size_t kMagicOffset = 0;
constexpr size_t kPixelOffsetField = 10;
constexpr size_t kInfoSizeField = 14;
constexpr size_t kWidthField = 18;
constexpr size_t kHeightField = 22;
constexpr size_t kBitsField = 28;
constexpr size_t kCompressionField = 30;
constexpr size_t kColoursUsedField = 46;
constexpr uint32_t kRowAlignBits = 32;
constexpr uint32_t kRowAlignBytes = 4;

bool refuse(std::string *why, const char *reason) {
    if (why != nullptr) {
        *why = reason;
    }
    return false;
}

bool supported_depth(uint16_t bits) {
    return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 24;
}

}  // namespace

std::optional<BitmapView> view_bitmap(const uint8_t *image, size_t size, std::string *why) {
    if (image == nullptr || size < kFileHeaderBytes + kInfoHeaderBytes) {
        refuse(why, "bitmap shorter than its headers");
        return std::nullopt;
    }
    if (read_le16(image + kMagicOffset) != kBitmapMagic) {
        refuse(why, "not a bitmap file");
        return std::nullopt;
    }
    const uint32_t info_size = read_le32(image + kInfoSizeField);
    if (info_size < kInfoHeaderBytes || info_size > size - kFileHeaderBytes) {
        refuse(why, "info header size out of range");
        return std::nullopt;
    }
    if (read_le32(image + kCompressionField) != kCompressionNone) {
        refuse(why, "compressed bitmap");
        return std::nullopt;
    }
    BitmapView view;
    view.bits_per_pixel = read_le16(image + kBitsField);
    if (!supported_depth(view.bits_per_pixel)) {
        refuse(why, "unsupported bits per pixel");
        return std::nullopt;
    }
    const auto width = static_cast<int32_t>(read_le32(image + kWidthField));
    const auto height = static_cast<int32_t>(read_le32(image + kHeightField));
    if (width <= 0 || height == 0 || height == std::numeric_limits<int32_t>::min()) {
        refuse(why, "bitmap dimensions out of range");
        return std::nullopt;
    }
    view.width = static_cast<uint32_t>(width);
    view.top_down = height < 0;
    view.height = static_cast<uint32_t>(height < 0 ? -height : height);

    // Widths are bounded by the 32-bit field, so the product fits 64 bits.
    const uint64_t row_bits = static_cast<uint64_t>(view.width) * view.bits_per_pixel;
    const uint64_t stride = (row_bits + kRowAlignBits - 1) / kRowAlignBits * kRowAlignBytes;
    const uint64_t pixel_offset = read_le32(image + kPixelOffsetField);
    const uint64_t header_end = kFileHeaderBytes + static_cast<uint64_t>(info_size);
    if (pixel_offset < header_end || pixel_offset > size ||
        stride * view.height > size - pixel_offset) {
        refuse(why, "pixel rows run past the end of the bitmap");
        return std::nullopt;
    }
    view.row_stride = static_cast<size_t>(stride);
    view.rows = image + pixel_offset;

    if (view.bits_per_pixel <= 8) {
        const uint32_t full = 1u << view.bits_per_pixel;
        uint32_t wanted = read_le32(image + kColoursUsedField);
        if (wanted == 0 || wanted > full) {
            wanted = full;
        }
        // The palette sits between the info header and the rows; a short one is read as far
        // as it goes and missing colours are black.
        const uint64_t room = (pixel_offset - header_end) / kPaletteEntryBytes;
        view.palette_entries = static_cast<uint32_t>(room < wanted ? room : wanted);
        view.palette = image + header_end;
    }
    return view;
}

}  // namespace zemlo::display
