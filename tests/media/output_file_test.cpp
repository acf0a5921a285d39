// The files the conversions and the player write: a write that does not complete (a full disk,
// a full device, an interrupt, a writer dropped before its end) leaves no cut-off file, and
// removes only the regular file that was being written.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "disk_full_after.h"
#include "file_bytes.h"
#include "melody_test_files.h"
#include "output_file.h"
#include "wav_writer.h"

namespace zemlo::media {
namespace {

namespace fs = std::filesystem;
using zemlo::testing::DiskFullAfter;
using zemlo::testing::read_file;

// The names in the folder, so that a hidden file left behind shows.
std::vector<std::string> names_in(const fs::path &dir) {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class OutputFileTest : public testing::MelodyFilesTest {};

TEST_F(OutputFileTest, WholeOutputsThatDoNotFitAreRemovedButDevicesStay) {
    const std::vector<char> bytes(20000, 'x');
    const std::string out = (dir_ / "out.png").string();
    std::string error;
    {
        const DiskFullAfter full(8192);
        EXPECT_FALSE(write_output_file(out, bytes.data(), bytes.size(), &error));
    }
    EXPECT_NE(error.find("cannot write " + out), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(out));

    EXPECT_FALSE(write_output_file("/dev/full", bytes.data(), bytes.size(), &error));
    EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_character_file("/dev/full"));

    ASSERT_TRUE(write_output_file(out, bytes.data(), bytes.size(), &error)) << error;
    EXPECT_EQ(fs::file_size(out), bytes.size());
}

TEST_F(OutputFileTest, WavFilesThatAreNotFinishedAreRemoved) {
    const std::string path = (dir_ / "out.wav").string();
    const std::vector<int16_t> block(4096, 1000);
    std::string error;
    {
        // A full disk: the body is cut off.
        WavWriter wav;
        ASSERT_TRUE(wav.open(path, 44100, 2, &error)) << error;
        const DiskFullAfter full(6000);
        bool written = true;
        for (int i = 0; i < 4 && written; ++i) {
            written = wav.write(block.data(), block.size());
        }
        EXPECT_FALSE(written);
        EXPECT_FALSE(wav.finish(&error));
        EXPECT_NE(error.find("cannot write " + path), std::string::npos) << error;
        EXPECT_FALSE(fs::exists(path));
    }
    {
        // Dropped before its end: the header would say 0 data bytes.
        WavWriter wav;
        ASSERT_TRUE(wav.open(path, 44100, 2, &error)) << error;
        ASSERT_TRUE(wav.write(block.data(), block.size()));
    }
    EXPECT_FALSE(fs::exists(path));
    {
        WavWriter wav;
        EXPECT_TRUE(wav.open("/dev/full", 44100, 2, &error));  // held back by stdio
        wav.write(block.data(), block.size());
        EXPECT_FALSE(wav.finish(&error));
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
    // Abandoned (Ctrl-C), in a child process: it holds for every writer from then on.
    EXPECT_EXIT(
        {
            WavWriter wav;
            std::string why;
            const bool opened = wav.open(path, 44100, 2, &why);
            const bool first = wav.write(block.data(), block.size());
            abandon_wav_output();
            const bool second = wav.write(block.data(), block.size());
            const bool finished = wav.finish(&why);
            const bool ok = opened && first && !second && !finished &&
                            why.find("interrupted") != std::string::npos && !fs::exists(path);
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(OutputFileTest, AnEarlierFileOfTheNameSurvivesAWriteThatFails) {
    const fs::path out = dir_ / "kept.png";
    std::ofstream(out) << "earlier";
    fs::permissions(out, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const auto before = names_in(dir_);
    const std::vector<char> bytes(20000, 'x');
    std::string error;
    {
        const DiskFullAfter full(8192);
        EXPECT_FALSE(write_output_file(out.string(), bytes.data(), bytes.size(), &error));
    }
    EXPECT_EQ(read_file(out), "earlier");
    EXPECT_EQ(names_in(dir_), before);  // nothing half-written left beside it
    {
        // The same for a WAV file that is cut off, and for one dropped before its end.
        WavWriter wav;
        ASSERT_TRUE(wav.open(out.string(), 44100, 2, &error)) << error;
        const std::vector<int16_t> block(4096, 1000);
        const DiskFullAfter full(6000);
        while (wav.write(block.data(), block.size())) {
        }
        EXPECT_FALSE(wav.finish(&error));
    }
    {
        WavWriter wav;
        ASSERT_TRUE(wav.open(out.string(), 44100, 2, &error)) << error;
    }
    EXPECT_EQ(read_file(out), "earlier");
    EXPECT_EQ(names_in(dir_), before);

    // A complete write replaces it and keeps its permissions.
    ASSERT_TRUE(write_output_file(out.string(), bytes.data(), bytes.size(), &error)) << error;
    EXPECT_EQ(fs::file_size(out), bytes.size());
    EXPECT_EQ(fs::status(out).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(names_in(dir_), before);
}

TEST_F(OutputFileTest, ALinkIsWrittenThroughAndAFileWeMayNotWriteIsRefused) {
    const fs::path target = dir_ / "target.bin";
    const fs::path link = dir_ / "link.bin";
    std::ofstream(target) << "old";
    fs::create_symlink(target, link);
    std::string error;
    ASSERT_TRUE(write_output_file(link.string(), "new", 3, &error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read_file(target), "new");

    if (::geteuid() != 0) {  // root may write any file
        fs::permissions(target, fs::perms::owner_read);
        EXPECT_FALSE(write_output_file(target.string(), "xyz", 3, &error));
        EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
        EXPECT_EQ(read_file(target), "new");
    }
}

constexpr uid_t kOtherUser = 65534;  // nobody, and nogroup as the group

// A link at `link` to `target`, owned by `uid` (only root can give it away): false when it cannot.
bool link_of(const fs::path &target, const fs::path &link, uid_t uid) {
    return ::symlink(target.c_str(), link.c_str()) == 0 &&
           (uid == ::geteuid() || ::lchown(link.c_str(), uid, uid) == 0);
}

TEST_F(OutputFileTest, InAFolderOpenToAllOnlyTheUsersAndTheFolderOwnersLinksAreFollowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to plant links of another user";
    }
    // As /tmp: open to all with the sticky bit, root's.
    const fs::path shared = dir_ / "shared";
    ASSERT_EQ(::mkdir(shared.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const fs::path precious = dir_ / "precious";
    std::ofstream(precious) << "precious";
    std::string error;

    // Another user's links: to an existing file, to one that does not exist, and to a folder.
    ASSERT_TRUE(link_of(precious, shared / "out.bmp", kOtherUser));
    ASSERT_TRUE(link_of(dir_ / "planted", shared / "out2.bmp", kOtherUser));
    ASSERT_TRUE(link_of(dir_, shared / "folder", kOtherUser));
    for (const char *name : {"out.bmp", "out2.bmp", "folder/precious"}) {
        const std::string out = (shared / name).string();
        EXPECT_FALSE(write_output_file(out, "new", 3, &error)) << name;
        EXPECT_NE(error.find("is a link of another user (uid 65534) in a folder open to all"),
                  std::string::npos)
            << error;
        WavWriter wav;
        EXPECT_FALSE(wav.open(out, 44100, 2, &error)) << name;
    }
    EXPECT_EQ(read_file(precious), "precious");
    EXPECT_FALSE(fs::exists(dir_ / "planted"));

    // The user's own link there is followed to a file that exists, never to one that does not.
    ASSERT_TRUE(link_of(precious, shared / "mine.bmp", 0));
    ASSERT_TRUE(write_output_file((shared / "mine.bmp").string(), "new", 3, &error)) << error;
    EXPECT_EQ(read_file(precious), "new");
    ASSERT_TRUE(link_of(dir_ / "made", shared / "mine2.bmp", 0));
    EXPECT_FALSE(write_output_file((shared / "mine2.bmp").string(), "new", 3, &error));
    EXPECT_NE(error.find("to a file that does not exist; no file is made through it"),
              std::string::npos)
        << error;
    EXPECT_FALSE(fs::exists(dir_ / "made"));

    // In a shared folder of another user's, that user's links are as good as the folder.
    const fs::path theirs = dir_ / "theirs";
    ASSERT_EQ(::mkdir(theirs.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(theirs.c_str(), 01777), 0);
    ASSERT_EQ(::chown(theirs.c_str(), kOtherUser, kOtherUser), 0);
    ASSERT_TRUE(link_of(precious, theirs / "out.bmp", kOtherUser));
    EXPECT_TRUE(write_output_file((theirs / "out.bmp").string(), "abc", 3, &error)) << error;
    EXPECT_EQ(read_file(precious), "abc");
    EXPECT_EQ(names_in(shared),
              (std::vector<std::string>{"folder", "mine.bmp", "mine2.bmp", "out.bmp", "out2.bmp"}));
}

TEST_F(OutputFileTest, ReplacingAFileKeepsItsOwnerAndGroupOrLeavesItAsItWas) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to make a file of another user";
    }
    const fs::path out = dir_ / "a.bmp";
    std::ofstream(out) << "theirs";
    ASSERT_EQ(::chown(out.c_str(), kOtherUser, kOtherUser), 0);
    ASSERT_EQ(::chmod(out.c_str(), 0640), 0);
    std::string error;
    ASSERT_TRUE(write_output_file(out.string(), "converted", 9, &error)) << error;
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kOtherUser);
    EXPECT_EQ(st.st_gid, kOtherUser);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(read_file(out), "converted");

    // A user who may write another's file (here root's, open to all) in a folder open to them, but
    // cannot give a new file away: refused, and the earlier file is left as it was.
    const fs::path open = dir_ / "open";
    ASSERT_EQ(::mkdir(open.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    const fs::path roots = open / "b.bmp";
    std::ofstream(roots) << "root's";
    ASSERT_EQ(::chmod(roots.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::string why;
        const bool refused =
            ::setgid(kOtherUser) == 0 && ::setuid(kOtherUser) == 0 &&
            !write_output_file(roots.string(), "stolen", 6, &why) &&
            why.find("which a new file of this user cannot keep") != std::string::npos;
        std::_Exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(read_file(roots), "root's");
    ASSERT_EQ(::stat(roots.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(names_in(open), std::vector<std::string>{"b.bmp"});
}

}  // namespace
}  // namespace zemlo::media
