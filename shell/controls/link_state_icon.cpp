#include "link_state_icon.h"

#include "control_accessibility.h"

#include "artwork.h"

#include <QPainter>

namespace zemlo::shell {

namespace {

QPixmap icon_at_own_size(Icon id) {
    const QSize size = icon_natural_size(id);
    return size.isEmpty() ? QPixmap() : load_icon(id).pixmap(size);
}

}  // namespace

LinkStateIcon::LinkStateIcon(QWidget *parent)
    : QLabel(parent),
      connected_([] { return false; }),
      disconnected_icon_(icon_at_own_size(Icon::Disconnected)),
      connected_icon_(icon_at_own_size(Icon::Connected)) {
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

void LinkStateIcon::paintEvent(QPaintEvent *) {
    QPainter p(this);
    drawFrame(&p);
    const QPixmap &icon = connected_() ? connected_icon_ : disconnected_icon_;
    if (!icon.isNull()) {
        p.drawPixmap(contentsRect().topLeft(), icon);
    }
}

}  // namespace zemlo::shell
