// Each run's own folder: private, never shared, never written through a planted link, removed
// when the run ends however it ends, and removed by a later run only when provably over.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "work_folder_support.h"
#include "zemlo/run_folder.h"

namespace {

namespace fs = std::filesystem;
using zemlo::RunFolder;
using zemlo::testing::mode_of;
using zemlo::testing::Scratch;

std::string read_all(const fs::path &p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// The runs' own folder inside a work folder.
fs::path runs_of(const fs::path &work) {
    return work / "zemlo-runs";
}

size_t run_folders_in(const fs::path &work) {
    size_t n = 0;
    std::error_code ec;
    for (const auto &e : fs::directory_iterator(runs_of(work), ec)) {
        n += e.path().filename().string().rfind("run-", 0) == 0 && !e.is_symlink() ? 1 : 0;
    }
    return n;
}

// A child process that makes a run folder with a file in it, tells its path on the pipe, then
// does what `then` says. Returns the child's pid.
template <typename Then>
pid_t child_with_run(const fs::path &work, int tell_fd, Then then) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        {
            std::string error;
            auto run = RunFolder::create_in(work.string(), &error);
            if (!run || !run->make_empty_file("tmp.bmp", &error)) {
                ::_exit(2);
            }
            const std::string path = run->path() + "\n";
            if (::write(tell_fd, path.data(), path.size()) != static_cast<ssize_t>(path.size())) {
                ::_exit(3);
            }
            then();
        }  // the run ends: its folder goes
        ::_exit(0);
    }
    return pid;
}

std::string read_line(int fd) {
    std::string line;
    char c = 0;
    while (::read(fd, &c, 1) == 1 && c != '\n') {
        line += c;
    }
    return line;
}

