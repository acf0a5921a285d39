#include "signals_held.h"

#include <pthread.h>

#include <atomic>
#include <ctime>

namespace zemlo::detail {

namespace {

// How many threads are inside a held section now.
std::atomic<int> g_sections{0};
// Set by the signal handler once it has begun ending the program: a section begun after its wait
// would be cut off half done by the ending, so none begins any more.
std::atomic<bool> g_ending{false};

constexpr int kWaitSteps = 400;
constexpr long kWaitStepNs = 5'000'000;

}  // namespace

SignalsHeld::SignalsHeld() {
    g_sections.fetch_add(1);
    sigset_t fatal;
    ::sigemptyset(&fatal);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaddset(&fatal, sig);
    }
    ::pthread_sigmask(SIG_BLOCK, &fatal, &before_);
    // Both sides use sequentially consistent operations: either the handler sees this section and
    // waits for it, or this thread sees the ending and stays out of the section; the handler then
    // cleans up what the section would have touched and ends the process, this thread with it.
    if (g_ending.load()) {
        g_sections.fetch_sub(1);
        for (;;) {
            ::pause();
        }
    }
}

SignalsHeld::~SignalsHeld() {
    g_sections.fetch_sub(1);
    ::pthread_sigmask(SIG_SETMASK, &before_, nullptr);
}

void wait_for_held_sections() noexcept {
    g_ending.store(true);
    for (int i = 0; i < kWaitSteps && g_sections.load() > 0; ++i) {
        const timespec pause{0, kWaitStepNs};
        ::nanosleep(&pause, nullptr);
    }
}

}  // namespace zemlo::detail
