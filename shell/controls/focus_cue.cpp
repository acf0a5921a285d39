#include "focus_cue.h"

namespace zemlo::shell {

bool focus_cue_after_focus_in(Qt::FocusReason reason, bool shown_before) {
    switch (reason) {
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
            return true;
        case Qt::MouseFocusReason:
            return false;
        default:
            return shown_before;
    }
}

std::vector<QPoint> focus_cue_pixels(const EdgeRect &r) {
    std::vector<QPoint> out;
    if (r.width() <= 0 || r.height() <= 0) {
        return out;
    }
    // Walk the outline once, clockwise from the top-left corner, and keep every other pixel so
    // that the dots stay evenly spaced around the corners.
    std::vector<QPoint> ring;
    for (int x = r.left; x < r.right; ++x) {
        ring.emplace_back(x, r.top);
    }
    for (int y = r.top + 1; y < r.bottom; ++y) {
        ring.emplace_back(r.right - 1, y);
    }
    if (r.height() > 1) {
        for (int x = r.right - 2; x >= r.left; --x) {
            ring.emplace_back(x, r.bottom - 1);
        }
    }
    if (r.width() > 1) {
        for (int y = r.bottom - 2; y > r.top; --y) {
            ring.emplace_back(r.left, y);
        }
    }
    for (std::size_t i = 0; i < ring.size(); i += 2) {
        out.push_back(ring[i]);
    }
    return out;
}

std::vector<QPoint> focus_ring_pixels(const EdgeRect &r) {
    std::vector<QPoint> out;
    if (r.width() < 2 * kFocusRingWidth || r.height() < 2 * kFocusRingWidth) {
        return out;
    }
    for (int y = r.top; y < r.bottom; ++y) {
        const bool band = y < r.top + kFocusRingWidth || y >= r.bottom - kFocusRingWidth;
        for (int x = r.left; x < r.right; ++x) {
            if (band || x < r.left + kFocusRingWidth || x >= r.right - kFocusRingWidth) {
                out.emplace_back(x, y);
            }
        }
    }
    return out;
}

}  // namespace zemlo::shell
