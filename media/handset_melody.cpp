#include "handset_melody.h"

#include "midi_merger.h"
#include "zemlo/byte_order.h"

namespace zemlo::media {

namespace {
constexpr size_t kTrackLengthOffset = 18;
constexpr size_t kFormat0HeaderSkipped = 12;  // "MThd", its length, format and track count
constexpr uint16_t kHandsetMelodyTag = 1;
constexpr size_t kPrefixBytes = 6;
// The prefix counts the bytes after the first 9 of the handset file: N - 6 - 9.
constexpr size_t kPrefixSizeBias = 15;
}  // namespace

void append_end_of_track(std::vector<uint8_t> &intermediate) {
    intermediate.insert(intermediate.end(), std::begin(kEndOfTrackEvent),
                        std::end(kEndOfTrackEvent));
}

std::optional<std::vector<uint8_t>> fix_track_length(std::span<const uint8_t> intermediate) {
    if (intermediate.size() < kIntermediateHeaderBytes) {
        return std::nullopt;
    }
    std::vector<uint8_t> out(intermediate.begin(), intermediate.end());
    write_be32(out.data() + kTrackLengthOffset,
               static_cast<uint32_t>(intermediate.size() - kIntermediateHeaderBytes));
    return out;
}

std::optional<std::vector<uint8_t>> handset_melody_from_format0(std::span<const uint8_t> format0) {
    if (format0.size() < kIntermediateHeaderBytes) {
        return std::nullopt;
    }
    std::vector<uint8_t> out(kPrefixBytes);
    write_le16(out.data(), kHandsetMelodyTag);
    write_le32(out.data() + 2, static_cast<uint32_t>(format0.size() - kPrefixSizeBias));
    out.insert(out.end(), format0.begin() + kFormat0HeaderSkipped, format0.end());
    return out;
}

std::optional<std::vector<uint8_t>> handset_melody_from_intermediate(
    std::vector<uint8_t> intermediate) {
    append_end_of_track(intermediate);
    auto format0 = fix_track_length(intermediate);
    if (!format0) {
        return std::nullopt;
    }
    return handset_melody_from_format0(*format0);
}

}  // namespace zemlo::media
