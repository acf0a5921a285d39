// Framing by hand: which part of the upright picture the handset's screen shows. The display
// effect places the whole picture (or the part cut out of it) as always; a zoom then scales that
// placement about the screen's centre, with a chosen point of the picture at the centre. The
// result is the rectangle of the drawing area that shows picture, and the part of the picture
// drawn into it. Pure arithmetic on sizes, so the window's panel and the command line place the
// same frame on the same pixels.
#pragma once

#include <optional>

#include "picture_geometry.h"

namespace zemlo::media {

inline constexpr double kMinZoom = 0.1;
inline constexpr double kMaxZoom = 64.0;

// A size in pixels of the upright picture (after its orientation is applied), as stored.
struct PictureSize {
    int width = 0;
    int height = 0;
    bool operator==(const PictureSize &) const = default;
};

struct SourcePoint {
    double x = 0;
    double y = 0;
    bool operator==(const SourcePoint &) const = default;
};

// A part of the upright picture in its pixels; the edges may fall between pixels.
struct SourceRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool operator==(const SourceRect &) const = default;
};

struct Framing {
    // The part of the picture that is placed instead of the whole (nothing outside it shows).
    std::optional<PixelRect> crop;
    // 1 shows the placement of the effect; 2 shows half as much of the picture, twice as large.
    double zoom = 1.0;
    // The point of the picture shown at the centre of the screen; without one, the point the
    // effect puts there (so a zoom alone enlarges about the screen's centre).
    std::optional<SourcePoint> center;

    bool empty() const { return !crop && zoom == 1.0 && !center; }
    bool operator==(const Framing &) const = default;
};

struct FramePlacement {
    // Where picture shows, in the drawing area's own coordinates (its top-left pixel is 0, 0).
    // Empty when the frame shows none of the picture: the screen stays black.
    PixelRect target;
    SourceRect source;   // the part of the upright picture drawn into target
    double scale_x = 0;  // drawing-area pixels per picture pixel
    double scale_y = 0;
};

// Why a framing cannot be placed on a picture of this size.
enum class FramingError { None, CropOutside, CenterOutside, ZoomOutOfRange, NoPicture };

struct FramingResult {
    std::optional<FramePlacement> placement;
    FramingError error = FramingError::None;
};

// Places the framing on a picture of the given upright size in pixels and natural size (HIMETRIC,
// upright too; it gives the proportions, as for the effects alone). The crop must lie within the
// picture and be at least a pixel each way; the centre within the part placed.
FramingResult place_frame(DisplayEffect effect, const Framing &framing, PictureSize upright,
                          int natural_width, int natural_height);

}  // namespace zemlo::media
