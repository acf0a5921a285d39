#pragma once

#include "edge_rect.h"

#include <QPoint>
#include <QSize>

#include <vector>

namespace zemlo::shell {

// A pressed button shows its icon and caption one pixel down and to the right.
inline constexpr int kPressedShift = 1;
// The frame lines are one pixel wide on every side.
inline constexpr int kFrameWidth = 1;
// Icon and caption stay inside the frame line and the focus ring (focus_cue.h) within it; an
// icon beside a caption sits this far from the left edge and from the caption.
inline constexpr int kFaceInset = 3;

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
    QSize icon_size;        // the size the icon is drawn at; empty when no icon is set
    EdgeRect caption_area;  // the rectangle the caption is centred in
};

// The size an icon of natural size `icon` is drawn at on the face r: its own size when it fits
// inside the frame line and the focus ring with room for the pressed shift, otherwise scaled
// down, proportions kept, to the largest size that does. A button shorter than its artwork (the
// window's command buttons at a small font) thus shows the whole icon instead of cutting off its
// top and bottom rows, and the focus ring never covers it.
QSize fitted_icon_size(const EdgeRect &r, QSize icon);

// Where the icon and the caption go in the item rectangle r. icon_size is empty when no icon is
// set; an icon with no caption is centred horizontally, one with a caption sits at the left. The
// icon is drawn at fitted_icon_size.
IconButtonLayout layout_icon_button(const EdgeRect &r, QSize icon_size, bool has_caption,
                                    bool pressed);

// Top-left of a measured caption centred in area (halves rounded toward zero).
QPoint centred_caption(const EdgeRect &area, QSize measured);

}  // namespace zemlo::shell
