// Reading the converter's C source text into the handset picture file: pure, over the text alone,
// so that every build of the converter (Linux and Windows line ends alike) is read by this one.
#include <cctype>
#include <cstdlib>
#include <string>

#include "handset_picture.h"

namespace zemlo::media {

namespace {

constexpr int kHex = 16;
constexpr int kDecimal = 10;
constexpr size_t kHexDigits = 2;

bool contains(std::string_view line, std::string_view what) {
    return line.find(what) != std::string_view::npos;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())) != 0) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())) != 0) {
        s.remove_suffix(1);
    }
    return s;
}

// The decimal number before the first comma of a "  122, /* bmWidth */" line.
std::optional<uint8_t> leading_number(std::string_view line) {
    const std::string text(trim(line.substr(0, line.find(','))));
    if (text.empty()) {
        return std::nullopt;
    }
    char *end = nullptr;
    const long value = std::strtol(text.c_str(), &end, kDecimal);
    if (end == text.c_str() || *end != '\0') {
        return std::nullopt;
    }
    return static_cast<uint8_t>(value);
}

int hex_digit(char c) {
    constexpr int kTen = 10;
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower >= 'a' && lower <= 'f') {
        return lower - 'a' + kTen;
    }
    return -1;
}

// Every "x" of a data line starts a byte: up to two hexadecimal digits follow it.
bool append_line_bytes(std::string_view line, std::vector<uint8_t> &out) {
    for (size_t x = line.find('x'); x != std::string_view::npos; x = line.find('x', x + 1)) {
        int value = 0;
        size_t digits = 0;
        while (digits < kHexDigits && x + 1 + digits < line.size()) {
            const int d = hex_digit(line[x + 1 + digits]);
            if (d < 0) {
                break;
            }
            value = value * kHex + d;
            ++digits;
        }
        if (digits == 0) {
            return false;
        }
        const auto byte = static_cast<uint8_t>(value);
        out.push_back(handset_picture::as_sent(byte));
    }
    return true;
}

std::optional<std::vector<uint8_t>> refuse(std::string *error, std::string why) {
    if (error != nullptr) {
        *error = std::move(why);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<uint8_t>> handset_picture_from_text(std::string_view text,
                                                              std::string *error) {
    std::vector<uint8_t> out;
    std::optional<uint8_t> width;
    std::optional<uint8_t> height;
    bool data = false;
    size_t line_number = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++line_number;
        const std::string where = "converter text line " + std::to_string(line_number);
        if (contains(line, "offsetof")) {
            data = true;
        }
        if (contains(line, "bmWidth") && contains(line, "/*")) {
            width = leading_number(line);
            if (!width || !out.empty()) {
                return refuse(error, where + ": bad or misplaced width");
            }
            out.push_back(*width);
        }
        if (contains(line, "bmHeight") && contains(line, "/*")) {
            height = leading_number(line);
            if (!height || out.size() != 1) {
                return refuse(error, where + ": bad or misplaced height");
            }
            out.push_back(*height);
            out.push_back(kHandsetPictureKind);
            out.push_back(kHandsetPictureDepth);
        }
        if (data) {
            if (out.size() < kHandsetPictureHeaderBytes) {
                return refuse(error, where + ": pixel bytes before the width and height");
            }
            if (!append_line_bytes(line, out)) {
                return refuse(error, where + ": malformed byte value");
            }
        }
    }
    if (!width || !height) {
        return refuse(error, "converter text has no width or height");
    }
    const size_t expected =
        kHandsetPictureHeaderBytes + size_t{*width} * *height * kHandsetBytesPerPixel;
    if (out.size() != expected) {
        return refuse(error, "converter text holds " +
                                 std::to_string(out.size() - kHandsetPictureHeaderBytes) +
                                 " pixel bytes, expected " +
                                 std::to_string(expected - kHandsetPictureHeaderBytes));
    }
    return out;
}

}  // namespace zemlo::media
