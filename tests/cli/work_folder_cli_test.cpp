// zemlo-cli's temporary files, as other users and other runs could meet them: conversions at the
// same time, names planted in the work folder, work folders that are not private, and runs that
// end by a signal. Every child is waited for with a deadline, so a hang fails instead of sticking.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <poll.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "file_bytes.h"
#include "handsim/emulator.h"
#include "sample_bitmap.h"
#include "wait_until.h"
#include "work_folder_support.h"
#include "zemlo/run_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using namespace zemlo::testing;

constexpr auto kDeadline = 120s;  // a sanitizer build is several times slower; a hang is longer

Bytes read_bytes(const fs::path &p) {
    const std::string text = read_file(p);
    return {text.begin(), text.end()};
}

// A 24-bit bitmap of w x h whose colours depend on the seed: each one converts differently.
Bytes bitmap(uint32_t w, uint32_t h, uint32_t seed) {
    return bitmap24(w, h, [seed](uint32_t x, uint32_t y) {
        return static_cast<uint8_t>(x * (seed + 3) + y * (seed * 5 + 1) + seed * 41);
    });
}

// A format-1 MIDI file of two tracks, its notes after the seed.
Bytes melody(uint8_t seed) {
    Bytes v{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 0x60};
    for (int t = 0; t < 2; ++t) {
        Bytes track;
        for (int i = 0; i < 8; ++i) {
            const auto note = static_cast<uint8_t>(48 + (seed * 7 + i * (t + 2)) % 36);
            for (uint8_t b : {uint8_t{0}, uint8_t{0x90}, note, uint8_t{0x60}, uint8_t{0x30},
                              uint8_t{0x80}, note, uint8_t{0x40}}) {
                track.push_back(b);
            }
        }
        for (uint8_t b : {0x00, 0xFF, 0x2F, 0x00}) {
            track.push_back(b);
        }
        for (char c : {'M', 'T', 'r', 'k'}) {
            v.push_back(static_cast<uint8_t>(c));
        }
        for (int i = 3; i >= 0; --i) {
            v.push_back(static_cast<uint8_t>(track.size() >> (8 * i)));
        }
        v.insert(v.end(), track.begin(), track.end());
    }
    return v;
}

void write_text(const fs::path &p, const std::string &text) {
    fs::create_directories(p.parent_path());
    write_file(p, std::vector<uint8_t>(text.begin(), text.end()));
}

// What a user keeps in a work folder, which the program must never remove: a folder named like a
// run's, with a file and a subfolder; an older version's run folder; a folder an older
// many-handsets runner left.
const std::map<std::string, std::string> kUsersFiles = {
    {"run-2024-report/results.csv", "important"},
    {"run-2024-report/sub/deep.txt", "deep"},
    {"run-1-abcdef/tmp.bmp", "an older version's"},
    {"handsets-abcdef/1/notes.txt", "an older runner's"},
};

void put_users_files(const fs::path &work) {
    for (const auto &[name, text] : kUsersFiles) {
        write_text(work / name, text);
    }
}

// The files that differ from what put_users_files() wrote, with what they hold now.
std::string users_files_changed(const fs::path &work) {
    std::string changed;
    for (const auto &[name, text] : kUsersFiles) {
        if (read_file(work / name) != text) {
            changed += name + " now holds \"" + read_file(work / name) + "\"\n";
        }
    }
    return changed;
}

// The folder a run killed outright leaves: the program's marker and a capture, nothing else.
fs::path put_ended_run(const fs::path &work) {
    const fs::path run = work / "zemlo-runs" / "run-5-abcdef";
    write_text(run / "zemlo-run.lock", "");
    write_text(run / "tmp.bmp", "capture");
    ::chmod((work / "zemlo-runs").c_str(), 0700);
    ::chmod(run.c_str(), 0700);
    return run;
}

class WorkFolderCli : public ::testing::Test {
  protected:
    void SetUp() override {
        work_ = s_.path() / "work";
        ASSERT_EQ(::mkdir(work_.c_str(), 0700), 0);
        bin_ = fs::read_symlink("/proc/self/exe").parent_path();
    }

