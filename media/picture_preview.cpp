#include "picture_preview.h"

#include "handset_picture.h"
#include "zemlo/handset_picture_format.h"
#include "zemlo/rgb565.h"

namespace zemlo::media {

QImage handset_picture_image(const std::vector<uint8_t> &file) {
    const auto header = handset_picture::read_header(file.data(), file.size());
    if (!header || file.size() != header->file_bytes()) {
        return {};
    }
    const int width = static_cast<int>(header->width);
    const int height = static_cast<int>(header->height);
    QImage image(width, height, QImage::Format_RGB32);
    const uint8_t *p = file.data() + handset_picture::kHeaderBytes;
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x, p += handset_picture::kBytesPerPixel) {
            const rgb565::Rgb c = rgb565::unpack(rgb565::from_bytes(p[0], p[1]));
            line[x] = qRgb(c.red, c.green, c.blue);
        }
    }
    return image;
}

}  // namespace zemlo::media
