#include <gtest/gtest.h>

#include "picture_geometry.h"

namespace {

using namespace zemlo::media;

// The natural size of a picture of w x h pixels at the screen's resolution.
PixelRect fit(int w, int h) {
    return picture_rect(DisplayEffect::Fit, mul_div(w, kHimetricPerInch, kLogicalDpi),
                        mul_div(h, kHimetricPerInch, kLogicalDpi));
}

TEST(PictureGeometry, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(mul_div(3201, 96, 2540), 121);
    EXPECT_EQ(mul_div(5, 1, 2), 3);
    EXPECT_EQ(mul_div(-5, 1, 2), -3);
    EXPECT_EQ(mul_div(1 << 30, 4, 2), -1);
    EXPECT_EQ(mul_div(7, 3, 0), 0);
}

TEST(PictureGeometry, SmallPicturesKeepTheirSizeCentred) {
    EXPECT_EQ(fit(100, 50), (PixelRect{14, 41, 100, 50}));
    // Odd margins put the spare pixel on the left and top.
    EXPECT_EQ(fit(99, 49), (PixelRect{15, 42, 99, 49}));
    EXPECT_EQ(fit(120, 124), (PixelRect{4, 4, 120, 124}));
    EXPECT_EQ(fit(1, 1), (PixelRect{64, 66, 1, 1}));
}

TEST(PictureGeometry, WideOnesAreWidthLimitedLeftAlignedAndEven) {
    // 120 x 49.6 truncates to 49, raised to 50.
    EXPECT_EQ(fit(121, 50), (PixelRect{3, 41, 120, 50}));
    EXPECT_EQ(fit(121, 124), (PixelRect{3, 5, 120, 122}));
    EXPECT_EQ(fit(4000, 3000), (PixelRect{3, 21, 120, 90}));
}

TEST(PictureGeometry, TallOnesAreHeightLimitedTopAlignedAndEven) {
    const PixelRect tall = fit(50, 300);
    EXPECT_EQ(tall, (PixelRect{54, 3, 20, 124}));
    // The two bottom rows of the area stay black.
    EXPECT_EQ(tall.top + tall.height, drawing_area().top + drawing_area().height - 2);
    EXPECT_EQ(fit(51, 300), (PixelRect{53, 3, 22, 124}));
}

TEST(PictureGeometry, StretchFillsTheWholeArea) {
    for (auto [w, h] : {std::pair{10, 10}, {121, 50}, {50, 3000}}) {
        EXPECT_EQ(picture_rect(DisplayEffect::Stretch, w * 26, h * 26),
                  (PixelRect{3, 3, 122, 126}));
    }
}

}  // namespace
