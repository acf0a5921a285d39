// How long a picture takes from the file the user picked to the handset picture file: decode,
// draw into the area, capture "tmp.bmp", ConvertBmp through libpicmill.so and read "tmp.el"
// back. A small bitmap shows the fixed cost; a 12-megapixel JPEG the cost of decoding, which
// must stay under 150 ms.
#include <fcntl.h>
#include <unistd.h>

#include <QImage>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "picture_conversion.h"
#include "picture_runtime.h"
#include "picture_selection.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace zemlo::media;

constexpr int kRounds = 15;
constexpr double kJpegTargetMs = 150.0;
constexpr int kJpegWidth = 4000;
constexpr int kJpegHeight = 3000;
constexpr int kJpegQuality = 90;

// A picture with detail everywhere, so the JPEG is as costly to decode as a photograph.
QImage photo_like(int w, int h) {
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

double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
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

Timing measure(const PictureFolders &folders, const std::string &input, const std::string &out,
               bool *ok) {
    std::vector<double> total, cpu, decode, draw, convert;
    *ok = true;
    for (int i = 0; i < kRounds; ++i) {
        const double cpu_start = cpu_ms();
        const auto start = Clock::now();
        PictureSelection selection(folders);
        *ok = *ok && selection.show_picture(input);
        const auto decoded = Clock::now();
        selection.draw();
        const auto drawn = Clock::now();
        *ok = *ok && selection.convert_selection(out).ok;
        total.push_back(ms_since(start));
        cpu.push_back(cpu_ms() - cpu_start);
        decode.push_back(std::chrono::duration<double, std::milli>(decoded - start).count());
        draw.push_back(std::chrono::duration<double, std::milli>(drawn - decoded).count());
        convert.push_back(ms_since(drawn));
    }
    return {median(total), median(cpu), median(decode), median(draw), median(convert)};
}

void report(const char *what, const Timing &t, bool ok) {
    std::printf(
        "  %-24s %7.1f ms, cpu %.1f ms  (decode %.1f, draw+capture %.1f, convert+read %.1f)%s\n",
        what, t.total, t.cpu, t.decode, t.draw_capture, t.convert_read, ok ? "" : "  FAILED");
}

}  // namespace

int main() {
    ensure_picture_runtime();
    const fs::path dir =
        fs::temp_directory_path() / ("zemlo_picture_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const PictureFolders folders{program_dir(), dir.string()};

    const std::string small = (dir / "small.bmp").string();
    const std::string jpeg = (dir / "photo.jpg").string();
    photo_like(64, 64).save(QString::fromStdString(small), "BMP");
    photo_like(kJpegWidth, kJpegHeight).save(QString::fromStdString(jpeg), "JPG", kJpegQuality);
    const auto jpeg_bytes = fs::file_size(jpeg);
    const std::string out = (dir / "out.dwn").string();

    // The converter library prints a line per conversion; keep the report readable.
    std::fflush(stdout);
    const int saved_stdout = ::dup(STDOUT_FILENO);
    const int null_fd = ::open("/dev/null", O_WRONLY);
    ::dup2(null_fd, STDOUT_FILENO);
    bool small_ok = false;
    bool jpeg_ok = false;
    const Timing small_t = measure(folders, small, out, &small_ok);
    const Timing jpeg_t = measure(folders, jpeg, out, &jpeg_ok);
    std::fflush(stdout);
    ::dup2(saved_stdout, STDOUT_FILENO);
    ::close(null_fd);
    ::close(saved_stdout);
    fs::remove_all(dir);

    std::printf("picture conversion, median of %d rounds\n", kRounds);
    report("64x64 bitmap", small_t, small_ok);
    report("4000x3000 JPEG (12 MP)", jpeg_t, jpeg_ok);
    std::printf("  (the JPEG file is %.1f MB)\n", static_cast<double>(jpeg_bytes) / (1 << 20));
    std::printf("  JPEG / bitmap: %.1fx; JPEG / %.0f ms target: %.2f (%s)\n",
                jpeg_t.total / small_t.total, kJpegTargetMs, jpeg_t.total / kJpegTargetMs,
                jpeg_t.total < kJpegTargetMs ? "met" : "MISSED");
    return small_ok && jpeg_ok ? 0 : 1;
}
