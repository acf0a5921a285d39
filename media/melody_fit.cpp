#include "melody_fit.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "handset_melody.h"
#include "midi_merger.h"
#include "midi_reader.h"
#include "midi_tempo_map.h"
#include "midi_varlen.h"
#include "zemlo/byte_order.h"

namespace zemlo::media {

namespace {

constexpr size_t kTagOffset = 0;
constexpr uint16_t kHandsetMelodyTag = 1;
constexpr size_t kDivisionOffset = 6;
constexpr size_t kTrackTagOffset = 8;
constexpr size_t kTrackLengthOffset = 12;
constexpr size_t kChannels = 16;
constexpr size_t kKeys = 128;
constexpr uint8_t kSustainController = 64;
constexpr uint8_t kPedalDown = 64;  // controller values from here on hold the pedal
constexpr uint8_t kReleaseVelocity = 64;
constexpr size_t kReleaseEventBytes = 4;  // delta 0, status and two data bytes
// "MThd", its length 6, format 0 and one track: what the handset file leaves out.
constexpr uint8_t kFormat0Head[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};

struct Event {
    size_t end = 0;  // offset just past the event in the handset file
    uint64_t tick = 0;
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
};

struct Track {
    size_t begin = 0;
    std::vector<Event> events;  // up to the end-of-track, which is not among them
    uint64_t end_tick = 0;
};

std::optional<Track> read_track(std::span<const uint8_t> melody) {
    if (melody.size() < kEmptyHandsetMelodyBytes ||
        read_le16(melody.data() + kTagOffset) != kHandsetMelodyTag ||
        std::memcmp(melody.data() + kTrackTagOffset, "MTrk", 4) != 0) {
        return std::nullopt;
    }
    Track track;
    track.begin = kHandsetMelodyHeaderBytes;
    const size_t end =
        kHandsetMelodyHeaderBytes + std::min<size_t>(read_be32(melody.data() + kTrackLengthOffset),
                                                     melody.size() - kHandsetMelodyHeaderBytes);
    const uint8_t *data = melody.data();
    size_t pos = track.begin;
    uint64_t tick = 0;
    // Every event of a handset melody carries its status; anything else ends the reading.
    while (pos < end) {
        const auto delta = read_varlen(data, pos, end);
        if (!delta || pos + delta->size >= end) {
            break;
        }
        pos += delta->size;
        tick += delta->value;
        Event ev{0, tick, data[pos++], 0, 0};
        if (ev.status < kMidiNoteOff) {
            break;
        }
        if (ev.status < kMidiSysExStatus) {
            const size_t n = midi_data_bytes(ev.status);
            if (pos + n > end) {
                break;
            }
            ev.data1 = data[pos];
            ev.data2 = n == 2 ? data[pos + 1] : 0;
            pos += n;
        } else {
            if (ev.status == kMidiMetaStatus) {
                if (pos >= end) {
                    break;
                }
                ev.data1 = data[pos++];  // the meta type
            }
            const auto length = read_varlen(data, pos, end);
            if (!length || length->value > end - pos - length->size) {
                break;
            }
            pos += length->size + length->value;
            if (ev.status == kMidiMetaStatus && ev.data1 == kMidiMetaEndOfTrack) {
                track.end_tick = tick;
                return track;
            }
        }
        ev.end = pos;
        track.events.push_back(ev);
        track.end_tick = tick;
    }
    return track;
}

// Ticks to microseconds through the melody's own tempo events.
class MelodyClock {
  public:
    explicit MelodyClock(std::span<const uint8_t> melody) {
        std::vector<uint8_t> format0(std::begin(kFormat0Head), std::end(kFormat0Head));
        format0.insert(format0.end(), melody.begin() + kDivisionOffset, melody.end());
        std::string error;
        if (auto file = read_midi(format0, &error)) {
            map_.emplace(*file);
        }
    }
    uint64_t micros_at(uint64_t tick) const {
        return map_ ? map_->micros_at(static_cast<uint32_t>(std::min<uint64_t>(tick, UINT32_MAX)))
                    : 0;
    }

