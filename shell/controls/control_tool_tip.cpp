#include "control_tool_tip.h"

#include "tip_text.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>

namespace zemlo::shell {

namespace {

constexpr int kBorder = 1;

PointerState realPointer() {
    PointerState s;
    s.globalPos = QCursor::pos();
    s.leftDown = QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
    s.focusWidget = QApplication::focusWidget();
    return s;
}

}  // namespace

ControlToolTip::ControlToolTip(QWidget *control, const QString &text)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      control_(control),
      probe_(realPointer) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    resize(0, 0);
    setText(text);
    connect(&timer_, &QTimer::timeout, this, &ControlToolTip::poll);
    timer_.start(kPollMs);
}

ControlToolTip::~ControlToolTip() {
    hide();
    timer_.stop();
}

QFont ControlToolTip::tipFont() const {
    return QApplication::font();
}

void ControlToolTip::setText(const QString &text) {
    text_ = boundedTipText(text);
    const QSize extent = tipTextExtent(QFontMetrics(tipFont()), text_);
    resize(extent + QSize(kTipPadding, kTipPadding));
    if (isVisible()) {
        placeAndShow();
    }
}

void ControlToolTip::poll() {
    if (!control_) {
        return;
    }
    const PointerState s = probe_();
    // The control's whole rectangle counts, its right and bottom edges included.
    const QRect onScreen(control_->mapToGlobal(QPoint(0, 0)), control_->size() + QSize(1, 1));
    const bool focusInWindow = s.focusWidget && s.focusWidget->window() == control_->window();
    switch (tipPollStep(isVisible(), onScreen.contains(s.globalPos), s.leftDown, focusInWindow)) {
        case TipStep::Show:
            placeAndShow();
            break;
        case TipStep::Hide:
            hide();
            break;
        case TipStep::None:
            break;
    }
}

void ControlToolTip::placeAndShow() {
    if (text_.isEmpty() || !control_) {
        hide();
        return;
    }
    move(control_->mapToGlobal(QPoint(0, 0)));
    // A tool-tip window comes up above every other window when shown.
    show();
    repaint();
}

void ControlToolTip::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::ToolTipBase));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setFont(tipFont());
    const QFontMetrics metrics(tipFont());
    int y = kBorder;
    for (const QString &line : tipLines(text_)) {
        p.drawText(QRect(kBorder, y, width() - kBorder, metrics.height()),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line);
        y += metrics.height();
    }
}

}  // namespace zemlo::shell
