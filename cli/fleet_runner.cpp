#include "fleet_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "cli_args.h"
#include "fleet_report.h"
#include "handset_text.h"
#include "messages.h"
#include "port_names.h"
#include "profile.h"
#include "zemlo/work_dir.h"

namespace zemlo::cli {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char *kWorkerVariable = "ZEMLO_CLI_WORKER";
constexpr const char *kErrorPrefix = "zemlo-cli: ";
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr size_t kReadBytes = 4096;
constexpr size_t kMaxOutput = 16 * 1024 * 1024;  // a worker's standard output kept at most

struct Worker {
    std::string label;
    std::string device;                     // the device it opens
    std::vector<std::string> handset_args;  // --port N or --device PATH
    pid_t pid = -1;
    int out = -1;
    int err = -1;
    Clock::time_point started;
    WorkerStream stream;
    std::string last_error;
    std::string last_line;
    std::string last_result;  // the last line of its standard output
    HandsetResult result;
    bool done = false;
};

void close_fd(int &fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// Forks and execs this program for one handset. The worker gets its own process group, so that
// Ctrl-C on the terminal reaches the runner alone and each worker is told exactly once. It works
// in the runner's work folder: every run there has a folder of its own.
bool start_worker(Worker &w, const std::string &exe, const std::vector<std::string> &argv,
                  const std::string &work_dir, const sigset_t &old_mask, std::string *error) {
    int out_pipe[2];
    int err_pipe[2];
    if (::pipe2(out_pipe, O_CLOEXEC) != 0) {
        *error = std::strerror(errno);
        return false;
    }
    if (::pipe2(err_pipe, O_CLOEXEC) != 0) {
        *error = std::strerror(errno);
        ::close(out_pipe[0]);
        ::close(out_pipe[1]);
        return false;
    }
    std::vector<char *> raw;
    raw.reserve(argv.size() + 1);
    for (const auto &a : argv) {
        raw.push_back(const_cast<char *>(a.c_str()));
    }
    raw.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        // The runner passes on the signals it gets, and the worker must act on them even when
        // the runner was started with some ignored (a background job ignores SIGINT): the worker
        // gets no other, being in a process group of its own.
        for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
            ::signal(sig, SIG_DFL);
        }
        ::sigprocmask(SIG_SETMASK, &old_mask, nullptr);
        const int null_in = ::open("/dev/null", O_RDONLY);
        if (null_in >= 0) {
            ::dup2(null_in, STDIN_FILENO);
        }
        ::dup2(out_pipe[1], STDOUT_FILENO);
        ::dup2(err_pipe[1], STDERR_FILENO);
        ::setenv("ZEMLO_WORK_DIR", work_dir.c_str(), 1);
        ::setenv(kWorkerVariable, "1", 1);
        ::execv(exe.c_str(), raw.data());
        const char text[] = "zemlo-cli: cannot start the worker\n";
        [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, text, sizeof text - 1);
        ::_exit(127);
    }
    const int saved = errno;
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    if (pid < 0) {
        ::close(out_pipe[0]);
        ::close(err_pipe[0]);
        *error = std::strerror(saved);
        return false;
    }
    ::setpgid(pid, pid);  // also here, so that no signal can come before the child's own call
    w.pid = pid;
    w.out = out_pipe[0];
    w.err = err_pipe[0];
    w.started = Clock::now();
    return true;
}

std::string shown_line(const Worker &w, size_t width) {
    std::string state;
    if (w.done) {
        state = w.result.ok() ? app::render(app::MessageId::FleetDone)
                              : app::render(app::MessageId::FleetFailed) + " " + w.result.message;
    } else if (!w.stream.progress().empty()) {
        state = w.stream.progress();
    } else {
        state = w.last_line.empty() ? app::render(app::MessageId::FleetStarting) : w.last_line;
    }
    std::string label = w.label;
    label.resize(std::max(width, label.size()), ' ');
    return label + "  " + state;
}

class Display {
  public:
    Display(std::vector<Worker> &workers, bool terminal) : workers_(workers), terminal_(terminal) {
        for (const auto &w : workers_) {
            width_ = std::max(width_, w.label.size());
        }
    }

    void draw(bool force) {
        if (!terminal_ || (!force && Clock::now() - last_ < kRedrawEvery)) {
            return;
        }
        last_ = Clock::now();
        std::string text;
        if (drawn_) {
            text += "\033[" + std::to_string(workers_.size()) + "A";
        }
        for (const auto &w : workers_) {
            text += "\r\033[K" + shown_line(w, width_) + "\n";
        }
        std::fputs(text.c_str(), stderr);
        std::fflush(stderr);
        drawn_ = true;
    }

