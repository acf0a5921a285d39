// Holding the signals that end the program (SIGINT, SIGTERM, SIGHUP) while a file or folder the
// program must clean up is made and listed for the signal handler, or removed: between the two a
// signal would leave it behind. The signals are held on the thread doing it; a signal for the
// process may still come in on another thread, so the handler first waits until no thread is
// inside such a section.
#pragma once

#include <signal.h>

namespace zemlo::detail {

class SignalsHeld {
  public:
    SignalsHeld();
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld &) = delete;
    SignalsHeld &operator=(const SignalsHeld &) = delete;

  private:
    sigset_t before_{};
};

// For the signal handler that ends the program: from now on no thread begins a held section (one
// that tries waits for the end of the process instead), and this waits (briefly, as a section
// takes microseconds; at most 2 s) until no thread is inside one. Async-signal-safe.
void wait_for_held_sections() noexcept;

}  // namespace zemlo::detail
