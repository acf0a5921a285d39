// The handset melody file, made from the merged intermediate file in two steps: the end-of-track
// event is appended and the track length is filled in (a standard format-0 file), then the first
// 12 header bytes are replaced by the handset's 6-byte prefix: 01 00 and the remaining size minus
// 3, little-endian. The file is 16 + T bytes, T being the event bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zemlo::media {

inline constexpr uint8_t kEndOfTrackEvent[4] = {0x00, 0xFF, 0x2F, 0x00};
inline constexpr size_t kHandsetMelodyHeaderBytes = 16;
inline constexpr size_t kEmptyHandsetMelodyBytes = kHandsetMelodyHeaderBytes + 4;

// Appends the final end-of-track event to the merger's intermediate bytes.
void append_end_of_track(std::vector<uint8_t> &intermediate);

// The format-0 file: the intermediate file with its track length placeholder replaced by the
// length of the events. nullopt when the input is shorter than the 22-byte header.
std::optional<std::vector<uint8_t>> fix_track_length(std::span<const uint8_t> intermediate);

// The handset melody file from a format-0 file of at least 22 bytes.
std::optional<std::vector<uint8_t>> handset_melody_from_format0(std::span<const uint8_t> format0);

// All of it in memory: merged bytes with end-of-track → handset melody file.
std::optional<std::vector<uint8_t>> handset_melody_from_intermediate(
    std::vector<uint8_t> intermediate);

}  // namespace zemlo::media
