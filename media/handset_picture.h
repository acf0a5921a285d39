// The handset picture file (zemlo/handset_picture_format.h), read out of the converter's C source
// text ("tmp.el") with its pixel bytes in the order the converter wrote them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zemlo/handset_picture_format.h"

namespace zemlo::media {

inline constexpr const char *kConverterTextFileName = "tmp.el";
inline constexpr uint8_t kHandsetPictureKind = handset_picture::kKind;
inline constexpr uint8_t kHandsetPictureDepth = handset_picture::kDepth;
inline constexpr size_t kHandsetPictureHeaderBytes = handset_picture::kHeaderBytes;
inline constexpr size_t kHandsetBytesPerPixel = handset_picture::kBytesPerPixel;
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