    // Starts zemlo-cli with the arguments, the work folder named by `work` (or the test's).
    Child start(const std::vector<std::string> &args, const std::string &tag,
                const std::string &work = {}) {
        ChildPlan plan;
        plan.argv = {(bin_ / "zemlo-cli").string()};
        plan.argv.insert(plan.argv.end(), args.begin(), args.end());
        plan.env = {"ZEMLO_WORK_DIR=" + (work.empty() ? work_.string() : work),
                    "XDG_CONFIG_HOME=" + (s_.path() / "config").string(),
                    "QT_QPA_PLATFORM=offscreen"};
        plan.out = s_.path() / (tag + ".out");
        plan.err = s_.path() / (tag + ".err");
        return Child(std::move(plan));
    }

    ChildRun run(const std::vector<std::string> &args, const std::string &work = {}) {
        return start(args, "run", work).finish(kDeadline);
    }

    // The runs' own folder in the work folder, made as the program makes it when it is not there
    // yet, so that a test can watch it.
    fs::path runs() const {
        ::mkdir((work_ / "zemlo-runs").c_str(), 0700);
        return work_ / "zemlo-runs";
    }

    std::vector<std::string> run_folders() const {
        std::vector<std::string> out;
        for (const auto &e : fs::directory_iterator(runs())) {
            if (e.path().filename().string().rfind("run-", 0) == 0) {
                out.push_back(e.path().string());
            }
        }
        return out;
    }

    // Nothing left of the runs: the runs' folder is all there is, and it is empty.
    bool no_trace_of_runs() const {
        for (const auto &e : fs::directory_iterator(work_)) {
            if (e.path() != runs()) {
                return false;
            }
        }
        return fs::is_empty(runs());
    }

    fs::path file(const std::string &name) const { return s_.path() / name; }

    Scratch s_;
    fs::path work_;
    fs::path bin_;
};

TEST_F(WorkFolderCli, EightConversionsAtOnceGiveTheBytesOfTheSameConversionsOneByOne) {
    constexpr int kPictures = 8;
    constexpr int kRounds = 3;
    for (int i = 0; i < kPictures; ++i) {
        write_file(file("p" + std::to_string(i) + ".bmp"),
                   bitmap(30 + 13 * static_cast<uint32_t>(i), 20 + 7 * static_cast<uint32_t>(i),
                          static_cast<uint32_t>(i)));
        write_file(file("m" + std::to_string(i) + ".mid"), melody(static_cast<uint8_t>(i)));
    }
    std::vector<Bytes> pictures;
    std::vector<Bytes> melodies;
    for (int i = 0; i < kPictures; ++i) {
        const std::string n = std::to_string(i);
        const ChildRun p = run({"convert", "picture", file("p" + n + ".bmp").string(),
                                file("one-p" + n + ".dwn").string()});
        ASSERT_EQ(p.status, 0) << p.err;
        pictures.push_back(read_bytes(file("one-p" + n + ".dwn")));
        const ChildRun m = run({"convert", "melody", file("m" + n + ".mid").string(),
                                file("one-m" + n + ".dwn").string()});
        ASSERT_EQ(m.status, 0) << m.err;
        melodies.push_back(read_bytes(file("one-m" + n + ".dwn")));
    }
    for (int i = 1; i < kPictures; ++i) {
        ASSERT_NE(pictures[static_cast<size_t>(i)], pictures[0]) << "the pictures must differ";
    }

    for (int round = 0; round < kRounds; ++round) {
        std::vector<Child> children;
        for (int i = 0; i < kPictures; ++i) {
            const std::string n = std::to_string(i);
            children.push_back(start({"convert", "picture", file("p" + n + ".bmp").string(),
                                      file("at-once-p" + n + ".dwn").string()},
                                     "p" + n));
            children.push_back(start({"convert", "melody", file("m" + n + ".mid").string(),
                                      file("at-once-m" + n + ".dwn").string()},
                                     "m" + n));
        }
        for (Child &child : children) {
            const ChildRun f = child.finish(kDeadline);
            EXPECT_EQ(f.status, 0) << f.err;
        }
        for (int i = 0; i < kPictures; ++i) {
            const std::string n = std::to_string(i);
            EXPECT_EQ(read_bytes(file("at-once-p" + n + ".dwn")), pictures[static_cast<size_t>(i)])
                << "picture " << i << " in round " << round;
            EXPECT_EQ(read_bytes(file("at-once-m" + n + ".dwn")), melodies[static_cast<size_t>(i)])
                << "melody " << i << " in round " << round;
        }
        EXPECT_TRUE(no_trace_of_runs()) << "a run left its folder";
    }
}

