#include "icon_button.h"

#include "artwork.h"
#include "icon_button_layout.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace zemlo::shell {

namespace {

constexpr int kCaptionFlags = Qt::TextSingleLine | Qt::TextShowMnemonic;

bool leftHeld(Qt::MouseButtons buttons) {
    return buttons.testFlag(Qt::LeftButton);
}

void drawPixels(QPainter &p, const std::vector<QPoint> &points, const QColor &colour) {
    for (const QPoint &px : polylinePixels(points)) {
        p.fillRect(px.x(), px.y(), 1, 1, colour);
    }
}

}  // namespace

IconButton::IconButton(const QString &caption, QWidget *parent) : QPushButton(caption, parent) {
    const QPalette pal = palette();
    inactiveBackground_ = pal.color(QPalette::Button);
    activeBackground_ = pal.color(QPalette::Button);
    inactiveText_ = pal.color(QPalette::ButtonText);
    activeText_ = pal.color(QPalette::ButtonText);
    setFlat(true);
    setMouseTracking(true);
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void IconButton::setIcons(int overIconId, int normalIconId, int width, int height) {
    const QIcon over = loadIcon(overIconId);
    const QIcon normal = normalIconId == 0 ? QIcon() : loadIcon(normalIconId);
    setIconImages(over, normal, QSize(width, height));
}

void IconButton::setIconImages(const QIcon &over, const QIcon &normal, QSize size) {
    overIcon_ = over;
    normalIcon_ = normal.isNull() ? over : normal;
    iconSize_ = size;
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
        paintInto(bp);
    }
    QPainter p(this);
    p.drawImage(0, 0, buffer);
}

void IconButton::paintInto(QPainter &p) {
    const bool pressed = isDown();
    const bool disabled = !isEnabled();
    const bool lit = hover_.over() || pressed;
    const QPalette pal = palette();
    const EdgeRect r = EdgeRect::from(rect());

    p.fillRect(rect(), lit ? activeBackground_ : inactiveBackground_);
    for (const FrameLine &line : iconButtonFrame(r, pressed, hover_.over())) {
        const QColor colour = line.shade == FrameShade::Shadow ? pal.color(QPalette::Dark)
                                                               : pal.color(QPalette::Light);
        drawPixels(p, line.points, colour);
    }

    const QString caption = text();
    const bool hasIcon = !overIcon_.isNull() && !iconSize_.isEmpty();
    const IconButtonLayout layout =
        layoutIconButton(r, hasIcon ? iconSize_ : QSize(), !caption.isEmpty(), pressed);
    if (hasIcon) {
        const QIcon &icon = lit ? overIcon_ : normalIcon_;
        const QPixmap pm =
            icon.pixmap(iconSize_, devicePixelRatioF(), disabled ? QIcon::Disabled : QIcon::Normal);
        p.drawPixmap(QRect(layout.iconTopLeft, iconSize_), pm);
    }

    if (caption.isEmpty()) {
        return;
    }
    p.setFont(font());
    const QSize measured = QFontMetrics(font()).size(kCaptionFlags, caption);
    const QRect at(centredCaption(layout.captionArea, measured), measured);
    if (disabled) {
        // The engraved look of a disabled caption: a light copy one pixel lower right under a
        // shadow-coloured one.
        p.setPen(pal.color(QPalette::Light));
        p.drawText(at.translated(1, 1), kCaptionFlags, caption);
        p.setPen(pal.color(QPalette::Dark));
    } else {
        p.setPen(lit ? activeText_ : inactiveText_);
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
    apply(hover_.mouseMoved(rect().contains(event->position().toPoint()),
                            leftHeld(event->buttons())));
}

void IconButton::enterEvent(QEnterEvent *event) {
    QPushButton::enterEvent(event);
    apply(hover_.mouseMoved(true, leftHeld(QGuiApplication::mouseButtons())));
}

void IconButton::leaveEvent(QEvent *event) {
    QPushButton::leaveEvent(event);
    if (hover_.holdsCapture()) {
        apply(hover_.mouseMoved(false, leftHeld(QGuiApplication::mouseButtons())));
    }
}

void IconButton::focusOutEvent(QFocusEvent *event) {
    QPushButton::focusOutEvent(event);
    apply(hover_.focusLost());
}

void IconButton::changeEvent(QEvent *event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        apply(hover_.captureLost());
    }
    QPushButton::changeEvent(event);
}

void IconButton::hideEvent(QHideEvent *event) {
    apply(hover_.captureLost());
    QPushButton::hideEvent(event);
}

}  // namespace zemlo::shell
