#include "transfer_progress.h"

#include <algorithm>

#include "messages.h"

namespace zemlo::cli {

namespace {

constexpr uint64_t kPacketDataBytes = 512;
constexpr double kMillisPerSecond = 1000.0;

}  // namespace

std::string progress_line(const TransferProgress &p) {
    const uint64_t sent = std::min<uint64_t>(p.packets_sent * kPacketDataBytes, p.bytes_total);
    std::string line = app::render(app::MessageId::ProgressLine,
                                   {std::to_string(p.packets_sent), std::to_string(p.packets_total),
                                    std::to_string(sent), std::to_string(p.bytes_total)});
    const double seconds = static_cast<double>(p.elapsed.count()) / kMillisPerSecond;
    if (sent > 0 && seconds > 0) {
        const double rate = static_cast<double>(sent) / seconds;
        const auto left = static_cast<uint64_t>(static_cast<double>(p.bytes_total - sent) / rate);
        line += "  " + std::to_string(static_cast<uint64_t>(rate)) + " B/s";
        if (p.packets_sent < p.packets_total) {
            line += "  " + app::render(app::MessageId::ProgressTimeLeft, {std::to_string(left)});
        }
    }
    return line;
}

}  // namespace zemlo::cli