    // A message line of a worker: on a terminal it becomes the handset's line, else it is
    // printed with the handset's name in front.
    void message(const Worker &w, const std::string &line) {
        if (!terminal_) {
            std::fprintf(stderr, "%s: %s\n", w.label.c_str(), line.c_str());
        }
    }

  private:
    std::vector<Worker> &workers_;
    bool terminal_;
    size_t width_ = 0;
    bool drawn_ = false;
    Clock::time_point last_{};
};

void read_stderr(Worker &w, Display &display) {
    char buffer[kReadBytes];
    const ssize_t n = ::read(w.err, buffer, sizeof buffer);
    if (n <= 0) {
        if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            close_fd(w.err);
        }
        return;
    }
    for (auto &line : w.stream.feed(std::string_view(buffer, static_cast<size_t>(n)))) {
        if (line.rfind(kErrorPrefix, 0) == 0) {
            w.last_error = line.substr(std::strlen(kErrorPrefix));
        }
        w.last_line = line;
        display.message(w, line);
    }
}

void read_stdout(Worker &w) {
    char buffer[kReadBytes];
    const ssize_t n = ::read(w.out, buffer, sizeof buffer);
    if (n <= 0) {
        if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            close_fd(w.out);
        }
        return;
    }
    if (w.result.output.size() < kMaxOutput) {
        w.result.output.append(buffer, static_cast<size_t>(n));
    }
    // A finished operation's text (a download's success, say) is the handset's latest news.
    const std::string &o = w.result.output;
    const size_t end = o.find_last_not_of('\n');
    if (end != std::string::npos) {
        const size_t start = o.rfind('\n', end);
        w.last_line = o.substr(start == std::string::npos ? 0 : start + 1,
                               end - (start == std::string::npos ? 0 : start + 1) + 1);
        w.last_result = w.last_line;
    }
}

void finish(Worker &w) {
    int raw = 0;
    while (::waitpid(w.pid, &raw, 0) < 0 && errno == EINTR) {
    }
    w.result.seconds = std::chrono::duration<double>(Clock::now() - w.started).count();
    w.result.exit_status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    // A success is told by what it printed as its result; a failure by its last error.
    w.result.message = !w.last_error.empty() && !w.result.ok() ? w.last_error
                       : WIFSIGNALED(raw)       ? app::render(app::MessageId::WorkerEndedBySignal,
                                                              {std::to_string(WTERMSIG(raw))})
                       : !w.last_result.empty() ? w.last_result
                                                : w.last_line;
    if (w.result.ok()) {
        w.result.bytes = w.stream.transfer_bytes().value_or(0);
    }
    w.done = true;
}

std::string exe_path() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

}  // namespace

bool serves_several_handsets(const std::string &command) {
    return command == "download" || command == "list";
}

