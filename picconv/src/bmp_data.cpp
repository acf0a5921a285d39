#include "bmp_data.h"

#include <cstdio>
#include <memory>

#include "zemlo/byte_order.h"

namespace zemlo::picmill {

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr uint16_t kBitmapMagic = 0x4D42;  // "BM"
constexpr size_t kFileSizeField = 2;
constexpr size_t kBitsField = 28;
constexpr size_t kCompressionField = 30;

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

bool supported_bits(uint16_t bits) {
    return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 24;
}

void note(std::string *diagnostics, const std::string &line) {
    if (diagnostics != nullptr) {
        *diagnostics += line;
    }
}

}  // namespace

bool BMPData::load_bitmap(std::string *diagnostics) {
    const std::string &path = settings_.bitmap_path;
    if (path.empty()) {
        return false;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        note(diagnostics, "Error: cannot open " + path + "\n");
        return false;
    }
    // The length is bounded before anything is allocated for it.
    if (std::fseek(file.get(), 0, SEEK_END) != 0) {
        note(diagnostics, "Error: cannot read " + path + "\n");
        return false;
    }
    const long length = std::ftell(file.get());
    if (length < 0 || static_cast<unsigned long>(length) > kMaxBitmapBytes) {
        note(diagnostics, "Error: BMP file " + path + " is larger than " +
                              std::to_string(kMaxBitmapBytes) + " bytes\n");
        return false;
    }
    std::rewind(file.get());
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        note(diagnostics, "Error: cannot read " + path + "\n");
        return false;
    }
    return load_image(std::move(bytes), path, diagnostics);
}

bool BMPData::load_image(std::vector<uint8_t> bytes, const std::string &path,
                         std::string *diagnostics) {
    image_.clear();
    if (bytes.size() < kFileHeaderBytes) {
        note(diagnostics, path + " not BMP file\n");
        return false;
    }
    if (read_le16(bytes.data()) != kBitmapMagic) {
        note(diagnostics, path + " not BMP file\n");
        return false;
    }
    const uint32_t declared = read_le32(bytes.data() + kFileSizeField);
    if (declared != bytes.size() || declared < kBitmapHeadersBytes) {
        note(diagnostics, "Error: BMP file size " + std::to_string(bytes.size()) +
                              " does not match its header (" + std::to_string(declared) + ")\n");
        return false;
    }
    if (read_le32(bytes.data() + kCompressionField) != 0) {
        note(diagnostics, "Error: BMP file must not be compressed\n");
        return false;
    }
    const uint16_t bits = read_le16(bytes.data() + kBitsField);
    if (!supported_bits(bits)) {
        note(diagnostics, "Error: BMP file has " + std::to_string(bits) +
                              " bits per pixel; only 1, 2, 4, 8 and 24 are supported\n");
        return false;
    }
    image_ = std::move(bytes);
    return true;
}

}  // namespace zemlo::picmill
