#include "cli_front.h"

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <sstream>

#include "child_process.h"
#include "file_bytes.h"
#include "sweep_scene.h"
#include "wait_until.h"

namespace zemlo::sweep {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr uint64_t kCapacity = 524288;  // the emulator's default
constexpr auto kLineBack = 5s;          // a hung-up line is linked again within this
constexpr auto kSettle = 5s;            // the handset answers what it has within this
constexpr int kTries = 3;               // of the command after the run

std::vector<std::string> with_pc(const std::vector<std::string> &args, const fs::path &pc) {
    std::vector<std::string> out;
    for (std::string a : args) {
        const size_t at = a.find("{pc}");
        if (at != std::string::npos) {
            a.replace(at, 4, pc.string());
        }
        out.push_back(a);
    }
    return out;
}

testing::ChildPlan cli_plan(const fs::path &dir, const Settings &s, const std::string &device,
                            const std::vector<std::string> &args, const std::string &tag) {
    testing::ChildPlan plan;
    plan.argv = {(s.bin / "zemlo-cli").string(), "--device=" + device};
    plan.argv.insert(plan.argv.end(), args.begin(), args.end());
    const std::string percent = std::to_string(s.time_percent);
    plan.env = {"XDG_CONFIG_HOME=" + (dir / "config").string(),
                "ZEMLO_WORK_DIR=" + (dir / "work").string(),
                "HANDLINK_TIME_PERCENT=" + percent,
                "ZEMLO_TIME_PERCENT=" + percent,
                "ZEMLO_LANG=zh",
                "QT_QPA_PLATFORM=offscreen"};
    plan.out = dir / (tag + ".out");
    plan.err = dir / (tag + ".err");
    return plan;
}

// Ctrl-C for the child once the frame it waits for goes by; a pidfd, so that a child already
// gone (and its number given to another process) is never signalled.
class CancelAt {
  public:
    explicit CancelAt(uint32_t point) : point_(point) {}
    ~CancelAt() { forget(); }
    CancelAt(const CancelAt &) = delete;
    CancelAt &operator=(const CancelAt &) = delete;

    void watch(pid_t pid) {
        std::lock_guard lock(mutex_);
        pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    }
    void forget() {
        std::lock_guard lock(mutex_);
        if (pidfd_ >= 0) {
            ::close(pidfd_);
            pidfd_ = -1;
        }
    }
    void on_point(const handsim::ExchangePoint &p) {
        if (p.index != point_) {
            return;
        }
        std::lock_guard lock(mutex_);
        if (pidfd_ >= 0) {
            ::syscall(SYS_pidfd_send_signal, pidfd_, SIGINT, nullptr, 0);
        }
    }

  private:
    const uint32_t point_;
    std::mutex mutex_;
    int pidfd_ = -1;
};

// The handset at the far end of one run, with the fault placed; Cancel is pressed at its frame.
class SweepHandset {
  public:
    virtual ~SweepHandset() = default;
    virtual bool start(std::string *error) = 0;
    // The command line's process, to be sent Ctrl-C at the Cancel's frame.
    virtual void watch(pid_t pid) = 0;
    virtual void forget() = 0;
    virtual std::vector<handsim::ExchangePoint> exchange() = 0;
    // Waits until the handset has answered what it received: the store is then as it leaves it.
    virtual void settle() = 0;
    // Every fault off, for the command after the run.
    virtual void clear() = 0;
    virtual void stop() = 0;
};

class EmulatorHandset : public SweepHandset {
  public:
    EmulatorHandset(const fs::path &dir, const Settings &s, const std::optional<PlannedRun> &fault)
        : cancel_(fault && fault->kind == FaultKind::Cancel ? fault->point : 0) {
        handsim::EmulatorOptions o = emulator_options(dir, s, fault);
        if (fault && fault->kind == FaultKind::Cancel) {
            o.on_point = [this](const handsim::ExchangePoint &p) { cancel_.on_point(p); };
        }
        sim_ = std::make_unique<handsim::Emulator>(o);
    }
    bool start(std::string *error) override { return sim_->start(error); }
    void watch(pid_t pid) override { cancel_.watch(pid); }
    void forget() override { cancel_.forget(); }
    std::vector<handsim::ExchangePoint> exchange() override { return sim_->exchange(); }
    void settle() override { sim_->wait_idle(kSettle); }
    void clear() override { sim_->control("clear"); }
    void stop() override { sim_->stop(); }

