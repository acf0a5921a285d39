// One conversion job: the settings it was given and the bitmap file image it loaded and
// checked. The checks print the library's diagnostic lines into the text handed to them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings_line.h"

namespace zemlo::picmill {

inline constexpr size_t kBitmapHeadersBytes = 54;  // file header and info header
// Far above any bitmap the driver can convert (255 x 255 at 24 bits with a full palette), so
// no honest input is refused, yet a forged size field cannot make us allocate gigabytes.
inline constexpr size_t kMaxBitmapBytes = 16u << 20;

class BMPData {
  public:
    explicit BMPData(ConversionSettings settings) : settings_(std::move(settings)) {}

    const ConversionSettings &settings() const { return settings_; }
    const std::vector<uint8_t> &file_image() const { return image_; }

    // Reads and checks the bitmap named by the settings.
    bool load_bitmap(std::string *diagnostics);
    // Checks a whole file image as read from disk; path names it in diagnostics.
    bool load_image(std::vector<uint8_t> bytes, const std::string &path, std::string *diagnostics);

  private:
    ConversionSettings settings_;
    std::vector<uint8_t> image_;
};

}  // namespace zemlo::picmill
