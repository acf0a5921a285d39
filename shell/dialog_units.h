// Window layouts are given in dialog units; the font's base units turn them into pixels, so the
// windows keep their proportions whatever the font measures.
#pragma once

#include <QFont>
#include <QRect>

class QComboBox;
class QLabel;

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

// At a very small font (a small screen) the fixed parts of a combo box, its arrow and frame, take
// more of it than the dialog units allow for, and a label's text can come out a pixel wider than
// its units. The label is widened to its text, and the box, kept right of the label, to its
// entries: first to the right as far as right_limit, then to the left. Nothing changes at the
// normal font, where both fit as laid out.
void fit_label_and_box(QLabel *label, QComboBox *box, int right_limit);

// The dialog font: a CJK sans font at 9 points.
QFont dialog_font();

}  // namespace zemlo::shell
