// MidiMerger: merges every track of a standard MIDI file into one format-0 track, keeping only
// what the handset plays (channel events, tempo, three families of system-exclusive messages) and
// giving the time of every dropped event to the next kept one. A pure function of bytes: the
// result is the intermediate file (format-0 header, track header with a placeholder length and the
// merged events), which the handset melody file is then made from.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zemlo::media {

inline constexpr size_t kMaxMidiSourceBytes = 65536;
inline constexpr size_t kMaxMergedTracks = 32;
inline constexpr size_t kIntermediateHeaderBytes = 22;
inline constexpr uint32_t kTrackLengthPlaceholder = 0x7FFFFFFF;

// Why a source cannot be merged at all.
enum class MidiSourceError {
    kNone,
    kTooLarge,       // longer than kMaxMidiSourceBytes
    kNotMidi,        // no "MThd" header of length 6
    kBadFormat,      // format word above 2
    kNotTrackChunk,  // a chunk where a track was expected is not "MTrk"
};

// How the event loop ended. Anything but kComplete keeps the events merged before it.
enum class MergeStop {
    kComplete,
    kBadTempoLength,       // a tempo event whose length is not 3
    kBadEndOfTrackLength,  // an end-of-track event whose length is not 0
    kBadStatus,            // a system status the handset has no use for (F1-F6, F8-FE)
};

struct MergeResult {
    MidiSourceError error = MidiSourceError::kNone;
    std::vector<uint8_t> intermediate;  // header and events; no final end-of-track yet
    uint16_t format = 0;
    uint16_t division = 0;
    uint16_t tracks = 0;  // tracks merged
    MergeStop stop = MergeStop::kComplete;
    size_t stop_offset = 0;  // source offset of the event that stopped the loop
    size_t tracks_cut = 0;   // events that ran past their track's end and ended it

    bool ok() const { return error == MidiSourceError::kNone; }
};

const char *describe(MidiSourceError error);
const char *describe(MergeStop stop);

class MidiMerger {
  public:
    MergeResult merge(std::span<const uint8_t> source);

  private:
    struct Track {
        uint32_t position = 0;
        uint32_t end = 0;
        uint32_t wait = 0;
        bool finished = true;
        uint8_t running_status = 0;
    };

    // What the picked track's next event turned out to be.
    enum class Step { kKeep, kDrop, kEndOfTrack, kOverrun, kError };

    MidiSourceError scan_header(MergeResult &result);
    int pick_track() const;
    Step read_event(Track &track, MergeResult &result);
    Step read_system_event(Track &track, uint8_t status, MergeResult &result);
    void stage_delta(uint32_t wait);
    void stage(uint8_t byte);
    void advance(size_t picked);
    void read_wait(Track &track);
    bool another_unfinished(size_t picked) const;

    std::span<const uint8_t> source_;
    std::array<Track, kMaxMergedTracks> tracks_{};
    size_t track_count_ = 0;
    uint32_t carried_delta_ = 0;
    // One event is at most a 5-byte delta, F0, a length byte and 8 data bytes.
    static constexpr size_t kStagedMax = 20;
    std::array<uint8_t, kStagedMax> staged_{};
    size_t staged_size_ = 0;
};

}  // namespace zemlo::media
