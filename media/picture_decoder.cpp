#include "picture_decoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <climits>
#include <cmath>

#include "metafile_svg.h"
#include "picture_geometry.h"
#include "picture_runtime.h"
#include "source_file.h"
#include "zemlo/byte_order.h"

namespace zemlo::media {

namespace {

constexpr double kCentimetresPerMetre = 100.0;
constexpr double kCentimetresPerInch = 2.54;
// Resolutions outside this range are taken as missing rather than trusted.
constexpr double kMinDpi = 10.0;
constexpr double kMaxDpi = 10000.0;
constexpr int kMaxIcoImages = 256;
constexpr int kIndexedColours = 256;
constexpr int kMonoColours = 2;
constexpr int kGifScreenOffset = 6;
// Detail steps beyond covering the area; 32 steps are 2^16 times the pixels, past any stored size.
constexpr int kMaxDetail = 32;  // after "GIF89a": screen width and height, 16 bits each
// Qt's image readers take this many megabytes for one decoded image at most.
constexpr int kAllocationLimitMegabytes = 4 * kMaxRasterPixels / (1 << 20);

// Files that state dots per inch reach us in whole dots per metre, which loses up to 0.0254 dpi;
// a value that close to a whole dpi is taken as that dpi.
constexpr double kDpmRoundingLoss = 0.0254;

double dpi_of(int dots_per_metre) {
    const double dpi = dots_per_metre * kCentimetresPerInch / kCentimetresPerMetre;
    const double whole = std::round(dpi);
    return std::abs(dpi - whole) <= kDpmRoundingLoss ? whole : dpi;
}

// Qt gives every image a resolution; one equal to the default of a fresh image means the file
// stated none, which is read as the 96 dpi of the screen.
double resolution(int dots_per_metre) {
    static const int default_dpm = QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX();
    const double dpi = dpi_of(dots_per_metre);
    if (dots_per_metre == default_dpm || dpi < kMinDpi || dpi > kMaxDpi) {
        return kLogicalDpi;
    }
    return dpi;
}

// At least 1, and no more than an int holds however large the picture claims to be.
int himetric(int pixels, double dpi) {
    const double value = std::round(pixels * static_cast<double>(kHimetricPerInch) / dpi);
    return static_cast<int>(std::clamp(value, 1.0, static_cast<double>(INT_MAX)));
}

// Decoded pixels per stored pixel that still cover the whole drawing area with the picture.
double covering_scale(QSize full) {
    return std::max(static_cast<double>(kAreaWidth) / full.width(),
                    static_cast<double>(kAreaHeight) / full.height());
}

// The scale of a detail step: each one doubles the pixels.
double detail_scale(double covering, int detail) {
    return covering * std::pow(2.0, detail / 2.0);
}

// The size a large JPEG is decoded at: reduced, with its proportions, to the smallest size that
// still covers the whole drawing area (so neither effect alone ever enlarges it), or more for a
// higher detail.
QSize reduced_size(QSize full, int detail) {
    const double scale = detail_scale(covering_scale(full), detail);
    if (scale >= 1.0) {
        return full;
    }
    return {std::max(kAreaWidth, static_cast<int>(std::ceil(full.width() * scale))),
            std::max(kAreaHeight, static_cast<int>(std::ceil(full.height() * scale)))};
}

// Qt reports a GIF's first frame as its size but decodes every frame into an image of the
// logical screen the file states; the larger of the two is what decoding costs.
QSize gif_canvas(QIODevice &device, QSize frame) {
    const QByteArray head = device.peek(kGifScreenOffset + 4);
    if (head.size() < kGifScreenOffset + 4) {
        return frame;
    }
    const auto *p = reinterpret_cast<const uint8_t *>(head.constData()) + kGifScreenOffset;
    const int width = read_le16(p);
    const int height = read_le16(p + 2);
    return {std::max(width, frame.width()), std::max(height, frame.height())};
}

// A paletted file can use indices past the colours it stores, and Qt's painter looks every index
// up without a check; the table is completed with black so that every index has a colour.
void complete_colour_table(QImage &image) {
    const int needed = image.format() == QImage::Format_Indexed8 ? kIndexedColours
                       : image.depth() == 1                      ? kMonoColours
                                                                 : 0;
    if (needed == 0 || image.colorCount() >= needed) {
        return;
    }
    QList<QRgb> table = image.colorTable();
    table.resize(needed, qRgb(0, 0, 0));
    image.setColorTable(table);
}

// Why a picture of this stored size is not decoded, if it is not. A header can claim any size;
// this is checked before the reader allocates anything.
std::optional<std::string> refuse_size(const QByteArray &format, QSize stored) {
    if (!stored.isValid()) {
        return std::nullopt;  // the reader cannot tell before decoding; its allocation limit holds
    }
    // A JPEG is decoded reduced while it is read (to an eighth of each side at most), so it may
    // be far larger than what every other format, decoded whole, may be.
    const bool jpeg = format == "jpeg";
    const bool too_wide = !jpeg && std::max(stored.width(), stored.height()) > kMaxPictureSide;
    const qint64 pixels = qint64{stored.width()} * stored.height();
    if (too_wide || pixels > (jpeg ? kMaxJpegPixels : kMaxRasterPixels)) {
        return "picture too large: " + std::to_string(stored.width()) + " x " +
               std::to_string(stored.height()) + " pixels";
    }
    return std::nullopt;
}

// An icon file holds several images; the best is the largest, then the deepest. The images
// together are decoded within the budget of one picture.
QImage best_icon_image(QImageReader &reader) {
    QImage best;
    qint64 budget = kMaxRasterPixels;
    const int count = std::min(reader.imageCount(), kMaxIcoImages);
    for (int i = 0; i < std::max(count, 1); ++i) {
        if (count > 0 && !reader.jumpToImage(i)) {
            break;
        }
        const QSize size = reader.size();
        if (size.isValid() && qint64{size.width()} * size.height() > budget) {
            break;
        }
        QImage candidate = reader.read();
        if (candidate.isNull()) {
            continue;
        }
        const qint64 area = static_cast<qint64>(candidate.width()) * candidate.height();
        budget -= area;
        const qint64 best_area = static_cast<qint64>(best.width()) * best.height();
        if (best.isNull() || area > best_area ||
            (area == best_area && candidate.depth() > best.depth())) {
            best = std::move(candidate);
        }
        if (budget <= 0) {
            break;
        }
    }
    return best;
}

DecodeResult decode_raster(QIODevice &device, const DecodeOptions &options) {
    QImageReader reader(&device);
    reader.setAutoTransform(false);
    reader.setAllocationLimit(kAllocationLimitMegabytes);
    const QByteArray format = reader.format();
    if (format.isEmpty()) {
        return {std::nullopt, "unknown picture format"};
    }
    const QSize full = reader.size();
    const QSize canvas = format == "gif" ? gif_canvas(device, full) : full;
    if (auto refusal = refuse_size(format, canvas)) {
        return {std::nullopt, *refusal};
    }
    // A photo taken with the camera turned is stored sideways or upside down, with a tag that
    // says how to turn it upright; the reader turns it after decoding (and after reducing).
    const QImageIOHandler::Transformations turn =
        options.autorotate ? reader.transformation() : QImageIOHandler::TransformationNone;
    const bool sideways = (turn & QImageIOHandler::TransformationRotate90) != 0;
    reader.setAutoTransform(options.autorotate);
    const QSize upright = sideways ? full.transposed() : full;
    QImage image;
    if (format == "ico" || format == "cur") {
        image = best_icon_image(reader);
    } else {
        // Only the JPEG reader can decode at a reduced size cheaply; the first frame of an
        // animation is the picture.
        if (format == "jpeg" && full.isValid()) {
            const QSize reduced = reduced_size(upright, options.detail);
            if (reduced != upright) {
                reader.setScaledSize(sideways ? reduced.transposed() : reduced);
            }
        }
        image = reader.read();
    }
    if (image.isNull()) {
        return {std::nullopt, "cannot decode picture: " + reader.errorString().toStdString()};
    }
    // Some headers (a BMP stored top-down) give no size before decoding; the reader's allocation
    // limit has bounded the cost, and the same bounds hold for what came out.
    if (format != "jpeg") {
        if (auto refusal = refuse_size(format, image.size())) {
            return {std::nullopt, *refusal};
        }
    }
    complete_colour_table(image);
    // The natural size belongs to the picture as stored, not to the reduced decode.
    const QSize stored =
        upright.isValid() && image.size() != upright && format == "jpeg" ? upright : image.size();
    const NaturalSize natural{himetric(stored.width(), resolution(image.dotsPerMeterX())),
                              himetric(stored.height(), resolution(image.dotsPerMeterY()))};
    if (natural.width <= 0 || natural.height <= 0) {
        return {std::nullopt, "picture has no size"};
    }
    return {DecodedPicture::raster(std::move(image), natural,
                                   PictureSize{stored.width(), stored.height()}),
            {}};
}

DecodeResult decode_metafile(const QByteArray &bytes, MetafileKind kind) {
    // Drawing text without Qt's font database would abort the process.
    if (!picture_runtime_ready()) {
        return {std::nullopt, "metafiles need the picture runtime (no QGuiApplication)"};
    }
    const MetafileSvg svg = kind == MetafileKind::Emf ? emf_to_svg(bytes) : wmf_to_svg(bytes);
    if (!svg.error.empty()) {
        return {std::nullopt, svg.error};
    }
    if (svg.width <= 0 || svg.height <= 0) {
        return {std::nullopt, "metafile has no size"};
    }
    auto renderer = std::make_shared<QSvgRenderer>(svg.svg);
    if (!renderer->isValid()) {
        return {std::nullopt, "cannot draw the metafile"};
    }
    renderer->setAspectRatioMode(Qt::IgnoreAspectRatio);
    return {DecodedPicture::vector(std::move(renderer), {svg.width, svg.height}), {}};
}

DecodeResult decode_picture_from(QIODevice &device, qint64 size, const DecodeOptions &options) {
    const QByteArray head = device.peek(kMetafileSniffBytes);
    const std::optional<MetafileKind> kind = sniff_metafile(head);
    if (!kind) {
        return decode_raster(device, options);
    }
    if (size > kMaxMetafileBytes) {
        return {std::nullopt, "metafile too large: " + std::to_string(size) + " bytes (at most " +
                                  std::to_string(kMaxMetafileBytes) + ")"};
    }
    // What the file held when it was opened, and no more should it grow meanwhile.
    const QByteArray bytes = device.read(size);
    return decode_metafile(bytes, *kind);
}

}  // namespace

int detail_for_scale(double scale, PictureSize upright) {
    if (upright.width <= 0 || upright.height <= 0) {
        return 0;
    }
    const double covering = covering_scale({upright.width, upright.height});
    int detail = 0;
    while (detail < kMaxDetail && detail_scale(covering, detail) < std::min(scale, 1.0)) {
        ++detail;
    }
    return detail;
}

DecodedPicture DecodedPicture::raster(QImage image, NaturalSize natural,
                                      std::optional<PictureSize> upright) {
    DecodedPicture p;
    p.upright_ = upright.value_or(PictureSize{image.width(), image.height()});
    p.image_ = std::move(image);
    p.natural_ = natural;
    return p;
}

DecodedPicture DecodedPicture::vector(std::shared_ptr<QSvgRenderer> renderer, NaturalSize natural) {
    DecodedPicture p;
    p.vector_ = std::move(renderer);
    p.natural_ = natural;
    p.upright_ = {std::max(1, mul_div(natural.width, kLogicalDpi, kHimetricPerInch)),
                  std::max(1, mul_div(natural.height, kLogicalDpi, kHimetricPerInch))};
    return p;
}

void DecodedPicture::draw(QPainter &painter, const QRect &target) const {
    if (target.isEmpty()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (vector_) {
        vector_->render(&painter, QRectF(target));
    } else if (image_.size() == target.size()) {
        painter.drawImage(target.topLeft(), image_);
    } else {
        // Scaling once with the smooth filter gives the same picture as drawing scaled, and
        // the area average of a large reduction is better than the painter's bilinear sample.
        painter.drawImage(target.topLeft(), image_.scaled(target.size(), Qt::IgnoreAspectRatio,
                                                          Qt::SmoothTransformation));
    }
    painter.restore();
}

void DecodedPicture::draw_part(QPainter &painter, const FramePlacement &placement) const {
    const PixelRect &t = placement.target;
    if (t.width <= 0 || t.height <= 0 || placement.source.width <= 0 ||
        placement.source.height <= 0) {
        return;
    }
    const QRect target(t.left, t.top, t.width, t.height);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (vector_) {
        // The whole drawing, placed so that the source part lands on the target, cut to it.
        const SourceRect &s = placement.source;
        const double left = t.left - s.left * placement.scale_x;
        const double top = t.top - s.top * placement.scale_y;
        painter.setClipRect(target);
        vector_->render(&painter, QRectF(left, top, upright_.width * placement.scale_x,
                                         upright_.height * placement.scale_y));
    } else if (!image_.isNull()) {
        // The source part in the decoded image's pixels (a reduced decode has fewer), to whole
        // pixels, then scaled once with the smooth filter as the whole picture is.
        const double per_x = static_cast<double>(image_.width()) / upright_.width;
        const double per_y = static_cast<double>(image_.height()) / upright_.height;
        const SourceRect &s = placement.source;
        const int left =
            std::clamp(static_cast<int>(std::round(s.left * per_x)), 0, image_.width() - 1);
        const int top =
            std::clamp(static_cast<int>(std::round(s.top * per_y)), 0, image_.height() - 1);
        const int right = std::clamp(static_cast<int>(std::round((s.left + s.width) * per_x)),
                                     left + 1, image_.width());
        const int bottom = std::clamp(static_cast<int>(std::round((s.top + s.height) * per_y)),
                                      top + 1, image_.height());
        const QRect part(left, top, right - left, bottom - top);
        const QImage piece = part == image_.rect() ? image_ : image_.copy(part);
        if (piece.size() == target.size()) {
            painter.drawImage(target.topLeft(), piece);
        } else {
            painter.drawImage(target.topLeft(), piece.scaled(target.size(), Qt::IgnoreAspectRatio,
                                                             Qt::SmoothTransformation));
        }
    }
    painter.restore();
}

DecodeResult decode_picture(const std::string &path, const DecodeOptions &options) {
    // Pictures are regular files; a device or a pipe could block or never end.
    SourceFile source = open_source_file(path);
    if (source.fd < 0) {
        return {std::nullopt, "cannot open: " + source.reason};
    }
    QFile file;
    if (!file.open(source.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(source.fd);
        return {std::nullopt, "cannot open: " + file.errorString().toStdString()};
    }
    return decode_picture_from(file, source.size, options);
}

DecodeResult decode_picture_bytes(const QByteArray &bytes, const DecodeOptions &options) {
    QByteArray copy = bytes;  // QBuffer wants a non-const array; this shares, it does not copy
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return decode_picture_from(buffer, bytes.size(), options);
}

}  // namespace zemlo::media
