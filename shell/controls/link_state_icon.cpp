#include "link_state_icon.h"

#include "control_accessibility.h"

#include "artwork.h"

#include <QPainter>

namespace zemlo::shell {

LinkStateIcon::LinkStateIcon(QWidget *parent)
    : QLabel(parent),
      connected_([] { return false; }),
      disconnected_icon_(load_icon(Icon::Disconnected)),
      connected_icon_(load_icon(Icon::Connected)),
      natural_(icon_natural_size(Icon::Disconnected)) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    install_control_accessibility();
}

void LinkStateIcon::set_connected_source(std::function<bool()> connected) {
    connected_ = connected ? std::move(connected) : [] { return false; };
    update();
}

void LinkStateIcon::set_connected_flag(const std::atomic<bool> *flag) {
    if (flag == nullptr) {
        set_connected_source({});
        return;
    }
    set_connected_source([flag] { return flag->load(); });
}

QRect LinkStateIcon::icon_rect() const {
    const QRect room = contentsRect();
    const QSize size = natural_.boundedTo(room.size()).isEmpty()
                           ? QSize()
                           : natural_.scaled(natural_.boundedTo(room.size()), Qt::KeepAspectRatio);
    return QRect(QPoint(room.left(), room.top() + (room.height() - size.height()) / 2), size);
}

void LinkStateIcon::paintEvent(QPaintEvent *) {
    QPainter p(this);
    drawFrame(&p);
    const QIcon &icon = connected_() ? connected_icon_ : disconnected_icon_;
    const QRect at = icon_rect();
    if (!icon.isNull() && !at.isEmpty()) {
        p.drawPixmap(at, icon.pixmap(at.size(), devicePixelRatioF()));
    }
}

}  // namespace zemlo::shell
