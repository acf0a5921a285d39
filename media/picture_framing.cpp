#include "picture_framing.h"

#include <algorithm>
#include <cmath>

namespace zemlo::media {

namespace {

// The natural size of a part of the picture: the same share of the whole.
int part_of(int natural, int part, int whole) {
    const double value = std::round(static_cast<double>(natural) * part / whole);
    return static_cast<int>(std::clamp(value, 1.0, static_cast<double>(natural)));
}

bool crop_inside(const PixelRect &crop, PictureSize upright) {
    return crop.width >= 1 && crop.height >= 1 && crop.left >= 0 && crop.top >= 0 &&
           crop.left <= upright.width - crop.width && crop.top <= upright.height - crop.height;
}

}  // namespace

FramingResult place_frame(DisplayEffect effect, const Framing &framing, PictureSize upright,
                          int natural_width, int natural_height) {
    if (upright.width <= 0 || upright.height <= 0 || natural_width <= 0 || natural_height <= 0) {
        return {std::nullopt, FramingError::NoPicture};
    }
    if (!(framing.zoom >= kMinZoom && framing.zoom <= kMaxZoom)) {
        return {std::nullopt, FramingError::ZoomOutOfRange};
    }
    const PixelRect part = framing.crop.value_or(PixelRect{0, 0, upright.width, upright.height});
    if (!crop_inside(part, upright)) {
        return {std::nullopt, FramingError::CropOutside};
    }
    // Where the effect alone puts the part, in the area's own coordinates.
    PixelRect start = picture_rect(effect, part_of(natural_width, part.width, upright.width),
                                   part_of(natural_height, part.height, upright.height));
    start.left -= kAreaInset;
    start.top -= kAreaInset;
    FramePlacement placement;
    if (start.width <= 0 || start.height <= 0) {
        return {placement, FramingError::None};  // too small to draw, as without a frame
    }
    const double start_x = static_cast<double>(start.width) / part.width;
    const double start_y = static_cast<double>(start.height) / part.height;
    placement.scale_x = start_x * framing.zoom;
    placement.scale_y = start_y * framing.zoom;
    const double centre_x = kAreaWidth / 2.0;
    const double centre_y = kAreaHeight / 2.0;
    const SourcePoint centre =
        framing.center.value_or(SourcePoint{part.left + (centre_x - start.left) / start_x,
                                            part.top + (centre_y - start.top) / start_y});
    const double part_right = part.left + part.width;
    const double part_bottom = part.top + part.height;
    if (!(centre.x >= part.left && centre.x <= part_right && centre.y >= part.top &&
          centre.y <= part_bottom)) {
        return {std::nullopt, FramingError::CenterOutside};
    }
    const auto area_x = [&](double x) { return centre_x + (x - centre.x) * placement.scale_x; };
    const auto area_y = [&](double y) { return centre_y + (y - centre.y) * placement.scale_y; };
    // Whole pixels of the area: an edge shows picture when its pixel is mostly covered.
    const double left = std::round(std::clamp(area_x(part.left), 0.0, 1.0 * kAreaWidth));
    const double right = std::round(std::clamp(area_x(part_right), 0.0, 1.0 * kAreaWidth));
    const double top = std::round(std::clamp(area_y(part.top), 0.0, 1.0 * kAreaHeight));
    const double bottom = std::round(std::clamp(area_y(part_bottom), 0.0, 1.0 * kAreaHeight));
    if (right <= left || bottom <= top) {
        return {placement, FramingError::None};  // the picture is outside the screen
    }
    placement.target = {static_cast<int>(left), static_cast<int>(top),
                        static_cast<int>(right - left), static_cast<int>(bottom - top)};
    // Back into the picture, kept within the part (rounding the target may reach a fraction of
    // a pixel past it).
    const double src_left =
        std::max<double>(part.left, centre.x + (left - centre_x) / placement.scale_x);
    const double src_top =
        std::max<double>(part.top, centre.y + (top - centre_y) / placement.scale_y);
    const double src_right =
        std::min(part_right, centre.x + (right - centre_x) / placement.scale_x);
    const double src_bottom =
        std::min(part_bottom, centre.y + (bottom - centre_y) / placement.scale_y);
    placement.source = {src_left, src_top, std::max(0.0, src_right - src_left),
                        std::max(0.0, src_bottom - src_top)};
    return {placement, FramingError::None};
}

}  // namespace zemlo::media
