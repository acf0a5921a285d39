// fault_sweep: every fault kind at every frame of every handset operation, each run judged by the
// oracle. Prints each run that breaks the bar as it ends, and with --table the table of
// operations by fault kind; exits 1 when any run broke it.
//
//   fault_sweep [--front cli|core|second|all] [--shard I/N] [--jobs J] [--only OPERATION]
//               [--kinds K,...] [--point N] [--table] [--results FILE] [--verbose]
//
// The command line runs J runs at once in this process (each its own emulator and zemlo-cli).
// The core runs one at a time per process (the link library is one per process), so with J > 1
// it runs J copies of this program, each on its share, and puts their results together. "second"
// is the command line against the second handset (second_handset.py), the cross-check.
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cli_front.h"
#include "core_front.h"
#include "messages.h"
#include "sweep_scene.h"
#include "sweep_table.h"

namespace {

using namespace zemlo::sweep;
namespace fs = std::filesystem;

struct Args {
    std::string front = "cli";
    uint32_t shard = 1;
    uint32_t shards = 1;
    unsigned jobs = 4;
    std::vector<std::string> only;
    std::vector<FaultKind> kinds;
    std::vector<uint32_t> points;
    bool table = false;
    bool verbose = false;
    std::string results;
};

bool parse_count(const std::string &text, uint32_t *out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
    return ec == std::errc() && end == text.data() + text.size();
}

std::optional<Args> parse_args(int argc, char **argv) {
    Args a;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--table") {
            a.table = true;
        } else if (arg == "--verbose") {
            a.verbose = true;
        } else if (arg == "--front" && has_value) {
            a.front = argv[++i];
            if (a.front != "cli" && a.front != "core" && a.front != "second" && a.front != "all") {
                return std::nullopt;
            }
        } else if (arg == "--shard" && has_value) {
            const std::string v = argv[++i];
            const size_t slash = v.find('/');
            if (slash == std::string::npos || !parse_count(v.substr(0, slash), &a.shard) ||
                !parse_count(v.substr(slash + 1), &a.shards) || a.shard == 0 ||
                a.shard > a.shards) {
                return std::nullopt;
            }
        } else if (arg == "--jobs" && has_value) {
            uint32_t j = 0;
            if (!parse_count(argv[++i], &j) || j == 0) {
                return std::nullopt;
            }
            a.jobs = j;
        } else if (arg == "--only" && has_value) {
            a.only.push_back(argv[++i]);
        } else if (arg == "--kinds" && has_value) {
            std::string v = argv[++i];
            size_t start = 0;
            while (start <= v.size()) {
                const size_t comma = std::min(v.find(',', start), v.size());
                const auto kind = fault_kind_from_name(v.substr(start, comma - start));
                if (!kind) {
                    return std::nullopt;
                }
                a.kinds.push_back(*kind);
                start = comma + 1;
            }
        } else if (arg == "--point" && has_value) {
            uint32_t p = 0;
            if (!parse_count(argv[++i], &p)) {
                return std::nullopt;
            }
            a.points.push_back(p);
        } else if (arg == "--results" && has_value) {
            a.results = argv[++i];
        } else {
            return std::nullopt;
        }
    }
    return a;
}

// Runs fn(i) for i in [0, n) on `jobs` threads.
template <class F>
void in_parallel(size_t n, unsigned jobs, F fn) {
    std::atomic<size_t> next{0};
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < std::min<size_t>(jobs, n); ++t) {
        threads.emplace_back([&] {
            for (size_t i = next++; i < n; i = next++) {
                fn(i);
            }
        });
    }
    for (auto &t : threads) {
        t.join();
    }
}

constexpr int kCleanTries = 3;
constexpr uint32_t kSecondTimePercent = 25;
constexpr std::chrono::milliseconds kSecondAckTimeout{250};
constexpr uint32_t kSecondDelayMs = 800;

// A front end the sweep drives: its operations and how one run of them goes.
struct Front {
    std::string name;
    std::vector<Operation> operations;
    std::function<RunRecord(const Operation &, const std::optional<PlannedRun> &,
                            const StoreFiles &)>
        run;
    unsigned jobs = 1;  // runs at once in this process
};

