#include "dialog_units.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QString>
#include <QStringList>
#include <algorithm>

namespace zemlo::shell {

namespace {

constexpr int kXDivisor = 4;
constexpr int kYDivisor = 8;
constexpr int kDialogPointSize = 9;
constexpr int kLatinLetters = 52;

int mul_div_round(int a, int b, int c) {
    const long long p = static_cast<long long>(a) * b;
    return static_cast<int>(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}

}  // namespace

BaseUnits base_units(const QFont &font) {
    const QFontMetrics fm(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int total = fm.horizontalAdvance(letters);
    return {(total + kLatinLetters / 2) / kLatinLetters, fm.height()};
}

int du_x(const BaseUnits &base, int units) {
    return mul_div_round(units, base.width, kXDivisor);
}

int du_y(const BaseUnits &base, int units) {
    return mul_div_round(units, base.height, kYDivisor);
}

QRect du_rect(const BaseUnits &base, int x, int y, int width, int height) {
    return {du_x(base, x), du_y(base, y), du_x(base, width), du_y(base, height)};
}

QRect du_rect(const BaseUnits &base, const DuRect &r) {
    return du_rect(base, r.x, r.y, r.width, r.height);
}

void fit_label_and_box(QLabel *label, QComboBox *box, int right_limit) {
    const int label_needs = label->fontMetrics().horizontalAdvance(label->text()) +
                            label->contentsMargins().left() + label->contentsMargins().right();
    if (label->width() < label_needs) {
        label->resize(label_needs, label->height());
    }
    QRect place = box->geometry();
    // The box may take the room the label has beyond its text.
    const int leftmost = label->x() + label_needs + 1;
    if (place.left() < leftmost) {
        place.setLeft(leftmost);
    }
    const int needs = box->sizeHint().width();
    if (place.width() < needs) {
        place.setWidth(std::min(needs, right_limit - place.left()));
    }
    if (place.width() < needs) {
        place.moveLeft(std::max(leftmost, right_limit - needs));
        place.setWidth(std::min(needs, right_limit - place.left()));
    }
    box->setGeometry(place);
    if (label->geometry().right() >= place.left()) {
        label->resize(place.left() - label->x(), label->height());
    }
}

QFont dialog_font() {
    QFont font(QStringLiteral("WenQuanYi Micro Hei"), kDialogPointSize);
    QStringList families;
    families << QStringLiteral("WenQuanYi Micro Hei") << QStringLiteral("Noto Sans CJK SC");
    font.setFamilies(families);
    return font;
}

}  // namespace zemlo::shell
