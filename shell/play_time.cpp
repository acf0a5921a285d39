#include "play_time.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

namespace zemlo::shell {

namespace {

constexpr uint64_t kPercent = 100;
constexpr uint64_t kMsPerSecond = 1000;
constexpr uint64_t kSecondsPerMinute = 60;

}  // namespace

int play_percent(uint32_t position_ms, uint32_t length_ms) {
    if (length_ms == 0) {
        return 0;
    }
    return static_cast<int>(std::min<uint64_t>(kPercent, position_ms * kPercent / length_ms));
}

uint32_t play_position_ms(int percent, uint32_t length_ms) {
    const auto p = static_cast<uint64_t>(std::clamp(percent, 0, static_cast<int>(kPercent)));
    return static_cast<uint32_t>(p * length_ms / kPercent);
}

std::string play_time_text(uint32_t length_ms) {
    const uint64_t seconds = (length_ms + kMsPerSecond / 2) / kMsPerSecond;
    char minutes[32];
    std::snprintf(minutes, sizeof minutes, "%02llu:%02llu",
                  static_cast<unsigned long long>(seconds / kSecondsPerMinute),
                  static_cast<unsigned long long>(seconds % kSecondsPerMinute));
    return QCoreApplication::translate("PlayTime", "播放时间 %1")
        .arg(QString::fromLatin1(minutes))
        .toStdString();
}

}  // namespace zemlo::shell
