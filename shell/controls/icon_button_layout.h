#pragma once

#include "edge_rect.h"

#include <QPoint>
#include <QSize>

#include <vector>

namespace zemlo::shell {

// Gap between the button's left edge and an icon that sits beside a caption, and between that
// icon and the caption.
inline constexpr int kIconGap = 3;
// A pressed button shows its icon and caption one pixel down and to the right.
inline constexpr int kPressedShift = 1;

enum class FrameShade { Shadow, Highlight };

struct FrameLine {
    FrameShade shade;
    std::vector<QPoint> points;  // one polyline; see polyline_pixels
};

// The thin frame of a flat button: sunken while pressed, raised while the pointer is over it,
// none otherwise. Drawn in the order returned.
std::vector<FrameLine> icon_button_frame(const EdgeRect &r, bool pressed, bool over);

struct IconButtonLayout {
    QPoint icon_top_left;   // meaningful only when an icon is set
    EdgeRect caption_area;  // the rectangle the caption is centred in
};

// Where the icon and the caption go in the item rectangle r. icon_size is empty when no icon is
// set; an icon with no caption is centred horizontally, one with a caption sits at the left.
IconButtonLayout layout_icon_button(const EdgeRect &r, QSize icon_size, bool has_caption,
                                    bool pressed);

// Top-left of a measured caption centred in area (halves rounded toward zero).
QPoint centred_caption(const EdgeRect &area, QSize measured);

}  // namespace zemlo::shell
