// How far apart two pictures of the same size are, as the picture tests and benchmarks measure
// it: the peak signal-to-noise ratio, and the banding a reduction to 16-bit colours leaves (the
// mean colour error once both are blurred a little, as the eye blurs a small screen's pixels);
// and the plain reduction itself, to compare with.
#pragma once

#include <QImage>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "zemlo/rgb565.h"

namespace zemlo::testing {

// The picture as the handset shows it without dither: each channel cut to 5 or 6 bits.
inline QImage cut_to_rgb565(const QImage &picture) {
    QImage out = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const auto c = rgb565::unpack(rgb565::pack(static_cast<uint8_t>(qRed(line[x])),
                                                       static_cast<uint8_t>(qGreen(line[x])),
                                                       static_cast<uint8_t>(qBlue(line[x]))));
            line[x] = qRgb(c.red, c.green, c.blue);
        }
    }
    return out;
}

// Peak signal-to-noise ratio in decibels over the three channels; infinity for equal pictures.
inline double psnr(const QImage &a, const QImage &b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            const double dr = qRed(p[col]) - qRed(q[col]);
            const double dg = qGreen(p[col]) - qGreen(q[col]);
            const double db = qBlue(p[col]) - qBlue(q[col]);
            sum += dr * dr + dg * dg + db * db;
        }
    }
    const double mse = sum / (3.0 * x.width() * x.height());
    return mse == 0 ? std::numeric_limits<double>::infinity()
                    : 10 * std::log10(255.0 * 255.0 / mse);
}

struct Banding {
    double mean = 0;  // mean absolute colour error per channel, in 8-bit steps
    double peak = 0;  // the largest, at any pixel and channel
};

// The error of shown against wanted inside region after a box blur of the given radius on both
// (pixels of the box outside region are left out, so a black border does not count).
inline Banding banding(const QImage &wanted, const QImage &shown, const QRect &region,
                       int radius = 2) {
    const QImage a = wanted.convertToFormat(QImage::Format_RGB32);
    const QImage b = shown.convertToFormat(QImage::Format_RGB32);
    const QRect r = region.intersected(a.rect());
    Banding result;
    if (r.isEmpty()) {
        return result;
    }
    const auto blurred = [&](const QImage &image, int x, int y, int channel) {
        double sum = 0;
        int count = 0;
        for (int j = std::max(r.top(), y - radius); j <= std::min(r.bottom(), y + radius); ++j) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(j));
            for (int i = std::max(r.left(), x - radius); i <= std::min(r.right(), x + radius);
                 ++i) {
                sum += channel == 0   ? qRed(line[i])
                       : channel == 1 ? qGreen(line[i])
                                      : qBlue(line[i]);
                ++count;
            }
        }
        return sum / count;
    };
    double total = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            for (int c = 0; c < 3; ++c) {
                const double e = std::abs(blurred(a, x, y, c) - blurred(b, x, y, c));
                total += e;
                result.peak = std::max(result.peak, e);
            }
        }
    }
    result.mean = total / (3.0 * r.width() * r.height());
    return result;
}

}  // namespace zemlo::testing
