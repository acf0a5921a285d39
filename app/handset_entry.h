// One file of the handset file table: its folder type and a text made of the file name with its
// extension, a caret and the size in decimal ("abc.bmp^30748").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zemlo::app {

inline constexpr int32_t kTypePicture = 0;
inline constexpr int32_t kTypeMelody = 1;
inline constexpr char kEntrySeparator = '^';

struct HandsetEntry {
    int32_t type = kTypePicture;
    std::string text;

    bool operator==(const HandsetEntry &) const = default;
};

// The text before the first caret (the whole text when there is none).
inline std::string_view entry_name(std::string_view text) {
    return text.substr(0, text.find(kEntrySeparator));
}

// The decimal number after the caret at `caret` in text; 0 when it is not a number. Digits are read
// as far as they go, and a number too large for 31 bits counts as 0 rather than wrapping.
inline int64_t entry_size_after(std::string_view text, size_t caret) {
    if (caret == std::string_view::npos) {
        return 0;
    }
    int64_t n = 0;
    for (size_t i = caret + 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        n = n * 10 + (text[i] - '0');
        if (n > INT32_MAX) {
            return 0;
        }
    }
    return n;
}

}  // namespace zemlo::app
