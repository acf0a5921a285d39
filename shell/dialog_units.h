// Window layouts are given in dialog units; the font's base units turn them into pixels, so the
// windows keep their proportions whatever the font measures.
#pragma once

#include <QFont>
#include <QRect>

namespace zemlo::shell {

// Base units of a font: the average character width and the character height, in pixels.
struct BaseUnits {
    int width = 0;
    int height = 0;
};

// The average width of the 52 Latin letters and the line height of the font.
BaseUnits base_units(const QFont &font);

// x and widths: units x base width / 4; y and heights: units x base height / 8; rounded.
int du_x(const BaseUnits &base, int units);
int du_y(const BaseUnits &base, int units);
QRect du_rect(const BaseUnits &base, int x, int y, int width, int height);

// A rectangle in dialog units, as layout tables give them.
struct DuRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
QRect du_rect(const BaseUnits &base, const DuRect &r);

// The dialog font: a CJK sans font at 9 points.
QFont dialog_font();

}  // namespace zemlo::shell
