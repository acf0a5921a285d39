// The handset picture file: width, height, 0x03, 0x10, then two bytes per pixel in the order the
// converter wrote them, with every 0x00 byte sent as 0x01. It is read out of the converter's C
// source text ("tmp.el").
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zemlo::media {

inline constexpr const char *kConverterTextFileName = "tmp.el";
inline constexpr uint8_t kHandsetPictureKind = 0x03;
inline constexpr uint8_t kHandsetPictureDepth = 0x10;
inline constexpr size_t kHandsetPictureHeaderBytes = 4;
inline constexpr size_t kHandsetBytesPerPixel = 2;
// The converter's text for the largest graphic it can describe is well under 1 MiB.
inline constexpr size_t kMaxConverterTextBytes = 4u << 20;

// Reads the converter text into the handset picture file. Refuses a text whose width, height
// and pixel bytes do not make one whole picture; *error says why.
std::optional<std::vector<uint8_t>> handset_picture_from_text(std::string_view text,
                                                              std::string *error);

// Reads text_path and writes the handset picture file to output_path (only when it is whole).
bool convert_text_file(const std::string &text_path, const std::string &output_path,
                       std::string *error);

}  // namespace zemlo::media
