// Converting files on disk: only the asked-for output is written outside the work folder, the
// work files are gone afterwards, and failures leave no output behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "handset_melody.h"
#include "melody_conversion.h"
#include "melody_midi_builder.h"
#include "melody_selection.h"
#include "midi_merger.h"

namespace zemlo::media {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;

class MelodyConversionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("zemlo-melody-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "my.songs");
        fs::create_directories(root_ / "work");
        ::setenv("ZEMLO_WORK_DIR", (root_ / "work").c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("ZEMLO_WORK_DIR");
        fs::remove_all(root_);
    }

    static void write(const fs::path &p, const Bytes &b) {
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char *>(b.data()), static_cast<long>(b.size()));
    }
    static Bytes read(const fs::path &p) {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<std::string> listing() const {
        std::vector<std::string> names;
        for (const auto &e : fs::recursive_directory_iterator(root_)) {
            names.push_back(fs::relative(e.path(), root_).string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path root_;
};

TEST_F(MelodyConversionTest, WritesOnlyTheOutputAndLeavesNoWorkFiles) {
    const Bytes song = testing::rich_midi_file(3, 4, 400);
    const fs::path source = root_ / "my.songs" / "tune.mid";
    write(source, song);
    // A file the old naming scheme would have overwritten and deleted.
    write(root_ / "my.dat", {'k', 'e', 'e', 'p'});
    const fs::path output = root_ / "tmp.dwn";

    MelodySelection selection;
    EXPECT_EQ(selection.ConvertSelection(output.string(), source.string()), 1);
    EXPECT_EQ(selection.source(), source.string());
    EXPECT_TRUE(selection.last_conversion().written);

    MidiMerger merger;
    EXPECT_EQ(read(output), *handset_melody_from_intermediate(merger.merge(song).intermediate));
    EXPECT_EQ(read(root_ / "my.dat"), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(listing(), (std::vector<std::string>{"my.dat", "my.songs", "my.songs/tune.mid",
                                                   "tmp.dwn", "work"}));
}

TEST_F(MelodyConversionTest, FailuresWriteNothingAndSayWhy) {
    const fs::path output = root_ / "out.dwn";
    MelodySelection selection;

    EXPECT_EQ(selection.ConvertSelection(output.string(), (root_ / "missing.mid").string()), 0);
    EXPECT_NE(selection.last_conversion().error.find("cannot open"), std::string::npos);
    EXPECT_EQ(selection.source(), (root_ / "missing.mid").string());

    const fs::path not_midi = root_ / "my.songs" / "notes.mid";
    write(not_midi, {'R', 'I', 'F', 'F', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(selection.ConvertSelection(output.string(), not_midi.string()), 0);
    EXPECT_EQ(selection.last_conversion().source_error, MidiSourceError::kNotMidi);

    testing::TrackBuilder t;
    t.event(0, {0x90, 0x3C, 0x40}).end();
    Bytes big = testing::midi_file(0, 96, {t});
    big.resize(kMaxMidiSourceBytes + 1);
    const fs::path large = root_ / "my.songs" / "large.mid";
    write(large, big);
    EXPECT_EQ(selection.ConvertSelection(output.string(), large.string()), 0);
    EXPECT_EQ(selection.last_conversion().source_error, MidiSourceError::kTooLarge);

    const fs::path good = root_ / "my.songs" / "good.mid";
    write(good, testing::midi_file(0, 96, {t}));
    EXPECT_EQ(selection.ConvertSelection((root_ / "no-dir" / "out.dwn").string(), good.string()),
              0);

    EXPECT_FALSE(fs::exists(output));
    EXPECT_TRUE(fs::is_empty(root_ / "work"));
}

TEST_F(MelodyConversionTest, ASourceOfExactly65536BytesIsConverted) {
    // 22 header bytes, a note, one text event of 65500 bytes and the end of track.
    testing::TrackBuilder t;
    t.event(0, {0x90, 0x3C, 0x40}).meta(0, 0x01, Bytes(65500, 'x')).end();
    const Bytes song = testing::midi_file(0, 96, {t});
    ASSERT_EQ(song.size(), kMaxMidiSourceBytes);
    const fs::path source = root_ / "full.mid";
    write(source, song);
    MelodySelection selection;
    EXPECT_EQ(selection.ConvertSelection((root_ / "out.dwn").string(), source.string()), 1);
    EXPECT_EQ(read(root_ / "out.dwn").size(), kHandsetMelodyHeaderBytes + 4 + 4);
}

TEST(MelodySelection, AnEmptySourceIsReported) {
    MelodySelection selection;
    EXPECT_NE(selection.SetMelodySource(""), 0);
    EXPECT_EQ(selection.SetMelodySource("/music/a.mid"), 0);
    EXPECT_EQ(selection.source(), "/music/a.mid");
}

}  // namespace
}  // namespace zemlo::media
