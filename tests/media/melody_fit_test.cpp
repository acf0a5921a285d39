// Cutting a melody to the handset's size limit: where the cut falls, what is released there and
// the times reported; and the conversion's options that use it.
#include <gtest/gtest.h>

#include <filesystem>

#include "handset_melody.h"
#include "melody_conversion.h"
#include "melody_fit.h"
#include "melody_midi_builder.h"
#include "melody_test_files.h"
#include "midi_merger.h"

namespace zemlo::media {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;

constexpr size_t kLimit = 51200;

// A handset melody file around the given event bytes (division 480, tempo 500000 by default).
Bytes handset_melody(const Bytes &events) {
    Bytes intermediate = {'M', 'T',  'h',  'd', 0,   0,   0,   6,    0,    0,    0,
                          1,   0x01, 0xE0, 'M', 'T', 'r', 'k', 0x7F, 0xFF, 0xFF, 0xFF};
    intermediate.insert(intermediate.end(), events.begin(), events.end());
    return *handset_melody_from_intermediate(intermediate);
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes &p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

// Three notes of a quarter each (half a second): C, D, E, each struck then released.
const Bytes kOnC = {0x00, 0x90, 0x3C, 0x64};
const Bytes kOffC = {0x83, 0x60, 0x90, 0x3C, 0x00};  // a note-on of velocity 0 ends it too
const Bytes kOnD = {0x00, 0x90, 0x3E, 0x64};
const Bytes kOffD = {0x83, 0x60, 0x80, 0x3E, 0x40};
const Bytes kOnE = {0x00, 0x90, 0x40, 0x64};
const Bytes kOffE = {0x83, 0x60, 0x80, 0x40, 0x40};
const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};

TEST(MelodyFit, CutsAfterTheLastWholeEventThatFitsWithItsReleases) {
    const Bytes whole = handset_melody(concat({kOnC, kOffC, kOnD, kOffD, kOnE, kOffE}));
    ASSERT_EQ(whole.size(), 47u);

    // 38 bytes end after D's release; E's stroke (42, 46 with its release) does not fit 40.
    auto fit = fit_handset_melody(whole, 40);
    ASSERT_TRUE(fit);
    EXPECT_TRUE(fit->cut);
    EXPECT_EQ(fit->melody, handset_melody(concat({kOnC, kOffC, kOnD, kOffD})));
    EXPECT_EQ(fit->events_kept, 4u);
    EXPECT_EQ(fit->events_total, 6u);
    EXPECT_EQ(fit->notes_ended, 0u);
    EXPECT_EQ(fit->kept_micros, 1000000u);
    EXPECT_EQ(fit->total_micros, 1500000u);

    // 37 bytes: D is still sounding after its stroke; it is released at once, at that moment.
    fit = fit_handset_melody(whole, 37);
    ASSERT_TRUE(fit);
    EXPECT_EQ(fit->melody, handset_melody(concat({kOnC, kOffC, kOnD, {0x00, 0x80, 0x3E, 0x40}})));
    EXPECT_EQ(fit->melody.size(), 37u);
    EXPECT_EQ(fit->notes_ended, 1u);
    EXPECT_EQ(fit->kept_micros, 500000u);

    // 36: D with its release is 37, so the cut falls before it.
    fit = fit_handset_melody(whole, 36);
    ASSERT_TRUE(fit);
    EXPECT_EQ(fit->melody, handset_melody(concat({kOnC, kOffC})));

    // The smallest limit keeps nothing but the end-of-track; below it there is no melody.
    fit = fit_handset_melody(whole, kEmptyHandsetMelodyBytes);
    ASSERT_TRUE(fit);
    EXPECT_EQ(fit->melody.size(), kEmptyHandsetMelodyBytes);
    EXPECT_EQ(fit->kept_micros, 0u);
    EXPECT_FALSE(fit_handset_melody(whole, kEmptyHandsetMelodyBytes - 1));
}

TEST(MelodyFit, AHeldPedalAndRepeatedStrokesAreAllReleased) {
    const Bytes pedal_down = {0x00, 0xB1, 0x40, 0x7F};
    const Bytes twice_on_c = {0x00, 0x91, 0x3C, 0x64, 0x00, 0x91, 0x3C, 0x50};
    const Bytes later = {0x83, 0x60, 0x91, 0x43, 0x64, 0x83, 0x60, 0x81,
                         0x43, 0x40, 0x83, 0x60, 0x91, 0x45, 0x64};
    const Bytes whole = handset_melody(concat({pedal_down, twice_on_c, later}));
    ASSERT_EQ(whole.size(), 47u);
    // 16 + 12 + three releases of 4 + the end-of-track: 44.
    const auto fit = fit_handset_melody(whole, 44);
    ASSERT_TRUE(fit);
    EXPECT_EQ(fit->melody, handset_melody(concat({pedal_down,
                                                  twice_on_c,
                                                  {0x00, 0x81, 0x3C, 0x40, 0x00, 0x81, 0x3C, 0x40,
                                                   0x00, 0xB1, 0x40, 0x00}})));
    EXPECT_EQ(fit->notes_ended, 3u);
}

TEST(MelodyFit, AMelodyWithinTheLimitOrNotAMelodyIsLeftAlone) {
    const Bytes whole = handset_melody(concat({kOnC, kOffC}));
    const auto fit = fit_handset_melody(whole, kLimit);
    ASSERT_TRUE(fit);
    EXPECT_FALSE(fit->cut);
    EXPECT_EQ(fit->melody, whole);
    EXPECT_EQ(fit->kept_micros, fit->total_micros);
    EXPECT_EQ(handset_melody_micros(whole), 500000u);

    EXPECT_FALSE(fit_handset_melody(Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6}, kLimit));
    Bytes not_ours = whole;
    not_ours[0] = 0x02;
    EXPECT_FALSE(fit_handset_melody(not_ours, kLimit));
    // A track length past the end of the file is read only as far as the file goes.
    Bytes short_file(whole.begin(), whole.end() - 3);
    const auto cut_short = fit_handset_melody(short_file, 25);
    ASSERT_TRUE(cut_short);
    EXPECT_EQ(cut_short->melody, handset_melody({}));
}

