#include "transfer_progress.h"

#include <algorithm>
#include <charconv>

namespace zemlo::cli {

namespace {

constexpr std::string_view kPacketPrefix = "正在发送第";
constexpr std::string_view kPacketSuffix = "个数据包...";
constexpr uint64_t kPacketDataBytes = 512;
constexpr double kMillisPerSecond = 1000.0;

}  // namespace

std::optional<uint32_t> packet_number(std::string_view report) {
    if (report.substr(0, kPacketPrefix.size()) != kPacketPrefix ||
        report.size() <= kPacketPrefix.size() + kPacketSuffix.size() ||
        report.substr(report.size() - kPacketSuffix.size()) != kPacketSuffix) {
        return std::nullopt;
    }
    const std::string_view digits = report.substr(
        kPacketPrefix.size(), report.size() - kPacketPrefix.size() - kPacketSuffix.size());
    uint32_t n = 0;
    const auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (ec != std::errc() || p != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return n;
}

std::string progress_line(const TransferProgress &p) {
    const uint64_t sent = std::min<uint64_t>(p.packets_sent * kPacketDataBytes, p.bytes_total);
    std::string line = "packet " + std::to_string(p.packets_sent) + "/" +
                       std::to_string(p.packets_total) + "  " + std::to_string(sent) + "/" +
                       std::to_string(p.bytes_total) + " bytes";
    const double seconds = static_cast<double>(p.elapsed.count()) / kMillisPerSecond;
    if (sent > 0 && seconds > 0) {
        const double rate = static_cast<double>(sent) / seconds;
        const auto left = static_cast<uint64_t>(static_cast<double>(p.bytes_total - sent) / rate);
        line += "  " + std::to_string(static_cast<uint64_t>(rate)) + " B/s  " +
                std::to_string(left) + " s left";
    }
    return line;
}

}  // namespace zemlo::cli
