#include "icon_button.h"

#include "artwork.h"
#include "control_accessibility.h"
#include "focus_cue.h"
#include "icon_button_layout.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace zemlo::shell {

namespace {

constexpr int kCaptionFlags = Qt::TextSingleLine | Qt::TextShowMnemonic;

bool left_held(Qt::MouseButtons buttons) {
    return buttons.testFlag(Qt::LeftButton);
}

void draw_pixels_at(QPainter &p, const std::vector<QPoint> &pixels, const QColor &colour) {
    for (const QPoint &px : pixels) {
        p.fillRect(px.x(), px.y(), 1, 1, colour);
    }
}

void draw_pixels(QPainter &p, const std::vector<QPoint> &points, const QColor &colour) {
    draw_pixels_at(p, polyline_pixels(points), colour);
}

}  // namespace

IconButton::IconButton(const QString &caption, QWidget *parent) : QPushButton(caption, parent) {
    const QPalette pal = palette();
    inactive_background_ = pal.color(QPalette::Button);
    active_background_ = pal.color(QPalette::Button);
    inactive_text_ = pal.color(QPalette::ButtonText);
    active_text_ = pal.color(QPalette::ButtonText);
    setFlat(true);
    setFocusPolicy(Qt::StrongFocus);
    install_control_accessibility();
    setMouseTracking(true);
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void IconButton::set_icon(Icon icon, int pixels) {
    set_icon_images(load_icon(icon), QIcon(), QSize(pixels, pixels));
}

void IconButton::set_icon_images(const QIcon &over, const QIcon &normal, QSize size) {
    over_icon_ = over;
    normal_icon_ = normal.isNull() ? over : normal;
    icon_size_ = size;
    repaint();
}

void IconButton::paintEvent(QPaintEvent *) {
    // The whole face is composed off screen and shown in one copy, so the frame never flickers
    // while the pointer moves over a row of buttons.
    const qreal ratio = devicePixelRatioF();
    QImage buffer(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    buffer.setDevicePixelRatio(ratio);
    {
        QPainter bp(&buffer);
        paint_into(bp);
    }
    QPainter p(this);
    p.drawImage(0, 0, buffer);
}

void IconButton::paint_into(QPainter &p) {
    const bool pressed = isDown();
    const bool disabled = !isEnabled();
    const bool lit = hover_.over() || pressed;
    const QPalette pal = palette();
    const EdgeRect r = EdgeRect::from(rect());

    p.fillRect(rect(), lit ? active_background_ : inactive_background_);
    for (const FrameLine &line : icon_button_frame(r, pressed, hover_.over())) {
        const QColor colour = line.shade == FrameShade::Shadow ? pal.color(QPalette::Dark)
                                                               : pal.color(QPalette::Light);
        draw_pixels(p, line.points, colour);
    }

    if (shows_focus_cue()) {
        // Inside the frame line; the icon and caption are laid out inside the ring.
        draw_pixels_at(p, focus_ring_pixels(r.shrunk(kFrameWidth)), pal.color(QPalette::Highlight));
    }

    const QString caption = text();
    const bool has_icon = !over_icon_.isNull() && !icon_size_.isEmpty();
    const IconButtonLayout layout =
        layout_icon_button(r, has_icon ? icon_size_ : QSize(), !caption.isEmpty(), pressed);
    if (has_icon && !layout.icon_size.isEmpty()) {
        const QIcon &icon = lit ? over_icon_ : normal_icon_;
        const QPixmap pm = icon.pixmap(layout.icon_size, devicePixelRatioF(),
                                       disabled ? QIcon::Disabled : QIcon::Normal);
        p.drawPixmap(QRect(layout.icon_top_left, layout.icon_size), pm);
    }

    if (caption.isEmpty()) {
        return;
    }
    p.setFont(font());
    const QSize measured = QFontMetrics(font()).size(kCaptionFlags, caption);
    const QRect at(centred_caption(layout.caption_area, measured), measured);
    if (disabled) {
        // The engraved look of a disabled caption: a light copy one pixel lower right under a
        // shadow-coloured one.
        p.setPen(pal.color(QPalette::Light));
        p.drawText(at.translated(1, 1), kCaptionFlags, caption);
        p.setPen(pal.color(QPalette::Dark));
    } else {
        p.setPen(lit ? active_text_ : inactive_text_);
    }
    p.drawText(at, kCaptionFlags, caption);
}

void IconButton::apply(const HoverEffects &fx) {
    // Qt delivers moves outside the button while it is pressed, and a leave event when the
    // pointer goes: holding the pointer is bookkeeping in the tracker, nothing more.
    if (fx.repaint) {
        update();
    }
}

void IconButton::mouseMoveEvent(QMouseEvent *event) {
    QPushButton::mouseMoveEvent(event);
    apply(hover_.mouse_moved(rect().contains(event->position().toPoint()),
                             left_held(event->buttons())));
}

void IconButton::enterEvent(QEnterEvent *event) {
    QPushButton::enterEvent(event);
    apply(hover_.mouse_moved(true, left_held(QGuiApplication::mouseButtons())));
}

void IconButton::leaveEvent(QEvent *event) {
    QPushButton::leaveEvent(event);
    if (hover_.holds_capture()) {
        apply(hover_.mouse_moved(false, left_held(QGuiApplication::mouseButtons())));
    }
}

void IconButton::focusInEvent(QFocusEvent *event) {
    focus_cue_ = focus_cue_after_focus_in(event->reason(), focus_cue_);
    QPushButton::focusInEvent(event);
    update();
}

void IconButton::keyPressEvent(QKeyEvent *event) {
    // Whoever presses a key on the button is using the keyboard: show where the focus is.
    if (!focus_cue_) {
        focus_cue_ = true;
        update();
    }
    // Enter presses a focused button as Space does, also when it is not the window's default.
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !event->isAutoRepeat() &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void IconButton::focusOutEvent(QFocusEvent *event) {
    QPushButton::focusOutEvent(event);
    apply(hover_.focus_lost());
    update();  // the focus cue goes
}

void IconButton::changeEvent(QEvent *event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        apply(hover_.capture_lost());
    }
    QPushButton::changeEvent(event);
}

void IconButton::hideEvent(QHideEvent *event) {
    apply(hover_.capture_lost());
    QPushButton::hideEvent(event);
}

}  // namespace zemlo::shell
