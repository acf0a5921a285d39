// The files zemlo-cli's conversion and play commands write, run as the user runs them: standard
// output carries results only, a failed or interrupted write leaves no cut-off file, an output
// never overwrites the input or the other output, and paths stay the bytes the user gave.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "child_process.h"
#include "file_bytes.h"
#include "melody_midi_builder.h"
#include "sample_bitmap.h"
#include "wait_until.h"

namespace {

namespace fs = std::filesystem;
using zemlo::media::testing::Bytes;
using zemlo::media::testing::midi_file;
using zemlo::media::testing::TrackBuilder;
using namespace zemlo::testing;

// One note held for seconds (at 120 beats a minute, 480 ticks a beat).
Bytes held_note(uint32_t seconds) {
    TrackBuilder t;
    t.tempo(0, 500000).event(0, {0x90, 60, 100}).event(seconds * 960, {0x80, 60, 0}).end();
    return midi_file(0, 480, {t});
}

class CliOutputs : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zemlo-cli-out-XXXXXX";
        dir_ = ::mkdtemp(tmpl);
        fs::create_directories(dir_ / "work");
        bin_ = fs::read_symlink("/proc/self/exe").parent_path() / "zemlo-cli";
        write_file(dir_ / "a.bmp", ramp_bitmap(40, 30));
        write_file(dir_ / "song.mid", held_note(2));
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // Starts zemlo-cli in the test folder with its own work folder; with a file size limit the
    // writes past it fail as on a full disk.
    Child start(const std::vector<std::string> &args, std::optional<rlim_t> file_limit = {}) {
        ChildPlan plan;
        plan.argv = {bin_.string()};
        plan.argv.insert(plan.argv.end(), args.begin(), args.end());
        plan.env = {"ZEMLO_WORK_DIR=" + (dir_ / "work").string(), "QT_QPA_PLATFORM=offscreen",
                    "ZEMLO_AUDIO_WAV"};
        plan.dir = dir_;
        plan.out = dir_ / "stdout.txt";
        plan.err = dir_ / "stderr.txt";
        plan.file_limit = file_limit;
        return Child(std::move(plan));
    }

    ChildRun cli(const std::vector<std::string> &args, std::optional<rlim_t> file_limit = {}) {
        return start(args, file_limit).finish();
    }

    std::string path(const std::string &name) const { return (dir_ / name).string(); }

    fs::path dir_, bin_;
};

TEST_F(CliOutputs, ConverterDiagnosticsAreQuietOnSuccessAndShownOnStandardErrorWhenAsked) {
    // A success says nothing: the converter's line would break a progress line.
    ChildRun r = cli({"convert", "picture", path("a.bmp"), path("a.dwn")});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.out, "") << show(r);
    EXPECT_EQ(r.err, "") << show(r);
    EXPECT_EQ(fs::file_size(path("a.dwn")), 30748u);
    // --verbose shows it, on standard error: standard output is for results.
    r = cli({"convert", "picture", path("a.bmp"), path("b.dwn"), "--verbose"});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.out, "") << show(r);
    EXPECT_TRUE(has(r.err, "writing ")) << show(r);
    EXPECT_EQ(fs::file_size(path("b.dwn")), 30748u);
}

TEST_F(CliOutputs, FailedWritesExitOneAndLeaveNoCutOffFile) {
    // The preview on a full device: the handset file is written, the preview fails, and the
    // device named as the output is not removed.
    ChildRun r =
        cli({"convert", "picture", path("a.bmp"), path("a.dwn"), "--preview", "/dev/full"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "cannot write /dev/full")) << show(r);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));

    // The WAV on a full disk: 2 s of sound do not fit in 100000 bytes.
    r = cli({"play", path("song.mid"), "--wav", path("song.wav")}, 100000);
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "cannot write " + path("song.wav"))) << show(r);
    EXPECT_FALSE(fs::exists(path("song.wav")));

    // With room, the same command writes the whole WAV.
    r = cli({"play", path("song.mid"), "--wav", path("song.wav")});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(fs::file_size(path("song.wav")), 44u + 2u * 44100u * 4u);
}

