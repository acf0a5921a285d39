// The main program's picture download (the standard 30748-byte picture) against the handset
// emulator on a line paced at 115200 baud, measured from the announce to the acknowledgement of
// the end packet, and set against the time the bytes of both sides alone need on that line.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "../tests/app/recording_ui.h"
#include "event_loop_thread.h"
#include "handsim/emulator.h"
#include "main_core.h"
#include "zemlo/handset_records.h"
#include "zemlo/work_dir.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using zemlo::app::BoxAnswer;
using zemlo::app::MessageBoxDetails;

constexpr uint32_t kBaud = 115200;
constexpr size_t kPictureBytes = 30748;
constexpr int kRounds = 3;

// The bytes on the line: a PC message of n bytes goes out in frames of 251, then 253 message
// bytes (4 and 2 header bytes, 4 frame bytes each); a handset message in frames of 253 (2 header
// bytes); each frame is answered by one ACK byte.
size_t pc_message_wire(size_t n) {
    size_t bytes = 0;
    for (size_t left = n, first = 1; left > 0; first = 0) {
        const size_t chunk = std::min(left, first != 0 ? size_t{251} : size_t{253});
        bytes += chunk + (first != 0 ? 4 : 2) + 4 + 1;
        left -= chunk;
    }
    return bytes;
}

size_t handset_message_wire(size_t n) {
    return n + 2 + 4 + 1;
}

class TimedUi : public zemlo::app::testing::RecordingUi {
  public:
    void wait_report(const std::string &text, int32_t level, uint16_t range) override {
        if (text == "初始化下载...") {
            start = Clock::now();
        }
        RecordingUi::wait_report(text, level, range);
    }
    BoxAnswer message_box(const MessageBoxDetails &box) override {
        if (box.text == "要在手机上预览吗?") {
            end = Clock::now();
        }
        return RecordingUi::message_box(box);
    }
    Clock::time_point start, end;
};

}  // namespace

int main() {
    const auto base = zemlo::ensure_work_dir();
    const fs::path dir = fs::path(base ? *base : "/tmp") / "core-download-bench";
    fs::create_directories(dir / "pc");
    ::setenv("ZEMLO_WORK_DIR", (dir / "work").c_str(), 1);
    std::ofstream(dir / "pc" / "photo.bmp") << "x";

    handsim::EmulatorOptions o;
    o.link_path = (dir / "tty").string();
    o.store_dir = (dir / "store").string();
    o.baud = kBaud;
    handsim::Emulator emulator(o);
    std::string error;
    if (!emulator.start(&error)) {
        std::fprintf(stderr, "bench: %s\n", error.c_str());
        return 1;
    }
    zemlo::app::ProgramValues values;
    TimedUi ui;
    zemlo::app::EventLoopThread loop;
    zemlo::app::MemoryProfile profile(3);
    profile.set_port_device(3, o.link_path);
    zemlo::app::MainCore core(values, ui, ui, loop, profile, &ui);
    ui.attach(&core);
    const std::string module_dir = fs::read_symlink("/proc/self/exe").parent_path().string();
    loop.invoke([&] { core.initialise(module_dir); });
    loop.invoke([&] { core.connect_command(); });
    core.wait_until_idle();
    if (!ui.wait_for("status 连接手机成功")) {
        std::fputs("bench: no connection to the emulator\n", stderr);
        return 1;
    }
    std::vector<uint8_t> picture(kPictureBytes);
    for (size_t i = 0; i < picture.size(); ++i) {
        picture[i] = static_cast<uint8_t>(i * 13 + 1);
    }
    ui.set_converted(picture);
    loop.invoke([&] {
        core.pc_folder_selected((dir / "pc").string());
        core.pc_file_chosen("photo.bmp");
        core.download_name_changed("bench");
    });
    double total = 0;
    for (int i = 0; i < kRounds; ++i) {
        ui.answer({BoxAnswer::Ok, BoxAnswer::Cancel, BoxAnswer::Cancel});
        loop.invoke([&] { core.download_command(); });
        core.wait_until_idle();
        total += std::chrono::duration<double>(ui.end - ui.start).count();
    }
    loop.invoke([&] { core.teardown(); });
    emulator.stop();
    std::error_code ec;
    fs::remove_all(dir, ec);

    namespace rec = zemlo::records;
    const size_t packets = rec::block_count(kPictureBytes) + 2u;
    const size_t wire = pc_message_wire(rec::kRemoteCommandBodyBytes + 8) +
                        handset_message_wire(16 + rec::kRemoteReplyBytes) +
                        packets * (pc_message_wire(rec::kPacketBytes + 8) +
                                   handset_message_wire(16 + rec::kAckBytes));
    const double line = static_cast<double>(wire) * 10.0 / kBaud;
    const double elapsed = total / kRounds;
    std::printf("core download of %zu bytes (announce to end packet acknowledged), %u baud:\n",
                kPictureBytes, kBaud);
    std::printf("  %.3f s elapsed, %zu bytes on the line need %.3f s: elapsed / wire = %.2f\n",
                elapsed, wire, line, elapsed / line);
    return 0;
}
