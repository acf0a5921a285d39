// One file of the handset file table: its folder type and its entry text as the listing gives it,
// the file name with its extension, a caret and the size in decimal ("abc.bmp^30748"; the format is
// zemlo/handset_listing.h's).
#pragma once

#include <cstdint>
#include <string>

namespace zemlo::app {

inline constexpr int32_t kTypePicture = 0;
inline constexpr int32_t kTypeMelody = 1;

struct HandsetEntry {
    int32_t type = kTypePicture;
    std::string text;

    bool operator==(const HandsetEntry &) const = default;
};

}  // namespace zemlo::app
