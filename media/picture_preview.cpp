#include "picture_preview.h"

#include "handset_picture.h"
#include "zemlo/rgb565.h"

namespace zemlo::media {

QImage handset_picture_image(const std::vector<uint8_t> &file) {
    if (file.size() < kHandsetPictureHeaderBytes) {
        return {};
    }
    const int width = file[0];
    const int height = file[1];
    if (width == 0 || height == 0 ||
        file.size() != kHandsetPictureHeaderBytes +
                           static_cast<size_t>(width) * height * kHandsetBytesPerPixel) {
        return {};
    }
    QImage image(width, height, QImage::Format_RGB32);
    const uint8_t *p = file.data() + kHandsetPictureHeaderBytes;
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x, p += kHandsetBytesPerPixel) {
            const rgb565::Rgb c = rgb565::unpack(rgb565::from_bytes(p[0], p[1]));
            line[x] = qRgb(c.red, c.green, c.blue);
        }
    }
    return image;
}

}  // namespace zemlo::media
