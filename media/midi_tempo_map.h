// Ticks to real time for a MIDI file: the tempo events of every track form one map (as players
// treat format-1 files); a time-code division counts ticks per second and ignores tempo.
#pragma once

#include <cstdint>
#include <vector>

#include "midi_reader.h"

namespace zemlo::media {

class TempoMap {
  public:
    explicit TempoMap(const MidiFile &file);

    uint64_t micros_at(uint32_t tick) const;

  private:
    struct Segment {
        uint32_t tick;
        uint64_t micros;  // time at tick
        uint32_t tempo;   // microseconds per quarter note from tick on
    };
    uint32_t ticks_per_quarter_ = 0;  // 0 with a time-code division
    uint64_t ticks_per_second_ = 0;
    std::vector<Segment> segments_;
};

// The length of a file: the time of the latest track end.
uint64_t midi_length_micros(const MidiFile &file);

}  // namespace zemlo::media
