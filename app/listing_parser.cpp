#include "listing_parser.h"

namespace zemlo::app {

namespace {

constexpr std::string_view kPictureDir = "pic";
constexpr std::string_view kMelodyDir = "melody";

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && is_blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

}  // namespace

std::vector<HandsetEntry> ListingParser::parse(std::string_view text) {
    std::vector<HandsetEntry> entries;
    size_t token_start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' && c != ';' && c != '%') {
            continue;
        }
        const std::string_view token = text.substr(token_start, i - token_start);
        token_start = i + 1;
        if (c == '\\') {
            current_dir_ = std::string(trim(token));
        } else if (c == ';') {
            if (current_dir_ == kPictureDir) {
                entries.push_back({kTypePicture, std::string(trim(token))});
            } else if (current_dir_ == kMelodyDir) {
                entries.push_back({kTypeMelody, std::string(trim(token))});
            }
        }
    }
    return entries;
}

}  // namespace zemlo::app