TEST(MelodyFit, NotesAreThoseStruck) {
    EXPECT_TRUE(handset_melody_has_notes(handset_melody(kOnC)));
    EXPECT_FALSE(handset_melody_has_notes(handset_melody({})));
    // A stroke of velocity 0 is a release; program changes and tempo are no notes either.
    EXPECT_FALSE(handset_melody_has_notes(handset_melody(
        {0x00, 0x90, 0x3C, 0x00, 0x00, 0xC0, 0x05, 0x00, 0xFF, 0x51, 0x03, 1, 2, 3})));
    EXPECT_FALSE(handset_melody_has_notes(Bytes{1, 2, 3}));
}

class MelodyOptionsTest : public testing::MelodyFilesTest {};

TEST_F(MelodyOptionsTest, FitCutsALongSongAndNoNotesWritesNothing) {
    const Bytes song = testing::long_song(9000);
    ASSERT_LE(song.size(), kMaxMidiSourceBytes);
    const std::string source = write("long.mid", song);
    const std::string output = (dir_ / "long.dwn").string();

    const MelodyConversion whole = convert_melody_file(source, output);
    ASSERT_TRUE(whole.written) << whole.error;
    EXPECT_GT(whole.output_bytes, kLimit);
    EXPECT_FALSE(whole.cut);
    const Bytes uncut = read(output);

    const MelodyConversion fitted = convert_melody_file(source, output, {kLimit, true});
    ASSERT_TRUE(fitted.written) << fitted.error;
    EXPECT_TRUE(fitted.cut);
    EXPECT_EQ(fitted.uncut_bytes, whole.output_bytes);
    const Bytes cut = read(output);
    EXPECT_EQ(cut.size(), fitted.output_bytes);
    EXPECT_LE(cut.size(), kLimit);
    // Events of at most 5 bytes, and a cut between a stroke and its release adds a release.
    EXPECT_GT(cut.size(), kLimit - 10);
    EXPECT_TRUE(std::equal(cut.begin() + 16, cut.end() - 8, uncut.begin() + 16));
    // 9000 half-second notes; what remains plays as long as its share of the bytes.
    EXPECT_EQ(fitted.total_micros, 4500000000u);
    EXPECT_EQ(fitted.kept_micros, handset_melody_micros(cut));
    EXPECT_NEAR(static_cast<double>(fitted.kept_micros) / fitted.total_micros,
                static_cast<double>(cut.size()) / uncut.size(), 0.01);

    // A first track without its end-of-track merges to the empty melody: refused, nothing
    // written, the file already there left as it was.
    testing::TrackBuilder open_track;
    open_track.event(0, {0x90, 60, 100}).event(480, {0x80, 60, 0});
    const std::string noend = write("noend.mid", testing::midi_file(0, 480, {open_track}));
    const MelodyConversion silent = convert_melody_file(noend, output, {0, true});
    EXPECT_FALSE(silent.written);
    EXPECT_TRUE(silent.without_notes);
    EXPECT_EQ(read(output), cut);
    // The merger's rule itself is unchanged: without the refusal the 20 bytes are written.
    EXPECT_TRUE(convert_melody_file(noend, output).written);
    EXPECT_EQ(fs::file_size(output), kEmptyHandsetMelodyBytes);
}

TEST_F(MelodyOptionsTest, MeasuringGivesTheConversionsSizesAndWritesNothing) {
    // What the melody panel shows before a download is what the download's conversion gives.
    const std::string source = write("long.mid", testing::long_song(9000));
    const std::string output = (dir_ / "long.dwn").string();
    for (const size_t fit : {size_t{0}, kLimit}) {
        SCOPED_TRACE(fit);
        const MelodyConversion measured = measure_melody_file(source, {fit, false});
        const MelodyConversion converted = convert_melody_file(source, output, {fit, false});
        ASSERT_TRUE(converted.written) << converted.error;
        EXPECT_FALSE(measured.written);
        EXPECT_EQ(measured.output_bytes, converted.output_bytes);
        EXPECT_EQ(measured.output_bytes, fs::file_size(output));
        EXPECT_EQ(measured.cut, converted.cut);
        EXPECT_EQ(measured.kept_micros, converted.kept_micros);
        EXPECT_EQ(measured.total_micros, converted.total_micros);
    }
    // Not a melody: no size, and the reason.
    const MelodyConversion junk = measure_melody_file(write("junk.mid", Bytes{1, 2, 3}));
    EXPECT_EQ(junk.output_bytes, 0u);
    EXPECT_FALSE(junk.error.empty());
}

}  // namespace
}  // namespace zemlo::media
