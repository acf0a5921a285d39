#include "interrupt_watch.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>

namespace zemlo::cli {

namespace {

constexpr char kSignalled = 's';
constexpr char kQuit = 'q';
// Ctrl-C, kill, and the terminal closing: each stops the command the same way, telling the handset.
constexpr int kWatched[] = {SIGINT, SIGTERM, SIGHUP};

// The handler may only write to the pipe; everything else happens on the watching thread.
std::atomic<int> g_write_end{-1};
// What the signals did before the watch: a second signal, and the end of the watch, bring it back
// (it removes the run's folders before ending the program).
// A signal ignored before the watch (nohup) stays ignored: the user asked for the command to
// outlive the terminal.
struct sigaction g_before[std::size(kWatched)]{};

void restore_before(int sig) {
    for (size_t i = 0; i < std::size(kWatched); ++i) {
        if (kWatched[i] == sig) {
            ::sigaction(sig, &g_before[i], nullptr);
        }
    }
}

void on_signal(int) {
    const int saved = errno;
    const int fd = g_write_end.load();
    if (fd >= 0) {
        const char c = kSignalled;
        [[maybe_unused]] const ssize_t n = ::write(fd, &c, 1);
    }
    // A second signal, of whichever kind, ends the program.
    for (const int watched : kWatched) {
        restore_before(watched);
    }
    errno = saved;
}

}  // namespace

InterruptWatch::InterruptWatch(std::function<void()> on_interrupt)
    : on_interrupt_(std::move(on_interrupt)) {
    if (::pipe2(pipe_, O_CLOEXEC) != 0) {
        return;
    }
    g_write_end.store(pipe_[1]);
    struct sigaction sa {};
    sa.sa_handler = &on_signal;
    ::sigemptyset(&sa.sa_mask);
    for (size_t i = 0; i < std::size(kWatched); ++i) {
        ::sigaction(kWatched[i], nullptr, &g_before[i]);
        if (g_before[i].sa_handler != SIG_IGN) {
            ::sigaction(kWatched[i], &sa, nullptr);
        }
    }
    thread_ = std::thread(&InterruptWatch::watch, this);
}

InterruptWatch::~InterruptWatch() {
    if (pipe_[1] < 0) {
        return;
    }
    for (const int sig : kWatched) {
        restore_before(sig);
    }
    g_write_end.store(-1);
    const char c = kQuit;
    [[maybe_unused]] const ssize_t n = ::write(pipe_[1], &c, 1);
    if (thread_.joinable()) {
        thread_.join();
    }
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void InterruptWatch::watch() {
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(pipe_[0], &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n != 1 || c == kQuit) {
            return;
        }
        if (!interrupted_.exchange(true)) {
            on_interrupt_();
        }
    }
}

}  // namespace zemlo::cli
