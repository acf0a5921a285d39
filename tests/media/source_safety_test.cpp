// Sources the user names by path that are not plain files: a named pipe without a writer (whose
// blocking open would hang the caller for ever) and a device. Each consumer must refuse them at
// once and write nothing. The same holds for a pipe named as the output of a conversion.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>

#include "graphic_text.h"
#include "handset_picture.h"
#include "melody_conversion.h"
#include "melody_midi_builder.h"
#include "midi_player.h"
#include "picture_decoder.h"
#include "picture_selection.h"
#include "picture_test_support.h"

namespace {

using namespace zemlo::media;
using zemlo::testing::TempFolder;

constexpr auto kPrompt = std::chrono::seconds(3);
constexpr const char *kDevice = "/dev/zero";  // would also never end if read to the end

// Runs the call on a thread; if it blocks on the pipe, a writer is opened to let it go, so the
// test fails rather than hangs. Returns the error text the call gave.
std::string refused_promptly(const std::string &fifo, std::function<std::string()> call) {
    auto result = std::async(std::launch::async, std::move(call));
    if (result.wait_for(kPrompt) != std::future_status::ready) {
        // A writer that comes and goes wakes the blocked open, and the read then sees the end.
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) {
            ::close(writer);
        }
        ADD_FAILURE() << "blocked on the pipe";
    }
    return result.get();
}

class SourceSafety : public ::testing::Test {
  protected:
    void SetUp() override {
        fifo_ = dir_.file("song.mid");
        ASSERT_EQ(::mkfifo(fifo_.c_str(), 0600), 0);
        work_ = dir_.file("work");
        std::filesystem::create_directory(work_);
        ::setenv("ZEMLO_WORK_DIR", work_.c_str(), 1);
    }
    void TearDown() override { ::unsetenv("ZEMLO_WORK_DIR"); }

    // Everything in the test folder but the pipe itself.
    size_t written() const {
        size_t n = 0;
        for (const auto &e : std::filesystem::recursive_directory_iterator(dir_.path())) {
            n += e.is_regular_file() ? 1 : 0;
        }
        return n;
    }

    TempFolder dir_;
    std::string fifo_;
    std::string work_;
};

TEST_F(SourceSafety, PicturesFromAPipeOrADeviceAreRefusedAtOnce) {
    for (const std::string &source : {fifo_, std::string(kDevice)}) {
        const std::string error =
            refused_promptly(fifo_, [&] { return decode_picture(source).error; });
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << source << ": " << error;

        PictureSelection selection({{}, work_});
        const std::string shown_error = refused_promptly(fifo_, [&] {
            return selection.show_picture(source) ? std::string() : selection.last_error();
        });
        EXPECT_NE(shown_error.find("not a regular file"), std::string::npos) << source;
        (void)selection.draw();  // nothing shown, so no capture
    }
    EXPECT_EQ(written(), 0u);
}

TEST_F(SourceSafety, MelodiesFromAPipeOrADeviceAreRefusedAtOnce) {
    const std::string output = dir_.file("tmp.dwn");
    for (const std::string &source : {fifo_, std::string(kDevice)}) {
        const std::string error = refused_promptly(fifo_, [&] {
            const MelodyConversion c = convert_melody_file(source, output);
            return c.written ? std::string() : c.error;
        });
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << source << ": " << error;
        EXPECT_NE(error.find(source), std::string::npos) << error;

        MidiPlayerOptions options;
        options.wav_output = dir_.file("out.wav");
        const std::string player_error = refused_promptly(fifo_, [&] {
            MidiPlayer player(options);
            return player.open(source) ? std::string() : player.last_error();
        });
        EXPECT_NE(player_error.find("not a regular file"), std::string::npos)
            << source << ": " << player_error;
    }
    EXPECT_EQ(written(), 0u);
}

TEST_F(SourceSafety, ConversionsRefuseAPipeAsTheirOutputAtOnce) {
    const std::string song = dir_.file("tune.mid");
    zemlo::testing::write_file(song, zemlo::media::testing::rich_midi_file(1, 1, 100));
    const std::string melody_error = refused_promptly(fifo_, [&] {
        const MelodyConversion c = convert_melody_file(song, fifo_);
        return c.written ? std::string() : c.error;
    });
    EXPECT_NE(melody_error.find("a named pipe"), std::string::npos) << melody_error;

    const std::vector<uint8_t> graphic = {1, 1, 4, 0, 5, 1, 2};
    const std::string text = dir_.file("tmp.el");
    const std::string converted =
        *zemlo::picmill::graphic_text(graphic.data(), graphic.size(), "QN_TEMP_EL_FILE");
    zemlo::testing::write_file(text, {converted.begin(), converted.end()});
    const std::string picture_error = refused_promptly(fifo_, [&] {
        std::string error;
        return convert_text_file(text, fifo_, &error) ? std::string() : error;
    });
    EXPECT_NE(picture_error.find("a named pipe"), std::string::npos) << picture_error;

    struct stat info {};
    ASSERT_EQ(::stat(fifo_.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));  // left as it was
}

}  // namespace
