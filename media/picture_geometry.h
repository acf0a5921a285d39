// Where the picture goes in the handset's drawing area: 122 x 126 pixels inside a 3-pixel
// border, with the "fit" effect (own size centred when it fits 120 x 124, otherwise shrunk to
// one limiting side), the "stretch" effect (the whole area) or the "cover" effect (the whole area
// filled without distortion, the overflow of the longer side cut off evenly).
#pragma once

#include <cstdint>

namespace zemlo::media {

enum class DisplayEffect { Fit = 0, Stretch = 1, Cover = 2 };

inline constexpr int kAreaInset = 3;
inline constexpr int kAreaWidth = 122;
inline constexpr int kAreaHeight = 126;
inline constexpr int kFitWidth = 120;
inline constexpr int kFitHeight = 124;
inline constexpr int kHimetricPerInch = 2540;  // HIMETRIC units are 0.01 mm
inline constexpr int kLogicalDpi = 96;

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect &) const = default;
};

// a * b / c rounded to the nearest integer, halves away from zero; 0 when c is 0 and -1 when
// the result does not fit an int.
int mul_div(int a, int b, int c);

// The drawing area in the picture control's client coordinates: (3, 3) 122 x 126.
PixelRect drawing_area();

// The rectangle, in the same coordinates, that the whole picture is drawn into. The natural
// size is in HIMETRIC; dpi converts it to pixels. A picture without a positive natural size
// gets an empty rectangle when fitted or covered. A covering rectangle reaches past the area on
// one side; what lies outside is not shown.
PixelRect picture_rect(DisplayEffect effect, int natural_width, int natural_height,
                       int dpi = kLogicalDpi);

}  // namespace zemlo::media
