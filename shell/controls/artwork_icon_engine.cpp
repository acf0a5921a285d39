#include "artwork_icon_engine.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

namespace zemlo::shell {

ArtworkIconEngine::ArtworkIconEngine(std::shared_ptr<QSvgRenderer> document,
                                     std::shared_ptr<Drawn> drawn)
    : document_(std::move(document)),
      drawn_(drawn ? std::move(drawn) : std::make_shared<Drawn>()) {}

void ArtworkIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode,
                              QIcon::State state) {
    QSize pixels = rect.size();
    if (painter->device() != nullptr) {
        pixels *= painter->device()->devicePixelRatio();
    }
    painter->drawPixmap(rect, pixmap(pixels, mode, state));
}

QSize ArtworkIconEngine::actualSize(const QSize &size, QIcon::Mode, QIcon::State) {
    if (isNull()) {
        return {};
    }
    return document_->defaultSize().scaled(size, Qt::KeepAspectRatio);
}

QPixmap ArtworkIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) {
    const QSize fitted = actualSize(size, mode, state);
    if (fitted.isEmpty()) {
        return {};
    }
    const QString key =
        QStringLiteral("%1x%2/%3").arg(fitted.width()).arg(fitted.height()).arg(mode);
    if (const auto found = drawn_->constFind(key); found != drawn_->cend()) {
        return *found;
    }
    QPixmap drawn;
    if (mode == QIcon::Normal) {
        QImage image(fitted, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        document_->render(&painter);
        painter.end();
        drawn = QPixmap::fromImage(image);
    } else {
        // Another mode is the style's change of the normal pixmap, which is drawn (or found
        // drawn) first: the document is drawn once per size.
        drawn = pixmap(fitted, QIcon::Normal, state);
        if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
            QStyleOption option;
            option.palette = QGuiApplication::palette();
            drawn = QApplication::style()->generatedIconPixmap(mode, drawn, &option);
        }
    }
    drawn_->insert(key, drawn);
    return drawn;
}

QIconEngine *ArtworkIconEngine::clone() const {
    return new ArtworkIconEngine(document_, drawn_);
}

QString ArtworkIconEngine::key() const {
    return QStringLiteral("zemlo-artwork");
}

bool ArtworkIconEngine::isNull() {
    return !document_ || !document_->isValid();
}

}  // namespace zemlo::shell
