#include "control_tool_tip.h"

#include "tip_text.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>

namespace zemlo::shell {

namespace {

constexpr int kBorder = 1;

PointerState real_pointer() {
    PointerState s;
    s.global_pos = QCursor::pos();
    s.left_down = QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
    s.focus_widget = QApplication::focusWidget();
    return s;
}

}  // namespace

ControlToolTip::ControlToolTip(QWidget *control, const QString &text)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      control_(control),
      probe_(real_pointer) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    resize(0, 0);
    set_text(text);
    connect(&timer_, &QTimer::timeout, this, &ControlToolTip::poll);
    timer_.start(kPollMs);
}

ControlToolTip::~ControlToolTip() {
    hide();
    timer_.stop();
}

QFont ControlToolTip::tip_font() const {
    return QApplication::font();
}

void ControlToolTip::set_text(const QString &text) {
    text_ = bounded_tip_text(text);
    const QSize extent = tip_text_extent(QFontMetrics(tip_font()), text_);
    resize(extent + QSize(kTipPadding, kTipPadding));
    if (isVisible()) {
        place_and_show();
    }
}

void ControlToolTip::poll() {
    if (!control_) {
        return;
    }
    const PointerState s = probe_();
    // The control's whole rectangle counts, its right and bottom edges included.
    const QRect on_screen(control_->mapToGlobal(QPoint(0, 0)), control_->size() + QSize(1, 1));
    const bool focus_in_window = s.focus_widget && s.focus_widget->window() == control_->window();
    switch (tip_poll_step(isVisible(), on_screen.contains(s.global_pos), s.left_down,
                          focus_in_window)) {
        case TipStep::Show:
            place_and_show();
            break;
        case TipStep::Hide:
            hide();
            break;
        case TipStep::None:
            break;
    }
}

void ControlToolTip::place_and_show() {
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
    p.setFont(tip_font());
    const QFontMetrics metrics(tip_font());
    int y = kBorder;
    for (const QString &line : tip_lines(text_)) {
        p.drawText(QRect(kBorder, y, width() - kBorder, metrics.height()),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line);
        y += metrics.height();
    }
}

}  // namespace zemlo::shell
