#pragma once

#include <QColor>
#include <QPalette>

namespace zemlo::shell {

// Per-channel shade arithmetic of the slider. A channel that would leave 0..255 stays as it was
// instead of clipping, so very light or very dark faces keep their own value in that channel.
inline constexpr int kShadeStep = 51;

int lightenChannel(int c);
int darkenChannel(int c);
// x + floor((y - x) / 2): rounds toward x's lower neighbour even when y < x.
int midpointChannel(int x, int y);

QColor lighten(const QColor &c);
QColor darken(const QColor &c);
QColor midpoint(const QColor &x, const QColor &y);

// The platform colours the slider derives its shades from, read at the moment of the call.
struct SystemColours {
    QColor buttonFace;
    QColor buttonShadow;
    QColor darkShadow;
    QColor buttonHighlight;
    QColor window;
    QColor windowFrame;
    QColor highlight;

    static SystemColours from(const QPalette &palette);
};

// The eight one-pixel pens of the slider, all derived from one face colour.
struct SliderShades {
    QColor face;
    QColor light1;
    QColor light2;
    QColor dark1;
    QColor dark2;
    QColor deepShadow;
    QColor midShadow;
    QColor highlight;

    static SliderShades compute(const QColor &face, const SystemColours &system);
};

}  // namespace zemlo::shell
