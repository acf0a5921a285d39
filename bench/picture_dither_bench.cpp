// How much a picture bands on the handset's 16-bit colours with the plain cut and with the
// dither: over the project's own set of 20 gradients (skies, shadows, vignettes, full ranges) and
// 32 photo-like scenes, each drawn into the drawing area with the cover effect, the colour error
// against the 24-bit area once both are blurred a little (mean and peak, in 8-bit steps), and
// what the dither costs per picture. Deterministic: the set is made from fixed seeds.
#include <QColor>
#include <QImage>
#include <QRect>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "picture_choice_area.h"
#include "picture_metrics.h"
#include "picture_runtime.h"
#include "rgb565_dither.h"
#include "synthetic_pictures.h"

namespace {

using namespace zemlo::media;
using namespace zemlo::testing;
using Clock = std::chrono::steady_clock;

constexpr int kGradients = 20;
constexpr int kPhotos = 32;

struct Totals {
    int pictures = 0;
    double plain_mean = 0;
    double dither_mean = 0;
    double plain_peak = 0;
    double dither_peak = 0;
    double worst_ratio = 0;  // the picture where the dither helps least: dither / plain
    bool repeatable = true;
    std::vector<double> dither_us;

    void add(const QImage &picture) {
        const int himetric_w = mul_div(picture.width(), kHimetricPerInch, kLogicalDpi);
        const int himetric_h = mul_div(picture.height(), kHimetricPerInch, kLogicalDpi);
        const DecodedPicture decoded = DecodedPicture::raster(picture, {himetric_w, himetric_h});
        PictureChoice choice;
        choice.effect = DisplayEffect::Cover;
        const QImage wanted = picture_choice_area(decoded, choice).area;
        const auto start = Clock::now();
        const QImage dithered = dither_to_rgb565(wanted, {0, 0, kAreaWidth, kAreaHeight});
        dither_us.push_back(
            std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        choice.dither = true;
        repeatable = repeatable && picture_choice_area(decoded, choice).area == dithered &&
                     dither_to_rgb565(wanted, {0, 0, kAreaWidth, kAreaHeight}) == dithered;
        const QRect area(0, 0, kAreaWidth, kAreaHeight);
        const Banding plain = banding(wanted, cut_to_rgb565(wanted), area);
        const Banding smooth = banding(wanted, dithered, area);
        ++pictures;
        plain_mean += plain.mean;
        dither_mean += smooth.mean;
        plain_peak += plain.peak;
        dither_peak += smooth.peak;
        if (plain.mean > 0) {
            worst_ratio = std::max(worst_ratio, smooth.mean / plain.mean);
        }
    }

    void print(const char *what) const {
        const double n = pictures;
        std::vector<double> us = dither_us;
        std::sort(us.begin(), us.end());
        std::printf(
            "  %-22s %2d   mean %.2f -> %.2f (dither / cut %.2f, worst %.2f)   peak %.2f -> "
            "%.2f   dither %.0f us\n",
            what, pictures, plain_mean / n, dither_mean / n, dither_mean / plain_mean, worst_ratio,
            plain_peak / n, dither_peak / n, us[us.size() / 2]);
    }
};

}  // namespace

int main() {
    ensure_picture_runtime();
    // Gradients of the kinds that band: a clear sky, a dusk, a grey shadow, skin, a dark vignette
    // and a full black-to-white ramp, in each of ten directions and shapes (two per kind).
    const QColor pairs[][2] = {
        {QColor(90, 140, 200), QColor(120, 170, 235)},
        {QColor(250, 170, 90), QColor(80, 60, 120)},
        {QColor(60, 60, 60), QColor(90, 90, 90)},
        {QColor(225, 180, 150), QColor(240, 205, 180)},
        {QColor(5, 10, 20), QColor(40, 45, 60)},
        {QColor(0, 0, 0), QColor(255, 255, 255)},
    };
    Totals gradients;
    for (int i = 0; i < kGradients; ++i) {
        const auto &pair = pairs[i % std::size(pairs)];
        const int w = i % 2 == 0 ? 400 : 300;
        const int h = i % 2 == 0 ? 300 : 400;
        gradients.add(synthetic_gradient(w, h, i % 10, pair[0], pair[1]));
    }
    Totals photos;
    for (int i = 0; i < kPhotos; ++i) {
        photos.add(synthetic_photo(i % 3 == 0 ? 480 : 640, i % 3 == 0 ? 640 : 480,
                                   static_cast<unsigned>(i + 1)));
    }
    std::printf(
        "banding on the handset's 16-bit colours: error against the 24-bit area after a "
        "5 x 5 box blur, in 8-bit steps (cut -> dither), averaged over the pictures\n");
    gradients.print("gradients");
    photos.print("photo-like scenes");
    Totals all = gradients;
    all.pictures += photos.pictures;
    all.plain_mean += photos.plain_mean;
    all.dither_mean += photos.dither_mean;
    all.plain_peak += photos.plain_peak;
    all.dither_peak += photos.dither_peak;
    all.worst_ratio = std::max(gradients.worst_ratio, photos.worst_ratio);
    all.dither_us.insert(all.dither_us.end(), photos.dither_us.begin(), photos.dither_us.end());
    all.print("all");
    const bool repeatable = gradients.repeatable && photos.repeatable;
    std::printf("  the same picture dithered twice gives the same bytes: %s\n",
                repeatable ? "yes" : "NO");
    return repeatable ? 0 : 1;
}
