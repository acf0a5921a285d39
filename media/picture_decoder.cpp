#include "picture_decoder.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <cmath>

#include "metafile_svg.h"
#include "picture_geometry.h"
#include "picture_runtime.h"

namespace zemlo::media {

namespace {

constexpr double kCentimetresPerMetre = 100.0;
constexpr double kCentimetresPerInch = 2.54;
// Resolutions outside this range are taken as missing rather than trusted.
constexpr double kMinDpi = 10.0;
constexpr double kMaxDpi = 10000.0;
constexpr int kMaxIcoImages = 256;
constexpr qint64 kMaxMetafileBytes = 64LL << 20;

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

int himetric(int pixels, double dpi) {
    return std::max(1, static_cast<int>(std::lround(pixels * kHimetricPerInch / dpi)));
}

// The size a large JPEG is decoded at: reduced, with its proportions, to the smallest size that
// still covers the whole drawing area, so neither effect ever enlarges it.
QSize reduced_size(QSize full) {
    const double scale = std::max(static_cast<double>(kAreaWidth) / full.width(),
                                  static_cast<double>(kAreaHeight) / full.height());
    if (scale >= 1.0) {
        return full;
    }
    return {std::max(kAreaWidth, static_cast<int>(std::ceil(full.width() * scale))),
            std::max(kAreaHeight, static_cast<int>(std::ceil(full.height() * scale)))};
}

// An icon file holds several images; the best is the largest, then the deepest.
QImage best_icon_image(QImageReader &reader) {
    QImage best;
    const int count = std::min(reader.imageCount(), kMaxIcoImages);
    for (int i = 0; i < std::max(count, 1); ++i) {
        if (count > 0 && !reader.jumpToImage(i)) {
            break;
        }
        QImage candidate = reader.read();
        if (candidate.isNull()) {
            continue;
        }
        const qint64 area = static_cast<qint64>(candidate.width()) * candidate.height();
        const qint64 best_area = static_cast<qint64>(best.width()) * best.height();
        if (best.isNull() || area > best_area ||
            (area == best_area && candidate.depth() > best.depth())) {
            best = std::move(candidate);
        }
    }
    return best;
}

DecodeResult decode_raster(const QString &path) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    const QByteArray format = reader.format();
    if (format.isEmpty()) {
        return {std::nullopt, "unknown picture format"};
    }
    const QSize full = reader.size();
    QImage image;
    if (format == "ico" || format == "cur") {
        image = best_icon_image(reader);
    } else {
        // Only the JPEG reader can decode at a reduced size cheaply; the first frame of an
        // animation is the picture.
        if (format == "jpeg" && full.isValid()) {
            const QSize reduced = reduced_size(full);
            if (reduced != full) {
                reader.setScaledSize(reduced);
            }
        }
        image = reader.read();
    }
    if (image.isNull()) {
        return {std::nullopt, "cannot decode picture: " + reader.errorString().toStdString()};
    }
    // The natural size belongs to the picture as stored, not to the reduced decode.
    const QSize stored =
        full.isValid() && image.size() != full && format == "jpeg" ? full : image.size();
    const NaturalSize natural{himetric(stored.width(), resolution(image.dotsPerMeterX())),
                              himetric(stored.height(), resolution(image.dotsPerMeterY()))};
    if (natural.width <= 0 || natural.height <= 0) {
        return {std::nullopt, "picture has no size"};
    }
    return {DecodedPicture::raster(std::move(image), natural), {}};
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

}  // namespace

DecodedPicture DecodedPicture::raster(QImage image, NaturalSize natural) {
    DecodedPicture p;
    p.image_ = std::move(image);
    p.natural_ = natural;
    return p;
}

DecodedPicture DecodedPicture::vector(std::shared_ptr<QSvgRenderer> renderer, NaturalSize natural) {
    DecodedPicture p;
    p.vector_ = std::move(renderer);
    p.natural_ = natural;
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

DecodeResult decode_picture(const QString &path) {
    // A device or a pipe could block or never end; pictures are plain files.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        return {std::nullopt, "not a plain file"};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {std::nullopt, "cannot open: " + file.errorString().toStdString()};
    }
    const QByteArray head = file.peek(kMetafileSniffBytes);
    const std::optional<MetafileKind> kind = sniff_metafile(head);
    if (!kind) {
        file.close();
        return decode_raster(path);
    }
    if (file.size() > kMaxMetafileBytes) {
        return {std::nullopt, "metafile too large"};
    }
    return decode_metafile(file.readAll(), *kind);
}

}  // namespace zemlo::media
