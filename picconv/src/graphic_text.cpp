#include "graphic_text.h"

#include <cstdio>

#include "zemlo/driver_graphic.h"

namespace zemlo::picmill {

namespace {

constexpr size_t kByteTextChars = 6;  // "0x%.2x, "
constexpr size_t kLineBufferChars = 32;

// "0x%.2x, " without a formatted print per byte: a 122 x 126 graphic has 30744 of them.
void append_byte(std::string &out, uint8_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    constexpr int kNibbleBits = 4;
    constexpr uint8_t kNibbleMask = 0x0F;
    const char text[] = {'0', 'x', kDigits[value >> kNibbleBits], kDigits[value & kNibbleMask],
                         ',', ' '};
    out.append(text, sizeof text);
}

void append_number_line(std::string &out, int value, const char *comment) {
    char text[kLineBufferChars * 2];
    std::snprintf(text, sizeof text, "       %d, /* %s */\n", value, comment);
    out += text;
}

}  // namespace

std::optional<std::string> graphic_text(const uint8_t *buffer, size_t size,
                                        const std::string &symbol) {
    const std::optional<driver_graphic::Header> header = driver_graphic::read_header(buffer, size);
    if (!header) {
        return std::nullopt;
    }
    const unsigned width = header->width;
    const unsigned height = header->height;
    const unsigned image_size = header->image_bytes;
    const size_t row_bytes = header->row_bytes();
    if (row_bytes * height > size - driver_graphic::kHeaderBytes) {
        return std::nullopt;
    }
    const std::string &s = symbol;
    std::string out;
    out.reserve(row_bytes * height * kByteTextChars + height * 6 + 1024);
    out += "#define AG_" + s + "_DATUM ag_" + s + " /* AG_FORMAT_GRAPHIC */\n\n";
    out += "typedef struct Ag_" + s + "_Tag\n";
    out += "{\n  Int8     bmWidth;\n  Int8     bmHeight; \n";
    out += "  Int16    bmSizeImage;\n  Int8     bmOffset; \n";
    out += "  Int8     bmImage[" + std::to_string(image_size) + "];\n";
    out += "} Ag_" + s + ";\n\n";
    out += "#if defined AG_DECLARATION_ONLY\n";
    out += "extern AG_ELEMENT_CONST Ag_" + s + " ag_" + s + ";\n";
    out += "#else\n";
    out += "AG_ELEMENT_CONST Ag_" + s + " ag_" + s + " =\n";
    out += "{\n";
    append_number_line(out, static_cast<int>(width), "bmWidth    ");
    append_number_line(out, static_cast<int>(height), "bmHeight   ");
    append_number_line(out, static_cast<int>(image_size), "bmSizeImage");
    out += "  offsetof (Ag_" + s + ", bmImage[0]), /* bmOffset    */\n";
    out += "  {\n";
    const uint8_t *pixels = buffer + driver_graphic::kHeaderBytes;
    for (unsigned y = 0; y < height; ++y) {
        out += "    ";
        for (size_t i = 0; i < row_bytes; ++i) {
            append_byte(out, pixels[y * row_bytes + i]);
        }
        out += "\n";
    }
    out += "  }\n";
    out += "};\n";
    out += "#endif\n";
    return out;
}

}  // namespace zemlo::picmill