// The fault-free run of each operation, then every planned run of this shard, judged.
// Returns the results; *broken counts the runs that broke the bar (and failed clean runs).
std::vector<RunResult> sweep(const Front &front, const Args &args, const Settings &s, int *broken) {
    std::vector<Operation> operations;
    for (const auto &op : front.operations) {
        if (args.only.empty() ||
            std::find(args.only.begin(), args.only.end(), op.name) != args.only.end()) {
            operations.push_back(op);
        }
    }
    // The fault-free runs are the reference; on a loaded machine one may miss the short times
    // and is made again (a program that cannot do it fault-free fails every try).
    std::vector<RunRecord> clean(operations.size());
    in_parallel(operations.size(), front.jobs, [&](size_t i) {
        for (int attempt = 0; attempt < kCleanTries; ++attempt) {
            clean[i] = front.run(operations[i], std::nullopt, {});
            if (clean[i].facts.told == Told::Success && clean[i].facts.second_works) {
                break;
            }
        }
    });
    std::vector<PlannedRun> runs;
    for (size_t i = 0; i < operations.size(); ++i) {
        const Operation &op = operations[i];
        RunFacts facts = clean[i].facts;
        facts.intended = facts.after;
        const Judgement j = judge(facts, s.bounds);
        const auto span = find_span(clean[i].exchange, op.span);
        if (facts.told != Told::Success || !j.violations.empty() || !span) {
            std::string why = span ? "" : " (its frames not found)";
            for (const Violation v : j.violations) {
                why += " [" + std::string(violation_name(v)) + "]";
            }
            for (const auto &left : facts.left_behind) {
                why += " left: " + left;
            }
            std::fprintf(stderr, "%s %s: the fault-free run did not succeed%s: %s\n",
                         front.name.c_str(), op.name.c_str(), why.c_str(), clean[i].note.c_str());
            ++*broken;
            continue;
        }
        std::optional<Span> skip;
        if (op.skip) {
            skip = find_span(clean[i].exchange, *op.skip);
            if (skip && skip->last > 0) {
                --skip->last;  // up to, not including, the frame that ends it
            }
        }
        if (args.verbose) {
            std::fprintf(stderr, "%s %s: frames %u to %u of %zu\n", front.name.c_str(),
                         op.name.c_str(), span->first, span->last, clean[i].exchange.size());
            for (const auto &p : clean[i].exchange) {
                std::fprintf(stderr, "  %3u %s %s/%u\n", p.index, p.from_pc ? "PC>HS" : "HS>PC",
                             p.message.c_str(), p.segment);
            }
        }
        for (auto &r : plan_runs(op.name, clean[i].exchange, *span, skip)) {
            const bool kind = args.kinds.empty() || std::find(args.kinds.begin(), args.kinds.end(),
                                                              r.kind) != args.kinds.end();
            const bool point =
                args.points.empty() ||
                std::find(args.points.begin(), args.points.end(), r.point) != args.points.end();
            if (kind && point) {
                runs.push_back(r);
            }
        }
    }
    runs = shard(runs, args.shard, args.shards);

    std::map<std::string, StoreFiles> intended;
    std::map<std::string, const Operation *> by_name;
    for (size_t i = 0; i < operations.size(); ++i) {
        intended[operations[i].name] = clean[i].facts.after;
        by_name[operations[i].name] = &operations[i];
    }
    std::vector<RunResult> results(runs.size());
    std::mutex print_mutex;
    in_parallel(runs.size(), front.jobs, [&](size_t i) {
        const PlannedRun &run = runs[i];
        const RunRecord rec = front.run(*by_name[run.operation], run, intended[run.operation]);
        const Judgement j = judge(rec.facts, s.bounds);
        // Which frame the fault met in this run (a resend earlier on moves the numbers).
        std::string met = "not reached";
        if (run.point >= 1 && run.point <= rec.exchange.size()) {
            const auto &p = rec.exchange[run.point - 1];
            met = std::string(p.from_pc ? "PC>HS " : "HS>PC ") + p.message + "/" +
                  std::to_string(p.segment);
        }
        results[i] = {run, j.told, j.violations, rec.facts.seconds, "[" + met + "] " + rec.note};
        if (!j.violations.empty() || args.verbose) {
            std::lock_guard lock(print_mutex);
            std::fprintf(stderr, "%s %s\n", front.name.c_str(), result_line(results[i]).c_str());
        }
    });
    for (const auto &r : results) {
        *broken += r.violations.empty() ? 0 : 1;
    }
    return results;
}

