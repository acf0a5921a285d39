// Pictures made on the spot for the picture tests and benchmarks, so the repository carries no
// photographs: smooth gradients of the kinds that band at 16 bits (skies, shadows, vignettes) and
// photo-like scenes (soft light, objects with hard edges, texture, a little sensor noise) whose
// JPEG files cost what a camera's do to decode. The same seed gives the same picture.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

namespace zemlo::testing {

// Ten directions and shapes of a gradient between two colours: 0-3 along one side, 4-5
// diagonal, 6-7 radial from the centre or a corner, 8-9 two-colour bands over a third colour.
inline QImage synthetic_gradient(int width, int height, int kind, QColor from, QColor to) {
    QImage image(width, height, QImage::Format_RGB32);
    const double cx = kind == 7 ? 0.0 : width / 2.0;
    const double cy = kind == 7 ? 0.0 : height / 2.0;
    const double reach = std::hypot(std::max(cx, width - cx), std::max(cy, height - cy));
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / std::max(1, width - 1);
            const double v = static_cast<double>(y) / std::max(1, height - 1);
            double t = 0;
            switch (kind % 10) {
                case 0:
                    t = u;
                    break;
                case 1:
                    t = v;
                    break;
                case 2:
                    t = 1 - u;
                    break;
                case 3:
                    t = 1 - v;
                    break;
                case 4:
                    t = (u + v) / 2;
                    break;
                case 5:
                    t = (u + 1 - v) / 2;
                    break;
                case 6:
                case 7:
                    t = std::hypot(x - cx, y - cy) / reach;
                    break;
                case 8:
                    t = 0.5 + 0.5 * std::sin(u * 3.0);
                    break;
                default:
                    t = 0.5 - 0.5 * std::cos(v * 2.5 + u);
                    break;
            }
            const auto mix = [t](int a, int b) {
                return std::clamp(static_cast<int>(std::lround(a + (b - a) * t)), 0, 255);
            };
            line[x] = qRgb(mix(from.red(), to.red()), mix(from.green(), to.green()),
                           mix(from.blue(), to.blue()));
        }
    }
    return image;
}

// A photo-like scene. The light and the objects are drawn at an eighth of the size and enlarged
// smoothly (a camera's picture is smooth at that scale); texture and noise are added at full size.
inline QImage synthetic_photo(int width, int height, unsigned seed) {
    std::mt19937 rng(seed);
    const auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    const int small_w = std::max(8, width / 8);
    const int small_h = std::max(8, height / 8);
    QImage small(small_w, small_h, QImage::Format_RGB32);
    {
        QPainter p(&small);
        p.setRenderHint(QPainter::Antialiasing, true);
        QLinearGradient sky(0, 0, 0, small_h);
        sky.setColorAt(0, QColor(pick(40, 120), pick(90, 170), pick(150, 250)));
        sky.setColorAt(0.55, QColor(pick(150, 230), pick(160, 230), pick(170, 240)));
        sky.setColorAt(1, QColor(pick(30, 120), pick(50, 130), pick(20, 90)));
        p.fillRect(small.rect(), sky);
        for (int i = 0; i < 6; ++i) {
            const QPointF c(pick(0, small_w), pick(0, small_h));
            const double r = pick(small_w / 8, small_w / 2);
            QRadialGradient glow(c, r);
            const QColor colour(pick(0, 255), pick(0, 255), pick(0, 255));
            glow.setColorAt(0, colour);
            glow.setColorAt(1, QColor(colour.red(), colour.green(), colour.blue(), 0));
            p.setPen(Qt::NoPen);
            p.setBrush(glow);
            p.drawEllipse(c, r, r);
        }
        for (int i = 0; i < 8; ++i) {
            const QColor colour(pick(0, 255), pick(0, 255), pick(0, 255));
            QLinearGradient shade(0, 0, pick(1, small_w), pick(1, small_h));
            shade.setColorAt(0, colour);
            shade.setColorAt(1, colour.darker(pick(120, 220)));
            p.setBrush(shade);
            const QRectF box(pick(0, small_w), pick(small_h / 3, small_h), pick(2, small_w / 3),
                             pick(2, small_h / 3));
            if (i % 2 == 0) {
                p.drawRect(box);
            } else {
                p.drawEllipse(box);
            }
        }
    }
    QImage image = small.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Texture in the lower part (grass, gravel), a vignette and sensor noise everywhere, each
    // channel its own, as a camera's at its base sensitivity.
    uint32_t state = seed * 2654435761u + 1;
    const double fx = pick(20, 60) * 3.14159 / width;
    const double fy = pick(20, 60) * 3.14159 / height;
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const double vy = (2.0 * y / height - 1);
        const double texture_share =
            std::clamp((static_cast<double>(y) / height - 0.5) * 2, 0.0, 1.0);
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            const auto noise = [state](int shift) {
                return static_cast<int>((state >> shift) % 13) - 6;
            };
            const double vx = (2.0 * x / width - 1);
            const double vignette = 1.0 - 0.25 * (vx * vx + vy * vy);
            const double texture =
                texture_share * 14 * std::sin(x * fx) * std::sin(y * fy + x * 0.01);
            const QRgb c = line[x];
            const auto channel = [&](int v, int shift) {
                return std::clamp(static_cast<int>(v * vignette + texture) + noise(shift), 0, 255);
            };
            line[x] = qRgb(channel(qRed(c), 24), channel(qGreen(c), 16), channel(qBlue(c), 8));
        }
    }
    return image;
}

}  // namespace zemlo::testing
