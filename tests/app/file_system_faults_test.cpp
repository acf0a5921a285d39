// The file system failing under the program: a disk that is full when the converted file is
// written, and a work folder that cannot be used. Each ends with a reason and leaves nothing
// half-written behind; nothing is sent to the handset for a file that was never made.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>

#include "core_rig.h"
#include "disk_full_after.h"
#include "graphic_text.h"
#include "handset_picture.h"
#include "melody_conversion.h"
#include "picture_capture.h"

namespace zemlo::app {
namespace {

using namespace std::chrono_literals;
using testing::CoreRig;
namespace fs = std::filesystem;
using zemlo::testing::DiskFullAfter;

constexpr auto kBound = 30s;

constexpr rlim_t kRoomLeft = 4;

// One track: a note on, a note off a beat later, the end of the track.
std::vector<uint8_t> small_midi() {
    return {'M',  'T',  'h',  'd',  0,    0,    0,    6,    0,    0,   0,    1,
            0,    96,   'M',  'T',  'r',  'k',  0,    0,    0,    12,  0x00, 0x90,
            0x3C, 0x40, 0x60, 0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00};
}

std::vector<fs::path> files_in(const fs::path &dir) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        out.push_back(it->path());
    }
    return out;
}

class FileSystemFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        source_ = rig_.pc() / "tune.mid";
        CoreRig::write_file(source_, small_midi());
        fs::create_directories(rig_.work());
    }

    CoreRig rig_;
    fs::path source_;
};

TEST_F(FileSystemFaults, MelodyWrittenToAFullDiskFailsAndLeavesNoWorkFiles) {
    const fs::path out = rig_.work() / "tmp.dwn";
    media::MelodyConversion c;
    {
        DiskFullAfter full(kRoomLeft);
        c = media::convert_melody_file(source_.string(), out.string());
    }
    EXPECT_FALSE(c.written);
    EXPECT_NE(c.error.find("cannot write"), std::string::npos) << c.error;
    EXPECT_FALSE(fs::exists(out)) << "the cut-off output is left behind";
    for (const auto &p : files_in(rig_.work())) {
        EXPECT_EQ(p.filename().string().rfind("melody-", 0), std::string::npos) << p;
    }
    EXPECT_EQ(CoreRig::read_file(source_), small_midi());

    // With room again the same conversion goes through.
    EXPECT_TRUE(media::convert_melody_file(source_.string(), out.string()).written);
}

TEST_F(FileSystemFaults, PictureFilesWrittenToAFullDiskFail) {
    const fs::path text = rig_.work() / "tmp.el";
    const std::vector<uint8_t> graphic = {1, 2, 4, 0, 5, 1, 2, 3, 4};
    const auto converter_text =
        picmill::graphic_text(graphic.data(), graphic.size(), "QN_TEMP_EL_FILE");
    ASSERT_TRUE(converter_text);
    CoreRig::write_file(text, std::vector<uint8_t>(converter_text->begin(), converter_text->end()));
    const fs::path out = rig_.work() / "tmp.dwn";
    std::string error;
    bool converted = true;
    {
        DiskFullAfter full(kRoomLeft);
        converted = media::convert_text_file(text.string(), out.string(), &error);
    }
    EXPECT_FALSE(converted);
    // With the reason: it said no more than "cannot write PATH".
    EXPECT_NE(error.find("cannot write " + out.string() + ": File too large"), std::string::npos)
        << error;
    EXPECT_FALSE(fs::exists(out)) << "the cut-off output is left behind";

    EXPECT_TRUE(media::convert_text_file(text.string(), out.string(), &error)) << error;

    // A device named as the output is not the program's to remove when the write fails.
    EXPECT_FALSE(media::convert_text_file(text.string(), "/dev/full", &error));
    EXPECT_NE(error.find("cannot write /dev/full: No space left on device"), std::string::npos)
        << error;
    EXPECT_TRUE(fs::exists("/dev/full"));

    // The capture that feeds the converter, likewise.
    const fs::path capture = rig_.work() / "tmp.bmp";
    const QImage area(122, 126, QImage::Format_RGB32);
    bool captured = true;
    {
        DiskFullAfter full(kRoomLeft);
        captured = media::write_capture(area, capture.string(), &error);
    }
    EXPECT_FALSE(captured);
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(capture)) << "the cut-off capture is left behind";
}

