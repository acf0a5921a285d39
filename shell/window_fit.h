// A fixed-size window laid out in dialog units grows with its font. When it would not fit the
// screen's available area (a large scale factor on a small screen), the window is laid out from a
// smaller font instead, so that it fits whole rather than running off the screen.
#pragma once

#include <QSize>
#include <functional>

namespace zemlo::shell {

inline constexpr double kFontStepPoints = 0.5;

// The largest point size from normal down to smallest, in steps of kFontStepPoints, at which
// window_at(point size) fits into available; normal itself when it fits, smallest when none does.
double fitting_point_size(double normal, double smallest, QSize available,
                          const std::function<QSize(double point_size)> &window_at);

}  // namespace zemlo::shell
