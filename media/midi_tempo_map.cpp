#include "midi_tempo_map.h"

#include <algorithm>

namespace zemlo::media {

namespace {
constexpr uint16_t kSmpteDivision = 0x8000;
constexpr uint64_t kMicrosPerSecond = 1000000;
constexpr uint16_t kTicksPerFrameMask = 0xFF;
constexpr int kFramesShift = 8;
}  // namespace

TempoMap::TempoMap(const MidiFile &file) {
    if ((file.division & kSmpteDivision) != 0) {
        // The high byte is minus the frames per second (24, 25, 29 or 30).
        const auto frames = static_cast<int8_t>(file.division >> kFramesShift);
        const uint64_t fps = frames < 0 ? static_cast<uint64_t>(-frames) : 1;
        ticks_per_second_ = std::max<uint64_t>(1, fps * (file.division & kTicksPerFrameMask));
        return;
    }
    ticks_per_quarter_ = std::max<uint32_t>(1, file.division);
    std::vector<std::pair<uint32_t, uint32_t>> changes;  // tick, tempo; stable in track order
    for (const auto &track : file.tracks) {
        for (const auto &ev : track.events) {
            if (ev.is_tempo()) {
                changes.emplace_back(ev.tick, ev.tempo());
            }
        }
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    segments_.push_back({0, 0, kMidiDefaultTempo});
    for (const auto &[tick, tempo] : changes) {
        const Segment &last = segments_.back();
        const uint64_t micros =
            last.micros + static_cast<uint64_t>(tick - last.tick) * last.tempo / ticks_per_quarter_;
        if (tick == last.tick) {
            segments_.back().tempo = tempo;  // the later of two changes at one tick wins
        } else {
            segments_.push_back({tick, micros, tempo});
        }
    }
}

uint64_t TempoMap::micros_at(uint32_t tick) const {
    if (ticks_per_quarter_ == 0) {
        return static_cast<uint64_t>(tick) * kMicrosPerSecond / ticks_per_second_;
    }
    auto it = std::upper_bound(segments_.begin(), segments_.end(), tick,
                               [](uint32_t t, const Segment &s) { return t < s.tick; });
    const Segment &s = *(it - 1);
    return s.micros + static_cast<uint64_t>(tick - s.tick) * s.tempo / ticks_per_quarter_;
}

uint64_t midi_length_micros(const MidiFile &file) {
    uint32_t end = 0;
    for (const auto &track : file.tracks) {
        end = std::max(end, track.end_tick);
    }
    return TempoMap(file).micros_at(end);
}

}  // namespace zemlo::media
