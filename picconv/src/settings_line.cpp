#include "settings_line.h"

#include <strings.h>
#include <cstdlib>
#include <vector>

namespace zemlo::picmill {

namespace {

constexpr char kSeparator = ',';
constexpr char kEscape = '\\';
constexpr const char *kPrefix = "File1=";
constexpr int kDecimal = 10;

std::string escape(const std::string &field) {
    std::string out;
    out.reserve(field.size());
    for (char c : field) {
        if (c == kSeparator || c == kEscape) {
            out.push_back(kEscape);
        }
        out.push_back(c);
    }
    return out;
}

std::vector<std::string> split(const std::string &text) {
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == kEscape && i + 1 < text.size()) {
            fields.back().push_back(text[++i]);
        } else if (c == kSeparator) {
            fields.emplace_back();
        } else {
            fields.back().push_back(c);
        }
    }
    return fields;
}

uint8_t parse_depth(const std::string &text) {
    const long value = std::strtol(text.c_str(), nullptr, kDecimal);
    switch (value) {
        case 1:
        case 2:
        case 4:
        case 8:
        case 16:
            return static_cast<uint8_t>(value);
        default:
            return 1;
    }
}

}  // namespace

std::string build_settings_line(const std::string &bitmap_path, const std::string &text_path) {
    return std::string(kPrefix) + escape(bitmap_path) + kSeparator + escape(text_path) +
           kSeparator + kSymbolName + ",False," + std::to_string(kConversionDepth);
}

ConversionSettings parse_settings_line(const std::string &line) {
    ConversionSettings settings;
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
        return settings;
    }
    const std::vector<std::string> fields = split(line.substr(equals + 1));
    enum { kBitmap, kText, kSymbol, kInvert, kDepth };
    settings.bitmap_path = fields[kBitmap];
    if (fields.size() > kText) {
        settings.text_path = fields[kText];
    }
    if (fields.size() > kSymbol) {
        settings.symbol_name = fields[kSymbol];
    }
    if (fields.size() > kInvert) {
        settings.invert = strcasecmp(fields[kInvert].c_str(), "true") == 0 ? 1 : 0;
    }
    if (fields.size() > kDepth) {
        settings.depth = parse_depth(fields[kDepth]);
    }
    return settings;
}

}  // namespace zemlo::picmill
