#pragma once

#include <QPoint>
#include <QRect>

#include <vector>

namespace zemlo::shell {

// A rectangle by its edges, right and bottom exclusive. We lay out every control in these terms
// because widths and heights then come out as plain differences (right - left), adjacent boxes
// share an edge value instead of being off by one, and QRect's inclusive right() and bottom()
// never leak into the arithmetic.
struct EdgeRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const EdgeRect &) const = default;

    static EdgeRect from(const QRect &r) {
        return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
    }
    QRect to_rect() const { return QRect(left, top, width(), height()); }
    EdgeRect shrunk(int by) const { return {left + by, top + by, right - by, bottom - by}; }
    EdgeRect moved(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
};

// The pixels of a chain of one-pixel lines. Each segment includes its start point and excludes
// its end point, so the last point of the chain is not drawn; segments are horizontal,
// vertical or at 45 degrees (any other slope is stepped like a 45-degree run followed by a
// straight one, which the controls never need).
std::vector<QPoint> polyline_pixels(const std::vector<QPoint> &points);

}  // namespace zemlo::shell
