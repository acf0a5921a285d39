// How the program's icons are drawn: each icon's SVG is read once for the whole program, and each
// icon made from it draws pixmaps from that one document (kept per size and mode once drawn, and
// shared by every icon made from the document, so one drawn ahead is not drawn again). The
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
    using Drawn = QHash<QString, QPixmap>;
    ArtworkIconEngine(std::shared_ptr<QSvgRenderer> document, std::shared_ptr<Drawn> drawn);

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
    std::shared_ptr<Drawn> drawn_;
};

}  // namespace zemlo::shell
