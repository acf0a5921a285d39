// How long a picture takes from the file the user picked to the handset picture file: decode,
// draw into the area, capture "tmp.bmp", ConvertBmp through libpicmill.so and read "tmp.el"
// back. A small bitmap shows the fixed cost; camera photos of 12 and 48 megapixels the cost of
// decoding, which the reduced decode keeps near what the JPEG library itself needs to decode the
// same file at an eighth of its size (djpeg -scale 1/8, timed in the same run). A high-detail
// pattern, far costlier to decode than any photo, shows the worst case.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "picture_conversion.h"
#include "picture_runtime.h"
#include "picture_selection.h"
#include "synthetic_pictures.h"

extern char **environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace zemlo::media;

constexpr int kRounds = 15;
constexpr int kJpegQuality = 90;
constexpr double kTarget12Ms = 20.0;
constexpr double kTarget48Ms = 60.0;
constexpr double kTargetDjpegRatio = 1.3;
constexpr const char *kDjpeg = "/usr/bin/djpeg";

// Detail everywhere at the finest scale, so the JPEG is as costly to decode as a file can be.
QImage high_detail(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            line[x] = qRgb((x * 7 + y) & 0xFF, (y * 5 ^ x) & 0xFF, (x * y) & 0xFF);
        }
    }
    return image;
}

struct Timing {
    double total = 0;
    double cpu = 0;  // process CPU time: what the conversion costs when the machine is busy
    double decode = 0;
    double draw_capture = 0;
    double convert_read = 0;
};

double ms_between(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double cpu_ms() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    constexpr double kMsPerSecond = 1000.0;
    constexpr double kNsPerMs = 1e6;
    return static_cast<double>(t.tv_sec) * kMsPerSecond + static_cast<double>(t.tv_nsec) / kNsPerMs;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Each round writes a new output file: replacing one makes the conversion wait for the disk
// (the new bytes are synced before they take the old name), which is not the conversion's cost.
Timing measure(const PictureFolders &folders, const std::string &input, const std::string &out,
               bool *ok) {
    std::vector<double> total, cpu, decode, draw, convert;
    *ok = true;
    for (int i = 0; i < kRounds; ++i) {
        fs::remove(out);
        const double cpu_start = cpu_ms();
        const auto start = Clock::now();
        PictureSelection selection(folders);
        *ok = *ok && selection.show_picture(input);
        const auto decoded = Clock::now();
        selection.draw();
        const auto drawn = Clock::now();
        *ok = *ok && selection.convert_selection(out).ok;
        const auto done = Clock::now();
        total.push_back(ms_between(start, done));
        cpu.push_back(cpu_ms() - cpu_start);
        decode.push_back(ms_between(start, decoded));
        draw.push_back(ms_between(decoded, drawn));
        convert.push_back(ms_between(drawn, done));
    }
    return {median(total), median(cpu), median(decode), median(draw), median(convert)};
}

struct ChildTiming {
    double wall = 0;
    double cpu = 0;  // the child's user and system time
};

// djpeg -scale 1/8 of the file into /dev/null: the JPEG library's own reduced decode, with the
// start of a process (about a millisecond) in its wall time.
std::optional<ChildTiming> measure_djpeg(const std::string &jpeg) {
    if (::access(kDjpeg, X_OK) != 0) {
        return std::nullopt;
    }
    std::vector<double> wall, cpu;
    for (int i = 0; i < kRounds; ++i) {
        std::vector<std::string> words{kDjpeg, "-scale", "1/8", "-outfile", "/dev/null", jpeg};
        std::vector<char *> argv;
        for (auto &w : words) {
            argv.push_back(w.data());
        }
        argv.push_back(nullptr);
        const auto start = Clock::now();
        pid_t pid = 0;
        if (posix_spawn(&pid, kDjpeg, nullptr, nullptr, argv.data(), environ) != 0) {
            return std::nullopt;
        }
        int status = 0;
        rusage usage{};
        if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            return std::nullopt;
        }
        wall.push_back(ms_between(start, Clock::now()));
        const auto ms = [](const timeval &t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
        cpu.push_back(ms(usage.ru_utime) + ms(usage.ru_stime));
    }
    return ChildTiming{median(wall), median(cpu)};
}

void report(const char *what, const Timing &t, bool ok) {
    std::printf(
        "  %-26s %7.1f ms, cpu %.1f ms  (decode %.1f, draw+capture %.1f, convert+read %.1f)%s\n",
        what, t.total, t.cpu, t.decode, t.draw_capture, t.convert_read, ok ? "" : "  FAILED");
}

struct Photo {
    const char *what;
    int width;
    int height;
    double target_ms;
};

}  // namespace