TEST_F(FileSystemFaults, UnusableWorkFolderRefusesTheConversionWithItsReason) {
    // A work folder below a plain file cannot be created, whoever runs the program.
    const fs::path blocker = rig_.work() / "plain";
    CoreRig::write_file(blocker, {1});
    ::setenv("ZEMLO_WORK_DIR", (blocker / "zemlo").c_str(), 1);
    const fs::path out = rig_.work() / "out.dwn";
    const auto c = media::convert_melody_file(source_.string(), out.string());
    ::setenv("ZEMLO_WORK_DIR", rig_.work().c_str(), 1);
    EXPECT_FALSE(c.written);
    EXPECT_FALSE(c.error.empty());
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(CoreRig::read_file(source_), small_midi());
}

TEST_F(FileSystemFaults, DownloadWithAnUnusableWorkFolderTellsTheUserAndSendsNothing) {
    std::string error;
    ASSERT_TRUE(rig_.start_handset(&error)) << error;
    ASSERT_TRUE(rig_.start_core());
    ASSERT_TRUE(rig_.connect(kBound)) << rig_.dump();
    const fs::path blocker = rig_.work() / "plain";
    CoreRig::write_file(blocker, {1});
    ::setenv("ZEMLO_WORK_DIR", (blocker / "zemlo").c_str(), 1);
    rig_.ui().set_converted({1, 2, 3});
    rig_.choose_pc_file("tune.mid", FileType::Melody, "tune");
    rig_.ui().clear_log();
    rig_.clear_sim_log();
    rig_.ui().answer({BoxAnswer::Ok});
    const bool ended = rig_.run([](MainCore &c) { c.download_command(); }, kBound);
    ::setenv("ZEMLO_WORK_DIR", rig_.work().c_str(), 1);
    ASSERT_TRUE(ended) << rig_.dump();
    const auto boxes = rig_.ui().lines("box 确认 error ");
    ASSERT_EQ(boxes.size(), 1u) << rig_.dump();
    EXPECT_EQ(boxes[0].rfind("box 确认 error 打开文件: ", 0), 0u) << boxes[0];
    EXPECT_NE(boxes[0].find("plain"), std::string::npos) << boxes[0];
    EXPECT_FALSE(rig_.sim_saw("command announce"));
    // The connection is untouched.
    EXPECT_TRUE(rig_.values().connected.load());
    EXPECT_EQ(rig_.ui().lines("buttons").back(), "buttons 11111");
}

TEST_F(FileSystemFaults, PipesAndDevicesAreNotOfferedAsFiles) {
    // Opening either would block the panel, or read for ever.
    ASSERT_EQ(::mkfifo((rig_.pc() / "pipe.mid").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", rig_.pc() / "zero.mid");
    fs::create_symlink(source_, rig_.pc() / "linked.mid");
    ASSERT_TRUE(rig_.start_core());
    rig_.ui().clear_log();
    rig_.on_window([&] {
        rig_.core().file_type_changed(FileType::Melody);
        rig_.core().pc_folder_selected(rig_.pc().string());
    });
    const auto listed = rig_.ui().lines("pcfiles");
    ASSERT_FALSE(listed.empty());
    const std::string &last = listed.back();
    EXPECT_NE(last.find(" tune.mid"), std::string::npos) << last;
    EXPECT_NE(last.find(" linked.mid"), std::string::npos) << last;
    EXPECT_EQ(last.find("pipe.mid"), std::string::npos) << last;
    EXPECT_EQ(last.find("zero.mid"), std::string::npos) << last;
}

}  // namespace
}  // namespace zemlo::app
