#include "link_state_icon.h"

#include "artwork.h"

#include <QPainter>

namespace zemlo::shell {

namespace {

QPixmap iconAtOwnSize(int id) {
    const QSize size = iconNaturalSize(id);
    return size.isEmpty() ? QPixmap() : loadIcon(id).pixmap(size);
}

}  // namespace

LinkStateIcon::LinkStateIcon(QWidget *parent)
    : QLabel(parent),
      connected_([] { return false; }),
      disconnectedIcon_(iconAtOwnSize(kDisconnectedIcon)),
      connectedIcon_(iconAtOwnSize(kConnectedIcon)) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

void LinkStateIcon::setConnectedSource(std::function<bool()> connected) {
    connected_ = connected ? std::move(connected) : [] { return false; };
    update();
}

void LinkStateIcon::setConnectedFlag(const std::atomic<bool> *flag) {
    if (flag == nullptr) {
        setConnectedSource({});
        return;
    }
    setConnectedSource([flag] { return flag->load(); });
}

void LinkStateIcon::paintEvent(QPaintEvent *) {
    QPainter p(this);
    drawFrame(&p);
    const QPixmap &icon = connected_() ? connectedIcon_ : disconnectedIcon_;
    if (!icon.isNull()) {
        p.drawPixmap(contentsRect().topLeft(), icon);
    }
}

}  // namespace zemlo::shell
