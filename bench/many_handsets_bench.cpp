// zemlo-cli downloads one picture to 8 emulated handsets at once (one worker process each) and to
// one handset alone, every line paced at 115200 baud. Prints both times and their ratio: on a
// paced line the workers mostly wait for the wire, so the ratio stays near 1.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "child_process.h"
#include "file_bytes.h"
#include "sample_bitmap.h"

namespace {

namespace fs = std::filesystem;
using namespace zemlo::testing;
constexpr uint32_t kBaud = 115200;
constexpr int kHandsets = 8;

// Runs zemlo-cli download on the given links; seconds, negative when it failed.
double download(const fs::path &dir, const std::vector<std::string> &links) {
    ChildPlan plan;
    plan.argv = {(fs::read_symlink("/proc/self/exe").parent_path() / "zemlo-cli").string()};
    for (const auto &l : links) {
        plan.argv.insert(plan.argv.end(), {"--device", l});
    }
    plan.argv.insert(plan.argv.end(), {"download", (dir / "bench.bmp").string()});
    plan.env = {"XDG_CONFIG_HOME=" + (dir / "config").string(),
                "ZEMLO_WORK_DIR=" + (dir / "work").string(), "QT_QPA_PLATFORM=offscreen"};
    plan.out = dir / "out.txt";
    const ChildRun r = run_child(std::move(plan));
    if (r.status != 0) {
        std::fprintf(stderr, "bench: download failed:\n%s\n", r.out.c_str());
        return -1;
    }
    return r.seconds;
}

}  // namespace

int main() {
    const fs::path dir = zemlo::bench::bench_folder("many-handsets-bench");
    write_file(dir / "bench.bmp", ramp_bitmap(128, 120));
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
    std::error_code ec;
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
