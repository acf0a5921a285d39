#include "space_gauge_figures.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

namespace zemlo::shell {

namespace {

constexpr double kPercent = 100.0;
constexpr std::size_t kPercentTextSize = 16;

}  // namespace

GaugeFigures gauge_figures(int width, std::int32_t total, std::int32_t free) {
    GaugeFigures g;
    if (total <= 0) {
        return g;
    }
    g.has_data = true;
    const std::int64_t used =
        std::clamp<std::int64_t>(static_cast<std::int64_t>(total) - free, 0, total);
    const double share = static_cast<double>(used) / static_cast<double>(total);
    g.used_width = static_cast<int>(static_cast<double>(width) * share);
    char text[kPercentTextSize];
    std::snprintf(text, sizeof text, "%.0f%%", share * kPercent);
    g.percent = QString::fromLatin1(text);
    return g;
}

int gauge_text_x(int left, int width, int text_width) {
    return left + (width - text_width) / 2;
}

QString space_tip_text(std::int32_t total, std::int32_t free) {
    if (total == 0 && free == 0) {
        return QCoreApplication::translate("SpaceGauge", "(未连接)");
    }
    // Held to the bar's range: a handset that reports more free space than it has, or less than
    // none, never gets a negative count in words. Without a total there is no range to hold the
    // free count to, only its lower end.
    const std::int64_t top = std::max<std::int64_t>(total, 0);
    const std::int64_t shown_free =
        total > 0 ? std::clamp<std::int64_t>(free, 0, top) : std::max<std::int64_t>(free, 0);
    const std::int64_t used = total > 0 ? top - shown_free : 0;
    return QCoreApplication::translate("SpaceGauge", "已用空间:%1字节,剩余空间:%2字节")
        .arg(used)
        .arg(shown_free);
}

}  // namespace zemlo::shell
