#include "terminal_text.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace zemlo::cli {

namespace {

struct Glyph {
    std::string_view bytes;
    uint32_t code = 0;
    size_t columns = 1;
};

bool is_wide(uint32_t cp) {
    return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
           (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
           (cp >= 0xFFE0 && cp <= 0xFFE6);
}

// Punctuation that closes what comes before it, so a line never starts with it.
bool closes(uint32_t cp) {
    switch (cp) {
        case 0x3001:  // 、
        case 0x3002:  // 。
        case 0xFF0C:  // ，
        case 0xFF1B:  // ；
        case 0xFF1A:  // ：
        case 0xFF01:  // ！
        case 0xFF1F:  // ？
        case 0xFF09:  // ）
        case 0x300D:  // 」
        case 0x201D:  // ”
        case ')':
        case ',':
        case '.':
        case ';':
        case ':':
            return true;
        default:
            return false;
    }
}

// Punctuation that opens what follows it, so a line never ends with it.
bool opens(uint32_t cp) {
    return cp == 0xFF08 || cp == 0x300C || cp == 0x201C || cp == '(';
}

std::vector<Glyph> glyphs_of(std::string_view s) {
    std::vector<Glyph> out;
    for (size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        length = std::min(length, s.size() - i);
        uint32_t cp = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (size_t k = 1; k < length; ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        }
        out.push_back({s.substr(i, length), cp, is_wide(cp) ? 2u : 1u});
        i += length;
    }
    return out;
}

}  // namespace

size_t terminal_columns(std::string_view text) {
    size_t n = 0;
    for (const Glyph &g : glyphs_of(text)) {
        n += g.columns;
    }
    return n;
}

std::optional<size_t> terminal_width(FILE *stream) {
    const int fd = ::fileno(stream);
    winsize size{};
    if (fd < 0 || ::isatty(fd) == 0 || ::ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) {
        return std::nullopt;
    }
    return size.ws_col;
}

std::string fold_line(std::string_view line, size_t width, size_t indent) {
    const std::vector<Glyph> g = glyphs_of(line);
    size_t columns = 0;
    for (const Glyph &glyph : g) {
        columns += glyph.columns;
    }
    // Too narrow to fold sensibly, or nothing to fold: as it is.
    if (width < indent + 20 || columns <= width) {
        return std::string(line);
    }
    std::string out;
    size_t start = 0;  // first glyph of the current line
    size_t lead = 0;   // columns the current line starts with (its indent)
    while (start < g.size()) {
        size_t used = lead;
        size_t end = start;
        size_t last_break = start;  // a break before glyph last_break
        while (end < g.size() && used + g[end].columns <= width) {
            used += g[end].columns;
            ++end;
            if (end < g.size()) {
                const Glyph &before = g[end - 1];
                const Glyph &after = g[end];
                // Before a space (the spaces go at the fold), or between Chinese characters.
                const bool between_wide = (before.columns == 2 || after.columns == 2) &&
                                          !closes(after.code) && !opens(before.code) &&
                                          before.code != ' ';
                if (after.code == ' ' || between_wide) {
                    last_break = end;
                }
            }
        }
        if (end == g.size()) {
            for (size_t k = start; k < end; ++k) {
                out += g[k].bytes;
            }
            break;
        }
        size_t cut = last_break > start ? last_break : end;
        if (last_break == start) {
            // No break inside the room: the word runs on to its end.
            while (cut < g.size() && g[cut].code != ' ') {
                ++cut;
            }
        }
        size_t text_end = cut;
        while (text_end > start && g[text_end - 1].code == ' ') {
            --text_end;
        }
        for (size_t k = start; k < text_end; ++k) {
            out += g[k].bytes;
        }
        while (cut < g.size() && g[cut].code == ' ') {
            ++cut;
        }
        if (cut < g.size()) {
            out += '\n';
            out.append(indent, ' ');
        }
        start = cut;
        lead = indent;
    }
    return out;
}

std::string fold_block(std::string_view block, size_t width) {
    std::string out;
    size_t from = 0;
    while (from <= block.size()) {
        const size_t newline = block.find('\n', from);
        const std::string_view line =
            block.substr(from, newline == std::string_view::npos ? block.npos : newline - from);
        const size_t own = line.find_first_not_of(' ');
        // A heading's or a command's continuation is indented under it; a line already indented
        // as a description (six or more) continues at its own indent.
        size_t indent = own == std::string_view::npos ? 0 : own < 6 ? own + 4 : own;
        if (own != std::string_view::npos) {
            const size_t gap = line.find("  ", own);
            if (gap != std::string_view::npos) {
                const size_t text = line.find_first_not_of(' ', gap);
                if (text != std::string_view::npos) {
                    indent = terminal_columns(line.substr(0, text));
                }
            }
        }
        out += fold_line(line, width, indent);
        if (newline == std::string_view::npos) {
            break;
        }
        out += '\n';
        from = newline + 1;
    }
    return out;
}

std::string fit_to_terminal(std::string block, FILE *stream) {
    const std::optional<size_t> width = terminal_width(stream);
    return width ? fold_block(block, *width) : block;
}

}  // namespace zemlo::cli
