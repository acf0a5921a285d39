// Turns a picture file the user picked (bmp, gif, jpg, ico, emf, wmf) into something that can
// draw itself, whole and smoothly scaled, into any rectangle, together with its natural size in
// HIMETRIC. Raster formats go through Qt's image readers; metafiles are translated to SVG and
// drawn with QSvgRenderer.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>
#include <memory>
#include <optional>
#include <string>

class QPainter;
class QSvgRenderer;

namespace zemlo::media {

// What a picture file may cost to decode. A header can state any size; these are checked before
// anything is allocated for the pixels or the file is read into memory.
inline constexpr int kMaxPictureSide = 16384;                // pixels, formats decoded whole
inline constexpr qint64 kMaxRasterPixels = qint64{1} << 24;  // 16 Mi pixels, 64 MiB decoded
inline constexpr qint64 kMaxJpegPixels = qint64{1} << 28;    // decoded at an eighth a side
inline constexpr qint64 kMaxMetafileBytes = qint64{64} << 20;

struct NaturalSize {
    int width = 0;  // HIMETRIC
    int height = 0;
};

class DecodedPicture {
  public:
    static DecodedPicture raster(QImage image, NaturalSize natural);
    static DecodedPicture vector(std::shared_ptr<QSvgRenderer> renderer, NaturalSize natural);

    NaturalSize natural() const { return natural_; }
    bool is_vector() const { return vector_ != nullptr; }
    // The decoded raster (possibly reduced from the file's own size); null for metafiles.
    const QImage &image() const { return image_; }

    // Draws the whole picture into target with smooth scaling, over what is already there.
    void draw(QPainter &painter, const QRect &target) const;

  private:
    QImage image_;
    std::shared_ptr<QSvgRenderer> vector_;
    NaturalSize natural_;
};

struct DecodeResult {
    std::optional<DecodedPicture> picture;
    std::string error;  // why there is no picture (without the path)
};

// Decodes the file. The path is taken as bytes, as the user gave it: a name that is not valid
// UTF-8 is still the same file. Large JPEGs are decoded at a reduced size that still covers the
// drawing area, since the picture will be shrunk anyway.
DecodeResult decode_picture(const std::string &path);

// Decodes a picture file's bytes held in memory, exactly as decode_picture decodes the file.
DecodeResult decode_picture_bytes(const QByteArray &bytes);

}  // namespace zemlo::media
