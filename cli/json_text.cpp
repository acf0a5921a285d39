#include "json_text.h"

#include <cstdint>
#include <cstdio>

#include "handset_text.h"

namespace zemlo::cli {

namespace {

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7f;

// The length of the UTF-8 sequence at s[i], or 0 when it is not a valid one; *code gets its
// code point.
size_t utf8_length(std::string_view s, size_t i, uint32_t *code) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t n = 0;
    uint32_t min = 0;
    if (c >= 0xC0 && c < 0xE0) {
        n = 2;
        min = 0x80;
    } else if (c >= 0xE0 && c < 0xF0) {
        n = 3;
        min = 0x800;
    } else if (c >= 0xF0 && c < 0xF5) {
        n = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size()) {
        return 0;
    }
    uint32_t cp = c & (0xFF >> (n + 1));
    for (size_t k = 1; k < n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    *code = cp;
    return cp < min || cp > 0x10FFFF || surrogate ? 0 : n;
}

void append_escape(std::string &out, uint32_t c) {
    char buf[16];  // room for any 32-bit value, though every caller passes one of 16 bits
    std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
    out += buf;
}

}  // namespace

std::string json_string(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < kFirstPrintable || c == kDelete) {
            append_escape(out, c);
            ++i;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if (uint32_t code = 0; const size_t n = utf8_length(text, i, &code)) {
            // Characters that would steer a terminal showing the document go as escapes: the
            // same text to a JSON reader, nothing raw on the screen.
            if (app::steers_display(code)) {
                append_escape(out, code);
            } else {
                out.append(text.substr(i, n));
            }
            i += n;
        } else {
            append_escape(out, c);  // read as Latin-1
            ++i;
        }
    }
    return out + "\"";
}

std::string json_failure(int exit_status, std::string_view message) {
    const char *kind = exit_status == 2 ? "usage" : exit_status == 3 ? "port" : "failed";
    return std::string("{\"error\":{\"kind\":\"") + kind +
           "\",\"exit_status\":" + std::to_string(exit_status) +
           ",\"message\":" + json_string(message) + "}}\n";
}

}  // namespace zemlo::cli
