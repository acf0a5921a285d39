#include "metafile_structure.h"

#include <algorithm>
#include <cstdint>

#include "zemlo/byte_order.h"

namespace zemlo::media {

namespace {

constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmrEof = 14;
constexpr uint64_t kEmfRecordHead = 8;  // type and size
constexpr uint64_t kEmfHeaderBytes = 88;
constexpr uint64_t kEmfDescriptionCountOffset = 60;
constexpr uint64_t kEmfDescriptionOffsetOffset = 64;
constexpr uint64_t kEmfPixelFormatHeaderBytes = 100;  // header with the pixel format fields
constexpr uint64_t kEmfPixelFormatSizeOffset = 88;
constexpr uint64_t kEmfPixelFormatOffsetOffset = 92;
constexpr uint64_t kEmfEofPaletteCountOffset = 8;
constexpr uint64_t kEmfEofPaletteOffsetOffset = 12;
constexpr uint64_t kEmfEofBytes = 20;
constexpr uint64_t kUtf16Bytes = 2;
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

uint8_t *data_of(QByteArray &bytes) {
    return reinterpret_cast<uint8_t *>(bytes.data());
}

// True when [offset, offset + length) lies inside [0, limit); the sums cannot overflow since
// every operand comes from a 32-bit field.
bool inside(uint64_t offset, uint64_t length, uint64_t limit) {
    return offset <= limit && length <= limit - offset;
}

}  // namespace

std::string check_emf_structure(QByteArray &bytes) {
    const uint8_t *p = data_of(bytes);
    const auto size = static_cast<uint64_t>(bytes.size());
    if (size < kEmfHeaderBytes || read_le32(p) != kEmrHeader) {
        return "metafile too short";
    }
    const uint64_t header = read_le32(p + 4);
    if (header < kEmfHeaderBytes || header % kRecordAlignment != 0 || header > size) {
        return "metafile header out of range";
    }
    const uint64_t chars = read_le32(p + kEmfDescriptionCountOffset);
    const uint64_t description = read_le32(p + kEmfDescriptionOffsetOffset);
    if (chars != 0 &&
        (description < kEmfHeaderBytes || !inside(description, chars * kUtf16Bytes, header))) {
        return "metafile description out of range";
    }
    if (header >= kEmfPixelFormatHeaderBytes) {
        const uint64_t format_bytes = read_le32(p + kEmfPixelFormatSizeOffset);
        const uint64_t format = read_le32(p + kEmfPixelFormatOffsetOffset);
        if (format_bytes != 0 && !inside(format, format_bytes, header)) {
            return "metafile pixel format out of range";
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
