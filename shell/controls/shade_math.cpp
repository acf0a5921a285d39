#include "shade_math.h"

namespace zemlo::shell {

namespace {

constexpr int kChannelMax = 255;

int floor_half(int v) {
    return v >= 0 ? v / 2 : -((-v + 1) / 2);
}

template <typename F>
QColor per_channel(const QColor &c, F f) {
    return QColor(f(c.red()), f(c.green()), f(c.blue()));
}

}  // namespace

int lighten_channel(int c) {
    return c + kShadeStep <= kChannelMax ? c + kShadeStep : c;
}

int darken_channel(int c) {
    return c >= kShadeStep ? c - kShadeStep : c;
}

int midpoint_channel(int x, int y) {
    return x + floor_half(y - x);
}

QColor lighten(const QColor &c) {
    return per_channel(c, lighten_channel);
}

QColor darken(const QColor &c) {
    return per_channel(c, darken_channel);
}

QColor midpoint(const QColor &x, const QColor &y) {
    return QColor(midpoint_channel(x.red(), y.red()), midpoint_channel(x.green(), y.green()),
                  midpoint_channel(x.blue(), y.blue()));
}

SystemColours SystemColours::from(const QPalette &p) {
    SystemColours s;
    s.button_face = p.color(QPalette::Button);
    s.button_shadow = p.color(QPalette::Dark);
    s.dark_shadow = p.color(QPalette::Shadow);
    s.button_highlight = p.color(QPalette::Light);
    s.window = p.color(QPalette::Base);
    s.window_frame = p.color(QPalette::WindowText);
    s.highlight = p.color(QPalette::Highlight);
    return s;
}

SliderShades SliderShades::compute(const QColor &face, const SystemColours &system) {
    SliderShades s;
    s.face = face;
    s.light1 = lighten(face);
    s.light2 = lighten(s.light1);
    s.dark1 = darken(face);
    s.dark2 = darken(s.dark1);
    s.mid_shadow = midpoint(system.button_face, system.button_shadow);
    s.deep_shadow = midpoint(system.button_shadow, system.dark_shadow);
    s.highlight = system.button_highlight;
    return s;
}

}  // namespace zemlo::shell
