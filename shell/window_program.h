// The desktop program's start, from the first line of main() to the window's event loop: the
// command line, the hand-over to a window already running, and the main window. The program's
// main() is this function alone; the start benchmark runs the same start and watches it.
#pragma once

#include <functional>

class QWidget;

namespace zemlo::shell {

// What a caller may watch of the start (both optional).
struct StartWatch {
    // Each step done: "app" (the toolkit started), "built" (the main window made and set up).
    std::function<void(const char *step)> step;
    // The main window, just before it shows.
    std::function<void(QWidget &window)> showing;
};

// Returns the program's exit status.
int run_window_program(int argc, char **argv, const StartWatch &watch = {});

}  // namespace zemlo::shell
