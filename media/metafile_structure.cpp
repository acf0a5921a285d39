#include "metafile_structure.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "zemlo/byte_order.h"

namespace zemlo::media {

namespace {

constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmrEof = 14;
constexpr uint64_t kEmfRecordHead = 8;  // type and size
constexpr uint64_t kEmfHeaderBytes = 88;
constexpr uint64_t kEmfDescriptionCountOffset = 60;
constexpr uint64_t kEmfDescriptionOffsetOffset = 64;
constexpr uint64_t kEmfMillimetresOffset = 80;
// The header's optional fields, newer than the base header: the pixel format's size and offset
// and the OpenGL flag at 88..99, then the reference device's size in micrometres at 100..107.
constexpr uint64_t kEmfPixelFormatSizeOffset = 88;
constexpr uint64_t kEmfPixelFormatOffsetOffset = 92;
constexpr uint64_t kEmfPixelFormatFieldsEnd = 100;
constexpr uint64_t kEmfMicrometresOffset = 100;
constexpr uint64_t kEmfMicrometresFieldsEnd = 108;
constexpr int64_t kMicrometresPerMillimetre = 1000;
constexpr uint64_t kEmfEofPaletteCountOffset = 8;
constexpr uint64_t kEmfEofPaletteOffsetOffset = 12;
constexpr uint64_t kEmfEofBytes = 20;
constexpr uint64_t kPaletteEntryBytes = 4;
constexpr uint64_t kRecordAlignment = 4;

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint64_t kPlaceableHeaderBytes = 22;
constexpr uint64_t kWmfHeaderBytes = 18;
constexpr uint64_t kWmfFileWordsOffset = 6;
constexpr uint64_t kWmfMaxRecordOffset = 12;
constexpr uint64_t kWmfRecordHeadWords = 3;  // size in words and function
constexpr uint64_t kWmfFunctionOffset = 4;
constexpr uint16_t kWmfEof = 0x0000;
constexpr uint64_t kBytesPerWord = 2;

// Records that carry a device-independent bitmap, and where it starts after the record head.
struct BitmapRecord {
    uint16_t function;
    uint64_t bitmap_offset;
};
constexpr BitmapRecord kWmfBitmapRecords[] = {
    {0x0940, 16},  // DIBBITBLT: raster operation, source and destination
    {0x0B41, 20},  // DIBSTRETCHBLT: the same with both sizes
    {0x0F43, 22},  // STRETCHDIB: with the colour usage
    {0x0D33, 18},  // SETDIBTODEV: colour usage, scan lines, source and destination
    {0x0142, 4},   // DIBCREATEPATTERNBRUSH: style and colour usage
};
constexpr uint64_t kWmfRecordHeadBytes = 6;
constexpr uint64_t kCoreHeaderBytes = 12;  // the old header: 16-bit sizes
constexpr uint64_t kInfoHeaderBytes = 40;
constexpr uint32_t kUncompressed = 0;
constexpr uint32_t kBitfields = 3;
// A run-length encoded bitmap repeats one pixel at most 255 times for two bytes.
constexpr uint64_t kMaxRunLengthPixelsPerByte = 128;
constexpr uint64_t kMaxBitmapPixels = uint64_t{1} << 24;
constexpr uint64_t kMaxBitsPerPixel = 32;
constexpr uint64_t kMaxIndexedBits = 8;
constexpr uint64_t kMaxPaletteColours = 256;
constexpr uint64_t kInfoColoursOffset = 32;
constexpr uint64_t kCoreColourBytes = 3;
constexpr uint64_t kInfoColourBytes = 4;
constexpr uint64_t kBitfieldMaskBytes = 12;
constexpr uint64_t kBitsPerByte = 8;
constexpr uint64_t kRowAlignmentBits = 32;

uint8_t *data_of(QByteArray &bytes) {
    return reinterpret_cast<uint8_t *>(bytes.data());
}

// True when [offset, offset + length) lies inside [0, limit); the sums cannot overflow since
// every operand comes from a 32-bit field.
bool inside(uint64_t offset, uint64_t length, uint64_t limit) {
    return offset <= limit && length <= limit - offset;
}

// The bitmap inside a record: a header that fits, a size and a palette within bounds, and as
// many bytes as those need (the reader trusts the header for its allocations and its loops).
bool bitmap_sound(const uint8_t *bitmap, uint64_t available) {
    if (available < kCoreHeaderBytes) {
        return false;
    }
    const uint64_t header = read_le32(bitmap);
    uint64_t width = 0;
    uint64_t height = 0;
    uint64_t bits = 0;
    uint64_t colours = 0;  // 0: as many as the depth has
    uint64_t colour_bytes = kCoreColourBytes;
    uint32_t compression = kUncompressed;
    if (header == kCoreHeaderBytes) {
        width = read_le16(bitmap + 4);
        height = read_le16(bitmap + 6);
        bits = read_le16(bitmap + 10);
    } else if (header >= kInfoHeaderBytes && header <= available) {
        const auto w = static_cast<int32_t>(read_le32(bitmap + 4));
        const auto h = static_cast<int32_t>(read_le32(bitmap + 8));
        width = w < 0 ? 0 : static_cast<uint64_t>(w);
        height = static_cast<uint64_t>(std::llabs(int64_t{h}));  // negative: stored top-down
        bits = read_le16(bitmap + 14);
        compression = read_le32(bitmap + 16);
        colours = read_le32(bitmap + kInfoColoursOffset);
        colour_bytes = kInfoColourBytes;
    } else {
        return false;
    }
    if (width == 0 || height == 0 || bits == 0 || bits > kMaxBitsPerPixel ||
        width * height > kMaxBitmapPixels || colours > kMaxPaletteColours) {
        return false;
    }
    if (colours == 0 && bits <= kMaxIndexedBits) {
        colours = uint64_t{1} << bits;
    }
    uint64_t before_pixels = header + colours * colour_bytes;
    if (compression == kBitfields && header == kInfoHeaderBytes) {
        before_pixels += kBitfieldMaskBytes;
    }
    if (before_pixels > available) {
        return false;
    }
    const uint64_t pixel_bytes = available - before_pixels;
    if (compression == kUncompressed || compression == kBitfields) {
        const uint64_t row = (width * bits + kRowAlignmentBits - 1) / kRowAlignmentBits *
                             (kRowAlignmentBits / kBitsPerByte);
        return row * height <= pixel_bytes;
    }
    return width * height <= pixel_bytes * kMaxRunLengthPixelsPerByte;
}

}  // namespace

std::string check_emf_structure(QByteArray &bytes) {
    uint8_t *p = data_of(bytes);
    const auto size = static_cast<uint64_t>(bytes.size());
    if (size < kEmfHeaderBytes || read_le32(p) != kEmrHeader) {
        return "metafile too short";
    }
    const uint64_t header = read_le32(p + 4);
    if (header < kEmfHeaderBytes || header % kRecordAlignment != 0 || header > size) {
        return "metafile header out of range";
    }
    // Optional header fields exist only where the header record is long enough to hold them and
    // the description, when there is one, begins at or after their end; otherwise those bytes are
    // the description's text. Decided before the description is dropped below.
    const uint64_t description_chars = read_le32(p + kEmfDescriptionCountOffset);
    const uint64_t description_at = read_le32(p + kEmfDescriptionOffsetOffset);
    const auto holds = [&](uint64_t fields_end) {
        return header >= fields_end && (description_chars == 0 || description_at >= fields_end);
    };
    const bool pixel_format_fields = holds(kEmfPixelFormatFieldsEnd);
    const bool micrometre_fields = holds(kEmfMicrometresFieldsEnd);
    // The description (the names of the program and the picture) draws nothing, and the
    // converter reads it from its offset even when its length says there is none; it is dropped.
    write_le32(p + kEmfDescriptionCountOffset, 0);
    write_le32(p + kEmfDescriptionOffsetOffset, 0);
    // With the description gone the converter would take any text where the optional fields go
    // for those fields (it decides by the header's size); they are given the values that mean
    // "absent": no pixel format, and the reference size in micrometres from the one in mm.
    if (pixel_format_fields) {
        const uint64_t format_bytes = read_le32(p + kEmfPixelFormatSizeOffset);
        const uint64_t format = read_le32(p + kEmfPixelFormatOffsetOffset);
        if (format_bytes != 0 && !inside(format, format_bytes, header)) {
            return "metafile pixel format out of range";
        }
    } else if (header >= kEmfPixelFormatFieldsEnd) {
        std::fill(p + kEmfPixelFormatSizeOffset, p + kEmfPixelFormatFieldsEnd, uint8_t{0});
    }
    if (!micrometre_fields && header >= kEmfMicrometresFieldsEnd) {
        for (uint64_t axis = 0; axis < 2; ++axis) {
            const int64_t mm =
                static_cast<int32_t>(read_le32(p + kEmfMillimetresOffset + 4 * axis));
            const int64_t um = std::clamp<int64_t>(mm * kMicrometresPerMillimetre,
                                                   std::numeric_limits<int32_t>::min(),
                                                   std::numeric_limits<int32_t>::max());
            write_le32(p + kEmfMicrometresOffset + 4 * axis, static_cast<uint32_t>(um));
        }
    }
    uint64_t offset = 0;
    while (inside(offset, kEmfRecordHead, size)) {
        const uint32_t type = read_le32(p + offset);
        const uint64_t length = read_le32(p + offset + 4);
        if (length < kEmfRecordHead || length % kRecordAlignment != 0 ||
            !inside(offset, length, size)) {
            return "metafile record out of range";
        }
        if (type == kEmrEof) {
            if (length < kEmfEofBytes) {
                return "metafile record out of range";
            }
            const uint64_t entries = read_le32(p + offset + kEmfEofPaletteCountOffset);
            const uint64_t palette = read_le32(p + offset + kEmfEofPaletteOffsetOffset);
            if (entries != 0 && !inside(palette, entries * kPaletteEntryBytes, length)) {
                return "metafile palette out of range";
            }
            bytes.truncate(static_cast<qsizetype>(offset + length));
            return {};
        }
        offset += length;
    }
    return "metafile has no end record";
}

std::string check_wmf_structure(QByteArray &bytes) {
    uint8_t *p = data_of(bytes);
    const auto size = static_cast<uint64_t>(bytes.size());
    const uint64_t start = size >= 4 && read_le32(p) == kPlaceableKey ? kPlaceableHeaderBytes : 0;
    if (!inside(start, kWmfHeaderBytes, size)) {
        return "metafile too short";
    }
    uint64_t offset = start + kWmfHeaderBytes;
    uint64_t largest = 0;
    while (inside(offset, kWmfRecordHeadWords * kBytesPerWord, size)) {
        const uint64_t words = read_le32(p + offset);
        const uint16_t function = read_le16(p + offset + kWmfFunctionOffset);
        if (words < kWmfRecordHeadWords || !inside(offset, words * kBytesPerWord, size)) {
            return "metafile record out of range";
        }
        for (const BitmapRecord &r : kWmfBitmapRecords) {
            // The short form of these records carries no bitmap: its size is told by the
            // function's high byte (the number of parameter words) plus the record head.
            const bool carries_bitmap =
                words != static_cast<uint64_t>(r.function >> 8) + kWmfRecordHeadWords;
            const uint64_t at = kWmfRecordHeadBytes + r.bitmap_offset;
            const uint64_t length = words * kBytesPerWord;
            if (function == r.function && carries_bitmap &&
                (at > length || !bitmap_sound(p + offset + at, length - at))) {
                return "metafile bitmap out of range";
            }
        }
        largest = std::max(largest, words);
        offset += words * kBytesPerWord;
        if (function == kWmfEof) {
            // The reader allocates the largest record up front and reads the stated size.
            write_le32(p + start + kWmfFileWordsOffset,
                       static_cast<uint32_t>((offset - start) / kBytesPerWord));
            write_le32(p + start + kWmfMaxRecordOffset, static_cast<uint32_t>(largest));
            bytes.truncate(static_cast<qsizetype>(offset));
            return {};
        }
    }
    return "metafile has no end record";
}

}  // namespace zemlo::media