int run_on_handsets(const std::string &command, const std::vector<std::string> &args,
                    const GlobalOptions &options) {
    std::vector<Worker> workers;
    const std::map<uint32_t, std::string> mapping = app::SettingsProfile().port_devices();
    for (const uint32_t port : options.ports) {
        Worker w;
        w.label = "COM" + std::to_string(port);
        w.device = com_device_path(port, mapping, process_environment());
        w.handset_args = {"--port", std::to_string(port)};
        workers.push_back(std::move(w));
    }
    for (const auto &device : options.devices) {
        Worker w;
        w.label = app::printable_local_text(device);  // shown on terminals: controls escaped
        w.device = device;
        w.handset_args = {"--device", device};
        workers.push_back(std::move(w));
    }
    // The same handset named twice, however it is spelled (./l1, a link to it, the COM number it
    // stands behind), would get two workers fighting over one line: refused.
    std::set<std::string> seen;
    std::map<std::pair<dev_t, ino_t>, std::string> opened;
    for (auto &w : workers) {
        w.result.handset = w.label;
        if (!seen.insert(w.label).second) {
            std::fprintf(stderr, "zemlo-cli: %s is named twice\n", w.label.c_str());
            return kExitUsage;
        }
        struct stat st {};
        if (::stat(w.device.c_str(), &st) == 0) {
            const auto [at, added] = opened.emplace(std::make_pair(st.st_dev, st.st_ino), w.label);
            if (!added) {
                std::fprintf(stderr, "zemlo-cli: %s and %s are the same handset\n",
                             at->second.c_str(), w.label.c_str());
                return kExitUsage;
            }
        }
    }
    // --json on download asks for the summary as JSON; list's workers print their own.
    const bool json = std::find(args.begin(), args.end(), "--json") != args.end();
    std::vector<std::string> worker_args;
    for (const auto &a : args) {
        if (!(a == "--json" && command == "download")) {
            worker_args.push_back(a);
        }
    }
    const std::string exe = exe_path();
    std::string why;
    const auto base = ensure_work_dir(&why);
    if (exe.empty() || !base) {
        return fail(exe.empty() ? app::render(app::MessageId::WorkersNeedTheProgram) : why);
    }

    // Ctrl-C, SIGTERM and SIGHUP come through a descriptor, so the loop below passes them on.
    sigset_t stop_signals;
    sigset_t old_mask;
    sigemptyset(&stop_signals);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&stop_signals, s);
    }
    ::sigprocmask(SIG_BLOCK, &stop_signals, &old_mask);
    const int signals = ::signalfd(-1, &stop_signals, SFD_CLOEXEC | SFD_NONBLOCK);

    for (size_t i = 0; i < workers.size(); ++i) {
        Worker &w = workers[i];
        std::vector<std::string> argv{exe};
        argv.insert(argv.end(), w.handset_args.begin(), w.handset_args.end());
        if (options.trace) {
            argv.insert(argv.end(), {"--trace", *options.trace + "." + std::to_string(i + 1)});
        }
        argv.insert(argv.end(), {"--deadline", std::to_string(options.deadline_seconds)});
        argv.push_back(command);
        argv.insert(argv.end(), worker_args.begin(), worker_args.end());
        std::string error;
        if (!start_worker(w, exe, argv, *base, old_mask, &error)) {
            w.result.message = app::render(app::MessageId::WorkerNotStarted, {error});
            w.done = true;
        }
    }

    Display display(workers, ::isatty(STDERR_FILENO) != 0);
    display.draw(true);
    int interrupts = 0;
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<std::pair<Worker *, bool>> owners;  // worker, is stdout
        for (auto &w : workers) {
            if (w.done) {
                continue;
            }
            if (w.out < 0 && w.err < 0) {
                finish(w);
                display.draw(true);
                continue;
            }
            if (w.out >= 0) {
                fds.push_back({w.out, POLLIN, 0});
                owners.emplace_back(&w, true);
            }
            if (w.err >= 0) {
                fds.push_back({w.err, POLLIN, 0});
                owners.emplace_back(&w, false);
            }
        }
        if (fds.empty()) {
            break;
        }
        fds.push_back({signals, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), static_cast<int>(kRedrawEvery.count())) < 0 &&
            errno != EINTR) {
            break;
        }
        for (size_t i = 0; i < owners.size(); ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            auto [w, is_out] = owners[i];
            is_out ? read_stdout(*w) : read_stderr(*w, display);
        }
        if (signals >= 0 && (fds.back().revents & POLLIN) != 0) {
            signalfd_siginfo info{};
            while (::read(signals, &info, sizeof info) == sizeof info) {
                // Passed on as it came: the first asks each worker to stop cleanly, a second one
                // ends them at once.
                ++interrupts;
                for (auto &w : workers) {
                    if (!w.done && w.pid > 0) {
                        ::kill(w.pid, static_cast<int>(info.ssi_signo));
                    }
                }
            }
        }
        display.draw(false);
    }
    display.draw(true);
    if (signals >= 0) {
        ::close(signals);
    }
    ::sigprocmask(SIG_SETMASK, &old_mask, nullptr);

    std::vector<HandsetResult> results;
    for (auto &w : workers) {
        results.push_back(w.result);
    }
    const bool list = command == "list";
    // What a dry run is for is what it says would happen on each handset, refused or not: the
    // summary's one line per handset cannot hold it.
    const bool dry_run =
        command == "download" && std::find(args.begin(), args.end(), "--dry-run") != args.end();
    if (json) {
        std::fputs(summary_json(results, list).c_str(), stdout);
    } else {
        for (const auto &r : results) {
            if ((list && r.ok()) || (dry_run && !r.output.empty())) {
                std::printf("== %s\n%s", r.handset.c_str(), r.output.c_str());
            }
        }
        std::fputs(summary_table(results).c_str(), stdout);
    }
    std::fflush(stdout);
    if (const std::string failed = failures_line(results); !failed.empty()) {
        std::fprintf(stderr, "zemlo-cli: %s\n", failed.c_str());
    }
    // Whatever the workers made of it, a run cut short by a signal did not do what was asked.
    if (interrupts > 0) {
        std::fprintf(stderr, "zemlo-cli: %s\n", app::render(app::MessageId::Interrupted).c_str());
        return kExitFailure;
    }
    return fleet_exit_status(results);
}

}  // namespace zemlo::cli
