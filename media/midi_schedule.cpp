#include "midi_schedule.h"

#include <algorithm>

#include "midi_tempo_map.h"

namespace zemlo::media {

MidiSchedule make_midi_schedule(const MidiFile &file) {
    struct Entry {
        uint32_t tick;
        const MidiEvent *event;
    };
    std::vector<Entry> entries;
    for (const auto &track : file.tracks) {
        for (const auto &ev : track.events) {
            if (ev.is_channel()) {
                entries.push_back({ev.tick, &ev});
            }
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry &a, const Entry &b) { return a.tick < b.tick; });
    const TempoMap tempo(file);
    MidiSchedule schedule;
    schedule.messages.reserve(entries.size());
    for (const auto &e : entries) {
        schedule.messages.push_back(
            {tempo.micros_at(e.tick), e.event->status, e.event->data1, e.event->data2});
    }
    schedule.length_micros = midi_length_micros(file);
    return schedule;
}

}  // namespace zemlo::media
