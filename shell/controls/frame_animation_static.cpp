#include "frame_animation_static.h"

#include "control_accessibility.h"

#include "animation_frames.h"
#include "zemlo_resources.h"

#include <QPainter>

namespace zemlo::shell {

FrameAnimationStatic::FrameAnimationStatic(QWidget *parent) : QWidget(parent) {
    zemlo::resources::ensure_loaded();
    install_control_accessibility();
    connect(&timer_, &QTimer::timeout, this, &FrameAnimationStatic::tick);
}

void FrameAnimationStatic::start() {
    timer_.start(kFramePeriodMs);
}

void FrameAnimationStatic::stop() {
    index_ = 0;
    has_frame_ = false;
    timer_.stop();
    frame_ = QPixmap();
    update();
}

void FrameAnimationStatic::tick() {
    const FrameTick step = advance_frame(index_);
    frame_ = QPixmap(frame_resource_path(step.shown));
    index_ = step.next;
    has_frame_ = true;
    repaint();
}

void FrameAnimationStatic::paintEvent(QPaintEvent *) {
    if (!has_frame_ || frame_.isNull()) {
        return;
    }
    QPainter p(this);
    p.drawPixmap(0, 0, frame_);
}

}  // namespace zemlo::shell
