#include "hand_frame.h"

#include <algorithm>
#include <cmath>

namespace zemlo::media {

namespace {

bool has_picture(const FrameBasis &b) {
    return b.upright.width > 0 && b.upright.height > 0 && b.natural_width > 0 &&
           b.natural_height > 0;
}

// The size of the part at a zoom, in pixels of the picture.
SourceRect part_at(const FrameBasis &basis, const HandFrame &frame) {
    const SourceRect start = start_part(basis);
    const double w = start.width / frame.zoom;
    const double h = start.height / frame.zoom;
    return {frame.center.x - w / 2, frame.center.y - h / 2, w, h};
}

bool same(double a, double b) {
    return std::abs(a - b) < 1e-9;
}

}  // namespace

SourceRect start_part(const FrameBasis &basis) {
    if (!has_picture(basis)) {
        return {};
    }
    if (basis.effect == DisplayEffect::Cover) {
        const FramingResult placed =
            place_frame(basis.effect, {}, basis.upright, basis.natural_width, basis.natural_height);
        if (placed.placement && placed.placement->source.width > 0) {
            return placed.placement->source;
        }
    }
    return {0, 0, 1.0 * basis.upright.width, 1.0 * basis.upright.height};
}

HandFrame start_frame(const FrameBasis &basis) {
    const SourceRect start = start_part(basis);
    return {1.0, {start.left + start.width / 2, start.top + start.height / 2}};
}

double greatest_zoom(const FrameBasis &basis) {
    if (!has_picture(basis)) {
        return 1.0;
    }
    const SourceRect start = start_part(basis);
    // A part narrower than a pixel cannot be cropped.
    double most = std::min({kMaxZoom, start.width, start.height});
    if (basis.effect == DisplayEffect::Fit) {
        // The part stops growing on the screen once it is no larger than the fit box.
        const double w = mul_div(basis.natural_width, kLogicalDpi, kHimetricPerInch);
        const double h = mul_div(basis.natural_height, kLogicalDpi, kHimetricPerInch);
        most = std::min(most, std::max(w / kFitWidth, h / kFitHeight));
    }
    return std::max(1.0, most);
}

HandFrame clamp_frame(const FrameBasis &basis, const HandFrame &frame) {
    if (!has_picture(basis)) {
        return frame;
    }
    HandFrame out = frame;
    if (!std::isfinite(out.zoom)) {
        out.zoom = 1.0;
    }
    out.zoom = std::clamp(out.zoom, 1.0, greatest_zoom(basis));
    const SourceRect part = part_at(basis, out);
    const auto within = [](double centre, double half, double whole, double fallback) {
        if (!std::isfinite(centre)) {
            centre = fallback;
        }
        return half * 2 >= whole ? whole / 2 : std::clamp(centre, half, whole - half);
    };
    const HandFrame start = start_frame(basis);
    out.center.x = within(out.center.x, part.width / 2, basis.upright.width, start.center.x);
    out.center.y = within(out.center.y, part.height / 2, basis.upright.height, start.center.y);
    return out;
}

std::optional<PixelRect> frame_crop(const FrameBasis &basis, const HandFrame &frame) {
    if (!has_picture(basis)) {
        return std::nullopt;
    }
    const HandFrame f = clamp_frame(basis, frame);
    const HandFrame start = start_frame(basis);
    if (same(f.zoom, 1.0) && same(f.center.x, start.center.x) && same(f.center.y, start.center.y)) {
        return std::nullopt;
    }
    const SourceRect part = part_at(basis, f);
    const int w = std::clamp(static_cast<int>(std::lround(part.width)), 1, basis.upright.width);
    const int h = std::clamp(static_cast<int>(std::lround(part.height)), 1, basis.upright.height);
    const int left =
        std::clamp(static_cast<int>(std::lround(f.center.x - w / 2.0)), 0, basis.upright.width - w);
    const int top = std::clamp(static_cast<int>(std::lround(f.center.y - h / 2.0)), 0,
                               basis.upright.height - h);
    return PixelRect{left, top, w, h};
}

HandFrame zoom_frame(const FrameBasis &basis, const HandFrame &frame, double factor,
                     std::optional<SourcePoint> anchor) {
    const HandFrame before = clamp_frame(basis, frame);
    HandFrame after = before;
    after.zoom = std::clamp(before.zoom * factor, 1.0, greatest_zoom(basis));
    if (anchor && !same(after.zoom, before.zoom)) {
        // The anchor keeps its place within the part, so it stays under the pointer.
        const SourceRect was = part_at(basis, before);
        const double u = was.width > 0 ? (anchor->x - was.left) / was.width : 0.5;
        const double v = was.height > 0 ? (anchor->y - was.top) / was.height : 0.5;
        const SourceRect start = start_part(basis);
        const double w = start.width / after.zoom;
        const double h = start.height / after.zoom;
        after.center = {anchor->x - u * w + w / 2, anchor->y - v * h + h / 2};
    }
    return clamp_frame(basis, after);
}

HandFrame move_frame(const FrameBasis &basis, const HandFrame &frame, double dx, double dy) {
    HandFrame moved = clamp_frame(basis, frame);
    moved.center.x += dx;
    moved.center.y += dy;
    return clamp_frame(basis, moved);
}

std::optional<FramePlacement> frame_placement(const FrameBasis &basis, const HandFrame &frame) {
    Framing framing;
    framing.crop = frame_crop(basis, frame);
    return place_frame(basis.effect, framing, basis.upright, basis.natural_width,
                       basis.natural_height)
        .placement;
}

}  // namespace zemlo::media
