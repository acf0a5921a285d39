// A program run as a child, as a user runs it from a shell: its own arguments, environment and
// working folder, standard input from /dev/null, standard output and error into files. Waiting
// for it has a deadline, so a program that hangs fails its test instead of holding the run up.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zemlo::testing {

struct ChildPlan {
    std::vector<std::string> argv;  // the program's path first
    // NAME=value replaces NAME of the environment; a bare NAME removes it.
    std::vector<std::string> env;
    bool inherit_env = true;           // false: the child has only `env`
    std::filesystem::path dir;         // the working folder; empty: this process's
    std::filesystem::path out;         // standard output; empty: /dev/null
    std::filesystem::path err;         // standard error; empty: into `out`
    std::optional<rlim_t> file_limit;  // writes past it fail as on a full disk
    std::vector<int> ignored_signals;  // ignored from the start, as nohup leaves SIGHUP
};

struct ChildRun {
    int status = -1;         // the exit status; -1 when a signal or the deadline ended it
    int signal = 0;          // the signal that ended it
    bool hung = false;       // still running at the deadline, and killed
    double seconds = 0;      // from the start to its end
    double cpu_seconds = 0;  // processor time it used (user and system), once waited for
    std::string out;
    std::string err;
};

// Longer than any program under test needs, also several times slower under a sanitizer.
inline constexpr std::chrono::seconds kChildDeadline{120};

class Child {
  public:
    // Starts the program; pid() is -1 when it could not be forked.
    explicit Child(ChildPlan plan);
    // A child not waited for is killed and reaped, so no test leaves one behind.
    ~Child();
    Child(Child &&other) noexcept;
    Child &operator=(Child &&) = delete;
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;

    pid_t pid() const { return pid_; }
    // Sends the signal, while the child has not been waited for.
    void kill(int sig) const;
    // Waits for its end, at most `deadline`, and reads its output files.
    ChildRun finish(std::chrono::milliseconds deadline = kChildDeadline);
    // Whether it has ended, without waiting; `run` then holds how (output files not read).
    bool ended(ChildRun *run);

  private:
    ChildRun collect(int raw, bool hung);

    ChildPlan spec_;
    pid_t pid_ = -1;
    std::chrono::steady_clock::time_point started_;
};

// Starts the program and waits for it.
ChildRun run_child(ChildPlan plan, std::chrono::milliseconds deadline = kChildDeadline);

// The run as text, for a failing assertion's message.
std::string show(const ChildRun &r);

// Whether part stands in text.
inline bool has(const std::string &text, const std::string &part) {
    return text.find(part) != std::string::npos;
}

}  // namespace zemlo::testing
