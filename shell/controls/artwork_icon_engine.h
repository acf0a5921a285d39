// How the program's icons are drawn: each icon's SVG is read once for the whole program, and each
// icon made from it draws pixmaps from that one document (kept per size and mode once drawn). The
// toolkit's own SVG icon engine is a plug-in found by searching the plug-in folders, and it reads
// the file again for every pixmap it draws; the window's start draws a few dozen.
#pragma once

#include <QHash>
#include <QIconEngine>
#include <QPixmap>
#include <memory>

class QSvgRenderer;

namespace zemlo::shell {

class ArtworkIconEngine : public QIconEngine {
  public:
    explicit ArtworkIconEngine(std::shared_ptr<QSvgRenderer> document);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    // The document drawn to fit size (keeping its proportions); other modes than Normal as the
    // style shows them (a disabled icon greyed), as for any icon.
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override;
    QString key() const override;
    bool isNull() override;

  private:
    std::shared_ptr<QSvgRenderer> document_;
    QHash<QString, QPixmap> drawn_;
};

}  // namespace zemlo::shell
