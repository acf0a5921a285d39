// zemlo-cli convert melody and play, run as the user runs them: exit statuses, what is printed
// and what is written.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
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
    // language: what ZEMLO_LANG says for this run (the tests' own is Chinese).
    // env: more NAME=value settings before the program, each followed by a space.
    Run cli(const std::string &args, const std::string &language = "zh",
            const std::string &env = "") const {
        const std::string out = (dir_ / "stdout").string();
        const std::string err = (dir_ / "stderr").string();
        const int raw = std::system((env + "ZEMLO_LANG=" + language + " " + std::string(ZEMLO_CLI) +
                                     " " + args + " >" + out + " 2>" + err)
                                        .c_str());
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
    EXPECT_EQ(r.out, out + "：" + std::to_string(fs::file_size(out)) + "字节，合并了4个音轨\n");
    r = cli("convert melody " + in + " " + out, "en");
    EXPECT_EQ(r.out,
              out + ": " + std::to_string(fs::file_size(out)) + " bytes, 4 track(s) merged\n");

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
    EXPECT_NE(
        r.err.find(
            "zemlo-cli: 警告：" + dir_.string() +
            "/bad-tempo.mid：旋律在第27字节提前结束（长度不是3的速度事件）；之前的事件都保留\n"),
        std::string::npos)
        << r.err;
    r = cli("convert melody " + (dir_ / "bad-tempo.mid").string() + " " + out, "en");
    EXPECT_NE(r.err.find("zemlo-cli: warning: " + dir_.string() +
                         "/bad-tempo.mid: the melody ends early at byte 27 (a tempo event whose "
                         "length is not 3); the events before it are kept\n"),
              std::string::npos)
        << r.err;
}

TEST_F(MelodyCliTest, ConvertMelodyWarnsOfTheLimitCutsToItAndRefusesSilence) {
    const std::string in = write("long.mid", testing::long_song(9000));
    const std::string out = (dir_ / "long.dwn").string();

    // Over the limit: written as converted, with a warning naming the limit and the way out.
    Run r = cli("convert melody " + in + " " + out);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_GT(fs::file_size(out), 51200u);
    EXPECT_NE(r.err.find("超过手机51200字节（50K）的上限"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--fit"), std::string::npos) << r.err;
    r = cli("convert melody " + in + " " + out, "en");
    EXPECT_NE(r.err.find("over the handset's 51200 (50K); --fit cuts it"), std::string::npos)
        << r.err;

    // --fit: within the limit, and how much of the song is left. 9000 notes of half a second,
    // 9 bytes each after a 7-byte tempo: 5685 whole notes and the stroke of the next, released
    // at once, fill the 51200 bytes exactly.
    r = cli("convert melody --fit " + in + " " + out);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fs::file_size(out), 51200u);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("旋律已截短到51200字节以内：保留2842.5秒，原长4500.0秒"),
              std::string::npos)
        << r.out;
    r = cli("convert melody " + in + " " + out + " --fit", "en");
    EXPECT_NE(r.out.find("Melody cut to fit within 51200 bytes: 2842.5 s kept of 4500.0 s"),
              std::string::npos)
        << r.out;

    // A first track without its end-of-track merges to no notes at all: refused, nothing
    // written, in either language.
    testing::TrackBuilder open_track;
    open_track.event(0, {0x90, 60, 100}).event(480, {0x80, 60, 0});
    const std::string noend = write("noend.mid", testing::midi_file(0, 480, {open_track}));
    const std::string silent = (dir_ / "noend.dwn").string();
    r = cli("convert melody " + noend + " " + silent);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("转换后的旋律没有任何音符"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(silent));
    r = cli("convert melody " + noend + " " + silent, "en");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("the melody has no notes"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(silent));
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

    // An input that is not there is a usage error, as for download, in every command.
    for (const std::string &command :
         {"play " + (dir_ / "nothere.mid").string() + " --wav " + wav,
          "convert melody " + (dir_ / "nothere.mid").string() + " " + (dir_ / "x.dwn").string(),
          "convert picture " + (dir_ / "nothere.jpg").string() + " " + (dir_ / "x.dwn").string()}) {
        r = cli(command);
        EXPECT_EQ(r.status, 2) << command << "\n" << r.err;
        EXPECT_NE(r.err.find("nothere"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("用法：zemlo-cli"), std::string::npos) << r.err;
    }
}

TEST_F(MelodyCliTest, PlayWithoutASoundDeviceSuggestsAFileAndKeepsTheNoiseOff) {
    testing::TrackBuilder t;
    t.tempo(0, 500000).event(0, {0x90, 60, 100}).event(480, {0x80, 60, 0}).end();
    const std::string song = write("short.mid", testing::midi_file(0, 480, {t}));
    // No sound server to reach and no card to fall back on, as in a container.
    const Run r = cli(
        "play " + song, "zh",
        "XDG_RUNTIME_DIR=/nonexistent PULSE_SERVER=/nonexistent ALSA_CONFIG_PATH=/nonexistent ");
    if (r.status == 0) {
        GTEST_SKIP() << "this machine plays sound";
    }
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("no audio output could be opened"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--wav OUT.wav"), std::string::npos) << r.err;
    // Our lines only: each starts with the program's name or is the hint under it.
    EXPECT_EQ(r.err.rfind("zemlo-cli: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
}

}  // namespace
}  // namespace zemlo::media
