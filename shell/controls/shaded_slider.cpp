#include "shaded_slider.h"

#include "control_accessibility.h"
#include "focus_cue.h"
#include "slider_geometry.h"
#include "slider_keys.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace zemlo::shell {

namespace {

// The grip is drawn only on a thumb wide enough to show it, and a second set of ridges on a
// wider one.
constexpr int kGripMinWidth = 5;
constexpr int kWideGripMinWidth = 9;
constexpr int kGripTopInset = 5;
constexpr int kGripDotInset = 4;
constexpr int kLightRidgeBottomInset = 5;
constexpr int kDarkRidgeBottomInset = 4;
constexpr int kNarrowChannelWidth = 3;

void pixel(QPainter &p, int x, int y, const QColor &c) {
    p.fillRect(x, y, 1, 1, c);
}

void polyline(QPainter &p, const std::vector<QPoint> &points, const QColor &c) {
    for (const QPoint &px : polyline_pixels(points)) {
        pixel(p, px.x(), px.y(), c);
    }
}

void vertical_line(QPainter &p, int x, int from_y, int to_y, const QColor &c) {
    polyline(p, {{x, from_y}, {x, to_y}}, c);
}

// A rectangle with 2 x 2 rounded corners: the outline in the pen colour without its four corner
// pixels, the inside in the brush colour.
void rounded_box(QPainter &p, const EdgeRect &r, const QColor &pen, const QColor &brush) {
    if (r.width() <= 0 || r.height() <= 0) {
        return;
    }
    if (r.width() > 2 && r.height() > 2) {
        p.fillRect(r.left + 1, r.top + 1, r.width() - 2, r.height() - 2, brush);
    }
    polyline(p, {{r.left + 1, r.top}, {r.right - 1, r.top}}, pen);
    polyline(p, {{r.left + 1, r.bottom - 1}, {r.right - 1, r.bottom - 1}}, pen);
    polyline(p, {{r.left, r.top + 1}, {r.left, r.bottom - 1}}, pen);
    polyline(p, {{r.right - 1, r.top + 1}, {r.right - 1, r.bottom - 1}}, pen);
}

// A one-pixel 3-D frame: top and left edges in one colour, right and bottom in the other.
void frame_3d(QPainter &p, const EdgeRect &r, const QColor &topLeft, const QColor &bottom_right) {
    const int w = r.width();
    const int h = r.height();
    p.fillRect(r.left, r.top, w - 1, 1, topLeft);
    p.fillRect(r.left, r.top, 1, h - 1, topLeft);
    p.fillRect(r.right - 1, r.top, 1, h, bottom_right);
    p.fillRect(r.left, r.bottom - 1, w, 1, bottom_right);
}

}  // namespace

ShadedSlider::ShadedSlider(QWidget *parent) : QSlider(Qt::Horizontal, parent) {
    const SystemColours system = SystemColours::from(palette());
    face_ = system.button_face;
    channel_ = system.window;
    selection_ = system.highlight;
    recompute();
    setFocusPolicy(Qt::StrongFocus);
    install_control_accessibility();
}

void ShadedSlider::recompute() {
    shades_ = SliderShades::compute(face_, SystemColours::from(palette()));
}

void ShadedSlider::set_channel_colour(const QColor &c) {
    channel_ = c;
    recompute();
}

void ShadedSlider::set_selection_colour(const QColor &c) {
    selection_ = c;
    recompute();
    update();
}

void ShadedSlider::set_face_colour(const QColor &c) {
    face_ = c;
    recompute();
    update();
}

void ShadedSlider::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const SliderGeometry g = slider_geometry(size(), minimum(), maximum(), sliderPosition());
    p.save();
    draw_channel(p, g.channel);
    p.restore();
    p.save();
    draw_thumb(p, g.thumb);
    p.restore();
    if (shows_focus_cue()) {
        for (const QPoint &px : focus_cue_pixels(EdgeRect::from(rect()))) {
            pixel(p, px.x(), px.y(), palette().color(QPalette::WindowText));
        }
    }
}

