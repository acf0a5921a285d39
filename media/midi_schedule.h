// The channel messages of every track in playing order, each at its time in microseconds: events
// at one tick keep their track order.
#pragma once

#include <cstdint>
#include <vector>

#include "midi_reader.h"

namespace zemlo::media {

struct TimedMidiMessage {
    uint64_t micros;
    uint8_t status;
    uint8_t data1;
    uint8_t data2;
};

struct MidiSchedule {
    std::vector<TimedMidiMessage> messages;
    uint64_t length_micros = 0;
};

MidiSchedule make_midi_schedule(const MidiFile &file);

}  // namespace zemlo::media
