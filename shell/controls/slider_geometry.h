#pragma once

#include "edge_rect.h"

#include <QSize>

namespace zemlo::shell {

// Layout of the horizontal play-time slider: a thumb pointing both ways over a channel.
inline constexpr int kThumbWidth = 11;
inline constexpr int kThumbMaxHeight = 21;
inline constexpr int kThumbVerticalMargin = 2;
inline constexpr int kChannelHeight = 8;
inline constexpr int kChannelSideMargin = 3;

struct SliderGeometry {
    EdgeRect channel;
    EdgeRect thumb;
};

SliderGeometry slider_geometry(QSize widget, int minimum, int maximum, int value);

// The value whose thumb centre is nearest to x, clamped to the range.
int slider_value_at(QSize widget, int minimum, int maximum, int x);

}  // namespace zemlo::shell
