#include "listing_parser.h"

#include "zemlo/handset_records.h"

namespace zemlo::app {

namespace {

// A listing names a folder by its path, so its reader is left with the path's last part.
constexpr std::string_view kPictureDir = listing::folder_leaf(records::kPictureFolder);
constexpr std::string_view kMelodyDir = listing::folder_leaf(records::kMelodyFolder);

}  // namespace

std::vector<HandsetEntry> ListingParser::parse(std::string_view text) {
    std::vector<HandsetEntry> entries;
    reader_.read(text, [&](std::string_view folder, std::string_view entry) {
        if (folder == kPictureDir) {
            entries.push_back({FileType::Picture, std::string(entry)});
        } else if (folder == kMelodyDir) {
            entries.push_back({FileType::Melody, std::string(entry)});
        }
    });
    return entries;
}

}  // namespace zemlo::app
