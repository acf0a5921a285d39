// A picture download (30748 bytes, 61 data packets) and a listing through libhandlink.so against
// the handset emulator, unpaced and on a line paced at 115200 baud. Prints the times and their
// ratio to what the bytes alone need on the line.
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "sample_media.h"

namespace {

using namespace zemlo::bench;
constexpr uint32_t kBaud = 115200;
constexpr int kRounds = 3;

struct Figures {
    double download = 0;
    double listing = 0;
};

bool run(uint32_t baud, const std::filesystem::path &dir, Figures &f) {
    handsim::EmulatorOptions o;
    o.link_path = (dir / "tty").string();
    o.store_dir = (dir / ("store" + std::to_string(baud))).string();
    o.seed = true;
    o.baud = baud;
    handsim::Emulator emulator(o);
    handsim::HandlinkSession session;
    if (!open_on(emulator, session, o.link_path)) {
        return false;
    }
    const auto picture = handsim::sample_media()[0].bytes;
    for (int i = 0; i < kRounds; ++i) {
        auto t = Clock::now();
        if (!download_picture(session, picture)) {
            std::fputs("bench: download failed\n", stderr);
            return false;
        }
        f.download += seconds_since(t) / kRounds;
        t = Clock::now();
        std::string error;
        if (!session.list(std::chrono::milliseconds(3000), &error)) {
            std::fprintf(stderr, "bench: %s\n", error.c_str());
            return false;
        }
        f.listing += seconds_since(t) / kRounds;
    }
    session.close();
    return true;
}

}  // namespace

int main() {
    const std::filesystem::path dir = bench_folder("handsim-bench");
    Figures fast;
    Figures paced;
    const bool ok = run(0, dir, fast) && run(kBaud, dir, paced);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    if (!ok) {
        return 1;
    }
    const double line = picture_wire_seconds(kBaud);
    std::printf("picture download, 63 packets: %.3f s unpaced, %.3f s at %u baud\n", fast.download,
                paced.download, kBaud);
    std::printf(
        "  bytes alone need %.3f s at %u baud: paced / line = %.2f, paced / unpaced = %.2f\n", line,
        kBaud, paced.download / line, paced.download / fast.download);
    std::printf("listing, 4 packets: %.3f s unpaced, %.3f s paced\n", fast.listing, paced.listing);
    return 0;
}
