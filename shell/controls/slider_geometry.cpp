#include "slider_geometry.h"

#include <algorithm>
#include <cmath>

namespace zemlo::shell {

namespace {

EdgeRect channel_rect(QSize widget) {
    EdgeRect k;
    k.left = kThumbWidth / 2 + kChannelSideMargin;
    k.right = std::max(k.left + 1, widget.width() - kThumbWidth / 2 - kChannelSideMargin);
    k.top = widget.height() / 2 - kChannelHeight / 2;
    k.bottom = k.top + kChannelHeight;
    return k;
}

}  // namespace

SliderGeometry slider_geometry(QSize widget, int minimum, int maximum, int value) {
    SliderGeometry g;
    g.channel = channel_rect(widget);
    const int travel = g.channel.width() - 1;
    const double span = static_cast<double>(maximum) - minimum;
    const double fraction =
        span > 0 ? std::clamp((static_cast<double>(value) - minimum) / span, 0.0, 1.0) : 0.0;
    const int centre = g.channel.left + static_cast<int>(std::lround(travel * fraction));
    const int height =
        std::max(1, std::min(kThumbMaxHeight, widget.height() - 2 * kThumbVerticalMargin));
    g.thumb.left = centre - kThumbWidth / 2;
    g.thumb.right = g.thumb.left + kThumbWidth;
    g.thumb.top = (widget.height() - height) / 2;
    g.thumb.bottom = g.thumb.top + height;
    return g;
}

int slider_value_at(QSize widget, int minimum, int maximum, int x) {
    const EdgeRect k = channel_rect(widget);
    const int travel = k.width() - 1;
    if (travel <= 0 || maximum <= minimum) {
        return minimum;
    }
    const double fraction = std::clamp(static_cast<double>(x - k.left) / travel, 0.0, 1.0);
    return minimum +
           static_cast<int>(std::lround(fraction * (static_cast<double>(maximum) - minimum)));
}

}  // namespace zemlo::shell
