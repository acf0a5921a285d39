// Round-trip time of one request through the library: phiDownloadDataReq (a 520-byte packet in
// three frames, each acknowledged) answered by a scripted handset over an unpaced pseudo-terminal,
// until the confirmation is in the caller's reply buffer. A device worker that slept fixed
// intervals (1 ms hand-over polls, 10 ms between looks at the ring, 40 ms between looks at the
// line) would take about 100 ms for it.
//
// Two handsets: one that answers the instant it has acknowledged the last frame, and one that
// takes 0.3 ms to think. The first answer then lands while the PC still waits for its own ACK,
// so the PC's ACK is deferred and followed by the protocol's 5 ms pause before the send is done.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "api_handset.h"
#include "api_loader.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace handlink::testing;

constexpr uint32_t kPort = 61;
constexpr int kRounds = 100;
constexpr double kFixedSleepPollMs = 100.0;
constexpr double kTargetMs = 5.0;
// Lets the link's 5 ms pause after its ACK of the previous confirmation pass first.
constexpr auto kBetweenRounds = std::chrono::milliseconds(7);
constexpr auto kThinkingTime = std::chrono::microseconds(300);

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

// Runs kRounds requests; returns the median in ms, or a negative value when any failed.
double measure(HandlinkApi &api, ScriptedHandset &handset, std::chrono::microseconds thinking,
               const char *label) {
    handset.set_responder([thinking](const PcRecord &r) -> std::vector<ScriptedHandset::Reply> {
        if (r.signal() != 0x7901) {
            return {};
        }
        std::this_thread::sleep_for(thinking);
        return {{0xD4, long_header_message(83, 0x7902, {0x02, 0x00, 0x01, 0x00})}};
    });
    auto request = api.request("phiDownloadDataReq");
    std::vector<uint8_t> packet(520, 0x5A), reply(HL_MAX_REPLY_BYTES);
    std::vector<double> times;
    int failures = 0;
    for (int i = 0; i < kRounds; ++i) {
        std::this_thread::sleep_for(kBetweenRounds);
        const auto start = Clock::now();
        const int32_t result = request(packet.data(), reply.data());
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        failures += result != 0x79020004;
        handset.clear();
    }
    const double median = percentile(times, 0.5);
    std::printf("%s: median %.2f ms, p90 %.2f ms, max %.2f ms (%d of %d failed)\n", label, median,
                percentile(times, 0.9), percentile(times, 1.0), failures, kRounds);
    std::printf("  %.1fx faster than a fixed-sleep poll (~%.0f ms); target < %.0f ms: %s\n",
                kFixedSleepPollMs / median, kFixedSleepPollMs, kTargetMs,
                median < kTargetMs ? "met" : "missed");
    return failures == 0 ? median : -1.0;
}

}  // namespace

int main() {
    HandlinkApi api;
    ScriptedHandset handset;
    if (!api.ok() || !handset.ok()) {
        std::fprintf(stderr, "cannot load the library or open a pseudo-terminal\n");
        return 1;
    }
    api.SetPortDevice(kPort, handset.device().c_str());
    if (api.OpenComm(kPort, 115200) != HL_OPEN_OK || api.SendSetup() != HL_SETUP_OK) {
        std::fprintf(stderr, "open or setup failed\n");
        api.CloseComm();
        return 1;
    }
    std::printf("phiDownloadDataReq round trip\n");
    const double thinking = measure(api, handset, kThinkingTime, "handset answers after 0.3 ms");
    const double instant =
        measure(api, handset, std::chrono::microseconds(0), "handset answers at once");
    api.CloseComm();
    return thinking < 0 || instant < 0 ? 1 : 0;
}
