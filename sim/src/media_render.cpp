#include "media_render.h"

#include <zlib.h>

#include <array>
#include <cstring>

#include "zemlo/byte_order.h"
#include "zemlo/handset_picture_format.h"
#include "zemlo/rgb565.h"

namespace handsim {

namespace {
constexpr std::array<uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint8_t kPngBitDepth = 8;
constexpr uint8_t kPngColourRgb = 2;
constexpr uint8_t kPngFilterNone = 0;

constexpr size_t kMelodyPrefixBytes = 6;
constexpr size_t kMelodySizeAdjust = 9;  // the prefix's length field is the file size minus 9
constexpr uint8_t kMelodyFormatByte = 0x01;
constexpr size_t kDivisionBytes = 2;
constexpr size_t kChunkHeaderBytes = 8;
// The standard header's first 12 bytes: "MThd", length 6, format 0, one track.
constexpr std::array<uint8_t, 12> kMidiHeadStart = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};

void append_chunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &data) {
    uint8_t head[kChunkHeaderBytes];
    zemlo::write_be32(head, static_cast<uint32_t>(data.size()));
    std::memcpy(head + 4, type, 4);
    out.insert(out.end(), head, head + kChunkHeaderBytes);
    uLong crc = crc32(0L, head + 4, 4);
    crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    uint8_t tail[4];
    zemlo::write_be32(tail, static_cast<uint32_t>(crc));
    out.insert(out.end(), data.begin(), data.end());
    out.insert(out.end(), tail, tail + 4);
}
}  // namespace

std::optional<RgbImage> decode_handset_picture(const uint8_t *bytes, size_t size) {
    namespace file = zemlo::handset_picture;
    const auto header = file::read_header(bytes, size);
    // Bytes behind the last pixel are left alone: the handset stores files in whole blocks.
    if (!header || size < header->file_bytes()) {
        return std::nullopt;
    }
    RgbImage image;
    image.width = header->width;
    image.height = header->height;
    const size_t pixels = static_cast<size_t>(image.width) * image.height;
    image.rgb.resize(pixels * 3);
    const uint8_t *p = bytes + file::kHeaderBytes;
    for (size_t i = 0; i < pixels; ++i, p += file::kBytesPerPixel) {
        const auto c = zemlo::rgb565::unpack(zemlo::rgb565::from_bytes(p[0], p[1]));
        image.rgb[3 * i] = c.red;
        image.rgb[3 * i + 1] = c.green;
        image.rgb[3 * i + 2] = c.blue;
    }
    return image;
}

std::optional<std::vector<uint8_t>> encode_png(const RgbImage &image) {
    const size_t row = static_cast<size_t>(image.width) * 3;
    if (image.width == 0 || image.height == 0 || image.rgb.size() != row * image.height) {
        return std::nullopt;
    }
    std::vector<uint8_t> raw;
    raw.reserve((row + 1) * image.height);
    for (unsigned y = 0; y < image.height; ++y) {
        raw.push_back(kPngFilterNone);
        raw.insert(raw.end(), image.rgb.begin() + static_cast<std::ptrdiff_t>(y * row),
                   image.rgb.begin() + static_cast<std::ptrdiff_t>((y + 1) * row));
    }
    uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packed_size);
    if (compress(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size())) != Z_OK) {
        return std::nullopt;
    }
    packed.resize(packed_size);

    std::vector<uint8_t> header(13, 0);
    zemlo::write_be32(&header[0], image.width);
    zemlo::write_be32(&header[4], image.height);
    header[8] = kPngBitDepth;
    header[9] = kPngColourRgb;

    std::vector<uint8_t> out(kPngSignature.begin(), kPngSignature.end());
    append_chunk(out, "IHDR", header);
    append_chunk(out, "IDAT", packed);
    append_chunk(out, "IEND", {});
    return out;
}

std::optional<std::vector<uint8_t>> handset_melody_to_midi(const uint8_t *bytes, size_t size) {
    constexpr size_t kTrackOffset = kMelodyPrefixBytes + kDivisionBytes;
    if (bytes == nullptr || size < kTrackOffset + kChunkHeaderBytes ||
        std::memcmp(bytes + kTrackOffset, "MTrk", 4) != 0) {
        return std::nullopt;
    }
    const uint64_t track = zemlo::read_be32(bytes + kTrackOffset + 4);
    if (track > size - kTrackOffset - kChunkHeaderBytes) {
        return std::nullopt;
    }
    std::vector<uint8_t> out(kMidiHeadStart.begin(), kMidiHeadStart.end());
    const size_t end = kTrackOffset + kChunkHeaderBytes + static_cast<size_t>(track);
    out.insert(out.end(), bytes + kMelodyPrefixBytes, bytes + end);
    return out;
}

std::vector<uint8_t> melody_prefix(size_t file_size) {
    std::vector<uint8_t> prefix(kMelodyPrefixBytes, 0);
    prefix[0] = kMelodyFormatByte;
    const size_t field = file_size > kMelodySizeAdjust ? file_size - kMelodySizeAdjust : 0;
    zemlo::write_le32(&prefix[2], static_cast<uint32_t>(field));
    return prefix;
}

}  // namespace handsim
