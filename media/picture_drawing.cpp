#include "picture_drawing.h"

#include <QPainter>

namespace zemlo::media {

QImage draw_picture_area(const DecodedPicture &picture, DisplayEffect effect) {
    QImage area(kAreaWidth, kAreaHeight, QImage::Format_RGB32);
    area.fill(Qt::black);
    const NaturalSize natural = picture.natural();
    const PixelRect r = picture_rect(effect, natural.width, natural.height);
    const PixelRect d = drawing_area();
    QPainter painter(&area);
    picture.draw(painter, QRect(r.left - d.left, r.top - d.top, r.width, r.height));
    painter.end();
    return area;
}

}  // namespace zemlo::media
