// A picture download (30748 bytes, 61 data packets) and a listing through libhandlink.so against
// the handset emulator, unpaced and on a line paced at 115200 baud. Prints the times and their
// ratio to what the bytes alone need on the line.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "handlink_session.h"
#include "handsim/emulator.h"
#include "sample_media.h"
#include "zemlo/work_dir.h"

namespace {

namespace rec = zemlo::records;
using Clock = std::chrono::steady_clock;
constexpr uint32_t kBaud = 115200;
constexpr int kRounds = 3;

double seconds_since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

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
    std::string error;
    if (!emulator.start(&error) || !session.load("libhandlink.so", &error) ||
        !session.open(o.link_path, &error)) {
        std::fprintf(stderr, "bench: %s\n", error.c_str());
        return false;
    }
    const auto picture = handsim::sample_media()[0].bytes;
    rec::RemoteCommand announce;
    announce.group = rec::kGroupFile;
    announce.code = rec::kCodeAnnounce;
    announce.first_path = "a:\\pcdlw\\pic\\bench.bmp";
    for (int i = 0; i < kRounds; ++i) {
        auto t = Clock::now();
        if (session.remote(announce).reply.result != rec::kResultDownloadAccepted ||
            !session.send_file(picture, false, false).delivered) {
            std::fputs("bench: download failed\n", stderr);
            return false;
        }
        f.download += seconds_since(t) / kRounds;
        t = Clock::now();
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
    const auto base = zemlo::ensure_work_dir();
    const std::filesystem::path dir =
        std::filesystem::path(base ? *base : "/tmp") / "handsim-bench";
    std::filesystem::create_directories(dir);
    Figures fast;
    Figures paced;
    const bool ok = run(0, dir, fast) && run(kBaud, dir, paced);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    if (!ok) {
        return 1;
    }
    // On the wire per packet: the PC's 528-byte message in 3 frames (263 + 259 + 20 bytes) and
    // the handset's 24-byte acknowledgement in one frame (30 bytes), plus four ACK bytes.
    constexpr double kWirePerPacket = 263 + 259 + 20 + 30 + 4;
    const double line = (rec::block_count(30748) + 2) * kWirePerPacket * 10.0 / kBaud;
    std::printf("picture download, 63 packets: %.3f s unpaced, %.3f s at %u baud\n", fast.download,
                paced.download, kBaud);
    std::printf(
        "  bytes alone need %.3f s at %u baud: paced / line = %.2f, paced / unpaced = %.2f\n", line,
        kBaud, paced.download / line, paced.download / fast.download);
    std::printf("listing, 4 packets: %.3f s unpaced, %.3f s paced\n", fast.listing,
                paced.listing);
    return 0;
}
