// zemlo-cli downloads one picture to 8 emulated handsets at once (one worker process each) and to
// one handset alone, every line paced at 115200 baud. Prints both times and their ratio: on a
// paced line the workers mostly wait for the wire, so the ratio stays near 1.
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "handsim/emulator.h"
#include "zemlo/work_dir.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr uint32_t kBaud = 115200;
constexpr int kHandsets = 8;

void put(std::vector<uint8_t> &v, uint32_t x, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        v.push_back(static_cast<uint8_t>(x >> (8 * i)));
    }
}

// A 24-bit bitmap with a colour ramp.
void write_bitmap(const fs::path &p, uint32_t w, uint32_t h) {
    const uint32_t row = (w * 3 + 3) / 4 * 4;
    std::vector<uint8_t> v{'B', 'M'};
    put(v, 54 + row * h, 4);
    put(v, 0, 4);
    put(v, 54, 4);
    put(v, 40, 4);
    put(v, w, 4);
    put(v, h, 4);
    put(v, 1, 2);
    put(v, 24, 2);
    for (int i = 0; i < 6; ++i) {
        put(v, 0, 4);
    }
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < row; ++x) {
            v.push_back(static_cast<uint8_t>((x * 7 + y * 3) & 0xFF));
        }
    }
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char *>(v.data()), static_cast<std::streamsize>(v.size()));
}

// Runs zemlo-cli download on the given links; seconds, negative when it failed.
double download(const fs::path &dir, const std::vector<std::string> &links) {
    const fs::path cli = fs::read_symlink("/proc/self/exe").parent_path() / "zemlo-cli";
    std::string cmd = "env XDG_CONFIG_HOME=" + (dir / "config").string() +
                      " ZEMLO_WORK_DIR=" + (dir / "work").string() + " QT_QPA_PLATFORM=offscreen " +
                      cli.string();
    for (const auto &l : links) {
        cmd += " --device " + l;
    }
    cmd += " download " + (dir / "bench.bmp").string() + " >" + (dir / "out.txt").string() +
           " 2>&1 </dev/null";
    const auto t = Clock::now();
    const int raw = std::system(cmd.c_str());
    const double s = std::chrono::duration<double>(Clock::now() - t).count();
    if (!WIFEXITED(raw) || WEXITSTATUS(raw) != 0) {
        std::ifstream f(dir / "out.txt");
        std::fprintf(stderr, "bench: download failed:\n%s\n",
                     std::string(std::istreambuf_iterator<char>(f), {}).c_str());
        return -1;
    }
    return s;
}

}  // namespace

int main() {
    const auto base = zemlo::ensure_work_dir();
    const fs::path dir = fs::path(base ? *base : "/tmp") / "many-handsets-bench";
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    write_bitmap(dir / "bench.bmp", 128, 120);
    std::vector<std::unique_ptr<handsim::Emulator>> handsets;
    std::vector<std::string> links;
    for (int i = 1; i <= kHandsets; ++i) {
        handsim::EmulatorOptions o;
        o.link_path = (dir / ("tty" + std::to_string(i))).string();
        o.store_dir = (dir / ("store" + std::to_string(i))).string();
        o.baud = kBaud;
        handsets.push_back(std::make_unique<handsim::Emulator>(o));
        std::string error;
        if (!handsets.back()->start(&error)) {
            std::fprintf(stderr, "bench: %s\n", error.c_str());
            return 1;
        }
        links.push_back(o.link_path);
    }
    const double one = download(dir, {links[0]});
    const double all = one > 0 ? download(dir, links) : -1;
    std::string table;  // the runner's summary: each handset's own time
    {
        std::ifstream f(dir / "out.txt");
        for (std::string line; std::getline(f, line);) {
            if (line.rfind("handset", 0) == 0 || line.find("  ok  ") != std::string::npos ||
                line.find("FAILED") != std::string::npos) {
                table += "    " + line + "\n";
            }
        }
    }
    for (auto &h : handsets) {
        h->stop();
    }
    fs::remove_all(dir, ec);
    if (one <= 0 || all <= 0) {
        return 1;
    }
    std::printf("picture download at %u baud with zemlo-cli (connect, transfer, disconnect)\n",
                kBaud);
    std::printf("  1 handset: %.3f s; %d handsets at once: %.3f s; all / one = %.2f (%ld cores)\n",
                one, kHandsets, all, all / one, ::sysconf(_SC_NPROCESSORS_ONLN));
    std::fputs(table.c_str(), stdout);
    return 0;
}