  private:
    CancelAt cancel_;
    std::unique_ptr<handsim::Emulator> sim_;
};

// second_handset.py as a child process; a fault-free one replaces it for the command after.
class SecondHandset : public SweepHandset {
  public:
    SecondHandset(const fs::path &dir, const Settings &s, const std::optional<PlannedRun> &fault)
        : dir_(dir), settings_(s) {
        if (fault) {
            fault_ = fault->kind == FaultKind::Cancel
                         ? "at " + std::to_string(fault->point) + " cancel"
                         : fault_command(fault->kind, fault->point, s.delay_ms).value_or("");
        }
    }
    ~SecondHandset() override { stop(); }
    bool start(std::string *error) override { return launch(fault_, error); }
    void watch(pid_t pid) override {
        testing::write_file(dir_ / "cancel.pid", as_bytes(std::to_string(pid)));
    }
    void forget() override {
        std::error_code ec;
        fs::remove(dir_ / "cancel.pid", ec);
    }
    std::vector<handsim::ExchangePoint> exchange() override {
        std::vector<handsim::ExchangePoint> points;
        std::istringstream in(testing::read_file(dir_ / "exchange.txt"));
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream words(line);
            handsim::ExchangePoint p;
            std::string side;
            words >> p.index >> side >> p.segment;
            std::getline(words >> std::ws, p.message);
            p.from_pc = side == "pc";
            points.push_back(p);
        }
        return points;
    }
    // It answers within its own loop; nothing to wait for that the command's end does not cover.
    void settle() override {}
    void clear() override {
        stop();
        std::string error;
        launch("", &error);
    }
    void stop() override {
        if (child_) {
            child_->kill(SIGTERM);
            child_->finish(kStopWait);
            child_.reset();
        }
    }

  private:
    static constexpr std::chrono::milliseconds kStopWait{5000};
    // The interpreter's start and its imports: seconds on a machine loaded by the other tests'
    // builds and runs. The wait ends as soon as the link is there.
    static constexpr std::chrono::milliseconds kLaunchWait{30000};
    static std::vector<uint8_t> as_bytes(const std::string &s) { return {s.begin(), s.end()}; }

    bool launch(const std::string &fault, std::string *error) {
        testing::ChildPlan plan;
        const auto script = settings_.bin / "second_handset.py";
        plan.argv = {"/usr/bin/env",
                     "python3",
                     script.string(),
                     "--link",
                     (dir_ / "ttyHS").string(),
                     "--store",
                     (dir_ / "store").string(),
                     "--ack-timeout",
                     std::to_string(settings_.ack_timeout.count()),
                     "--restart-ms",
                     std::to_string(settings_.restart_quiet.count()),
                     "--exchange",
                     (dir_ / "exchange.txt").string(),
                     "--cancel-pid",
                     (dir_ / "cancel.pid").string()};
        if (!fault.empty()) {
            plan.argv.insert(plan.argv.end(), {"--fault", fault});
        }
        plan.out = dir_ / "second_handset.log";
        child_ = std::make_unique<testing::Child>(plan);
        const fs::path link = dir_ / "ttyHS";
        if (!testing::wait_until([&] { return fs::is_symlink(link); }, kLaunchWait)) {
            *error = "second_handset.py did not link its line: " +
                     testing::read_file(dir_ / "second_handset.log");
            return false;
        }
        return true;
    }

    const fs::path dir_;
    const Settings &settings_;
    std::string fault_;
    std::unique_ptr<testing::Child> child_;
};

std::unique_ptr<SweepHandset> make_handset(HandsetKind kind, const fs::path &dir, const Settings &s,
                                           const std::optional<PlannedRun> &fault) {
    if (kind == HandsetKind::Second) {
        return std::make_unique<SecondHandset>(dir, s, fault);
    }
    return std::make_unique<EmulatorHandset>(dir, s, fault);
}

Told told_by(const testing::ChildRun &r, const Settings &s) {
    if (r.status == 0) {
        return Told::Success;
    }
    for (const auto &text : s.unknown_texts) {
        if (testing::has(r.err, text)) {
            return Told::Unknown;
        }
    }
    return Told::Failure;
}

std::string first_lines(const std::string &text) {
    std::string out = text.substr(0, 300);
    return out;
}

}  // namespace

