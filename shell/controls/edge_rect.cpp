#include "edge_rect.h"

#include <cstdlib>

namespace zemlo::shell {

namespace {

int step_toward(int from, int to) {
    return from < to ? 1 : (from > to ? -1 : 0);
}

}  // namespace

std::vector<QPoint> polyline_pixels(const std::vector<QPoint> &points) {
    std::vector<QPoint> pixels;
    for (std::size_t i = 1; i < points.size(); ++i) {
        QPoint p = points[i - 1];
        const QPoint end = points[i];
        while (p != end) {
            pixels.push_back(p);
            p += QPoint(step_toward(p.x(), end.x()), step_toward(p.y(), end.y()));
        }
    }
    return pixels;
}

}  // namespace zemlo::shell
