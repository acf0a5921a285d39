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

#include "picture_framing.h"

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

// How a picture file is decoded.
struct DecodeOptions {
    // Turn a photo upright by the orientation its camera recorded in it (JPEG's EXIF tag).
    bool autorotate = true;
    // How many pixels a large JPEG keeps: 0, the fewest that still cover the drawing area when
    // the whole picture is shown; each step above doubles them (a side grows by the square root
    // of 2), up to the stored size. A frame that enlarges part of the picture needs more.
    int detail = 0;
    bool operator==(const DecodeOptions &) const = default;
};

// The least detail at which a picture of this upright size is decoded with at least scale
// decoded pixels per stored pixel (or whole).
int detail_for_scale(double scale, PictureSize upright);

class DecodedPicture {
  public:
    // upright: the size of the picture as stored, turned upright, when the image is a reduced
    // decode of it; the image's own size otherwise.
    static DecodedPicture raster(QImage image, NaturalSize natural,
                                 std::optional<PictureSize> upright = std::nullopt);
    static DecodedPicture vector(std::shared_ptr<QSvgRenderer> renderer, NaturalSize natural);

    NaturalSize natural() const { return natural_; }
    // The picture's size in pixels, upright and undiminished: what a frame's coordinates count.
    // A metafile counts its natural size at 96 dpi.
    PictureSize upright_size() const { return upright_; }
    bool is_vector() const { return vector_ != nullptr; }
    // The decoded raster (possibly reduced from the file's own size); null for metafiles.
    const QImage &image() const { return image_; }

    // Draws the whole picture into target with smooth scaling, over what is already there.
    void draw(QPainter &painter, const QRect &target) const;
    // Draws the placed part of the picture into the placement's target, with the same smooth
    // scaling; nothing when the target is empty.
    void draw_part(QPainter &painter, const FramePlacement &placement) const;

  private:
    QImage image_;
    std::shared_ptr<QSvgRenderer> vector_;
    NaturalSize natural_;
    PictureSize upright_;
};

struct DecodeResult {
    std::optional<DecodedPicture> picture;
    std::string error;  // why there is no picture (without the path)
};

// Decodes the file. The path is taken as bytes, as the user gave it: a name that is not valid
// UTF-8 is still the same file. Large JPEGs are decoded at a reduced size (see DecodeOptions),
// since the picture will be shrunk anyway: the decoder works out only every eighth pixel or so.
DecodeResult decode_picture(const std::string &path, const DecodeOptions &options = {});

// Decodes a picture file's bytes held in memory, exactly as decode_picture decodes the file.
DecodeResult decode_picture_bytes(const QByteArray &bytes, const DecodeOptions &options = {});

}  // namespace zemlo::media
