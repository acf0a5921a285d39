#include "interrupt_watch.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace zemlo::cli {

namespace {

constexpr char kSignalled = 's';
constexpr char kQuit = 'q';
// Ctrl-C, kill, and the terminal closing: each stops the command the same way, telling the handset.
constexpr int kWatched[] = {SIGINT, SIGTERM, SIGHUP};

// The handler may only write to the pipe; everything else happens on the watching thread.
std::atomic<int> g_write_end{-1};

void on_signal(int sig) {
    const int saved = errno;
    const int fd = g_write_end.load();
    if (fd >= 0) {
        const char c = kSignalled;
        [[maybe_unused]] const ssize_t n = ::write(fd, &c, 1);
    }
    ::signal(sig, SIG_DFL);  // a second press ends the program
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
    for (const int sig : kWatched) {
        ::sigaction(sig, &sa, nullptr);
    }
    thread_ = std::thread(&InterruptWatch::watch, this);
}

InterruptWatch::~InterruptWatch() {
    if (pipe_[1] < 0) {
        return;
    }
    for (const int sig : kWatched) {
        ::signal(sig, SIG_DFL);
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
