// Framing by hand as arithmetic: which rectangle of the screen shows picture and which part of
// the picture it shows, for the effects alone, a crop, a zoom and a chosen centre.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

#include "picture_framing.h"

namespace {

using namespace zemlo::media;

constexpr PixelRect kWholeArea{0, 0, kAreaWidth, kAreaHeight};

int himetric(int pixels) {
    return mul_div(pixels, kHimetricPerInch, kLogicalDpi);
}

FramePlacement placed(DisplayEffect effect, const Framing &framing, int w, int h) {
    const FramingResult r = place_frame(effect, framing, {w, h}, himetric(w), himetric(h));
    EXPECT_EQ(r.error, FramingError::None);
    return r.placement.value_or(FramePlacement{});
}

void expect_source(const SourceRect &got, const SourceRect &want, double within = 1e-6) {
    EXPECT_NEAR(got.left, want.left, within);
    EXPECT_NEAR(got.top, want.top, within);
    EXPECT_NEAR(got.width, want.width, within);
    EXPECT_NEAR(got.height, want.height, within);
}

TEST(PictureFraming, WithoutAFrameFitAndStretchPlaceTheWholePictureAsAlways) {
    const std::pair<int, int> sizes[] = {{10, 10}, {121, 50}, {50, 200}, {1000, 700}};
    for (const auto &[w, h] : sizes) {
        for (const DisplayEffect effect : {DisplayEffect::Fit, DisplayEffect::Stretch}) {
            PixelRect want = picture_rect(effect, himetric(w), himetric(h));
            want.left -= kAreaInset;
            want.top -= kAreaInset;
            const FramePlacement p = placed(effect, {}, w, h);
            EXPECT_EQ(p.target, want) << w << "x" << h;
            expect_source(p.source, {0, 0, 1.0 * w, 1.0 * h});
        }
    }
}

TEST(PictureFraming, CoverFillsTheScreenAndCutsTheLongerSideEvenly) {
    // 400 x 300 scaled by 126/300: 168 wide, 46 columns over, 23 each side.
    FramePlacement p = placed(DisplayEffect::Cover, {}, 400, 300);
    EXPECT_EQ(p.target, kWholeArea);
    EXPECT_NEAR(p.source.height, 300, 1e-9);
    EXPECT_NEAR(p.source.width, 122 * 300 / 126.0, 1e-9);
    EXPECT_NEAR(p.source.left + p.source.width / 2, 200, 0.5);
    EXPECT_NEAR(p.scale_x, p.scale_y, 1e-9);  // no distortion
    // A tall one loses rows at the top and the bottom instead.
    p = placed(DisplayEffect::Cover, {}, 300, 900);
    EXPECT_EQ(p.target, kWholeArea);
    EXPECT_NEAR(p.source.width, 300, 1e-9);
    EXPECT_NEAR(p.source.top + p.source.height / 2, 450, 0.5);
    // A small picture is enlarged to cover, as it is the point of the effect.
    p = placed(DisplayEffect::Cover, {}, 20, 20);
    EXPECT_EQ(p.target, kWholeArea);
    EXPECT_GT(p.scale_x, 6);
}

TEST(PictureFraming, ACropIsPlacedAsIfItWereThePicture) {
    const Framing crop{PixelRect{100, 50, 200, 100}};
    // Stretched over the whole screen, nothing else of the picture shows.
    FramePlacement p = placed(DisplayEffect::Stretch, crop, 1000, 800);
    EXPECT_EQ(p.target, kWholeArea);
    expect_source(p.source, {100, 50, 200, 100});
    // Fitted as a 200 x 100 picture would be: 120 x 60, left-aligned, centred vertically.
    p = placed(DisplayEffect::Fit, crop, 1000, 800);
    EXPECT_EQ(p.target, (PixelRect{0, 33, 120, 60}));
    expect_source(p.source, {100, 50, 200, 100});
    // A crop smaller than the fit box keeps its own size, as a small picture does.
    p = placed(DisplayEffect::Fit, Framing{PixelRect{0, 0, 40, 30}}, 1000, 800);
    EXPECT_EQ(p.target, (PixelRect{41, 48, 40, 30}));
}

TEST(PictureFraming, AZoomEnlargesAboutTheCentreOrTheChosenPoint) {
    const FramePlacement whole = placed(DisplayEffect::Cover, {}, 400, 300);
    Framing twice;
    twice.zoom = 2;
    FramePlacement p = placed(DisplayEffect::Cover, twice, 400, 300);
    EXPECT_EQ(p.target, kWholeArea);
    EXPECT_NEAR(p.source.width, whole.source.width / 2, 1e-9);
    EXPECT_NEAR(p.source.height, whole.source.height / 2, 1e-9);
    EXPECT_NEAR(p.source.left + p.source.width / 2, whole.source.left + whole.source.width / 2,
                1e-9);

    // One picture pixel to one screen pixel; the picture's corner at the screen's centre leaves
    // the rest of the screen black.
    Framing corner;
    corner.center = SourcePoint{0, 0};
    p = placed(DisplayEffect::Stretch, corner, kAreaWidth, kAreaHeight);
    EXPECT_EQ(p.target, (PixelRect{61, 63, 61, 63}));
    expect_source(p.source, {0, 0, 61, 63});

    // Half the size, centred: a black border all round.
    Framing half;
    half.zoom = 0.5;
    p = placed(DisplayEffect::Stretch, half, kAreaWidth, kAreaHeight);
    EXPECT_EQ(p.target, (PixelRect{31, 32, 61, 63}));
    expect_source(p.source, {0, 0, kAreaWidth, kAreaHeight}, 1.0);
}

TEST(PictureFraming, FramesThatDoNotFitThePictureAreRefused) {
    const auto error = [](const Framing &f) {
        return place_frame(DisplayEffect::Fit, f, {400, 300}, himetric(400), himetric(300)).error;
    };
    EXPECT_EQ(error(Framing{PixelRect{300, 0, 101, 10}}), FramingError::CropOutside);
    EXPECT_EQ(error(Framing{PixelRect{-1, 0, 10, 10}}), FramingError::CropOutside);
    EXPECT_EQ(error(Framing{PixelRect{0, 0, 0, 10}}), FramingError::CropOutside);
    EXPECT_EQ(error(Framing{PixelRect{0, 0, 400, 300}}), FramingError::None);
    Framing f;
    f.center = SourcePoint{401, 10};
    EXPECT_EQ(error(f), FramingError::CenterOutside);
    f = Framing{PixelRect{0, 0, 100, 100}, 1.0, SourcePoint{150, 50}};  // outside the crop
    EXPECT_EQ(error(f), FramingError::CenterOutside);
    for (const double zoom : {0.0, 0.05, 65.0, std::numeric_limits<double>::quiet_NaN()}) {
        f = Framing{};
        f.zoom = zoom;
        EXPECT_EQ(error(f), FramingError::ZoomOutOfRange) << zoom;
    }
    EXPECT_EQ(place_frame(DisplayEffect::Fit, {}, {0, 0}, 0, 0).error, FramingError::NoPicture);
}

}  // namespace
