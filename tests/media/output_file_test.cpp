// The files the conversions and the player write: a write that does not complete (a full disk,
// a full device, an interrupt, a writer dropped before its end) leaves no cut-off file, and
// removes only the regular file that was being written.
#include <gtest/gtest.h>
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

}  // namespace
}  // namespace zemlo::media
