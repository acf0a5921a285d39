// The capture of the drawing area kept as "tmp.bmp": a 24-bit Windows bitmap file with a 14-byte
// file header, a 40-byte info header, no colour table and the rows bottom-up, blue-green-red,
// each padded to four bytes. 122 x 126 gives 46422 bytes.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

namespace zemlo::media {

inline constexpr const char *kCaptureFileName = "tmp.bmp";
inline constexpr size_t kCaptureHeaderBytes = 54;

std::vector<uint8_t> encode_capture(const QImage &area);

// Writes the capture to path as a new file (whatever had the name before is unlinked, never
// written through); false with the reason in *error when it cannot.
bool write_capture(const QImage &area, const std::string &path, std::string *error);

}  // namespace zemlo::media
