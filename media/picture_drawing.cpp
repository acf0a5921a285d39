#include "picture_drawing.h"

#include <QPainter>

namespace zemlo::media {

namespace {

QImage black_area() {
    QImage area(kAreaWidth, kAreaHeight, QImage::Format_RGB32);
    area.fill(Qt::black);
    return area;
}

}  // namespace

QImage draw_picture_area(const DecodedPicture &picture, DisplayEffect effect) {
    QImage area = black_area();
    const NaturalSize natural = picture.natural();
    const PixelRect r = picture_rect(effect, natural.width, natural.height);
    const PixelRect d = drawing_area();
    QPainter painter(&area);
    picture.draw(painter, QRect(r.left - d.left, r.top - d.top, r.width, r.height));
    painter.end();
    return area;
}

QImage draw_framed_area(const DecodedPicture &picture, const FramePlacement &placement) {
    QImage area = black_area();
    QPainter painter(&area);
    picture.draw_part(painter, placement);
    painter.end();
    return area;
}

}  // namespace zemlo::media