  private:
    std::optional<TempoMap> map_;
};

// The notes and pedals sounding after a run of events.
class SoundingNotes {
  public:
    void apply(const Event &ev) {
        const uint8_t kind = ev.status & kMidiKindMask;
        const size_t channel = ev.status & kMidiChannelMask;
        const bool note_on = kind == kMidiNoteOn && ev.data2 > 0;
        const bool note_off = kind == kMidiNoteOff || (kind == kMidiNoteOn && ev.data2 == 0);
        uint16_t &count = keys_[channel][ev.data1 & (kKeys - 1)];
        if (note_on) {
            ++count;
            ++sounding_;
        } else if (note_off && count > 0) {
            --count;
            --sounding_;
        } else if (kind == kMidiControlChange && ev.data1 == kSustainController) {
            const bool down = ev.data2 >= kPedalDown;
            if (down && !pedal_[channel]) {
                ++sounding_;
            } else if (!down && pedal_[channel]) {
                --sounding_;
            }
            pedal_[channel] = down;
        }
    }
    // Notes and pedals to release, one event each.
    size_t sounding() const { return sounding_; }

    // The events that release them all at once, in channel and key order.
    void append_releases(std::vector<uint8_t> &out) const {
        for (size_t channel = 0; channel < kChannels; ++channel) {
            const auto ch = static_cast<uint8_t>(channel);
            for (size_t key = 0; key < kKeys; ++key) {
                for (uint16_t i = 0; i < keys_[channel][key]; ++i) {
                    out.insert(out.end(), {0, static_cast<uint8_t>(kMidiNoteOff | ch),
                                           static_cast<uint8_t>(key), kReleaseVelocity});
                }
            }
            if (pedal_[channel]) {
                out.insert(out.end(), {0, static_cast<uint8_t>(kMidiControlChange | ch),
                                       kSustainController, 0});
            }
        }
    }

  private:
    std::array<std::array<uint16_t, kKeys>, kChannels> keys_{};
    std::array<bool, kChannels> pedal_{};
    size_t sounding_ = 0;
};

}  // namespace

std::optional<MelodyFit> fit_handset_melody(std::span<const uint8_t> melody, size_t limit) {
    const auto track = read_track(melody);
    if (!track || limit < kEmptyHandsetMelodyBytes) {
        return std::nullopt;
    }
    const MelodyClock clock(melody);
    MelodyFit fit;
    fit.events_total = track->events.size();
    fit.total_micros = clock.micros_at(track->end_tick);
    if (melody.size() <= limit) {
        fit.melody.assign(melody.begin(), melody.end());
        fit.events_kept = fit.events_total;
        fit.kept_micros = fit.total_micros;
        return fit;
    }
    // The last count of whole events whose file, releases and end-of-track included, fits.
    SoundingNotes notes;
    size_t kept = 0;
    for (size_t k = 1; k <= track->events.size(); ++k) {
        const Event &ev = track->events[k - 1];
        const size_t events_bytes = ev.end - track->begin;
        if (kEmptyHandsetMelodyBytes + events_bytes > limit) {
            break;  // more events only add bytes
        }
        notes.apply(ev);
        if (kEmptyHandsetMelodyBytes + events_bytes + notes.sounding() * kReleaseEventBytes <=
            limit) {
            kept = k;
        }
    }
    SoundingNotes at_cut;
    for (size_t k = 0; k < kept; ++k) {
        at_cut.apply(track->events[k]);
    }
    const size_t kept_end = kept == 0 ? track->begin : track->events[kept - 1].end;
    std::vector<uint8_t> intermediate(std::begin(kFormat0Head), std::end(kFormat0Head));
    intermediate.insert(intermediate.end(), melody.begin() + kDivisionOffset,
                        melody.begin() + kDivisionOffset + 2);
    intermediate.insert(intermediate.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 0});
    write_be32(intermediate.data() + kIntermediateHeaderBytes - 4, kTrackLengthPlaceholder);
    intermediate.insert(intermediate.end(), melody.begin() + static_cast<long>(track->begin),
                        melody.begin() + static_cast<long>(kept_end));
    at_cut.append_releases(intermediate);
    auto cut = handset_melody_from_intermediate(std::move(intermediate));
    if (!cut) {
        return std::nullopt;
    }
    fit.melody = std::move(*cut);
    fit.cut = true;
    fit.events_kept = kept;
    fit.notes_ended = at_cut.sounding();
    fit.kept_micros = kept == 0 ? 0 : clock.micros_at(track->events[kept - 1].tick);
    return fit;
}

bool handset_melody_has_notes(std::span<const uint8_t> melody) {
    const auto track = read_track(melody);
    return track && std::any_of(track->events.begin(), track->events.end(), [](const Event &ev) {
               return (ev.status & kMidiKindMask) == kMidiNoteOn && ev.data2 > 0;
           });
}

uint64_t handset_melody_micros(std::span<const uint8_t> melody) {
    const auto track = read_track(melody);
    return track ? MelodyClock(melody).micros_at(track->end_tick) : 0;
}

}  // namespace zemlo::media
