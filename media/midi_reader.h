// A standard MIDI file read into tracks of timed events, for playing a file and for checking a
// merged melody against its source. Lenient where players usually are (unknown chunks are
// skipped, a cut-off track ends where its data ends) and strict about bounds: nothing is read
// outside the given bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zemlo::media {

// Kinds of channel messages: the high nibble of the status byte.
inline constexpr uint8_t kMidiNoteOff = 0x80;
inline constexpr uint8_t kMidiNoteOn = 0x90;
inline constexpr uint8_t kMidiKeyPressure = 0xA0;
inline constexpr uint8_t kMidiControlChange = 0xB0;
inline constexpr uint8_t kMidiProgramChange = 0xC0;
inline constexpr uint8_t kMidiChannelPressure = 0xD0;
inline constexpr uint8_t kMidiPitchBend = 0xE0;
inline constexpr uint8_t kMidiKindMask = 0xF0;
inline constexpr uint8_t kMidiChannelMask = 0x0F;

inline constexpr uint8_t kMidiMetaStatus = 0xFF;
inline constexpr uint8_t kMidiSysExStatus = 0xF0;
inline constexpr uint8_t kMidiSysExEscapeStatus = 0xF7;
inline constexpr uint8_t kMidiMetaTempo = 0x51;
inline constexpr uint8_t kMidiMetaEndOfTrack = 0x2F;
inline constexpr uint32_t kMidiDefaultTempo = 500000;  // microseconds per quarter note

struct MidiEvent {
    uint32_t tick = 0;   // absolute
    uint8_t status = 0;  // 0x80-0xEF channel message, 0xF0/0xF7 system exclusive, 0xFF meta
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    uint8_t meta_type = 0;
    std::vector<uint8_t> payload;  // data of a meta or system-exclusive event

    bool is_channel() const { return status >= kMidiNoteOff && status < kMidiSysExStatus; }
    bool is_tempo() const {
        return status == kMidiMetaStatus && meta_type == kMidiMetaTempo && payload.size() == 3;
    }
    uint32_t tempo() const;  // microseconds per quarter note of a tempo event
};

struct MidiTrack {
    std::vector<MidiEvent> events;
    uint32_t end_tick = 0;  // tick of the end-of-track event, or of the last event
};

struct MidiFile {
    uint16_t format = 0;
    uint16_t division = 0;
    std::vector<MidiTrack> tracks;
};

// Channel-message data bytes for a status byte (0 for anything else).
size_t midi_data_bytes(uint8_t status);

std::optional<MidiFile> read_midi(std::span<const uint8_t> bytes, std::string *error);

}  // namespace zemlo::media
