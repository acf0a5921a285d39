#include "midi_reader.h"

#include <cstring>

#include "midi_varlen.h"
#include "zemlo/byte_order.h"

namespace zemlo::media {

namespace {

constexpr size_t kChunkHeaderBytes = 8;
constexpr uint32_t kMinHeaderLength = 6;
constexpr size_t kTempoBytes = 3;
constexpr uint8_t kStatusBit = 0x80;
constexpr uint8_t kSystemStatus = 0xF0;
constexpr uint16_t kSmpteDivision = 0x8000;

bool tag_is(const uint8_t *p, const char *tag) {
    return std::memcmp(p, tag, 4) == 0;
}

// Reads one track's events; a malformed or cut-off event ends the track where it stands.
MidiTrack read_track(const uint8_t *data, size_t size) {
    MidiTrack track;
    size_t pos = 0;
    uint32_t tick = 0;
    uint8_t running = 0;
    while (pos < size) {
        auto delta = read_varlen(data, pos, size);
        if (!delta) {
            break;
        }
        pos += delta->size;
        const uint64_t next_tick = static_cast<uint64_t>(tick) + delta->value;
        if (next_tick > UINT32_MAX || pos >= size) {
            break;
        }
        tick = static_cast<uint32_t>(next_tick);
        MidiEvent ev;
        ev.tick = tick;
        if ((data[pos] & kStatusBit) != 0) {
            ev.status = data[pos++];
        } else if (running != 0) {
            ev.status = running;
        } else {
            break;  // a data byte with no status to run on
        }
        if (ev.status < kSystemStatus) {
            running = ev.status;
            const size_t n = midi_data_bytes(ev.status);
            if (pos + n > size) {
                break;
            }
            ev.data1 = data[pos];
            ev.data2 = n == 2 ? data[pos + 1] : 0;
            pos += n;
            track.events.push_back(std::move(ev));
            continue;
        }
        running = 0;  // system messages cancel running status
        if (ev.status != kMidiSysExStatus && ev.status != kMidiSysExEscapeStatus &&
            ev.status != kMidiMetaStatus) {
            break;
        }
        if (ev.status == kMidiMetaStatus) {
            if (pos >= size) {
                break;
            }
            ev.meta_type = data[pos++];
        }
        auto length = read_varlen(data, pos, size);
        if (!length || pos + length->size + length->value > size) {
            break;
        }
        pos += length->size;
        ev.payload.assign(data + pos, data + pos + length->value);
        pos += length->value;
        const bool end = ev.status == kMidiMetaStatus && ev.meta_type == kMidiMetaEndOfTrack;
        track.events.push_back(std::move(ev));
        if (end) {
            break;
        }
    }
    track.end_tick = tick;
    return track;
}

}  // namespace

uint32_t MidiEvent::tempo() const {
    return payload.size() == kTempoBytes ? (static_cast<uint32_t>(payload[0]) << 16) |
                                               (static_cast<uint32_t>(payload[1]) << 8) | payload[2]
                                         : kMidiDefaultTempo;
}

size_t midi_data_bytes(uint8_t status) {
    switch (status & kMidiKindMask) {
        case kMidiNoteOff:
        case kMidiNoteOn:
        case kMidiKeyPressure:
        case kMidiControlChange:
        case kMidiPitchBend:
            return 2;
        case kMidiProgramChange:
        case kMidiChannelPressure:
            return 1;
        default:
            return 0;
    }
}

std::optional<MidiFile> read_midi(std::span<const uint8_t> bytes, std::string *error) {
    const uint8_t *p = bytes.data();
    const size_t size = bytes.size();
    if (size < kChunkHeaderBytes + kMinHeaderLength || !tag_is(p, "MThd")) {
        *error = "not a MIDI file (no MThd header)";
        return std::nullopt;
    }
    const uint32_t header_length = read_be32(p + 4);
    if (header_length < kMinHeaderLength || header_length > size - kChunkHeaderBytes) {
        *error = "not a MIDI file (bad header length)";
        return std::nullopt;
    }
    MidiFile file;
    file.format = read_be16(p + 8);
    const uint16_t declared = read_be16(p + 10);
    file.division = read_be16(p + 12);
    if (file.division == 0 ||
        ((file.division & kSmpteDivision) != 0 && (file.division & 0xFF) == 0)) {
        *error = "MIDI file with a time division of 0";
        return std::nullopt;
    }
    size_t chunk = kChunkHeaderBytes + header_length;
    while (file.tracks.size() < declared && chunk + kChunkHeaderBytes <= size) {
        const uint64_t length = read_be32(p + chunk + 4);
        const size_t begin = chunk + kChunkHeaderBytes;
        const size_t available = size - begin;
        const size_t take = length < available ? static_cast<size_t>(length) : available;
        if (tag_is(p + chunk, "MTrk")) {
            file.tracks.push_back(read_track(p + begin, take));
        }
        chunk = begin + take;
    }
    if (file.tracks.empty() && declared != 0) {
        *error = "MIDI file without tracks";
        return std::nullopt;
    }
    return file;
}

}  // namespace zemlo::media
