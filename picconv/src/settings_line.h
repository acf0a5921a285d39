// The one-line description of a conversion job: "File1=" then the bitmap path, the text path,
// the symbol name, the invert flag and the depth, separated by commas. Commas and backslashes
// inside a field are escaped with a backslash, so any path survives the round trip.
#pragma once

#include <cstdint>
#include <string>

namespace zemlo::picmill {

inline constexpr const char *kSymbolName = "QN_TEMP_EL_FILE";
inline constexpr int kConversionDepth = 16;

struct ConversionSettings {
    std::string bitmap_path;
    std::string text_path;
    std::string symbol_name;
    uint16_t invert = 0;
    uint8_t depth = 1;
};

std::string build_settings_line(const std::string &bitmap_path, const std::string &text_path);

// Fields missing from the line are left empty; a depth other than 1, 2, 4, 8 or 16 becomes 1.
ConversionSettings parse_settings_line(const std::string &line);

}  // namespace zemlo::picmill
