// Start of the desktop program: from the process being started to the end of the main window's
// first paint pass, offscreen (or, with --xcb, on the display it runs under), set against two
// plain Qt windows (zemlo-bench-bare-window, linked with Qt Widgets alone) started the same way in
// the same run: one that draws nothing and one that draws a line of text in the window's font,
// which shows what of the difference any window with text pays the system's fonts. Each start is
// a fresh process (this program run again as a child, which then starts exactly as the program
// does: languages, the command line, the single-window socket, the window), so library loading
// and font set-up count. The children report where their time went and the resident memory at
// the first paint. Home holds 60 folders and 300 pictures.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "first_paint.h"
#include "window_program.h"

extern char **environ;

namespace {

namespace fs = std::filesystem;
using zemlo::bench::now_ms;
// Rounds of one start of each, alternating; --rounds N for more on a busy machine.
constexpr int kDefaultRounds = 15;

// One start of the program, exactly as its main() makes it (without arguments), watched.
int window_child(char *program) {
    zemlo::bench::Marks marks;
    marks.mark("main");
    std::unique_ptr<zemlo::bench::FirstPaint> paint;
    zemlo::shell::StartWatch watch;
    watch.step = [&marks](const char *step) { marks.mark(step); };
    watch.showing = [&](QWidget &window) {
        paint = std::make_unique<zemlo::bench::FirstPaint>(&window, marks);
    };
    char *args[] = {program, nullptr};
    int count = 1;
    return zemlo::shell::run_window_program(count, args, watch);
}

// --- the parent: alternate starts, take medians ----------------------------------------------

struct Start {
    double ms = 0;
    std::string report;
};

Start start_child(const std::string &program, const char *mode) {
    if (const char *runtime = std::getenv("XDG_RUNTIME_DIR")) {
        std::error_code ec;
        fs::remove(fs::path(runtime) / "zemlo.sock", ec);
    }
    int out[2];
    if (::pipe(out) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const double origin = now_ms();
    const std::string origin_text = std::to_string(origin);
    ::setenv("BENCH_ORIGIN_MS", origin_text.c_str(), 1);
    char child_flag[] = "--child";
    std::string mode_text = mode;
    std::string program_text = program;
    char *args[] = {program_text.data(), child_flag, mode_text.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, args, environ) != 0) {
        std::perror("spawn");
        std::exit(1);
    }
    ::close(out[1]);
    std::string report;
    char buf[512];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;) {
        report.append(buf, static_cast<size_t>(n));
        if (report.find('\n') != std::string::npos) {
            break;
        }
    }
    const double ms = now_ms() - origin;
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    if (report.find("painted") == std::string::npos) {
        std::fprintf(stderr, "the %s start did not paint (status %d)\n", mode, status);
        std::exit(1);
    }
    while (!report.empty() && report.back() == '\n') {
        report.pop_back();
    }
    return {ms, report};
}

Start median(std::vector<Start> starts) {
    std::sort(starts.begin(), starts.end(),
              [](const Start &a, const Start &b) { return a.ms < b.ms; });
    return starts[starts.size() / 2];
}

}  // namespace

int main(int argc, char **argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0) {
        return window_child(argv[0]);
    }
    // The starts see a home, settings and work folder of their own, and no display.
    char tmpl[] = "/tmp/zemlo-start-bench-XXXXXX";
    const fs::path dir = ::mkdtemp(tmpl);
    fs::create_directories(dir / "home");
    // A home as people have one: folders with folders in them, and a few hundred pictures.
    for (int i = 0; i < 60; ++i) {
        fs::create_directories(dir / "home" / ("folder" + std::to_string(i)) / "inner");
    }
    for (int i = 0; i < 300; ++i) {
        std::ofstream(dir / "home" / ("picture" + std::to_string(i) + ".jpg")) << "x";
    }
    ::setenv("HOME", (dir / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    ::setenv("ZEMLO_WORK_DIR", (dir / "work").c_str(), 1);
    // --xcb: both windows on the display the bench runs under (xvfb-run -a bench_window_start
    // --xcb), the same one for both; otherwise offscreen.
    bool on_display = false;
    int rounds = kDefaultRounds;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--xcb") == 0) {
            on_display = true;
        } else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::clamp(std::atoi(argv[++i]), 1, 1000);
        } else {
            std::fputs("usage: bench_window_start [--xcb] [--rounds N]\n", stderr);
            return 2;
        }
    }
    if (on_display && std::getenv("DISPLAY") == nullptr) {
        std::fputs("bench_window_start --xcb needs a display (run it under xvfb-run -a)\n", stderr);
        return 2;
    }
    // Offscreen, a screen of the display run's size (1280 x 1024) rather than the platform's
    // 800 x 600: on a screen that small the window tries a smaller font before it fits, which
    // is the small screens' case, not the common one.
    const fs::path screen = dir / "screen.json";
    std::ofstream(screen)
        << R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1280, )"
        << R"("height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    const std::string offscreen = "offscreen:configfile=" + screen.string();
    ::setenv("QT_QPA_PLATFORM", on_display ? "xcb" : offscreen.c_str(), on_display ? 1 : 0);
    // A runtime folder of their own: no window of the user's is asked to take a start, and the
    // socket each start leaves (it ends without closing) is removed before the next one.
    const fs::path runtime = dir / "runtime";
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);

    const fs::path self = fs::read_symlink("/proc/self/exe");
    const std::string bare_program = (self.parent_path() / "zemlo-bench-bare-window").string();
    // The first starts fill the file cache.
    start_child(self.string(), "window");
    start_child(bare_program, "bare");
    start_child(bare_program, "text");
    std::vector<Start> bare, text, window;
    std::vector<double> ratios, text_ratios;
    for (int i = 0; i < rounds; ++i) {
        bare.push_back(start_child(bare_program, "bare"));
        text.push_back(start_child(bare_program, "text"));
        window.push_back(start_child(self.string(), "window"));
        ratios.push_back(window.back().ms / bare.back().ms);
        text_ratios.push_back(window.back().ms / text.back().ms);
    }
    const Start b = median(bare);
    const Start t = median(text);
    const Start w = median(window);
    std::sort(ratios.begin(), ratios.end());
    std::sort(text_ratios.begin(), text_ratios.end());
    std::printf("on %s\n", on_display ? "the display (xcb)" : "the offscreen platform");
    std::printf("bare Qt window   : %6.1f ms to first paint (median of %d)\n  %s\n", b.ms, rounds,
                b.report.c_str());
    std::printf("same with a text : %6.1f ms to first paint (median of %d)\n  %s\n", t.ms, rounds,
                t.report.c_str());
    std::printf("main window      : %6.1f ms to first paint (median of %d)\n  %s\n", w.ms, rounds,
                w.report.c_str());
    // The ratio of the medians, and the median of each round's ratio (the starts of a round see
    // nearly the same load, so this one moves less with it).
    std::printf("ratio main/bare  : %.2f (median of the rounds' ratios %.2f)\n", w.ms / b.ms,
                ratios[ratios.size() / 2]);
    std::printf("ratio main/text  : %.2f (median of the rounds' ratios %.2f)\n", w.ms / t.ms,
                text_ratios[text_ratios.size() / 2]);
    std::printf("ratio text/bare  : %.2f\n", t.ms / b.ms);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
