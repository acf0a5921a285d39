#include "rgb565_dither.h"

#include <algorithm>
#include <array>
#include <vector>

namespace zemlo::media {

namespace {

constexpr int kChannels = 3;
constexpr int kLevels = 256;
constexpr int kMaxValue = kLevels - 1;
// Floyd-Steinberg: 7/16 ahead, 3/16 behind below, 5/16 below, 1/16 ahead below.
constexpr int kWeightAhead = 7;
constexpr int kWeightBelowBehind = 3;
constexpr int kWeightBelow = 5;
constexpr int kWeightBelowAhead = 1;
constexpr int kWeightTotal = 16;
constexpr int kFineBits = 8;
constexpr int kFine = 1 << kFineBits;

// For a channel of the given bits: the 8-bit value the handset shows for each level, and for
// each 8-bit value the level nearest to it.
class ChannelLevels {
  public:
    explicit ChannelLevels(int bits) {
        const int levels = 1 << bits;
        std::vector<int> shown(static_cast<size_t>(levels));
        for (int q = 0; q < levels; ++q) {
            shown[static_cast<size_t>(q)] = (q << (8 - bits)) | (q >> (2 * bits - 8));
        }
        int q = 0;
        for (int v = 0; v < kLevels; ++v) {
            while (q + 1 < levels && std::abs(shown[static_cast<size_t>(q) + 1] - v) <=
                                         std::abs(shown[static_cast<size_t>(q)] - v)) {
                ++q;
            }
            nearest_[static_cast<size_t>(v)] = shown[static_cast<size_t>(q)];
        }
    }
    // The shown value nearest to v (v may have left 0..255 by the errors it received).
    int nearest(int v) const { return nearest_[static_cast<size_t>(std::clamp(v, 0, kMaxValue))]; }

  private:
    std::array<int, kLevels> nearest_{};
};

}  // namespace

QImage dither_to_rgb565(const QImage &area, const PixelRect &region) {
    QImage out = area.convertToFormat(QImage::Format_RGB32);
    const int left = std::clamp(region.left, 0, out.width());
    const int top = std::clamp(region.top, 0, out.height());
    const int right = std::clamp(region.left + region.width, left, out.width());
    const int bottom = std::clamp(region.top + region.height, top, out.height());
    const int width = right - left;
    if (width <= 0 || bottom <= top) {
        return out;
    }
    static const std::array<ChannelLevels, kChannels> levels{ChannelLevels(5), ChannelLevels(6),
                                                             ChannelLevels(5)};
    // Errors carried to the pixels of this row and the next, in 1/256 of a step, with a pixel of
    // room on either side.
    const size_t row_size = static_cast<size_t>(width + 2) * kChannels;
    std::vector<int> here(row_size, 0);
    std::vector<int> below(row_size, 0);
    for (int y = top; y < bottom; ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        const bool forward = (y - top) % 2 == 0;
        for (int i = 0; i < width; ++i) {
            const int x = forward ? left + i : right - 1 - i;
            const int step = forward ? 1 : -1;
            const size_t slot = static_cast<size_t>(x - left + 1) * kChannels;
            const QRgb pixel = line[x];
            const std::array<int, kChannels> wanted{qRed(pixel), qGreen(pixel), qBlue(pixel)};
            std::array<int, kChannels> shown{};
            for (size_t c = 0; c < kChannels; ++c) {
                const int value = wanted[c] * kFine + here[slot + c];
                // The nearest whole value (halves up; the shift floors negative values too).
                shown[c] = levels[c].nearest((value + kFine / 2) >> kFineBits);
                const int error =
                    (std::clamp(value, 0, kMaxValue * kFine) - shown[c] * kFine) / kWeightTotal;
                const auto ahead = static_cast<size_t>(static_cast<long>(slot) + step * kChannels);
                const auto behind = static_cast<size_t>(static_cast<long>(slot) - step * kChannels);
                here[ahead + c] += error * kWeightAhead;
                below[behind + c] += error * kWeightBelowBehind;
                below[slot + c] += error * kWeightBelow;
                below[ahead + c] += error * kWeightBelowAhead;
            }
            line[x] = qRgb(shown[0], shown[1], shown[2]);
        }
        std::swap(here, below);
        std::fill(below.begin(), below.end(), 0);
    }
    return out;
}

}  // namespace zemlo::media
