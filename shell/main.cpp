// The desktop program. Options: --port-device DEVICE maps the stored COM port to DEVICE for this
// run only, without touching the user's settings (the demo points it at the emulator's link).
// An optional FILE (a picture or MIDI file) starts with that file chosen; when a window is
// already running, the file is handed to it and this start ends.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "background_scan.h"
#include "window_program.h"

int main(int argc, char **argv) {
    bool keep_stdout = false;
    for (int i = 1; i < argc; ++i) {
        // The version needs no window, so it is answered before the toolkit wants a display.
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("zemlo " ZEMLO_VERSION "\n", stdout);
            return 0;
        }
        keep_stdout = keep_stdout || std::strcmp(argv[i], "--verbose") == 0 ||
                      std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0 ||
                      std::strcmp(argv[i], "--help-all") == 0;
    }
    if (!keep_stdout) {
        // The window shows its results itself; all that reaches standard output is the picture
        // converter's "writing …" line on every preview, which is kept off the terminal.
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, STDOUT_FILENO);
            ::close(null);
        }
    }
    const int status = zemlo::shell::run_window_program(argc, argv);
    // A folder read stuck on a dead mount neither holds the end nor meets the toolkit's globals
    // gone: the window, its settings and its files are already closed, so the process ends here.
    if (!zemlo::shell::BackgroundScan::wait_for_reads(std::chrono::milliseconds(500))) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
