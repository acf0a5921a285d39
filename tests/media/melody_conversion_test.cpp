// Converting files on disk: only the asked-for output is written outside the work folder, the
// work files are gone afterwards, and failures leave no output behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "handset_melody.h"
#include "melody_conversion.h"
#include "melody_midi_builder.h"
#include "melody_selection.h"
#include "melody_test_files.h"
#include "midi_merger.h"

namespace zemlo::media {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;

class MelodyConversionTest : public testing::MelodyFilesTest {
  protected:
    std::vector<std::string> listing() const {
        std::vector<std::string> names;
        for (const auto &e : fs::recursive_directory_iterator(dir_)) {
            names.push_back(fs::relative(e.path(), dir_).string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(MelodyConversionTest, WritesOnlyTheOutputAndLeavesNoWorkFiles) {
    const Bytes song = testing::rich_midi_file(3, 4, 400);
    const std::string source = write("my.songs/tune.mid", song);
    // A file the old naming scheme would have overwritten and deleted.
    write("my.dat", {'k', 'e', 'e', 'p'});
    const fs::path output = dir_ / "tmp.dwn";

    MelodySelection selection;
    EXPECT_EQ(selection.ConvertSelection(output.string(), source), 1);
    EXPECT_EQ(selection.source(), source);
    EXPECT_TRUE(selection.last_conversion().written);

    MidiMerger merger;
    EXPECT_EQ(read(output), *handset_melody_from_intermediate(merger.merge(song).intermediate));
    EXPECT_EQ(read(dir_ / "my.dat"), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(listing(), (std::vector<std::string>{"my.dat", "my.songs", "my.songs/tune.mid",
                                                   "tmp.dwn", "work", "work/zemlo-runs"}));
}

TEST_F(MelodyConversionTest, FailuresWriteNothingAndSayWhy) {
    const fs::path output = dir_ / "out.dwn";
    MelodySelection selection;

    EXPECT_EQ(selection.ConvertSelection(output.string(), (dir_ / "missing.mid").string()), 0);
    EXPECT_NE(selection.last_conversion().error.find("cannot open"), std::string::npos);
    EXPECT_EQ(selection.source(), (dir_ / "missing.mid").string());

    const std::string not_midi = write("notes.mid", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(selection.ConvertSelection(output.string(), not_midi), 0);
    EXPECT_EQ(selection.last_conversion().source_error, MidiSourceError::kNotMidi);

    testing::TrackBuilder t;
    t.event(0, {0x90, 0x3C, 0x40}).end();
    Bytes big = testing::midi_file(0, 96, {t});
    big.resize(kMaxMidiSourceBytes + 1);
    EXPECT_EQ(selection.ConvertSelection(output.string(), write("large.mid", big)), 0);
    EXPECT_EQ(selection.last_conversion().source_error, MidiSourceError::kTooLarge);

    const std::string good = write("good.mid", testing::midi_file(0, 96, {t}));
    EXPECT_EQ(selection.ConvertSelection((dir_ / "no-dir" / "out.dwn").string(), good), 0);

    EXPECT_FALSE(fs::exists(output));
    EXPECT_TRUE(fs::is_empty(dir_ / "work" / "zemlo-runs"));
}

TEST_F(MelodyConversionTest, ASourceOfExactly65536BytesIsConverted) {
    // 22 header bytes, a note, one text event of 65500 bytes and the end of track.
    testing::TrackBuilder t;
    t.event(0, {0x90, 0x3C, 0x40}).meta(0, 0x01, Bytes(65500, 'x')).end();
    const Bytes song = testing::midi_file(0, 96, {t});
    ASSERT_EQ(song.size(), kMaxMidiSourceBytes);
    MelodySelection selection;
    EXPECT_EQ(selection.ConvertSelection((dir_ / "out.dwn").string(), write("full.mid", song)), 1);
    EXPECT_EQ(read(dir_ / "out.dwn").size(), kHandsetMelodyHeaderBytes + 4 + 4);
}

}  // namespace
}  // namespace zemlo::media
