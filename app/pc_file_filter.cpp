#include "pc_file_filter.h"

#include <array>
#include <cctype>

#include "handset_entry.h"

namespace zemlo::app {

namespace {

// Every extension of the media types the desktop entry declares, so that a file a file manager
// offers to the program is also one it takes: "dib" is a bitmap, "jpeg" and "jpe" are JPEGs, "kar"
// is a MIDI file with words. The decoders read the content, not the name.
constexpr std::array<std::string_view, 9> kPictureExtensions = {"bmp", "dib", "gif", "jpg", "jpeg",
                                                                "jpe", "ico", "emf", "wmf"};
constexpr std::array<std::string_view, 3> kMelodyExtensions = {"mid", "midi", "kar"};

}  // namespace

std::string filter_extension(std::string_view file_name) {
    const size_t dot = file_name.rfind('.');
    return std::string(dot == std::string_view::npos ? file_name : file_name.substr(dot + 1));
}

bool is_listed_for_type(std::string_view file_name, FileType type) {
    if (file_name.empty() || file_name.front() == '.') {
        return false;
    }
    std::string ext = filter_extension(file_name);
    for (char &c : ext) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (type == FileType::Picture) {
        for (auto e : kPictureExtensions) {
            if (ext == e) {
                return true;
            }
        }
    } else if (type == FileType::Melody) {
        for (auto e : kMelodyExtensions) {
            if (ext == e) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace zemlo::app