TEST_F(WorkFolderCli, LinksAndPipesPlantedAsWorkFilesAreNeitherWrittenThroughNorWaitedOn) {
    write_file(file("a.bmp"), bitmap(40, 30, 1));
    write_file(file("a.mid"), melody(1));
    ASSERT_EQ(run({"convert", "picture", file("a.bmp").string(), file("ref.dwn").string()}).status,
              0);
    ASSERT_EQ(run({"convert", "melody", file("a.mid").string(), file("ref-m.dwn").string()}).status,
              0);
    const std::vector<std::string> names = {"tmp.bmp", "tmp.el", "tmp.dwn", "melody.dat",
                                            "melody.tmp"};
    const Bytes victim_bytes = {'m', 'i', 'n', 'e'};
    for (const bool pipes : {false, true}) {
        for (const auto &name : names) {
            const fs::path planted = work_ / name;
            const fs::path victim = file("victim-" + name);
            write_file(victim, victim_bytes);
            ::chmod(victim.c_str(), 0600);
            if (pipes) {
                ASSERT_EQ(::mkfifo(planted.c_str(), 0600), 0);
            } else {
                ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
            }
        }
        const ChildRun p =
            run({"convert", "picture", file("a.bmp").string(), file("out.dwn").string()});
        EXPECT_EQ(p.status, 0) << p.err;
        EXPECT_EQ(read_bytes(file("out.dwn")), read_bytes(file("ref.dwn")));
        const ChildRun m =
            run({"convert", "melody", file("a.mid").string(), file("out-m.dwn").string()});
        EXPECT_EQ(m.status, 0) << m.err;
        EXPECT_EQ(read_bytes(file("out-m.dwn")), read_bytes(file("ref-m.dwn")));
        for (const auto &name : names) {
            EXPECT_EQ(read_bytes(file("victim-" + name)), victim_bytes) << name;
            struct stat st {};
            ASSERT_EQ(::lstat((work_ / name).c_str(), &st), 0) << name << " was removed";
            EXPECT_TRUE(pipes ? S_ISFIFO(st.st_mode) : S_ISLNK(st.st_mode)) << name;
            fs::remove(work_ / name);
        }
        EXPECT_TRUE(run_folders().empty());
    }
}

