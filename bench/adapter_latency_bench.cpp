// The picture download (30748 bytes, 61 data packets) through libhandlink.so against the handset
// emulator at 115200 baud, with the handset's bytes held as a USB serial adapter holds them: no
// adapter, a 1 ms timer (low-latency mode) and a 16 ms timer (the common default). Prints each
// time and its ratio to what the bytes alone need on the line, all measured in this one run.
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>

#include "bench_support.h"
#include "sample_media.h"

namespace {

using namespace zemlo::bench;
constexpr uint32_t kBaud = 115200;
constexpr int kRounds = 2;
constexpr int kLatenciesMs[] = {0, 1, 16};

// Seconds per download, averaged over kRounds; negative when a download failed.
double run(int latency_ms, const std::filesystem::path &dir) {
    handsim::EmulatorOptions o;
    o.link_path = (dir / "tty").string();
    o.store_dir = (dir / ("store" + std::to_string(latency_ms))).string();
    o.baud = kBaud;
    o.adapter_latency = std::chrono::milliseconds(latency_ms);
    handsim::Emulator emulator(o);
    handsim::HandlinkSession session;
    if (!open_on(emulator, session, o.link_path)) {
        return -1;
    }
    const auto picture = handsim::sample_media()[0].bytes;
    double total = 0;
    for (int i = 0; i < kRounds; ++i) {
        const auto t = Clock::now();
        if (!download_picture(session, picture)) {
            std::fprintf(stderr, "bench: download failed at %d ms\n", latency_ms);
            return -1;
        }
        total += seconds_since(t);
    }
    session.close();
    return total / kRounds;
}

}  // namespace

int main() {
    const std::filesystem::path dir = bench_folder("adapter-latency-bench");
    double elapsed[std::size(kLatenciesMs)] = {};
    bool ok = true;
    for (size_t i = 0; i < std::size(kLatenciesMs) && ok; ++i) {
        elapsed[i] = run(kLatenciesMs[i], dir);
        ok = elapsed[i] > 0;
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    if (!ok) {
        return 1;
    }
    const double wire = picture_wire_seconds(kBaud);
    std::printf("picture download, 63 packets at %u baud; the bytes alone need %.3f s\n", kBaud,
                wire);
    for (size_t i = 0; i < std::size(kLatenciesMs); ++i) {
        std::printf(
            "  adapter latency %2d ms: %.3f s, elapsed / wire = %.2f, / no adapter = %.2f\n",
            kLatenciesMs[i], elapsed[i], elapsed[i] / wire, elapsed[i] / elapsed[0]);
    }
    return 0;
}
