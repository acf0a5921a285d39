#include "space_gauge.h"

#include "space_gauge_figures.h"

#include <QApplication>
#include <QPainter>

namespace zemlo::shell {

namespace {

const QColor kUsedColour(255, 0, 0);
const QColor kFreeColour(0, 0, 255);
const QColor kTextColour(255, 255, 255);

}  // namespace

SpaceGauge::SpaceGauge(QWidget *parent) : QLabel(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAlignment(Qt::AlignCenter);
    // The colours it shows as a plain label: window text on the button face.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);
    setAutoFillBackground(true);
    setFontHeight(kDefaultFontHeight);
    tipText_ = spaceTipText(0, 0);
}

SpaceGauge::~SpaceGauge() = default;

void SpaceGauge::setFontHeight(int pixels) {
    QFont f = QApplication::font();
    f.setPixelSize(pixels);
    setFont(f);
    update();
}

void SpaceGauge::enableToolTip(bool on) {
    if (on) {
        tip_ = std::make_unique<ControlToolTip>(this, tipText_);
    } else {
        tip_.reset();
    }
}

void SpaceGauge::setSpace(bool shown, std::int32_t total, std::int32_t free) {
    shown_ = shown;
    total_ = total;
    free_ = free;
    tipText_ = spaceTipText(total, free);
    if (tip_) {
        tip_->setText(tipText_);
    }
    update();
}

void SpaceGauge::paintEvent(QPaintEvent *event) {
    if (!shown_) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    drawFrame(&p);
    const QRect r = contentsRect();
    const GaugeFigures g = gaugeFigures(r.width(), total_, free_);
    if (!g.hasData) {
        p.fillRect(r, palette().color(QPalette::Base));
        return;
    }
    p.fillRect(r, kFreeColour);
    p.fillRect(QRect(r.left(), r.top(), g.usedWidth, r.height()), kUsedColour);
    p.setClipRect(r);
    p.setFont(font());
    p.setPen(kTextColour);
    const int textWidth = QFontMetrics(font()).horizontalAdvance(g.percent);
    const int x = gaugeTextX(r.left(), r.width(), textWidth);
    p.drawText(QRect(x, r.top(), textWidth, r.height()),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, g.percent);
}

}  // namespace zemlo::shell
