// zemlo-cli's temporary files, as other users and other runs could meet them: conversions at the
// same time, names planted in the work folder, work folders that are not private, and runs that
// end by a signal. Every child is waited for with a deadline, so a hang fails instead of sticking.
#include <fcntl.h>
#include <gtest/gtest.h>
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

    std::vector<std::string> run_folders() const {
        std::vector<std::string> out;
        for (const auto &e : fs::directory_iterator(work_)) {
            if (e.path().filename().string().rfind("run-", 0) == 0) {
                out.push_back(e.path().string());
            }
        }
        return out;
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
        EXPECT_TRUE(fs::is_empty(work_)) << "a run left its folder";
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
        ASSERT_GE(::inotify_add_watch(watch, work_.c_str(), IN_CREATE), 0);
        Child child = start(
            {"convert", "picture", file("big.bmp").string(), file("big.dwn").string()}, "big");
        const std::string folder = wait_for_run_folder(work_, watch);
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
        ASSERT_GE(::inotify_add_watch(watch, work_.c_str(), IN_CREATE), 0);
        Child child = start({device(), "download", file("sunset.bmp").string()}, "download");
        const std::string folder = wait_for_run_folder(work_, watch);
        ::close(watch);
        ASSERT_FALSE(folder.empty());
        for (int i = 0; i < signals; ++i) {
            // A signal still pending would swallow the next one: each is sent once the one
            // before has been taken.
            ASSERT_TRUE(wait_signal_taken(child.pid(), SIGTERM));
            child.kill(SIGTERM);
        }
        const ChildRun f = child.finish(kDeadline);
        if (signals == 2) {
            EXPECT_EQ(f.signal, SIGTERM) << "the second signal ends the program: " << f.err;
        } else {
            EXPECT_NE(f.status, 0) << f.err;
        }
        EXPECT_FALSE(fs::exists(folder)) << signals << " signal(s)";
        EXPECT_TRUE(run_folders().empty()) << signals << " signal(s)";
    }
}

}  // namespace