int main() {
    ensure_picture_runtime();
    const fs::path dir =
        fs::temp_directory_path() / ("zemlo_picture_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const PictureFolders folders{program_dir(), dir.string()};
    const std::string out = (dir / "out.dwn").string();

    const std::string small = (dir / "small.bmp").string();
    high_detail(64, 64).save(QString::fromStdString(small), "BMP");
    const std::string pattern = (dir / "pattern.jpg").string();
    high_detail(4000, 3000).save(QString::fromStdString(pattern), "JPG", kJpegQuality);
    const Photo photos[] = {{"12 MP photo (4000x3000)", 4000, 3000, kTarget12Ms},
                            {"48 MP photo (8000x6000)", 8000, 6000, kTarget48Ms}};
    std::vector<std::string> photo_files;
    for (const Photo &p : photos) {
        photo_files.push_back((dir / (std::to_string(p.width) + ".jpg")).string());
        zemlo::testing::synthetic_photo(p.width, p.height, 1)
            .save(QString::fromStdString(photo_files.back()), "JPG", kJpegQuality);
    }

    // The converter library prints a line per conversion; keep the report readable.
    std::fflush(stdout);
    const int saved_stdout = ::dup(STDOUT_FILENO);
    const int null_fd = ::open("/dev/null", O_WRONLY);
    ::dup2(null_fd, STDOUT_FILENO);
    bool all_ok = true;
    bool ok = false;
    const Timing small_t = measure(folders, small, out, &ok);
    const bool small_ok = ok;
    const Timing pattern_t = measure(folders, pattern, out, &ok);
    const bool pattern_ok = ok;
    all_ok = small_ok && pattern_ok;
    std::vector<Timing> photo_t;
    std::vector<bool> photo_ok;
    std::vector<std::optional<ChildTiming>> djpeg_t;
    for (const std::string &file : photo_files) {
        photo_t.push_back(measure(folders, file, out, &ok));
        photo_ok.push_back(ok);
        all_ok = all_ok && ok;
        djpeg_t.push_back(measure_djpeg(file));
    }
    const std::optional<ChildTiming> pattern_djpeg = measure_djpeg(pattern);
    std::fflush(stdout);
    ::dup2(saved_stdout, STDOUT_FILENO);
    ::close(null_fd);
    ::close(saved_stdout);

    std::printf("picture conversion, median of %d rounds (wall time; cpu = all threads)\n",
                kRounds);
    report("64x64 bitmap", small_t, small_ok);
    report("12 MP high-detail pattern", pattern_t, pattern_ok);
    std::printf("  (the pattern's JPEG is %.1f MB", fs::file_size(pattern) / 1048576.0);
    if (pattern_djpeg) {
        std::printf("; djpeg -scale 1/8 %.1f ms, cpu %.1f ms", pattern_djpeg->wall,
                    pattern_djpeg->cpu);
    }
    std::printf(")\n");
    for (size_t i = 0; i < photo_files.size(); ++i) {
        const Photo &p = photos[i];
        const Timing &t = photo_t[i];
        report(p.what, t, photo_ok[i]);
        std::printf("    file %.1f MB; conversion / %.0f ms target: %.2f (%s, by cpu %.2f)\n",
                    fs::file_size(photo_files[i]) / 1048576.0, p.target_ms, t.total / p.target_ms,
                    t.total <= p.target_ms ? "met" : "MISSED", t.cpu / p.target_ms);
        if (djpeg_t[i]) {
            const ChildTiming &d = *djpeg_t[i];
            std::printf(
                "    djpeg -scale 1/8: %.1f ms, cpu %.1f ms; conversion / djpeg: %.2f wall, %.2f "
                "cpu; decode alone / djpeg: %.2f wall (%s %.1f)\n",
                d.wall, d.cpu, t.total / d.wall, t.cpu / d.cpu, t.decode / d.wall,
                t.total <= kTargetDjpegRatio * d.wall ? "within" : "NOT within", kTargetDjpegRatio);
        } else {
            std::printf("    djpeg not found at %s (package libjpeg-turbo-progs): no ratio\n",
                        kDjpeg);
        }
    }
    fs::remove_all(dir);
    return all_ok ? 0 : 1;
}
