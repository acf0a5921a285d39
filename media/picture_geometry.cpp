#include "picture_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace zemlo::media {

int mul_div(int a, int b, int c) {
    if (c == 0) {
        return 0;
    }
    const int64_t product = static_cast<int64_t>(a) * b;
    const int64_t half = std::llabs(c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const int64_t magnitude = (std::llabs(product) + half) / std::llabs(c);
    if (magnitude > INT32_MAX) {
        return -1;
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

PixelRect drawing_area() {
    return {kAreaInset, kAreaInset, kAreaWidth, kAreaHeight};
}

PixelRect picture_rect(DisplayEffect effect, int natural_width, int natural_height, int dpi) {
    const PixelRect area = drawing_area();
    const int area_right = area.left + area.width;
    const int area_bottom = area.top + area.height;
    if (effect == DisplayEffect::Stretch) {
        return area;
    }
    if (natural_width <= 0 || natural_height <= 0) {
        return {area.left, area.top, 0, 0};  // nothing to draw
    }
    int w = mul_div(natural_width, dpi, kHimetricPerInch);
    int h = mul_div(natural_height, dpi, kHimetricPerInch);
    if (effect == DisplayEffect::Cover) {
        // Scaled by the larger of the two ratios, so the shorter side fills the area exactly and
        // the longer one overflows it by as much on either side.
        const double width = std::max(w, 1);
        const double height = std::max(h, 1);
        const double scale = std::max(area.width / width, area.height / height);
        const auto cover_w = static_cast<int>(std::min<double>(
            INT32_MAX / 2, std::max<double>(area.width, std::round(width * scale))));
        const auto cover_h = static_cast<int>(std::min<double>(
            INT32_MAX / 2, std::max<double>(area.height, std::round(height * scale))));
        return {area.left - (cover_w - area.width) / 2, area.top - (cover_h - area.height) / 2,
                cover_w, cover_h};
    }
    const auto centre_x = [&](int width) { return area_right - (area.width - width) / 2 - width; };
    const auto centre_y = [&](int height) {
        return area_bottom - (area.height - height) / 2 - height;
    };
    if (h <= kFitHeight && w <= kFitWidth) {
        return {centre_x(w), centre_y(h), w, h};
    }
    // The limiting side is chosen on the natural size in single precision; an odd length on the
    // other side is raised to even.
    const float width_ratio = static_cast<float>(kFitWidth) / static_cast<float>(natural_width);
    const float height_ratio = static_cast<float>(kFitHeight) / static_cast<float>(natural_height);
    if (width_ratio >= height_ratio) {
        h = kFitHeight;
        w = static_cast<int>(static_cast<double>(kFitHeight) * natural_width / natural_height);
        w += w % 2;
        return {centre_x(w), area.top, w, h};
    }
    w = kFitWidth;
    h = static_cast<int>(static_cast<double>(kFitWidth) * natural_height / natural_width);
    h += h % 2;
    return {area.left, centre_y(h), w, h};
}

}  // namespace zemlo::media