TEST(RunFolder, PrivateNeverSharedAndGoneWithItsFiles) {
    Scratch s;
    const fs::path outside = s.path() / "victim.txt";
    std::ofstream(outside) << "keep";
    std::string path;
    {
        std::string error;
        auto run = RunFolder::create_in(s.path().string(), &error);
        ASSERT_TRUE(run) << error;
        auto other = RunFolder::create_in(s.path().string(), &error);
        ASSERT_TRUE(other) << error;
        EXPECT_NE(run->path(), other->path());
        path = run->path();
        EXPECT_EQ(fs::path(path).parent_path(), runs_of(s.path()));
        EXPECT_EQ(mode_of(runs_of(s.path())), 0700u);
        EXPECT_EQ(
            fs::path(path).filename().string().rfind("run-" + std::to_string(::getpid()) + "-", 0),
            0u);
        EXPECT_EQ(mode_of(path), 0700u);

        const int fd = run->create_file("tmp.dwn", &error);
        ASSERT_GE(fd, 0) << error;
        ::close(fd);
        EXPECT_EQ(mode_of(run->file("tmp.dwn")) & 077, 0u);
        // A name that exists is never reused, and a link in its place is never written through.
        EXPECT_LT(run->create_file("tmp.dwn", &error), 0);
        EXPECT_NE(error.find(run->file("tmp.dwn")), std::string::npos) << error;
        ASSERT_EQ(::symlink(outside.c_str(), run->file("tmp.el").c_str()), 0);
        EXPECT_FALSE(run->make_empty_file("tmp.el", &error));
        EXPECT_EQ(read_all(outside), "keep");
        ASSERT_EQ(::mkfifo(run->file("tmp.bmp").c_str(), 0600), 0);
        EXPECT_FALSE(run->make_empty_file("tmp.bmp", &error)) << "and a pipe does not hang it";
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(read_all(outside), "keep") << "the link was removed, not what it points to";
    EXPECT_EQ(run_folders_in(s.path()), 0u);
}

TEST(RunFolder, EndedRunsAreRemovedByTheNextRunLiveOnesAndLinksAreNot) {
    Scratch s;
    const fs::path work = s.path() / "work";
    ASSERT_EQ(::mkdir(work.c_str(), 0700), 0);
    int tell[2];
    int hold[2];
    ASSERT_EQ(::pipe(tell), 0);
    ASSERT_EQ(::pipe(hold), 0);

    // One run still running (until the hold pipe closes), one killed outright.
    const pid_t live = child_with_run(work, tell[1], [&] {
        ::close(hold[1]);
        char c = 0;
        while (::read(hold[0], &c, 1) > 0) {
        }
    });
    const std::string live_path = read_line(tell[0]);
    const pid_t killed = child_with_run(work, tell[1], [] { ::raise(SIGKILL); });
    const std::string killed_path = read_line(tell[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(killed, &status, 0), killed);
    ASSERT_TRUE(WIFSIGNALED(status));
    ::close(hold[0]);
    ASSERT_TRUE(fs::exists(killed_path));
    ASSERT_TRUE(fs::exists(fs::path(live_path) / "tmp.bmp"));

    // Planted: a link named like a run's folder, to a folder of the user's with a file in it.
    const fs::path elsewhere = s.path() / "elsewhere";
    fs::create_directory(elsewhere);
    std::ofstream(elsewhere / "tmp.bmp") << "keep";
    fs::create_directory_symlink(elsewhere, runs_of(work) / "run-1-planted");

    std::string error;
    {
        auto next = RunFolder::create_in(work.string(), &error);
        ASSERT_TRUE(next) << error;
        EXPECT_FALSE(fs::exists(killed_path)) << "the killed run's folder is left";
        EXPECT_TRUE(fs::exists(fs::path(live_path) / "tmp.bmp")) << "a live run's folder went";
        EXPECT_TRUE(fs::is_symlink(runs_of(work) / "run-1-planted"));
        EXPECT_EQ(read_all(elsewhere / "tmp.bmp"), "keep");
    }
    // The live run ends normally and removes its own folder.
    ::close(hold[1]);
    ASSERT_EQ(::waitpid(live, &status, 0), live);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(fs::exists(live_path));
    EXPECT_EQ(run_folders_in(work), 0u);
    ::close(tell[0]);
    ::close(tell[1]);
}

// Writes a file, making the folders above it.
void put(const fs::path &file, const std::string &text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

TEST(RunFolder, OnlyFoldersProvablyLeftByEndedRunsAreRemoved) {
    Scratch s;
    const fs::path work = s.path() / "work";
    const fs::path runs = runs_of(work);
    ASSERT_EQ(::mkdir(work.c_str(), 0700), 0);
    const fs::path victim = s.path() / "victim.txt";
    // Every file that must stay, with its text: the user's own in the work folder, one folder
    // named like a run, and an older version's run folder (without the marker).
    std::map<fs::path, std::string> kept = {
        {victim, "victim"},
        {work / "run-2024-report" / "results.csv", "important"},
        {work / "run-2024-report" / "sub" / "deep.txt", "deep"},
        {work / "run-1-abcdef" / "tmp.bmp", "an older version's"},
        // In the program's own folder, what looks like a run's folder but is not provably one:
        // no marker; the marker and a file no run makes; a link where a run's file goes; a name
        // that is not a run's.
        {runs / "run-7-abcdef" / "tmp.bmp", "no marker"},
        {runs / "run-8-abcdef" / "zemlo-run.lock", ""},
        {runs / "run-8-abcdef" / "tmp.bmp", "with a stranger"},
        {runs / "run-8-abcdef" / "mine.txt", "the stranger"},
        {runs / "run-9-abcdef" / "zemlo-run.lock", ""},
        {runs / "run-report" / "zemlo-run.lock", ""},
        {runs / "run-10-abcdefg" / "zemlo-run.lock", ""},
        {runs / "notes.txt", "mine"},
    };
    for (const auto &[path, text] : kept) {
        put(path, text);
    }
    ASSERT_EQ(::symlink(victim.c_str(), (runs / "run-9-abcdef" / "tmp.el").c_str()), 0);
    // Provably ended: the marker and the files a run makes, a staged output among them; and the
    // empty folder of a run killed before it made its marker.
    put(runs / "run-11-abcdef" / "zemlo-run.lock", "");
    put(runs / "run-11-abcdef" / "tmp.dwn", "sent");
    put(runs / "run-11-abcdef" / ".tmp.dwn.0123abcd.part", "half");
    ASSERT_EQ(::mkdir((runs / "run-12-abcdef").c_str(), 0700), 0);
    // Another user's, as only root can make it.
    put(runs / "run-13-abcdef" / "zemlo-run.lock", "");
    if (::chown((runs / "run-13-abcdef").c_str(), 65534, 65534) == 0) {
        kept[runs / "run-13-abcdef" / "zemlo-run.lock"] = "";
    } else {
        fs::remove_all(runs / "run-13-abcdef");
    }

    EXPECT_EQ(zemlo::remove_ended_run_folders(work.string()), 2u);
    EXPECT_FALSE(fs::exists(runs / "run-11-abcdef"));
    EXPECT_FALSE(fs::exists(runs / "run-12-abcdef"));
    for (const auto &[path, text] : kept) {
        EXPECT_EQ(read_all(path), text) << path;
    }
    EXPECT_TRUE(fs::is_symlink(runs / "run-9-abcdef" / "tmp.el"));

    // A run makes its folder beside them and takes it away again, touching nothing else.
    std::string error;
    std::string made;
    {
        auto run = RunFolder::create_in(work.string(), &error);
        ASSERT_TRUE(run) << error;
        made = run->path();
        EXPECT_TRUE(fs::is_regular_file(run->file("zemlo-run.lock"))) << "the marker comes first";
    }
    EXPECT_FALSE(fs::exists(made));
    for (const auto &[path, text] : kept) {
        EXPECT_EQ(read_all(path), text) << path;
    }
}

TEST(RunFolder, AFatalSignalRemovesTheLiveRunsFolderAndStillEndsTheProgram) {
    Scratch s;
    int tell[2];
    ASSERT_EQ(::pipe(tell), 0);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            zemlo::remove_run_folders_when_signalled();
            std::string error;
            auto run = RunFolder::create_in(s.path().string(), &error);
            if (!run || !run->make_empty_file("tmp.el", &error)) {
                ::_exit(2);
            }
            const std::string path = run->path() + "\n";
            if (::write(tell[1], path.data(), path.size()) != static_cast<ssize_t>(path.size())) {
                ::_exit(3);
            }
            ::raise(sig);
            ::_exit(0);
        }
        const std::string path = read_line(tell[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << strsignal(sig);
        EXPECT_FALSE(path.empty());
        EXPECT_FALSE(fs::exists(path)) << strsignal(sig);
    }
    ::close(tell[0]);
    ::close(tell[1]);
}

}  // namespace
