// The frame moved and zoomed by hand: kept inside the picture whatever is asked, the point under
// the pointer staying put, and the crop it hands on drawing exactly what the frame shows.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "hand_frame.h"

namespace {

using namespace zemlo::media;

// A 4:3 photo of 4000 x 3000 pixels at 96 dpi (HIMETRIC from pixels).
FrameBasis photo(DisplayEffect effect, int w = 4000, int h = 3000) {
    return {effect, {w, h}, w * 2540 / 96, h * 2540 / 96};
}

bool inside(const PixelRect &r, const FrameBasis &b) {
    return r.left >= 0 && r.top >= 0 && r.width >= 1 && r.height >= 1 &&
           r.left + r.width <= b.upright.width && r.top + r.height <= b.upright.height;
}

TEST(HandFrame, TheStartIsTheEffectAloneAndEveryFrameStaysInside) {
    for (const DisplayEffect effect :
         {DisplayEffect::Fit, DisplayEffect::Stretch, DisplayEffect::Cover}) {
        SCOPED_TRACE(static_cast<int>(effect));
        const FrameBasis b = photo(effect);
        // Untouched, nothing is cropped: the effect draws as it always has.
        EXPECT_FALSE(frame_crop(b, start_frame(b)));
        // Moved or zoomed back to the start, the same.
        const HandFrame there = move_frame(b, zoom_frame(b, start_frame(b), 2), 300, 0);
        EXPECT_FALSE(frame_crop(b, zoom_frame(b, move_frame(b, there, -300, 0), 0.5)));

        // Whatever is asked, the crop lies inside the picture and the zoom within its bounds.
        std::mt19937 random(7);
        std::uniform_real_distribution<double> step(-5000, 5000);
        std::uniform_real_distribution<double> factor(0.2, 5);
        HandFrame f = start_frame(b);
        for (int i = 0; i < 500; ++i) {
            f = i % 2 ? move_frame(b, f, step(random), step(random))
                      : zoom_frame(b, f, factor(random));
            ASSERT_GE(f.zoom, 1.0);
            ASSERT_LE(f.zoom, greatest_zoom(b));
            if (const auto crop = frame_crop(b, f)) {
                ASSERT_TRUE(inside(*crop, b))
                    << crop->left << "," << crop->top << "," << crop->width << "," << crop->height;
            }
        }
        // Nonsense from outside comes back as a frame inside.
        const HandFrame odd{std::numeric_limits<double>::quiet_NaN(),
                            {std::numeric_limits<double>::infinity(), -1e300}};
        const HandFrame clamped = clamp_frame(b, odd);
        EXPECT_EQ(clamped.zoom, 1.0);
        EXPECT_TRUE(std::isfinite(clamped.center.x) && std::isfinite(clamped.center.y));
    }
    // No picture: no crop, no placement, and no division by nothing.
    const FrameBasis none{};
    EXPECT_FALSE(frame_crop(none, zoom_frame(none, start_frame(none), 2)));
    EXPECT_FALSE(frame_placement(none, start_frame(none)));
}

TEST(HandFrame, CoverStartsFromTheScreensShapeAndZoomKeepsThePointUnderThePointer) {
    const FrameBasis b = photo(DisplayEffect::Cover);
    // Covered, the 4:3 photo is cropped to the screen's 122:126 about its middle.
    const SourceRect part = start_part(b);
    EXPECT_NEAR(part.width / part.height, 122.0 / 126.0, 0.01);
    EXPECT_NEAR(part.left + part.width / 2, 2000, 1);
    EXPECT_NEAR(part.top, 0, 1e-9);

    // Twice as close about a point left of the middle: the crop is half as large each way and
    // the point keeps its place in it.
    const HandFrame start = start_frame(b);
    const SourcePoint anchor{part.left + part.width / 4, 1500};
    const HandFrame zoomed = zoom_frame(b, start, 2, anchor);
    const auto crop = frame_crop(b, zoomed);
    ASSERT_TRUE(crop);
    EXPECT_NEAR(crop->width, part.width / 2, 1);
    EXPECT_NEAR(crop->height, part.height / 2, 1);
    EXPECT_NEAR((anchor.x - crop->left) / crop->width, 0.25, 0.01);
    EXPECT_NEAR((anchor.y - crop->top) / crop->height, 0.5, 0.01);

    // Moved past the edge, the frame stops at it.
    const auto far = frame_crop(b, move_frame(b, zoomed, 1e6, 1e6));
    ASSERT_TRUE(far);
    EXPECT_EQ(far->left + far->width, 4000);
    EXPECT_EQ(far->top + far->height, 3000);
}

TEST(HandFrame, AFittedPictureIsNeverEnlargedPastItsOwnPixels) {
    // A picture smaller than the screen is drawn at its own size: nothing to zoom into.
    EXPECT_EQ(greatest_zoom(photo(DisplayEffect::Fit, 60, 40)), 1.0);
    // A photo may be zoomed until its part is drawn pixel for pixel, and no further.
    const FrameBasis b = photo(DisplayEffect::Fit);
    const double most = greatest_zoom(b);
    EXPECT_GT(most, 20);
    EXPECT_LE(most, kMaxZoom);
    const HandFrame deepest = zoom_frame(b, start_frame(b), 1000);
    EXPECT_EQ(deepest.zoom, most);
    const auto placed = frame_placement(b, deepest);
    ASSERT_TRUE(placed);
    EXPECT_LE(placed->scale_x, 1.0 + 1e-6);
}

}  // namespace
