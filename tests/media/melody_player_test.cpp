// The player renders into a WAV file (never the real audio output here): length and position in
// milliseconds from the file's ticks and tempo map, audible samples, readable errors.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "melody_test_files.h"
#include "midi_player.h"
#include "midi_reader.h"
#include "midi_tempo_map.h"
#include "wav_writer.h"
#include "zemlo/byte_order.h"

namespace zemlo::media {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::TrackBuilder;

class MidiPlayerTest : public testing::MelodyFilesTest {
  protected:
    void SetUp() override {
        MelodyFilesTest::SetUp();
        options_.wav_output = (dir_ / "out.wav").string();
    }

    MidiPlayerOptions options_;
};

// One second of a held note at 120 bpm, then the tempo doubles for the second half: 1.5 s.
Bytes one_and_a_half_seconds() {
    TrackBuilder conductor, piano;
    conductor.tempo(0, 500000).tempo(960, 250000).end(960);
    piano.event(0, {0xC0, 0x00}).event(0, {0x90, 60, 100}).event(960, {0x80, 60, 0}).end();
    return testing::midi_file(1, 480, {conductor, piano});
}

TEST_F(MidiPlayerTest, RendersTheWholeMelodyIntoAnAudibleWav) {
    MidiPlayer player(options_);
    ASSERT_TRUE(player.open(write("song.mid", one_and_a_half_seconds()))) << player.last_error();
    EXPECT_EQ(player.length_ms(), 1500u);
    EXPECT_EQ(player.position_ms(), 0u);

    ASSERT_TRUE(player.play()) << player.last_error();
    EXPECT_FALSE(player.playing());
    EXPECT_EQ(player.position_ms(), 1500u);

    std::ifstream in(options_.wav_output, std::ios::binary);
    const Bytes wav((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    constexpr size_t kFrames = 44100 * 3 / 2;
    ASSERT_EQ(wav.size(), kWavHeaderBytes + kFrames * 4);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(read_le32(wav.data() + 4), 36 + kFrames * 4);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(read_le16(wav.data() + 22), 2);       // stereo
    EXPECT_EQ(read_le32(wav.data() + 24), 44100u);  // frames a second
    EXPECT_EQ(read_le16(wav.data() + 34), 16);      // bits a sample
    EXPECT_EQ(read_le32(wav.data() + 40), kFrames * 4);
    int peak = 0;
    for (size_t i = kWavHeaderBytes; i + 1 < wav.size(); i += 2) {
        const auto sample = static_cast<int16_t>(wav[i] | (wav[i + 1] << 8));
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    }
    EXPECT_GT(peak, 1000);

    // Rewound, it plays again from the start.
    EXPECT_TRUE(player.stop());
    EXPECT_TRUE(player.seek_to_start());
    EXPECT_EQ(player.position_ms(), 0u);
    EXPECT_TRUE(player.play());
    EXPECT_EQ(player.position_ms(), 1500u);
    player.close();
    EXPECT_FALSE(player.is_open());
    EXPECT_EQ(player.length_ms(), 0u);
}

int peak_after_header(const std::string &wav_path, size_t *frames) {
    std::ifstream in(wav_path, std::ios::binary);
    const Bytes wav((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    *frames = wav.size() < kWavHeaderBytes ? 0 : (wav.size() - kWavHeaderBytes) / 4;
    int peak = 0;
    for (size_t i = kWavHeaderBytes; i + 1 < wav.size(); i += 2) {
        const auto sample = static_cast<int16_t>(wav[i] | (wav[i + 1] << 8));
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    }
    return peak;
}

TEST_F(MidiPlayerTest, SeekPlaysOnFromThePositionWithoutTheNotesSkippedOver) {
    // A half-second note at the start, then a second of silence.
    TrackBuilder t;
    t.tempo(0, 500000).event(0, {0xC0, 0x00}).event(0, {0x90, 60, 100});
    t.event(480, {0x80, 60, 0}).end(960);
    MidiPlayer player(options_);
    ASSERT_TRUE(player.open(write("short.mid", testing::midi_file(0, 480, {t}))));
    ASSERT_EQ(player.length_ms(), 1500u);

    // Into the held note: the rest is rendered, and the note begun before does not sound (the
    // skipped notes are not played all at once).
    ASSERT_TRUE(player.seek(250));
    EXPECT_EQ(player.position_ms(), 250u);
    ASSERT_TRUE(player.play()) << player.last_error();
    EXPECT_EQ(player.position_ms(), 1500u);
    size_t frames = 0;
    EXPECT_LT(peak_after_header(options_.wav_output, &frames), 100);
    EXPECT_EQ(frames, 44100u * 5 / 4);

    // Back before the note: it sounds again, from there to the end.
    ASSERT_TRUE(player.seek(0));
    ASSERT_TRUE(player.play());
    EXPECT_GT(peak_after_header(options_.wav_output, &frames), 1000);
    EXPECT_EQ(frames, 44100u * 3 / 2);

    // Past the end: the end, with nothing left to play; an odd millisecond reads back as asked.
    EXPECT_TRUE(player.seek(60000));
    EXPECT_EQ(player.position_ms(), 1500u);
    EXPECT_TRUE(player.seek(333));
    EXPECT_EQ(player.position_ms(), 333u);

    player.close();
    EXPECT_FALSE(player.seek(10));
}

TEST_F(MidiPlayerTest, OpenFailuresSayWhy) {
    MidiPlayer player(options_);
    EXPECT_FALSE(player.open((dir_ / "missing.mid").string()));
    EXPECT_NE(player.last_error().find("cannot open"), std::string::npos);

    EXPECT_FALSE(player.open(
        write("picture.mid", {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})));
    EXPECT_NE(player.last_error().find("not a MIDI file"), std::string::npos);
    EXPECT_FALSE(player.is_open());
    EXPECT_FALSE(player.play());

    MidiPlayerOptions no_soundfont = options_;
    no_soundfont.soundfont = (dir_ / "none.sf2").string();
    MidiPlayer silent(no_soundfont);
    EXPECT_FALSE(silent.open(write("song.mid", one_and_a_half_seconds())));
    EXPECT_NE(silent.last_error().find("SoundFont"), std::string::npos);
}

TEST_F(MidiPlayerTest, AnAudioOutputThatCannotBeOpenedFailsTheOpen) {
    MidiPlayerOptions live;
    live.audio_driver = "no-such-driver";
    MidiPlayer player(live);
    EXPECT_FALSE(player.open(write("song.mid", one_and_a_half_seconds())));
    EXPECT_NE(player.last_error().find("no audio output"), std::string::npos)
        << player.last_error();
}

// The live path without a sound card: ALSA's null device takes the audio as fast as it comes,
// so the melody runs through the output callback to its end at once.
TEST_F(MidiPlayerTest, PlaysThroughAnAudioOutputToTheEnd) {
    MidiPlayerOptions live;
    live.audio_driver = "alsa";
    live.audio_settings = {{"audio.alsa.device", "null"}};
    MidiPlayer player(live);
    if (!player.open(write("song.mid", one_and_a_half_seconds()))) {
        // A machine without ALSA's null device (no ALSA configuration, or a synthesiser built
        // without the ALSA driver) has no audio output this test could play through.
        GTEST_SKIP() << "no ALSA null device to play through: " << player.last_error();
    }
    ASSERT_TRUE(player.play());
    ASSERT_TRUE(player.wait_until_stopped(std::chrono::seconds(20)));
    EXPECT_EQ(player.position_ms(), 1500u);
    EXPECT_TRUE(player.seek_to_start());
    EXPECT_EQ(player.position_ms(), 0u);
    EXPECT_FALSE(player.playing());
}

TEST(MidiTempoMap, TempoChangesOfAnyTrackAndTimeCodeDivisions) {
    std::string error;
    auto file = read_midi(one_and_a_half_seconds(), &error);
    ASSERT_TRUE(file) << error;
    const TempoMap map(*file);
    EXPECT_EQ(map.micros_at(480), 500000u);
    EXPECT_EQ(map.micros_at(960), 1000000u);
    EXPECT_EQ(map.micros_at(1440), 1250000u);
    EXPECT_EQ(midi_length_micros(*file), 1500000u);

    // 25 frames of 40 ticks: 1000 ticks a second whatever the tempo says.
    TrackBuilder t;
    t.tempo(0, 250000).event(2500, {0x90, 60, 100}).end();
    auto smpte = read_midi(testing::midi_file(0, 0xE728, {t}), &error);
    ASSERT_TRUE(smpte) << error;
    EXPECT_EQ(midi_length_micros(*smpte), 2500000u);
}

}  // namespace
}  // namespace zemlo::media
