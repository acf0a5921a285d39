#include "picture_capture.h"

#include <unistd.h>

#include <cstdio>
#include <memory>

#include "cut_off_output.h"
#include "new_work_file.h"
#include "zemlo/byte_order.h"

namespace zemlo::media {

namespace {

constexpr uint16_t kBitmapMagic = 0x4D42;  // "BM"
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint16_t kPlanes = 1;
constexpr uint16_t kBitsPerPixel = 24;
constexpr uint32_t kRowAlignBits = 32;
constexpr uint32_t kRowAlignBytes = 4;
constexpr size_t kBgrBytes = 3;

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

}  // namespace

std::vector<uint8_t> encode_capture(const QImage &area) {
    const QImage rgb = area.convertToFormat(QImage::Format_RGB32);
    const auto width = static_cast<uint32_t>(rgb.width());
    const auto height = static_cast<uint32_t>(rgb.height());
    const uint32_t stride =
        (kBitsPerPixel * width + kRowAlignBits - 1) / kRowAlignBits * kRowAlignBytes;
    const uint32_t image_bytes = stride * height;
    std::vector<uint8_t> out(kCaptureHeaderBytes + image_bytes, 0);
    uint8_t *p = out.data();
    write_le16(p, kBitmapMagic);
    write_le32(p + 2, static_cast<uint32_t>(out.size()));
    write_le32(p + 10, kCaptureHeaderBytes);
    write_le32(p + 14, kInfoHeaderBytes);
    write_le32(p + 18, width);
    write_le32(p + 22, height);
    write_le16(p + 26, kPlanes);
    write_le16(p + 28, kBitsPerPixel);
    // Compression, image size, resolutions and colour counts stay 0.
    for (uint32_t y = 0; y < height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(static_cast<int>(y)));
        uint8_t *row = p + kCaptureHeaderBytes + static_cast<size_t>(height - 1 - y) * stride;
        for (uint32_t x = 0; x < width; ++x) {
            row[x * kBgrBytes] = static_cast<uint8_t>(qBlue(line[x]));
            row[x * kBgrBytes + 1] = static_cast<uint8_t>(qGreen(line[x]));
            row[x * kBgrBytes + 2] = static_cast<uint8_t>(qRed(line[x]));
        }
    }
    return out;
}

bool write_capture(const QImage &area, const std::string &path, std::string *error) {
    const std::vector<uint8_t> bytes = encode_capture(area);
    const int fd = create_new_work_file(path, error);
    if (fd < 0) {
        return false;
    }
    std::unique_ptr<std::FILE, FileCloser> file(::fdopen(fd, "wb"));
    if (!file) {
        ::close(fd);
        *error = "cannot create " + path;
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    if (std::fclose(file.release()) != 0 || !written) {
        discard_cut_off_output(path);
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace zemlo::media
