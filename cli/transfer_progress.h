// The progress line of a running download: packets, bytes, rate and time left, worked out from
// what the transfer has reported so far.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zemlo::cli {

struct TransferProgress {
    uint32_t packets_sent = 0;
    uint32_t packets_total = 0;
    uint64_t bytes_total = 0;
    std::chrono::milliseconds elapsed{0};
};

// The packet number of a report such as "正在发送第3个数据包..."; nothing for any other text.
std::optional<uint32_t> packet_number(std::string_view report);

// "packet 3/61  1024/30748 bytes  2048 B/s  14 s left"; the rate and time left appear once a
// packet has gone and time has passed.
std::string progress_line(const TransferProgress &p);

}  // namespace zemlo::cli
