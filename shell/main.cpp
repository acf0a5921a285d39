// The desktop program. Options: --port-device DEVICE maps the stored COM port to DEVICE for this
// run only, without touching the user's settings (the demo points it at the emulator's link).
// An optional FILE (a picture or MIDI file) starts with that file chosen; when a window is
// already running, the file is handed to it and this start ends.
#include "window_program.h"

int main(int argc, char **argv) {
    return zemlo::shell::run_window_program(argc, argv);
}
