#include "signals_held.h"

#include <pthread.h>

#include <atomic>
#include <ctime>

namespace zemlo::detail {

namespace {

// How many threads are inside a held section now.
std::atomic<int> g_sections{0};

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
}

SignalsHeld::~SignalsHeld() {
    g_sections.fetch_sub(1);
    ::pthread_sigmask(SIG_SETMASK, &before_, nullptr);
}

void wait_for_held_sections() noexcept {
    for (int i = 0; i < kWaitSteps && g_sections.load() > 0; ++i) {
        const timespec pause{0, kWaitStepNs};
        ::nanosleep(&pause, nullptr);
    }
}

}  // namespace zemlo::detail
