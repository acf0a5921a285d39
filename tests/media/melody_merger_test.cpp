// The merger and the handset melody file, checked byte for byte on small hand-made files.
#include <gtest/gtest.h>

#include "handset_melody.h"
#include "melody_midi_builder.h"
#include "midi_merger.h"

namespace zemlo::media {
namespace {

using testing::Bytes;
using testing::midi_file;
using testing::TrackBuilder;

constexpr uint16_t kDivision = 96;

struct Converted {
    MergeResult merge;
    Bytes melody;  // empty when the source is invalid
};

Converted convert(const Bytes &source) {
    Converted c;
    MidiMerger merger;
    c.merge = merger.merge(source);
    if (c.merge.ok()) {
        c.melody = *handset_melody_from_intermediate(c.merge.intermediate);
    }
    return c;
}

// The merged events of a handset melody file, without its final end-of-track.
Bytes events(const Bytes &melody) {
    EXPECT_GE(melody.size(), kEmptyHandsetMelodyBytes);
    EXPECT_TRUE(std::equal(melody.end() - 4, melody.end(), std::begin(kEndOfTrackEvent)));
    return Bytes(melody.begin() + kHandsetMelodyHeaderBytes, melody.end() - 4);
}

TEST(MidiMerger, TempoTrackAndTwoNoteTracksBecomeOneTrackInTimeOrder) {
    TrackBuilder conductor, lead, bass;
    conductor.tempo(0, 500000).end();
    lead.event(0, {0x90, 0x3C, 0x40}).event(96, {0x3C, 0x00}).end();  // running status
    bass.event(48, {0x91, 0x40, 0x40}).event(96, {0x40, 0x00}).end();
    const Converted c = convert(midi_file(1, kDivision, {conductor, lead, bass}));
    ASSERT_TRUE(c.merge.ok());
    EXPECT_EQ(c.merge.tracks, 3);
    EXPECT_EQ(c.merge.stop, MergeStop::kComplete);

    const Bytes expected_events = {
        0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // tempo
        0x00, 0x90, 0x3C, 0x40,                    // lead on at 0
        0x30, 0x91, 0x40, 0x40,                    // bass on at 48
        0x30, 0x90, 0x3C, 0x00,                    // lead off at 96, status written again
        0x30, 0x91, 0x40, 0x00,                    // bass off at 144
    };
    // 01 00, T + 7 little-endian, division, "MTrk", T big-endian, events, end of track.
    const auto t = static_cast<uint8_t>(expected_events.size() + 4);
    Bytes expected = {
        0x01, 0x00, static_cast<uint8_t>(t + 7), 0, 0, 0, 0x00, kDivision, 'M', 'T', 'r', 'k', 0, 0,
        0,    t};
    expected.insert(expected.end(), expected_events.begin(), expected_events.end());
    expected.insert(expected.end(), {0x00, 0xFF, 0x2F, 0x00});
    EXPECT_EQ(c.melody, expected);
    EXPECT_EQ(c.melody.size(), 16u + t);
}

TEST(MidiMerger, EventsAtOneTickComeOutInTrackOrder) {
    TrackBuilder t0, t1, t2;
    t0.event(10, {0x90, 0x3C, 0x40}).end();
    t1.end(50);
    t2.event(10, {0x92, 0x3E, 0x40}).end();
    // Track 2 listed first in time cannot overtake track 0 at the same tick.
    const Converted c = convert(midi_file(1, kDivision, {t0, t1, t2}));
    EXPECT_EQ(events(c.melody), (Bytes{0x0A, 0x90, 0x3C, 0x40, 0x00, 0x92, 0x3E, 0x40}));
}

TEST(MidiMerger, TimeOfDroppedEventsAndEndedTracksGoesToTheNextKeptEvent) {
    TrackBuilder a, b;
    a.event(0, {0x90, 0x3C, 0x40})
        .text(30, "lyric")
        .event(20, {0x80, 0x3C, 0x40})          // 50 after the note on
        .end(100);                              // ends at 150
    b.event(200, {0x91, 0x40, 0x40}).end(500);  // the trailing delay is not kept
    const Converted c = convert(midi_file(1, kDivision, {a, b}));
    EXPECT_EQ(events(c.melody), (Bytes{0x00, 0x90, 0x3C, 0x40, 0x32, 0x80, 0x3C, 0x40, 0x81, 0x16,
                                       0x91, 0x40, 0x40}));  // 150 in two bytes
}

TEST(MidiMerger, FirstTrackNotEndingProperlyGivesTheEmptyMelody) {
    TrackBuilder bad, good;
    bad.event(0, {0x90, 0x3C, 0x40});
    good.event(0, {0x91, 0x3C, 0x40}).end();
    const Converted c = convert(midi_file(1, 0x01E0, {bad, good}));
    ASSERT_TRUE(c.merge.ok());
    EXPECT_EQ(c.merge.tracks, 0);
    EXPECT_EQ(c.melody, (Bytes{0x01, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x01, 0xE0, 'M',  'T',
                               'r',  'k',  0x00, 0x00, 0x00, 0x04, 0x00, 0xFF, 0x2F, 0x00}));
}

TEST(MidiMerger, AtMost32TracksAreMerged) {
    std::vector<TrackBuilder> tracks(40);
    for (size_t i = 0; i < tracks.size(); ++i) {
        tracks[i].event(static_cast<uint32_t>(i), {0x90, static_cast<uint8_t>(i), 0x40}).end();
    }
    const Converted c = convert(midi_file(1, kDivision, tracks));
    EXPECT_EQ(c.merge.tracks, 32);
    Bytes expected;
    for (uint8_t key = 0; key < 32; ++key) {
        expected.insert(expected.end(), {static_cast<uint8_t>(key == 0 ? 0 : 1), 0x90, key, 0x40});
    }
    EXPECT_EQ(events(c.melody), expected);
}

TEST(MidiMerger, InvalidSourcesAreRefused) {
    TrackBuilder track;
    track.event(0, {0x90, 0x3C, 0x40}).end();
    const Bytes good = midi_file(0, kDivision, {track});

    Bytes foreign_first = Bytes(good.begin(), good.begin() + 14);
    testing::put_chunk(foreign_first, "XFIH", {1, 2, 3});
    foreign_first.insert(foreign_first.end(), good.begin() + 14, good.end());

    Bytes foreign_between = midi_file(1, kDivision, {track, track});
    Bytes chunk;
    testing::put_chunk(chunk, "XFIH", {1, 2, 3});
    const size_t second = 14 + 8 + track.bytes().size();
    foreign_between.insert(foreign_between.begin() + static_cast<long>(second), chunk.begin(),
                           chunk.end());

    Bytes not_midi = good;
    not_midi[0] = 'R';
    Bytes long_header = good;
    long_header[7] = 7;
    Bytes format3 = good;
    format3[9] = 3;
    Bytes missing_track = midi_file(1, kDivision, {track}, 2);
    Bytes too_large = midi_file(0, kDivision, {track});
    too_large.resize(kMaxMidiSourceBytes + 1);

    const std::vector<std::pair<Bytes, MidiSourceError>> cases = {
        {foreign_first, MidiSourceError::kNotTrackChunk},
        {foreign_between, MidiSourceError::kNotTrackChunk},
        {not_midi, MidiSourceError::kNotMidi},
        {long_header, MidiSourceError::kNotMidi},
        {Bytes(good.begin(), good.begin() + 10), MidiSourceError::kNotMidi},
        {format3, MidiSourceError::kBadFormat},
        {missing_track, MidiSourceError::kNotTrackChunk},
        {too_large, MidiSourceError::kTooLarge},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(convert(cases[i].first).merge.error, cases[i].second) << "case " << i;
    }
    EXPECT_TRUE(convert(good).merge.ok());
}

TEST(MidiMerger, OnlyTheHandsetsSystemExclusiveFamiliesAreKept) {
    const std::vector<std::pair<Bytes, bool>> cases = {
        {{0x7E, 0x7F, 0x09, 0x01, 0xF7}, true},                                 // GM system on
        {{0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}, false},  // GS reset, 10
        {{0x5D, 0x0E, 0x08, 0x19, 0xF7}, true},
        {{0x5D, 0x0E, 0x08, 0x7F, 0x00, 0x00, 0x00, 0xF7}, true},  // 8 bytes
        {{0x5D, 0x0E, 0x08, 0x1A, 0xF7}, false},
        {{0x44, 0x7E, 0x04, 0x05, 0xF7}, true},
        {{0x44, 0x7E, 0x04, 0x03, 0xF7}, false},
        {{0x7E, 0x7F, 0x09, 0x01}, false},                                // shorter than 5
        {{0x7E, 0x7F, 0x09, 0x01, 0x00, 0x00, 0x00, 0x00, 0xF7}, false},  // longer than 8
    };
    for (const auto &[payload, kept] : cases) {
        TrackBuilder t;
        t.sysex(0, payload).event(5, {0x90, 0x3C, 0x40}).end();
        Bytes expected;
        if (kept) {
            expected = {0x00, 0xF0, static_cast<uint8_t>(payload.size())};
            expected.insert(expected.end(), payload.begin(), payload.end());
        }
        expected.insert(expected.end(), {0x05, 0x90, 0x3C, 0x40});
        EXPECT_EQ(events(convert(midi_file(0, kDivision, {t})).melody), expected)
            << "payload of " << payload.size() << " bytes starting " << int(payload[0]);
    }
    // An escape message is dropped whatever it holds.
    TrackBuilder t;
    t.event(3, {0xF7, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}).event(5, {0x90, 0x3C, 0x40}).end();
    EXPECT_EQ(events(convert(midi_file(0, kDivision, {t})).melody),
              (Bytes{0x08, 0x90, 0x3C, 0x40}));
}

TEST(MidiMerger, BadSystemEventsStopTheMergeKeepingWhatCameBefore) {
    struct Case {
        Bytes event;
        MergeStop stop;
    };
    const std::vector<Case> cases = {
        {{0xFF, 0x51, 0x04, 0x07, 0xA1, 0x20, 0x00}, MergeStop::kBadTempoLength},
        {{0xFF, 0x2F, 0x01, 0x00}, MergeStop::kBadEndOfTrackLength},
        {{0xF1, 0x00}, MergeStop::kBadStatus},
        {{0xFE}, MergeStop::kBadStatus},
    };
    for (const auto &c : cases) {
        TrackBuilder t;
        t.event(0, {0x90, 0x3C, 0x40}).event(10, c.event).event(10, {0x80, 0x3C, 0x40}).end();
        const Bytes source = midi_file(0, kDivision, {t});
        const Converted r = convert(source);
        EXPECT_EQ(r.merge.stop, c.stop);
        EXPECT_EQ(r.merge.stop_offset, 14u + 8u + 4u + 1u);  // the bad event's status byte
        EXPECT_EQ(events(r.melody), (Bytes{0x00, 0x90, 0x3C, 0x40}));
    }
}

TEST(MidiMerger, AnEndOfTrackInsideTheChunkEndsTheTrack) {
    TrackBuilder t, other;
    t.event(0, {0x90, 0x3C, 0x40}).end(4).event(10, {0x90, 0x3E, 0x40}).end();
    other.event(100, {0x91, 0x40, 0x40}).end();
    EXPECT_EQ(events(convert(midi_file(1, kDivision, {t, other})).melody),
              (Bytes{0x00, 0x90, 0x3C, 0x40, 0x64, 0x91, 0x40, 0x40}));
}

TEST(MidiMerger, AnEventRunningPastItsTrackEndStopsThatTrackOnly) {
    TrackBuilder cut, other;
    // A system-exclusive message claiming 100 bytes in a track of a few.
    cut.event(0, {0x90, 0x3C, 0x40}).raw({0x00, 0xF0, 0x64, 0x01, 0x02}).end();
    other.event(50, {0x91, 0x40, 0x40}).end();
    const Converted c = convert(midi_file(1, kDivision, {cut, other}));
    EXPECT_EQ(c.merge.tracks_cut, 1u);
    EXPECT_EQ(c.merge.stop, MergeStop::kComplete);
    EXPECT_EQ(events(c.melody), (Bytes{0x00, 0x90, 0x3C, 0x40, 0x32, 0x91, 0x40, 0x40}));
}

TEST(MidiMerger, TrackLongerThanTheFileIsLeftOut) {
    TrackBuilder t0, t1;
    t0.event(0, {0x90, 0x3C, 0x40}).end();
    t1.event(0, {0x91, 0x3C, 0x40}).end();
    Bytes source = midi_file(1, kDivision, {t0, t1});
    source[source.size() - t1.bytes().size() - 1] += 1;  // second length one byte too long
    const Converted c = convert(source);
    EXPECT_EQ(c.merge.tracks, 1);
    EXPECT_EQ(events(c.melody), (Bytes{0x00, 0x90, 0x3C, 0x40}));
}

TEST(MidiMerger, LongDeltasAreWrittenInTheFewestBytes) {
    TrackBuilder t;
    t.event(0x7F, {0x90, 0x3C, 0x40})
        .event(0x80, {0x80, 0x3C, 0x40})
        .event(0x0FFFFFFF, {0x90, 0x3C, 0x40})
        .end();
    EXPECT_EQ(events(convert(midi_file(0, kDivision, {t})).melody),
              (Bytes{0x7F, 0x90, 0x3C, 0x40, 0x81, 0x00, 0x80, 0x3C, 0x40, 0xFF, 0xFF, 0xFF, 0x7F,
                     0x90, 0x3C, 0x40}));
    // A source delta written in more bytes than needed comes out in one.
    TrackBuilder padded;
    padded.raw({0x80, 0x80, 0x05, 0x90, 0x3C, 0x40}).end();
    EXPECT_EQ(events(convert(midi_file(0, kDivision, {padded})).melody),
              (Bytes{0x05, 0x90, 0x3C, 0x40}));
}

}  // namespace
}  // namespace zemlo::media
