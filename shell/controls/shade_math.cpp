#include "shade_math.h"

namespace zemlo::shell {

namespace {

constexpr int kChannelMax = 255;

int floorHalf(int v) {
    return v >= 0 ? v / 2 : -((-v + 1) / 2);
}

template <typename F>
QColor perChannel(const QColor &c, F f) {
    return QColor(f(c.red()), f(c.green()), f(c.blue()));
}

}  // namespace

int lightenChannel(int c) {
    return c + kShadeStep <= kChannelMax ? c + kShadeStep : c;
}

int darkenChannel(int c) {
    return c >= kShadeStep ? c - kShadeStep : c;
}

int midpointChannel(int x, int y) {
    return x + floorHalf(y - x);
}

QColor lighten(const QColor &c) {
    return perChannel(c, lightenChannel);
}

QColor darken(const QColor &c) {
    return perChannel(c, darkenChannel);
}

QColor midpoint(const QColor &x, const QColor &y) {
    return QColor(midpointChannel(x.red(), y.red()), midpointChannel(x.green(), y.green()),
                  midpointChannel(x.blue(), y.blue()));
}

SystemColours SystemColours::from(const QPalette &p) {
    SystemColours s;
    s.buttonFace = p.color(QPalette::Button);
    s.buttonShadow = p.color(QPalette::Dark);
    s.darkShadow = p.color(QPalette::Shadow);
    s.buttonHighlight = p.color(QPalette::Light);
    s.window = p.color(QPalette::Base);
    s.windowFrame = p.color(QPalette::WindowText);
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
    s.midShadow = midpoint(system.buttonFace, system.buttonShadow);
    s.deepShadow = midpoint(system.buttonShadow, system.darkShadow);
    s.highlight = system.buttonHighlight;
    return s;
}

}  // namespace zemlo::shell
