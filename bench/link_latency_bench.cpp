// How quickly the link reacts over a pseudo-terminal: from the peer writing an ACK to the sender
// seeing it, and from the peer finishing a frame to the record being fetchable. A reader that
// slept a fixed 40 ms between looks at the line would take up to 40 ms for each.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include <zemlo/byte_order.h>
#include <zemlo/signal_record.h>

#include "frame_link.h"
#include "port_directory.h"
#include "pty_peer.h"

namespace {

using Clock = std::chrono::steady_clock;
using handlink::testing::Bytes;
using handlink::testing::PtyPeer;

constexpr uint32_t kPort = 60;
constexpr uint32_t kBaud = 115200;
constexpr int kRounds = 200;
constexpr double kFixedSleepMs = handlink::kPollIntervalMs;
// Lets the link's 5 ms pause after its own ACK pass before the next frame.
constexpr auto kBetweenRounds = std::chrono::milliseconds(handlink::kAnswerSettleMs + 2);

double ms_between(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

void report(const char *what, const std::vector<double> &ms) {
    const double median = percentile(ms, 0.5);
    std::printf("%-34s median %.3f ms  p90 %.3f ms  ratio %g ms poll interval / median: %.0f\n",
                what, median, percentile(ms, 0.9), kFixedSleepMs, kFixedSleepMs / median);
}

Bytes small_record() {
    Bytes record(zemlo::kRecordHeadBytes + zemlo::kSigBodyOffset + 8, 0);
    zemlo::write_le32(record.data() + zemlo::kRecordKindOffset, zemlo::kKindSignal);
    zemlo::write_le16(record.data() + zemlo::kRecordLengthOffset,
                      static_cast<uint16_t>(record.size() - zemlo::kRecordHeadBytes));
    return record;
}

std::atomic<Clock::rep> arrival_ticks{0};

}  // namespace

int main() {
    PtyPeer peer;
    if (!peer.ok()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    handlink::set_port_device(kPort, peer.device().c_str());
    auto link = std::make_unique<handlink::FrameLink>();
    if (link->link_open(kPort, kBaud) != handlink::kSerialOk) {
        std::fprintf(stderr, "cannot open %s\n", peer.device().c_str());
        return 1;
    }

    const Bytes record = small_record();
    std::vector<double> ack_ms;
    for (int i = 0; i < kRounds; ++i) {
        auto seen = std::async(std::launch::async, [&] {
            const int32_t status = link->send_record(record.data(), record.size());
            return std::make_pair(status, Clock::now());
        });
        if (peer.read_frame().empty()) {
            std::fprintf(stderr, "no frame from the link\n");
            return 1;
        }
        const auto acked = Clock::now();
        peer.write_byte(handlink::kAck);
        const auto [status, when] = seen.get();
        if (status != handlink::kLinkOk) {
            std::fprintf(stderr, "send failed: %d\n", status);
            return 1;
        }
        ack_ms.push_back(ms_between(acked, when));
    }

    link->set_arrival_callback(
        [](void *) { arrival_ticks.store(Clock::now().time_since_epoch().count()); }, nullptr);
    const Bytes frame = handlink::testing::frame_of(
        {handlink::kSegmentSignal, handlink::kLastSequence, 1, 2, 3, 4, 5, 6});
    std::vector<double> record_ms;
    uint8_t fetched[handlink::kSlotBytes];
    for (int i = 0; i < kRounds; ++i) {
        peer.write(frame);
        const auto written = Clock::now();
        if (peer.read_byte() != handlink::kAck ||
            link->fetch_record(fetched, sizeof fetched) == 0) {
            std::fprintf(stderr, "the frame was not taken\n");
            return 1;
        }
        const Clock::time_point arrived{Clock::duration{arrival_ticks.load()}};
        record_ms.push_back(std::max(0.0, ms_between(written, arrived)));
        std::this_thread::sleep_for(kBetweenRounds);
    }
    link->link_close();
    handlink::set_port_device(kPort, nullptr);

    std::printf("link latency over a pseudo-terminal, %d rounds each\n", kRounds);
    report("ACK written -> sender sees it", ack_ms);
    report("frame written -> record fetchable", record_ms);
    return 0;
}