TEST_F(WorkFolderCli, WorkFoldersOthersCouldTouchAreRefusedAndLeftAsTheyWere) {
    write_file(file("a.bmp"), bitmap(40, 30, 2));
    write_file(file("a.mid"), melody(2));
    // A link to a shared sticky folder, as ZEMLO_WORK_DIR=/tmp would be for root.
    const fs::path shared = file("shared");
    ASSERT_EQ(::mkdir(shared.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    ASSERT_EQ(::symlink(shared.c_str(), file("link").c_str()), 0);
    const fs::path open = file("open");
    ASSERT_EQ(::mkdir(open.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    struct Case {
        fs::path work;
        std::string says;
    };
    std::vector<Case> cases = {{file("link"), "is a symbolic link"},
                               {open, "can be written by other users (mode 0777)"},
                               {shared, "can be written by other users (mode 1777)"}};
    const fs::path theirs = file("theirs");
    ASSERT_EQ(::mkdir(theirs.c_str(), 0700), 0);
    if (::chown(theirs.c_str(), 65534, 65534) == 0) {  // only root can give a folder away
        cases.push_back({theirs, "belongs to another user"});
    }
    for (const auto &c : cases) {
        const unsigned mode_before = mode_of(c.work);
        for (const std::string kind : {"picture", "melody"}) {
            const std::string in = file(kind == "picture" ? "a.bmp" : "a.mid").string();
            const ChildRun f =
                run({"convert", kind, in, file("out.dwn").string()}, c.work.string());
            EXPECT_EQ(f.status, 1) << c.work << " " << f.err;
            EXPECT_NE(f.err.find(c.work.string()), std::string::npos) << f.err;
            EXPECT_NE(f.err.find(c.says), std::string::npos) << f.err;
            EXPECT_FALSE(fs::exists(file("out.dwn")));
        }
        EXPECT_EQ(mode_of(c.work), mode_before) << c.work;
    }
    EXPECT_EQ(mode_of(shared), 01777u);
    EXPECT_TRUE(fs::is_empty(shared));
}

TEST_F(WorkFolderCli, AUserFolderNamedLikeARunIsNeverEmptied) {
    // It was: every folder named "run-..." lost its files at the start of every run.
    write_file(file("a.bmp"), bitmap(40, 30, 8));
    put_users_files(work_);
    const fs::path ended = put_ended_run(work_);
    for (const std::string kind : {"picture", "melody", "picture"}) {
        write_file(file("a.mid"), melody(8));
        const std::string in = file(kind == "picture" ? "a.bmp" : "a.mid").string();
        const ChildRun r = run({"convert", kind, in, file("out.dwn").string()});
        EXPECT_EQ(r.status, 0) << r.err;
    }
    EXPECT_EQ(users_files_changed(work_), "");
    EXPECT_FALSE(fs::exists(ended)) << "the ended run's own folder is removed";
    EXPECT_TRUE(run_folders().empty());
}

// Runs zemlo-cli as another user (nobody), with the environment given; the reason in why_not()
// when that cannot be done here (not root, no setpriv, or no copy of the program that user can
// run). The checkout may lie in a folder only its owner may enter (/root): the program and the
// libraries it loads from its own folder are copied to the scratch folder, which that user can
// reach, and run from there.
class AsAnotherUser {
  public:
    AsAnotherUser(const fs::path &bin, const fs::path &scratch) {
        const passwd *pw = ::getpwnam("nobody");
        if (::geteuid() != 0 || pw == nullptr || ::access(kSetpriv, X_OK) != 0) {
            why_ = "needs root, the user nobody and " + std::string(kSetpriv);
            return;
        }
        uid_ = pw->pw_uid;
        gid_ = pw->pw_gid;
        const fs::path copy = scratch / "program";
        fs::create_directories(copy);
        for (const auto &e : fs::directory_iterator(bin)) {
            const std::string name = e.path().filename().string();
            if (e.is_regular_file() && (name == "zemlo-cli" || e.path().extension() == ".so")) {
                fs::copy_file(e.path(), copy / name);
            }
        }
        cli_ = copy / "zemlo-cli";
        if (run({"--help"}, {}, scratch / "as-nobody.out").status != 0) {
            why_ =
                "nobody cannot run " + cli_.string() + ": " + read_file(scratch / "as-nobody.out");
        }
    }

    const std::string &why_not() const { return why_; }
    uid_t uid() const { return uid_; }
    gid_t gid() const { return gid_; }

    ChildRun run(const std::vector<std::string> &args, const std::vector<std::string> &env,
                 const fs::path &out) const {
        ChildPlan plan;
        plan.argv = {kSetpriv, "--reuid=" + std::to_string(uid_), "--regid=" + std::to_string(gid_),
                     "--clear-groups", cli_.string()};
        plan.argv.insert(plan.argv.end(), args.begin(), args.end());
        plan.env = env;
        plan.env.insert(plan.env.end(), {"HOME=/nonexistent", "QT_QPA_PLATFORM=offscreen",
                                         "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"});
        plan.dir = "/";
        plan.out = out;
        return run_child(std::move(plan), kDeadline);
    }

  private:
    static constexpr const char *kSetpriv = "/usr/bin/setpriv";

    std::string why_;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    fs::path cli_;
};

TEST_F(WorkFolderCli, AnotherUsersRunsNeverTouchTheWorkFolderOfTheFirst) {
    // Open for others to look into: the first user's folders, and the picture for both.
    ASSERT_EQ(::chmod(s_.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(work_.c_str(), 0755), 0);
    const AsAnotherUser other(bin_, s_.path());
    if (!other.why_not().empty()) {
        GTEST_SKIP() << other.why_not();
    }
    write_file(file("a.bmp"), bitmap(40, 30, 9));
    ASSERT_EQ(::chmod(file("a.bmp").c_str(), 0644), 0);
    put_users_files(work_);
    const fs::path first_ended = put_ended_run(work_);

    // The other user's own work folder, of the same kinds of files, and a folder to write to.
    const fs::path theirs = file("theirs");
    const fs::path outputs = file("outputs");
    put_users_files(theirs);
    const fs::path their_ended = put_ended_run(theirs);
    fs::create_directories(outputs);
    for (const fs::path &p : {theirs, outputs}) {
        for (const auto &e : fs::recursive_directory_iterator(p)) {
            ASSERT_EQ(::lchown(e.path().c_str(), other.uid(), other.gid()), 0) << e.path();
        }
        ASSERT_EQ(::chown(p.c_str(), other.uid(), other.gid()), 0);
    }
    const std::string out = (outputs / "out.dwn").string();
    const std::vector<std::string> convert = {"convert", "picture", file("a.bmp").string(), out};

    // The other user against the first user's work folder: refused, nothing changed.
    ChildRun r = other.run(convert, {"ZEMLO_WORK_DIR=" + work_.string()}, file("other.out"));
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.out, "belongs to another user (uid 0)")) << show(r);
    EXPECT_EQ(users_files_changed(work_), "");
    EXPECT_TRUE(fs::exists(first_ended / "tmp.bmp")) << "not the other user's to remove";

    // In a folder of their own, their runs work, remove their own ended run, keep their files.
    r = other.run(convert, {"ZEMLO_WORK_DIR=" + theirs.string()}, file("other.out"));
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(fs::exists(out));
    EXPECT_EQ(users_files_changed(theirs), "");
    EXPECT_FALSE(fs::exists(their_ended));

    // And the first user against the other's folder: refused, nothing changed.
    put_ended_run(theirs);
    r = run(convert, theirs.string());
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(has(r.err, "belongs to another user")) << r.err;
    EXPECT_TRUE(fs::exists(their_ended / "tmp.bmp"));
    EXPECT_EQ(users_files_changed(theirs), "");
    EXPECT_EQ(users_files_changed(work_), "");
}

TEST_F(WorkFolderCli, ARunOnSeveralHandsetsKilledOutrightLeavesNothingForEver) {
    // It left its handsets-XXXXXX/1..N folders, which no later run removed.
    write_file(file("sunset.bmp"), bitmap(60, 50, 10));
    std::vector<std::unique_ptr<handsim::Emulator>> handsets;
    std::vector<std::string> args;
    for (const std::string n : {"1", "2"}) {
        handsim::EmulatorOptions o;
        o.link_path = file("tty" + n).string();
        o.store_dir = file("store" + n).string();
        o.baud = 19200;  // slow enough to be killed during the transfer
        fs::create_directories(file("store" + n) / "pic");
        fs::create_directories(file("store" + n) / "melody");
        handsets.push_back(std::make_unique<handsim::Emulator>(o));
        std::string error;
        ASSERT_TRUE(handsets.back()->start(&error)) << error;
        args.insert(args.end(), {"--device", o.link_path});
    }
    args.insert(args.end(), {"--deadline", "60", "download", file("sunset.bmp").string()});
    Child runner = start(args, "runner");
    ASSERT_TRUE(wait_until(
        [&] {
            for (const auto &h : handsets) {
                if (h->stats().messages_received < 8) {
                    return false;
                }
            }
            return true;
        },
        kDeadline));
    runner.kill(SIGKILL);
    runner.finish(kDeadline);
    // Its workers end on their own (by the broken pipe, or when done); then the next run removes
    // whatever they left, and nothing else is there.
    EXPECT_TRUE(wait_until(
        [&] {
            const ChildRun next =
                run({"convert", "picture", file("sunset.bmp").string(), file("n.dwn").string()});
            return next.status == 0 && no_trace_of_runs();
        },
        kDeadline));
    for (auto &h : handsets) {
        h->stop();
    }
}

// Waits until a run's folder appears in the work folder (inotify, bounded); its path or "".
std::string wait_for_run_folder(const fs::path &work, int inotify_fd) {
    const auto until = std::chrono::steady_clock::now() + kDeadline;
    alignas(struct inotify_event) char buffer[4096];
    while (std::chrono::steady_clock::now() < until) {
        pollfd p{inotify_fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) {
            continue;
        }
        const ssize_t n = ::read(inotify_fd, buffer, sizeof buffer);
        for (ssize_t at = 0; at < n;) {
            const auto *e = reinterpret_cast<const struct inotify_event *>(buffer + at);
            if (e->len > 0 && std::string(e->name).rfind("run-", 0) == 0) {
                return (work / e->name).string();
            }
            at += static_cast<ssize_t>(sizeof(struct inotify_event) + e->len);
        }
    }
    return {};
}

TEST_F(WorkFolderCli, AKilledRunsFolderIsRemovedByTheNextRunAndASignalledRunRemovesItsOwn) {
    // Large enough that decoding it keeps the run going while the test acts.
    write_file(file("big.bmp"), bitmap(2400, 2400, 3));
    write_file(file("a.bmp"), bitmap(40, 30, 4));
    // A live run of another process: never taken for one that is over.
    std::string error;
    const auto live = zemlo::RunFolder::create_in(work_.string(), &error);
    ASSERT_TRUE(live) << error;
    ASSERT_TRUE(live->make_empty_file("tmp.bmp", &error));

    for (const int sig : {SIGKILL, SIGTERM, SIGINT, SIGHUP}) {
        const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        ASSERT_GE(watch, 0);
        ASSERT_GE(::inotify_add_watch(watch, runs().c_str(), IN_CREATE), 0);
        Child child = start(
            {"convert", "picture", file("big.bmp").string(), file("big.dwn").string()}, "big");
        const std::string folder = wait_for_run_folder(runs(), watch);
        ::close(watch);
        ASSERT_FALSE(folder.empty());
        child.kill(sig);
        const ChildRun f = child.finish(kDeadline);
        if (f.signal != sig) {
            // The conversion was quicker than the signal: nothing to see this time.
            std::printf("the run ended before %s\n", strsignal(sig));
            EXPECT_EQ(f.status, 0) << f.err;
            EXPECT_FALSE(fs::exists(folder));
            continue;
        }
        if (sig == SIGKILL) {
            EXPECT_TRUE(fs::exists(folder)) << "nothing can remove it at once";
            const ChildRun next =
                run({"convert", "picture", file("a.bmp").string(), file("a.dwn").string()});
            EXPECT_EQ(next.status, 0) << next.err;
        }
        EXPECT_FALSE(fs::exists(folder)) << strsignal(sig);
        EXPECT_TRUE(fs::exists(live->file("tmp.bmp"))) << strsignal(sig);
    }
    EXPECT_EQ(run_folders(), std::vector<std::string>{live->path()});
}

// The handset emulator for a download while other processes convert.
class WorkFolderDownload : public WorkFolderCli {
  protected:
    void TearDown() override {
        if (sim_) {
            sim_->stop();
        }
    }
    void start_handset() {
        fs::create_directories(store() / "pic");
        fs::create_directories(store() / "melody");
        handsim::EmulatorOptions o;
        o.link_path = file("ttyHS").string();
        o.store_dir = store().string();
        o.restart_quiet = 300ms;
        sim_ = std::make_unique<handsim::Emulator>(o);
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;
    }
    fs::path store() const { return file("store"); }
    std::string device() const { return "--device=" + file("ttyHS").string(); }

    std::unique_ptr<handsim::Emulator> sim_;
};

TEST_F(WorkFolderDownload, ADownloadWhileOtherProcessesConvert) {
    start_handset();
    const fs::path store = this->store();

    write_file(file("sunset.bmp"), bitmap(60, 50, 5));
    write_file(file("other.bmp"), bitmap(70, 40, 6));
    ASSERT_EQ(
        run({"convert", "picture", file("sunset.bmp").string(), file("ref.dwn").string()}).status,
        0);
    ASSERT_EQ(
        run({"convert", "picture", file("other.bmp").string(), file("ref-o.dwn").string()}).status,
        0);

    Child download = start({device(), "download", file("sunset.bmp").string()}, "download");
    // Conversions one after the other, each overlapping the download, until it is over.
    int converted = 0;
    ChildRun done;
    while (!download.ended(&done)) {
        const ChildRun f =
            run({"convert", "picture", file("other.bmp").string(), file("o.dwn").string()});
        EXPECT_EQ(f.status, 0) << f.err;
        EXPECT_EQ(read_bytes(file("o.dwn")), read_bytes(file("ref-o.dwn")));
        ++converted;
        ASSERT_LT(converted, 2000) << "the download did not end";
    }
    EXPECT_EQ(done.status, 0) << read_file(file("download.err"));
    EXPECT_GE(converted, 1);
    EXPECT_EQ(read_bytes(store / "pic" / "sunset.bmp"), read_bytes(file("ref.dwn")));
    EXPECT_TRUE(run_folders().empty());
}

// Whether the signal is pending for the process, from /proc/PID/status (SigPnd and ShdPnd).
bool signal_pending(pid_t pid, int sig) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigPnd:", 0) == 0 || line.rfind("ShdPnd:", 0) == 0) {
            const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
            if ((mask >> (sig - 1)) & 1u) {
                return true;
            }
        }
    }
    return false;
}

