#include "handset_text.h"

#include <iconv.h>

#include <cstdint>
#include <optional>

namespace zemlo::app {

namespace {

// Listing texts are a few kilobytes at most; anything longer is shown byte by byte.
constexpr size_t kMaxDecodedBytes = 1 << 16;
// A GBK character is at most two bytes and becomes at most three UTF-8 bytes.
constexpr size_t kUtf8PerGbkByte = 2;

bool all_ascii(std::string_view s) {
    for (const char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// GBK's structure, checked before iconv is asked: a lead byte 0x81 to 0xFE followed by a trail byte
// 0x40 to 0xFE other than 0x7F. glibc's converter agrees, but some converters take 0x80 as the
// euro sign; the handset does not.
bool gbk_shaped(std::string_view s) {
    for (size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            continue;
        }
        if (b == 0x80 || b == 0xFF || i + 1 == s.size()) {
            return false;
        }
        const auto t = static_cast<unsigned char>(s[++i]);
        if (t < 0x40 || t == 0x7F || t == 0xFF) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> decode_gbk(std::string_view s) {
    if (s.size() > kMaxDecodedBytes || !gbk_shaped(s)) {
        return std::nullopt;
    }
    iconv_t cd = ::iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string in(s);
    std::string out(s.size() * kUtf8PerGbkByte + 4, '\0');
    char *in_ptr = in.data();
    size_t in_left = in.size();
    char *out_ptr = out.data();
    size_t out_left = out.size();
    const size_t r = ::iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    ::iconv_close(cd);
    if (r == static_cast<size_t>(-1) || in_left != 0) {
        return std::nullopt;
    }
    out.resize(out.size() - out_left);
    return out;
}

// Length of the UTF-8 sequence at s[i] and its code point; 0 when it is not a valid one
// (overlong forms, surrogates and values past U+10FFFF are not valid).
size_t utf8_at(std::string_view s, size_t i, char32_t *cp) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    size_t n = 0;
    char32_t v = 0;
    char32_t min = 0;
    if (b0 < 0x80) {
        *cp = b0;
        return 1;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        n = 2, v = b0 & 0x1Fu, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3, v = b0 & 0x0Fu, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4, v = b0 & 0x07u, min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size()) {
        return 0;
    }
    for (size_t k = 1; k < n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0u) != 0x80u) {
            return 0;
        }
        v = (v << 6) | (b & 0x3Fu);
    }
    if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) {
        return 0;
    }
    *cp = v;
    return n;
}

void append_hex(std::string &out, const char *prefix, uint32_t value, int digits) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += prefix;
    for (int d = digits - 1; d >= 0; --d) {
        out += kHex[(value >> (4 * d)) & 0xFu];
    }
}

enum class Escapes { BytesOnly, All };

// text: valid UTF-8 except where bytes are not part of a character; those are escaped, and with
// Escapes::All the controls, the backslash and the characters that steer the display too.
std::string escape(std::string_view text, Escapes escapes = Escapes::All) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const size_t n = utf8_at(text, i, &cp);
        if (n == 0) {
            append_hex(out, "\\x", static_cast<unsigned char>(text[i]), 2);
            ++i;
            continue;
        }
        if (escapes == Escapes::BytesOnly) {
            out.append(text.substr(i, n));
        } else if (cp < 0x20 || cp == 0x7F) {
            append_hex(out, "\\x", cp, 2);
        } else if (cp == '\\') {
            out += "\\\\";
        } else if (steers_display(cp)) {
            append_hex(out, "\\u", cp, 4);
        } else {
            out.append(text.substr(i, n));
        }
        i += n;
    }
    return out;
}

}  // namespace

bool steers_display(char32_t cp) {
    return (cp >= 0x80 && cp <= 0x9F) || cp == 0x061C || cp == 0x2028 || cp == 0x2029 ||
           (cp >= 0x200E && cp <= 0x200F) || (cp >= 0x202A && cp <= 0x202E) ||
           (cp >= 0x2066 && cp <= 0x2069);
}

std::string printable_local_text(std::string_view raw) {
    return escape(raw);
}

std::string utf8_with_escaped_bytes(std::string_view text) {
    return escape(text, Escapes::BytesOnly);
}

std::string printable_handset_text(std::string_view raw) {
    if (!all_ascii(raw)) {
        if (auto decoded = decode_gbk(raw)) {
            return escape(*decoded);
        }
    }
    // UTF-8 sequences are shown as their characters, every byte outside one as \xNN.
    return escape(raw);
}

}  // namespace zemlo::app
