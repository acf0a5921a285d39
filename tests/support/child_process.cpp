#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>
#include <utility>

#include "file_bytes.h"

extern char **environ;

namespace zemlo::testing {
namespace {

std::string name_of(const std::string &entry) {
    return entry.substr(0, entry.find('='));
}

std::vector<std::string> environment_for(const ChildPlan &plan) {
    std::vector<std::string> env;
    if (plan.inherit_env) {
        for (char **e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            bool replaced = false;
            for (const auto &mine : plan.env) {
                replaced = replaced || name_of(mine) == name_of(entry);
            }
            if (!replaced) {
                env.push_back(entry);
            }
        }
    }
    for (const auto &mine : plan.env) {
        if (mine.find('=') != std::string::npos) {
            env.push_back(mine);
        }
    }
    return env;
}

std::vector<char *> pointers(std::vector<std::string> &strings) {
    std::vector<char *> out;
    for (auto &s : strings) {
        out.push_back(s.data());
    }
    out.push_back(nullptr);
    return out;
}

// Blocks until the child may have changed state or the time is up, without a fixed sleep: a
// pidfd becomes readable when the child ends. Without pidfds, it checks again after a moment.
void wait_for_change(pid_t pid, std::chrono::milliseconds left) {
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) {
        std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(5)));
        return;
    }
    pollfd p{fd, POLLIN, 0};
    ::poll(&p, 1, static_cast<int>(std::max<int64_t>(left.count(), 1)));
    ::close(fd);
}

}  // namespace

Child::Child(ChildPlan plan) : spec_(std::move(plan)) {
    // Everything the child needs is made before the fork: another thread of this process (an
    // emulator's) may hold the allocator's lock, so the child only makes async-signal-safe calls.
    std::vector<std::string> env = environment_for(spec_);
    std::vector<std::string> args = spec_.argv;
    std::vector<char *> argv = pointers(args);
    std::vector<char *> envp = pointers(env);
    const std::string out = spec_.out.empty() ? std::string("/dev/null") : spec_.out.string();
    const std::string err = spec_.err.empty() ? out : spec_.err.string();
    const std::string dir = spec_.dir.string();
    const std::optional<rlim_t> limit = spec_.file_limit;
    const std::vector<int> ignored = spec_.ignored_signals;
    started_ = std::chrono::steady_clock::now();
    pid_ = ::fork();
    if (pid_ != 0) {
        return;
    }
    const int in = ::open("/dev/null", O_RDONLY);
    const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int e = err == out ? o : ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || o < 0 || e < 0 || ::dup2(in, 0) < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0 ||
        (!dir.empty() && ::chdir(dir.c_str()) != 0)) {
        ::_exit(126);
    }
    if (limit) {
        const rlimit l{*limit, *limit};
        ::setrlimit(RLIMIT_FSIZE, &l);
        ::signal(SIGXFSZ, SIG_IGN);  // the write fails instead of ending the program
    }
    for (const int sig : ignored) {
        ::signal(sig, SIG_IGN);
    }
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
}

Child::~Child() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

Child::Child(Child &&other) noexcept
    : spec_(std::move(other.spec_)),
      pid_(std::exchange(other.pid_, -1)),
      started_(other.started_) {}

void Child::kill(int sig) const {
    if (pid_ > 0) {
        ::kill(pid_, sig);
    }
}

ChildRun Child::collect(int raw, bool hung) {
    ChildRun r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    r.hung = hung;
    r.status = !hung && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
    pid_ = -1;
    return r;
}

bool Child::ended(ChildRun *run) {
    int raw = 0;
    if (pid_ <= 0 || ::waitpid(pid_, &raw, WNOHANG) != pid_) {
        return false;
    }
    *run = collect(raw, false);
    return true;
}

ChildRun Child::finish(std::chrono::milliseconds deadline) {
    ChildRun r;
    if (pid_ <= 0) {
        return r;
    }
    const auto until = std::chrono::steady_clock::now() + deadline;
    int raw = 0;
    bool hung = false;
    struct rusage usage {};
    while (::wait4(pid_, &raw, WNOHANG, &usage) == 0) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= until) {
            hung = true;
            ::kill(pid_, SIGKILL);
            ::wait4(pid_, &raw, 0, &usage);
            break;
        }
        wait_for_change(pid_, std::chrono::duration_cast<std::chrono::milliseconds>(until - now));
    }
    r = collect(raw, hung);
    r.cpu_seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                    static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (!spec_.out.empty()) {
        r.out = read_file(spec_.out);
    }
    if (!spec_.err.empty()) {
        r.err = read_file(spec_.err);
    }
    return r;
}

ChildRun run_child(ChildPlan plan, std::chrono::milliseconds deadline) {
    return Child(std::move(plan)).finish(deadline);
}

std::string show(const ChildRun &r) {
    return "status " + std::to_string(r.status) +
           (r.signal != 0 ? " signal " + std::to_string(r.signal) : "") +
           (r.hung ? " (did not end)" : "") + "\nstdout:\n" + r.out + "\nstderr:\n" + r.err;
}

}  // namespace zemlo::testing
