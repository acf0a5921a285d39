// One file of the handset file table: its folder's type and its entry text as the listing gives
// it, the file name with its extension, a caret and the size in decimal ("abc.bmp^30748"; the
// format is zemlo/listing_text.h's).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "zemlo/handset_records.h"

namespace zemlo::app {

// The handset's two media folders, and the kind of PC file that goes into each. The values are the
// window's: the index in its file-type box and the handset folder tree's item data.
enum class FileType : int32_t { Picture = 0, Melody = 1 };

// The type's folder on the handset and the extension of the files in it.
constexpr std::string_view folder_path(FileType type) {
    return type == FileType::Picture ? records::kPictureFolder : records::kMelodyFolder;
}
constexpr std::string_view file_extension(FileType type) {
    return type == FileType::Picture ? records::kPictureExtension : records::kMelodyExtension;
}

struct HandsetEntry {
    FileType type = FileType::Picture;
    std::string text;

    bool operator==(const HandsetEntry &) const = default;
};

}  // namespace zemlo::app