std::vector<Operation> cli_operations() {
    return {
        {"connect and list", {"list", "--json"}, {{}, {"disconnect"}}, std::nullopt, true},
        {"download picture",
         {"download", "{pc}/photo.bmp", "--name", "photo", "--preview"},
         {{"announce"}, {"disconnect"}},
         SpanRule{{"data packet 3"}, {"data packet 60"}},
         false},
        {"download melody",
         {"download", "{pc}/tune.mid", "--name", "tune", "--preview"},
         {{"announce"}, {"disconnect"}},
         std::nullopt,
         false},
        {"discard after download",
         {"download", "{pc}/tune.mid", "--name", "tune", "--discard"},
         {{"action discard"}, {"disconnect"}},
         std::nullopt,
         false},
        {"rename",
         {"rename", "pic", "a.bmp", "c"},
         {{"rename"}, {"disconnect"}},
         std::nullopt,
         false},
        {"delete", {"delete", "pic", "a.bmp"}, {{"delete"}, {"disconnect"}}, std::nullopt, false},
        // The format's own frames and the handset reached again after its restart; the listing
        // that follows is a connect's, whose every frame the connect's row already tries.
        {"format", {"format", "--yes"}, {{}, {"list"}}, std::nullopt, false},
        {"disconnect", {"list", "--json"}, {{"disconnect"}, {}}, std::nullopt, true},
    };
}

RunRecord run_on_cli(const Operation &op, const std::optional<PlannedRun> &fault,
                     const StoreFiles &intended, const Settings &s, HandsetKind handset_kind) {
    RunRecord rec;
    Scratch scratch;
    const fs::path dir = scratch.path();
    const fs::path store = dir / "store";
    const fs::path pc = dir / "pc";
    const fs::path work = dir / "work";
    const fs::path link = dir / "ttyHS";
    lay_out_run(dir);
    rec.facts.before = read_store(store);
    rec.facts.intended = intended;

    auto handset = make_handset(handset_kind, dir, s, fault);
    std::string error;
    if (!handset->start(&error)) {
        rec.note = "handset: " + error;
        rec.facts.second_works = false;
        return rec;
    }

    testing::Child child(cli_plan(dir, s, link.string(), with_pc(op.args, pc), "run"));
    handset->watch(child.pid());
    const testing::ChildRun run = child.finish(s.deadline);
    handset->forget();
    rec.facts.ended = !run.hung;
    rec.facts.seconds = run.seconds;
    rec.facts.cpu_seconds = run.cpu_seconds;
    rec.facts.told = told_by(run, s);
    rec.facts.failure_named = testing::has(run.err, "zemlo-cli: ");
    handset->settle();
    rec.facts.after = read_store(store);
    rec.note = "exit " + std::to_string(run.status) + ": " + first_lines(run.err);
    rec.exchange = handset->exchange();
    if (op.lists && rec.facts.told == Told::Success) {
        rec.facts.shown_agrees =
            parse_json_listing(run.out) == listing_of(rec.facts.after, kCapacity);
    }
    rec.facts.left_behind = left_in(work);

    // A second command right after: it reconnects and shows what the handset has.
    handset->clear();
    testing::wait_until([&] { return fs::is_symlink(link); }, kLineBack);
    // A second command that fails is tried again (the sweep's short times let a loaded machine
    // miss one), which the note records; a state that is wrong fails every try.
    testing::ChildRun second = testing::run_child(
        cli_plan(dir, s, link.string(), {"list", "--json"}, "second"), s.deadline);
    for (int again = 1; again < kTries && second.status != 0 && !second.hung; ++again) {
        rec.note += " | second tried again after: " + first_lines(second.err);
        second = testing::run_child(cli_plan(dir, s, link.string(), {"list", "--json"}, "second"),
                                    s.deadline);
    }
    rec.facts.second_works = second.status == 0;
    const StoreFiles now = read_store(store);
    rec.facts.reconnect_agrees =
        second.status != 0 || parse_json_listing(second.out) == listing_of(now, kCapacity);
    if (!rec.facts.second_works) {
        rec.note +=
            " | second: exit " + std::to_string(second.status) + ": " + first_lines(second.err);
    }
    const auto left = left_in(work);
    rec.facts.left_behind.insert(rec.facts.left_behind.end(), left.begin(), left.end());
    handset->stop();
    return rec;
}

}  // namespace zemlo::sweep