bool wait_signal_taken(pid_t pid, int sig) {
    return wait_until([&] { return !signal_pending(pid, sig); }, kDeadline);
}

TEST_F(WorkFolderDownload, ADownloadEndedByOneOrTwoSignalsLeavesNoFolder) {
    start_handset();
    write_file(file("sunset.bmp"), bitmap(60, 50, 7));
    // One SIGTERM cancels the download as Ctrl-C does; a second one ends the program at once.
    for (const int signals : {1, 2}) {
        const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        ASSERT_GE(watch, 0);
        ASSERT_GE(::inotify_add_watch(watch, runs().c_str(), IN_CREATE), 0);
        Child child = start({device(), "download", file("sunset.bmp").string()}, "download");
        const std::string folder = wait_for_run_folder(runs(), watch);
        ::close(watch);
        ASSERT_FALSE(folder.empty());
        for (int i = 0; i < signals; ++i) {
            // A signal still pending would swallow the next one: each is sent once the one
            // before has been taken.
            ASSERT_TRUE(wait_signal_taken(child.pid(), SIGTERM));
            child.kill(SIGTERM);
        }
        const ChildRun f = child.finish(kDeadline);
        if (signals == 2 && f.signal != SIGTERM) {
            // The first signal's cancel may end the program before the second one comes (on a
            // loaded machine, or where a sanitizer's runtime holds signals back and merges two
            // of a kind); then it must have ended as cancelled.
            EXPECT_NE(f.status, 0) << f.err;
            EXPECT_NE(f.err.find("已中断"), std::string::npos) << f.err;
        } else if (signals == 1) {
            EXPECT_NE(f.status, 0) << f.err;
        }
        EXPECT_FALSE(fs::exists(folder)) << signals << " signal(s)";
        EXPECT_TRUE(run_folders().empty()) << signals << " signal(s)";
    }
}

}  // namespace
