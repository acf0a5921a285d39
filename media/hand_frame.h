// The frame the user moves and zooms by hand in the picture panel. It is kept as a zoom and a
// centre over the part of the picture the display effect shows by itself (the whole picture
// fitted or stretched, the covering part when covered), and handed on as the crop it makes: whole
// pixels of the upright picture, which the command line's --crop takes as they are, so the
// window's frame and the command line give the same bytes. Pure arithmetic on sizes.
#pragma once

#include <optional>

#include "picture_framing.h"
#include "picture_geometry.h"

namespace zemlo::media {

// What a frame is placed on: the effect and the picture's upright size in pixels and natural
// size (HIMETRIC, upright too).
struct FrameBasis {
    DisplayEffect effect = DisplayEffect::Fit;
    PictureSize upright;
    int natural_width = 0;
    int natural_height = 0;
};

struct HandFrame {
    // 1 shows what the effect shows by itself; 2 half as much of the picture each way.
    double zoom = 1.0;
    // The middle of the part shown, in pixels of the upright picture.
    SourcePoint center;
    bool operator==(const HandFrame &) const = default;
};

// The part of the picture the effect shows without a frame (empty without a picture).
SourceRect start_part(const FrameBasis &basis);
// The frame the effect starts from: zoom 1 about the middle of its part.
HandFrame start_frame(const FrameBasis &basis);
// How far the frame may be zoomed: up to a part of one pixel, at most kMaxZoom; when fitted, no
// further than the picture's own size (a fitted picture is never enlarged, nor is its part).
double greatest_zoom(const FrameBasis &basis);

// The frame kept within its bounds: the zoom from 1 to the greatest, the part inside the picture.
HandFrame clamp_frame(const FrameBasis &basis, const HandFrame &frame);
// The crop the frame makes, in whole pixels inside the picture; nothing when the frame is the
// effect's own start (the picture is then drawn exactly as without a frame).
std::optional<PixelRect> frame_crop(const FrameBasis &basis, const HandFrame &frame);

// Zoomed by factor about anchor (a point of the picture that stays where it is on the screen;
// the frame's centre without one), within the bounds.
HandFrame zoom_frame(const FrameBasis &basis, const HandFrame &frame, double factor,
                     std::optional<SourcePoint> anchor = std::nullopt);
// Moved by dx, dy pixels of the picture, within the bounds.
HandFrame move_frame(const FrameBasis &basis, const HandFrame &frame, double dx, double dy);

// Where the frame puts the picture on the screen (see place_frame), for turning the screen's
// pixels into the picture's while the frame is moved with the mouse.
std::optional<FramePlacement> frame_placement(const FrameBasis &basis, const HandFrame &frame);

}  // namespace zemlo::media
