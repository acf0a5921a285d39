// zemlo-cli convert melody and play, run as the user runs them: exit statuses, what is printed
// and what is written.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "handset_melody.h"
#include "melody_test_files.h"
#include "midi_merger.h"

namespace zemlo::media {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;

class MelodyCliTest : public testing::MelodyFilesTest {
  protected:
    struct Run {
        int status;
        std::string out;
        std::string err;
    };
    Run cli(const std::string &args) const {
        const std::string out = (dir_ / "stdout").string();
        const std::string err = (dir_ / "stderr").string();
        const int raw =
            std::system((std::string(ZEMLO_CLI) + " " + args + " >" + out + " 2>" + err).c_str());
        const Bytes o = read(out), e = read(err);
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(o.begin(), o.end()),
                std::string(e.begin(), e.end())};
    }
};

TEST_F(MelodyCliTest, ConvertMelody) {
    const Bytes song = testing::rich_midi_file(5, 3, 300);
    const std::string in = write("song.mid", song);
    const std::string out = (dir_ / "song.dwn").string();

    Run r = cli("convert melody " + in + " " + out);
    EXPECT_EQ(r.status, 0) << r.err;
    MidiMerger merger;
    EXPECT_EQ(read(out), *handset_melody_from_intermediate(merger.merge(song).intermediate));
    EXPECT_NE(r.out.find("4 track(s) merged"), std::string::npos) << r.out;

    r = cli("convert melody " + write("text.mid", {'h', 'e', 'l', 'l', 'o'}) + " " +
            (dir_ / "text.dwn").string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not a standard MIDI file"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "text.dwn"));

    EXPECT_EQ(cli("convert melody " + in).status, 2);

    // A melody that ends early is written, with a warning that says where and why.
    testing::TrackBuilder t;
    t.event(0, {0x90, 0x3C, 0x40}).meta(10, 0x51, {1, 2, 3, 4}).end();
    r = cli("convert melody " + write("bad-tempo.mid", testing::midi_file(0, 96, {t})) + " " + out);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("byte 27 (a tempo event whose length is not 3)"), std::string::npos)
        << r.err;
}

TEST_F(MelodyCliTest, PlayRendersToWavAndPrintsTheLength) {
    testing::TrackBuilder t;
    t.tempo(0, 500000).event(0, {0x90, 60, 100}).event(1440, {0x80, 60, 0}).end();
    const std::string song = write("song.mid", testing::midi_file(0, 480, {t}));
    const std::string wav = (dir_ / "song.wav").string();

    Run r = cli("play " + song + " --wav " + wav);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "00:02\n");  // 1.5 s, rounded as the melody panel shows it
    EXPECT_GT(fs::file_size(wav), 44u + 44100u * 4u);

    r = cli("play " + write("text.mid", {'h', 'e', 'l', 'l', 'o'}) + " --wav " + wav);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not a MIDI file"), std::string::npos) << r.err;
    EXPECT_EQ(cli("play").status, 2);
}

}  // namespace
}  // namespace zemlo::media
