// The progress line of a running download: packets, bytes, rate and time left, worked out from
// what the transfer has reported so far.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace zemlo::cli {

struct TransferProgress {
    uint32_t packets_sent = 0;
    uint32_t packets_total = 0;
    uint64_t bytes_total = 0;
    std::chrono::milliseconds elapsed{0};
};

// "packet 3/61  1024/30748 bytes  2048 B/s  14 s left" in the user's language; the rate and time
// left appear once a packet has gone and time has passed.
std::string progress_line(const TransferProgress &p);

}  // namespace zemlo::cli
