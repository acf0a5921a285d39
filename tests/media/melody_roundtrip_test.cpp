// An independent check of the merger on rich generated songs: the melody, read back with the
// general MIDI reader, holds every kept event of the source at its absolute tick, in the order
// of time and then of track.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "handset_melody.h"
#include "melody_midi_builder.h"
#include "midi_merger.h"
#include "midi_reader.h"

namespace zemlo::media {
namespace {

using testing::Bytes;

struct Kept {
    uint32_t tick;
    uint8_t status;
    uint8_t data1;
    uint8_t data2;
    Bytes payload;
    bool operator==(const Kept &) const = default;
};

bool handset_keeps(const MidiEvent &ev) {
    if (ev.is_channel() || ev.is_tempo()) {
        return true;
    }
    const Bytes gm_on = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
    return ev.status == kMidiSysExStatus && ev.payload == gm_on;
}

std::vector<Kept> expected_from(const MidiFile &source, size_t max_tracks) {
    std::vector<Kept> kept;
    for (size_t t = 0; t < source.tracks.size() && t < max_tracks; ++t) {
        for (const auto &ev : source.tracks[t].events) {
            if (handset_keeps(ev)) {
                kept.push_back({ev.tick, ev.status, ev.data1, ev.data2, ev.payload});
            }
        }
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const Kept &a, const Kept &b) { return a.tick < b.tick; });
    return kept;
}

// The standard format-0 file inside a handset melody file.
Bytes as_standard_file(const Bytes &melody) {
    Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};
    file.insert(file.end(), melody.begin() + 6, melody.end());
    return file;
}

void check_song(const Bytes &source, size_t max_tracks) {
    MidiMerger merger;
    const MergeResult merged = merger.merge(source);
    ASSERT_TRUE(merged.ok());
    ASSERT_EQ(merged.stop, MergeStop::kComplete);
    const Bytes melody = *handset_melody_from_intermediate(merged.intermediate);

    std::string error;
    auto in = read_midi(source, &error);
    auto out = read_midi(as_standard_file(melody), &error);
    ASSERT_TRUE(in && out) << error;
    ASSERT_EQ(out->tracks.size(), 1u);
    std::vector<Kept> actual;
    for (const auto &ev : out->tracks[0].events) {
        if (!(ev.status == kMidiMetaStatus && ev.meta_type == kMidiMetaEndOfTrack)) {
            actual.push_back({ev.tick, ev.status, ev.data1, ev.data2, ev.payload});
        }
    }
    const std::vector<Kept> expected = expected_from(*in, max_tracks);
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(actual[i], expected[i]) << "event " << i << " of " << expected.size();
    }
    // The melody ends with its last kept event: no trailing delay.
    EXPECT_EQ(out->tracks[0].events.back().tick, expected.back().tick);
}

TEST(MelodyRoundTrip, RichSongsKeepEveryEventAtItsTickInStableOrder) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        check_song(testing::rich_midi_file(seed, 12, 1500), kMaxMergedTracks);
    }
}

TEST(MelodyRoundTrip, SongWithMoreThan32TracksKeepsTheFirst32) {
    check_song(testing::rich_midi_file(7, 39, 600), kMaxMergedTracks);
}

}  // namespace
}  // namespace zemlo::media
