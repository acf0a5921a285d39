#include "bench_support.h"

#include <cstdio>

#include "zemlo/handset_records.h"
#include "zemlo/work_dir.h"

namespace zemlo::bench {

namespace rec = zemlo::records;

double seconds_since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

std::filesystem::path bench_folder(const std::string &name) {
    const auto base = zemlo::ensure_work_dir();
    const std::filesystem::path dir = std::filesystem::path(base ? *base : "/tmp") / name;
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    std::filesystem::create_directories(dir);
    return dir;
}

double picture_wire_seconds(uint32_t baud) {
    // On the wire per packet: the PC's 528-byte message in 3 frames (263 + 259 + 20 bytes) and
    // the handset's 24-byte acknowledgement in one frame (30 bytes), plus four ACK bytes.
    constexpr double kWirePerPacket = 263 + 259 + 20 + 30 + 4;
    return (rec::block_count(30748) + 2) * kWirePerPacket * 10.0 / baud;
}

bool open_on(handsim::Emulator &emulator, handsim::HandlinkSession &session,
             const std::string &link) {
    std::string error;
    if (!emulator.start(&error) || !session.load("libhandlink.so", &error) ||
        !session.open(link, &error)) {
        std::fprintf(stderr, "bench: %s\n", error.c_str());
        return false;
    }
    return true;
}

bool download_picture(handsim::HandlinkSession &session, const std::vector<uint8_t> &picture) {
    rec::RemoteCommand announce;
    announce.group = rec::kGroupFile;
    announce.code = rec::kCodeAnnounce;
    announce.first_path = "a:\\pcdlw\\pic\\bench.bmp";
    return session.remote(announce).reply.result == rec::kResultDownloadAccepted &&
           session.send_file(picture, false, false).delivered;
}

}  // namespace zemlo::bench