TEST_F(CliOutputs, CtrlCWhileRenderingRemovesTheUnfinishedWav) {
    write_file(dir_ / "long.mid", held_note(600));
    const std::string wav = path("long.wav");
    Child child = start({"play", path("long.mid"), "--wav", wav});
    // The sound is written to a new hidden file beside long.wav that takes its name only once
    // complete: interrupted once the rendering has written sound after the header there.
    const auto staged = [&] {
        std::error_code ec;
        for (const auto &entry : fs::directory_iterator(dir_, ec)) {
            if (entry.path().filename().string().rfind(".long.wav.", 0) == 0) {
                return entry.path();
            }
        }
        return fs::path();
    };
    std::error_code ec;
    ASSERT_TRUE(wait_until(
        [&] {
            const fs::path p = staged();
            return !p.empty() && fs::file_size(p, ec) > 44 && !ec;
        },
        std::chrono::seconds(60)));
    child.kill(SIGINT);
    const ChildRun r = child.finish();
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "interrupted")) << show(r);
    EXPECT_FALSE(fs::exists(wav));
    EXPECT_TRUE(staged().empty());
}

TEST_F(CliOutputs, OutputsThatAreTheInputOrEachOtherAreRefused) {
    const std::string picture = read_file(dir_ / "a.bmp");
    const std::string melody = read_file(dir_ / "song.mid");
    fs::create_hard_link(dir_ / "a.bmp", dir_ / "same.bmp");
    fs::create_directories(dir_ / "sub");
    fs::create_directory_symlink(dir_ / "sub", dir_ / "link");
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"convert", "picture", "a.bmp", path("a.bmp")}, "is the input file"},
        {{"convert", "picture", "a.bmp", "same.bmp"}, "is the input file"},  // a hard link
        {{"convert", "picture", "a.bmp", "x.dwn", "--preview", "./sub/../a.bmp"},
         "is the input file"},
        // Neither output exists yet: the same path, spelled otherwise.
        {{"convert", "picture", "a.bmp", "sub/x.dwn", "--preview", "link/x.dwn"},
         "is the same file as OUT"},
        {{"convert", "picture", "a.bmp", "x.dwn", "--preview", ""}, "empty file name"},
        {{"convert", "melody", "song.mid", "./song.mid"}, "is the input file"},
        {{"play", "song.mid", "--wav", path("song.mid")}, "is the input file"},
        // An empty name would have played through the speaker.
        {{"play", "song.mid", "--wav", ""}, "--wav is an empty file name"},
    };
    for (const auto &c : cases) {
        const ChildRun r = cli(c.args);
        EXPECT_EQ(r.status, 2) << c.args.back() << "\n" << show(r);
        EXPECT_TRUE(has(r.err, c.says)) << c.says << "\n" << show(r);
    }
    EXPECT_EQ(read_file(dir_ / "a.bmp"), picture);
    EXPECT_EQ(read_file(dir_ / "song.mid"), melody);
    EXPECT_FALSE(fs::exists(dir_ / "sub" / "x.dwn"));
    EXPECT_FALSE(fs::exists(dir_ / "x.dwn"));
}

