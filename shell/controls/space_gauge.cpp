#include "space_gauge.h"

#include "control_accessibility.h"
#include "space_gauge_figures.h"

#include <QAccessible>

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
    set_font_height(kDefaultFontHeight);
    tip_text_ = space_tip_text(0, 0);
    install_control_accessibility();
}

SpaceGauge::~SpaceGauge() = default;

void SpaceGauge::set_font_height(int pixels) {
    QFont f = QApplication::font();
    f.setPixelSize(pixels);
    setFont(f);
    update();
}

void SpaceGauge::enable_tool_tip(bool on) {
    if (on) {
        tip_ = std::make_unique<ControlToolTip>(this, tip_text_);
    } else {
        tip_.reset();
    }
}

void SpaceGauge::set_space(bool shown, std::int32_t total, std::int32_t free) {
    shown_ = shown;
    total_ = total;
    free_ = free;
    tip_text_ = space_tip_text(total, free);
    if (tip_) {
        tip_->set_text(tip_text_);
    }
    update();
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    QAccessibleValueChangeEvent moved(this, used_percent());
    QAccessible::updateAccessibility(&moved);
}

namespace {

constexpr int kPercentScale = 100;

}  // namespace

int SpaceGauge::used_percent() const {
    return shown_ ? gauge_figures(kPercentScale, total_, free_).used_width : 0;
}

QString SpaceGauge::used_percent_text() const {
    return shown_ ? gauge_figures(kPercentScale, total_, free_).percent : QString();
}

void SpaceGauge::paintEvent(QPaintEvent *event) {
    if (!shown_) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    drawFrame(&p);
    const QRect r = contentsRect();
    const GaugeFigures g = gauge_figures(r.width(), total_, free_);
    if (!g.has_data) {
        p.fillRect(r, palette().color(QPalette::Base));
        return;
    }
    p.fillRect(r, kFreeColour);
    p.fillRect(QRect(r.left(), r.top(), g.used_width, r.height()), kUsedColour);
    p.setClipRect(r);
    p.setFont(font());
    p.setPen(kTextColour);
    const int text_width = QFontMetrics(font()).horizontalAdvance(g.percent);
    const int x = gauge_text_x(r.left(), r.width(), text_width);
    p.drawText(QRect(x, r.top(), text_width, r.height()),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, g.percent);
}

}  // namespace zemlo::shell