void ShadedSlider::draw_thumb(QPainter &p, const EdgeRect &t) const {
    const SystemColours system = SystemColours::from(palette());
    // A pressed thumb is one shade darker for this drawing only.
    const SliderShades s = isSliderDown() ? SliderShades::compute(darken(face_), system) : shades_;
    const int w = t.width();

    rounded_box(p, t, system.window_frame, s.face);
    const EdgeRect in = t.shrunk(1);
    frame_3d(p, in, s.light1, s.dark1);
    pixel(p, in.left, in.top, s.light2);
    pixel(p, in.right - 1, in.top, s.face);
    pixel(p, in.right - 1, in.bottom - 1, s.dark2);
    pixel(p, in.left, in.bottom - 1, s.face);

    if (!isEnabled() || w <= kGripMinWidth) {
        return;
    }
    const int grip_top = in.top + kGripTopInset;
    const int light_end = in.bottom - kLightRidgeBottomInset;
    const int dark_end = in.bottom - kDarkRidgeBottomInset;
    std::vector<int> light_ridges = {1, 3};
    std::vector<int> dark_ridges = {2, 4};
    if (w > kWideGripMinWidth) {
        light_ridges.insert(light_ridges.end(), {5, 7});
        dark_ridges.push_back(6);
    }
    for (int dx : light_ridges) {
        vertical_line(p, in.left + dx, grip_top, light_end, s.light1);
    }
    for (int dx : dark_ridges) {
        vertical_line(p, in.left + dx, grip_top, dark_end, s.dark2);
    }
    for (int dx : light_ridges) {
        pixel(p, in.left + dx, in.top + kGripDotInset, s.light2);
    }
}

void ShadedSlider::draw_channel(QPainter &p, EdgeRect k) const {
    const SystemColours system = SystemColours::from(palette());
    const QColor channel = isEnabled() ? channel_ : system.button_face;
    if (minimum() != 0 || maximum() != 0) {
        k.top += 2;
        k.bottom -= 2;
    }
    if (k.width() > kNarrowChannelWidth) {
        rounded_box(p, k, shades_.deep_shadow, channel);
    }
    k.left -= 1;
    k.top -= 1;
    k.right += 1;
    polyline(
        p, {{k.left, k.bottom - 2}, {k.left, k.top + 2}, {k.left + 2, k.top}, {k.right - 2, k.top}},
        shades_.mid_shadow);
    polyline(p,
             {{k.left + 1, k.bottom - 1},
              {k.left + 2, k.bottom},
              {k.right - 2, k.bottom},
              {k.right - 2, k.bottom - 1},
              {k.right - 1, k.bottom - 1},
              {k.right - 1, k.top + 2},
              {k.right - 3, k.top}},
             shades_.highlight);
}

void ShadedSlider::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const int x = event->position().toPoint().x();
    const SliderGeometry g = slider_geometry(size(), minimum(), maximum(), sliderPosition());
    if (g.thumb.to_rect().contains(event->position().toPoint())) {
        drag_offset_ = x - (g.thumb.left + kThumbWidth / 2);
        setSliderDown(true);
    } else {
        triggerAction(x < g.thumb.left ? SliderPageStepSub : SliderPageStepAdd);
    }
    update();
    event->accept();
}

void ShadedSlider::mouseMoveEvent(QMouseEvent *event) {
    if (!isSliderDown()) {
        event->ignore();
        return;
    }
    setSliderPosition(slider_value_at(size(), minimum(), maximum(),
                                      event->position().toPoint().x() - drag_offset_));
    event->accept();
}

void ShadedSlider::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || !isSliderDown()) {
        event->ignore();
        return;
    }
    setSliderDown(false);
    update();
    event->accept();
}

void ShadedSlider::keyPressEvent(QKeyEvent *event) {
    const SliderAction action = slider_key_action(event->key());
    if (action == SliderNoAction || isSliderDown()) {
        QSlider::keyPressEvent(event);
        return;
    }
    focus_cue_ = true;
    // A press, a move and a release, as a short drag of the thumb: the position is moved while
    // the slider is down, so sliderMoved and valueChanged go out just as they do for the mouse.
    setSliderDown(true);
    triggerAction(action);
    setSliderDown(false);
    update();
    event->accept();
}

void ShadedSlider::focusInEvent(QFocusEvent *event) {
    focus_cue_ = focus_cue_after_focus_in(event->reason(), focus_cue_);
    QSlider::focusInEvent(event);
    update();
}

void ShadedSlider::focusOutEvent(QFocusEvent *event) {
    QSlider::focusOutEvent(event);
    update();
}

}  // namespace zemlo::shell
