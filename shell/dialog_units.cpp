#include "dialog_units.h"

#include <QFontMetrics>
#include <QString>
#include <QStringList>

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

QFont dialog_font() {
    QFont font(QStringLiteral("WenQuanYi Micro Hei"), kDialogPointSize);
    QStringList families;
    families << QStringLiteral("WenQuanYi Micro Hei") << QStringLiteral("Noto Sans CJK SC");
    font.setFamilies(families);
    return font;
}

}  // namespace zemlo::shell