// The core's sweep in `jobs` copies of this program, each on its share; their results together.
std::vector<RunResult> sweep_core_in_processes(const Args &args, int *broken) {
    const unsigned jobs = args.jobs;
    std::vector<pid_t> children;
    std::vector<std::string> files;
    Scratch scratch;
    for (unsigned j = 1; j <= jobs; ++j) {
        const std::string file = (scratch.path() / ("results-" + std::to_string(j))).string();
        files.push_back(file);
        std::vector<std::string> argv = {
            "/proc/self/exe",
            "--front",
            "core",
            "--jobs",
            "1",
            "--results",
            file,
            "--shard",
            std::to_string((args.shard - 1) * jobs + j) + "/" + std::to_string(args.shards * jobs)};
        for (const auto &op : args.only) {
            argv.insert(argv.end(), {"--only", op});
        }
        if (!args.kinds.empty()) {
            std::string kinds;
            for (FaultKind k : args.kinds) {
                kinds += (kinds.empty() ? "" : ",") + std::string(fault_kind_name(k));
            }
            argv.insert(argv.end(), {"--kinds", kinds});
        }
        for (uint32_t p : args.points) {
            argv.insert(argv.end(), {"--point", std::to_string(p)});
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            std::vector<char *> c;
            for (auto &a : argv) {
                c.push_back(a.data());
            }
            c.push_back(nullptr);
            ::execv("/proc/self/exe", c.data());
            ::_exit(127);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) {
            ++*broken;
        }
    }
    std::vector<RunResult> results;
    for (const auto &file : files) {
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);) {
            if (auto r = parse_result_line(line)) {
                *broken += r->violations.empty() ? 0 : 1;
                results.push_back(*r);
            }
        }
    }
    return results;
}

std::vector<std::string> names_of(const std::vector<Operation> &operations) {
    std::vector<std::string> names;
    for (const auto &op : operations) {
        names.push_back(op.name);
    }
    return names;
}

}  // namespace

int main(int argc, char **argv) {
    const auto args = parse_args(argc, argv);
    if (!args) {
        std::fputs(
            "usage: fault_sweep [--front cli|core|second|all] [--shard I/N] [--jobs J] "
            "[--only OPERATION] [--kinds K,...] [--point N] [--table] [--results FILE] "
            "[--verbose]\n",
            stderr);
        return 2;
    }
    Settings s;
    s.bin = fs::read_symlink("/proc/self/exe").parent_path();
    s.unknown_texts = {zemlo::app::render(zemlo::app::MessageId::ResultUnknown),
                       zemlo::app::render(zemlo::app::MessageId::FormatUnconfirmed)};
    int broken = 0;
    std::vector<RunResult> all;
    std::string tables;

    if (args->front == "cli" || args->front == "all") {
        const Front cli{
            "cli", cli_operations(),
            [&](const Operation &op, const std::optional<PlannedRun> &fault,
                const StoreFiles &intended) { return run_on_cli(op, fault, intended, s); },
            args->jobs};
        const auto results = sweep(cli, *args, s, &broken);
        all.insert(all.end(), results.begin(), results.end());
        tables += "zemlo-cli, as a process:\n\n" + result_table(results, names_of(cli.operations));
    }
    if (args->front == "second" || args->front == "all") {
        // The second handset is an interpreted program answering every frame in its own loop:
        // it gets the times of a slower handset.
        Settings slower = s;
        slower.time_percent = kSecondTimePercent;
        slower.ack_timeout = kSecondAckTimeout;
        slower.delay_ms = kSecondDelayMs;
        const Front second{"second", cli_operations(),
                           [&](const Operation &op, const std::optional<PlannedRun> &fault,
                               const StoreFiles &intended) {
                               return run_on_cli(op, fault, intended, slower, HandsetKind::Second);
                           },
                           args->jobs};
        const auto results = sweep(second, *args, s, &broken);
        all.insert(all.end(), results.begin(), results.end());
        tables += std::string(tables.empty() ? "" : "\n") +
                  "zemlo-cli against the second handset (second_handset.py):\n\n" +
                  result_table(results, names_of(second.operations));
    }
    if (args->front == "core" || args->front == "all") {
        std::vector<RunResult> results;
        if (args->jobs > 1) {
            results = sweep_core_in_processes(*args, &broken);
        } else {
            Scratch work;
            prepare_core_process(s, work.path());
            const Front core{"core", core_operations(),
                             [&](const Operation &op, const std::optional<PlannedRun> &fault,
                                 const StoreFiles &intended) {
                                 return run_on_core(op, fault, intended, s, work.path());
                             },
                             1};
            results = sweep(core, *args, s, &broken);
        }
        all.insert(all.end(), results.begin(), results.end());
        tables += std::string(tables.empty() ? "" : "\n") + "The window's core, in process:\n\n" +
                  result_table(results, names_of(core_operations()));
    }
    if (!args->results.empty()) {
        std::ofstream out(args->results);
        for (const auto &r : all) {
            out << result_line(r) << "\n";
        }
    }
    if (args->table) {
        std::fputs(tables.c_str(), stdout);
        std::fflush(stdout);  // the table before the summary, when both go to one terminal
    }
    std::fprintf(stderr, "fault_sweep: %zu runs, %d broke the bar\n", all.size(), broken);
    return broken == 0 ? 0 : 1;
}
