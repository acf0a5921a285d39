// What a PC can show or play of the handset's media files: the handset picture file decoded from
// its 16-bit pixels into a PNG, and the handset melody file turned back into a standard MIDI file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace handsim {

struct RgbImage {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<uint8_t> rgb;  // width x height x 3, rows top to bottom
};

// The handset picture file (zemlo/handset_picture_format.h) with its pixels widened to 8-bit red,
// green, blue. Empty when the header is wrong or the file holds fewer pixel bytes than it
// announces.
std::optional<RgbImage> decode_handset_picture(const uint8_t *bytes, size_t size);

// A PNG file (8-bit RGB, no interlace) of the image; empty when it cannot be compressed.
std::optional<std::vector<uint8_t>> encode_png(const RgbImage &image);

// The handset melody file (6-byte prefix, division, "MTrk" chunk) as a format-0 MIDI file: the
// standard header in front of the bytes behind the prefix. Empty when the track chunk is missing
// or runs past the end of the file.
std::optional<std::vector<uint8_t>> handset_melody_to_midi(const uint8_t *bytes, size_t size);

// The 6-byte prefix of a handset melody file of the given size: 01 00, then size - 9 little-endian.
std::vector<uint8_t> melody_prefix(size_t file_size);

}  // namespace handsim
