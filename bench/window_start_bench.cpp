// Start of the desktop program: from the process being started to the main window's first paint,
// offscreen (or, with --xcb, on the display it runs under), set against a bare Qt window
// (zemlo-bench-bare-window, linked with Qt Widgets alone) started the same way in the same run.
// Each start is a fresh process (this program run again as a child), so library loading and font
// set-up count. The children report where their time went and the resident memory at the first
// paint. Home holds 60 folders and 300 pictures.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dialog_units.h"
#include "first_paint.h"
#include "font_warm_up.h"
#include "main_window.h"
#include "profile.h"

extern char **environ;

namespace {

namespace fs = std::filesystem;
using zemlo::bench::now_ms;
constexpr int kRounds = 7;

// One start of the main window as the program makes it.
int window_child(int argc, char **argv) {
    zemlo::bench::Marks marks;
    marks.mark("main");
    const zemlo::shell::FontWarmUp fonts;  // as the program's main() starts it
    QApplication app(argc, argv);
    marks.mark("app");
    QApplication::setFont(zemlo::shell::dialog_font());
    marks.mark("font");
    zemlo::app::SettingsProfile profile;
    zemlo::shell::MainWindow window(profile, QCoreApplication::applicationDirPath().toStdString());
    marks.mark("built");
    window.initialise();
    marks.mark("initialised");
    zemlo::bench::FirstPaint paint(&window, marks);
    window.show();
    marks.mark("shown");
    return QApplication::exec();
}

// --- the parent: alternate starts, take medians ----------------------------------------------

struct Start {
    double ms = 0;
    std::string report;
};

Start start_child(const std::string &program, const char *mode) {
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
        return window_child(argc, argv);
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
    const bool on_display = argc >= 2 && std::strcmp(argv[1], "--xcb") == 0;
    if (on_display && std::getenv("DISPLAY") == nullptr) {
        std::fputs("bench_window_start --xcb needs a display (run it under xvfb-run -a)\n", stderr);
        return 2;
    }
    ::setenv("QT_QPA_PLATFORM", on_display ? "xcb" : "offscreen", on_display ? 1 : 0);
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 0);

    const fs::path self = fs::read_symlink("/proc/self/exe");
    const std::string bare_program = (self.parent_path() / "zemlo-bench-bare-window").string();
    // The first starts fill the file cache.
    start_child(self.string(), "window");
    start_child(bare_program, "bare");
    std::vector<Start> bare, window;
    for (int i = 0; i < kRounds; ++i) {
        bare.push_back(start_child(bare_program, "bare"));
        window.push_back(start_child(self.string(), "window"));
    }
    const Start b = median(bare);
    const Start w = median(window);
    std::printf("on %s\n", on_display ? "the display (xcb)" : "the offscreen platform");
    std::printf("bare Qt window   : %6.1f ms to first paint (median of %d)\n  %s\n", b.ms, kRounds,
                b.report.c_str());
    std::printf("main window      : %6.1f ms to first paint (median of %d)\n  %s\n", w.ms, kRounds,
                w.report.c_str());
    std::printf("ratio main/bare  : %.2f\n", w.ms / b.ms);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
