#pragma once

#include <QColor>
#include <QPalette>

namespace zemlo::shell {

// Per-channel shade arithmetic of the slider. A channel that would leave 0..255 stays as it was
// instead of clipping, so very light or very dark faces keep their own value in that channel.
inline constexpr int kShadeStep = 51;

int lighten_channel(int c);
int darken_channel(int c);
// x + floor((y - x) / 2): rounds toward x's lower neighbour even when y < x.
int midpoint_channel(int x, int y);

QColor lighten(const QColor &c);
QColor darken(const QColor &c);
QColor midpoint(const QColor &x, const QColor &y);

// The platform colours the slider derives its shades from, read at the moment of the call.
struct SystemColours {
    QColor button_face;
    QColor button_shadow;
    QColor dark_shadow;
    QColor button_highlight;
    QColor window;
    QColor window_frame;
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
    QColor deep_shadow;
    QColor mid_shadow;
    QColor highlight;

    static SliderShades compute(const QColor &face, const SystemColours &system);
};

}  // namespace zemlo::shell