TEST_F(CliOutputs, LinksPlantedByAnotherUserInASharedFolderAreNeverWrittenThrough) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to plant links of another user";
    }
    // Another user's links in a folder open to all, as in /tmp: to the victim's file and to a
    // file that does not exist yet.
    const fs::path shared = dir_ / "shared";
    ASSERT_EQ(::mkdir(shared.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    write_file(dir_ / "precious", std::vector<uint8_t>{'m', 'i', 'n', 'e'});
    const auto plant = [&](const std::string &name, const fs::path &target) {
        const fs::path link = shared / name;
        EXPECT_EQ(::symlink(target.c_str(), link.c_str()), 0);
        EXPECT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
        return link.string();
    };
    const std::vector<std::vector<std::string>> commands = {
        {"convert", "picture", path("a.bmp"), plant("out.bmp", dir_ / "precious")},
        {"convert", "picture", path("a.bmp"), path("a.dwn"), "--preview",
         plant("out.png", dir_ / "precious")},
        {"convert", "melody", path("song.mid"), plant("out.dwn", dir_ / "precious")},
        {"play", path("song.mid"), "--wav", plant("out.wav", dir_ / "precious")},
        {"convert", "picture", path("a.bmp"), plant("out2.bmp", dir_ / "planted")},
    };
    for (const auto &c : commands) {
        const ChildRun r = cli(c);
        EXPECT_EQ(r.status, 1) << c.back() << "\n" << show(r);
        EXPECT_TRUE(has(r.err, "is a link of another user (uid 65534) in a folder open to all"))
            << show(r);
    }
    EXPECT_EQ(read_file(dir_ / "precious"), "mine");
    EXPECT_FALSE(fs::exists(dir_ / "planted"));
    for (const auto &e : fs::directory_iterator(shared)) {
        EXPECT_TRUE(e.is_symlink()) << e.path() << ": nothing but the planted links";
    }
}

// An output is written beside its file under a hidden name until complete. A signal that ends the
// program while the disk is still taking it (fsync held by a preloaded library) removes that file,
// and the earlier output stays as it was.
TEST_F(CliOutputs, ASignalWhileAnOutputIsWrittenLeavesNoStagedFileBehind) {
    const fs::path slow = bin_.parent_path() / "libzemlo_slow_fsync.so";
    ASSERT_TRUE(fs::exists(slow)) << slow;
    struct Case {
        std::vector<std::string> args;
        std::string staged;  // part of the staged file's name
        int sig;
    };
    const std::vector<Case> cases = {
        {{"convert", "picture", path("a.bmp"), path("out.bmp")}, "/.out.bmp.", SIGTERM},
        {{"convert", "melody", path("song.mid"), path("out.dwn")}, "/.out.dwn.", SIGHUP},
        {{"convert", "picture", path("a.bmp"), path("a.dwn"), "--preview", path("out.png")},
         "/.out.png.",
         SIGINT},
    };
    for (const char *name : {"out.bmp", "out.dwn", "out.png"}) {
        write_file(dir_ / name, std::vector<uint8_t>{'e', 'a', 'r', 'l', 'i', 'e', 'r'});
    }
    const fs::path note = dir_ / "work" / "fsync-note";
    // Preloaded into a sanitizer build too, which wants its own runtime first otherwise.
    const char *asan = std::getenv("ASAN_OPTIONS");
    const std::string asan_options =
        std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.staged);
        fs::remove(note);
        ChildPlan plan;
        plan.argv = {bin_.string()};
        plan.argv.insert(plan.argv.end(), c.args.begin(), c.args.end());
        plan.env = {"ZEMLO_WORK_DIR=" + (dir_ / "work").string(),
                    "QT_QPA_PLATFORM=offscreen",
                    "LD_PRELOAD=" + slow.string(),
                    "ZEMLO_SLOW_FSYNC_MATCH=" + c.staged,
                    "ZEMLO_SLOW_FSYNC_NOTE=" + note.string(),
                    "ASAN_OPTIONS=" + asan_options};
        plan.dir = dir_;
        plan.out = dir_ / "stdout.txt";
        plan.err = dir_ / "stderr.txt";
        Child child(std::move(plan));
        ASSERT_TRUE(wait_until([&] { return fs::exists(note); }, std::chrono::seconds(60)))
            << read_file(dir_ / "stderr.txt");
        const std::string staged = read_file(note);
        EXPECT_TRUE(fs::exists(staged)) << staged;
        child.kill(c.sig);
        const ChildRun r = child.finish();
        EXPECT_EQ(r.signal, c.sig) << show(r);
        EXPECT_FALSE(fs::exists(staged)) << staged;
    }
    for (const char *name : {"out.bmp", "out.dwn", "out.png"}) {
        EXPECT_EQ(read_file(dir_ / name), "earlier") << name;
    }
    for (const auto &e : fs::directory_iterator(dir_)) {
        EXPECT_EQ(e.path().filename().string().find(".part"), std::string::npos) << e.path();
    }
}

TEST_F(CliOutputs, NamesThatAreNotUtf8AreKeptAsTheBytesGiven) {
    const std::string in = path("bad\xff\xfe.bmp");
    const std::string out = path("out\xfe.dwn");
    const std::string png = path(
        "p\xff"
        "bad.png");
    fs::copy_file(dir_ / "a.bmp", in);
    ChildRun r = cli({"convert", "picture", in, out, "--preview", png});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(fs::file_size(out), 30748u);
    EXPECT_EQ(read_file(png).substr(1, 3), "PNG");
    size_t files = 0;
    for ([[maybe_unused]] const auto &e : fs::directory_iterator(dir_)) {
        ++files;
    }
    // a.bmp, song.mid, work, stdout.txt, stderr.txt and the three above: no file of another name.
    EXPECT_EQ(files, 8u);

    const std::string tune = path("tune\xff.mid");
    fs::copy_file(dir_ / "song.mid", tune);
    r = cli({"convert", "melody", tune, path("tune\xff.dwn")});
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(fs::exists(path("tune\xff.dwn")));
}

}  // namespace
