#include "window_fit.h"

#include <cmath>

namespace zemlo::shell {

double fitting_point_size(double normal, double smallest, QSize available,
                          const std::function<QSize(double point_size)> &window_at) {
    const auto fits = [&](double points) {
        const QSize size = window_at(points);
        return size.width() <= available.width() && size.height() <= available.height();
    };
    if (normal <= smallest || fits(normal)) {
        return normal;
    }
    // Counted in whole steps, so no rounding error builds up over the loop.
    const auto steps = static_cast<int>(std::floor((normal - smallest) / kFontStepPoints));
    for (int i = 1; i <= steps; ++i) {
        const double points = normal - i * kFontStepPoints;
        if (fits(points)) {
            return points;
        }
    }
    return smallest;
}

}  // namespace zemlo::shell
